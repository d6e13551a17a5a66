#pragma once

#include "interfaces/StyleSheetsManagerDelegateInterface.h"
#include "platform/kit/OutlineDataSource.h"
#include "stylesheet/StyleDeclaration.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

class CSSOutlineDelegate;
class DOMDocument;
class OutlineViewEx;
class QLabel;
class QToolButton;
class SearchFieldEx;

// The style-sheet manager: every rule of the page's style sheets in one list,
// each with the number of elements it matches. Choosing a rule shows it in the
// rules panel; the list may be narrowed to some style sheets and searched.
class StyleSheetsManagerDelegate : public QObject,
                                   public OutlineDataSource,
                                   public StyleSheetsManagerDelegateInterface
{
    Q_OBJECT

public:
    // One row: a rule, or a block whose rules are its children.
    struct Row
    {
        StyleDeclarationPtr declaration;
        std::vector<std::unique_ptr<Row>> children;
        Row *parent = nullptr; // Not owned.
    };

    explicit StyleSheetsManagerDelegate(QObject *parent = nullptr);
    ~StyleSheetsManagerDelegate() override;

    // The rules panel whose style sheets are listed and which shows the chosen rule.
    void setRulesPanel(CSSOutlineDelegate *rules);
    // The manager's panel: filter, search field and list.
    QWidget *view() const { return m_view; }
    OutlineViewEx *outline() const { return m_selectorListView; }
    SearchFieldEx *searchField() const { return m_searchField; }
    QLabel *filterLabel() const { return m_filterLabel; }

    // The top rows as listed.
    const std::vector<std::unique_ptr<Row>> &rows() const { return m_rows; }
    // The text of a row's count: the number of elements it matches, "(?)" for
    // a selector the engine refuses, empty for rows that match nothing by kind.
    QString countText(const StyleDeclaration &declaration);
    // Selects the next row after the selected one whose text holds the search
    // text, wrapping at the end; false when none does.
    bool searchIncrement(const QString &text);
    // The rules of the selected rows.
    QList<StyleDeclarationPtr> selectedDeclarations() const;
    // Removes the selected rules from page, model and file, as one undo step
    // (named for the rule count unless a name is given).
    void removeSelected(const QString &actionName = QString());
    // A copied rule: its copy, and the rules of a block.
    struct CopiedRule
    {
        StyleDeclarationPtr declaration;
        QList<QVariantMap> inner;
    };
    // Renames a style rule to the text with its spacing made regular, as one
    // undo step; false when nothing changed (a refused name changes nothing).
    bool renameRule(const StyleDeclarationPtr &declaration, const QString &text);
    // The clipboard of rules; each edit is one undo step.
    void copy();
    void cut();
    // After the last selected rule (into its block when it is in one).
    void paste();
    void duplicate();
    const QList<CopiedRule> &copiedRules() const { return m_copiedRules; }
    // The selector the engine is asked about: pseudo-classes and pseudo-elements left out.
    static QString strippedSelector(const QString &selector);

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

    // The rules of the last drag started in the list.
    const QList<StyleDeclarationPtr> &dragItems() const { return m_dragItems; }
    // "#word" when the word was dragged out of an id attribute's value in a
    // text view, ".word" otherwise.
    static QString generateSelectorForIdOrClass(const DraggingInfo &info);
    // Whether the rule's file (the parent's) holds another rule of the same
    // selector, ignoring case.
    static bool checkDuplication(const StyleDeclaration &rule, File *parent);

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
    // The listed rule the declaration follows in its file or block; null for none.
    StyleDeclarationPtr itemBefore(const StyleDeclarationPtr &declaration) const;
    // After a drop: the list anew, the first new rule chosen.
    void endDrop(const StyleDeclarationPtr &first);
    void alertAlreadyExists(const StyleDeclaration &rule);
    void buildView();
    void buildContextMenu();
    QList<CopiedRule> copiesOfSelection() const;
    // Adds the copies after the target, in order; false when none was added.
    bool pasteAfter(const QList<CopiedRule> &copies, const StyleDeclarationPtr &target, const QString &actionName);
    void rebuildRows();
    // Selects the first row after start whose selector holds the text, wrapping.
    bool findFrom(const QString &text, int start);
    void updateFilterLabel();
    void rebuildFilterMenu();
    void selectionChanged();
    Row *rowOf(const StyleDeclarationPtr &declaration) const;
    DOMDocument *document() const;

    // Owned until a pane takes it; deleted with the manager when still there.
    QPointer<QWidget> m_view;
    QLabel *m_filterLabel = nullptr;             // Not owned (child of m_view).
    QToolButton *m_filterButton = nullptr;       // Not owned (child of m_view).
    SearchFieldEx *m_searchField = nullptr;      // Not owned (child of m_view).
    OutlineViewEx *m_selectorListView = nullptr; // Not owned (child of m_view).
    QPointer<CSSOutlineDelegate> m_rules;
    std::vector<std::unique_ptr<Row>> m_rows;
    QList<QPointer<File>> m_filterFiles;
    // Counts per stripped selector, good while the tree's version stays.
    QHash<QString, QString> m_countCache;
    quint64 m_countVersion = 0;
    const DOMDocument *m_countDocument = nullptr; // Not owned; only compared.
    QList<CopiedRule> m_copiedRules;
    QList<StyleDeclarationPtr> m_dragItems;
    bool m_inChange = false;
    bool m_selecting = false;
};
