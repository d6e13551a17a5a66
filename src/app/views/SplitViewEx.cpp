#include "SplitViewEx.h"

#include "platform/kit/DesktopColors.h"

#include <QPainter>

SplitViewEx::SplitViewEx(Qt::Orientation orientation, QWidget *parent)
    : SplitView(orientation, parent)
{
    updateDividerThickness();
}

SplitViewEx::~SplitViewEx() = default;

void SplitViewEx::drawDividerInRect(QPainter &painter, const QRect &rect)
{
    painter.fillRect(rect, DesktopColors::adapted(QColor(140, 140, 140), palette()));
}
