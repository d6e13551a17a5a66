#pragma once

#include "TableDataSource.h"
#include "TableDelegate.h"
#include "TableViewBase.h"

#include <memory>

// The kit's table view: rows numbered from 0 supplied by a TableDataSource,
// with a TableDelegate's optional hooks. It shares its model with the outline
// view; a row's identity is its number, so reloading keeps the selection by
// row number as the kit's tables do.
class TableView : public TableViewBase
{
    Q_OBJECT

public:
    explicit TableView(QWidget *parent = nullptr);
    ~TableView() override;

    // Not owned.
    void setDataSource(TableDataSource *dataSource);
    TableDataSource *dataSource() const { return m_dataSource; }

    void setDelegate(TableDelegate delegate);
    const TableDelegate &delegate() const { return m_delegate; }

    void reloadData();
    void reloadDataForRowIndexes(const QList<int> &rows);

    // Retargets a drop while the data source validates it.
    void setDropRow(int row, TableViewDropOperation operation);

protected:
    QString cellIdentifier(const QModelIndex &index) const override;
    RowView *makeRowView(const QModelIndex &index) override;
    bool hasVariableRowHeights() const override;
    std::optional<double> heightOfRow(const QModelIndex &index) const override;
    bool shouldEditCell(const QModelIndex &index) const override;
    bool filtersSelection() const override;
    QList<int> selectionForProposal(const QList<int> &proposed) override;
    void selectionDidChange() override;
    bool writeRows(const QModelIndexList &rows, QMimeData *pasteboard) override;
    Qt::DropAction validateDrop(const DraggingInfo &info, const DropTarget &target) override;
    bool acceptDrop(const DraggingInfo &info, const DropTarget &target) override;
    void draggingExited(QDragLeaveEvent *event) override;

private:
    class Adapter;

    static int rowOfItem(void *item) { return int(quintptr(item)) - 1; }
    static void *itemOfRow(int row) { return reinterpret_cast<void *>(quintptr(row + 1)); }
    static void dropPosition(const DropTarget &target, int &row, TableViewDropOperation &operation);

    TableDataSource *m_dataSource = nullptr; // Not owned.
    TableDelegate m_delegate;
    std::unique_ptr<Adapter> m_adapter;
};
