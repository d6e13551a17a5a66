#pragma once

#include "DOMEditRecord.h"

#include "platform/web/dom/DOMNode.h"

#include <QHash>
#include <QList>
#include <QString>

class DOMDocument;
class HTMLSourceMap;

// HTML the user gave (pasted, or dropped from the palette) parsed into new
// nodes of a page, with each node's own part of the text: the write-back
// writes that text, not its own form of the nodes. The parts are taken as
// written, only their indentation made relative to the node's first line,
// so that they take the indentation of the place they go to.
class GivenMarkup
{
public:
    // The top-level nodes as DOMDocument::createNodesFromString() makes them.
    static GivenMarkup parse(DOMDocument &document, const QString &text);
    // The text a node of a page's file holds (its range in the map of the
    // file's text), made relative the same way, the levels counted in unit:
    // ready to be put at another place.
    static GivenText authorsText(const QString &text, const DOMNode *node, const HTMLSourceMap &map, const QString &unit);
    // The unit of indentation of a text of elements (the map's ranges
    // counting from offset in it): what the line of an element's start tag
    // is indented by beyond its parent element's, both tags starting their
    // lines, the most seen; a tab where no element says. Comments, scripts
    // and other texts have no say (#86).
    static QString indentUnitOf(const QString &text, const QList<const DOMNode *> &roots, const HTMLSourceMap &map,
                                qsizetype offset = 0);

    const QList<DOMNodePtr> &nodes() const { return m_nodes; }
    // The part of a node made (a top-level node or one inside it), or null.
    const GivenText *textOf(const DOMNode *node) const
    {
        const auto found = m_texts.constFind(node);
        return found == m_texts.cend() ? nullptr : &found.value();
    }
    // Gives the record the part of every node made.
    void noteInto(DOMEditRecord &edits) const;

private:
    QList<DOMNodePtr> m_nodes;
    QHash<const DOMNode *, GivenText> m_texts;
};
