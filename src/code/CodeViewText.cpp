#include "CodeViewText.h"

#include "foundation/StringUtils.h"

#include <algorithm>

namespace {

constexpr char16_t kFrameStart = 0xfdd0;
constexpr char16_t kFrameEnd = 0xfdd1;

// How many of the sorted document positions lie before the position.
int countBefore(const std::vector<int> &positions, int documentPosition)
{
    return int(std::lower_bound(positions.cbegin(), positions.cend(), documentPosition) - positions.cbegin());
}

// The positions in [from, to) go, those after move by delta.
void dropAndMove(std::vector<int> &positions, int from, int to, int delta)
{
    const auto first = std::lower_bound(positions.begin(), positions.end(), from);
    const auto last = std::lower_bound(first, positions.end(), to);
    for (auto it = last; it != positions.end(); ++it)
        *it += delta;
    positions.erase(first, last);
}

} // namespace

bool CodeViewText::isDocumentBreak(QChar c)
{
    const char16_t u = c.unicode();
    return u == u'\n' || u == u'\r' || u == QChar::ParagraphSeparator || u == kFrameStart || u == kFrameEnd;
}

qsizetype CodeViewText::sliceCut(const QString &text, qsizetype from, qsizetype to)
{
    // Cut where a reader would: after a rule, a declaration or a word, in
    // the second half of the slice; else at its length.
    const qsizetype limit = std::min(to, from + kSliceLength);
    const qsizetype earliest = from + kSliceLength / 2;
    const QStringView range = QStringView(text).sliced(earliest, limit - earliest);
    for (const char16_t mark : {u'}', u';', u' '}) {
        const qsizetype at = range.lastIndexOf(QChar(mark));
        if (at >= 0)
            return earliest + at + 1;
    }
    return text.at(limit - 1).isHighSurrogate() ? limit - 1 : limit;
}

void CodeViewText::setString(const QString &text, qsizetype wholeBefore)
{
    m_string = text;
    m_wideBreaks.clear();
    m_softBreaks.clear();
    m_lineEnding = StringUtils::firstLineEnding(text);
    const qsizetype size = text.size();

    // The string indexes of the "\r" of each "\r\n": only a "\r" can start
    // one, and the search for it is quick in a long text, which mostly has none.
    std::vector<qsizetype> wide;
    for (qsizetype carriage = text.indexOf(u'\r'); carriage >= 0; carriage = text.indexOf(u'\r', carriage + 1)) {
        if (carriage + 1 < size && text.at(carriage + 1) == u'\n')
            wide.push_back(carriage);
    }
    // The string indexes the soft breaks stand before. Runs between line
    // feeds are found quickly; only a long one is looked into for the
    // other line breaks.
    std::vector<qsizetype> soft;
    for (qsizetype runStart = 0; runStart <= size;) {
        const qsizetype feed = text.indexOf(u'\n', runStart);
        const qsizetype runEnd = feed < 0 ? size : feed;
        if (runEnd - runStart > kLongestLine) {
            qsizetype lineStart = runStart;
            for (qsizetype i = runStart; i <= runEnd; ++i) {
                if (i < runEnd && !isDocumentBreak(text.at(i)))
                    continue;
                if (lineStart >= wholeBefore) {
                    for (qsizetype from = lineStart; i - from > kLongestLine;) {
                        from = sliceCut(text, from, i);
                        soft.push_back(from);
                    }
                }
                lineStart = i + 1;
            }
        }
        if (feed < 0)
            break;
        runStart = feed + 1;
    }

    // Their document positions: each wide break before is one position
    // shorter there, each soft break one longer.
    size_t w = 0;
    size_t k = 0;
    while (w < wide.size() || k < soft.size()) {
        if (k < soft.size() && (w == wide.size() || soft[k] < wide[w])) {
            m_softBreaks.push_back(int(soft[k] - qsizetype(w) + qsizetype(k)));
            ++k;
        } else {
            m_wideBreaks.push_back(int(wide[w] - qsizetype(w) + qsizetype(k)));
            ++w;
        }
    }
}

QString CodeViewText::documentText(qsizetype from, qsizetype to) const
{
    auto it = std::lower_bound(m_softBreaks.cbegin(), m_softBreaks.cend(), documentPositionOf(int(from)));
    if (it == m_softBreaks.cend() || stringIndexOf(*it) > to)
        return m_string.mid(from, to - from);
    QString result;
    result.reserve(to - from + (to - from) / kSliceLength + 2);
    qsizetype at = from;
    for (; it != m_softBreaks.cend(); ++it) {
        const qsizetype index = stringIndexOf(*it);
        if (index > to)
            break;
        result += QStringView(m_string).sliced(at, index - at);
        result += QChar(QChar::ParagraphSeparator);
        at = index;
    }
    result += QStringView(m_string).sliced(at, to - at);
    return result;
}

QString CodeViewText::plainText(int from, int to) const
{
    const qsizetype start = std::min<qsizetype>(stringIndexOf(from), m_string.size());
    const qsizetype end = std::min<qsizetype>(stringIndexOf(to), m_string.size());
    QString result;
    result.reserve(end - start);
    for (qsizetype i = start; i < end; ++i) {
        const QChar c = m_string.at(i);
        if (c == u'\r' && i + 1 < end && m_string.at(i + 1) == u'\n')
            continue;
        result.append(isDocumentBreak(c) ? QChar(u'\n') : c);
    }
    return result;
}

int CodeViewText::stringIndexOf(int documentPosition) const
{
    return documentPosition + countBefore(m_wideBreaks, documentPosition) - countBefore(m_softBreaks, documentPosition);
}

int CodeViewText::documentPositionOf(int stringIndex) const
{
    // The last document position at or before the index: stringIndexOf()
    // never falls as the position grows. Inside a "\r\n" that is the break,
    // at a soft break the place after it.
    int low = std::max(0, stringIndex - int(m_wideBreaks.size()));
    int high = stringIndex + int(m_softBreaks.size());
    while (low < high) {
        const int middle = low + (high - low + 1) / 2;
        if (stringIndexOf(middle) <= stringIndex)
            low = middle;
        else
            high = middle - 1;
    }
    return low;
}

bool CodeViewText::isSoftBreak(int documentPosition) const
{
    return std::binary_search(m_softBreaks.cbegin(), m_softBreaks.cend(), documentPosition);
}

int CodeViewText::softBreaksBefore(int documentPosition) const
{
    return countBefore(m_softBreaks, documentPosition);
}

void CodeViewText::addSoftBreak(int documentPosition)
{
    for (std::vector<int> *breaks : {&m_wideBreaks, &m_softBreaks}) {
        const auto at = std::lower_bound(breaks->begin(), breaks->end(), documentPosition);
        for (auto it = at; it != breaks->end(); ++it)
            ++*it;
    }
    m_softBreaks.insert(std::lower_bound(m_softBreaks.begin(), m_softBreaks.end(), documentPosition), documentPosition);
}

std::vector<qsizetype> CodeViewText::softBreaksIn(int from, int to) const
{
    std::vector<qsizetype> indexes;
    const auto first = std::lower_bound(m_softBreaks.cbegin(), m_softBreaks.cend(), from);
    for (auto it = first; it != m_softBreaks.cend() && *it < to; ++it)
        indexes.push_back(stringIndexOf(*it));
    return indexes;
}

void CodeViewText::replaceSoftBreaks(int from, int to, const std::vector<qsizetype> &cuts)
{
    const qsizetype lineStart = stringIndexOf(from);
    std::vector<int> placed;
    placed.reserve(cuts.size());
    for (size_t k = 0; k < cuts.size(); ++k)
        placed.push_back(from + int(cuts[k] - lineStart) + int(k));
    const auto first = std::lower_bound(m_softBreaks.begin(), m_softBreaks.end(), from);
    const auto last = std::lower_bound(first, m_softBreaks.end(), to);
    // The breaks after the line move by the change in its number of breaks.
    const int delta = int(cuts.size()) - int(last - first);
    for (auto it = std::lower_bound(m_wideBreaks.begin(), m_wideBreaks.end(), to); it != m_wideBreaks.end(); ++it)
        *it += delta;
    const auto at = m_softBreaks.erase(first, last);
    for (auto it = at; it != m_softBreaks.end(); ++it)
        *it += delta;
    m_softBreaks.insert(std::lower_bound(m_softBreaks.begin(), m_softBreaks.end(), from), placed.cbegin(), placed.cend());
}

void CodeViewText::replaceRange(int from, int to, const QString &middle)
{
    const int stringFrom = stringIndexOf(from);
    const int stringTo = stringIndexOf(to);
    std::vector<int> newBreaks;
    int length = 0;
    for (qsizetype i = 0; i < middle.size(); ++i, ++length) {
        if (middle.at(i) == u'\r' && i + 1 < middle.size() && middle.at(i + 1) == u'\n') {
            newBreaks.push_back(from + length);
            ++i;
        }
    }
    m_string.replace(stringFrom, stringTo - stringFrom, middle);
    m_lineEnding = StringUtils::firstLineEnding(m_string);
    const int delta = length - (to - from);
    dropAndMove(m_softBreaks, from, to, delta);
    dropAndMove(m_wideBreaks, from, to, delta);
    m_wideBreaks.insert(std::lower_bound(m_wideBreaks.begin(), m_wideBreaks.end(), from), newBreaks.cbegin(),
                        newBreaks.cend());
}

bool CodeViewText::applyDocumentEdit(int position, int removed, const QString &inserted)
{
    // The document's old text of the range, from the file's characters and
    // the soft breaks in it. A range reaching past the text (the document's
    // closing mark) ends with the text.
    const int from = std::min(stringIndexOf(position), int(m_string.size()));
    const int to = std::min(stringIndexOf(position + removed), int(m_string.size()));
    auto soft = std::lower_bound(m_softBreaks.cbegin(), m_softBreaks.cend(), position);
    const auto softEnd = std::lower_bound(soft, m_softBreaks.cend(), position + removed);
    QString old;
    old.reserve(to - from + (softEnd - soft));
    for (int i = from;; ++i) {
        for (; soft != softEnd && stringIndexOf(*soft) == i; ++soft)
            old.append(QChar(QChar::ParagraphSeparator));
        if (i >= to)
            break;
        const QChar c = m_string.at(i);
        if (c == u'\r' && i + 1 < to && m_string.at(i + 1) == u'\n')
            ++i;
        old.append(isDocumentBreak(c) ? QChar(QChar::ParagraphSeparator) : c);
    }

    // Qt may report a wider range than what changed (formats laid on since
    // the last edit): keep what is the same at both ends.
    const qsizetype shorter = std::min(old.size(), inserted.size());
    qsizetype prefix = 0;
    while (prefix < shorter && old.at(prefix) == inserted.at(prefix))
        ++prefix;
    qsizetype suffix = 0;
    while (suffix < shorter - prefix && old.at(old.size() - 1 - suffix) == inserted.at(inserted.size() - 1 - suffix))
        ++suffix;
    const int start = position + int(prefix);
    const int removedHere = int(old.size() - prefix - suffix);
    const int addedHere = int(inserted.size() - prefix - suffix);
    if (removedHere == 0 && addedHere == 0)
        return false;

    const int stringFrom = stringIndexOf(start);
    const int stringTo = stringIndexOf(start + removedHere);
    QString middle;
    middle.reserve(addedHere);
    std::vector<int> newBreaks;
    for (int i = 0; i < addedHere; ++i) {
        const QChar c = inserted.at(prefix + i);
        if (c == QChar::ParagraphSeparator) {
            if (m_lineEnding.size() == 2)
                newBreaks.push_back(start + i);
            middle.append(m_lineEnding);
        } else {
            middle.append(c);
        }
    }
    // Soft breaks removed alone change the document, not the file.
    const bool changed = stringTo > stringFrom || !middle.isEmpty();
    if (changed)
        m_string.replace(stringFrom, stringTo - stringFrom, middle);

    // The breaks of the replaced range go, those after it move, the new ones
    // come in between.
    const int delta = addedHere - removedHere;
    dropAndMove(m_softBreaks, start, start + removedHere, delta);
    dropAndMove(m_wideBreaks, start, start + removedHere, delta);
    m_wideBreaks.insert(std::lower_bound(m_wideBreaks.begin(), m_wideBreaks.end(), start), newBreaks.cbegin(),
                        newBreaks.cend());
    return changed;
}
