#pragma once

#include "platform/web/cssom/DOMCSSRuleList.h"
#include "stylesheet/StyleDeclaration.h"

#include <QHash>
#include <QList>
#include <QPointer>
#include <QSet>
#include <QString>

#include <memory>

class File;

// Which live rule of a page's style sheet each parsed item of the sheet's
// file stands for, kept by the mirror's rule objects (and so by their ids):
// a live rule is never found again by counting the file's items, which the
// engine does not mirror one to one (it has no @charset rule, drops rules it
// cannot read, and keeps @namespace, @supports and @keyframes).
//
// The two lists are paired level by level (the rules of a block with the
// items of its block) by a key made from each side's text: selectors and
// media queries normalised the way the engine writes them ("a, b",
// "div > p", "(min-width: 576px)"), keyframes rules by name and prefix,
// keyframes by their keys. Equal keys pair in order; a rule left over
// between two paired neighbours pairs with the item left over between theirs.
//
// The pairing is kept across edits and brought up to date by update(): a
// value edit leaves it as it is (which costs nothing to find out), and an edit
// of the rules pairs again only the lists it changed, and of a list whose
// rules all pair with the item at their place, only the stretch it changed.
// Either way the pairs are those a new pairing would make.
class StyleSheetPairing
{
public:
    StyleSheetPairing(const DOMCSSStyleSheetPtr &sheet, File *file, const QList<StyleDeclarationPtr> &declarations);

    // Whether the pairing stands for this sheet's rules and these items.
    bool isCurrent(const DOMCSSStyleSheetPtr &sheet, const QList<StyleDeclarationPtr> &declarations) const;
    // Brings the pairing up to date with its sheet's rules and these items (the
    // file's); answers whether a pair changed.
    bool update(const QList<StyleDeclarationPtr> &declarations);
    // Moves on whenever update() changes a pair; no two pairings share one.
    quint64 stamp() const { return m_stamp; }

    DOMCSSStyleSheetPtr sheet() const { return m_sheet; }
    File *file() const;
    StyleDeclarationPtr declarationOf(const DOMCSSRule *rule) const { return m_declarationOf.value(rule); }
    DOMCSSRulePtr ruleOf(const StyleDeclaration *declaration) const { return m_ruleOf.value(declaration); }
    // The live rules no item pairs with (rules that are not in the file's text).
    int unpairedCount() const { return m_unpaired; }
    // The items of the text the page has no rule for (rules it dropped).
    int droppedCount() const { return m_dropped; }
    int pairedCount() const { return int(m_ruleOf.size()); }

    // The keys, for either side.
    static QString keyOfRule(const DOMCSSRule &rule);
    static QString keyOfDeclaration(const StyleDeclaration &declaration);
    static QString normalizedSelector(const QString &selector);
    static QString normalizedMedia(const QString &media);

private:
    // One list of live rules (the sheet's or a block's) and the items at the
    // same level of the text, as they were last paired.
    struct Level
    {
        DOMCSSRulePtr owner;
        QList<DOMCSSRulePtr> rules;
        QList<StyleDeclarationPtr> items;
        // For each rule, the index of its item; -1 for none.
        QList<qsizetype> pairedWith;
        // Each rule paired with the item at its place (the text and the page
        // agree): an edit then pairs in place.
        bool inPlace = false;
        int unpaired = 0;
        int dropped = 0;
    };

    // The level of the rules the owner holds (null: the sheet's own), with
    // these rules and items (and where the items stand in m_declarations).
    void updateLevel(const DOMCSSRulePtr &owner, const QList<DOMCSSRulePtr> &rules, const QList<StyleDeclarationPtr> &items,
                     const QList<qsizetype> &positions, QSet<const DOMCSSRule *> &kept);
    // Pairs the stretch an edit changed in a level whose rules pair in place;
    // false when the two sides no longer agree there.
    bool pairInPlace(Level &level, const QList<DOMCSSRulePtr> &rules, const QList<StyleDeclarationPtr> &items);
    void pairLists(Level &level);
    void pair(const DOMCSSRulePtr &rule, const StyleDeclarationPtr &declaration);
    void unpair(const Level &level, qsizetype from, qsizetype to);
    static QString normalizedSelectorOf(const QString &selector);

    DOMCSSStyleSheetPtr m_sheet;
    QPointer<File> m_file;
    // What the pairs were made from: the sheet's rules, the file's list and
    // the removal marks.
    quint64 m_rulesStamp = 0;
    QList<StyleDeclarationPtr> m_declarations;
    quint64 m_removalStamp = 0;
    quint64 m_stamp = 0;
    bool m_changed = false;
    QHash<const DOMCSSRule *, Level> m_levels;
    QHash<const DOMCSSRule *, StyleDeclarationPtr> m_declarationOf;
    QHash<const StyleDeclaration *, DOMCSSRulePtr> m_ruleOf;
    int m_unpaired = 0;
    int m_dropped = 0;
};
