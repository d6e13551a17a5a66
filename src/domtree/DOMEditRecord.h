#pragma once

#include "platform/web/dom/DOMNode.h"

#include <QSet>

// What the program's own edits touched since the page's text was last paired
// (HTMLSourcePairing): the write-back writes its own text for these nodes and
// copies the file's text for everything else, so that what page scripts did
// never reaches the file. Nodes are known by id.
class DOMEditRecord
{
public:
    // An element's attributes were edited.
    void noteStartTag(const DOMNode *node) { add(m_startTags, node); }
    // A text or comment node's text was edited.
    void noteData(const DOMNode *node) { add(m_data, node); }
    // The program put the node into the page.
    void noteInserted(const DOMNode *node) { add(m_inserted, node); }
    // The program took the node out of parent.
    void noteRemoved(const DOMNode *node, const DOMNode *parent)
    {
        add(m_removed, node);
        add(m_removedFrom, parent);
    }

    bool isStartTagTouched(const DOMNode *node) const { return node && m_startTags.contains(node->nodeId()); }
    bool isDataTouched(const DOMNode *node) const { return node && m_data.contains(node->nodeId()); }
    bool isInserted(const DOMNode *node) const { return node && m_inserted.contains(node->nodeId()); }
    bool isRemoved(const DOMNode *node) const { return node && m_removed.contains(node->nodeId()); }
    // Whether the edits made the node's own text the program's to write.
    bool isTouched(const DOMNode *node) const
    {
        return isStartTagTouched(node) || isDataTouched(node) || isInserted(node);
    }

    const QSet<qint64> &startTags() const { return m_startTags; }
    const QSet<qint64> &data() const { return m_data; }
    const QSet<qint64> &inserted() const { return m_inserted; }
    const QSet<qint64> &removedFrom() const { return m_removedFrom; }

    bool isEmpty() const { return m_startTags.isEmpty() && m_data.isEmpty() && m_inserted.isEmpty() && m_removed.isEmpty(); }
    void clear()
    {
        m_startTags.clear();
        m_data.clear();
        m_inserted.clear();
        m_removed.clear();
        m_removedFrom.clear();
    }

private:
    static void add(QSet<qint64> &set, const DOMNode *node)
    {
        if (node)
            set.insert(node->nodeId());
    }

    QSet<qint64> m_startTags;
    QSet<qint64> m_data;
    QSet<qint64> m_inserted;
    QSet<qint64> m_removed;
    QSet<qint64> m_removedFrom;
};
