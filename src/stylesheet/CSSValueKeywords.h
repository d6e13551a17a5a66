#pragma once

#include <QString>
#include <QStringList>

// The values the program offers for a CSS property: the entries of value
// lists and suggestion pop-ups, and (the first entry) the starting value of a
// new declaration. Names are matched exactly; "font-family" answers the
// installed font families.
class CSSValueKeywords
{
public:
    CSSValueKeywords() = delete;

    // A new list the caller may change; never empty: a name without entries
    // answers the single value "none".
    static QStringList getValueKeywords(const QString &property);
    // The named-colour table of ColorUtil, with "#000000" for an unknown name.
    static QString colorNameToHex(const QString &name);
};
