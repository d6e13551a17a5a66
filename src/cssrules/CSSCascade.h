#pragma once

#include "platform/web/cssom/DOMSelectorSpecificity.h"

#include <QHash>
#include <QString>
#include <QStringList>

// The cascade of the declarations that apply to one element, as the browser
// ranks them: for each property the element has, the one declaration that
// gives its value. Declarations are added with the properties they set (a
// shorthand's longhands, an alias's standard property) and their rank; a
// logical property ("margin-inline-start") competes with the physical one
// it stands for on the element ("margin-left"). Animations, transitions and
// presentational attributes are not ranked.
class CSSCascade
{
public:
    enum class Origin { UserAgent, Author };
    enum class Importance { Normal, Important };
    enum class Attached { No, Yes };

    // What decides between two declarations of a property, the weightiest
    // first: origin and importance; the element's style attribute over any
    // rule; specificity; the rule's place in the page's sheets (for the
    // browser's own rules, their place in its cascade); the declaration's
    // place in its rule.
    struct Rank
    {
        int level = 0;
        int attached = 0;
        DOMSelectorSpecificity specificity;
        int order = 0;
        int index = 0;

        auto operator<=>(const Rank &other) const = default;
    };
    static Rank rankOf(Origin origin, Importance importance, Attached attached, DOMSelectorSpecificity specificity,
                       int order, int index);

    // Whether a declared value ends with "!important" (blanks and case as CSS allows).
    static bool isImportant(const QString &value);
    static QString withoutImportant(const QString &value);

    // The element's writing mode and direction, as its computed style gives them.
    void setWritingMode(const QString &writingMode, const QString &direction);
    // The physical property a longhand stands for on the element.
    QString physicalName(const QString &longhand) const;

    // A declaration (by a key of the caller's) setting the longhands.
    void add(const void *declaration, const QStringList &longhands, const Rank &rank);
    // Whether the declaration gives the value of the longhand / of any of its longhands.
    bool wins(const void *declaration, const QString &longhand) const;
    bool winsAny(const void *declaration) const;

private:
    struct Winner
    {
        const void *declaration = nullptr;
        Rank rank;
    };
    QHash<QString, Winner> m_winners;
    QHash<const void *, QStringList> m_longhands;
    bool m_vertical = false;
    // vertical-lr and sideways-lr: the block axis runs from left to right.
    bool m_blockLeftToRight = false;
    // sideways-lr: the inline axis runs from bottom to top.
    bool m_inlineUpward = false;
    bool m_rtl = false;
};
