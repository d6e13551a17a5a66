#include "InsertIndicatorOutlineView.h"

#include "InsertIndicatorRowView.h"

#include <QKeyEvent>
#include <QPainter>

InsertIndicatorOutlineView::InsertIndicatorOutlineView(QWidget *parent) : QTreeView(parent)
{
    setHeaderHidden(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
}

int InsertIndicatorOutlineView::numberOfRows() const
{
    int rows = 0;
    for (QModelIndex index = model() ? model()->index(0, 0) : QModelIndex(); index.isValid(); index = indexBelow(index))
        ++rows;
    return rows;
}

QModelIndex InsertIndicatorOutlineView::indexOfRow(int row) const
{
    if (!model() || row < 0)
        return {};
    QModelIndex index = model()->index(0, 0);
    for (int i = 0; i < row && index.isValid(); ++i)
        index = indexBelow(index);
    return index;
}

int InsertIndicatorOutlineView::rowOfIndex(const QModelIndex &index) const
{
    if (!index.isValid())
        return -1;
    int row = 0;
    for (QModelIndex above = indexAbove(index); above.isValid(); above = indexAbove(above))
        ++row;
    return row;
}

int InsertIndicatorOutlineView::selectedRow() const
{
    return rowOfIndex(currentIndex());
}

void InsertIndicatorOutlineView::selectRow(int row)
{
    setCurrentIndex(indexOfRow(row));
}

void InsertIndicatorOutlineView::mousePressEvent(QMouseEvent *event)
{
    m_selectionChangeReason = 0;
    m_selectionState = 0;
    QTreeView::mousePressEvent(event);
    viewport()->update();
}

void InsertIndicatorOutlineView::keyPressEvent(QKeyEvent *event)
{
    m_selectionChangeReason = 1;
    if (event->key() == Qt::Key_Down || event->key() == Qt::Key_Up) {
        m_keyDirection = event->key() == Qt::Key_Down ? 1 : -1;
        selectRowByKey();
        return;
    }
    QTreeView::keyPressEvent(event);
}

void InsertIndicatorOutlineView::selectRowByKey()
{
    const int rows = numberOfRows();
    const int r = selectedRow();
    if (rows == 0)
        return;
    if (r < 0) {
        m_selectionState = 0;
        selectRow(0);
        viewport()->update();
        return;
    }
    const int last = rows - 1;
    const auto isLastChild = [this](const QModelIndex &index) {
        return index.row() == model()->rowCount(index.parent()) - 1;
    };
    if (m_keyDirection == 1) {
        const QModelIndex item = indexOfRow(r);
        if (r == last) {
            m_selectionState = 1;
        } else if (item.parent().isValid() && isLastChild(item)) {
            // Below the group's last child before the next row.
            if (m_selectionState == 0) {
                m_selectionState = 1;
            } else {
                m_selectionState = 0;
                selectRow(r + 1);
            }
        } else {
            m_selectionState = 0;
            selectRow(r + 1);
        }
    } else if (m_keyDirection == -1) {
        if (m_selectionState == 1) {
            // From below a row to above it.
            m_selectionState = 0;
        } else if (r >= 1) {
            const QModelIndex previous = indexOfRow(r - 1);
            // Below a group's last child, then above it.
            m_selectionState = previous.parent().isValid() && isLastChild(previous) ? 1 : 0;
            selectRow(r - 1);
        }
    } else if (r >= 1) {
        m_selectionState = 0;
        selectRow(r - 1);
    }
    viewport()->update();
}

void InsertIndicatorOutlineView::drawRow(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem plain = option;
    plain.state &= ~QStyle::State_Selected;
    plain.state &= ~QStyle::State_HasFocus;
    QTreeView::drawRow(painter, plain, index);
    InsertIndicatorRowView rowView(const_cast<InsertIndicatorOutlineView *>(this));
    rowView.setSelected(index == currentIndex());
    rowView.drawSelectionInRect(painter, option.rect, visualRect(index).x());
}
