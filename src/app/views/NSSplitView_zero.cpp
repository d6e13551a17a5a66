#include "NSSplitView_zero.h"

#include "platform/kit/DesktopColors.h"

#include <QPainter>

NSSplitView_zero::NSSplitView_zero(Qt::Orientation orientation, QWidget *parent)
    : SplitView(orientation, parent)
{
    updateDividerThickness();
}

NSSplitView_zero::~NSSplitView_zero() = default;

void NSSplitView_zero::drawDividerInRect(QPainter &painter, const QRect &rect)
{
    painter.fillRect(rect, DesktopColors::adapted(QColor(165, 165, 165), palette()));
}
