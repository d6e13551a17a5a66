#pragma once

#include "DOMEditRecord.h"
#include "DOMNodeEx.h"
#include "DOMRowMetrics.h"
#include "DomModifyCoalescer.h"
#include "HTMLSourcePairing.h"
#include "PageTextGenerator.h"

#include "foundation/TargetRef.h"
#include "interfaces/DomTreeDelegateInterface.h"
#include "interfaces/PreviewDomTreeInterface.h"
#include "DomTreeOutlineView.h"
#include "platform/kit/OutlineDataSource.h"
#include "platform/kit/PathControl.h"
#include "preview/ExWebView.h"
#include "workspace/File.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QRectF>
#include <QSet>
#include <QTimer>
#include <QVariantMap>

#include <functional>
#include <memory>
#include <optional>

class AttributeStyleEditorInterface;
class CSSOutlineDelegateInterface;
class DomNodeListDelegateInterface;
class QAction;
class RBLPopover;
class DOMDocument;
class DomInfoDelegate;
class FileViewControllerInterface;
class InspectUndoManager;
class PreviewDelegate;
class ProjectDelegateInterface;
class QAction;
class QKeyEvent;
class QLabel;
class QMenu;
class SearchFieldEx;
class StyleSheetsManagerDelegateInterface;
struct Notification;

// The controller of the DOM tree panel: the outline of the previewed page's
// live DOM (its rows are DOMNodeEx), kept in step with the page; the
// breadcrumb of the selected row; the selection that makes an element the
// subject of the window (rules panel, preview overlay, attribute inspector);
// node removal with undo; and the write-back of the page into its file.
//
// The write-back keeps the author's text: the file's text is paired with the
// live page when a page is shown (and again whenever something else changed
// the text), the program's edits are recorded, and the written text is the
// file's own with only the edited places rewritten (HTMLSourceWriter). With
// "minifyHTML" on, or when the text cannot be paired, the whole page is
// generated from the rows (PageTextGenerator).
//
// It owns its view (the breadcrumb above the outline). The preview, the rules
// panel, the file viewer, the style-sheet manager and the inspector are not
// owned; any of them may be absent, and its calls are then skipped.
//
// The file is split by topic: DomTreeDelegate.cpp (set-up, notifications,
// ignore marks), ...Sync.cpp (page to tree), ...Outline.cpp (rows, expansion,
// keys), ...Selection.cpp (selection and breadcrumb), ...Lookup.cpp (finding
// rows and items), ...Edit.cpp (edit primitives with undo), ...Write.cpp
// (write-back and saving), ...FindBar.cpp (the element find bar, expand and
// collapse all), ...SVGUse.cpp (the rows under SVG "use" elements),
// ...ContextMenu.cpp (the rows' menu, "do not save" marks, copies as text),
// ...Editing.cpp (adding, replacing and wrapping elements, classes),
// ...Attributes.cpp (attribute and inline-style edits) and ...RowCommands.cpp
// (text split, in-place editing, the style popover, the link alert),
// ...Clipboard.cpp (copy, cut, paste) and ...Drag.cpp (drags and drops on the
// tree and the preview).
class DomTreeDelegate : public QObject,
                        public DomTreeDelegateInterface,
                        public PreviewDomTreeInterface,
                        public OutlineDataSource
{
    Q_OBJECT

public:
    explicit DomTreeDelegate(QObject *parent = nullptr);
    ~DomTreeDelegate() override;

    // Builds the panel's view: the breadcrumb above the outline. Once.
    void awakeFromNib();
    // The panel's view (the breadcrumb and the outline).
    QWidget *view() const;

    // --- Collaborators (not owned; null skips their calls) ---------------------------
    // The preview: the one set, else the preview delegate's current one.
    ExWebView *webview() const;
    void setWebview(ExWebView *webview);
    // The preview half, whose web view the tree follows (it makes a new one
    // when the projects are reset).
    void setPreviewDelegate(PreviewDelegate *preview);
    void setCssOutlineDelegate(CSSOutlineDelegateInterface *delegate) { m_cssOutlineDelegate = delegate; }
    void setFileViewController(FileViewControllerInterface *controller) { m_fileViewController = controller; }
    void setStyleSheetsManagerDelegate(StyleSheetsManagerDelegateInterface *manager) { m_styleSheetsManagerDelegate = manager; }
    // Where the page's file is found: the project holding a local page, the
    // page last loaded for a remote one.
    void setProjectDelegate(ProjectDelegateInterface *delegate) { m_projectDelegate = delegate; }
    DomInfoDelegate *domInfoDelegate() const;
    void setDomInfoDelegate(DomInfoDelegate *delegate);
    // How a write is queued: the application's write batcher. Without one the
    // write runs at once.
    using WriteReserver = std::function<void(const TargetRef &target, const TargetRef &file, std::function<void()> write)>;
    void setWriteReserver(WriteReserver reserver) { m_writeReserver = std::move(reserver); }
    // The metrics the rows are measured with.
    const DOMRowMetrics &rowMetrics() const { return m_metrics; }
    void setRowMetrics(const DOMRowMetrics &metrics);
    // The clock of the mutation timers, in milliseconds.
    void setClock(std::function<qint64()> clock) { m_clock = std::move(clock); }

    // --- Fields ---------------------------------------------------------------------
    const QList<DOMNodeExPtr> &domNodeList() const { return m_domNodeList; }
    DomTreeOutlineView *outline() const;
    // The page's file: the File of the document the tree shows.
    File *indexFile() const { return m_indexFile; }
    void setIndexFile(File *file) override;
    File *selectedResourceFile() const { return m_selectedResourceFile; }
    void setSelectedResourceFile(File *file) override { m_selectedResourceFile = file; }
    bool ignoreDomModify() const { return m_ignoreDomModify; }
    void setIgnoreDomModify(bool ignore) { m_ignoreDomModify = ignore; }
    bool domModifyNow() const { return m_domModifyNow; }
    bool ignoreChangeSelection() const { return m_ignoreChangeSelection; }
    DOMNodeEx *lastSelectedNode() const { return m_lastSelectedNode.get(); }
    // The row last selected, kept across rebuilds of the tree.
    DOMNodeEx *lastSelection() const { return m_lastSelection.lock().get(); }
    const QVariantMap &projectConfig() const { return m_projectConfig; }
    const QList<IgnoreOptionValue> &ignoreOptions() const { return m_generator.ignoreOptions(); }
    const DOMEditRecord &editRecord() const { return m_edits; }
    // Notes a user's edit of the node's attributes or text in the edit
    // record, with an undo step that puts the node's entry back as it was,
    // so that an undone edit gives the file its text from before it, never
    // the page's values (a script's). Undo and redo note nothing: their
    // steps put the entry back.
    void noteEdit(const DOMNode *node, const std::function<void(DOMEditRecord &)> &note);
    const HTMLSourcePairing &pairing() const { return m_pairing; }
    // The document the tree shows.
    DOMDocument *document() const { return m_document.get(); }

    // --- DomTreeDelegateInterface ------------------------------------------------------
    QWidget *outlineView() override;
    void escapeEdit() override;
    void reselectNodeWithClickedNode(QMouseEvent *event) override;
    PathControl *dombreadcramb() override;

    // --- Page to tree (DomTreeDelegateSync.cpp) -------------------------------------------
    // PreviewDomTreeInterface: a new document, a changed subtree, a changed attribute.
    void domNodeLists(DOMDocument *document) override;
    void domModified(const DOMMutationEvent &event) override;
    void domAttributeModified(DOMNode *node) override;
    // Another page is about to load: the rows of the old one are forgotten.
    void clearDomNodeMap() override;
    // The page is about to be loaded again from its file: the undo steps of
    // the tree's edits keep their changes of the file's text, which the page
    // loaded anew follows (DomTreeDelegateFollow.cpp).
    void willReloadPage() override;
    // The document is gone: rows, inspector, breadcrumb and file go (the
    // last selection is kept, to be found again in the next document), and
    // the empty tree says why.
    void dropDocument(const QString &reason) override;
    // Whether the tree's document is one the preview shows now (without a
    // preview, any document handed over is). Edits of another document and
    // writes of its text are refused.
    bool isShownDocument() const;
    // Whether the document shown is its file's own: not the browser's error
    // page after a failed load, nor a page of another address.
    bool isFilesOwnDocument() const;
    // Whether the node may be edited: it belongs to the tree's document,
    // which is shown, and its edit can be written. A refusal is said in the
    // log, and one of a document still shown over the preview, with why.
    bool canEdit(const DOMNode *node);
    // Whether an undo or redo step acts on a node the page no longer holds
    // (the page followed its text since, and holds another in its place):
    // the page then follows the step's change of the text once the step is
    // back, and the step leaves the node alone.
    bool followsTextForNodeGone(const DOMNode *node);
    QString refusalOfPageShown() const;
    // Whether an edit of the node can be written into the file's text as
    // it is now: the file holds it, or the user put it in (a node not in
    // the page yet goes in with its edit).
    bool isInFileText(const DOMNode *node);
    // Whether a page script made the node: the file holds no text for it,
    // and the user neither put it in nor copied it from the file's.
    bool isScriptsNode(const DOMNode *node);
    // False, with an alert, when an edit of any of them could not be
    // written into the file: the whole step is refused before anything
    // changes.
    bool canWriteEditsOf(const QList<const DOMNode *> &nodes);
    static QList<const DOMNode *> nodesOf(const QList<DOMNodeExPtr> &rows);
    static QList<const DOMNode *> nodesOf(const QList<DOMNodePtr> &nodes);
    // The node a pick in the preview stands for: a short lone text is its
    // element's.
    DOMNode *getPaticulerElement(DOMNode *node) override;
    // Draws the selected row again and gives the tree the keyboard.
    void reloadSelectedRow() override;
    // Empties the panel.
    void initDomNodeLists();
    void reserveDomModify(DOMNode *node);
    void lazyDomModify();
    void applyModifyNode(DOMNodeEx *row);
    void lazyRefreshStyleManager();
    void lazyAttributeModify();
    bool isDomModifyPending() const { return m_coalescer.isPending(); }

    // --- Outline (DomTreeDelegateOutline.cpp) ------------------------------------------------
    int numberOfChildrenOfItem(OutlineView *outlineView, void *item) override;
    void *childOfItem(OutlineView *outlineView, int index, void *item) override;
    bool isItemExpandable(OutlineView *outlineView, void *item) override;
    QVariant objectValueForTableColumn(OutlineView *outlineView, int column, void *item, int role) override;
    // The height of a row in an outline of that width: one line of the
    // desktop's fixed font, or, for a text edited in place, its lines
    // wrapped to the width.
    enum class EditedInPlace { No, Yes };
    static double heightOfRow(const DOMNodeEx *row, double outlineWidth, const DOMRowMetrics &metrics,
                              EditedInPlace edited = EditedInPlace::No);
    // The text row whose in-place editor is open (null for none): it grows
    // to show the text whole while it is edited.
    void setRowEditedInPlace(const DOMNodeEx *row);
    void expandItem();
    void contentChange();
    void keyDown(QKeyEvent *event);
    void doubleClick();
    void focusToAttrEditor();
    static bool isSameNode(DOMNodeEx *row, DOMNodeEx *other);

    // --- Selection and breadcrumb (DomTreeDelegateSelection.cpp) ------------------------------
    QList<int> selectionIndexesForProposedSelection(const QList<int> &proposed);
    void outlineViewSelectionDidChange();
    // The element the rules panel shows for the row: an element or a text
    // itself, a comment its parent; null for other rows.
    static DOMNodeExPtr rulesTargetOf(DOMNodeEx *row);
    // Asks the page ahead for what the rules panel will show for the row.
    void askAheadForRow(DOMNodeEx *row);
    // modeThen: the preview's pick state when the selection was made; a
    // state changed since then is not locked again.
    void lazySelection(const DOMNodeExPtr &row, int modeThen = -1);
    void setElementInformation(DOMNodeEx *row);
    QList<DOMNode *> getSubElements(DOMNodeEx *row) const;
    void setDombreadcrambPath(DOMNodeEx *row);
    // The menu of the clicked cell of a breadcrumb: the row and its siblings.
    void didSelectPath(PathControl *control = nullptr);
    // The overlay's "outer" button: the locked element's breadcrumb in a
    // popover over the preview, at the button's rectangle (view coordinates).
    void detectToOuter(DOMNode *node, const QRectF &rect);
    void updateOuterPosition(const QRectF &rect);
    // The popover of detectToOuter(), while it is shown.
    QWidget *domBreadCrambPopover() const;
    // The breadcrumb menu of a row (its children), for the rows it names.
    QMenu *createMenu(DOMNodeEx *row, QWidget *parent);
    void menuSelected(DOMNodeEx *row);

    // --- Lookups (DomTreeDelegateLookup.cpp) ---------------------------------------------------
    DOMNodeEx *searchFile(const DOMNode *node) const;
    DOMNodeEx *searchDomNodeFromRoot(const DOMNode *node) const;
    DOMNodeEx *searchNodeFromRoot(const DOMNodeEx *row) const;
    DOMNodeEx *searchDisplaiedNode(const DOMNode *node) const;
    static DOMNodeEx *searchNode(const QList<DOMNodeExPtr> &items, const DOMNodeEx *row);
    static DOMNodeEx *searchDomNode(const QList<DOMNodeExPtr> &items, const DOMNode *node);
    DOMNodeEx *searchDomNodeFromRoot2(const DOMNode *node) const;
    static DOMNodeEx *searchNodeByName(const QList<DOMNodeExPtr> &items);
    DOMNodeEx *selectedDomNodeEx() const;
    QList<DOMNodeEx *> selectedDomNodeExs() const;
    static DOMNodeEx *nextDomNodeExFromParent(const DOMNodeEx *row);
    static int countOfLines(const QString &text);
    static int countOfString(const QString &text);
    void selectNode(DOMNode *node) override;
    void selectItem(DOMNodeEx *item);
    void expandParentsOfItem(DOMNodeEx *item);
    // The node the preview picked, or the element whose row stands for it.
    DOMNode *selectedElement() const;

    // --- Editing with undo (DomTreeDelegateEdit.cpp) ----------------------------------------------
    void doRemoveNode(const DOMNodePtr &node, bool reselect);
    void doAddNode(const DOMNodePtr &node, const DOMNodePtr &parent, const DOMNodePtr &ref, bool reselect);
    // Removes the selected rows ("Remove Element").
    void removeNode();
    void removeNodes(const QList<DOMNodeExPtr> &rows);
    // A target for undo actions on a node: skipped once the page is another.
    TargetRef undoTarget(const DOMNodePtr &node) const;
    static InspectUndoManager *undoManager();

    // --- Write-back and saving (DomTreeDelegateWrite.cpp) -----------------------------------------
    void applyContentToFile();
    // The write at once, into the undo step still open: for an edit that is
    // a step of its own before the batched write would come.
    void writeFileNow();
    void lazyWrite(File *file);
    void saveHTML();
    void saveOutlineview();
    QString generateContentWithFormat(bool format, bool minify) const;
    QString concatNodeTree(const DOMNodeEx *row, bool format, bool minify, bool ignore) const;
    // The page's new text with the settings the last write or save loaded:
    // the file's text with the edits spliced in, or the generated page.
    // The file's text with the edits in it, or nullopt (the user told)
    // when they cannot be placed in it.
    std::optional<QString> writtenText(bool format, bool minify);
    void refuseWrite();
    // The settings that govern writing the file (its project's; none for a
    // remote page of no project); nullopt when "overrideHTML" forbids it.
    std::optional<QVariantMap> writeSettingsFor(File *file) const;
    // Takes the settings of the file for a write or a save; false when the
    // file is not to be written.
    bool loadWriteSettings(File *file);
    // Whether the file is the one of the document the tree shows, and that
    // document is shown still; a refusal is said in the log.
    bool writesTo(File *file) const;

    // --- Find bar and expand all (DomTreeDelegateFindBar.cpp) ---------------------------------------
    // Toggles the find bar above the tree; shown, it has the keyboard.
    void showSearchBar();
    void hideSearchBar();
    // A find step: the rows whose text holds the field's word (case counts),
    // and the next of them selected. sender is the field when Return was
    // pressed in it, null when the text changed: a changed word starts over
    // at its first match, each Return with the same word goes to the next.
    void searchDom(SearchFieldEx *sender);
    void controlTextDidChange();
    bool findBarVisible() const { return m_findBarVisible; }
    SearchFieldEx *domSearchField() const;
    QLabel *resultNumLabel() const;
    const QList<DOMNodeExPtr> &findResults() const { return m_findResults; }
    // Toggles between the whole tree expanded and collapsed.
    void expandAll();
    // Collapses the whole tree; the toggle of expandAll() stays as it is.
    void collapseAll();
    bool treeFullyExpanded() const { return m_treeFullyExpanded; }
    // The menu entries whose titles follow the find bar and the toggle; not owned.
    void setShowFindbarMenuItem(QAction *item);
    void setExpandTreeMenuItem(QAction *item);

    // --- Rows under SVG "use" elements (DomTreeDelegateSVGUse.cpp) -------------------------------
    // After a removal or an SVG element's new attributes: the rows of every
    // "svg use" of the page are built again 0.5 s later, once the engine
    // has shown the content they point to.
    void reloadSVGUseNodeWithElement(DOMElement *element);
    void lazyReloadSVGUseNode(DOMNode *node);

    // --- Ignore marks ------------------------------------------------------------------------------
    void checkIgnore();
    void projectConfigChanged();
    // An element's attributes changed in the Attributes pane ("redrawDomNode"):
    // its row and the rules listed for it follow.
    void redrawDomNode(DOMNode *node);
    void updateStyleRowView(DOMNodeEx *item);
    // An attribute edit, its undo or redo changed the element: when its
    // rules are the ones listed, the rules panel lists them again at once
    // (a class or an id changes which rules match, a style what they override).
    void relistRulesOf(const DOMNode *element);
    void deSelectDomNode();

    // --- Context menu (DomTreeDelegateContextMenu.cpp) ------------------------------------------
    void setDomNodeListDelegate(DomNodeListDelegateInterface *palette) { m_domNodeListDelegate = palette; }
    void setAttributeStyleEditor(AttributeStyleEditorInterface *editor) { m_attributeStyleEditor = editor; }
    // The outline's menu ("DomTreeMenu"), built by createDomtreeMenu().
    QMenu *domtreeMenu() const;
    void createDomtreeMenu();
    // The action name a menu entry sends ("swapNode:"), and its tag.
    static QString menuAction(const QAction *item);
    static int menuTag(const QAction *item);
    bool validateMenuItem(QAction *item);
    bool validateNodeMenu(QAction *item);
    bool validateChangeMenu(QAction *item);
    bool validateContainMenu(QAction *item);
    void menuWillOpen(QMenu *menu);
    void menuDidClose(QMenu *menu);
    DOMNodeEx *contextTargetNode() const { return m_contextTargetNode.get(); }
    void setContextTargetNode(DOMNodeEx *row);
    // The row of the context target that the outline shows.
    DOMNodeEx *contextTargetTreeNode() const;
    // The menu of an element picked in the preview, at the pointer.
    void displayElementMenu(DOMNode *element);
    void changeIgnoreSetting();
    // {"category": "header" or "body", "node": the row}
    void changeIgnore(const QVariantMap &info);
    // The selector a "do not save" rule names one element with.
    static QString ignoreSelectorOf(const DOMNode *node);
    void clipSource();
    void clipSourceCode();
    // HTML as a script's string expression: one quoted line each, joined by "+".
    static QString scriptStringOf(const QString &html);
    void createSelectorForNode();
    void createSelectorForId();
    void createAnimationSelectorForNode();
    void snipetNode();

    // --- Adding, replacing, wrapping (DomTreeDelegateEditing.cpp) -----------------------------
    // The row a command on a row acts on: a closing row stands for its
    // element; a reference row, or one whose node left the page, is none.
    static DOMNodeEx *editableRow(DOMNodeEx *row);
    void addNode(const QString &tagText);
    void swapNode(const QString &tagText);
    void containNode(const QString &tagText);
    // A new row over a node made from a template ("div", "#text",
    // "meta charset='utf-8'"); null for markup that makes no node.
    DOMNodeExPtr domNodeExByTagName(const QString &tagText, DOMNodeEx *parent, bool autoText);
    // The markup domNodeExByTagName() makes its node of; empty for none.
    static QString markupOfTag(const QString &tagText, bool autoText);
    DOMNodeExPtr domNodeExByImagePath(const QString &path, DOMNodeEx *parent, bool autoText);
    static bool canContainNodeInsert(const QString &child, const QString &parent);
    static bool canChangeNodeFrom(const QString &from, const QString &to);
    void moveNodeToBefore();
    void moveNodeToAfter();
    void moveNodeToBeforeIn() {}
    void moveNodeToAfterIn() {}
    void enabledDom(DOMNodeEx *row);
    void nodeSelected(const QString &tag);
    void nodeComponetSelected(const QString &content);
    void selectByNode(DOMNode *node);
    void lazySelectNode(DOMNode *node);
    void doAddClassSelector(const DOMNodePtr &node, const QString &name);
    void doRemoveClassSelector(const DOMNodePtr &node, const QString &name);

    // --- Clipboard (DomTreeDelegateClipboard.cpp) ------------------------------------------------
    // Edit > Copy: the selected rows' HTML, up to the first selected closing row.
    void doClipNode();
    // The rows' HTML as copies take it: the file's own text of their nodes
    // with the user's edits, and nothing page scripts made (the text the
    // write-back writes for them), one after another without the
    // indentation they share.
    QString authorsText(const QList<const DOMNodeEx *> &rows);
    void copy() { doClipNode(); }
    // Edit > Cut: the copy, then the selected rows removed.
    void cut();
    // Edit > Paste: the clipboard's HTML after the selected element when it
    // is that element's own copy (or the element holds no children), inside
    // it otherwise.
    void paste();

    // --- Drag and drop (DomTreeDelegateDrag.cpp) ---------------------------------------------------
    // The rows of the last drag started on the tree, opening rows for closing ones.
    const QList<DOMNodeExPtr> &dragNodes() const { return m_dragNodes; }
    bool writeItems(OutlineView *outlineView, const QList<void *> &items, QMimeData *pasteboard) override;
    Qt::DropAction validateDrop(OutlineView *outlineView, const DraggingInfo &info, void *proposedItem,
                                int proposedChildIndex) override;
    bool acceptDrop(OutlineView *outlineView, const DraggingInfo &info, void *item, int childIndex) override;
    void draggingExited();
    // Shows the pending class name on the row, live and without undo.
    void lazyApplyClassToNode(DOMNodeEx *row);
    // The preview's "webViewDragging" and "dropToWebView".
    void webViewDragging(const Notification &notification);
    void dropToWebView(const Notification &notification);
    // The row that shows a dragged class name for now.
    DOMNodeEx *classPreviewRow() const { return m_classPreviewRow.get(); }

    // --- Attributes and inline style (DomTreeDelegateAttributes.cpp) ---------------------------
    // Replaces every attribute of the element; false when a name is refused
    // (nothing changed). write registers the inverse and writes the file.
    // An element made in place of another takes its attributes as a copy,
    // not as an edit of the user's.
    enum class AttributesOf { User, Copy };
    bool replaceAttributes(const DOMNodePtr &node, const QList<QVariantMap> &from, const QList<QVariantMap> &to,
                           bool write, AttributesOf source = AttributesOf::User);
    void attributeEditChange(DOMNodeEx *row, const QString &attributeText);
    void attributeEditEnd(DOMNodeEx *row, const QString &attributeText, const QList<QVariantMap> &oldAttribute,
                          const QString &oldAttributeText);
    void styleAttributeEditChange(DOMNode *element, const QString &styleValue);
    // editedFrom: the panel's own text before the change, of which only
    // the declarations that differ from styleValue are the user's edit;
    // without it, the element's style before.
    void styleAttributeEditEnd(DOMNode *element, const QString &styleValue,
                               const std::optional<QString> &editedFrom = std::nullopt);
    // Sets the attribute to value, or removes it for none; its inverse
    // puts oldValue back the same way.
    void doChangeAttributeValue(const DOMNodePtr &element, const QString &attribute, const std::optional<QString> &value,
                                const std::optional<QString> &oldValue,
                                const std::optional<QString> &editedFrom = std::nullopt);
    static void showInvalidAttributeAlert(const QString &name);

    // --- Row commands (DomTreeDelegateRowCommands.cpp) ------------------------------------------
    // Splits the selected text row at caret with a "br" ("Insert BR").
    void domTextSplit(const QString &text, int caret);
    void beginSelectedNodeEdit();
    void removeChildren();
    void showAttributeStyleEditor();
    void resetDomSelection();
    void displayStyleSheetLinkChangeAlert();
    RBLPopover *attributeStyleEditorPopover() const { return m_attributeStyleEditorPopover; }

Q_SIGNALS:
    // The tree was rebuilt for a new document.
    void treeRebuilt();
    // A write-back set the file's text.
    void wroteFile(File *file);
    // The rows of a "use" element were built again.
    void svgUseNodeReloaded(DOMNode *node);
    // The selection settled on a row (its node) or on none (null).
    void selectedNodeChanged(DOMNode *node);

private:
    enum class ClassChange { Add, Remove };
    void changeClassSelector(const DOMNodePtr &node, const QString &name, ClassChange change);
    // Copies of the rows' nodes (closing rows left out), appended to parent's node.
    void appendCopies(const QList<DOMNodeExPtr> &rows, DOMNodeEx *parent);
    // A deep copy of the row's node, noted as its copy, without what page
    // scripts made inside it; null for a script's node.
    DOMNodeExPtr copyOf(const DOMNodeEx &row);
    void observeNotifications();
    void observeEditingNotifications();
    void postForContextTarget(const QString &name);
    // The context target's HTML, as the copy commands take it.
    QString contextTargetSource();
    void forgetPage();
    void refreshRow(DOMNodeEx *row);
    // Where a row stands, as rows are known again after a rebuild: per row
    // of its path, root first, its index under its parent, and the names
    // of getPathInfosWithNode() with where each level's names end.
    struct RowPlace
    {
        QList<qsizetype> indexes;
        QStringList tags;
        QList<qsizetype> levelEnds;
    };
    static RowPlace placeOf(DOMNodeEx *row);
    // Whether the row, at those indexes, stands where the first levels of
    // the place do.
    static bool isAtPlace(DOMNodeEx *row, const QList<qsizetype> &indexes, const RowPlace &place, qsizetype levels);
    // Opens the ancestors of the last selection below top and selects it again.
    void expandedFile(DOMNodeEx *top);
    void selectInExpand(DOMNodeEx *item);
    void itemDidExpand(DOMNodeEx *row);
    void itemDidCollapse(DOMNodeEx *row);
    // Under a drag a collapsed row opens 1.8 s after it was first asked, at
    // once with Ctrl held; outside a drag at once.
    bool shouldExpandItem(DOMNodeEx *row);
    void timerExpand(DOMNodeEx *row);
    // Remembers the row with its whole path, which a rebuild or a new page
    // would otherwise let go.
    void setLastSelection(DOMNodeEx *row);
    void ensurePairing();
    void pairWithFile();
    // The page follows its text as another view (a code view, its undo and
    // redo, a rollback) changed it: its nodes are changed in place where
    // they can be, made anew where they came or went (DomTreeDelegateFollow.cpp).
    class TextFollower;
    void textChangedElsewhere(File *file);
    void followText();
    // After an undo or redo: the page and its text as they now stand are
    // paired again, and a text change of another view is followed.
    void settleAfterReplay();
    void watchReplays();
    // The action of a step kept on the file's text over a reload: its undo
    // and redo have the page follow the text.
    std::function<void()> followMark(File *file);
    // Whether the pairing with the text the tree wrote places every element
    // the current pairing and the tree's edits place.
    bool pairsAllWritten(const HTMLSourcePairing &written) const;
    bool m_followPending = false;
    // The version of the page's text when an undo or redo began.
    std::optional<quint64> m_versionBeforeReplay;
    // The text the tree wrote last; null once the page and text are paired anew.
    QString m_lastWrittenText;
    // Whether the tree added or removed nodes since the pairing.
    bool m_treeMovedNodes = false;
    QPointer<InspectUndoManager> m_watchedManager;
    void registerEditsRestore(const DOMNodePtr &node, const DOMEditRecord::NodeEdits &edits);
    // The File of the document's page (the frame that shows it), when the
    // projects know it.
    File *fileOfDocument(const DOMDocument *document) const;
    DOMIgnoreSettings pageIgnoreSettings() const;
    QString projectPathOf(File *file) const;
    qint64 now() const;
    void drawCurrentShiftPosition(DOMNode *node);
    void doScroll();
    // The find bar over the outline, hidden until asked for.
    void buildFindBar();

    QPointer<QWidget> m_view;
    // The view goes with the pane that shows it, possibly first.
    QPointer<DomTreeOutlineView> m_outlineView;
    QPointer<PathControl> m_dombreadcramb;
    QPointer<QWidget> m_domBreadCrambPopover;
    QPointer<PathControl> m_popoverBreadcrumb;
    QPointer<ExWebView> m_webview;
    QPointer<PreviewDelegate> m_previewDelegate;
    CSSOutlineDelegateInterface *m_cssOutlineDelegate = nullptr;                 // Not owned.
    FileViewControllerInterface *m_fileViewController = nullptr;                 // Not owned.
    StyleSheetsManagerDelegateInterface *m_styleSheetsManagerDelegate = nullptr; // Not owned.
    ProjectDelegateInterface *m_projectDelegate = nullptr;                       // Not owned.
    QPointer<DomInfoDelegate> m_domInfoDelegate;
    WriteReserver m_writeReserver;
    DOMRowMetrics m_metrics;
    std::weak_ptr<DOMNodeEx> m_rowEditedInPlace;
    // Its address, which the outline's layout compares every row with.
    const DOMNodeEx *m_rowEditedInPlaceAddress = nullptr;
    std::function<qint64()> m_clock;
    QElapsedTimer m_elapsed;

    std::shared_ptr<DOMDocument> m_document;
    QList<DOMNodeExPtr> m_domNodeList;
    QPointer<File> m_indexFile;
    QPointer<File> m_selectedResourceFile;
    QVariantMap m_projectConfig;
    PageTextGenerator m_generator;

    // Page to tree.
    bool m_ignoreDomModify = false;
    bool m_domModifyNow = false;
    DomModifyCoalescer m_coalescer;
    QList<DOMNodeExPtr> m_refreshTargets;
    QList<std::weak_ptr<DOMNode>> m_attributeRefreshTargets;
    QRectF m_savedScroll;

    // Outline and selection.
    bool m_ignoreChangeSelection = false;
    bool m_selectionRestored = false;
    DOMNodeExPtr m_lastSelectedNode;
    std::weak_ptr<DOMNodeEx> m_lastSelection;
    RowPlace m_lastSelectionPlace;
    DOMNodeExPtr m_selectedItem;
    // The row being selected whose questions were asked before its
    // ancestors were opened; only compared, never followed.
    const DOMNodeEx *m_askedAheadRow = nullptr;
    QList<DOMNodeExPtr> m_expandedRows;
    // The selected element while there is no preview to keep it.
    DOMNodePtr m_selectedElement;

    // Editing from the tree.
    DomNodeListDelegateInterface *m_domNodeListDelegate = nullptr;     // Not owned.
    AttributeStyleEditorInterface *m_attributeStyleEditor = nullptr;   // Not owned.
    QPointer<QMenu> m_domtreeMenu;
    DOMNodeExPtr m_contextTargetNode;
    RBLPopover *m_attributeStyleEditorPopover = nullptr; // Owned (QObject child).

    // Clipboard and drag and drop.
    // Inserts the nodes of an HTML fragment before ref (or last) in parent;
    // the last one inserted, or null when the fragment is refused.
    DOMNodePtr insertFragment(const QString &html, DOMNodeEx *parent, DOMNodeEx *ref);
    // Whether the text is a copy of the row's element (it begins with its start tag).
    bool isCopyOf(const QString &text, DOMNodeEx *row);
    // Inserts the new rows' nodes in parent before ref, the tree refreshed once.
    void insertRows(const QList<DOMNodeExPtr> &rows, DOMNodeEx *parent, DOMNodeEx *ref);
    // Where nodes dropped or pasted onto a row go: inside it, else right
    // after it, wherever the HTML parser keeps them as the tree would show
    // them (a void element, a p for a block, an a for an a take them after
    // them, #84). False when neither place keeps them.
    bool placeForDropOn(DOMNodeEx *row, const QList<const DOMNode *> &nodes, DOMNodeEx *&parent, DOMNodeEx *&ref) const;
    // Whether the parser keeps the nodes in parent before ref (null: last);
    // during a drag, answered once for each place.
    bool keepsNodes(const DOMNodeEx *parent, const QList<const DOMNode *> &nodes, const DOMNodeEx *ref) const;
    // The drag the answers are of (null: none kept), set by validateDrop().
    void askNestingFor(const QMimeData *drag) const;
    // The child row a drop between the target's children goes before; null for the end.
    DOMNodeEx *refForDropAt(DOMNodeEx *target, int childIndex, bool treeDrag) const;
    // The nodes a drop would put in (those dragged, or made apart from the
    // page from the palette item or files); empty for none.
    QList<DOMNodePtr> nodesOfDrop(const QMimeData *mime) const;
    // The nodes an HTML text makes, as a paste makes them, apart from the page.
    QList<DOMNodePtr> nodesOfMarkup(const QString &html) const;
    // A palette item or image files inserted; the last new node, or null.
    DOMNodePtr insertDropped(const QMimeData *mime, DOMNodeEx *parent, DOMNodeEx *ref);
    void observeDragNotifications();
    void highlightOnPreview(DOMNodeEx *row);
    void removePreviewedClass(const QString &name);
    QList<DOMNodeExPtr> m_dragNodes;
    // The nesting rule's answers for the drag under way, by place: a drag
    // over the tree asks again at every move of the pointer.
    struct NestingAnswer
    {
        const DOMNode *parent;
        const DOMNode *ref;
        bool keeps;
    };
    mutable const QMimeData *m_nestingDrag = nullptr; // Not owned; compared only.
    mutable QList<NestingAnswer> m_nestingAnswers;
    DOMNodeExPtr m_classPreviewRow;
    QString m_pendingClassName;
    DOMNodeEx *m_pendingClassRow = nullptr;    // Not owned; compared only.
    DOMNodeEx *m_lastHighlightedRow = nullptr; // Not owned; compared only.

    // The element a style edit shows live while the user makes it, and its
    // "style" before the first live change (none when it had none).
    std::weak_ptr<DOMNode> m_liveStyleElement;
    std::optional<QString> m_liveStyleBefore;

    // Write-back.
    HTMLSourcePairing m_pairing;
    DOMEditRecord m_edits;
    // The texts this controller wrote since the pairing, and the paired one,
    // by the file's version and the text's hash: the file holding one of
    // them (after an undo or redo too) needs no new pairing. The same text
    // taken again from the disk is a new version: the edits written since
    // the pairing are no longer in it.
    QSet<std::pair<quint64, size_t>> m_writtenTexts;
    // Notes the file's text as one this controller wrote.
    void noteWrittenText(File *file);
    // The text and file of the last refused write: the user is told once.
    QString m_refusedWriteText;
    QString m_refusedWritePath;

    // Find bar and expand all.
    QPointer<QWidget> m_findBar;
    QPointer<SearchFieldEx> m_domSearchField;
    QPointer<QLabel> m_resultNumLabel;
    QPointer<QAction> m_showFindbarMenuItem;
    QPointer<QAction> m_expandTreeMenuItem;
    bool m_findBarVisible = false;
    bool m_treeFullyExpanded = false;
    // While the whole tree expands or collapses, rows skip their own upkeep.
    bool m_bulkExpansion = false;
    // Lets the expansion of a drag's timed row through; the row waiting for it.
    bool m_timedExpansion = false;
    std::weak_ptr<DOMNodeEx> m_hoverExpandItem;
    QString m_findWord;
    QList<DOMNodeExPtr> m_findResults;
    int m_findIndex = 0;
};
