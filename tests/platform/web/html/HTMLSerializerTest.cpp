#include "TestUtil.h"
#include "WebTestUtil.h"

#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMElement.h"
#include "platform/web/dom/DOMSnapshot.h"
#include "platform/web/html/HTMLParser.h"
#include "platform/web/html/HTMLSerializer.h"

#include <gtest/gtest.h>

namespace {

QString bodyHtml(const QString &html)
{
    return HTMLParser::parseDocument(QStringLiteral("<!DOCTYPE html><body>") + html)->body()->innerHTML();
}

} // namespace

TEST(HTMLSerializer, WritesMarkupAsInnerHtmlDoes)
{
    struct Row
    {
        const char *name;
        QString input;
        QString expected;
    };
    const QList<Row> rows = {
        {"void elements get no end tag", QStringLiteral("<br><img src=a.png><input disabled>"),
         QStringLiteral("<br><img src=\"a.png\"><input disabled=\"\">")},
        {"text escapes & < > and no-break spaces", QStringLiteral("<p>a &lt; b &amp; c &gt; d&nbsp;e \"q\"</p>"),
         QStringLiteral("<p>a &lt; b &amp; c &gt; d&nbsp;e \"q\"</p>")},
        {"attributes escape & \" and no-break spaces only",
         QStringLiteral("<p title='a \"b\" &amp; <c>&nbsp;'></p>"),
         QStringLiteral("<p title=\"a &quot;b&quot; &amp; <c>&nbsp;\"></p>")},
        {"raw text stays as it is", QStringLiteral("<script>if (a < b && c) x();</script><style>a > b {}</style>"),
         QStringLiteral("<script>if (a < b && c) x();</script><style>a > b {}</style>")},
        {"textarea text is escaped", QStringLiteral("<textarea><b></textarea>"),
         QStringLiteral("<textarea>&lt;b&gt;</textarea>")},
        {"svg keeps its case and namespaced attributes their prefix",
         QStringLiteral("<svg viewBox='0 0 1 1' xmlns:xlink='http://www.w3.org/1999/xlink'>"
                        "<use xlink:href='#a'/><foreignObject><p>x</p></foreignObject></svg>"),
         QStringLiteral("<svg viewBox=\"0 0 1 1\" xmlns:xlink=\"http://www.w3.org/1999/xlink\">"
                        "<use xlink:href=\"#a\"></use><foreignObject><p>x</p></foreignObject></svg>")},
        {"comments and templates", QStringLiteral("<!-- c --><template><b>t</b></template>"),
         QStringLiteral("<!-- c --><template><b>t</b></template>")},
        {"attribute order is kept", QStringLiteral("<a z=1 a=2 m=3></a>"),
         QStringLiteral("<a z=\"1\" a=\"2\" m=\"3\"></a>")},
    };
    for (const Row &row : rows)
        EXPECT_EQ(bodyHtml(row.input), row.expected) << row.name;
}

TEST(HTMLSerializer, WritesNamesAndTextsThePageLeftOut)
{
    // A snapshot's records may lack them altogether.
    const Result<std::shared_ptr<DOMDocument>> document = DOMSnapshot::readDocument(
        R"({"version": 1, "document": 1, "nodes": [{"id": 1, "type": 9, "children": [2, 3]}, {"id": 2, "type": 10},
            {"id": 3, "type": 8}]})");
    ASSERT_TRUE(document);
    EXPECT_EQ(HTMLSerializer::serialize(**document), QStringLiteral("<!DOCTYPE ><!---->"));
}

TEST(HTMLSerializer, DocumentRoundTripsThroughTheParser)
{
    const QString page = QString::fromUtf8(TestUtil::readFile(QStringLiteral(QUILLMARK_TEST_DATA "/selectors.html")));
    const std::shared_ptr<DOMDocument> first = HTMLParser::parseDocument(page);
    const QString written = HTMLSerializer::serialize(*first);
    EXPECT_TRUE(written.startsWith(QLatin1String("<!DOCTYPE html><html id=\"root\" lang=\"en\"><head id=\"head\">")));
    const std::shared_ptr<DOMDocument> second = HTMLParser::parseDocument(written);
    EXPECT_EQ(second->debugDump(), first->debugDump());
    EXPECT_EQ(HTMLSerializer::serialize(*second), written);
}
