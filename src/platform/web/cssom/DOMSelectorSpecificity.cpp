#include "DOMSelectorSpecificity.h"

#include "DOMCSSParser.h"

namespace {

bool isNameChar(QChar c)
{
    return c.isLetterOrNumber() || c == u'-' || c == u'_' || c == u'\\' || c.unicode() >= 0x80;
}

// The end of the name that starts at i (escapes included).
qsizetype nameEnd(const QString &text, qsizetype i)
{
    while (i < text.size() && isNameChar(text.at(i)))
        i += text.at(i) == u'\\' ? 2 : 1;
    return qMin(i, text.size());
}

// The index of the ")" that closes the "(" at open, or the text's end.
qsizetype closingParen(const QString &text, qsizetype open)
{
    int depth = 0;
    for (qsizetype i = open; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\\') {
            ++i;
        } else if (c == u'"' || c == u'\'') {
            const qsizetype close = text.indexOf(c, i + 1);
            i = close < 0 ? text.size() : close;
        } else if (c == u'(') {
            ++depth;
        } else if (c == u')' && --depth == 0) {
            return i;
        }
    }
    return text.size();
}

DOMSelectorSpecificity maxOf(const QString &list)
{
    DOMSelectorSpecificity best;
    for (const QString &part : DOMCSSParser::splitTopLevel(list, QLatin1Char(','))) {
        const DOMSelectorSpecificity one = DOMSelectorSpecificity::of(part);
        if (one > best)
            best = one;
    }
    return best;
}

void add(DOMSelectorSpecificity &sum, const DOMSelectorSpecificity &more)
{
    sum.ids += more.ids;
    sum.classes += more.classes;
    sum.types += more.types;
}

} // namespace

DOMSelectorSpecificity DOMSelectorSpecificity::of(const QString &selector)
{
    const QString text = selector.trimmed();
    if (DOMCSSParser::splitTopLevel(text, QLatin1Char(',')).size() > 1)
        return maxOf(text);
    DOMSelectorSpecificity result;
    qsizetype i = 0;
    while (i < text.size()) {
        const QChar c = text.at(i);
        if (c == u'#') {
            ++result.ids;
            i = nameEnd(text, i + 1);
        } else if (c == u'.') {
            ++result.classes;
            i = nameEnd(text, i + 1);
        } else if (c == u'[') {
            ++result.classes;
            qsizetype close = i + 1;
            while (close < text.size() && text.at(close) != u']') {
                if (text.at(close) == u'"' || text.at(close) == u'\'') {
                    const qsizetype end = text.indexOf(text.at(close), close + 1);
                    close = end < 0 ? text.size() : end;
                }
                ++close;
            }
            i = close + 1;
        } else if (c == u':') {
            const bool element = i + 1 < text.size() && text.at(i + 1) == u':';
            const qsizetype start = i + (element ? 2 : 1);
            const qsizetype end = nameEnd(text, start);
            const QString name = text.mid(start, end - start).toLower();
            const bool functional = end < text.size() && text.at(end) == u'(';
            const qsizetype close = functional ? closingParen(text, end) : end - 1;
            const QString argument = functional ? text.mid(end + 1, close - end - 1) : QString();
            if (element || name == QLatin1String("before") || name == QLatin1String("after")
                || name == QLatin1String("first-line") || name == QLatin1String("first-letter")) {
                ++result.types;
                // "::slotted(.x)" counts its argument too.
                if (name == QLatin1String("slotted"))
                    add(result, maxOf(argument));
            } else if (name == QLatin1String("where")) {
                // Counts nothing.
            } else if (name == QLatin1String("is") || name == QLatin1String("not") || name == QLatin1String("has")
                       || name == QLatin1String("matches")) {
                add(result, maxOf(argument));
            } else if (name == QLatin1String("host") || name == QLatin1String("host-context")) {
                // A pseudo-class, and its argument.
                ++result.classes;
                add(result, maxOf(argument));
            } else if ((name == QLatin1String("nth-child") || name == QLatin1String("nth-last-child"))
                       && argument.contains(QLatin1String(" of "))) {
                ++result.classes;
                add(result, maxOf(argument.mid(argument.indexOf(QLatin1String(" of ")) + 4)));
            } else {
                ++result.classes;
            }
            i = close + 1;
        } else if (c == u'*') {
            ++i;
        } else if (isNameChar(c)) {
            const qsizetype end = nameEnd(text, i);
            // "svg|rect": the prefix does not count.
            if (end < text.size() && text.at(end) == u'|' && (end + 1 >= text.size() || text.at(end + 1) != u'=')) {
                i = end + 1;
                continue;
            }
            ++result.types;
            i = end;
        } else {
            ++i; // combinators, white space, "|"
        }
    }
    return result;
}
