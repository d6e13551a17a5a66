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
    while (i < length && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    if (i < length && (text[i] == u'"' || text[i] == u'\''))
        return -1;
    for (; i < length; ++i) {
        const QChar c = text[i];
        if (c == u')')
            return i;
        if (isLineBreak(c))
            return -1;
        if (c == u'\\')
            ++i;
    }
    return -1;
}

qsizetype lineEnd(QStringView text, qsizetype index)
{
    while (index < text.size() && !isLineBreak(text[index]))
        ++index;
    return index;
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

} // namespace CSSText
