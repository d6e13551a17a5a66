#pragma once

#include "DOMEditRecord.h"

#include "platform/web/dom/DOMNode.h"

#include <QHash>
#include <QList>
#include <QString>

class DOMDocument;

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
