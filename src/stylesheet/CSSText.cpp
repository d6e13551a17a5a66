#include "CSSText_p.h"

#include "CSSScan_p.h"

#include <algorithm>
#include <vector>

namespace CSSText {

QString trimmedBlanks(QStringView text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && (text[start] == u' ' || text[start] == u'\t'))
        ++start;
    while (end > start && (text[end - 1] == u' ' || text[end - 1] == u'\t'))
        --end;
    return text.mid(start, end - start).toString();
}

bool isUrlOpening(QStringView text, qsizetype parenIndex)
{
    if (parenIndex < 3 || text.mid(parenIndex - 3, 3).compare(u"url", Qt::CaseInsensitive) != 0)
        return false;
    return parenIndex == 3 || !isIdentChar(text[parenIndex - 4]);
}

qsizetype unquotedUrlEnd(QStringView text, qsizetype parenIndex)
{
    qsizetype i = parenIndex + 1;
    const qsizetype length = text.size();
    while (i < length && isWhiteSpace(text[i]))
        ++i;
    if (i < length && (text[i] == u'"' || text[i] == u'\''))
        return s_quotedUrl;
    for (; i < length; ++i) {
        const QChar c = text[i];
        if (c == u')')
            return i;
        if (c == u'\\')
            ++i;
    }
    return -1;
}

qsizetype quotedStringEnd(QStringView text, qsizetype quoteIndex)
{
    const QChar quote = text[quoteIndex];
    const qsizetype length = text.size();
    for (qsizetype i = quoteIndex + 1; i < length; ++i) {
        const QChar c = text[i];
        if (c == quote)
            return i + 1;
        if (isLineBreak(c))
            return i;
        if (c == u'\\') {
            // An escaped line break continues the string.
            if (i + 1 < length && text[i + 1] == u'\r' && i + 2 < length && text[i + 2] == u'\n')
                i += 2;
            else
                ++i;
        }
    }
    return length;
}

qsizetype opaqueEnd(QStringView text, qsizetype index)
{
    const qsizetype length = text.size();
    switch (text[index].unicode()) {
    case u'"':
    case u'\'':
        return quotedStringEnd(text, index);
    case u'\\':
        // A backslash before a line break escapes nothing.
        return index + 1 < length && !isLineBreak(text[index + 1]) ? index + 2 : index + 1;
    case u'(':
        if (isUrlOpening(text, index)) {
            const qsizetype close = unquotedUrlEnd(text, index);
            if (close != s_quotedUrl)
                return close >= 0 ? close + 1 : length;
        }
        return index;
    default:
        return index;
    }
}

QString planeText(QStringView text, Comments comments)
{
    const qsizetype length = text.size();
    const QChar *in = text.data();
    // Written into a scratch buffer first: a "," can grow by one character
    // and a ">" by two, and the result is then allocated once at its size.
    thread_local std::vector<QChar> shared;
    std::vector<QChar> own;
    std::vector<QChar> &buffer = length <= 4096 ? shared : own;
    // Grown only: resizing down and up again would clear it each time.
    if (buffer.size() < size_t(length) * 3 + 1)
        buffer.resize(size_t(length) * 3 + 1);
    QChar *const begin = buffer.data();
    QChar *out = begin;
    bool space = false;    // a run of white space waits to be written
    bool eatSpace = false; // after "," and ">" the next run is dropped
    const auto flushSpace = [&] {
        if (space && out != begin)
            *out++ = u' ';
        space = false;
    };
    for (qsizetype i = 0; i < length; ++i) {
        // Copy the run up to the next character that may need work.
        const qsizetype next = CSSScan::findFirstOf<u' ', u'\t', u'\n', u'\r', u'\f', u'/', u'"', u'\'',
                                                    u'\\', u',', u'>', u'('>(in + i, in + length)
                               - in;
        if (next > i) {
            flushSpace();
            out = std::copy(in + i, in + next, out);
            eatSpace = false;
            i = next;
            if (i >= length)
                break;
        }
        const QChar c = in[i];
        if (isWhiteSpace(c)) {
            space = !eatSpace;
            continue;
        }
        switch (c.unicode()) {
        case u'/':
            if (comments == Comments::Remove && i + 1 < length && in[i + 1] == u'*') {
                // As the scanner reads it, "/*/" opens and closes.
                const qsizetype close = text.indexOf(u"*/", i + 1);
                if (close >= 0) {
                    i = close + 1;
                    continue;
                }
            }
            break;
        case u'"':
        case u'\'':
        case u'\\':
        case u'(': {
            // Strings, escaped characters and url() are written as they stand.
            const qsizetype end = opaqueEnd(text, i);
            if (end == i)
                break;
            flushSpace();
            out = std::copy(in + i, in + end, out);
            i = end - 1;
            eatSpace = false;
            continue;
        }
        case u',':
            flushSpace();
            *out++ = u',';
            *out++ = u' ';
            eatSpace = true;
            continue;
        case u'>':
            if (i + 1 < length && in[i + 1] == u'=')
                break;
            space = false;
            if (out != begin && out[-1] != u' ')
                *out++ = u' ';
            *out++ = u'>';
            *out++ = u' ';
            eatSpace = true;
            continue;
        default:
            break;
        }
        flushSpace();
        *out++ = c;
        eatSpace = false;
    }
    while (out != begin && out[-1] == u' ')
        --out;
    return QString(begin, out - begin);
}

} // namespace CSSText
