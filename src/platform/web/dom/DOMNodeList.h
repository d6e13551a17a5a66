#pragma once

#include "DOMNode.h"

#include <QList>

// An ordered list of nodes, as childNodes, querySelectorAll() and
// getElementsByTagName() answer it. It is a snapshot taken when it was made
// (not live) and holds its nodes alive.
class DOMNodeList
{
public:
    DOMNodeList() = default;
    explicit DOMNodeList(QList<DOMNodePtr> nodes) : m_nodes(std::move(nodes)) {}

    int length() const { return int(m_nodes.size()); }
    bool isEmpty() const { return m_nodes.isEmpty(); }
    // Null outside [0, length).
    DOMNode *item(int index) const;
    const DOMNodePtr &at(int index) const { return m_nodes.at(index); }
    const QList<DOMNodePtr> &toList() const { return m_nodes; }

    QList<DOMNodePtr>::const_iterator begin() const { return m_nodes.cbegin(); }
    QList<DOMNodePtr>::const_iterator end() const { return m_nodes.cend(); }

private:
    QList<DOMNodePtr> m_nodes;
};
