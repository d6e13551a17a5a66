#include "foundation/StringHTMLAdditions.h"

#include "TestPrinters.h"

#include <gtest/gtest.h>

using namespace StringHTMLAdditions;

namespace {

void expectUnescaped(const QString &input, const QString &expected)
{
    EXPECT_EQ(gtm_stringByUnescapingFromHTML(input), expected) << qPrintable(input);
}

} // namespace

TEST(StringHTMLAdditions, TablesAreSortedByCodeUnit)
{
    for (auto table : {fullEscapeTable(), shortEscapeTable()}) {
        for (size_t i = 1; i < table.size(); ++i)
            EXPECT_LT(table[i - 1].uchar, table[i].uchar) << table[i].escapeSequence;
    }
    EXPECT_EQ(fullEscapeTable().size(), 253u);
    EXPECT_EQ(shortEscapeTable().size(), 33u);
}

TEST(StringHTMLAdditions, EscapingForHtmlUsesTheShortTable)
{
    EXPECT_EQ(gtm_stringByEscapingForHTML("a < b & \"c\""), "a &lt; b &amp; &quot;c&quot;");
    EXPECT_EQ(gtm_stringByEscapingForHTML(QString::fromUtf16(u"caf\u00e9")), QString::fromUtf16(u"caf\u00e9"));
    EXPECT_EQ(gtm_stringByEscapingForHTML(QString::fromUtf16(u"5\u20ac \u2014 it\u2019s")),
              "5&euro; &mdash; it&rsquo;s");
    EXPECT_EQ(gtm_stringByEscapingForHTML(QString::fromUtf16(u"\u6f22")), QString::fromUtf16(u"\u6f22"));
    EXPECT_EQ(gtm_stringByEscapingForHTML(""), "");
}

TEST(StringHTMLAdditions, EscapingForAsciiHtmlLeavesOnlyAscii)
{
    EXPECT_EQ(gtm_stringByEscapingForAsciiHTML(QString::fromUtf16(u"caf\u00e9")), "caf&eacute;");
    EXPECT_EQ(gtm_stringByEscapingForAsciiHTML(QString::fromUtf16(u"\u20ac")), "&euro;");
    EXPECT_EQ(gtm_stringByEscapingForAsciiHTML(QString::fromUtf16(u"\u6f22")), "&#28450;");
    // A character beyond the basic plane is written one surrogate at a time.
    EXPECT_EQ(gtm_stringByEscapingForAsciiHTML(QString::fromUtf16(u"\U0001F600")), "&#55357;&#56832;");
}

TEST(StringHTMLAdditions, UnescapingReplacesNamesAndNumbers)
{
    expectUnescaped("&amp;lt;", "&lt;");
    expectUnescaped("&#65;&#x41;&#X41;", "AAA");
    expectUnescaped("&eacute;t&eacute;", QString::fromUtf16(u"\u00e9t\u00e9"));
    expectUnescaped("&thetasym;", QString::fromUtf16(u"\u03d1"));
    expectUnescaped("a &lt;b&gt; &quot;c&quot;", "a <b> \"c\"");
    expectUnescaped("no references", "no references");
}

TEST(StringHTMLAdditions, UnescapingLeavesWhatItCannotRead)
{
    expectUnescaped("&#0;", "&#0;");
    expectUnescaped("&#65535;", "&#65535;");
    expectUnescaped("&#6a5;", "&#6a5;");
    expectUnescaped("&#x;", "&#x;");
    expectUnescaped("&#xZZ;", "&#xZZ;");
    expectUnescaped("&nosuch;", "&nosuch;");
    expectUnescaped("&AMP;", "&AMP;");
    expectUnescaped("&#0000000065;", "&#0000000065;"); // longer than ten characters
    expectUnescaped("&;", "&;");
    expectUnescaped("a & b", "a & b");
    expectUnescaped("&amp", "&amp");
}

TEST(StringHTMLAdditions, UnescapingDoesNotReachPastTheNextAmpersand)
{
    // The ";" belongs to the second reference; the first has none of its own.
    expectUnescaped("&amp&lt;", "&amp<");
    expectUnescaped("&&amp;", "&&");
}

TEST(StringHTMLAdditions, EscapeAndUnescapeRoundTrip)
{
    const QString samples[] = {
        QString::fromUtf16(u"<p class=\"x\">Caf\u00e9 & \u201cquotes\u201d \u2013 5\u20ac</p>"),
        QString::fromUtf16(u"\u03b1\u03b2\u03b3 \u00a9 \u6f22\u5b57 \U0001F600 it's"),
        QStringLiteral("&amp; already escaped &lt;"),
    };
    for (const QString &text : samples) {
        EXPECT_EQ(gtm_stringByUnescapingFromHTML(gtm_stringByEscapingForHTML(text)), text);
        const QString ascii = gtm_stringByEscapingForAsciiHTML(text);
        for (QChar c : ascii)
            EXPECT_LT(c.unicode(), 128);
        EXPECT_EQ(gtm_stringByUnescapingFromHTML(ascii), text);
    }
}
