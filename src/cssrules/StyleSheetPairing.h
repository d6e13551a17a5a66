#pragma once

#include "platform/web/cssom/DOMCSSRuleList.h"
#include "stylesheet/StyleDeclaration.h"

#include <QHash>
#include <QList>
#include <QPointer>
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
class StyleSheetPairing
{
public:
    StyleSheetPairing(const DOMCSSStyleSheetPtr &sheet, File *file, const QList<StyleDeclarationPtr> &declarations);

    // Whether the pairing still stands for this sheet's rules and these items.
    bool isCurrent(const DOMCSSStyleSheetPtr &sheet, const QList<StyleDeclarationPtr> &declarations) const;

    DOMCSSStyleSheetPtr sheet() const { return m_sheet; }
    File *file() const;
    StyleDeclarationPtr declarationOf(const DOMCSSRule *rule) const { return m_declarationOf.value(rule); }
    DOMCSSRulePtr ruleOf(const StyleDeclaration *declaration) const { return m_ruleOf.value(declaration); }
    // The live rules no item pairs with (rules that are not in the file's text).
    int unpairedCount() const { return m_unpaired; }
    // The items of the text the page has no rule for (rules it dropped).
    int droppedCount() const { return m_dropped; }
    int pairedCount() const { return int(m_ruleOf.size()); }

    // The sheet's rule objects in tree order (imported sheets' included), as
    // one number: a rule inserted, deleted or replaced anywhere changes it.
    static quint64 signatureOf(const DOMCSSStyleSheetPtr &sheet);

    // The keys, for either side.
    static QString keyOfRule(const DOMCSSRule &rule);
    static QString keyOfDeclaration(const StyleDeclaration &declaration);
    static QString normalizedSelector(const QString &selector);
    static QString normalizedMedia(const QString &media);

private:
    void pairLists(const QList<DOMCSSRulePtr> &rules, const QList<StyleDeclarationPtr> &declarations);
    void pair(const DOMCSSRulePtr &rule, const StyleDeclarationPtr &declaration);
    static QString normalizedSelectorOf(const QString &selector);
    static quint64 signatureOf(const QList<StyleDeclarationPtr> &declarations);

    DOMCSSStyleSheetPtr m_sheet;
    QPointer<File> m_file;
    quint64 m_sheetSignature = 0;
    quint64 m_fileSignature = 0;
    QHash<const DOMCSSRule *, StyleDeclarationPtr> m_declarationOf;
    QHash<const StyleDeclaration *, DOMCSSRulePtr> m_ruleOf;
    int m_unpaired = 0;
    int m_dropped = 0;
};
