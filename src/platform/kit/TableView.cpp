#include "TableView.h"

#include "OutlineDataSource.h"
#include "OutlineItemModel.h"

// Presents the rows of a table data source as the top-level items of the
// shared model; an item is its row number plus one.
class TableView::Adapter : public OutlineDataSource
{
public:
    explicit Adapter(TableView *table)
        : m_table(table)
    {
    }

    int numberOfChildrenOfItem(OutlineView *, void *item) override
    {
        if (item || !m_table->m_dataSource)
            return 0;
        return qMax(0, m_table->m_dataSource->numberOfRowsInTableView(m_table));
    }
    void *childOfItem(OutlineView *, int index, void *) override { return itemOfRow(index); }
    bool isItemExpandable(OutlineView *, void *) override { return false; }
    QVariant objectValueForTableColumn(OutlineView *, int column, void *item, int role) override
    {
        if (!m_table->m_dataSource)
            return {};
        return m_table->m_dataSource->objectValueForTableColumn(m_table, column, rowOfItem(item), role);
    }
    bool setObjectValue(OutlineView *, const QVariant &value, int column, void *item) override
    {
        return m_table->m_dataSource
            && m_table->m_dataSource->setObjectValue(m_table, value, column, rowOfItem(item));
    }

private:
    TableView *m_table;
};

TableView::TableView(QWidget *parent)
    : TableViewBase(parent)
    , m_adapter(std::make_unique<Adapter>(this))
{
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setIndentation(0);
    itemModel()->setDataSource(m_adapter.get(), nullptr);
}

TableView::~TableView()
{
    itemModel()->setDataSource(nullptr, nullptr);
}

void TableView::setDataSource(TableDataSource *dataSource)
{
    m_dataSource = dataSource;
    itemModel()->setDataSource(m_adapter.get(), nullptr);
}

void TableView::setDelegate(TableDelegate delegate)
{
    m_delegate = std::move(delegate);
    delegateChanged();
}

void TableView::reloadData()
{
    forgetAllRowViews();
    itemModel()->reloadData();
    viewport()->update();
}

void TableView::reloadDataForRowIndexes(const QList<int> &rows)
{
    QList<void *> items;
    for (int row : rows)
        items.append(itemOfRow(row));
    forgetRowViews(items);
    for (void *item : items)
        itemModel()->reloadItem(item, false);
}

void TableView::setDropRow(int row, TableViewDropOperation operation)
{
    DropTarget target;
    if (operation == TableViewDropOperation::On) {
        target.parent = itemModel()->index(row, 0);
        target.childIndex = -1;
    } else {
        target.childIndex = row;
    }
    setDropTarget(target);
}

void TableView::dropPosition(const DropTarget &target, int &row, TableViewDropOperation &operation)
{
    if (target.childIndex < 0) {
        row = target.parent.row();
        operation = TableViewDropOperation::On;
    } else {
        row = target.childIndex;
        operation = TableViewDropOperation::Above;
    }
}

QString TableView::cellIdentifier(const QModelIndex &index) const
{
    if (!m_delegate.cellIdentifierForTableColumn)
        return {};
    return m_delegate.cellIdentifierForTableColumn(const_cast<TableView *>(this), index.column(),
                                                   index.row());
}

RowView *TableView::makeRowView(const QModelIndex &index)
{
    return m_delegate.rowViewForRow ? m_delegate.rowViewForRow(this, index.row()) : nullptr;
}

bool TableView::hasVariableRowHeights() const
{
    return bool(m_delegate.heightOfRow);
}

std::optional<double> TableView::heightOfRow(const QModelIndex &index) const
{
    if (!m_delegate.heightOfRow)
        return std::nullopt;
    return m_delegate.heightOfRow(const_cast<TableView *>(this), index.row());
}

bool TableView::shouldEditCell(const QModelIndex &index) const
{
    if (m_delegate.shouldEditTableColumn)
        return m_delegate.shouldEditTableColumn(const_cast<TableView *>(this), index.column(),
                                                index.row());
    return TableViewBase::shouldEditCell(index);
}

bool TableView::filtersSelection() const
{
    return bool(m_delegate.selectionIndexesForProposedSelection);
}

QList<int> TableView::selectionForProposal(const QList<int> &proposed)
{
    return m_delegate.selectionIndexesForProposedSelection(this, proposed);
}

void TableView::selectionDidChange()
{
    if (m_delegate.selectionDidChange)
        m_delegate.selectionDidChange(this);
}

bool TableView::writeRows(const QModelIndexList &rows, QMimeData *pasteboard)
{
    if (!m_dataSource)
        return false;
    QList<int> numbers;
    for (const QModelIndex &index : rows)
        numbers.append(index.row());
    return m_dataSource->writeRowsWithIndexes(this, numbers, pasteboard);
}

Qt::DropAction TableView::validateDrop(const DraggingInfo &info, const DropTarget &target)
{
    if (!m_dataSource)
        return Qt::IgnoreAction;
    int row = 0;
    TableViewDropOperation operation = TableViewDropOperation::Above;
    dropPosition(target, row, operation);
    return m_dataSource->validateDrop(this, info, row, operation);
}

bool TableView::acceptDrop(const DraggingInfo &info, const DropTarget &target)
{
    if (!m_dataSource)
        return false;
    int row = 0;
    TableViewDropOperation operation = TableViewDropOperation::Above;
    dropPosition(target, row, operation);
    return m_dataSource->acceptDrop(this, info, row, operation);
}

void TableView::draggingExited(QDragLeaveEvent *event)
{
    if (m_delegate.draggingExited)
        m_delegate.draggingExited(event);
}
