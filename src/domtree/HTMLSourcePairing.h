#pragma once

#include "platform/web/dom/DOMDocument.h"
#include "platform/web/html/HTMLSourceMap.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

#include <memory>

class DOMNode;

// Pairs the nodes of the live page with their places in the text of the
// page's file, so that the write-back can copy the author's own text for
// everything an edit did not touch. The text is parsed as the page's engine
// parses it (HTMLParser, with source ranges); from the root elements down,
// the children of each pair are aligned: first by kind, name, attributes and
// text, then, in what is left between those, by kind and name. Page scripts
// make the two differ: what they added has no partner in the text, what
// they removed leaves text without a partner.
//
// A source node whose range does not lie in order inside its parent's (the
// parser moved it, as it moves misnested tags) is not paired: its text is
// copied with whatever surrounds it. Live nodes are known by id, so a node
// that is gone is simply not found.
class HTMLSourcePairing
{
public:
    HTMLSourcePairing();
    ~HTMLSourcePairing();

    // The text parsed with its source ranges: the part of the pairing that
    // needs no live page, so that it can run on another thread.
    struct Parsed
    {
        std::shared_ptr<DOMDocument> document;
        std::shared_ptr<HTMLSourceMap> map;
    };
    static Parsed parse(const QString &text, Scripting scripting);

    // Parses the text and pairs the live document's nodes with it.
    void pair(const QString &text, const DOMDocument &live);
    // Pairs the live document's nodes with the text, parsed already.
    void pair(const QString &text, Parsed parsed, const DOMDocument &live);
    // Pairs the live document's nodes with a text changed from `before`'s
    // (which may be this pairing): a node paired there keeps its partner
    // where its text is unchanged, also where a page script moved it out of
    // the parent its text has.
    void pairChanged(const QString &text, const DOMDocument &live, const HTMLSourcePairing &before);
    void pairChanged(const QString &text, Parsed parsed, const DOMDocument &live, const HTMLSourcePairing &before);
    void clear();

    // Whether the root elements could be paired; without that the text
    // cannot be written by splicing.
    bool isPaired() const { return m_paired; }
    const QString &text() const { return m_text; }
    const DOMDocument *sourceDocument() const { return m_source.get(); }
    const HTMLSourceMap &sourceMap() const { return *m_map; }

    // The source node paired with a live node, or null.
    const DOMNode *sourceOf(const DOMNode *live) const;
    const DOMNode *sourceOfId(qint64 liveId) const { return m_sourceOfLive.value(liveId); }
    // Whether the live text is one of texts side by side that together read
    // as one text of the source, another of them paired with it: the tree
    // took out what stood between them, and the text read since has them
    // as one. It is the file's, though no node of the text is its own.
    bool isPartOfPairedText(qint64 liveId) const { return m_textParts.contains(liveId); }
    // The id of the live node paired with a source node, or 0.
    qint64 liveIdOf(const DOMNode *source) const { return m_liveOfSource.value(source); }
    // The children of a source node (a template's content) that stand in
    // order inside its range, in order.
    const QList<const DOMNode *> &validChildren(const DOMNode *source) const;
    // The number of live nodes paired.
    qsizetype pairedCount() const { return m_sourceOfLive.size(); }

private:
    // Pairs the children of a live node and its source node, and theirs.
    void descend(const DOMNode *live, const DOMNode *source);
    using Match = std::pair<qsizetype, qsizetype>;
    using Pending = QList<std::pair<const DOMNode *, const DOMNode *>>;
    // Aligns the children between two pairs of equal ones.
    void alignGap(const QList<const DOMNode *> &live, qsizetype liveFrom, qsizetype liveTo,
                  const QList<const DOMNode *> &source, qsizetype sourceFrom, qsizetype sourceTo, QList<Match> &matches,
                  Pending &pending);
    // Pairs source elements of a stretch with elements a page script put
    // inside the live elements of the same stretch; `rest` the source nodes
    // left. Whether any was found.
    bool findWrapped(const QList<const DOMNode *> &live, qsizetype liveFrom, qsizetype liveTo,
                     const QList<const DOMNode *> &source, qsizetype sourceFrom, qsizetype sourceTo, Pending &pending,
                     QList<const DOMNode *> &rest);
    // Gives a source element left over or paired by name alone the live one
    // left over that holds its attributes.
    void takeCarriedOver(const QList<const DOMNode *> &live, const QList<const DOMNode *> &source, QList<Match> &matches);
    void markTextParts(const QList<const DOMNode *> &liveChildren);
    void link(const DOMNode *live, const DOMNode *source);
    QList<const DOMNode *> spliceableChildren(const DOMNode *source) const;

    QString m_text;
    std::shared_ptr<DOMDocument> m_source;
    std::shared_ptr<HTMLSourceMap> m_map;
    bool m_paired = false;
    QHash<qint64, const DOMNode *> m_sourceOfLive;
    QHash<const DOMNode *, qint64> m_liveOfSource;
    QHash<const DOMNode *, QList<const DOMNode *>> m_validChildren;
    QSet<qint64> m_textParts;
};
