#include "PieceText.h"

#include <algorithm>

namespace {

// A search goes through the text in windows of this many characters (and
// the length of what is searched for, so no match is cut).
constexpr qsizetype kSearchWindow = 1 << 20;

} // namespace

PieceText::PieceText(QString original) : m_original(std::move(original)), m_size(m_original.size())
{
    if (m_size > 0)
        m_pieces.push_back({false, 0, m_size});
    indexStarts();
}

void PieceText::indexStarts()
{
    m_starts.resize(m_pieces.size());
    qsizetype at = 0;
    for (size_t i = 0; i < m_pieces.size(); ++i) {
        m_starts[i] = at;
        at += m_pieces[i].length;
    }
    m_size = at;
}

QStringView PieceText::viewOf(const Piece &piece) const
{
    return QStringView(piece.added ? m_added : m_original).sliced(piece.start, piece.length);
}

size_t PieceText::pieceAt(qsizetype position, qsizetype *pieceStart) const
{
    const auto after = std::upper_bound(m_starts.cbegin(), m_starts.cend(), position);
    const size_t index = after == m_starts.cbegin() ? 0 : size_t(after - m_starts.cbegin() - 1);
    if (pieceStart)
        *pieceStart = m_starts.empty() ? 0 : m_starts[index];
    return index;
}

template <typename F>
void PieceText::forEachPart(qsizetype from, qsizetype to, F f) const
{
    from = std::clamp<qsizetype>(from, 0, m_size);
    to = std::clamp<qsizetype>(to, from, m_size);
    if (from == to)
        return;
    qsizetype start = 0;
    for (size_t i = pieceAt(from, &start); i < m_pieces.size() && start < to; start += m_pieces[i].length, ++i) {
        const qsizetype partFrom = std::max(from, start);
        const qsizetype partTo = std::min(to, start + m_pieces[i].length);
        if (partFrom < partTo && !f(viewOf(m_pieces[i]).sliced(partFrom - start, partTo - partFrom), partFrom))
            return;
    }
}

QChar PieceText::at(qsizetype position) const
{
    qsizetype start = 0;
    const Piece &piece = m_pieces[pieceAt(position, &start)];
    return viewOf(piece).at(position - start);
}

QString PieceText::mid(qsizetype position, qsizetype length) const
{
    // One piece: a copy of the part alone (or the original shared whole).
    if (m_pieces.size() == 1 && !m_pieces.front().added && position <= 0 && length >= m_size)
        return m_original;
    QString text;
    text.reserve(std::max<qsizetype>(0, std::min(length, m_size - position)));
    forEachPart(position, position + length, [&text](QStringView part, qsizetype) {
        text += part;
        return true;
    });
    return text;
}

QString PieceText::toString() const
{
    return mid(0, m_size);
}

bool PieceText::equals(QStringView text) const
{
    if (text.size() != m_size)
        return false;
    bool equal = true;
    forEachPart(0, m_size, [&](QStringView part, qsizetype start) {
        const QStringView other = text.sliced(start, part.size());
        equal = part.data() == other.data() || part == other;
        return equal;
    });
    return equal;
}

bool PieceText::isOriginal() const
{
    if (m_size != m_original.size())
        return false;
    bool same = true;
    qsizetype at = 0;
    for (const Piece &piece : m_pieces) {
        // A run of the original in its own place needs no look at its characters.
        if (!(!piece.added && piece.start == at))
            same = viewOf(piece) == QStringView(m_original).sliced(at, piece.length);
        if (!same)
            return false;
        at += piece.length;
    }
    return true;
}

std::pair<qsizetype, qsizetype> PieceText::unchangedEnds() const
{
    qsizetype prefix = 0;
    for (const Piece &piece : m_pieces) {
        if (piece.added || piece.start != prefix)
            break;
        prefix += piece.length;
    }
    qsizetype suffix = 0;
    for (auto it = m_pieces.crbegin(); it != m_pieces.crend(); ++it) {
        if (it->added || it->start + it->length != m_original.size() - suffix)
            break;
        suffix += it->length;
    }
    // A text unchanged is all prefix.
    if (prefix == m_size)
        suffix = 0;
    return {prefix, std::min(suffix, m_size - prefix)};
}

void PieceText::replace(qsizetype position, qsizetype removed, QStringView inserted)
{
    position = std::clamp<qsizetype>(position, 0, m_size);
    removed = std::clamp<qsizetype>(removed, 0, m_size - position);
    if (removed == 0 && inserted.isEmpty())
        return;

    // Typing on at the end of what was typed last makes that piece longer.
    qsizetype start = 0;
    if (removed == 0 && position > 0) {
        const size_t index = pieceAt(position - 1, &start);
        Piece &piece = m_pieces[index];
        if (piece.added && start + piece.length == position && piece.start + piece.length == m_added.size()) {
            m_added += inserted;
            piece.length += inserted.size();
            for (size_t i = index + 1; i < m_starts.size(); ++i)
                m_starts[i] += inserted.size();
            m_size += inserted.size();
            return;
        }
    }

    std::vector<Piece> pieces;
    pieces.reserve(m_pieces.size() + 2);
    const qsizetype end = position + removed;
    bool placed = false;
    const auto place = [&] {
        placed = true;
        if (!inserted.isEmpty()) {
            pieces.push_back({true, m_added.size(), inserted.size()});
            m_added += inserted;
        }
    };
    qsizetype at = 0;
    for (const Piece &piece : m_pieces) {
        const qsizetype pieceEnd = at + piece.length;
        // The part before the edit, the new text, the part after the edit.
        if (at < position)
            pieces.push_back({piece.added, piece.start, std::min(pieceEnd, position) - at});
        if (!placed && pieceEnd >= position)
            place();
        if (pieceEnd > end) {
            const qsizetype skip = std::max<qsizetype>(0, end - at);
            pieces.push_back({piece.added, piece.start + skip, piece.length - skip});
        }
        at = pieceEnd;
    }
    if (!placed)
        place();

    // Neighbours that run on in the same buffer become one piece; empty ones go.
    m_pieces.clear();
    for (const Piece &piece : pieces) {
        if (piece.length == 0)
            continue;
        if (!m_pieces.empty()) {
            Piece &last = m_pieces.back();
            if (last.added == piece.added && last.start + last.length == piece.start) {
                last.length += piece.length;
                continue;
            }
        }
        m_pieces.push_back(piece);
    }
    indexStarts();
}

qsizetype PieceText::indexOfLineFeed(qsizetype from, qsizetype to) const
{
    qsizetype found = -1;
    forEachPart(from, to, [&found](QStringView part, qsizetype start) {
        const qsizetype at = part.indexOf(u'\n');
        if (at >= 0)
            found = start + at;
        return found < 0;
    });
    return found;
}

qsizetype PieceText::indexOfLineBreak(qsizetype from, qsizetype to) const
{
    qsizetype found = -1;
    forEachPart(from, to, [&found](QStringView part, qsizetype start) {
        for (qsizetype i = 0; i < part.size(); ++i) {
            if (part.at(i) == u'\n' || part.at(i) == u'\r') {
                found = start + i;
                return false;
            }
        }
        return true;
    });
    return found;
}

qsizetype PieceText::indexOf(QStringView text, qsizetype from, Qt::CaseSensitivity cs) const
{
    if (text.isEmpty())
        return std::clamp<qsizetype>(from, 0, m_size);
    for (qsizetype window = std::max<qsizetype>(0, from); window < m_size; window += kSearchWindow) {
        const QString part = mid(window, kSearchWindow + text.size() - 1);
        const qsizetype at = part.indexOf(text, 0, cs);
        if (at >= 0)
            return window + at;
    }
    return -1;
}

qsizetype PieceText::lastIndexOf(QStringView text, qsizetype from, Qt::CaseSensitivity cs) const
{
    if (text.isEmpty() || from < 0)
        return -1;
    from = std::min(from, m_size - 1);
    for (qsizetype end = from + 1; end > 0; end -= kSearchWindow) {
        const qsizetype window = std::max<qsizetype>(0, end - kSearchWindow);
        // The window holds the matches that start in it, whole.
        const QString part = mid(window, end - window + text.size() - 1);
        const qsizetype at = part.lastIndexOf(text, end - 1 - window, cs);
        if (at >= 0)
            return window + at;
    }
    return -1;
}

QList<qsizetype> PieceText::matches(QStringView text, Qt::CaseSensitivity cs) const
{
    QList<qsizetype> found;
    if (text.isEmpty())
        return found;
    qsizetype next = 0;
    for (qsizetype window = 0; window < m_size; window += kSearchWindow) {
        const QString part = mid(window, kSearchWindow + text.size() - 1);
        for (qsizetype at = part.indexOf(text, std::max<qsizetype>(0, next - window), cs); at >= 0 && at < kSearchWindow;
             at = part.indexOf(text, at + text.size(), cs)) {
            found.append(window + at);
            next = window + at + text.size();
        }
    }
    return found;
}
