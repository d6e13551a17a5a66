#pragma once

#include <QList>
#include <QString>

#include <memory>

class DOMNode;
class DOMNodeEx;

// The registry from a live DOM node to its newest DOM tree row. The row is
// hung on the node itself (associated object "nodeEx", released with the
// node); the registry's list owns every registered row until clearMap(),
// which page loading calls before each load. Rows are opaque here.
class DomNodeMap
{
public:
    static DomNodeMap &getInstance();

    // Attaches row to node (replacing an earlier row) and keeps the row; a
    // null node registers nothing.
    void addDomNodeEx(const std::shared_ptr<DOMNodeEx> &row, const std::shared_ptr<DOMNode> &node);
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
    QList<Entry> m_entries;
};
