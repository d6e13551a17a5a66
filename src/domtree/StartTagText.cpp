#include "StartTagText.h"

#include "stylesheet/WebCoreObjects.h"

namespace {

struct TagAttribute
{
    QString name; // Lower-cased.
    qsizetype spaceStart = 0;
    qsizetype nameEnd = 0;
    // The value with its quotes; valueStart -1 when the attribute has none.
    qsizetype valueStart = -1;
    qsizetype valueEnd = -1;
    QChar quote;

    qsizetype end() const { return valueStart < 0 ? nameEnd : valueEnd; }
};

bool isTagSpace(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

// The attributes of a start tag as the HTML tokeniser reads them.
QList<TagAttribute> scanAttributes(const QString &tag, qsizetype &nameEnd)
{
    QList<TagAttribute> attributes;
    const qsizetype n = tag.size();
    qsizetype i = 1;
    while (i < n && !isTagSpace(tag.at(i)) && tag.at(i) != u'/' && tag.at(i) != u'>')
        ++i;
    nameEnd = i;
    while (i < n) {
        TagAttribute attribute;
        attribute.spaceStart = i;
        while (i < n && (isTagSpace(tag.at(i)) || tag.at(i) == u'/'))
            ++i;
        if (i >= n || tag.at(i) == u'>')
            break;
        const qsizetype nameStart = i;
        if (tag.at(i) == u'=')
            ++i;
        while (i < n && !isTagSpace(tag.at(i)) && tag.at(i) != u'/' && tag.at(i) != u'>' && tag.at(i) != u'=')
            ++i;
        attribute.name = tag.mid(nameStart, i - nameStart).toLower();
        attribute.nameEnd = i;
        qsizetype j = i;
        while (j < n && isTagSpace(tag.at(j)))
            ++j;
        if (j < n && tag.at(j) == u'=') {
            ++j;
            while (j < n && isTagSpace(tag.at(j)))
                ++j;
            attribute.valueStart = j;
            if (j < n && (tag.at(j) == u'"' || tag.at(j) == u'\'')) {
                attribute.quote = tag.at(j);
                const qsizetype close = tag.indexOf(attribute.quote, j + 1);
                j = close < 0 ? n : close + 1;
            } else {
                while (j < n && !isTagSpace(tag.at(j)) && tag.at(j) != u'>')
                    ++j;
            }
            attribute.valueEnd = j;
            i = j;
        }
        attributes.append(attribute);
    }
    return attributes;
}

bool canStayUnquoted(const QString &value)
{
    if (value.isEmpty())
        return false;
    for (const QChar c : value) {
        if (isTagSpace(c) || c == u'"' || c == u'\'' || c == u'=' || c == u'<' || c == u'>' || c == u'`' || c == u'&')
            return false;
    }
    return true;
}

QString quotedValue(const QString &value, QChar quote, const std::function<QString(const QString &)> &escape)
{
    QString text = value;
    text.replace(QLatin1Char('&'), QLatin1String("&amp;"));
    text.replace(quote, quote == u'"' ? QLatin1String("&quot;") : QLatin1String("&#39;"));
    return quote + escape(text) + quote;
}

} // namespace

QString StartTagText::withAttributes(const QString &tag, const QHash<QString, std::optional<QString>> &changes,
                                     const QList<QString> &added,
                                     const std::function<QString(const QString &)> &escape)
{
    qsizetype nameEnd = 0;
    const QList<TagAttribute> attributes = scanAttributes(tag, nameEnd);
    QChar tagQuote = u'"';
    for (const TagAttribute &attribute : attributes) {
        if (!attribute.quote.isNull()) {
            tagQuote = attribute.quote;
            break;
        }
    }
    QString out;
    out.reserve(tag.size() + 32);
    qsizetype copied = 0;
    qsizetype lastEnd = nameEnd;
    QList<QString> seen;
    for (const TagAttribute &attribute : attributes) {
        lastEnd = attribute.end();
        // The parser keeps the first of two attributes of one name.
        if (seen.contains(attribute.name))
            continue;
        seen.append(attribute.name);
        const auto change = changes.constFind(attribute.name);
        if (change == changes.cend())
            continue;
        if (!change.value()) {
            out += QStringView(tag).mid(copied, attribute.spaceStart - copied);
            copied = attribute.end();
            continue;
        }
        const QString &value = *change.value();
        if (attribute.valueStart < 0) {
            out += QStringView(tag).mid(copied, attribute.nameEnd - copied);
            if (!value.isEmpty())
                out += QLatin1Char('=') + quotedValue(value, tagQuote, escape);
        } else {
            out += QStringView(tag).mid(copied, attribute.valueStart - copied);
            if (!attribute.quote.isNull())
                out += quotedValue(value, attribute.quote, escape);
            else if (canStayUnquoted(value))
                out += escape(value);
            else
                out += quotedValue(value, tagQuote, escape);
        }
        copied = attribute.end();
    }
    out += QStringView(tag).mid(copied, lastEnd - copied);
    for (const QString &name : added) {
        const std::optional<QString> value = changes.value(name.toLower());
        if (!value || seen.contains(name.toLower()))
            continue;
        out += QLatin1Char(' ') + name;
        if (!value->isEmpty() || !WebCoreObjects::isNoValueAttribute(name))
            out += QLatin1Char('=') + quotedValue(*value, tagQuote, escape);
    }
    out += QStringView(tag).mid(lastEnd);
    return out;
}
