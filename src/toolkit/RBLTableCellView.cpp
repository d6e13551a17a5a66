#include "RBLTableCellView.h"

#include <QEvent>

RBLTableCellView::~RBLTableCellView() = default;

void RBLTableCellView::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::ParentChange && !parentWidget())
        prepareForReuse();
    QWidget::changeEvent(event);
}
