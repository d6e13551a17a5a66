#include "DomTreeOutlineView.h"

#include <QResizeEvent>

DomTreeOutlineView::DomTreeOutlineView(QWidget *parent)
    : OutlineViewEx(parent)
{
    setObjectName(QStringLiteral("domTreeOutlineView"));
    setHeaderVisible(false);
}

DomTreeOutlineView::~DomTreeOutlineView() = default;

void DomTreeOutlineView::updateHeight()
{
    QList<int> rows;
    const int count = numberOfRows();
    rows.reserve(count);
    for (int row = 0; row < count; ++row)
        rows.append(row);
    noteHeightOfRowsWithIndexesChanged(rows);
}

void DomTreeOutlineView::resizeEvent(QResizeEvent *event)
{
    OutlineViewEx::resizeEvent(event);
    if (event->size().width() != event->oldSize().width())
        updateHeight();
}
