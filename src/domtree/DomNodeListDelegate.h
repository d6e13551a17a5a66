#pragma once

#include "interfaces/DomNodeListDelegateInterface.h"
#include "platform/kit/OutlineDataSource.h"
#include "platform/web/dom/DOMNode.h"
#include "workspace/SnippetUtil.h"

#include <QObject>
#include <QPointer>
#include <QPoint>
#include <QString>

#include <memory>
#include <vector>

class DomTreeDelegate;
class ExWebView;
class NodeComponent;
class OutlineViewEx;
class QComboBox;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QToolButton;
class RBLPopover;
class SearchFieldEx;
class SegmentedControl;
class SnippetDropView;
class WebViewCell;

// The element palette: the controller of the list in the palette pane, from
// which element templates, the user's snippets and components are dragged
// onto the DOM tree, the preview or the code view. A mode control switches
// between the three, a category menu picks the list and a search field
// narrows it. It also makes snippets of DOM rows, rule texts and dropped
// text, and edits or deletes a snippet in a popover on a double click.
//
// The mode and the category title are shared by every palette of the
// process. The snippets are SnippetUtil's records, edited in place; the
// palette owns its view and its rows. The DOM tree and the preview are not
// owned and may be absent.
//
// The file is split: DomNodeListDelegate.cpp (the view, modes, categories,
// search, rows and drags) and ...Snippets.cpp (creating snippets and the
// snippet popover).
class DomNodeListDelegate : public QObject, public DomNodeListDelegateInterface, public OutlineDataSource
{
    Q_OBJECT

public:
    enum Mode { Templates = 0, Snippets = 1, Components = 2 };

    explicit DomNodeListDelegate(QObject *parent = nullptr);
    ~DomNodeListDelegate() override;

    // Builds the view; the first palette of the process shows the templates.
    void awakeFromNib();
    QWidget *view() const;

    void setDomTreeDelegate(DomTreeDelegate *tree);
    void setWebview(ExWebView *webview);

    // --- Shared by every palette --------------------------------------------------------
    static int paletteListMode();
    static void setPaletteListMode(int mode);
    // The title of the category shown, its count included ("HTML (3)").
    static QString paletteCategoryTitle();
    // Back to the state of a new process (for tests).
    static void resetForTesting();

    // --- Parts of the view ----------------------------------------------------------------
    OutlineViewEx *domNodeList() const { return m_domNodeList; }
    QComboBox *categorySelector() const { return m_categorySelector; }
    SegmentedControl *segmentedControl() const { return m_segmentedControl; }
    SearchFieldEx *searchField() const { return m_searchField; }
    QMenu *mainMenu() const { return m_mainMenu; }
    RBLPopover *snippetPopover() const { return m_snippetPopover; }
    SnippetDropView *snippetDropView() const { return m_snippetDropView; }
    WebViewCell *webViewCell() const { return m_webViewCell; }
    QLineEdit *snippeTitle() const { return m_snippeTitle; }
    QLineEdit *snippetSummary() const { return m_snippetSummary; }
    QComboBox *snippetLunguage() const { return m_snippetLunguage; }
    QPlainTextEdit *snippetBody() const { return m_snippetBody; }

    // --- The rows shown ---------------------------------------------------------------------
    // One row of the list: a template string, a snippet or a component.
    struct Element
    {
        QString templateText;
        SnippetPtr snippet;
        std::shared_ptr<NodeComponent> component;
    };
    const std::vector<std::unique_ptr<Element>> &elements() const { return m_elements; }
    // The texts of the rows as the list shows them ("< div >", a snippet's title).
    QStringList elementTitles() const;

    // --- Modes and categories -----------------------------------------------------------------
    void showW3CElements();
    // The snippets of the category, or of the first category when none is named.
    void showUserSnippetElements(const QString &category = QString());
    void showBootstrapElements();
    // The category menu's item at that index was chosen.
    void changeCategory(int index);
    void changeSnippetSet();
    // A command of the mode menu: its tag is the mode.
    void mainCategoryChange(int tag);
    void search();
    void showMenu();
    void saveOutlineview();

    // --- Dragging out ------------------------------------------------------------------------------
    // "DomNodeDragCopy": a template's string, a snippet's record, or a
    // component's title and content.
    bool writeItems(OutlineView *outlineView, const QList<void *> &items, QMimeData *pasteboard) override;

    // --- Snippets (DomNodeListDelegateSnippets.cpp) ------------------------------------------------
    void addSnippetWithNode(DOMNodeEx *row) override;
    void addSnippetwithText(const QString &text) override;
    void addSnippetWithCSSText(const QString &text) override;
    // The first 24 characters of the body without its double blanks, tabs and line ends.
    static QString titleWithBody(const QString &body);
    // The alert of a snippet library that could not be written, when the
    // last save failed.
    static void alertSnippetSaveFailure();
    // A double click on a row opens the snippet popover 0.25 s later, when
    // the pointer has not moved.
    void doubleClick();
    void showSnippetPopover();
    void snipetDoneEdit();
    void deleteSnippet();
    // A copy of the first element of the preview's body; null without one.
    static DOMNodePtr getCopy(ExWebView *webview);

    // --- OutlineDataSource --------------------------------------------------------------------------
    int numberOfChildrenOfItem(OutlineView *outlineView, void *item) override;
    void *childOfItem(OutlineView *outlineView, int index, void *item) override;
    bool isItemExpandable(OutlineView *outlineView, void *item) override;
    QVariant objectValueForTableColumn(OutlineView *outlineView, int column, void *item, int role) override;

private:
    void buildView();
    void buildSnippetPopover();
    void setTemplates(const QStringList &templates);
    void setSnippets(const QList<SnippetPtr> &snippets);
    void setComponents(const QList<QVariantMap> &records);
    void reloadList();
    void addSnippet(const QString &text, const QString &category);
    Element *selectedElement() const;
    // The text a row shows: "< div >", or a snippet's or component's title.
    static QString titleOf(const Element &element);
    // The category menu replaced by these titles; the index selected.
    void setCategoryTitles(const QStringList &titles, const QStringList &categories, int selected);

    QPointer<QWidget> m_view;
    // The view goes with the pane that shows it, possibly first.
    QPointer<OutlineViewEx> m_domNodeList;
    QComboBox *m_categorySelector = nullptr;        // Owned by the view.
    SegmentedControl *m_segmentedControl = nullptr; // Owned by the view.
    SearchFieldEx *m_searchField = nullptr;         // Owned by the view.
    QToolButton *m_menuButton = nullptr;            // Owned by the view.
    QMenu *m_mainMenu = nullptr;                    // Owned by the view.
    SnippetDropView *m_snippetDropView = nullptr;   // Owned by the view.
    WebViewCell *m_webViewCell = nullptr;           // Owned (QObject child).
    RBLPopover *m_snippetPopover = nullptr;         // Owned (QObject child).
    QPointer<QWidget> m_snippetEditor;
    QLineEdit *m_snippeTitle = nullptr;             // Owned by the snippet editor.
    QLineEdit *m_snippetSummary = nullptr;          // Owned by the snippet editor.
    QComboBox *m_snippetLunguage = nullptr;         // Owned by the snippet editor.
    QPlainTextEdit *m_snippetBody = nullptr;        // Owned by the snippet editor.
    QPointer<DomTreeDelegate> m_domTreeDelegate;
    QPointer<ExWebView> m_webview;
    std::vector<std::unique_ptr<Element>> m_elements;
    QPoint m_doubleClickPoint;
    // While the category menu is refilled, its signals are not choices.
    bool m_fillingCategories = false;
};
