#include "DomNodeMap.h"

#include "DOMNodeEx.h"

#include "platform/web/dom/DOMNode.h"

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
    Link &link = m_links[node.get()];
    if (link.node.lock() == node && !link.row.expired())
        ++m_replaced;
    link = {node, row};
    m_entries.append({row, node});
    if (m_replaced > 1024 && m_replaced > m_entries.size() / 2)
        compact();
}

std::shared_ptr<DOMNodeEx> DomNodeMap::linkedRow(const DOMNode *node) const
{
    const auto found = m_links.constFind(node);
    // A node that is gone may have left its address to a new one.
    if (found == m_links.cend() || found->node.lock().get() != node)
        return nullptr;
    return found->row.lock();
}

void DomNodeMap::compact()
{
    QList<Entry> kept;
    kept.reserve(m_entries.size() - m_replaced);
    for (Entry &entry : m_entries) {
        const std::shared_ptr<DOMNode> node = entry.node.lock();
        if (node && linkedRow(node.get()) == entry.row)
            kept.append(std::move(entry));
    }
    m_entries = std::move(kept);
    m_replaced = 0;
    for (auto it = m_links.begin(); it != m_links.end();) {
        if (it->node.expired() || it->row.expired())
            it = m_links.erase(it);
        else
            ++it;
    }
}

void DomNodeMap::removeDomNodeEx(const std::shared_ptr<DOMNodeEx> &row)
{
    for (const Entry &entry : std::as_const(m_entries)) {
        if (entry.row != row)
            continue;
        if (const std::shared_ptr<DOMNode> node = entry.node.lock())
            m_links.remove(node.get());
        return;
    }
}

void DomNodeMap::clearMap()
{
    // Releasing rows may release nodes and rows in turn: take the lists first.
    const QList<Entry> entries = std::move(m_entries);
    const QHash<const DOMNode *, Link> links = std::move(m_links);
    m_entries.clear();
    m_links.clear();
    m_replaced = 0;
}

std::shared_ptr<DOMNodeEx> DomNodeMap::nodeExforNode(const DOMNode *node) const
{
    return node ? linkedRow(node) : nullptr;
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
