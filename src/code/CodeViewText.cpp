#include "CodeViewText.h"

#include "foundation/StringUtils.h"

#include <algorithm>

namespace {

constexpr char16_t kFrameStart = 0xfdd0;
constexpr char16_t kFrameEnd = 0xfdd1;

// The file's characters [from, to) as the document holds them.
QString documentForm(const QString &text, qsizetype from, qsizetype to)
{
    QString result;
    result.reserve(to - from);
    for (qsizetype i = from; i < to; ++i) {
        const QChar c = text.at(i);
        if (c == u'\r' && i + 1 < to && text.at(i + 1) == u'\n')
            ++i;
        result.append(CodeViewText::isDocumentBreak(c) ? QChar(QChar::ParagraphSeparator) : c);
    }
    return result;
}

} // namespace

bool CodeViewText::isDocumentBreak(QChar c)
{
    const char16_t u = c.unicode();
    return u == u'\n' || u == u'\r' || u == QChar::ParagraphSeparator || u == kFrameStart || u == kFrameEnd;
}

void CodeViewText::setString(const QString &text)
{
    m_string = text;
    m_wideBreaks.clear();
    const qsizetype size = text.size();
    // Only a "\r" can start a wide break: the search for it is quick in a
    // long text, which mostly has none.
    m_lineEnding = StringUtils::firstLineEnding(text);
    for (qsizetype carriage = text.indexOf(u'\r'); carriage >= 0; carriage = text.indexOf(u'\r', carriage + 1)) {
        // Each break before it is one position shorter in the document.
        if (carriage + 1 < size && text.at(carriage + 1) == u'\n')
            m_wideBreaks.push_back(int(carriage) - int(m_wideBreaks.size()));
    }
}

int CodeViewText::stringIndexOf(int documentPosition) const
{
    const auto before = std::lower_bound(m_wideBreaks.cbegin(), m_wideBreaks.cend(), documentPosition);
    return documentPosition + int(before - m_wideBreaks.cbegin());
}

int CodeViewText::documentPositionOf(int stringIndex) const
{
    // The k-th wide break (from 0) starts at string index m_wideBreaks[k] + k.
    int low = 0;
    int high = int(m_wideBreaks.size());
    while (low < high) {
        const int middle = (low + high) / 2;
        if (m_wideBreaks[size_t(middle)] + middle < stringIndex)
            low = middle + 1;
        else
            high = middle;
    }
    // Inside a "\r\n": the break itself.
    if (low > 0 && m_wideBreaks[size_t(low - 1)] + low - 1 + 1 == stringIndex)
        return m_wideBreaks[size_t(low - 1)];
    return stringIndex - low;
}

bool CodeViewText::applyDocumentEdit(int position, int removed, const QString &inserted)
{
    // A range reaching past the text (the document's closing mark) ends
    // with the text.
    const int from = std::min(stringIndexOf(position), int(m_string.size()));
    const int to = std::min(stringIndexOf(position + removed), int(m_string.size()));
    const QString old = documentForm(m_string, from, to);

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
    m_string.replace(stringFrom, stringTo - stringFrom, middle);

    // The breaks of the replaced range go, those after it move, the new ones
    // come in between.
    const auto first = std::lower_bound(m_wideBreaks.begin(), m_wideBreaks.end(), start);
    const auto last = std::lower_bound(first, m_wideBreaks.end(), start + removedHere);
    const int delta = addedHere - removedHere;
    for (auto it = last; it != m_wideBreaks.end(); ++it)
        *it += delta;
    const auto at = m_wideBreaks.erase(first, last);
    m_wideBreaks.insert(at, newBreaks.cbegin(), newBreaks.cend());
    return true;
}
