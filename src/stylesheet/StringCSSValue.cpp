#include "StringCSSValue.h"

#include <algorithm>

namespace StringCSSValue {

QStringList getValues(const QString &value)
{
    QStringList entries;
    QString group;
    bool inGroup = false;
    const QStringList words = value.split(u' ');
    for (const QString &word : words) {
        if (inGroup) {
            group += u' ';
            group += word;
            if (word.contains(u')')) {
                entries.append(group);
                group.clear();
                inGroup = false;
            }
        } else if (word.contains(u'(') && !word.contains(u')')) {
            group = word;
            inGroup = true;
        } else {
            entries.append(word);
        }
    }
    return entries;
}

QStringList components(const QString &value)
{
    QStringList parts;
    QString current;
    int depth = 0;
    QChar quote;
    const auto endPart = [&] {
        if (!current.isEmpty())
            parts.append(current);
        current.clear();
    };
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (!quote.isNull()) {
            current += c;
            if (c == u'\\' && i + 1 < value.size())
                current += value.at(++i);
            else if (c == quote)
                quote = QChar();
            continue;
        }
        if (c == u'"' || c == u'\'') {
            quote = c;
        } else if (c == u'(' || c == u'[') {
            ++depth;
        } else if (c == u')' || c == u']') {
            depth = std::max(0, depth - 1);
        } else if (depth == 0 && (c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f')) {
            endPart();
            continue;
        } else if (depth == 0 && c == u'/') {
            endPart();
            parts.append(QStringLiteral("/"));
            continue;
        }
        current += c;
    }
    endPart();
    return parts;
}

bool hasSubstitution(const QString &value)
{
    for (const char *function : {"var(", "env(", "attr("}) {
        if (value.contains(QLatin1String(function), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

QString compactedEdit(const QString &before, const QString &after)
{
    // The part that differs: after the common beginning, before the common end.
    qsizetype prefix = 0;
    const qsizetype shorter = std::min(before.size(), after.size());
    while (prefix < shorter && before.at(prefix) == after.at(prefix))
        ++prefix;
    qsizetype suffix = 0;
    while (suffix < shorter - prefix && before.at(before.size() - 1 - suffix) == after.at(after.size() - 1 - suffix))
        ++suffix;
    const qsizetype changedEnd = after.size() - suffix;
    if (prefix >= changedEnd)
        return after;
    const auto isBlank = [](QChar c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f'; };
    QString compact;
    compact.reserve(after.size());
    QChar quote;
    for (qsizetype i = 0; i < after.size(); ++i) {
        const QChar c = after.at(i);
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == u'"' || c == u'\'') {
            quote = c;
        } else if (isBlank(c) && i >= prefix && i < changedEnd) {
            qsizetype previous = compact.size() - 1;
            while (previous >= 0 && isBlank(compact.at(previous)))
                --previous;
            qsizetype next = i + 1;
            while (next < after.size() && isBlank(after.at(next)))
                ++next;
            const QChar before = previous >= 0 ? compact.at(previous) : QChar();
            const QChar following = next < after.size() ? after.at(next) : QChar();
            // "!important" needs no blank before it either.
            if (before == u',' || before == u'(' || following == u',' || following == u')' || following == u'!')
                continue;
        }
        compact += c;
    }
    return compact;
}

} // namespace StringCSSValue
