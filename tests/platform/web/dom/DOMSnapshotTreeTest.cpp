#include "TestUtil.h"
#include "WebTestUtil.h"

#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMDocumentFragment.h"
#include "platform/web/dom/DOMElement.h"
#include "platform/web/dom/DOMSnapshot.h"
#include "platform/web/html/HTMLParser.h"

#include <gtest/gtest.h>

namespace DOMSnapshotTreeTest {

namespace {

Result<std::shared_ptr<DOMDocument>> readTree(const QByteArray &tree, int document = 1)
{
    return DOMSnapshot::readDocument(QByteArray("{\"version\": 2, \"document\": ") + QByteArray::number(document)
                                     + ", \"mode\": \"CSS1Compat\", \"tree\": [" + tree + "]}");
}

} // namespace

TEST(DOMSnapshotTree, BuildsTheSameTreeAsTheHtmlItCameFrom)
{
    const std::shared_ptr<DOMDocument> fromHtml = HTMLParser::parseDocument(QStringLiteral(
        "<!DOCTYPE html><html><head></head><body><p class=\"a\" title=\"&quot;\\\">x<!-- c --></p>"
        "<template><b>t</b></template><svg><use xlink:href=\"#a\"/></svg>\U0001F600</body></html>"));
    const Result<std::shared_ptr<DOMDocument>> fromTree = readTree(
        R"([9, 2], [10, "html", "", ""], ["html", 2], ["head", 0], ["body", 4],
           ["p", 2, "class", "a", "title", "\"\\"], "x", [8, " c "],
           ["template", 0], [11, 1], ["b", 1], "t",
           [1, "svg", "", "http://www.w3.org/2000/svg", 1],
           [1, "use", "", "http://www.w3.org/2000/svg", 0, ["xlink:href", "http://www.w3.org/1999/xlink"], "#a"],
           "\ud83d\ude00")");
    ASSERT_TRUE(fromTree) << qPrintable(fromTree.error());
    EXPECT_EQ((*fromTree)->debugDump(), fromHtml->debugDump());
    // Ids follow tree order from the document's.
    const DOMDocument &document = **fromTree;
    EXPECT_EQ(document.nodeForId(5)->nodeName(), QStringLiteral("BODY"));
    EXPECT_EQ(document.nodeForId(10)->nodeType(), DOMNode::DOCUMENT_FRAGMENT_NODE);
    EXPECT_EQ(document.nodeForId(13)->nodeName(), QStringLiteral("svg"));
    EXPECT_FALSE(document.isQuirksMode());
}

TEST(DOMSnapshotTree, IdsStartAtTheDocumentsOwn)
{
    const Result<std::shared_ptr<DOMDocument>> document = readTree(R"([9, 1], ["html", 1], "x")", 40);
    ASSERT_TRUE(document) << qPrintable(document.error());
    EXPECT_EQ((*document)->nodeId(), 40);
    EXPECT_EQ((*document)->nodeForId(42)->nodeValue(), QStringLiteral("x"));
}

TEST(DOMSnapshotTree, RefusesMalformedTrees)
{
    const struct
    {
        const char *name;
        QByteArray tree;
    } rows[] = {
        {"record after the end", R"([9, 1], ["html", 0], "stray")"},
        {"attribute without value", R"([9, 1], ["html", 0, "lang"])"},
        {"element without count", R"([9, 1], ["html"])"},
        {"unterminated", R"([9, 1], ["html", 0)"},
        {"first record no document", R"(["html", 0])"},
    };
    for (const auto &row : rows)
        EXPECT_FALSE(readTree(row.tree)) << row.name;
    // The ids of the tree's records count from the document's: it comes first.
    EXPECT_FALSE(DOMSnapshot::readDocument(R"({"version": 2, "tree": [[9, 0]], "document": 1})"));
}

TEST(DOMSnapshotTree, LeavesOutANodeThatCannotStandWhereItIsWithEverythingBelowIt)
{
    // A fragment that is no template's content, a doctype inside an element
    // and the children of a text; the nodes after them keep their places and ids.
    const Result<std::shared_ptr<DOMDocument>> document = readTree(
        R"([9, 1], ["html", 4], [11, 1], ["i", 0], [10, "x", "", ""], [3, 1], "under text", ["body", 1], "kept")");
    ASSERT_TRUE(document) << qPrintable(document.error());
    EXPECT_EQ((*document)->documentElement()->outerHTML(), QStringLiteral("<html><body>kept</body></html>"));
    for (const qint64 id : {3, 4, 5, 7})
        EXPECT_EQ((*document)->nodeForId(id), nullptr) << id;
    EXPECT_EQ((*document)->nodeForId(9)->nodeValue(), QStringLiteral("kept"));
}

} // namespace DOMSnapshotTreeTest
