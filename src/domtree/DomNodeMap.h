#pragma once

#include <QList>
#include <QString>

#include <memory>

class DOMNode;
class DOMNodeEx;

// The registry from a live DOM node to its newest DOM tree row. The registry
// owns every registered row until clearMap(), which page loading calls before
// each load; the node carries a weak link to its newest row (associated
// object "nodeEx"), so a node and its row never keep each other alive. Rows
// that a newer row of the same node replaced are let go now and then, so a
// page that keeps rebuilding its tree does not grow the registry for ever.
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

    static inline const QString s_associationKey = QStringLiteral("nodeEx");

private:
    struct Entry
    {
        std::shared_ptr<DOMNodeEx> row;
        std::weak_ptr<DOMNode> node;
    };
    // Drops the entries whose row is no longer its node's newest.
    void compact();

    QList<Entry> m_entries;
    qsizetype m_replaced = 0;
};
