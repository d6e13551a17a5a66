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

// Whether the text holds the declaration: one removed or switched off in
// the panel is no part of it, as it is no part of the page (#77).
inline bool isWritten(const CSSProperty &property)
{
    return !property.isRemoved() && property.isEnabled();
}

// CSS white space.
inline bool isWhite(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

// Where the line holding position starts.
inline qsizetype lineStart(const QString &text, qsizetype position)
{
    while (position > 0 && text.at(position - 1) != u'\n' && text.at(position - 1) != u'\r')
        --position;
    return position;
}

// Whether [from, to) holds only blanks and tabs.
inline bool onlyBlanksBetween(const QString &text, qsizetype from, qsizetype to)
{
    for (qsizetype i = from; i < to; ++i) {
        if (text.at(i) != u' ' && text.at(i) != u'\t')
            return false;
    }
    return true;
}

// The selector without the link and user-action states: a rule for a:hover
// is listed for every link (CSSOutlineDelegateCascade.cpp).
QString withoutStates(const QString &selector);

} // namespace CSSRulesPrivate
