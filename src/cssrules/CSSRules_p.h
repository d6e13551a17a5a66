#pragma once

#include "CSSRule.h"

#include "platform/web/cssom/DOMCSSRule.h"

#include <QChar>
#include <QString>

// Internals shared by the rules panel's files.
namespace CSSRulesPrivate {

// Whether the row stands for a live rule of that type.
inline bool hasLiveType(const CSSRulePtr &row, int type)
{
    return row && row->rule() && row->rule()->type() == type;
}

// CSS white space.
inline bool isWhite(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

// The selector without its "::" pseudo-elements, arguments included, so that
// it names the elements they belong to; a compound left empty becomes "*".
inline QString withoutPseudoElements(const QString &selector)
{
    if (!selector.contains(QLatin1String("::")))
        return selector;
    const qsizetype size = selector.size();
    QString kept;
    QChar quote;
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = selector.at(i);
        if (!quote.isNull()) {
            kept += c;
            if (c == u'\\' && i + 1 < size)
                kept += selector.at(++i);
            else if (c == quote)
                quote = QChar();
            continue;
        }
        if (c == u'"' || c == u'\'') {
            quote = c;
            kept += c;
            continue;
        }
        if (c != u':' || i + 1 >= size || selector.at(i + 1) != u':') {
            kept += c;
            continue;
        }
        i += 2;
        while (i < size && (selector.at(i).isLetterOrNumber() || selector.at(i) == u'-' || selector.at(i) == u'_'))
            ++i;
        if (i < size && selector.at(i) == u'(') {
            for (int depth = 0; i < size; ++i) {
                if (selector.at(i) == u'(')
                    ++depth;
                else if (selector.at(i) == u')' && --depth == 0)
                    break;
            }
        } else {
            --i;
        }
        const QChar before = kept.isEmpty() ? QChar() : kept.back();
        const QChar after = i + 1 < size ? selector.at(i + 1) : QChar();
        if ((before.isNull() || isWhite(before) || QStringView(u">+~,(").contains(before))
            && (after.isNull() || isWhite(after) || after == u',' || after == u')'))
            kept += u'*';
    }
    return kept;
}

} // namespace CSSRulesPrivate
