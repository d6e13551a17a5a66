#include "domtree/DomNodeMap.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMElement.h"

#include <gtest/gtest.h>

namespace {

// The registry never looks inside a row, so an opaque stand-in serves.
std::shared_ptr<DOMNodeEx> makeRow()
{
    const auto storage = std::make_shared<int>(0);
    return std::shared_ptr<DOMNodeEx>(storage, reinterpret_cast<DOMNodeEx *>(storage.get()));
}

} // namespace

TEST(DomNodeMap, AnswersTheNewestRowAndClearingDetachesAll)
{
    DomNodeMap &map = DomNodeMap::getInstance();
    map.clearMap();
    const std::shared_ptr<DOMDocument> document = DOMDocument::create();
    const DOMElementPtr node = document->createElement(QStringLiteral("p"));
    const DOMElementPtr other = document->createElement(QStringLiteral("b"));
    const std::shared_ptr<DOMNodeEx> first = makeRow();
    const std::shared_ptr<DOMNodeEx> second = makeRow();
    const std::shared_ptr<DOMNodeEx> third = makeRow();

    map.addDomNodeEx(first, node);
    map.addDomNodeEx(second, node);
    map.addDomNodeEx(third, other);
    map.addDomNodeEx(makeRow(), nullptr); // no node, nothing registered
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

TEST(DomNodeMap, RowsAreReleasedWithTheirNodeAfterClearing)
{
    DomNodeMap &map = DomNodeMap::getInstance();
    map.clearMap();
    const std::shared_ptr<DOMDocument> document = DOMDocument::create();
    DOMElementPtr node = document->createElement(QStringLiteral("p"));
    std::shared_ptr<DOMNodeEx> row = makeRow();
    const std::weak_ptr<DOMNodeEx> watch = row;
    map.addDomNodeEx(row, node);
    row.reset();
    EXPECT_FALSE(watch.expired()); // kept by the registry and the node
    map.setNodes({});
    EXPECT_FALSE(watch.expired()); // still hung on the node
    node.reset();
    EXPECT_TRUE(watch.expired());
}
