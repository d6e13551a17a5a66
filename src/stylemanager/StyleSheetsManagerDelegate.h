#pragma once

#include "PatchingButton.h"

#include "interfaces/StyleSheetsManagerDelegateInterface.h"
#include "platform/kit/OutlineDataSource.h"
#include "platform/kit/OutlineDelegate.h"
#include "platform/kit/TableDataSource.h"
#include "stylesheet/StyleDeclaration.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <memory>
#include <optional>
#include <vector>

class CSSCopyInfo;
class CSSOutlineDelegate;
class DOMDocument;
class File;
class OutlineViewEx;
class QKeyEvent;
class QLabel;
class QMenu;
class QSplitter;
class QToolButton;
class RBLPopover;
class SearchFieldEx;
class StyleSheetsManagerListCell;
class TableView;

// The style-sheet manager: every rule of the page's style sheets, grouped by
// file, each style rule with the number of elements it matches. Choosing a
// rule shows it in the rules panel and outlines its elements in the preview;
// rules are renamed, cut, pasted, dragged and dropped here, and the rules
// panel carries out every edit. The list may be narrowed to some style
// sheets and searched.
//
// Topics: StyleSheetsManagerDelegateSelection.cpp (selection, clicks, the
// declaration list), StyleSheetsManagerDelegateEditing.cpp,
// StyleSheetsManagerDelegateDragging.cpp, StyleSheetsManagerDelegateFilter.cpp
// (the style-sheet filter and the search).
class StyleSheetsManagerDelegate : public QObject,
                                   public OutlineDataSource,
                                   public TableDataSource,
                                   public StyleSheetsManagerDelegateInterface
{
    Q_OBJECT

public:
    // One row: a style sheet (level 0), a rule (level 1) or a rule of a block
    // (level 2).
    struct Row
    {
        QPointer<File> file; // Set on a style sheet's row only.
        StyleDeclarationPtr declaration;
        std::vector<std::unique_ptr<Row>> children;
        Row *parent = nullptr; // Not owned.
        int level = 0;
    };

    explicit StyleSheetsManagerDelegate(QObject *parent = nullptr);
    ~StyleSheetsManagerDelegate() override;

    // The rules panel whose style sheets are listed and which shows the chosen rule.
    void setRulesPanel(CSSOutlineDelegate *rules);
    // The manager's panel: filter, search field, list, declarations and the add-rule bar.
    QWidget *view() const { return m_view; }
    OutlineViewEx *outline() const { return m_selectorListView; }
    OutlineViewEx *declarationList() const { return m_declarationListView; }
    SearchFieldEx *searchField() const { return m_searchField; }
    QLabel *filterLabel() const { return m_filterLabel; }
    QToolButton *filterButton() const { return m_filterButton; }
    QWidget *selectorInputView() const { return m_selectorInputView; }

    // The style sheets' rows as listed.
    const std::vector<std::unique_ptr<Row>> &rows() const { return m_rows; }
    Row *rowOf(const StyleDeclarationPtr &declaration) const;
    Row *rowOfFile(const File *file) const;
    // The item of a list row; null for none.
    Row *rowAt(int index) const;
    // The text of a row's count: "(n)" for the elements a style rule matches,
    // "(?)" for a selector the engine refuses, empty for other rows.
    QString countText(const StyleDeclaration &declaration);
    // The number of matched elements; 0 also for a refused selector.
    int matchCount(const StyleDeclaration &declaration);
    // The selector the engine is asked about: pseudo-classes and pseudo-elements left out.
    static QString strippedSelector(const QString &selector);
    // The rules of a style sheet the list shows at its top level.
    static QList<StyleDeclarationPtr> listedTopLevel(File *file);
    // The declarations of a rule the declaration list shows, as the file has them.
    static QList<CSSPropertyPtr> listedProperties(const StyleDeclaration &declaration);

    // --- Selection ------------------------------------------------------------------------------
    // The items of the selected rows in row order.
    QList<Row *> selectorListSelection() const;
    // The rules of the selected rows.
    QList<StyleDeclarationPtr> selectedDeclarations() const;
    void selectItemFromRuleWithUpdate(const StyleDeclarationPtr &rule);
    void setNextSelection(const StyleDeclarationPtr &rule) { m_nextSelection = rule; }
    // Rebuilds keeping the selected row numbers.
    void refreshListWithCurrentItem();
    // Rebuilds at the next turn, then selects the next selection or the selected item.
    void refreshListWithItem();
    void singleClick();
    void doubleClick();
    // Whether the selected row's name field refuses a click that would start
    // editing it (a click selects the row, Return edits its name).
    void fileNameTextFieldDisable(bool disable);
    // A mouse-down in the list drops a rename in progress.
    void mouseDown();
    // Asks the create-rule dialog for a rule where the list's selection is.
    void showAddSelector();
    void focusToInput();
    void saveOutlineview();

    // --- Editing ------------------------------------------------------------------------------------
    // Removes the selected rules from page, model and file, as one undo step.
    void removeSelected(const QString &actionName = QStringLiteral("Remove Selector"));
    // Renames a rule to the text with its spacing made regular, as one undo
    // step; false when nothing changed (a refused name changes nothing).
    bool renameRule(const StyleDeclarationPtr &declaration, const QString &text);
    static QString normalizedSelectorName(const QString &text);
    // A copied rule: its copy, and the rules of a block.
    struct CopiedRule
    {
        StyleDeclarationPtr declaration;
        QList<QVariantMap> inner;
    };
    // The rules on the rules panel's clipboard, as rules to add.
    QList<CopiedRule> copiedRules() const;
    // The clipboard is the rules panel's; each edit is one undo step.
    void copy();
    void cut();
    void paste();
    void duplicate();
    // Whether a menu command may act on the clicked row.
    bool validateMenuItem(const QString &title) const;

    // --- Filter and search ------------------------------------------------------------------------
    void updateFilterLabel();
    void showFilterDropdown();
    RBLPopover *filterPopover() const { return m_filterPopover; }
    TableView *filterTable() const { return m_filterTable; }
    // The popover's size for that many style sheets.
    static QSize filterDropdownSize(int buttonWidth, int files);
    // Finds the rules whose selector (or comment text) holds the text; the same
    // text again steps to the next hit, wrapping. False when there is none.
    bool searchIncrement(const QString &text);
    QList<StyleDeclarationPtr> searchSelector(const QString &text) const;
    void clearSearchFilds();

    // --- Drag and drop ------------------------------------------------------------------------------
    // The rules of the last drag started in the list.
    const QList<StyleDeclarationPtr> &dragItems() const { return m_dragItems; }
    bool isDragging() const { return m_isDragging; }
    // "#word" when the word was dragged out of an id attribute's value in a
    // text view, ".word" otherwise.
    static QString generateSelectorForIdOrClass(const DraggingInfo &info);
    // Whether the rule's file holds another rule of the same selector, ignoring case.
    static bool checkDuplication(const StyleDeclaration &rule, File *parent);

    // The class-patching button, over the row under the pointer when that row
    // is a lone class.
    PatchingButton *patchingButton() const { return m_patchingButton; }
    void placePatchingButton(const QPoint &viewportPoint);

    // --- StyleSheetsManagerDelegateInterface ---------------------------------------------
    QWidget *selectorListView() override;
    void reselectSelectorWithClickedSelector() override;
    void setInChange(bool inChange) override { m_inChange = inChange; }
    void refreshSelectorList() override;
    QList<File *> filterFiles() override;
    void clearFileFilter() override;
    void setFileFilter(File *file) override;
    void selectItemFromRule(const std::shared_ptr<StyleDeclaration> &rule) override;

    // --- OutlineDataSource -------------------------------------------------------------------
    int numberOfChildrenOfItem(OutlineView *outlineView, void *item) override;
    void *childOfItem(OutlineView *outlineView, int index, void *item) override;
    bool isItemExpandable(OutlineView *outlineView, void *item) override;
    QVariant objectValueForTableColumn(OutlineView *outlineView, int column, void *item, int role) override;
    bool setObjectValue(OutlineView *outlineView, const QVariant &value, int column, void *item) override;
    bool writeItems(OutlineView *outlineView, const QList<void *> &items, QMimeData *pasteboard) override;
    Qt::DropAction validateDrop(OutlineView *outlineView, const DraggingInfo &info, void *proposedItem,
                                int proposedChildIndex) override;
    bool acceptDrop(OutlineView *outlineView, const DraggingInfo &info, void *item, int childIndex) override;

    // --- TableDataSource (the filter table) -------------------------------------------------
    using TableDataSource::acceptDrop;
    using TableDataSource::setObjectValue;
    using TableDataSource::validateDrop;
    int numberOfRowsInTableView(TableView *tableView) override;
    QVariant objectValueForTableColumn(TableView *tableView, int column, int row, int role) override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Where a drop lands: the file, the block (null at the top) and the rule
    // the new rules follow (null for none).
    struct DropPlace
    {
        File *file = nullptr;
        StyleDeclarationPtr block;
        StyleDeclarationPtr before;
    };
    std::optional<DropPlace> dropPlace(void *item, int childIndex) const;
    bool acceptStyleDeclarationDrop(const DropPlace &place);
    bool acceptSnippetDrop(const DropPlace &place, const QString &content);
    bool acceptStringDrop(const DropPlace &place, const DraggingInfo &info);
    // The listed rule before the declaration in its file or block; nullopt
    // when the declaration is not listed there.
    std::optional<StyleDeclarationPtr> itemBefore(const StyleDeclarationPtr &declaration) const;
    // After a drop: the list anew, the first new rule chosen.
    void endDrop(const StyleDeclarationPtr &first);
    void alertAlreadyExists(const StyleDeclaration &rule);
    // The clipboard records of the selected rules; none when the page lacks one of them.
    std::optional<QList<std::shared_ptr<CSSCopyInfo>>> copyInfosOfSelection() const;
    // Adds the copies after the target (first in a style sheet, or in a block
    // when the target is one), in order; false when none was added.
    bool pasteAfter(const QList<CopiedRule> &copies, const Row *target, const QString &actionName);

    void buildView();
    void buildContextMenu();
    void buildFilterDropdown();
    OutlineDelegate listDelegate();
    void rebuildRows();
    void rebuildFilterMenu();
    void filterTableSelectionDidChange();
    void selectionChanged();
    void updateCSSDeclarationList();
    void updateSelectorInsertMode();
    // The footer: where a new rule goes, from the list's selection as it is.
    // Returns that style sheet.
    File *updateSelectorInputView();
    void setRulesToCSSOutLine(const StyleDeclarationPtr &rule);
    // Outlines the elements a style rule matches in the preview.
    void highlightMatches(const StyleDeclarationPtr &rule);
    void selectRuleRow(const StyleDeclarationPtr &rule, bool quietly);
    bool selectItem(Row *row);
    void expandAll(Row *row);
    void keyDown(QKeyEvent *event);
    DOMDocument *document() const;
    bool refusesEditing(const Row *row) const { return row && row == m_fieldRefusingRow; }

    // Owned until a pane takes it; deleted with the manager when still there.
    QPointer<QWidget> m_view;
    QLabel *m_filterLabel = nullptr;                  // Not owned (child of m_view).
    QToolButton *m_filterButton = nullptr;            // Not owned (child of m_view).
    SearchFieldEx *m_searchField = nullptr;           // Not owned (child of m_view).
    OutlineViewEx *m_selectorListView = nullptr;      // Not owned (child of m_view).
    // The row whose name field refuses clicks; compared, never read.
    const Row *m_fieldRefusingRow = nullptr;
    OutlineViewEx *m_declarationListView = nullptr;   // Not owned (child of m_view).
    QWidget *m_selectorInputView = nullptr;           // Not owned (child of m_view).
    QLabel *m_insertTargetLabel = nullptr;            // Not owned (child of m_view).
    QSplitter *m_split = nullptr;                     // Not owned (child of m_view).
    StyleSheetsManagerListCell *m_listCell = nullptr; // Not owned (the list's).
    QPointer<PatchingButton> m_patchingButton;        // Child of the list's viewport.
    QPointer<QWidget> m_listViewport;
    QMenu *m_filterMenu = nullptr;                    // Not owned (the button's).
    RBLPopover *m_filterPopover = nullptr;            // Owned.
    TableView *m_filterTable = nullptr;               // Not owned (the popover's content).
    QPointer<CSSOutlineDelegate> m_rules;
    std::vector<std::unique_ptr<Row>> m_rows;
    QList<QPointer<File>> m_filterFiles;
    QPointer<File> m_filterFile;
    // Style sheets the user closed in the list, by path.
    QSet<QString> m_collapsedFiles;
    // Counts per stripped selector, good while the tree's version stays.
    QHash<QString, int> m_countCache;
    quint64 m_countVersion = 0;
    const DOMDocument *m_countDocument = nullptr; // Not owned; only compared.
    QList<StyleDeclarationPtr> m_dragItems;
    StyleDeclarationPtr m_nextSelection;
    QString m_lastSearchWord;
    QList<StyleDeclarationPtr> m_searchResults;
    qint64 m_incrementIndex = 0;
    QTimer m_declarationListTimer;
    QTimer m_insertModeTimer;
    QTimer m_lazyRefreshTimer;
    bool m_inChange = false;
    bool m_selecting = false;
    bool m_ignoreSelectFromRule = false;
    bool m_isDragging = false;
};
