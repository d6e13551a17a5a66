#pragma once

#include "CSSRule.h"

#include "foundation/TargetRef.h"
#include "interfaces/CSSOutlineDelegateInterface.h"
#include "platform/kit/OutlineDataSource.h"
#include "platform/web/cssom/DOMSelectorSpecificity.h"
#include "platform/web/dom/DOMNode.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointF>
#include <QRect>
#include <QPointer>
#include <QRect>
#include <QSet>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class AddDeclarationViewController;
class AddStylePropertyInterface;
class AnimationManagerInterface;
class ButtonMatrix;
class CreateSelectorManagerInterface;
class AddSelectorViewController;
class CSSCopyInfo;
class CSSRuleEditButton;
class DOMDocument;
class DOMElement;
class DomNodeListDelegateInterface;
struct DOMCSSInsertion;
struct DOMSelectorList;
class ExWebViewInterface;
class PreviewDomTreeInterface;
class RBLPopover;
class FileViewControllerInterface;
class InspectUndoManager;
struct OutlineDelegate;
class OutlineViewEx;
class QComboBox;
class QKeyEvent;
class QMouseEvent;
class QMenu;
class QPlainTextEdit;
class StyleInspectorInterface;
class QLineEdit;
class QToolButton;
class SearchFieldEx;
class SegmentedControl;
class StyleSheetPairing;
class StyleSheetSource;
class StyleSheetsManagerDelegateInterface;
class StyleSheetWriter;
class WebEngineCache;
struct WebEngineQuestions;
struct Notification;
// The value list, the style editors and whole-rule edits.
class AttributeStyleEditorInterface;
class LightReferenceView;
class StyleEditorInterface;
class ViewController;

// The controller of the CSS rules panel: it owns the outline of CSSRule rows
// and decides what it shows (the rules of the selected element with the
// cascade marked, or every rule of the page); it pushes values typed in a row
// into the live page at once, commits them into the style-sheet model with
// undo, and writes the edited style sheets back through the write batcher.
// One object for the life of the application, built and wired in
// src/app/Controllers.cpp. The rows it shows are kept alive by it (m_rules
// and their children); rows it drops stay alive until the end of the turn,
// so that the outline forgets them before they go.
//
// The operations are spread over topic files:
//   CSSOutlineDelegate.cpp          set-up, resetting and rebuilding the list
//   CSSOutlineDelegateCascade.cpp   collecting rules, the cascade and its marks
//   CSSOutlineDelegateLookups.cpp   lookups between rows, model and live rules
//   CSSOutlineDelegateOutline.cpp   the outline view, its rows and selection
//   CSSOutlineDelegateEditing.cpp   live value changes and commits
//   CSSOutlineDelegateWriteBack.cpp the write-back of style-sheet text, saving
//   CSSOutlineDelegateReference.cpp   the value list under a value being typed
//   CSSOutlineDelegateStyleEditors.cpp the popover editors and the style-attribute panel
//   CSSOutlineDelegateStyleEdits.cpp  whole-rule edits from that panel, the box resized
//   CSSOutlineDelegateTimeline.cpp  telling the keyframe timeline of edits
//   CSSOutlineDelegateFollow.cpp    the page following a sheet's text typed elsewhere
//   CSSOutlineDelegateRuleMenus.cpp  the rule menus, context menus, small commands, the combo box
//   CSSOutlineDelegateStyleFiles.cpp the style-sheet pop-up and filter
//   CSSOutlineDelegateClipboard.cpp  copy, paste, drag and drop of rows
//   CSSOutlineDelegateVendorCheck.cpp the check for prefixes a project leaves off
class CSSOutlineDelegate : public QObject, public CSSOutlineDelegateInterface, public OutlineDataSource
{
    Q_OBJECT

public:
    // What the outline shows (displaySelectorType()).
    enum DisplayMode : int { ElementRules = 0, KeyframesRules = 1, AllRules = 2, StyleDeclarationRule = 4 };
    // What rulesByElement() collects.
    enum CollectionKind : int { ElementKind = 0, KeyframesKind = 1, AllKind = 2, MediaKind = 3 };

    // Asks for a deferred write of a file: the target, the file, and the call
    // that writes it (AppDelegate::reserveWrite()).
    using WriteReserver = std::function<void(const TargetRef &target, const TargetRef &file, std::function<void()> write)>;

    explicit CSSOutlineDelegate(QObject *parent = nullptr);
    ~CSSOutlineDelegate() override;

    // --- Wiring (the composition point) ----------------------------------------------
    void setWriteReserver(WriteReserver reserver) { m_writeReserver = std::move(reserver); }
    void setFileViewController(FileViewControllerInterface *controller) { m_fileViewController = controller; }
    FileViewControllerInterface *fileViewController() const { return m_fileViewController; }
    void setStyleSheetsManagerDelegate(StyleSheetsManagerDelegateInterface *manager) { m_styleSheetsManagerDelegate = manager; }
    // Draws the preview's element overlay again (after a value changed); none while unset.
    void setOverlayRedraw(std::function<void()> redraw) { m_redrawOverlay = std::move(redraw); }
    // The panel: the mode control, the search field and the outline.
    QWidget *view() const { return m_view; }
    OutlineViewEx *outline() const { return m_outlineView; }

    // --- CSSOutlineDelegateInterface ---------------------------------------------------
    QWidget *outlineView() override;
    QList<File *> styleFiles() override;
    void setProjectImages(const QList<File *> &images) override;
    void setStyleFiles(const QList<File *> &files) override;
    void refreshStyleFiles() override;
    void setAndRefreshStyleFiles(const QList<File *> &files) override;
    void updateRulesByElement(DOMNode *element) override;
    void selectFirstRuleOnceListed() override;
    void askAheadForElement(DOMNode *node) override;
    void reset() override;
    void dropPageDocument(const QString &reason) override;
    void resetWithProjectChange() override;
    bool keepsRulesOf(File *file) override;
    void willReloadPage() override;
    void resetCategorySelector() override;
    void checkVendorPrefixSetting() override;

    // --- The panel (CSSOutlineDelegate.cpp) ----------------------------------------------
    void awakeFromNib();
    int displaySelectorType() const { return m_displaySelectorType; }
    void setDisplaySelectorType(int mode) override;
    const QList<CSSRulePtr> &rules() const { return m_rules; }
    const QList<CSSRulePtr> &rulesBuckUp() const { return m_rulesBuckUp; }
    DOMElement *lastSelectedElement() const;
    // The element the panel is to show: the one asked for last.
    DOMNode *elementToShow() const { return m_elementAsked ? m_elementAsked.get() : m_lastSelectedElement.get(); }
    // Rebuilds keeping the scroll place, then selects the same path of rows.
    void reload() override;
    // Rebuilds in the current mode: 0 a new list, 1 keeping the place, 2
    // showing the same row. The list is built once the page's answers for
    // the element are in (one round trip); rebuilt() then tells.
    void reloadRuleList(int mode) override;
    void clearRuleList();
    void updateRules(const QList<CSSRulePtr> &rules);
    void doChangeOutlineSource(int segment);
    // Filters the rows by a property name (empty shows all).
    void search(const QString &text);
    QString ruleSearchText() const { return m_ruleSearchText; }
    QList<CSSRulePtr> getSelectedCSSRules() const;
    CSSRulePtr getSelectedCSSRule() const;
    void projectConfigChanged(const Notification &notification);
    void savedByCommand(const Notification &notification);
    void htmlHasSavedByCommand(const Notification &notification);
    void saveOutlineview(QObject *sender);
    // Return on the outline: the selected row's value field takes the keys.
    void keyDown(QKeyEvent *event);
    void resetDomSelection();
    bool isValueInputFocused() const { return m_valueInputFocused; }
    void addObjects(QList<DOMNode *> &array, const QList<DOMNode *> &nodes);

    // --- Collection and cascade (CSSOutlineDelegateCascade.cpp) -----------------------
    QList<CSSRulePtr> rulesByElement(DOMNode *element, int kind, bool ignoreFilter);
    QList<CSSRulePtr> getAnimations();
    QList<CSSRulePtr> getAlls();
    const QList<CSSRulePtr> &allCSSRules();
    void clearAllCSSRuleCache();
    QList<StyleDeclarationPtr> getParsedStyleDeclarationsByElement(DOMNode *element);
    QList<CSSRulePtr> getCSSRulesInStyleSheet(const DOMCSSStyleSheetPtr &sheet, bool ignoreFilter);
    StyleDeclarationPtr getStyleDeclarationByStyleRule(const DOMCSSRulePtr &rule,
                                                       const QList<StyleDeclarationPtr> &declarations) const;
    void mapMediaChildrenRule(const CSSRulePtr &mediaRow, const StyleDeclarationPtr &declaration);
    bool isMatchedElement(DOMNode *node, const QString &selector) const;
    // CSSOutlineDelegateMarks.cpp.
    void checkOverridden(const QList<CSSRulePtr> &list);

    // --- Lookups (CSSOutlineDelegateLookups.cpp) ------------------------------------------
    CSSRulePtr cssRuleByStyleDeclaration(const StyleDeclarationPtr &declaration);
    DOMCSSRulePtr domCSSRuleByStyleDeclaration(const StyleDeclarationPtr &declaration);
    DOMCSSStyleDeclarationPtr domCSSStyleDeclarationByStyleDeclaration(const StyleDeclarationPtr &declaration);
    DOMCSSStyleDeclarationPtr domCSSStyleDeclarationByRule(const CSSRulePtr &row);
    // The row of a live style rule wherever the rule stands (at the top, in
    // a media block, in @supports): the row shown, else one made for the
    // item the rule is paired with; null when the rule stands in no item.
    CSSRulePtr cssRuleByDOMCSSStyleRule(const DOMCSSRulePtr &rule);
    CSSRulePtr propertyRuleByProperty(const CSSPropertyPtr &property);
    CSSRulePtr propertyRuleByPropertyInStyles(const CSSPropertyPtr &property) const;
    QList<DOMCSSRulePtr> createAllRuleList(DOMElement *element, const QString &pseudoElement) const;
    // The page's sheet of the file: the last of them, when it is linked
    // more than once; null when the page has none.
    DOMCSSStyleSheetPtr styleSheetWithFile(File *file) const;
    // The files of the page's sheets, each once, in the order of the sheets.
    QList<File *> getSortedStyleFiles() const;
    // Every sheet of the page, each before those it imports, at any depth.
    QList<DOMCSSStyleSheetPtr> sheetsInOrder() const;
    QList<File *> getLocalStyleSheets() const;
    // The outline's rows, depth first, each before its children: the first
    // that is the row, holds the declaration, or holds the property.
    CSSRulePtr searchNode(const QList<CSSRulePtr> &nodes, const CSSRule *row) const;
    CSSRulePtr treeNodeByStyleDeclaration(const StyleDeclarationPtr &declaration, const QList<CSSRulePtr> &nodes) const;
    CSSRulePtr treeNodeByCSSProperty(const CSSPropertyPtr &property, const QList<CSSRulePtr> &nodes) const;
    CSSRulePtr findInOutline(const QList<CSSRulePtr> &nodes, const std::function<bool(const CSSRulePtr &)> &matches) const;
    void expandParentsOfItem(const CSSRulePtr &row);
    static QString noPriorityValueName(const QString &value);
    // Whether the value ends in "!important", written with or without blanks.
    static bool hasImportantPriority(const QString &value);
    void cssOperationError(int code, const QString &message) const;

    // --- The outline (CSSOutlineDelegateOutline.cpp) ----------------------------------------
    bool isGroupWithSelection(const CSSRulePtr &row) const;
    void updatePropertyCanAdd(const CSSRulePtr &row);
    bool getPropertyCanAdd() const { return m_propertyCanAdd; }
    void updateDisplayOutline();
    void lazyUpdateDisplayOutline();
    // The row of an outline item, kept alive by the panel.
    CSSRulePtr rowOf(void *item) const;
    // Whether the row's value may be typed in its cell.
    bool isValueEditable(const CSSRulePtr &row) const;
    // The rows from the outline's root down to the selected row.
    const QList<CSSRulePtr> &selectionTree() const { return m_selectionTree; }

    // OutlineDataSource
    int numberOfChildrenOfItem(OutlineView *outlineView, void *item) override;
    void *childOfItem(OutlineView *outlineView, int index, void *item) override;
    bool isItemExpandable(OutlineView *outlineView, void *item) override;
    QVariant objectValueForTableColumn(OutlineView *outlineView, int column, void *item, int role) override;

    // --- Editing (CSSOutlineDelegateEditing.cpp) ---------------------------------------------
    void applyProperty(const QString &name, const QString &value, const DOMCSSStyleDeclarationPtr &declaration);
    void applyProperties(const QList<CSSPropertyPtr> &properties, const DOMCSSStyleDeclarationPtr &declaration);
    // Takes the declaration out of the live style under each name it may
    // stand there: its own, the formal one and its vendor-prefixed copies.
    void removeLiveProperty(const CSSProperty &property, const DOMCSSStyleDeclarationPtr &declaration);
    // The name and value a declaration goes into the page under.
    static std::pair<QString, QString> pageProperty(const QString &property, const QString &value);
    // Which of a rule's declarations (name, value), applied in order, take
    // effect in the page as a load of the rule's text gives it.
    static QList<bool> placesTaken(const QList<std::pair<QString, QString>> &declarations,
                                   const DOMCSSStyleDeclarationPtr &style);
    void changeStyleByRule(const CSSRulePtr &row);
    void cssValueChanged(const Notification &notification);
    void valueChange(const CSSRulePtr &row, const QString &value);
    void commitCSSValueChange(const CSSRulePtr &row, const QString &value, bool reload);
    // Return in the selected row's value field.
    void enterd(QLineEdit *field);
    void cssValueCommit(const Notification &notification);
    void enabledStyle(const Notification &notification);
    void commitStyleEnabled(const CSSRulePtr &row, bool enabled);
    // An edit left without Return: the row and the page go back to the committed value.
    void abandonValueEdit(const CSSRulePtr &row);
    // Whether the row is the one declaration of its name in its rule.
    bool isOnlyDeclarationOfItsName(const CSSRulePtr &row) const;
    // Another enabled declaration of the name in the rule row, or null.
    CSSRulePtr checkDuplicateProperty(const CSSRulePtr &row, const CSSRulePtr &parent) const;
    // Whether the value stays one declaration (no ";", "{" or "}" outside
    // brackets and strings, nothing left open).
    static bool isWritableValue(const QString &value);

    // --- Write-back (CSSOutlineDelegateWriteBack.cpp) -------------------------------------------
    void applyContentToFile(File *file);
    void lazyWrite(File *file);
    void saveDocument();
    // Writes the sheet's text from its model; with save, also to disk.
    // Answers false when something could not be written (an alert said why).
    bool rewriteSytleFile(File *file, bool save);
    bool saveFile(File *file);
    // The model of a style sheet, read again from its text when that text
    // changed outside the panel since it was read or written.
    QList<StyleDeclarationPtr> styleDeclarationsOf(File *file);
    // The item of a model read again that stands where the given item of
    // the model before stood (of the same kind and selector, with as many
    // of them before it); null when the new model has none.
    StyleDeclarationPtr declarationReadAgain(const StyleDeclarationPtr &declaration) const;

    // --- Rules created and removed (CSSOutlineDelegateStructure.cpp) ----------------------------
    // An inner rule of a new block: {"selector", "body"}.
    using InnerSelectors = QList<QVariantMap>;
    // A style rule after the anchor (null: first, after the leading @charset,
    // @import and @namespace rules). Null when the page refused it (an alert said why).
    StyleDeclarationPtr createSelector(const QString &selector, const QString &body, File *file, const StyleDeclarationPtr &afterAt);
    // A style rule inside a media block, after the anchor child (null: first).
    StyleDeclarationPtr createSelectorBodyInMediaAfterAt(const QString &selector, const QString &body,
                                                         const StyleDeclarationPtr &media, const StyleDeclarationPtr &afterAt);
    StyleDeclarationPtr createMediaSelector(const QString &selector, const InnerSelectors &inner, File *file,
                                            const StyleDeclarationPtr &afterAt);
    StyleDeclarationPtr createKeyframesSelector(const QString &selector, const InnerSelectors &inner, File *file,
                                                const StyleDeclarationPtr &afterAt);
    // What the create-selector dialog and the add-selector popover ask for.
    struct SelectorRequest
    {
        enum Kind { StyleRule = 0, MediaRule = 1, KeyframesRule = 2 };
        int type = StyleRule;
        QString selectorName;
        File *selectedFile = nullptr;
        // The item the new one follows; null for none.
        StyleDeclarationPtr anchor;
        // A style rule's body; a keyframes rule's keyframes.
        QString presetBody;
        InnerSelectors presetKeyframes;
        // The rule being duplicated, or null.
        std::shared_ptr<CSSCopyInfo> cssCopyInfo;
    };
    // Creates what the request asks for as one undo step under its own name;
    // null when nothing was created.
    StyleDeclarationPtr doAddSelector(const SelectorRequest &request);
    // The create rule dialog's OK: its results as a request; on success the
    // dialog's sheet ends. Null when nothing was created.
    StyleDeclarationPtr doAddSelector();
    // After the dialog made a rule: a "." or "#" rule asked for an element
    // goes onto that element as its class or id.
    void doAfterAddSelector();
    // A new rule for the element: "." to complete, its id selector, or an
    // animation whose class the element then gets.
    enum class ClassTarget { Class, Id, Animation };
    void createAndSetClassForNode(DOMNode *node, ClassTarget kind);
    // A copy of the template in the parent (a File or a block), after the anchor.
    StyleDeclarationPtr doAddSelectorInParentAfterAtInnerSelectors(const StyleDeclarationPtr &templateDeclaration, File *parentFile,
                                                                    const StyleDeclarationPtr &parentBlock,
                                                                    const StyleDeclarationPtr &afterAt, const InnerSelectors &inner);
    // Marks the rule (a block with its rules) removed and takes it out of the page.
    void doRemoveSelector(const StyleDeclarationPtr &declaration);
    void doRemoveSelectorByStyleDeclaration(const StyleDeclarationPtr &declaration);
    // The model half of undoing a removal.
    void redoCreateSelector(const StyleDeclarationPtr &declaration, const QList<StyleDeclarationPtr> &children);
    // The live rule of the file's sheet the item would follow: the nearest
    // item before it with a rule in the page; the index after it, or after
    // the leading @import and @namespace rules.
    int liveIndexAfter(File *file, const StyleDeclarationPtr &afterAt);
    // The DOM exception of a refused insertion, in an alert and the log.
    void alertDomException(const DOMCSSInsertion &exception, const QString &css);
    // An alert with the message and the one button "OK".
    void alertOK(const QString &message);
    static bool isEmptyRuleBody(const QString &text);
    static QString insertDammyToEmptyRuleBody(const QString &text);
    QString generateAnimationTriggerBody(const StyleDeclaration &keyframes) const;
    bool responsiveInsertPending() const { return m_responsiveInsertPending; }
    void setResponsiveInsertPending(bool pending) { m_responsiveInsertPending = pending; }
    StyleDeclarationPtr shownStyleDeclaration() const { return m_shownStyleDeclaration; }

    // --- "Add To Responsive" (CSSOutlineDelegateMenus.cpp) ------------------------------------------
    // The page's @media blocks, each once, as the panel lists them (a sheet's last first).
    QList<StyleDeclarationPtr> getAllMediaList();
    // The rule row the command acts on: the selected rule, or the rule of the selected declaration.
    CSSRulePtr responsiveOwner() const;
    // Whether the row is a style rule of a sheet (the rows these commands act on).
    static bool isSheetStyleRule(const CSSRulePtr &owner);
    // One item per @media block, checked and disabled where the block holds
    // the rule's selector already; "No Media Rules" when there is none.
    void fillMediaMenu(QMenu *menu, const CSSRulePtr &owner);
    // Copies the rule into the block as one undo step; null when nothing was copied.
    StyleDeclarationPtr addResponsive(const CSSRulePtr &owner, const StyleDeclarationPtr &media);

    // --- Related elements (CSSOutlineDelegateMenus.cpp) -------------------------------------------------
    // The preview's web view, where the panel frames elements (null while there is none).
    void setWebview(std::function<ExWebViewInterface *()> webview) { m_webview = std::move(webview); }
    // Frames the page's elements that match any of the selectors, locks the
    // element detection and scrolls the first into view.
    void highlightSelectorsNodes(const QStringList &selectors);
    // The same for one selector, with the element overlay shown.
    void highlightSelectorNodes(const QString &selector);
    // Takes the outlines of related elements off the preview.
    void hideRelatedElementsBounds();
    // Frames the elements of the rules that run the animation; an empty name hides the frames.
    void highlightRelationWithAnimationName(const QString &name);
    // The rules menu's command: the elements of the selected rule.
    void highlightRelation();

    // --- Declarations and keyframes (CSSOutlineDelegateDeclarations.cpp) -------------------------
    void doAddDeclaration(const StyleDeclarationPtr &declaration, const QString &propName, const QString &value);
    void doRemoveDeclaration(const StyleDeclarationPtr &declaration, const QString &property);
    // Takes the entry out of its rule or puts it back with the value, in the
    // page too; its inverse addresses the same entry.
    void setDeclarationEntryRemoved(const StyleDeclarationPtr &declaration, const CSSPropertyPtr &entry, bool removed,
                                    const QString &value);
    // Gives a style rule a new selector in page, model and file, where it
    // stands, as one undo step; false when the selector is not valid (an
    // alert says so) or the rule is not in the page.
    bool doRenameSelector(const StyleDeclarationPtr &declaration, const QString &selector);
    // The selector in the page and the model; its inverse puts the old one back.
    void setSelectorOf(const StyleDeclarationPtr &declaration, const QString &selector);
    DOMCSSRulePtr keyframeRuleByKeyframesRule(const DOMCSSRulePtr &keyframes, const QString &keyText) const;
    StyleDeclarationPtr doAddKeyframeTo(const StyleDeclarationPtr &keyframes, const StyleDeclarationPtr &keyframe, const QString &cssBody);
    // Gives the keyframe of oldKeyframe's key, in the block and its twins,
    // newKeyframe's key where it stands: the model's keyframe objects stay
    // (newKeyframe only carries the key) and only their selectors change.
    void changeKeyframeNameIn(const StyleDeclarationPtr &keyframes, const StyleDeclarationPtr &oldKeyframe,
                              const StyleDeclarationPtr &newKeyframe);
    void doRemoveKeyframe(const StyleDeclarationPtr &keyframes, const QString &keyText);
    void doRemoveKeyframeFrom(const StyleDeclarationPtr &keyframes, const StyleDeclarationPtr &keyframe);
    void doAddKeyframeStyle(const CSSRulePtr &keyframeRow, const QString &prop, const QString &value);
    void doRemoveKeyframeStyle(const CSSRulePtr &row);
    // A keyframe's key as a number: "from" 0, "to" 100, "50%" 50; -1 for none.
    static double keyframePercent(const QString &keyText);
    // Whether every key of a keyframe's list ("0%, 100%") is one.
    static bool isKeyframeKeyText(const QString &keyText);
    // Keys as the engine writes them: "from" is "0%", "to" "100%", a list
    // with ", " between its keys.
    static QString normalizedKeyText(const QString &keyText);
    // The name of a keyframes rule's selector ("@keyframes spin": "spin"); empty for none.
    static QString animationName(const QString &selector);
    // Commits a value typed into a keyframe's declaration, in every block of that name.
    void commitKeyframeStyleChange(const CSSRulePtr &row, const QString &value);
    // The style rules of the panel that set the property to the value.
    QList<CSSRulePtr> getSelectorRulesByProperty(const QString &property, const QString &value);
    // Runs the animation again on the elements that use it.
    void replayAnimation(const QString &animationName);

    // --- Display modes 1 and 4 (CSSOutlineDelegateModes.cpp) ---------------------------------------
    void updateRulesByKeyframes(const StyleDeclarationPtr &keyframes, const StyleDeclarationPtr &keyframe);
    void updateRulesByStyleDeclaration(const StyleDeclarationPtr &declaration);
    void resigneStyleDeclarationSelection();
    StyleDeclarationPtr shownKeyframesRule() const { return m_shownKeyframesRule; }
    StyleDeclarationPtr shownKeyframe() const { return m_shownKeyframe; }

    // --- Commands (CSSOutlineDelegateCommands.cpp) ---------------------------------------------------
    void showAddDeclarationPopover(const CSSRulePtr &target);
    void closeAddDeclarationPopover();
    // After a popover: the panel's window and outline have the keyboard again.
    void giveKeysBackToOutline();
    // The popover's confirm: its selection into addTargetRule.
    void addStyle();
    // Items are property names (QString) or CSSPropertyPtr.
    void doAddStyle(const CSSRulePtr &target, const QVariantList &properties);
    // The add-property panel's command: its items into the selected rule (a
    // declaration's rule; a keyframe's block, at the keyframe's key). Without
    // such a rule the user is told why, and the answer is false.
    bool addStyleProperty(const QVariantList &items);
    static StyleDeclarationPtr createNewKeyframe(const QString &keyText);
    void removeStyle();
    // The rule menu's command: every declaration of the menu's rule.
    void removeAllStyles();
    void removeStyles(const QList<CSSRulePtr> &rows);
    // The add-declaration input took the keyboard: the outline shows the
    // rule of the selected declaration at its top.
    void controlDidBecomeFirstResponder(const Notification &notification);
    CSSRulePtr removeAfterSelection() const { return m_removeAfterSelection; }
    // The name the create-selector dialog starts from for an element's id:
    // "#" and its id, empty for an element without one and for other nodes.
    static QString selectorForId(const DOMNode *node);
    // The add-selector popover beside the panel's add button.
    void showAddSelector();
    // The same popover in copy mode, for a copy of the selected style rule
    // under another selector.
    void showDuplicateSelector();
    // Answers false (after its alert) when the page has no style sheet to edit.
    bool displayStyleSheetManager();
    void doAddId(DOMElement *element, const QString &idName);
    void doRemoveId(DOMElement *element);
    void doAddClass(DOMElement *element, const QString &className);
    void doRemoveClass(DOMElement *element, const QString &className);
    // The class on the element or off it, with undo.
    void setClassListed(DOMElement *element, const QString &className, bool listed);
    // The border widths and paddings that count toward the element's box.
    static QVariantMap boxDimension(const CSSRulePtr &rule);
    QVariantMap boxDimension() const { return m_boxDimension; }
    CSSRulePtr addTargetRule() const { return m_addTargetRule; }
    void setPecentLabel(int percent) { m_pecentLabel = percent; }
    AddDeclarationViewController *addDeclarationViewController() const { return m_addDeclarationViewController; }
    AddSelectorViewController *addSelectorViewController() const { return m_addSelectorViewController; }
    RBLPopover *addStylePopover() const { return m_addStylePopover; }
    RBLPopover *addSelectorPopover() const { return m_addSelectorPopover; }
    // The DOM tree, told when an element's id or class changed; may stay unset.
    void setDomTree(PreviewDomTreeInterface *domTree) { m_domTree = domTree; }
    // The element palette, which takes "Make Snippet"; may stay unset.
    void setDomNodeListDelegate(DomNodeListDelegateInterface *palette) { m_domNodeListDelegate = palette; }

    // --- Rule menus and commands (CSSOutlineDelegateRuleMenus.cpp) ------------------------------------
    // The four menus of a rule row: an ordinary rule's, an @media block's, a
    // keyframes rule's, and the one a keyframe's button opens.
    enum RuleMenuKind : int { RuleMenu = 0, MediaRuleMenu = 1, KeyframesRuleMenu = 2, KeyframeMenu = 3 };
    // The items of the ordinary rule menu with this tag act on the selected
    // declarations: they are enabled only while one of the rule's own is selected.
    static constexpr int kSelectedDeclarationTag = 1;
    void setStyleInspector(StyleInspectorInterface *inspector) { m_styleInspector = inspector; }
    RuleMenuKind ruleMenuKind(const CSSRulePtr &rule, int tag) const;
    // The menu for the rule, its items enabled for it; it becomes the menu owner.
    QMenu *prepareRuleMenu(const CSSRulePtr &rule, int tag);
    // Opens the rule's menu below the left of the anchor (a rectangle in the
    // widget), as a button at the row's end would (poptMenu:).
    void poptMenu(QWidget *widget, const QRect &anchor, const CSSRulePtr &rule, int tag);
    // The menu of a row's button, below it in the outline.
    void poptMenu(const CSSRuleEditButton &button);
    // The rule whose menu was opened last (menuOwnerButton's rule).
    CSSRulePtr menuOwnerRule() const { return m_menuOwnerRule.lock(); }
    // The menu of a right-click or the Menu key at the point of the outline's viewport.
    void showContextMenu(const QPoint &point, bool fromKeyboard);
    // "PropertyMenu": "Add Important" or "Remove Important" for the row, or nothing.
    void fillPropertyMenu(QMenu *menu, const CSSRulePtr &row);
    static bool isImportantable(const CSSRulePtr &row);
    void addImportant(const CSSRulePtr &row);
    void removeImportant(const CSSRulePtr &row);
    void highlightMenuOwnerRelation();
    void openCode();
    void doOpenCode(const CSSRulePtr &row);
    // Shows the rule's style sheet in the code view with the rule's text
    // selected; the text view, or null when the rule has no place in it.
    QPlainTextEdit *selectCSS(const StyleDeclarationPtr &declaration);
    void replayAnimationWithRule();
    // The text a snippet of the rule holds: the rule as the write-back
    // writes it; a rule inside a block alone, its declarations indented by
    // a tab. Empty for a row without a rule of a file. (The element palette
    // takes it once it is there; until then "Make Snippet" is disabled.)
    QString snippetText(const CSSRulePtr &row) const;
    void showStyleSheetsManager();
    void focusToInput();
    void closeMenu();
    // Hooks the panel answers without doing anything.
    void mouseDown(QMouseEvent *) {}
    void propertyTypeChange() {}
    QVariant getResponsiveInfoList() const { return {}; }
    // The combo box's items for the kind (0 style combinations, 1 property
    // names) that begin with the text, whatever the case.
    static QStringList getComboBoxItems(int kind, const QString &text);
    // The combo box below the rules and its kind selector (tag 0 the style
    // combinations, 1 the property names). What is chosen is not read.
    QComboBox *comboBox() const { return m_comboBox; }
    ButtonMatrix *styleKindSelector() const { return m_styleKindSelector; }
    // Its items for the selected kind and its text, asked as its list opens.
    QStringList getComboBoxItems() const;
    int numberOfItemsInComboBox() const;
    QString comboBoxObjectValueForItemAtIndex(int index) const;
    // Another kind: the text is emptied and the items are read again.
    void styleKindChange();
    void reloadComboBoxItems();

    // --- Style-sheet filter (CSSOutlineDelegateStyleFiles.cpp) ----------------------------------------
    // The button with the pop-up of the page's style sheets.
    QToolButton *styleSheetsButton() const { return m_styleSheetsButton; }
    // The pop-up anew: "All Style Sheets", then each sheet of the page.
    void rebuildStyleSheetsMenu();
    void resetSelectedStyleSheet();
    void filterByCSSFile(File *file);
    void updateCSSFileFilter();
    const QStringList &lastFilterFileNames() const { return m_lastFilterFileNames; }

    // --- Clipboard, drag and drop (CSSOutlineDelegateClipboard.cpp) ------------------------------------
    using CopyInfos = QList<std::shared_ptr<CSSCopyInfo>>;
    const CopyInfos &copyInfos() const { return m_cssCopyInfos; }
    void setCopyInfos(const CopyInfos &infos) { m_cssCopyInfos = infos; }
    void copy(QObject *sender);
    void paste(QObject *sender);
    // The clipboard into the row, as one undo step.
    void pasteInto(const CSSRulePtr &target);
    // Adds the copied row to the target; true when a declaration was added.
    bool addCSSCopy(const std::shared_ptr<CSSCopyInfo> &info, const CSSRulePtr &target, int index);
    // OutlineDataSource's dragging: declarations of one rule are moved
    // within it or into another rule.
    bool writeItems(OutlineView *outlineView, const QList<void *> &items, QMimeData *pasteboard) override;
    Qt::DropAction validateDrop(OutlineView *outlineView, const DraggingInfo &info, void *proposedItem,
                                int proposedChildIndex) override;
    bool acceptDrop(OutlineView *outlineView, const DraggingInfo &info, void *item, int childIndex) override;
    // The rule's entries in the order of the names of the new list; undo
    // puts back the old list's order.
    void resort(const StyleDeclarationPtr &declaration, const QList<CSSPropertyPtr> &order, const QList<CSSPropertyPtr> &old);
    // The rule's entries in this order, in page and text; undo puts back the one before.
    void setPropertyOrder(const StyleDeclarationPtr &declaration, const QList<CSSPropertyPtr> &properties,
                          const QList<CSSPropertyPtr> &order);
    // Selects the row of the rule's declaration of that name.
    void selectMoved(const StyleDeclarationPtr &declaration, const QString &name);

    // --- Vendor-prefix check (CSSOutlineDelegateVendorCheck.cpp) ---------------------------------------
    // A property written with a prefix the project leaves off.
    struct VendorPrefixHit
    {
        int sheet = -1;
        QString prefix;
        QString property;
        qsizetype line = 0;
    };
    // The last hit in the texts, in order, for the prefixes switched off in
    // the settings; none without one. Runs on any thread.
    static std::optional<VendorPrefixHit> scanVendorPrefixes(const QStringList &texts, const QVariantMap &config);

    // --- The value list (CSSOutlineDelegateReference.cpp) ----------------------------------------------
    // The font families of the project's style sheets (AppDelegate::getUsedFontFamilies).
    void setUsedFontFamilies(std::function<QStringList()> families);
    // The view that hosts the value list; the outline's window while unset.
    void setInspectorContentView(QWidget *view) { m_inspectorContentView = view; }
    LightReferenceView *refView();
    QList<File *> projectImages() const;
    bool referenceListShown() const { return m_referenceListShown; }
    void valueInputHasFocus(const Notification &notification);
    void valueInputKeyUp(const Notification &notification);
    void valueInputKeyDown(const Notification &notification);
    void valueInputDidEndEdit(const Notification &notification);
    void closeRefviewByStepChange(const Notification &notification);
    void windowMouseDown(const Notification &notification);
    // Opens the value list under the selected row's value.
    void showCSSRef();
    // The list's frame in the host: under the value field, at least 200 wide
    // (moved left by what it grew), above the row when it would leave the host.
    static QRect referenceListFrame(const QRect &valueField, int listHeight, int hostHeight);
    void hideReferenceList();

    // --- Style editors (CSSOutlineDelegateStyleEditors.cpp) ----------------------------------------------
    // The popover editors of one value, and the style-attribute panel; not
    // owned, null while there is none (every property then has "noEditor").
    void setStyleEditor(StyleEditorInterface *editor);
    void setAttributeStyleEditor(AttributeStyleEditorInterface *editor) { m_attributeStyleEditor = editor; }
    // The popover editor's type of a property; "noEditor" without an editor.
    QString styleEditorType(const QString &property) const;
    // Whether the row shows the style-editor badge (a declaration with an editor).
    bool hasStyleEditorBadge(const CSSRule &row) const;
    void showStyleEditor();
    // Return on a declaration: the editor, whatever the row's sheet.
    void showStyleEditorWithEnter();
    void closeStyleEditor();
    void doCloseStyleEditor();
    bool isStyleEditorShown() const { return m_styleEditorShown; }
    // The style-attribute panel beside the selected rule's row.
    void showAttributeStyleEditor();
    // Whether there is a panel and the selected row is of a style rule of a sheet.
    bool canShowAttributeStyleEditor() const;
    void doubleClick();
    RBLPopover *editStyle() const { return m_editStyle; }
    RBLPopover *attributeStyleEditorPopover() const { return m_attributeStyleEditorPopover; }
    CSSRulePtr editTargetRule() const { return m_editTargetRule; }
    void popoverWillShow();
    void popoverDidShow();
    bool popoverShouldClose() const;
    void popoverWillClose();
    void popoverDidClose();

    // --- Whole-rule edits and the box resized (CSSOutlineDelegateStyleEdits.cpp) ----------------------------
    void cssValueEnterd(const Notification &notification);
    void styleEditEnd(const Notification &notification);
    // The rule takes the declaration-block text as one undo step. With the
    // text the panel showed before, only what differs from it changes;
    // without, what differs from the rule's declarations.
    void styleChanged(const CSSRulePtr &rule, const QString &value, const QString &oldValue = QString());
    void applyStyleChanged(const CSSRulePtr &rule);
    // An edit of a rule no style sheet's text holds: an alert, and
    // "StyleAttributeEditRefused" for the panel that made it.
    void refuseStyleEdit(const DOMCSSRulePtr &rule, const QString &oldValue);
    void styleEditChanged(const Notification &notification);
    void elementResized(const Notification &notification);
    // A declaration block's text as (name, value) pairs: split at ";" and at
    // the first ":" outside quotes, brackets and comments; names trimmed,
    // values as written. Empty pieces are skipped; nullopt when a piece has no name.
    static std::optional<QList<std::pair<QString, QString>>> declarationEntries(const QString &text);

    // --- The keyframe timeline (CSSOutlineDelegateTimeline.cpp) ----------------------------------------
    // Told after keyframe and keyframes-block edits; may stay unset.
    void setAnimationManager(AnimationManagerInterface *manager) { m_animationManager = manager; }
    // The create rule dialog; while none is set the add-selector popover stands in.
    void setCreateSelectorManager(CreateSelectorManagerInterface *dialog) { m_createSelectorManager = dialog; }
    CreateSelectorManagerInterface *createSelectorManager() const { return m_createSelectorManager; }
    // The add property panel, placed below the rules and told of the shown rule.
    void setAddStylePropertyPanel(AddStylePropertyInterface *panel);
    AddStylePropertyInterface *addStylePropertyPanel() const { return m_addStylePropertyPanel; }
    AnimationManagerInterface *animationManager() const { return m_animationManager; }
    // The timeline lists the animations again, acting on its selection as usual.
    void refreshTimeline();
    // The page's document, known before any element is picked, so that the
    // timeline's edits and replays reach the page.
    void setPageDocument(DOMDocument *document);
    DOMDocument *pageDocument() const { return document(); }
    // A selector as the rules are matched with it: the state pseudo-classes
    // and the pseudo-elements left out.
    static QString pseudoStrippedSelector(const QString &selector);

Q_SIGNALS:
    // The list was built anew for the current mode (after the page's answers came).
    void rebuilt();
    // A style sheet's text was written from its model.
    void styleSheetWritten(File *file);
    // The style-sheet pop-up was made anew.
    void styleSheetsMenuRebuilt();
    // A vendor-prefix check ended (after its alert, when there was a hit).
    void vendorPrefixChecked();

private:
    void buildView();
    // The add-selector popover; in copy mode with a style rule row to copy.
    void presentAddSelector(const CSSRulePtr &copied);
    OutlineDelegate outlineDelegate();
    void outlineViewSelectionDidChange();
    void rebuildNow(const std::function<void()> &then);
    // A value field open while the rows are listed again: its declaration,
    // by rule, name and place among those of its name, and what it holds.
    struct OpenValueField
    {
        std::weak_ptr<StyleDeclaration> rule;
        QString name;
        int nth = 0;
        QString text;
        int cursor = 0;
    };
    OpenValueField openValueField() const;
    void reopenValueField(const OpenValueField &field);
    // The rule's text into the file's sheet in the page, after the item's
    // rule; false after the alert of a refusal. A file the page does not
    // show takes the rule in its text only.
    bool insertIntoPage(File *file, const QString &text, const StyleDeclarationPtr &afterAt, const QString &shown);
    // Mode 1 shows the keyframes rule after an edit, which is written back and played again.
    void showEditedKeyframes(const StyleDeclarationPtr &keyframes, const StyleDeclarationPtr &keyframe, int reloadMode);
    // A media or keyframes block with its rules, in the page, the model and
    // (through the write-back) the text; null when the page refused it.
    StyleDeclarationPtr createBlock(int type, const QString &selector, const InnerSelectors &inner, File *file,
                                    const StyleDeclarationPtr &afterAt, const QString &shown);
    // Mode 1: the keyframes rule shown (every one when none is chosen).
    void showKeyframes();
    void finishRebuild(const QList<CSSRulePtr> &list);
    // Keeps rows the outline may still point at until the end of the turn.
    void retire(const QList<CSSRulePtr> &rows);
    void observe(const char *name, std::function<void(const Notification &)> handler);
    DOMDocument *document() const;
    // Makes the document the panel's page; another one sorts the page's
    // style sheets again by its own (and answers true).
    bool takePageDocument(DOMDocument *document);
    // The style sheets offered, in the order of the page's document, less
    // those it does not show (yet).
    void sortStyleFiles();
    // Logs once for each sheet of the page that is not listed, and why.
    void tellUnlistedSheets();
    static QString unreadableSheetNote(const DOMCSSStyleSheet &sheet);
    // Logs the line once for the document shown.
    void tellOnce(const QString &why);
    std::shared_ptr<StyleSheetPairing> pairingOf(const DOMCSSStyleSheetPtr &sheet, File *file);
    File *fileOfSheet(const DOMCSSStyleSheetPtr &sheet) const;
    // The files a sheet of the page may be: those listed and those offered
    // that the page does not show (yet).
    QList<File *> sheetFileCandidates() const;
    // The page's style sheets read once the page has them, ahead of the
    // first selection: their pairing and rules here, and the matched rules of
    // the body by the page and the browser, whose first reading of a large
    // sheet costs most (#81). Later selections find them read.
    void readSheetsAheadLater();
    void readSheetsAhead();
    // The questions the engine must answer before the element's list is built.
    void askAheadFor(DOMElement *element, std::function<void()> done);
    void askAgainUntilAnswered(WebEngineCache *engine, const DOMNodePtr &held, std::function<void()> done, int attempt);
    WebEngineQuestions questionsFor(DOMElement *element);
    // What the questions for an element are made from, as one number: the
    // document's tree and the rule objects of its sheets.
    quint64 pageStateOf(DOMElement *element) const;
    // A row for a live rule and its paired item; null without one.
    CSSRulePtr rowFor(const DOMCSSRulePtr &rule, const StyleDeclarationPtr &declaration, bool searchOn);
    // The rows of a sheet's rules from the last to the first (an import's at
    // its place); with an element, only those that apply to it.
    QList<CSSRulePtr> rowsOfSheet(const DOMCSSStyleSheetPtr &sheet, bool ignoreFilter, DOMElement *element);
    bool appliesTo(DOMElement *element, const StyleDeclarationPtr &declaration, const DOMCSSRulePtr &rule) const;
    // Whether an item's selector matches the element, as the mirror sees it;
    // Unreadable for one the mirror cannot read. Worked out once per item
    // and state of the element's document (the questions asked ahead, their
    // check and the rows share it, and so do the rebuilds after value edits).
    enum class SelectorMatch : quint8 { No, Yes, Unreadable };
    SelectorMatch selectorMatch(DOMElement *element, const StyleDeclaration &declaration) const;
    // The selector as the panel lists its rule: its states aside, matched
    // with matchesWithPseudoElements() so that a rule of a pseudo-element the
    // element has is listed for it ("input::placeholder" for an input with a
    // placeholder; #77). Null when the mirror does not read it.
    const std::shared_ptr<const DOMSelectorList> &readSelector(const QString &selector) const;
    // The rules of one sheet that may apply to one element, as rowsOfSheet()
    // meets them (from the last to the first), and the sheet's media blocks:
    // what a rebuild reads instead of every rule of the sheet while the page,
    // the sheet's rules and their pairing stay as they were found (#68).
    struct SheetHits
    {
        // A style rule whose selector may match the element, a media block
        // with its rules that may, or an imported sheet at its import rule.
        struct Hit
        {
            DOMCSSRulePtr rule;
            StyleDeclarationPtr declaration;
            QList<std::pair<DOMCSSRulePtr, StyleDeclarationPtr>> inner;
            DOMCSSStyleSheetPtr imported;
        };
        std::weak_ptr<DOMNode> element;
        quint64 mutationVersion = 0;
        quint64 rulesStamp = 0;
        quint64 pairingStamp = 0;
        quint64 selectorStamp = 0;
        QList<Hit> hits;
        // Every media block of the sheet, in the order of the text, and the
        // conditions of its @supports blocks.
        QList<DOMCSSRulePtr> mediaRules;
        QStringList supportsConditions;
    };
    const SheetHits &hitsOf(const DOMCSSStyleSheetPtr &sheet, DOMElement *element);
    // Every rule of one sheet that a selection may list, in the order
    // rowsOfSheet() meets them, with the mirror's reading of its selector:
    // made once for each state of the sheet's rules, their pairing and the
    // items' selectors, so that a selection on a sheet of thousands of rules
    // only matches their selectors (#81).
    struct SheetRules
    {
        struct Rule
        {
            DOMCSSRulePtr rule;
            StyleDeclarationPtr declaration;
            // Null where the mirror cannot read it; a nested rule's is not read.
            std::shared_ptr<const DOMSelectorList> selector;
            bool nested = false;
        };
        // A style rule, a media block with its style rules (from the last to
        // the first), or an import rule.
        struct Entry
        {
            Rule rule;
            QList<Rule> inner;
            bool isImport = false;
            bool isMedia = false;
        };
        bool isMade = false;
        quint64 rulesStamp = 0;
        quint64 pairingStamp = 0;
        quint64 selectorStamp = 0;
        QList<Entry> entries;
        QList<DOMCSSRulePtr> mediaRules;
        QStringList supportsConditions;
    };
    const SheetRules &rulesOf(const DOMCSSStyleSheetPtr &sheet, const StyleSheetPairing *pairing);
    void sortRows(QList<CSSRulePtr> &rows) const;
    // The cascade marks of an element's list (CSSOutlineDelegateMarks.cpp):
    // each declaration that gives a property's value in the element as it is
    // now, as the browser ranks them, is first assigned; rules that do not
    // apply now (states, pseudo-elements) take no part. A list of no element
    // (every rule, a keyframes rule) has the topmost declaration of each
    // property win.
    void markCascade(DOMElement *element, const QList<CSSRulePtr> &list);
    void markTopmostWins(const QList<CSSRulePtr> &list);
    // Whether the rule applies to the element itself in its present state:
    // its selector matches it and the conditions of its blocks and sheet hold.
    bool appliesNow(DOMElement *element, const DOMCSSRulePtr &rule, bool engineKnows) const;
    // The specificity of the most specific selector of the rule's list that
    // matches the element.
    DOMSelectorSpecificity specificityFor(DOMElement *element, const DOMCSSRulePtr &rule) const;
    // The place of every rule of the document's sheets in their order (an
    // imported sheet's at its import rule, a block's rules in the block).
    const QHash<const DOMCSSRule *, int> &ruleOrder(DOMDocument *document);
    QList<CSSRulePtr> defaultRuleRows(DOMElement *element, bool searchOn);
    void collapseVendorPrefixedRows();
    void markWrittenDeclarations(const CSSRulePtr &row);
    void redrawOverlay();
    InspectUndoManager *undoManager() const;
    // The settings of the project a style sheet belongs to; empty for none.
    QVariantMap settingsOf(File *file) const;
    // Whether the sheet's text is minified, by the project's setting or as
    // it stands: values the visual editors write into it leave out the
    // blanks CSS does not need.
    bool writesMinified(File *file) const;
    // Whether a notification's poster is the value popover's editor.
    bool isPostedByStyleEditor(const void *poster) const;
    // A value from a visual editor as the sheet of the row takes it.
    QString valueForSheetOf(const CSSRulePtr &row, const QString &before, const QString &after) const;
    std::shared_ptr<StyleSheetSource> sourceOf(File *file);
    // The rows listed stand for items of a model read again: the rules are
    // listed again once the turn's work is done.
    void relistReadAgain();
    void readAgain(File *file, const QString &why);
    // The page's copies of a sheet follow its text as another view changed
    // it (a code view, the undo and redo of its typing): at the end of the
    // turn, once for the keys of a turn (CSSOutlineDelegateFollow.cpp).
    void observeSheetTexts();
    void sheetTextChanged(File *file);
    void followSheetTexts();
    // Run with a step kept on a sheet's text: the page follows the text.
    std::function<void()> followMark(File *file);
    // The rule of the page any pairing of the file's sheets (its imports
    // pair on their own) has for the item.
    DOMCSSRulePtr pairedRuleOf(const File *file, const StyleDeclaration *declaration) const;
    // Keeps the page's rule of each item of the model about to be read over.
    void keepLiveRulesOf(const File *file, const QList<StyleDeclarationPtr> &readOver);
    void keepLiveRule(const StyleDeclarationPtr &item, const DOMCSSRulePtr &rule);
    // The model lined up with the text, its ranges set; null when they differ.
    std::shared_ptr<StyleSheetSource> linedUp(File *file, const QString &text, const QList<StyleDeclarationPtr> &declarations) const;
    void watchUndoManager();
    void registerWrittenSources(File *file, const std::shared_ptr<StyleSheetSource> &undoTo,
                                const std::shared_ptr<StyleSheetSource> &redoTo);
    void realignAfterUndo();
    // The file's source is dropped when the file goes.
    void forgetWhenGone(File *file);

    // Rule menus, clipboard, drag and drop, style-sheet filter.
    void buildRuleMenus();
    void buildStyleKindBar();
    bool eventFilter(QObject *watched, QEvent *event) override;
    // The source rule of a drop's rows: their one tree parent, or null when
    // they come from more than one rule.
    CSSRulePtr dragSourceRule(const QList<CSSRulePtr> &rows) const;
    void showVendorPrefixAlert(const VendorPrefixHit &hit, const QList<QPointer<File>> &files);
    // While held, reloadRuleList() only remembers the mode asked for; the
    // last release reloads once with it.
    void holdReloads() { ++m_reloadsHeld; }
    void releaseReloads();
    // An undo step that holds the reloads when replayed, or releases them.
    void registerReloadBracket(bool holdOnReplay);
    // After the next rebuild, selects the row of the declaration given to
    // selectAfterReload() and scrolls it into view.
    void selectAfterReload(const CSSPropertyPtr &property) { m_propertyToSelect = property; }
    void selectPendingProperty();
    // The style-sheet button names the sheets the panel is filtered by.
    void updateStyleSheetsLabel();

    // The panel.
    // The panel may be handed to a pane that owns it; it never outlives the controller.
    QPointer<QWidget> m_view;
    OutlineViewEx *m_outlineView = nullptr;    // Owned by m_view.
    SegmentedControl *m_cssSegmentControl = nullptr; // Owned by m_view.
    SearchFieldEx *m_searchInput = nullptr;    // Owned by m_view.
    QToolButton *m_addRuleButton = nullptr;    // Owned by m_view.

    // Wiring.
    WriteReserver m_writeReserver;
    std::function<void()> m_redrawOverlay;
    std::function<ExWebViewInterface *()> m_webview;
    FileViewControllerInterface *m_fileViewController = nullptr;         // Not owned.
    StyleSheetsManagerDelegateInterface *m_styleSheetsManagerDelegate = nullptr; // Not owned.

    // State.
    bool m_awoken = false;
    int m_displaySelectorType = ElementRules;
    QList<CSSRulePtr> m_rules;
    QList<CSSRulePtr> m_rulesBuckUp;
    QList<CSSRulePtr> m_allCSSRulesCache;
    bool m_allCSSRulesCached = false;
    QList<CSSRulePtr> m_retired;
    QList<QPointer<File>> m_styleFiles;
    // The page's style sheets as the preview offered them, kept whole: the
    // page's document may show a sheet later than its file comes.
    QList<QPointer<File>> m_offeredStyleFiles;
    // The sheets of the document whose absence from the lists was logged.
    QSet<QString> m_toldSheets;
    QList<QPointer<File>> m_projectImages;
    DOMNodePtr m_lastSelectedElement;
    // The element a rebuild on its way is for; a rebuild asked meanwhile is for it too.
    DOMNodePtr m_elementAsked;
    bool m_selectFirstRuleWhenBuilt = false;
    std::weak_ptr<DOMNode> m_document;
    QList<CSSRulePtr> m_selectionTree;
    CSSRulePtr m_removeAfterSelection;
    bool m_ignoreRemoveAfterSelectionChange = false;
    bool m_propertyCanAdd = false;
    QString m_ruleSearchText;
    QPointF m_savedScrollPoint;
    QPointF m_savedRulesScrollPoint;
    bool m_valueInputFocused = false;
    QString m_rememberedValue;
    // The sheet of the value in the popover editor is minified.
    bool m_styleEditorMinified = false;
    // The build waiting for the page's answers: a newer request replaces it.
    quint64 m_buildGeneration = 0;
    // The engine's matched rules of the element being collected, by rule.
    QSet<const DOMCSSRule *> m_engineMatched;
    // selectorMatch()'s answers for one element and one state of its document.
    struct MatchMemo
    {
        std::weak_ptr<DOMNode> element;
        quint64 mutationVersion = 0;
        QHash<const StyleDeclaration *, std::pair<QString, SelectorMatch>> answers;
    };
    mutable MatchMemo m_matchMemo;
    // The mirror's reading of items' selectors, by their text (null: unreadable).
    static constexpr qsizetype kReadSelectorsLimit = 65536;
    mutable QHash<QString, std::shared_ptr<const DOMSelectorList>> m_readSelectors;
    QHash<const DOMCSSStyleSheet *, std::shared_ptr<StyleSheetPairing>> m_pairings;
    QHash<const DOMCSSStyleSheet *, SheetHits> m_sheetHits;
    struct RuleOrder
    {
        const DOMDocument *document = nullptr;
        QList<std::pair<const DOMCSSStyleSheet *, quint64>> sheets;
        QHash<const DOMCSSRule *, int> places;
    };
    RuleOrder m_ruleOrder;
    QHash<const DOMCSSStyleSheet *, SheetRules> m_sheetRules;
    // Structure edits.
    StyleDeclarationPtr m_shownStyleDeclaration;
    StyleDeclarationPtr m_shownKeyframesRule;
    StyleDeclarationPtr m_shownKeyframe;
    bool m_responsiveInsertPending = false;
    bool m_relistPending = false;
    CSSRulePtr m_addTargetRule;
    int m_pecentLabel = 0;
    QVariantMap m_boxDimension;
    AddDeclarationViewController *m_addDeclarationViewController = nullptr; // Owned (child of m_view's window).
    AddSelectorViewController *m_addSelectorViewController = nullptr;       // Owned.
    RBLPopover *m_addStylePopover = nullptr;                               // Owned (child).
    RBLPopover *m_addSelectorPopover = nullptr;                            // Owned (child).
    PreviewDomTreeInterface *m_domTree = nullptr;                           // Not owned.
    DomNodeListDelegateInterface *m_domNodeListDelegate = nullptr;          // Not owned.
    QHash<const File *, std::shared_ptr<StyleSheetSource>> m_sources;
    // Of each sheet read again, the items of the model before, each with
    // the one that stands in its place in the model read.
    using ReadAgainItems = QList<std::pair<std::weak_ptr<StyleDeclaration>, std::weak_ptr<StyleDeclaration>>>;
    QHash<const File *, ReadAgainItems> m_readAgainItems;
    // The page's rule of each item of a model read over, as it was paired
    // then or put back since: the undo and redo steps holding such an item
    // reach the page by it (#84).
    struct LiveRuleOfItem
    {
        std::weak_ptr<StyleDeclaration> item;
        std::weak_ptr<DOMCSSRule> rule;
    };
    QHash<const StyleDeclaration *, LiveRuleOfItem> m_liveRulesOfItems;
    QSet<const File *> m_watchedFiles;
    // The sheets whose text the page is to follow at the end of the turn.
    QList<QPointer<File>> m_textsToFollow;
    QPointer<InspectUndoManager> m_watchedUndoManager;

    // Rule menus, clipboard, drag and drop, style-sheet filter.
    QHash<int, QMenu *> m_ruleMenus;                 // Owned by m_view.
    QMenu *m_propertyMenu = nullptr;                 // Owned by m_view.
    QToolButton *m_styleSheetsButton = nullptr;      // Owned by m_view.
    QComboBox *m_comboBox = nullptr;                 // Owned by m_view.
    ButtonMatrix *m_styleKindSelector = nullptr;     // Owned by m_view.
    StyleInspectorInterface *m_styleInspector = nullptr; // Not owned.
    std::weak_ptr<CSSRule> m_menuOwnerRule;
    CopyInfos m_cssCopyInfos;
    QList<CSSRulePtr> m_dragItems;
    QStringList m_lastFilterFileNames;
    int m_reloadsHeld = 0;
    int m_heldReloadMode = -1;
    std::weak_ptr<CSSProperty> m_propertyToSelect;

    // The value list, the style editors and whole-rule edits.
    void observeValueEditing();
    void valueInputArrow(QLineEdit *field, void (LightReferenceView::*move)());
    // The popover editor for the row; giveKeys: the outline's panel asks for the keyboard around it.
    void presentStyleEditor(const CSSRulePtr &row, bool giveKeys);
    // A value typed or picked for the row, committed (a longhand through its shorthand).
    void commitEditedValue(const CSSRulePtr &row, const QString &value);
    QPointer<QWidget> m_inspectorContentView;
    // Owned, though a child of its host view (deleted with the panel).
    QPointer<LightReferenceView> m_refView;
    bool m_referenceListShown = false;
    QPointer<QLineEdit> m_valueField;
    StyleEditorInterface *m_styleEditor = nullptr;                   // Not owned.
    AttributeStyleEditorInterface *m_attributeStyleEditor = nullptr; // Not owned.
    ViewController *m_styleEditorContent = nullptr;                  // Owned (child).
    ViewController *m_attributeStyleEditorContent = nullptr;         // Owned (child).
    RBLPopover *m_editStyle = nullptr;                               // Owned (child).
    RBLPopover *m_attributeStyleEditorPopover = nullptr;             // Owned (child).
    bool m_styleEditorShown = false;
    bool m_refreshAfterStyleEditor = false; // sheets arrived while the popover editor was open
    CSSRulePtr m_editTargetRule;
    CSSRulePtr m_attributeStyleEditorRule;

    // The keyframe timeline.
    AnimationManagerInterface *m_animationManager = nullptr; // Not owned.
    CreateSelectorManagerInterface *m_createSelectorManager = nullptr; // Not owned.
    AddStylePropertyInterface *m_addStylePropertyPanel = nullptr;     // Not owned.
    // The element a rule is being made for (createAndSetClassForNode/Id), and the new rule.
    DOMNodePtr m_classTarget;
    StyleDeclarationPtr m_lastAddedSelector;
};
