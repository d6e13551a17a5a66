#pragma once

#include <QHash>
#include <QtGlobal>

class DOMNode;

// Where a parsed node stands in the text it was parsed from, in UTF-16
// positions of that text, each range half-open [from, to). An element's
// whole range runs from its start tag to the end of its end tag; a tag the
// parser implied has no text (an empty range where it would stand). A text
// or comment node's range is its own text, markers included.
struct HTMLSourceRange
{
    qsizetype start = -1;
    qsizetype end = -1;
    // Elements: the end of the start tag (start when implied) and the start
    // of the end tag (end when implied).
    qsizetype startTagEnd = -1;
    qsizetype endTagStart = -1;

    bool isValid() const { return start >= 0 && end >= start; }
    bool hasStartTag() const { return startTagEnd > start; }
    bool hasEndTag() const { return end > endTagStart; }
};

// The source ranges of the nodes of one parsed document (HTMLParser). The
// nodes are keys only; the map belongs to whoever keeps the document.
class HTMLSourceMap
{
public:
    // Null for a node that has no range (one the parser made up, or not of
    // this document).
    const HTMLSourceRange *rangeOf(const DOMNode *node) const
    {
        const auto found = m_ranges.constFind(node);
        return found == m_ranges.cend() ? nullptr : &found.value();
    }
    HTMLSourceRange &operator[](const DOMNode *node) { return m_ranges[node]; }
    void reserve(qsizetype count) { m_ranges.reserve(count); }
    qsizetype size() const { return m_ranges.size(); }
    void clear() { m_ranges.clear(); }

private:
    QHash<const DOMNode *, HTMLSourceRange> m_ranges;
};
