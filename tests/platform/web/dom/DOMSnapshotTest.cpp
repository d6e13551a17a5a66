#include "TestUtil.h"
#include "WebTestUtil.h"

#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMDocumentFragment.h"
#include "platform/web/dom/DOMElement.h"
#include "platform/web/dom/DOMSnapshot.h"
#include "platform/web/html/HTMLParser.h"
#include "platform/web/html/HTMLSerializer.h"

#include <QJsonDocument>

#include <gtest/gtest.h>

namespace {

std::shared_ptr<DOMDocument> read(const QByteArray &json)
{
    Result<std::shared_ptr<DOMDocument>> document = DOMSnapshot::readDocument(json);
    EXPECT_TRUE(document) << qPrintable(document.error());
    return document ? *document : nullptr;
}

QByteArray snapshotOf(const char *nodes, int document = 1)
{
    return QByteArray("{\"version\": 1, \"document\": ") + QByteArray::number(document) + ", \"nodes\": [" + nodes + "]}";
}

} // namespace

TEST(DOMSnapshot, BuildsTheSameTreeAsTheHtmlItCameFrom)
{
    const std::shared_ptr<DOMDocument> fromHtml = HTMLParser::parseDocument(
        QString::fromUtf8(TestUtil::readFile(QStringLiteral(QUILLMARK_TEST_DATA "/page.html"))));
    const std::shared_ptr<DOMDocument> fromSnapshot =
        read(TestUtil::readFile(QStringLiteral(QUILLMARK_TEST_DATA "/page.snapshot.json")));
    ASSERT_TRUE(fromSnapshot);
    EXPECT_EQ(fromSnapshot->debugDump(), fromHtml->debugDump());
    EXPECT_EQ(HTMLSerializer::serialize(*fromSnapshot), HTMLSerializer::serialize(*fromHtml));

    // The page's ids name the same nodes.
    EXPECT_EQ(fromSnapshot->nodeId(), 1);
    EXPECT_EQ(fromSnapshot->nodeForId(12)->nodeName(), QStringLiteral("use"));
    EXPECT_EQ(fromSnapshot->nodeForId(14), fromSnapshot->getElementById(QStringLiteral("t"))->templateContent());
    EXPECT_EQ(fromSnapshot->nodeCount(), 17);
    // A snapshot is what the page has already: nothing to replay.
    EXPECT_TRUE(fromSnapshot->replayLog().commands().isEmpty());
    // Nodes the program makes get ids the page never gives.
    EXPECT_LT(fromSnapshot->createElement(QStringLiteral("p"))->nodeId(), 0);
}

TEST(DOMSnapshot, WritingAndReadingKeepsIdsNamespacesAndMode)
{
    const std::shared_ptr<DOMDocument> source = HTMLParser::parseDocument(
        QStringLiteral("<p>quirks <svg><use xlink:href='#x'/></svg><template><b>t</b></template>\u00e9\u2603\U0001F600"));
    const QByteArray json = QJsonDocument(DOMSnapshot::write(*source)).toJson();
    const std::shared_ptr<DOMDocument> copy = read(json);
    ASSERT_TRUE(copy);
    EXPECT_TRUE(copy->isQuirksMode());
    EXPECT_EQ(copy->debugDump(DOMNode::WithIds::Yes), source->debugDump(DOMNode::WithIds::Yes));
    // The object form reads the same.
    Result<std::shared_ptr<DOMDocument>> fromObject = DOMSnapshot::readDocument(DOMSnapshot::write(*source));
    ASSERT_TRUE(fromObject);
    EXPECT_EQ((*fromObject)->debugDump(DOMNode::WithIds::Yes), source->debugDump(DOMNode::WithIds::Yes));
}

TEST(DOMSnapshot, ReadsJsonEscapesAndUnknownKeys)
{
    const std::shared_ptr<DOMDocument> document = read(snapshotOf(
        R"({"id": 1, "type": 9, "children": [2], "extra": {"a": [1, {"b": null}], "c": true}},
           {"id": 2, "type": 1, "name": "p", "children": [3], "future": [[], {}]},
           {"id": 3, "type": 3, "text": "tab\t\"q\" \\ \/ \u00e9 \ud83d\ude00 \n"})"));
    ASSERT_TRUE(document);
    EXPECT_EQ(document->nodeForId(3)->nodeValue(), QStringLiteral("tab\t\"q\" \\ / \u00e9 \U0001F600 \n"));
}

TEST(DOMSnapshot, RefusesWhatIsNotASnapshot)
{
    for (const QByteArray &json : {QByteArray(""), QByteArray("[]"), QByteArray("{\"nodes\": []}"),
                                   QByteArray("{\"version\": 2, \"document\": 1, \"nodes\": [{\"id\": 1, \"type\": 9}]}"),
                                   QByteArray("{\"version\": 1e40, \"document\": 1, \"nodes\": [{\"id\": 1, \"type\": 9}]}"),
                                   snapshotOf(R"({"id": 1, "type": 1, "name": "p"})"),
                                   snapshotOf(R"({"id": 1, "type": 9})", 2), QByteArray("{\"document\": 1,"),
                                   snapshotOf(R"({"id": 1, "type": 9, "children": [2,]})"),
                                   QByteArray("{\"a\": \"\\x\"}"), QByteArray("{\"a\": 1} x")}) {
        const Result<std::shared_ptr<DOMDocument>> document = DOMSnapshot::readDocument(json);
        EXPECT_FALSE(document) << json.constData();
        EXPECT_FALSE(document.error().isEmpty());
    }
}

TEST(DOMSnapshot, LeavesOutBrokenRecordsAndKeepsTheRest)
{
    const std::shared_ptr<DOMDocument> document = read(snapshotOf(R"(
        {"id": 1, "type": 9, "children": [2, 99, 2, 9]},
        {"id": 2, "type": 1, "name": "html", "children": [3, 4, 5, 6, 7, 1]},
        {"id": 3, "type": 1, "name": "a", "children": [3, 2]},
        {"id": 3, "type": 8, "text": "the same id again"},
        {"id": 4, "type": 3, "text": "t", "children": [8]},
        {"id": 5, "type": 1, "name": ""},
        {"id": 5, "type": 8, "text": "twice"},
        {"id": 6, "type": 11},
        {"id": 7, "type": 42},
        {"id": 8, "type": 1, "name": "b"},
        {"id": 0, "type": 1, "name": "zero"},
        {"id": 9, "type": 1, "name": "body", "attrs": [[], ["", "x"], ["ok"]]},
        {"id": 10, "type": 1, "name": "orphan"})"));
    ASSERT_TRUE(document);
    // The cycle, the second "2", the unknown 99, the fragment, the repeated
    // id 3 and the broken records are left out (an unnamed element leaves its
    // id to the next record); a second root element is kept as the page sent it.
    EXPECT_EQ(document->debugDump(), QStringLiteral("#document\n"
                                                    "  <html>\n"
                                                    "    <a>\n"
                                                    "    \"t\"\n"
                                                    "    <!-- twice -->\n"
                                                    "  <body ok=\"\">\n"));
    EXPECT_EQ(document->nodeForId(10), nullptr);
}

TEST(DOMSnapshot, ReadsPageAddedSubtreesAsDetachedNodes)
{
    const std::shared_ptr<DOMDocument> document =
        read(TestUtil::readFile(QStringLiteral(QUILLMARK_TEST_DATA "/page.snapshot.json")));
    ASSERT_TRUE(document);
    document->replayLog().clear();
    const QJsonArray records = QJsonDocument::fromJson(R"([
        {"id": 40, "type": 1, "name": "li", "children": [41]},
        {"id": 41, "type": 3, "text": "new"},
        {"id": 42, "type": 8, "text": "c"},
        {"id": 12, "type": 1, "name": "taken"}])").array();
    const QList<DOMNodePtr> roots = DOMSnapshot::readNodes(*document, records);
    ASSERT_EQ(roots.size(), 2);
    EXPECT_EQ(roots.at(0)->nodeId(), 40);
    EXPECT_EQ(roots.at(0)->textContent(), QStringLiteral("new"));
    EXPECT_EQ(roots.at(1)->nodeId(), 42);
    EXPECT_EQ(document->nodeForId(12)->nodeName(), QStringLiteral("use")); // an id in use is not taken over
    EXPECT_TRUE(document->replayLog().commands().isEmpty());
}

TEST(DOMSnapshot, ReadsAHundredThousandLevelsWithoutRecursion)
{
    QByteArray nodes = R"({"id": 1, "type": 9, "children": [2]})";
    const int depth = 100000;
    for (int i = 2; i < depth + 2; ++i)
        nodes += ",{\"id\":" + QByteArray::number(i) + ",\"type\":1,\"name\":\"div\",\"children\":[" + QByteArray::number(i + 1) + "]}";
    nodes += ",{\"id\":" + QByteArray::number(depth + 2) + ",\"type\":3,\"text\":\"deep\"}";
    const std::shared_ptr<DOMDocument> document = read(snapshotOf(nodes.constData()));
    ASSERT_TRUE(document);
    EXPECT_EQ(document->textContent(), QString());
    EXPECT_EQ(document->documentElement()->textContent(), QStringLiteral("deep"));
    EXPECT_EQ(document->nodeCount(), depth + 2);
}
