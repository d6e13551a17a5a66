#pragma once

#include "platform/web/cssom/DOMCSSRuleList.h"
#include "stylesheet/CSSProperty.h"
#include "stylesheet/StyleDeclaration.h"

#include <QColor>
#include <QMetaType>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <memory>

class CSSCopyInfo;
class CSSRule;
class File;
class VendarPrefixSettings;

using CSSRulePtr = std::shared_ptr<CSSRule>;

// One row of the CSS rules outline: a style rule, an at-rule block, a
// keyframe, a declaration, a shorthand with its longhands, a vendor-prefixed
// copy, the computed style or the style attribute of the selected element, or
// a rule of the browser's default style sheet. It joins the live rule or
// declaration of the page (DOMCSSRule, DOMCSSStyleDeclaration) to the file
// model of the same rule (StyleDeclaration, CSSProperty of a File). Rows are
// made by the factory functions below and always live in a CSSRulePtr.
//
// Ownership: a row owns its child rows (children(), built on first demand in
// CSSRuleChildren.cpp). The links up the outline (ownerRule(), mediaOwner(),
// animationOwner(), shortHandOwner()) are weak, so an outline is freed as a
// whole when the panel drops it; whoever keeps a row past a rebuild (an undo
// action) keeps the rows above it that it needs too.
class CSSRule : public std::enable_shared_from_this<CSSRule>
{
    struct PrivateTag {};

public:
    explicit CSSRule(PrivateTag);
    ~CSSRule();
    CSSRule(const CSSRule &) = delete;
    CSSRule &operator=(const CSSRule &) = delete;

    // --- Initialisers -------------------------------------------------------------
    // An empty row; every other row starts as one, but initWithCSSProperty().
    static CSSRulePtr init();
    // A rule of the page's style sheets, a media child or a keyframe: its own owner.
    static CSSRulePtr initWithRule(const DOMCSSRulePtr &rule);
    // A rule of the browser's default style sheet.
    static CSSRulePtr initWithRuleWithWebkitBasicStyle(const DOMCSSRulePtr &rule);
    // A declaration line ("name: value") without a file declaration.
    static CSSRulePtr initWithPropertyText(const QString &decLine);
    // A shorthand group of a live rule.
    static CSSRulePtr initWithShortHand(const QString &shortHandName, const DOMCSSRulePtr &rule);
    // The element's style attribute.
    static CSSRulePtr initElementStyleRuleWithDeclaration(const DOMCSSStyleDeclarationPtr &declaration);
    // The element's computed style.
    static CSSRulePtr initWithDeclalation(const DOMCSSStyleDeclarationPtr &computedStyle);
    // A declaration of a file rule, under its rule row.
    static CSSRulePtr initWithCSSProperty(const CSSPropertyPtr &property, const CSSRulePtr &parent);

    // --- Fields -----------------------------------------------------------------------
    const QList<CSSRulePtr> &rules() const { return m_rules; }
    void setRules(const QList<CSSRulePtr> &rules) { m_rules = rules; }
    DOMCSSRulePtr rule() const { return m_rule; }
    void setRule(const DOMCSSRulePtr &rule) { m_rule = rule; }
    QString decLine() const { return m_decLine; }
    void setDecLine(const QString &line) { m_decLine = line; }
    DOMCSSStyleDeclarationPtr computedStyleDec() const { return m_computedStyleDec; }
    void setComputedStyleDec(const DOMCSSStyleDeclarationPtr &style) { m_computedStyleDec = style; }
    DOMCSSStyleDeclarationPtr elementStyleDec() const { return m_elementStyleDec; }
    void setElementStyleDec(const DOMCSSStyleDeclarationPtr &style) { m_elementStyleDec = style; }
    bool isRule() const { return m_isRule; }
    void setIsRule(bool isRule) { m_isRule = isRule; }
    QString propName2() const { return m_propName2; }
    void setPropName2(const QString &name) { m_propName2 = name; }
    QString valueName2() const { return m_valueName2; }
    void setValueName2(const QString &value) { m_valueName2 = value; }
    // The stored copies of the display texts (the getters below compute afresh).
    void setDisplayName(const QString &text) { m_displayName = text; }
    void setPropName(const QString &text) { m_propName = text; }
    void setValueName(const QString &text) { m_valueName = text; }
    void setSelectorName(const QString &text) { m_selectorName = text; }
    QString displayName2() const { return m_displayName2; }
    void setDisplayName2(const QString &text) { m_displayName2 = text; }
    CSSRulePtr ownerRule() const { return m_ownerRule.lock(); }
    void setOwnerRule(const CSSRulePtr &owner) { m_ownerRule = owner; }
    File *relatedFile() const;
    // A null file leaves the file unchanged.
    void setFile(File *file);
    void setFileName(const QString &name) { m_fileName = name; }
    const QStringList &cssListSource() const { return m_cssListSource; }
    void setCssListSource(const QStringList &list) { m_cssListSource = list; }
    QString backup() const { return m_backup; }
    void setBackup(const QString &value) { m_backup = value; }
    bool isWebKitStyle() const { return m_isWebKitStyle; }
    void setIsWebKitStyle(bool value) { m_isWebKitStyle = value; }
    // The row's check box: the declaration is switched on in its rule.
    bool shouldIncludInRule() const { return m_shouldIncludInRule; }
    void setShouldIncludInRule(bool value) { m_shouldIncludInRule = value; }
    int level() const { return m_level; }
    void setLevel(int level) { m_level = level; }
    DOMCSSStyleDeclarationPtr domCSSStyleDeclaration() const { return m_domCSSStyleDeclaration; }
    bool isShortHand() const { return m_isShortHand; }
    void setIsShortHand(bool value) { m_isShortHand = value; }
    bool isVenderPrefix() const { return m_isVenderPrefix; }
    void setIsVenderPrefix(bool value) { m_isVenderPrefix = value; }
    bool isShortHandChild() const { return m_isShortHandChild; }
    void setIsShortHandChild(bool value) { m_isShortHandChild = value; }
    // YES when the declaration is in effect in the cascade (the rules panel
    // marks it); rows start with NO.
    bool isFirstAssigned() const { return m_isFirstAssigned; }
    void setIsFirstAssigned(bool value) { m_isFirstAssigned = value; }
    // Of a rule row: its declarations took part in the cascade marking (the
    // rule applies to the element as it is now), so that those not first
    // assigned are overridden. A rule of a state (":hover") or of a
    // pseudo-element takes none.
    bool isInCascade() const { return m_isInCascade; }
    void setIsInCascade(bool value) { m_isInCascade = value; }
    bool isCollection() const { return m_isCollection; }
    void setIsCollection(bool value) { m_isCollection = value; }
    StyleDeclarationPtr styleDeclaration() const { return m_styleDeclaration; }
    void setStyleDeclaration(const StyleDeclarationPtr &declaration) { m_styleDeclaration = declaration; }
    QString shortHandName() const { return m_shortHandName; }
    void setShortHandName(const QString &name) { m_shortHandName = name; }
    DOMCSSRulePtr parentRule() const { return m_parentRule; }
    void setParentRule(const DOMCSSRulePtr &rule) { m_parentRule = rule; }
    CSSPropertyPtr property() const { return m_property; }
    void setProperty(const CSSPropertyPtr &property) { m_property = property; }
    CSSRulePtr shortHandOwner() const { return m_shortHandOwner.lock(); }
    void setShortHandOwner(const CSSRulePtr &owner) { m_shortHandOwner = owner; }
    CSSRulePtr animationOwner() const { return m_animationOwner.lock(); }
    void setAnimationOwner(const CSSRulePtr &owner) { m_animationOwner = owner; }
    CSSRulePtr mediaOwner() const { return m_mediaOwner.lock(); }
    void setMediaOwner(const CSSRulePtr &owner) { m_mediaOwner = owner; }
    QString computedCSSString() const { return m_computedCSSString; }
    void setComputedCSSString(const QString &text) { m_computedCSSString = text; }

    // --- Texts, computed on every call -------------------------------------------------
    QString selectorName() const;
    QString valueName() const;
    QString propName() const;
    QString displayName() const;
    // The file's name, ":" and the rule's line; "default" without a file.
    QString fileName();

    // --- Kind ---------------------------------------------------------------------------
    // The rule-type numbers of the style-sheet model, with the outline's 9
    // (a rule inside a media block), 10 (a declaration) and 11 (a shorthand).
    int type() const;
    bool isKeyFrame() const;
    bool isDecline() const { return m_isRule; }
    // Value suggestions for the property name.
    QStringList cssList() const;
    // Nothing sets it: an invalid colour.
    static QColor displayColor();
    static void selectedCSSRuleOwner(const CSSRulePtr &row);
    std::shared_ptr<CSSCopyInfo> copyInfo();

    // --- Children (CSSRuleChildren.cpp) -----------------------------------------------
    // Built on first demand and cached.
    QList<CSSRulePtr> children();
    void reloadChildren();
    void setChildren(const QList<CSSRulePtr> &children);
    int numberOfChildren() { return int(children().size()); }
    bool isLeaf() const;
    // A new list, not cached.
    QList<CSSRulePtr> parseChildren();
    QList<CSSRulePtr> getChildrenFromStyleDeclaration();

    // WebKit's getPropertyShorthand() on the style of a live rule: the shorthand
    // whose longhand the item is, when the rule's text declares that shorthand;
    // empty otherwise.
    static QString getPropertyShorthand(const QString &longhand, const QStringList &declaredNames);
    // The vendor-prefix settings of the project the file belongs to.
    static VendarPrefixSettings prefixSettingsOf(const File *file);

    // A one-line debugging text: the type, the property name and the value.
    QString debugDescription() const;

private:
    static CSSRulePtr made();
    void setUpStoredTexts();
    // For a live rule's cssText: the text before the first "{", trimmed.
    static QString ruleHead(const DOMCSSRulePtr &rule);
    QList<CSSRulePtr> computedStyleChildren();
    QList<CSSRulePtr> elementStyleChildren();
    QList<CSSRulePtr> liveShorthandChildren();
    QList<CSSRulePtr> liveRuleChildren();
    QList<CSSRulePtr> propertyChildren();
    CSSRulePtr declarationLine(const QString &name, const QString &value);

    QList<CSSRulePtr> m_rules;
    DOMCSSRulePtr m_rule;
    QString m_decLine;
    DOMCSSStyleDeclarationPtr m_computedStyleDec;
    DOMCSSStyleDeclarationPtr m_elementStyleDec;
    bool m_isRule = false;
    QString m_displayName;
    QString m_propName;
    QString m_propName2;
    QString m_valueName;
    QString m_valueName2;
    QString m_selectorName;
    std::weak_ptr<CSSRule> m_ownerRule;
    QPointer<File> m_relatedFile;
    QString m_fileName;
    QString m_displayName2;
    QStringList m_cssListSource;
    QString m_backup;
    std::optional<QList<CSSRulePtr>> m_children;
    bool m_isWebKitStyle = false;
    bool m_shouldIncludInRule = false;
    int m_level = 0;
    DOMCSSStyleDeclarationPtr m_domCSSStyleDeclaration;
    bool m_isShortHand = false;
    bool m_isVenderPrefix = false;
    bool m_isShortHandChild = false;
    bool m_isFirstAssigned = false;
    bool m_isInCascade = false;
    bool m_isCollection = false;
    StyleDeclarationPtr m_styleDeclaration;
    QString m_shortHandName;
    DOMCSSRulePtr m_parentRule;
    CSSPropertyPtr m_property;
    std::weak_ptr<CSSRule> m_shortHandOwner;
    std::weak_ptr<CSSRule> m_animationOwner;
    std::weak_ptr<CSSRule> m_mediaOwner;
    QString m_computedCSSString;
};

Q_DECLARE_METATYPE(CSSRulePtr)
