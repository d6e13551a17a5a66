#pragma once

#include "platform/web/dom/DOMNode.h"

#include <QSet>

#include <memory>

// What the program's own edits touched since the page's text was last paired
// (HTMLSourcePairing): the write-back writes its own text for these nodes and
// copies the file's text for everything else, so that what page scripts did
// never reaches the file. Nodes are known by id.
//
// The record also knows which edits came after the last write: when
// something else changes the file's text, the text is paired anew, and only
// those edits are still to be written into it.
class DOMEditRecord
{
public:
    // An element's attributes were edited.
    void noteStartTag(const DOMNode *node) { note(&DOMEditRecord::m_startTags, node); }
    // A text or comment node's text was edited.
    void noteData(const DOMNode *node) { note(&DOMEditRecord::m_data, node); }
    // The program put the node into the page.
    void noteInserted(const DOMNode *node) { note(&DOMEditRecord::m_inserted, node); }
    // The program took the node out of parent.
    void noteRemoved(const DOMNode *node, const DOMNode *parent)
    {
        note(&DOMEditRecord::m_removed, node);
        note(&DOMEditRecord::m_removedFrom, parent);
    }

    // The edits so far reached the file.
    void markWritten()
    {
        if (m_sinceWrite)
            m_sinceWrite->clear();
    }
    // The file's text now holds every edit written so far: only the edits
    // after the last write are kept.
    void forgetWritten()
    {
        if (!m_sinceWrite) {
            clear();
            return;
        }
        const DOMEditRecord pending = *m_sinceWrite;
        clear();
        for (const auto set : {&DOMEditRecord::m_startTags, &DOMEditRecord::m_data, &DOMEditRecord::m_inserted,
                               &DOMEditRecord::m_removed, &DOMEditRecord::m_removedFrom}) {
            (this->*set) = pending.*set;
            (m_sinceWrite.get()->*set) = pending.*set;
        }
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
        if (m_sinceWrite)
            m_sinceWrite->clear();
    }

    DOMEditRecord() = default;
    DOMEditRecord(const DOMEditRecord &other)
        : m_startTags(other.m_startTags)
        , m_data(other.m_data)
        , m_inserted(other.m_inserted)
        , m_removed(other.m_removed)
        , m_removedFrom(other.m_removedFrom)
    {
    }
    DOMEditRecord &operator=(const DOMEditRecord &) = delete;

private:
    void note(QSet<qint64> DOMEditRecord::*set, const DOMNode *node)
    {
        if (!node)
            return;
        (this->*set).insert(node->nodeId());
        if (!m_sinceWrite)
            m_sinceWrite = std::make_unique<DOMEditRecord>();
        (m_sinceWrite.get()->*set).insert(node->nodeId());
    }

    QSet<qint64> m_startTags;
    QSet<qint64> m_data;
    QSet<qint64> m_inserted;
    QSet<qint64> m_removed;
    QSet<qint64> m_removedFrom;
    // The same, for the edits since the last write.
    std::unique_ptr<DOMEditRecord> m_sinceWrite;
};
