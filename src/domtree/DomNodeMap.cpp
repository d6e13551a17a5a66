#include "DomNodeMap.h"

#include "DOMNodeEx.h"

#include "platform/web/dom/DOMNode.h"

namespace {

// What hangs on a node: a weak link to its newest row.
struct RowLink
{
    std::weak_ptr<DOMNodeEx> row;
};

std::shared_ptr<DOMNodeEx> linkedRow(const DOMNode &node)
{
    const auto link = std::static_pointer_cast<RowLink>(node.associatedObject(DomNodeMap::s_associationKey));
    return link ? link->row.lock() : nullptr;
}

} // namespace

DomNodeMap &DomNodeMap::getInstance()
{
    static DomNodeMap registry;
    return registry;
}

void DomNodeMap::addDomNodeEx(const std::shared_ptr<DOMNodeEx> &row)
{
    if (!row || !row->node())
        return;
    const DOMNodePtr &node = row->sharedNode();
    if (linkedRow(*node))
        ++m_replaced;
    node->setAssociatedObject(s_associationKey, std::make_shared<RowLink>(RowLink{row}));
    m_entries.append({row, node});
    if (m_replaced > 1024 && m_replaced > m_entries.size() / 2)
        compact();
}

void DomNodeMap::compact()
{
    QList<Entry> kept;
    kept.reserve(m_entries.size() - m_replaced);
    for (Entry &entry : m_entries) {
        const std::shared_ptr<DOMNode> node = entry.node.lock();
        if (node && linkedRow(*node) == entry.row)
            kept.append(std::move(entry));
    }
    m_entries = std::move(kept);
    m_replaced = 0;
}

void DomNodeMap::removeDomNodeEx(const std::shared_ptr<DOMNodeEx> &row)
{
    for (const Entry &entry : std::as_const(m_entries)) {
        if (entry.row != row)
            continue;
        if (const std::shared_ptr<DOMNode> node = entry.node.lock())
            node->removeAssociatedObjects();
        return;
    }
}

void DomNodeMap::clearMap()
{
    // Releasing rows may release nodes and rows in turn: take the list first.
    const QList<Entry> entries = std::move(m_entries);
    m_entries.clear();
    m_replaced = 0;
    for (const Entry &entry : entries) {
        if (const std::shared_ptr<DOMNode> node = entry.node.lock())
            node->removeAssociatedObjects();
    }
}

std::shared_ptr<DOMNodeEx> DomNodeMap::nodeExforNode(const DOMNode *node) const
{
    return node ? linkedRow(*node) : nullptr;
}

QList<std::shared_ptr<DOMNodeEx>> DomNodeMap::nodes() const
{
    QList<std::shared_ptr<DOMNodeEx>> rows;
    rows.reserve(m_entries.size());
    for (const Entry &entry : m_entries)
        rows.append(entry.row);
    return rows;
}

void DomNodeMap::setNodes(const QList<std::shared_ptr<DOMNodeEx>> &rows)
{
    QList<Entry> entries;
    entries.reserve(rows.size());
    for (const std::shared_ptr<DOMNodeEx> &row : rows)
        entries.append({row, row ? row->sharedNode() : nullptr});
    m_entries = std::move(entries);
    m_replaced = 0;
}
