#pragma once

#include <QHash>
#include <QList>
#include <QString>

#include <memory>

class DOMNode;
class DOMNodeEx;

// The registry from a live DOM node to its newest DOM tree row. The registry
// owns every registered row until clearMap(), which page loading calls before
// each load; its table from node to newest row holds both weakly, so a node
// and its row never keep each other alive (and a node costs one entry of one
// table, not a table of its own). Rows that a newer row of the same node
// replaced are let go now and then, so a page that keeps rebuilding its tree
// does not grow the registry for ever.
class DomNodeMap
{
public:
    static DomNodeMap &getInstance();

    // Attaches the row to its node (replacing an earlier row) and keeps the
    // row; a row without a node registers nothing.
    void addDomNodeEx(const std::shared_ptr<DOMNodeEx> &row);
    // Detaches whatever hangs on the row's node; the row stays in nodes().
    void removeDomNodeEx(const std::shared_ptr<DOMNodeEx> &row);
    // Detaches every row and forgets them all.
    void clearMap();
    // The newest row registered for node, or null.
    std::shared_ptr<DOMNodeEx> nodeExforNode(const DOMNode *node) const;

    QList<std::shared_ptr<DOMNodeEx>> nodes() const;
    void setNodes(const QList<std::shared_ptr<DOMNodeEx>> &rows);

private:
    struct Entry
    {
        std::shared_ptr<DOMNodeEx> row;
        std::weak_ptr<DOMNode> node;
    };
    struct Link
    {
        std::weak_ptr<DOMNode> node;
        std::weak_ptr<DOMNodeEx> row;
    };
    std::shared_ptr<DOMNodeEx> linkedRow(const DOMNode *node) const;
    // Drops the entries whose row is no longer its node's newest.
    void compact();

    QList<Entry> m_entries;
    QHash<const DOMNode *, Link> m_links;
    qsizetype m_replaced = 0;
};
