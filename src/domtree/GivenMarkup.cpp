#include "GivenMarkup.h"

#include "DOMNodeEx.h"
#include "LayoutSpace.h"

#include "platform/web/dom/DOMDocument.h"
#include "platform/web/html/HTMLSourceMap.h"

#include <algorithm>
#include <vector>

namespace {

// The indentation of a line in levels of unit, and the spaces left over.
std::pair<qsizetype, qsizetype> indentLevel(QStringView indent, const QString &unit)
{
    const qsizetype width = unit == QLatin1String("\t") ? 4 : unit.size();
    qsizetype columns = 0;
    for (const QChar c : indent)
        columns += c == u'\t' ? width : 1;
    return {columns / width, columns % width};
}

qsizetype indentRunEnd(const QString &text, qsizetype from, qsizetype to)
{
    while (from < to && (text.at(from) == u' ' || text.at(from) == u'\t'))
        ++from;
    return from;
}

} // namespace

GivenMarkup GivenMarkup::parse(DOMDocument &document, const QString &given)
{
    GivenMarkup markup;
    QString text = given;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(u'\r', u'\n');
    // The nodes are parsed from the text without the white space around it.
    qsizetype lead = 0;
    while (lead < text.size() && text.at(lead).isSpace())
        ++lead;
    HTMLSourceMap map;
    markup.m_nodes = document.createNodesFromString(text, &map);
    // The unit of its indentation, as its lines stand to one another.
    const QString unit = LayoutSpace::indentUnitOf(LayoutSpace::withoutCommonIndent(text));

    // The lines that begin in layout white space: inside texts that are not
    // preformatted.
    QList<qsizetype> layoutLines;
    std::vector<std::pair<const DOMNode *, bool>> pending;
    for (const DOMNodePtr &node : std::as_const(markup.m_nodes))
        pending.emplace_back(node.get(), false);
    std::vector<const DOMNode *> all;
    while (!pending.empty()) {
        const auto [node, inPre] = pending.back();
        pending.pop_back();
        all.push_back(node);
        const HTMLSourceRange *range = map.rangeOf(node);
        if (node->isText() && !inPre && range && range->isValid()) {
            for (qsizetype at = lead + range->start; at < lead + range->end && at < text.size(); ++at) {
                if (text.at(at) == u'\n')
                    layoutLines.append(at + 1);
            }
        }
        const bool childrenInPre = inPre || DOMNodeEx::isPreformatted(node);
        for (const DOMNode *child = node->firstChild(); child; child = child->nextSibling())
            pending.emplace_back(child, childrenInPre);
    }
    std::sort(layoutLines.begin(), layoutLines.end());

    for (const DOMNode *node : all) {
        const HTMLSourceRange *range = map.rangeOf(node);
        if (!range || !range->isValid() || range->end == range->start)
            continue;
        const qsizetype from = lead + range->start;
        const qsizetype to = std::min(lead + range->end, text.size());
        // The node's first line sets the level its other lines are counted from.
        const qsizetype lineStart = text.lastIndexOf(u'\n', from - 1) + 1;
        const qsizetype base
            = indentLevel(QStringView(text).mid(lineStart, indentRunEnd(text, lineStart, from) - lineStart), unit).first;
        GivenText part;
        qsizetype copied = from;
        for (auto line = std::upper_bound(layoutLines.cbegin(), layoutLines.cend(), from);
             line != layoutLines.cend() && *line < to; ++line) {
            part.text += QStringView(text).mid(copied, *line - copied);
            const qsizetype runEnd = indentRunEnd(text, *line, to);
            copied = runEnd;
            // A blank line keeps no indentation.
            if (runEnd == to || text.at(runEnd) == u'\n')
                continue;
            const auto [level, spaces] = indentLevel(QStringView(text).mid(*line, runEnd - *line), unit);
            part.lineStarts.append(part.text.size());
            part.text += QString(std::max<qsizetype>(0, level - base), u'\t') + QString(spaces, u' ');
        }
        part.text += QStringView(text).mid(copied, to - copied);
        markup.m_texts.insert(node, part);
    }
    return markup;
}

void GivenMarkup::noteInto(DOMEditRecord &edits) const
{
    for (auto part = m_texts.cbegin(); part != m_texts.cend(); ++part)
        edits.noteGivenText(part.key(), part.value());
}
