#include "DomNodeMap.h"

#include "platform/web/dom/DOMNode.h"

DomNodeMap &DomNodeMap::getInstance()
{
    static DomNodeMap registry;
    return registry;
}

void DomNodeMap::addDomNodeEx(const std::shared_ptr<DOMNodeEx> &row, const std::shared_ptr<DOMNode> &node)
{
    if (!row || !node)
        return;
    node->setAssociatedObject(s_associationKey, row);
    m_entries.append({row, node});
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
    for (const Entry &entry : std::as_const(m_entries)) {
        if (const std::shared_ptr<DOMNode> node = entry.node.lock())
            node->removeAssociatedObjects();
    }
    m_entries.clear();
}

std::shared_ptr<DOMNodeEx> DomNodeMap::nodeExforNode(const DOMNode *node) const
{
    if (!node)
        return nullptr;
    return std::static_pointer_cast<DOMNodeEx>(node->associatedObject(s_associationKey));
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
    // A row registered before keeps the node it hangs on.
    QList<Entry> entries;
    for (const std::shared_ptr<DOMNodeEx> &row : rows) {
        const auto known = std::find_if(m_entries.cbegin(), m_entries.cend(),
                                        [&row](const Entry &entry) { return entry.row == row; });
        entries.append({row, known == m_entries.cend() ? std::weak_ptr<DOMNode>() : known->node});
    }
    m_entries = std::move(entries);
}
