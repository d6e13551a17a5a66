#include "OutlineView.h"

#include "OutlineDataSource.h"
#include "OutlineItemModel.h"

OutlineView::OutlineView(QWidget *parent)
    : TableViewBase(parent)
{
    setRootIsDecorated(true);
    setIndentation(16);
}

OutlineView::~OutlineView() = default;

void OutlineView::setDataSource(OutlineDataSource *dataSource)
{
    m_dataSource = dataSource;
    itemModel()->setDataSource(dataSource, this);
}

void OutlineView::setDelegate(OutlineDelegate delegate)
{
    m_delegate = std::move(delegate);
    delegateChanged();
}

void OutlineView::reloadData()
{
    itemModel()->reloadData();
}

void OutlineView::reloadItem(void *item, bool reloadChildren)
{
    // A reloaded row is given a new row view.
    if (item)
        forgetRowViews({item});
    itemModel()->reloadItem(item, reloadChildren);
    viewport()->update();
}

void *OutlineView::itemForIndex(const QModelIndex &index)
{
    return OutlineItemModel::itemForIndex(index);
}

QModelIndex OutlineView::indexForItem(void *item, int column) const
{
    return itemModel()->indexForItem(item, column);
}

void *OutlineView::itemAtRow(int row) const
{
    return itemForIndex(indexForRow(row));
}

int OutlineView::rowForItem(void *item) const
{
    return rowForIndex(indexForItem(item));
}

void *OutlineView::parentForItem(void *item) const
{
    return itemModel()->parentForItem(item);
}

int OutlineView::levelForItem(void *item) const
{
    return itemModel()->levelForItem(item);
}

bool OutlineView::isExpandable(void *item) const
{
    return m_dataSource && m_dataSource->isItemExpandable(const_cast<OutlineView *>(this), item);
}

bool OutlineView::isItemExpanded(void *item) const
{
    const QModelIndex index = indexForItem(item);
    return index.isValid() && isExpanded(index);
}

bool OutlineView::isItemShown(void *item) const
{
    const QModelIndex index = indexForItem(item);
    if (!index.isValid())
        return false;
    for (QModelIndex up = index.parent(); up.isValid(); up = up.parent()) {
        if (!isExpanded(up))
            return false;
    }
    return true;
}

void OutlineView::expandItem(void *item, bool expandChildren)
{
    if (!item) {
        // The root is always open; expanding it with its children opens all.
        if (expandChildren) {
            for (void *child : itemModel()->childrenOfItem(nullptr))
                expandItem(child, true);
        }
        return;
    }
    requestExpand(indexForItem(item), expandChildren);
}

void OutlineView::collapseItem(void *item, bool collapseChildren)
{
    if (!item) {
        for (void *child : itemModel()->childrenOfItem(nullptr))
            collapseItem(child, collapseChildren);
        return;
    }
    requestCollapse(indexForItem(item), collapseChildren);
}

int OutlineView::childIndexForItem(void *item) const
{
    const QModelIndex index = indexForItem(item);
    return index.isValid() ? index.row() : -1;
}

int OutlineView::numberOfChildrenOfItem(void *item) const
{
    return int(itemModel()->childrenOfItem(item).size());
}

void *OutlineView::child(int index, void *ofItem) const
{
    const QList<void *> children = itemModel()->childrenOfItem(ofItem);
    return index >= 0 && index < children.size() ? children[index] : nullptr;
}

void OutlineView::setDropItem(void *item, int dropChildIndex)
{
    DropTarget target;
    target.parent = indexForItem(item);
    target.childIndex = dropChildIndex;
    setDropTarget(target);
}

QString OutlineView::cellIdentifier(const QModelIndex &index) const
{
    if (!m_delegate.cellIdentifierForTableColumn)
        return {};
    return m_delegate.cellIdentifierForTableColumn(const_cast<OutlineView *>(this), index.column(),
                                                   itemForIndex(index));
}

RowView *OutlineView::makeRowView(const QModelIndex &index)
{
    return m_delegate.rowViewForItem ? m_delegate.rowViewForItem(this, itemForIndex(index)) : nullptr;
}

bool OutlineView::hasVariableRowHeights() const
{
    return bool(m_delegate.heightOfRowByItem);
}

std::optional<double> OutlineView::heightOfRow(const QModelIndex &index) const
{
    if (!m_delegate.heightOfRowByItem)
        return std::nullopt;
    return m_delegate.heightOfRowByItem(const_cast<OutlineView *>(this), itemForIndex(index));
}

bool OutlineView::shouldEditCell(const QModelIndex &index) const
{
    if (m_delegate.shouldEditTableColumn)
        return m_delegate.shouldEditTableColumn(const_cast<OutlineView *>(this), index.column(),
                                                itemForIndex(index));
    return TableViewBase::shouldEditCell(index);
}

bool OutlineView::filtersSelection() const
{
    return bool(m_delegate.selectionIndexesForProposedSelection);
}

QList<int> OutlineView::selectionForProposal(const QList<int> &proposed)
{
    return m_delegate.selectionIndexesForProposedSelection(this, proposed);
}

void OutlineView::selectionDidChange()
{
    if (m_delegate.selectionDidChange)
        m_delegate.selectionDidChange(this);
}

void OutlineView::columnClicked(int column)
{
    if (m_delegate.didClickTableColumn)
        m_delegate.didClickTableColumn(this, column);
}

bool OutlineView::shouldExpand(const QModelIndex &index)
{
    return !m_delegate.shouldExpandItem || m_delegate.shouldExpandItem(this, itemForIndex(index));
}

bool OutlineView::shouldCollapse(const QModelIndex &index)
{
    return !m_delegate.shouldCollapseItem || m_delegate.shouldCollapseItem(this, itemForIndex(index));
}

void OutlineView::willExpand(const QModelIndex &index)
{
    if (m_delegate.itemWillExpand)
        m_delegate.itemWillExpand(this, itemForIndex(index));
}

void OutlineView::didExpand(const QModelIndex &index)
{
    if (m_delegate.itemDidExpand)
        m_delegate.itemDidExpand(this, itemForIndex(index));
}

void OutlineView::willCollapse(const QModelIndex &index)
{
    if (m_delegate.itemWillCollapse)
        m_delegate.itemWillCollapse(this, itemForIndex(index));
}

void OutlineView::didCollapse(const QModelIndex &index)
{
    if (m_delegate.itemDidCollapse)
        m_delegate.itemDidCollapse(this, itemForIndex(index));
}

bool OutlineView::writeRows(const QModelIndexList &rows, QMimeData *pasteboard)
{
    if (!m_dataSource)
        return false;
    QList<void *> items;
    for (const QModelIndex &row : rows)
        items.append(itemForIndex(row));
    return m_dataSource->writeItems(this, items, pasteboard);
}

Qt::DropAction OutlineView::validateDrop(const DraggingInfo &info, const DropTarget &target)
{
    if (!m_dataSource)
        return Qt::IgnoreAction;
    void *item = itemForIndex(target.parent);
    return m_dataSource->validateDrop(this, info, item, target.childIndex);
}

bool OutlineView::acceptDrop(const DraggingInfo &info, const DropTarget &target)
{
    if (!m_dataSource)
        return false;
    return m_dataSource->acceptDrop(this, info, itemForIndex(target.parent), target.childIndex);
}

void OutlineView::draggingExited(QDragLeaveEvent *event)
{
    if (m_delegate.draggingExited)
        m_delegate.draggingExited(event);
}
