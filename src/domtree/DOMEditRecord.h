#pragma once

#include "AttributeEdit.h"

#include "platform/web/dom/DOMNode.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

#include <memory>
#include <optional>
#include <utility>

class DOMDocument;

// A node's text as the user gave it (pasted, or dropped from the palette),
// its lines indented relative to the node's first line, ready for the
// indent of the place it goes to.
struct GivenText
{
    QString text;
    // The starts of the lines after the first that the indent goes before:
    // those that begin in layout white space (not inside a tag, a comment
    // or preformatted text), in rising order.
    QList<qsizetype> lineStarts;

    // The text with indent before each of those lines.
    QString indented(const QString &indent) const;
    // The text with no indentation on those lines, as a minified page has
    // its line breaks (#77).
    QString unindented() const;
};

// What the program's own edits touched since the page's text was last paired
// (HTMLSourcePairing), and what the user gave in each: the write-back writes
// exactly that and copies the file's text for everything else, so that what
// page scripts did never reaches the file. Nodes are known by id.
//
// An edit keeps what the user did: the attribute values set (and of "style"
// and "class" only the declarations and names set or removed), the text
// typed, and a copy of every node put in, taken when it went in (in a
// scratch document of the record's own), into which later insertions inside
// it go too. A copy of a page node knows the node it was copied from, so
// that the author's own text can stand for it, and takes along the edits
// that node had when it was copied, through any number of copies.
//
// The record also knows which edits came after the last write: when
// something else changes the file's text, the text is paired anew, and only
// those edits are still to be written into it.
class DOMEditRecord
{
public:
    using Attributes = QList<std::pair<QString, QString>>;
    // The edits of one node: what an undo of an edit puts back.
    struct NodeEdits
    {
        AttributeEdits attributes;
        std::optional<QString> data;
        bool operator==(const NodeEdits &other) const = default;
    };

    DOMEditRecord();
    DOMEditRecord(const DOMEditRecord &other);
    DOMEditRecord &operator=(const DOMEditRecord &) = delete;
    ~DOMEditRecord();

    // An element's attributes were edited; before is what they were. Each
    // name whose value changed keeps the edit from its value before.
    void noteAttributes(const DOMNode *node, const Attributes &before,
                        AttributeEdit::Given given = AttributeEdit::Given::Parts);
    // One attribute was set or removed; before is its value before (none:
    // absent). partsFrom, when given, is the text the user's parts were
    // changed from (AttributeEdit::between()).
    void noteAttribute(const DOMNode *node, const QString &name, const std::optional<QString> &before,
                       AttributeEdit::Given given = AttributeEdit::Given::Parts,
                       const std::optional<QString> &partsFrom = std::nullopt);
    // A text or comment node's text was edited.
    void noteData(const DOMNode *node);
    // The program put the node into the page.
    void noteInserted(const DOMNode *node);
    // The program took the node out of parent.
    void noteRemoved(const DOMNode *node, const DOMNode *parent);
    // copy was made from original (a deep copy, node for node, or of the
    // element alone when copy has no children yet): each node of the copy
    // takes the edits its original has now.
    void noteCopied(const DOMNode *copy, const DOMNode *original);
    // The node was made from text the user gave; this is its part of it.
    void noteGivenText(const DOMNode *node, const GivenText &text);

    // The edits so far reached the file.
    void markWritten();
    // The file's text now holds every edit written so far: only the edits
    // after the last write are kept.
    void forgetWritten();

    bool isStartTagTouched(const DOMNode *node) const { return node && m_startTags.contains(node->nodeId()); }
    bool isDataTouched(const DOMNode *node) const { return node && m_data.contains(node->nodeId()); }
    bool isInserted(const DOMNode *node) const { return node && m_inserted.contains(node->nodeId()); }
    bool isRemoved(const DOMNode *node) const { return node && m_removed.contains(node->nodeId()); }
    // Whether the edits made the node's own text the program's to write.
    bool isTouched(const DOMNode *node) const
    {
        return isStartTagTouched(node) || isDataTouched(node) || isInserted(node);
    }

    // The node's own edits (not those a copy took along).
    NodeEdits editsOf(const DOMNode *node) const;
    // Puts the node's own edits back as they were (an undo, a redo).
    void restoreEdits(const DOMNode *node, const NodeEdits &edits);

    // What the user did to an element's attributes, those it took along as
    // a copy included.
    AttributeEdits attributeEdits(qint64 id) const;
    // The text the user gave a text or comment node (or its original, for
    // a copy), or nullopt.
    std::optional<QString> dataEdit(qint64 id) const;
    // A node the program made (the user's), as it first went in: what its
    // text is written from, with the edits.
    struct MadeAs
    {
        Attributes attributes;
        QString data;
    };
    // Null for a node of the page.
    const MadeAs *madeAs(qint64 id) const;
    // The copy of an inserted node as the user gave it, with what was put
    // in it since, or null.
    const DOMNode *givenOf(const DOMNode *live) const;
    // The page node a node of a given copy stands for: the node the user
    // put in, or the node it was copied from. 0 when unknown.
    qint64 originOf(const DOMNode *given) const;
    // An element's attribute value, or none when it has no such attribute.
    static std::optional<QString> attributeValue(const DOMNode *element, const QString &name);
    // The text the user gave for a node (by the id of the node it was made
    // as), or null.
    const GivenText *givenTextOf(qint64 id) const
    {
        const auto found = m_givenTexts.constFind(id);
        return found == m_givenTexts.cend() ? nullptr : &found.value();
    }
    // The page node a node of a given copy is the copy of, or 0.
    qint64 liveOf(const DOMNode *given) const { return m_liveOfGiven.value(given); }
    // Whether the user edited anything inside a given copy that is not in
    // the page node it was copied from (the nodes the program made have ids
    // below zero).
    // Its own start tag's edits count or not (they can be written into the
    // author's text of the node).
    enum class OwnStartTag { Counts, Ignored };
    bool isEditedInside(const DOMNode *given, OwnStartTag ownStartTag = OwnStartTag::Counts) const;
    DOMDocument *scratchDocument() const { return m_scratch.get(); }

    const QSet<qint64> &startTags() const { return m_startTags; }
    const QSet<qint64> &data() const { return m_data; }
    const QSet<qint64> &inserted() const { return m_inserted; }
    const QSet<qint64> &removedFrom() const { return m_removedFrom; }

    bool isEmpty() const { return m_startTags.isEmpty() && m_data.isEmpty() && m_inserted.isEmpty() && m_removed.isEmpty(); }
    void clear();

private:
    void note(QSet<qint64> DOMEditRecord::*set, const DOMNode *node);
    void addAttributeEdit(const DOMNode *node, const QString &name, const AttributeEdit &edit);
    DOMNode *givenOfId(qint64 id) const;
    void mapGiven(const DOMNode *live, const DOMNodePtr &given);

    QSet<qint64> m_startTags;
    QSet<qint64> m_data;
    QSet<qint64> m_inserted;
    QSet<qint64> m_removed;
    QSet<qint64> m_removedFrom;
    // The user's own edits of each node.
    QHash<qint64, AttributeEdits> m_attributes;
    QHash<qint64, QString> m_dataText;
    // The edits each copy took from its original when it was made.
    QHash<qint64, NodeEdits> m_inherited;
    // The copies made of a node the user had taken something out of.
    QSet<qint64> m_inheritedRemovedFrom;
    // The nodes the user made, as they first went in (in the scratch document).
    QHash<qint64, MadeAs> m_madeAs;
    QHash<qint64, GivenText> m_givenTexts;
    // Copies as given: the copy of each live node, and the live node of each copy.
    std::shared_ptr<DOMDocument> m_scratch;
    QHash<qint64, DOMNodePtr> m_givenOfLive;
    QHash<const DOMNode *, qint64> m_liveOfGiven;
    // The page node each copy was made from (its own origin when copied again).
    QHash<qint64, qint64> m_copiedFrom;
    // The same sets, for the edits since the last write; its m_attributes
    // holds the names edited since.
    std::unique_ptr<DOMEditRecord> m_sinceWrite;
};
