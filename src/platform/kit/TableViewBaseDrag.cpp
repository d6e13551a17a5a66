// Dragging rows out of a table or outline view and dropping onto one.

#include "TableViewBase.h"

#include "OutlineItemModel.h"

#include <QDrag>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QScrollBar>

void TableViewBase::registerForDraggedTypes(const QStringList &types)
{
    m_draggedTypes = types;
    setAcceptDrops(!types.isEmpty());
    viewport()->setAcceptDrops(!types.isEmpty());
    setDragDropMode(isDragSource() ? (acceptDrops() ? QAbstractItemView::DragDrop
                                                    : QAbstractItemView::DragOnly)
                                   : (acceptDrops() ? QAbstractItemView::DropOnly
                                                    : QAbstractItemView::NoDragDrop));
}

void TableViewBase::setDraggingSourceOperationMask(Qt::DropActions mask)
{
    m_dragSourceMask = mask;
    setDragEnabled(mask != Qt::IgnoreAction);
    registerForDraggedTypes(m_draggedTypes);
}

void TableViewBase::startDrag(Qt::DropActions)
{
    // A drag from a selected row carries the selection; from any other row,
    // that row alone.
    QModelIndexList rows;
    if (m_pressedIndex.isValid()
        && !selectionModel()->isRowSelected(m_pressedIndex.row(), m_pressedIndex.parent())) {
        rows.append(QModelIndex(m_pressedIndex).siblingAtColumn(0));
    } else {
        const QList<int> selected = selectedRowIndexes();
        for (int row : selected)
            rows.append(indexForRow(row));
    }
    if (rows.isEmpty())
        return;
    auto *mime = new QMimeData;
    if (!writeRows(rows, mime)) {
        delete mime;
        return;
    }
    auto *drag = new QDrag(this);
    drag->setMimeData(mime);
    const Qt::DropAction preferred =
        m_dragSourceMask.testFlag(Qt::MoveAction) ? Qt::MoveAction : Qt::CopyAction;
    drag->exec(m_dragSourceMask, preferred);
    Q_EMIT draggingSessionEnded();
}

bool TableViewBase::hasDraggedType(const QMimeData *mime) const
{
    if (!mime)
        return false;
    for (const QString &type : m_draggedTypes) {
        if (mime->hasFormat(type))
            return true;
    }
    return false;
}

DraggingInfo TableViewBase::draggingInfo(const QDropEvent *event) const
{
    DraggingInfo info;
    info.pasteboard = event->mimeData();
    info.source = event->source();
    info.sourceOperationMask = event->possibleActions();
    info.proposedAction = event->proposedAction();
    info.modifiers = event->modifiers();
    info.location = event->position().toPoint();
    return info;
}

TableViewBase::DropTarget TableViewBase::dropTargetAt(const QPoint &viewportPoint) const
{
    DropTarget target;
    const QModelIndex index = indexAt(viewportPoint).siblingAtColumn(0);
    if (!index.isValid()) {
        target.childIndex = m_model->rowCount();
        return target;
    }
    const QRect cell = visualRect(index);
    const int margin = qMax(2, cell.height() / 4);
    if (viewportPoint.y() < cell.top() + margin) {
        target.parent = index.parent();
        target.childIndex = index.row();
    } else if (viewportPoint.y() > cell.bottom() - margin) {
        if (isExpanded(index) && m_model->rowCount(index) > 0) {
            target.parent = index;
            target.childIndex = 0;
        } else {
            target.parent = index.parent();
            target.childIndex = index.row() + 1;
        }
    } else {
        target.parent = index;
        target.childIndex = -1;
    }
    return target;
}

void TableViewBase::setDropTarget(const DropTarget &target)
{
    m_dropTarget = target;
}

void TableViewBase::updateDropIndicator()
{
    m_dropIndicatorShown = true;
    const QModelIndex parent = m_dropTarget.parent;
    if (m_dropTarget.childIndex < 0) {
        if (!parent.isValid()) {
            m_dropIndicatorIsLine = false;
            m_dropIndicatorRect = viewport()->rect();
        } else {
            m_dropIndicatorIsLine = false;
            m_dropIndicatorRect = rectOfRow(rowForIndex(parent));
        }
        viewport()->update();
        return;
    }
    m_dropIndicatorIsLine = true;
    const int count = m_model->rowCount(parent);
    int y = 0;
    int level = 0;
    for (QModelIndex p = parent; p.isValid(); p = p.parent())
        ++level;
    if (m_dropTarget.childIndex < count) {
        y = visualRect(m_model->index(m_dropTarget.childIndex, 0, parent)).top();
    } else if (count > 0) {
        // Below the last child and everything shown under it.
        QModelIndex last = m_model->index(count - 1, 0, parent);
        while (isExpanded(last) && m_model->rowCount(last) > 0)
            last = m_model->index(m_model->rowCount(last) - 1, 0, last);
        y = visualRect(last).bottom() + 1;
    } else if (parent.isValid()) {
        y = visualRect(parent).bottom() + 1;
    }
    const int x = (rootIsDecorated() ? indentation() : 0) + level * indentation()
        - horizontalOffset();
    m_dropIndicatorRect = QRect(QPoint(x, y), QPoint(viewport()->width() - 2, y));
    viewport()->update();
}

void TableViewBase::clearDropIndicator()
{
    if (!m_dropIndicatorShown)
        return;
    m_dropIndicatorShown = false;
    viewport()->update();
}

void TableViewBase::autoScrollForDrag(const QPoint &viewportPoint)
{
    const int edge = 16;
    QScrollBar *bar = verticalScrollBar();
    if (viewportPoint.y() < edge)
        bar->setValue(bar->value() - bar->singleStep());
    else if (viewportPoint.y() > viewport()->height() - edge)
        bar->setValue(bar->value() + bar->singleStep());
}

void TableViewBase::dragEnterEvent(QDragEnterEvent *event)
{
    if (!hasDraggedType(event->mimeData())) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    dragMoveEvent(event);
}

void TableViewBase::dragMoveEvent(QDragMoveEvent *event)
{
    if (!hasDraggedType(event->mimeData())) {
        event->ignore();
        clearDropIndicator();
        return;
    }
    const QPoint point = event->position().toPoint();
    autoScrollForDrag(point);

    // Hovering over a collapsed row opens it after a while.
    const QModelIndex hovered = indexAt(point).siblingAtColumn(0);
    if (hovered != m_springIndex) {
        m_springIndex = hovered;
        m_springTimer.stop();
        if (hovered.isValid() && !isExpanded(hovered) && m_model->hasChildren(hovered))
            m_springTimer.start();
    }

    m_dropTarget = dropTargetAt(point);
    const Qt::DropAction action = validateDrop(draggingInfo(event), m_dropTarget);
    m_dropValidated = true;
    m_dropAction = action;
    if (action == Qt::IgnoreAction) {
        event->ignore();
        clearDropIndicator();
        return;
    }
    event->setDropAction(action);
    event->accept();
    updateDropIndicator();
}

void TableViewBase::dragLeaveEvent(QDragLeaveEvent *event)
{
    m_springTimer.stop();
    m_springIndex = QPersistentModelIndex();
    clearDropIndicator();
    m_dropValidated = false;
    draggingExited(event);
    event->accept();
}

void TableViewBase::dropEvent(QDropEvent *event)
{
    m_springTimer.stop();
    m_springIndex = QPersistentModelIndex();
    clearDropIndicator();
    if (!hasDraggedType(event->mimeData())) {
        event->ignore();
        return;
    }
    // The target validated last (the data source may have moved it), unless
    // no move event came first.
    const DraggingInfo info = draggingInfo(event);
    Qt::DropAction action = m_dropAction;
    if (!m_dropValidated) {
        m_dropTarget = dropTargetAt(event->position().toPoint());
        action = validateDrop(info, m_dropTarget);
    }
    m_dropValidated = false;
    if (action == Qt::IgnoreAction || !acceptDrop(info, m_dropTarget)) {
        event->ignore();
    } else {
        event->setDropAction(action);
        event->accept();
    }
    m_dropTarget = DropTarget();
}

bool TableViewBase::writeRows(const QModelIndexList &, QMimeData *) { return false; }

Qt::DropAction TableViewBase::validateDrop(const DraggingInfo &, const DropTarget &)
{
    return Qt::IgnoreAction;
}

bool TableViewBase::acceptDrop(const DraggingInfo &, const DropTarget &) { return false; }
void TableViewBase::draggingExited(QDragLeaveEvent *) {}
