#include "CSSText_p.h"

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

QString planeText(QStringView text, Comments comments)
{
    const qsizetype length = text.size();
    QString out;
    out.reserve(length + 8);
    bool space = false;    // a run of white space waits to be written
    bool eatSpace = false; // after "," and ">" the next run is dropped
    const auto flushSpace = [&] {
        if (space && !out.isEmpty())
            out += u' ';
        space = false;
    };
    for (qsizetype i = 0; i < length; ++i) {
        const QChar c = text[i];
        if (isWhiteSpace(c)) {
            space = !eatSpace;
            continue;
        }
        switch (c.unicode()) {
        case u'/':
            if (comments == Comments::Remove && i + 1 < length && text[i + 1] == u'*') {
                // As the scanner reads it, "/*/" opens and closes.
                const qsizetype close = text.indexOf(u"*/", i + 1);
                if (close >= 0) {
                    i = close + 1;
                    continue;
                }
            }
            break;
        case u'"':
        case u'\'': {
            flushSpace();
            const qsizetype end = quotedStringEnd(text, i);
            out += text.mid(i, end - i);
            i = end - 1;
            eatSpace = false;
            continue;
        }
        case u'\\':
            flushSpace();
            out += c;
            if (i + 1 < length)
                out += text[++i];
            eatSpace = false;
            continue;
        case u',':
            flushSpace();
            out += QLatin1String(", ");
            eatSpace = true;
            continue;
        case u'>':
            if (i + 1 < length && text[i + 1] == u'=')
                break;
            space = false;
            out += (out.isEmpty() || out.endsWith(u' ')) ? QLatin1String("> ") : QLatin1String(" > ");
            eatSpace = true;
            continue;
        default:
            break;
        }
        flushSpace();
        out += c;
        eatSpace = false;
    }
    while (out.endsWith(u' '))
        out.chop(1);
    return out;
}

} // namespace CSSText
