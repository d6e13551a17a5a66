#pragma once

#include <QString>
#include <QStringList>

// The specificity of one selector: ids; classes, attributes and the listed
// pseudo-classes; elements and other pseudo-classes or pseudo-elements; and
// 100 x first + 10 x second + third, by which the rules panel sorts (so eleven
// classes outrank one id).
struct CSSSpecificity
{
    qint32 first = 0;
    qint32 second = 0;
    qint32 third = 0;
    qint32 fourth = 0;

    friend bool operator==(const CSSSpecificity &, const CSSSpecificity &) = default;
};

// Ranks selectors with regular expressions on a simplified copy of each.
class CSSSpecificityUtil
{
public:
    CSSSpecificityUtil() = delete;

    static CSSSpecificity calcSpecificity(const QString &selector);
    // The list split on ",", each piece trimmed, empty pieces kept.
    static QStringList splitSelectorGroup(const QString &selectorList);
    // Split on blanks and the combinators "+", "~", ">", empty pieces removed.
    static QStringList splitCombinators(const QString &selector);
};
