#pragma once

#include "interfaces/AttributeStyleEditorInterface.h"
#include "platform/kit/ViewController.h"
#include "platform/web/dom/DOMNode.h"

#include <QHash>
#include <QList>
#include <QPointer>
#include <QSet>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class AttributeEditor;
class CSSOutlineDelegate;
class ColorEditor;
class BackgroundEditor;
class BorderEditor;
class ComboEnumEditor;
class EnumEditor;
class AlignEditor;
class FilterEditor;
class FontFamilyEnumEditor;
class FourLengthsEditor;
class LengthEditor;
class NoEditor;
class NumberStyleEditor;
class QListWidget;
class QScrollArea;
class QStackedWidget;
class SegmentedControl;
class ShadowEditor;
class TransformEditor;

// The style-attribute panel: the inline style of an element, or the
// declarations of a style rule, in 29 fixed editors on four pages (box and
// text; border; background and shadows; effects). It reads the declarations as
// written, hands them to its editors in a fixed order (each takes what it
// can hold), keeps the rest as pass-through declarations in written order,
// and on every editor change joins everything into one style text and
// announces it: "StyleAttributeEditEnd" {"element", "styleValue",
// "oldValue", "editedFrom"} for an element, "StyleEditEnd" {"rule", ...} for
// a rule, where "editedFrom" is the panel's own text before the change: the
// declarations that differ between it and the new text are the user's edit,
// whatever the panel's writing of the others changed. While
// a mouse button is held (a stepper, the colour panel) it announces with
// "StyleAttributeEditChange"/"StyleEditChange"; at the release it announces
// the change back to the text before the gesture and then the End with the
// final text, so that the receivers record one undo step. It changes
// nothing itself and follows changes made elsewhere (undo, redo, other
// editors of the "style" attribute).
//
// Its topic files: AttributeStyleEditorViewControllerView.cpp (the pages).
class AttributeStyleEditorViewController : public ViewController, public AttributeStyleEditorInterface
{
    Q_OBJECT

public:
    explicit AttributeStyleEditorViewController(QObject *parent = nullptr);
    ~AttributeStyleEditorViewController() override;

    // One-time set-up: the view, the editors, the observers.
    void initEditor();

    QWidget *view() override { return ViewController::view(); }
    void setStyledObject(DOMNode *element) override;
    void setStyledObject(const DOMCSSRulePtr &rule) override;
    // Shows nothing; the panel is disabled.
    void clearStyledObject();
    void focusWithProperty(const QString &property) override;

    // The text of a rule as the rules panel has it parsed; without one, or
    // when it answers nothing, the live rule's text.
    using RuleTextProvider = std::function<std::optional<QString>(const DOMCSSRulePtr &)>;
    void setRuleTextProvider(RuleTextProvider provider) { m_ruleTextProvider = std::move(provider); }
    // Reads rules as the rules panel has them parsed from their files.
    void setRulesPanel(CSSOutlineDelegate *rules);

    // Reads a style text into the editors and the pass-through list.
    void setStyleValue(const QString &cssText);
    // The pass-through declarations, then every editor's, joined by " ".
    QString valueFromEditors() const;
    // An editor changed: announces the new text when it differs.
    void valueChanged();
    // Announces the text against the one the object had when it was set.
    void valueCommit();

    // The optional rule list: the element's style attribute first, then the
    // rules; choosing an entry shows it.
    void setRules(const QList<DOMCSSRulePtr> &rules, DOMNode *element);
    void updateSelection();

    // 0 box and text, 1 border, 2 background and shadows, 3 effects.
    int pageNumOfProperty(const QString &property) const;
    void changeTab(int page);
    int currentPage() const;
    // The page choosers inside the border page (its sides, its corners) and
    // the background page (its colour, the shadows).
    SegmentedControl *borderController() const { return m_borderController; }
    SegmentedControl *backgroundController() const { return m_backgroundController; }
    void changeSubPage(SegmentedControl *chooser, int subPage);
    int subPage(SegmentedControl *chooser) const;

    const QList<AttributeEditor *> &editors() const { return m_editors; }
    const QList<NoEditor *> &originals() const { return m_originals; }
    QString originalCSSText() const { return m_originalCSSText; }
    QString preCSSText() const { return m_preCSSText; }
    bool hasStyledObject() const { return m_element || m_rule; }
    DOMNode *styledElement() const { return m_element.get(); }
    DOMCSSRulePtr styledRule() const { return m_rule; }
    // The editor of a property by the name the panel gives it; null for none.
    AttributeEditor *editorForProperty(const QString &property) const;
    SegmentedControl *tabController() const { return m_tabController; }
    // The area the pages are shown in, and the height it needs to show the
    // first `editors` editors of the page shown, with their titles; the
    // rest scroll.
    QWidget *pageArea() const;
    int pageHeightShowingEditors(int editors) const;

protected:
    void loadView() override;

private:
    // Which of the notification pairs to post.
    enum class Stage { Change, End };
    void announce(Stage stage, const QString &styleValue, const QString &oldValue, const QString &editedFrom);
    void endGesture();
    bool isGestureHeld() const;
    void resetEditors();
    void showObject();
    QString currentObjectText() const;
    // Reads the object again when its text changed elsewhere.
    void reReadIfChanged();
    void stopObserving();
    void buildPages(QWidget *view);
    // Shows the inner page that holds the editor.
    void showSubPageOf(const QWidget *editor);

    QList<AttributeEditor *> m_editors; // Not owned (the view's children); null for an empty slot.
    QList<NoEditor *> m_originals;      // Owned.
    // What each editor wrote once it had read the object, and the
    // declarations it took, as written: an editor that writes the same
    // still is written as the declarations were (#66).
    struct AsRead
    {
        std::optional<QString> representation;
        QString written;
    };
    QHash<const AttributeEditor *, AsRead> m_asRead;
    QSet<const void *> m_editorSet;
    DOMNodePtr m_element;
    DOMCSSRulePtr m_rule;
    QString m_originalCSSText;
    QString m_preCSSText;
    // The editors' own text at the last announcement (at first, as read).
    QString m_editorsText;
    // The text announced before a mouse gesture began, and the editors'
    // text then, while one lasts.
    std::optional<QString> m_gestureStart;
    QString m_gestureEditorsStart;
    bool m_initialized = false;
    // Set while an announcement is delivered.
    bool m_announcing = false;
    RuleTextProvider m_ruleTextProvider;

    // The optional rule list.
    QList<DOMCSSRulePtr> m_cssRules;
    DOMNodePtr m_rulesElement;
    QListWidget *m_ruleListView = nullptr; // Not owned (the view's child).

    QPointer<QWidget> m_editorView;              // Not owned (the view).
    SegmentedControl *m_tabController = nullptr; // Not owned (the view's child).
    QStackedWidget *m_tabView = nullptr;         // Not owned (the view's child).
    QList<QScrollArea *> m_pages;                // Not owned (the view's children).
    SegmentedControl *m_borderController = nullptr;     // Not owned (the view's child).
    SegmentedControl *m_backgroundController = nullptr; // Not owned (the view's child).
    // Each inner page chooser's pages.
    QHash<SegmentedControl *, QStackedWidget *> m_subPages; // Not owned (the view's children).

    // The editors by outlet, in the panel's order.
    EnumEditor *m_displayEditor = nullptr;
    EnumEditor *m_floatEditor = nullptr;
    EnumEditor *m_positionEditor = nullptr;
    EnumEditor *m_textDecorationEditor = nullptr;
    EnumEditor *m_fontStyleEditor = nullptr;
    FontFamilyEnumEditor *m_fontFamilyEnumEditor = nullptr;
    ComboEnumEditor *m_fontWeightEditor = nullptr;
    AlignEditor *m_textAlignEditor = nullptr;
    FourLengthsEditor *m_marginEditor = nullptr;
    FourLengthsEditor *m_paddingEditor = nullptr;
    FourLengthsEditor *m_borderRadiusEditor = nullptr;
    LengthEditor *m_widthEditor = nullptr;
    LengthEditor *m_heightEditor = nullptr;
    LengthEditor *m_leftEditor = nullptr;
    LengthEditor *m_topEditor = nullptr;
    LengthEditor *m_rightEditor = nullptr;
    LengthEditor *m_bottomEditor = nullptr;
    NumberStyleEditor *m_zIndexEditor = nullptr;
    NumberStyleEditor *m_opacityEditor = nullptr;
    ColorEditor *m_colorEditor = nullptr;
    LengthEditor *m_fontSizeEditor = nullptr;
    LengthEditor *m_lineHeightEditor = nullptr;
    LengthEditor *m_letterSpacingEditor = nullptr;
    BackgroundEditor *m_backgroundEditor = nullptr;
    BorderEditor *m_borderEditor = nullptr;
    FilterEditor *m_filterEditor = nullptr;
    ShadowEditor *m_textShadowEditor = nullptr;
    ShadowEditor *m_boxShadowEditor = nullptr;
    TransformEditor *m_transformEditor = nullptr;
};
