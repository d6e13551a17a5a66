#include "domtree/DOMNodeEx.h"
#include "domtree/DomNodeMap.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMElement.h"
#include "platform/web/html/HTMLParser.h"

#include <gtest/gtest.h>

TEST(DomNodeMap, AnswersTheNewestRowAndClearingDetachesAll)
{
    DomNodeMap &map = DomNodeMap::getInstance();
    map.clearMap();
    const std::shared_ptr<DOMDocument> document = DOMDocument::create();
    const DOMElementPtr node = document->createElement(QStringLiteral("p"));
    const DOMElementPtr other = document->createElement(QStringLiteral("b"));

    // Making a row registers it.
    const DOMNodeExPtr first = DOMNodeEx::initWithNode(node, nullptr);
    const DOMNodeExPtr second = DOMNodeEx::initWithNode(node, nullptr);
    const DOMNodeExPtr third = DOMNodeEx::initWithNode(other, nullptr);
    map.addDomNodeEx(DOMNodeEx::initWithCloseNode(nullptr, nullptr, nullptr)); // no node, nothing registered
    EXPECT_EQ(map.nodeExforNode(node.get()), second);
    EXPECT_EQ(map.nodeExforNode(other.get()), third);
    EXPECT_EQ(map.nodes().size(), 3);

    map.removeDomNodeEx(third);
    EXPECT_EQ(map.nodeExforNode(other.get()), nullptr);
    EXPECT_EQ(map.nodes().size(), 3);

    map.clearMap();
    EXPECT_EQ(map.nodeExforNode(node.get()), nullptr);
    EXPECT_TRUE(map.nodes().isEmpty());
}

TEST(DomNodeMap, NodeAndRowDoNotKeepEachOtherAlive)
{
    DomNodeMap &map = DomNodeMap::getInstance();
    map.clearMap();
    std::weak_ptr<DOMNode> node;
    std::weak_ptr<DOMNodeEx> row;
    {
        const std::shared_ptr<DOMDocument> document = DOMDocument::create();
        const DOMElementPtr element = document->createElement(QStringLiteral("p"));
        node = element;
        row = DOMNodeEx::initWithNode(element, nullptr);
    }
    EXPECT_FALSE(row.expired()); // the registry keeps it, and it its node
    map.clearMap();
    EXPECT_TRUE(row.expired());
    EXPECT_TRUE(node.expired());
}

TEST(DomNodeMap, RowsReplacedByNewerOnesAreLetGoOnAPageThatKeepsChanging)
{
    DomNodeMap &map = DomNodeMap::getInstance();
    map.clearMap();
    const std::shared_ptr<DOMDocument> document =
        HTMLParser::parseDocument(QStringLiteral("<html><body><ul><li>a</li><li>b</li></ul></body></html>"));
    DOMNodeExPtr root = DOMNodeEx::initWithNode(document->documentElement()->shared_from_this(), nullptr);
    DOMNodeEx *body = map.nodeExforNode(document->body()).get();
    // A ticker rebuilding its subtree ten thousand times.
    for (int i = 0; i < 10000; ++i)
        body->initChildren();
    EXPECT_LT(map.nodes().size(), 4000);
    EXPECT_EQ(map.nodeExforNode(document->body()->firstChild())->parentNodeEx(), body);
    root.reset();
    map.clearMap();
}
