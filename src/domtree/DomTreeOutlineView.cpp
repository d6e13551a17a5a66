#include "DomTreeOutlineView.h"

#include "DOMNodeEx.h"

#include <QDragMoveEvent>

DomTreeOutlineView::DomTreeOutlineView(QWidget *parent)
    : OutlineViewEx(parent)
{
    setObjectName(QStringLiteral("domTreeOutlineView"));
    setHeaderVisible(false);
    setSpringLoadingDelay(0);
    // The pane under the preview asks for room for ten rows.
    setPreferredRowCount(10);
}

DomTreeOutlineView::~DomTreeOutlineView() = default;

int DomTreeOutlineView::cellShiftOfItem(const DOMNodeEx *row, int indentation)
{
    return row && row->isCloseNode() ? indentation : 0;
}

QRect DomTreeOutlineView::visualRect(const QModelIndex &index) const
{
    QRect rect = OutlineViewEx::visualRect(index);
    const auto *row = static_cast<const DOMNodeEx *>(itemForIndex(index));
    rect.translate(-cellShiftOfItem(row, indentationPerLevel()), 0);
    return rect;
}

void DomTreeOutlineView::updateHeight()
{
    QList<int> rows;
    const int count = numberOfRows();
    rows.reserve(count);
    for (int row = 0; row < count; ++row)
        rows.append(row);
    noteHeightOfRowsWithIndexesChanged(rows);
}

void DomTreeOutlineView::dragEnterEvent(QDragEnterEvent *event)
{
    m_isDropProcess = true;
    m_dragModifiers = event->modifiers();
    OutlineViewEx::dragEnterEvent(event);
}

void DomTreeOutlineView::dragMoveEvent(QDragMoveEvent *event)
{
    const bool ctrlPressed = (event->modifiers() & Qt::ControlModifier) && !(m_dragModifiers & Qt::ControlModifier);
    m_dragModifiers = event->modifiers();
    const QModelIndex hovered = indexAt(event->position().toPoint()).siblingAtColumn(0);
    m_dragHoverIndex = hovered;
    OutlineViewEx::dragMoveEvent(event);
    if (ctrlPressed && hovered.isValid() && !isExpanded(hovered))
        requestExpand(hovered);
}

void DomTreeOutlineView::dragLeaveEvent(QDragLeaveEvent *event)
{
    OutlineViewEx::dragLeaveEvent(event);
    m_isDropProcess = false;
    m_dragModifiers = {};
}

void DomTreeOutlineView::dropEvent(QDropEvent *event)
{
    OutlineViewEx::dropEvent(event);
    m_isDropProcess = false;
    m_dragModifiers = {};
}
