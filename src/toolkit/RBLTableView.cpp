#include "RBLTableView.h"

#include <QScrollBar>

RBLTableView::~RBLTableView() = default;

bool RBLTableView::scrollRectToVisible(const QRect &rect)
{
    // The rectangle and the visible part, in the coordinates of the whole
    // table (the rows' own).
    const int offset = verticalScrollBar()->value();
    const QRect visible(0, offset, viewport()->width(), viewport()->height());
    int y = 0;
    if (visible.top() > rect.top())
        y = rect.top();
    else if (rect.top() + rect.height() > visible.top() + visible.height())
        y = rect.top() + rect.height() - visible.height();
    else
        return false;
    verticalScrollBar()->setValue(y);
    horizontalScrollBar()->setValue(0);
    return true;
}
