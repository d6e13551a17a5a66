#include "TestPrinters.h"

#include "code/CodeViewText.h"

#include <gtest/gtest.h>

namespace {

// The document's raw text for a file's text: one U+2029 per line break.
QString documentOf(const QString &text)
{
    QString result;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
            ++i;
        result.append(CodeViewText::isDocumentBreak(text.at(i)) ? QChar(QChar::ParagraphSeparator) : text.at(i));
    }
    return result;
}

} // namespace

TEST(CodeViewText, PlacesMapBothWaysAcrossEveryKindOfLineEnd)
{
    CodeViewText text;
    const QString file = QStringLiteral("a\r\nb\rc\nd\u2029e\r\n\r\nf");
    text.setString(file);
    EXPECT_EQ(text.lineEnding(), QStringLiteral("\r\n"));
    const QString document = documentOf(file);
    ASSERT_EQ(document, QStringLiteral("a\u2029b\u2029c\u2029d\u2029e\u2029\u2029f"));
    // Every document position lands on the same character of the file.
    for (int position = 0; position <= document.size(); ++position) {
        const int index = text.stringIndexOf(position);
        EXPECT_EQ(text.documentPositionOf(index), position) << position;
        if (position < document.size()) {
            EXPECT_EQ(documentOf(file.mid(index)).at(0), document.at(position)) << position;
        }
    }
    // Inside a "\r\n": its break.
    EXPECT_EQ(text.documentPositionOf(2), 1);
    EXPECT_EQ(text.stringIndexOf(document.size()), file.size());
}

TEST(CodeViewText, AnEditReplacesOnlyWhatChanged)
{
    CodeViewText text;
    text.setString(QStringLiteral("one\r\ntwo\r\nthree"));
    // Qt reports the whole text as changed while one letter was typed.
    EXPECT_TRUE(text.applyDocumentEdit(0, 13, QStringLiteral("one\u2029twos\u2029three")));
    EXPECT_EQ(text.string(), QStringLiteral("one\r\ntwos\r\nthree"));
    // The same text again changes nothing.
    EXPECT_FALSE(text.applyDocumentEdit(0, 14, QStringLiteral("one\u2029twos\u2029three")));
    // New breaks take the file's first line end; a joined line loses both
    // characters of its end.
    EXPECT_TRUE(text.applyDocumentEdit(7, 0, QStringLiteral("\u2029")));
    EXPECT_EQ(text.string(), QStringLiteral("one\r\ntwo\r\ns\r\nthree"));
    EXPECT_TRUE(text.applyDocumentEdit(3, 1, QString()));
    EXPECT_EQ(text.string(), QStringLiteral("onetwo\r\ns\r\nthree"));
    EXPECT_EQ(text.stringIndexOf(9), 11);
    EXPECT_EQ(text.documentPositionOf(11), 9);
}

TEST(CodeViewText, AnEditCountingTheDocumentsClosingMarkStopsAtTheTextsEnd)
{
    // Return in an empty text: Qt reports the closing mark as removed too.
    CodeViewText text;
    text.setString(QString());
    EXPECT_TRUE(text.applyDocumentEdit(0, 1, QStringLiteral("\u2029")));
    EXPECT_EQ(text.string(), QStringLiteral("\n"));
    EXPECT_TRUE(text.applyDocumentEdit(1, 1, QStringLiteral("a")));
    EXPECT_EQ(text.string(), QStringLiteral("\na"));
}

TEST(CodeViewText, AFileWithoutLineEndsGetsLineFeedsAndAnOldMacFileCarriageReturns)
{
    CodeViewText plain;
    plain.setString(QStringLiteral("x"));
    EXPECT_EQ(plain.lineEnding(), QStringLiteral("\n"));
    EXPECT_TRUE(plain.applyDocumentEdit(1, 0, QStringLiteral("\u2029y")));
    EXPECT_EQ(plain.string(), QStringLiteral("x\ny"));

    CodeViewText mac;
    mac.setString(QStringLiteral("a\rb"));
    EXPECT_TRUE(mac.applyDocumentEdit(3, 0, QStringLiteral("\u2029")));
    EXPECT_EQ(mac.string(), QStringLiteral("a\rb\r"));
}
