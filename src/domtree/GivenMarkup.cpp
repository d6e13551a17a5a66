#include "GivenMarkup.h"

#include "DOMNodeEx.h"
#include "LayoutSpace.h"

#include "platform/web/dom/DOMDocument.h"
#include "platform/web/html/HTMLSourceMap.h"

#include <QHash>

#include <algorithm>
#include <optional>
#include <vector>

namespace {

qsizetype indentRunEnd(const QString &text, qsizetype from, qsizetype to)
{
    while (from < to && (text.at(from) == u' ' || text.at(from) == u'\t'))
        ++from;
    return from;
}

// The starts of the lines that begin in layout white space: inside the
// texts under the roots that are not preformatted, in rising order. The
// map's ranges count from offset in text.
QList<qsizetype> layoutLineStarts(const QString &text, const QList<const DOMNode *> &roots, const HTMLSourceMap &map,
                                  qsizetype offset, std::vector<const DOMNode *> *all = nullptr)
{
    QList<qsizetype> layoutLines;
    std::vector<std::pair<const DOMNode *, bool>> pending;
    for (const DOMNode *root : roots) {
        bool inPre = false;
        for (const DOMNode *up = root->parentNode(); up && !inPre; up = up->parentNode())
            inPre = DOMNodeEx::isPreformatted(up);
        pending.emplace_back(root, inPre);
    }
    while (!pending.empty()) {
        const auto [node, inPre] = pending.back();
        pending.pop_back();
        if (all)
            all->push_back(node);
        const HTMLSourceRange *range = map.rangeOf(node);
        if (node->isText() && !inPre && range && range->isValid()) {
            for (qsizetype at = offset + range->start; at < offset + range->end && at < text.size(); ++at) {
                if (text.at(at) == u'\n')
                    layoutLines.append(at + 1);
            }
        }
        const bool childrenInPre = inPre || DOMNodeEx::isPreformatted(node);
        for (const DOMNode *child = node->firstChild(); child; child = child->nextSibling())
            pending.emplace_back(child, childrenInPre);
    }
    std::sort(layoutLines.begin(), layoutLines.end());
    return layoutLines;
}

// The text [from, to) with the indentation of its layout lines made
// relative to the line it starts on: a tab a level of unit, then the
// spaces left over.
GivenText relativePart(const QString &text, qsizetype from, qsizetype to, const QList<qsizetype> &layoutLines,
                       const QString &unit)
{
    // The node's first line sets the level its other lines are counted from.
    const qsizetype lineStart = from > 0 ? text.lastIndexOf(u'\n', from - 1) + 1 : 0;
    const qsizetype base
        = LayoutSpace::indentLevel(QStringView(text).mid(lineStart, indentRunEnd(text, lineStart, from) - lineStart), unit).first;
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
        const auto [level, spaces] = LayoutSpace::indentLevel(QStringView(text).mid(*line, runEnd - *line), unit);
        part.lineStarts.append(part.text.size());
        part.text += QString(std::max<qsizetype>(0, level - base), u'\t') + QString(spaces, u' ');
    }
    part.text += QStringView(text).mid(copied, to - copied);
    return part;
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
    QList<const DOMNode *> roots;
    for (const DOMNodePtr &node : std::as_const(markup.m_nodes))
        roots.append(node.get());
    // The unit of its indentation, as its elements' lines stand to one another.
    const QString unit = indentUnitOf(text, roots, map, lead);
    std::vector<const DOMNode *> all;
    const QList<qsizetype> layoutLines = layoutLineStarts(text, roots, map, lead, &all);
    for (const DOMNode *node : all) {
        const HTMLSourceRange *range = map.rangeOf(node);
        if (!range || !range->isValid() || range->end == range->start)
            continue;
        markup.m_texts.insert(node, relativePart(text, lead + range->start, std::min(lead + range->end, text.size()),
                                                 layoutLines, unit));
    }
    return markup;
}

QString GivenMarkup::indentUnitOf(const QString &text, const QList<const DOMNode *> &roots, const HTMLSourceMap &map,
                                  qsizetype offset)
{
    // The indentation of the line a start tag begins, or nothing where
    // other text stands before it on its line.
    const auto indentOf = [&](const DOMNode *element) -> std::optional<QStringView> {
        const HTMLSourceRange *range = map.rangeOf(element);
        if (!range || !range->isValid() || !range->hasStartTag())
            return std::nullopt;
        const qsizetype start = std::min(offset + range->start, text.size());
        const qsizetype lineStart = start > 0 ? text.lastIndexOf(u'\n', start - 1) + 1 : 0;
        if (indentRunEnd(text, lineStart, start) != start)
            return std::nullopt;
        return QStringView(text).mid(lineStart, start - lineStart);
    };
    QHash<QString, int> seen;
    std::vector<const DOMNode *> pending(roots.cbegin(), roots.cend());
    while (!pending.empty()) {
        const DOMNode *node = pending.back();
        pending.pop_back();
        const std::optional<QStringView> own = node->isElement() ? indentOf(node) : std::nullopt;
        for (const DOMNode *child = node->firstChild(); child; child = child->nextSibling()) {
            if (!child->isElement())
                continue;
            pending.push_back(child);
            const std::optional<QStringView> inner = own ? indentOf(child) : std::nullopt;
            if (inner && inner->size() > own->size() && inner->startsWith(*own))
                ++seen[inner->sliced(own->size()).toString()];
        }
    }
    QString unit = QStringLiteral("\t");
    int most = 0;
    for (auto it = seen.cbegin(); it != seen.cend(); ++it) {
        if (it.value() > most || (it.value() == most && it.key().size() < unit.size())) {
            unit = it.key();
            most = it.value();
        }
    }
    return unit;
}

GivenText GivenMarkup::authorsText(const QString &text, const DOMNode *node, const HTMLSourceMap &map, const QString &unit)
{
    const HTMLSourceRange *range = map.rangeOf(node);
    if (!range || !range->isValid())
        return {};
    return relativePart(text, range->start, std::min(range->end, text.size()), layoutLineStarts(text, {node}, map, 0), unit);
}

void GivenMarkup::noteInto(DOMEditRecord &edits) const
{
    for (auto part = m_texts.cbegin(); part != m_texts.cend(); ++part)
        edits.noteGivenText(part.key(), part.value());
}
