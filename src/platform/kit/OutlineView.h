#pragma once

#include "OutlineDelegate.h"
#include "TableViewBase.h"

class OutlineDataSource;

// The kit's outline view: a tree of the program's objects supplied by an
// OutlineDataSource, with an OutlineDelegate's optional hooks. reloadItem()
// keeps the expansion and selection of every item that stays. Every outline
// view reports the column under a mouse-down to its delegate
// (didClickTableColumn).
class OutlineView : public TableViewBase
{
    Q_OBJECT

public:
    explicit OutlineView(QWidget *parent = nullptr);
    ~OutlineView() override;

    // Not owned; it must outlive the view or be replaced first.
    void setDataSource(OutlineDataSource *dataSource);
    OutlineDataSource *dataSource() const { return m_dataSource; }

    void setDelegate(OutlineDelegate delegate);
    const OutlineDelegate &delegate() const { return m_delegate; }

    void reloadData();
    void reloadItem(void *item) { reloadItem(item, false); }
    void reloadItem(void *item, bool reloadChildren);

    void *itemAtRow(int row) const;
    int rowForItem(void *item) const;
    void *parentForItem(void *item) const;
    int levelForItem(void *item) const;
    int levelForRow(int row) const { return levelForItem(itemAtRow(row)); }
    bool isExpandable(void *item) const;
    bool isItemExpanded(void *item) const;
    // Whether the item has a row: it is known and its ancestors are all
    // expanded. Cheaper than rowForItem() after a change of the rows.
    bool isItemShown(void *item) const;
    void expandItem(void *item, bool expandChildren = false);
    void collapseItem(void *item, bool collapseChildren = false);
    int childIndexForItem(void *item) const;
    int numberOfChildrenOfItem(void *item) const;
    void *child(int index, void *ofItem) const;

    // Retargets a drop while the data source validates it.
    void setDropItem(void *item, int dropChildIndex);

    int indentationPerLevel() const { return indentation(); }
    void setIndentationPerLevel(int indentation) { setIndentation(indentation); }

    // The item of an index of any kit view.
    static void *itemForIndex(const QModelIndex &index);
    QModelIndex indexForItem(void *item, int column = 0) const;

protected:
    QString cellIdentifier(const QModelIndex &index) const override;
    RowView *makeRowView(const QModelIndex &index) override;
    bool hasVariableRowHeights() const override;
    std::optional<double> heightOfRow(const QModelIndex &index) const override;
    bool shouldEditCell(const QModelIndex &index) const override;
    bool filtersSelection() const override;
    QList<int> selectionForProposal(const QList<int> &proposed) override;
    void selectionDidChange() override;
    void columnClicked(int column) override;
    bool shouldExpand(const QModelIndex &index) override;
    bool shouldCollapse(const QModelIndex &index) override;
    void willExpand(const QModelIndex &index) override;
    void didExpand(const QModelIndex &index) override;
    void willCollapse(const QModelIndex &index) override;
    void didCollapse(const QModelIndex &index) override;
    bool writeRows(const QModelIndexList &rows, QMimeData *pasteboard) override;
    Qt::DropAction validateDrop(const DraggingInfo &info, const DropTarget &target) override;
    bool acceptDrop(const DraggingInfo &info, const DropTarget &target) override;
    void draggingExited(QDragLeaveEvent *event) override;

private:
    OutlineDataSource *m_dataSource = nullptr; // Not owned.
    OutlineDelegate m_delegate;
};
