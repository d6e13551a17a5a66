#include "DomCommentRowFormatter.h"

namespace {

const QLatin1String s_open("<!--");
const QLatin1String s_close("-->");

} // namespace

QString DomCommentRowFormatter::stringForObjectValue(const QString &body)
{
    return s_open + body + s_close;
}

QString DomCommentRowFormatter::getCommentBody(const QString &text)
{
    const qsizetype open = text.indexOf(s_open);
    if (open < 0)
        return text;
    const qsizetype start = open + s_open.size();
    const qsizetype close = text.indexOf(s_close, start);
    if (close < 0)
        return text;
    return text.mid(start, close - start);
}

QString DomCommentRowFormatter::editingStringForObjectValue(const QString &value)
{
    return getCommentBody(value);
}

QString DomCommentRowFormatter::getObjectValue(const QString &string)
{
    return stringForObjectValue(getCommentBody(string));
}
