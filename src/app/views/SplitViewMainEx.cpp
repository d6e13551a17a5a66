#include "SplitViewMainEx.h"

#include "platform/kit/DesktopColors.h"

#include <QPainter>

SplitViewMainEx::SplitViewMainEx(Qt::Orientation orientation, QWidget *parent)
    : SplitView(orientation, parent)
{
    updateDividerThickness();
}

SplitViewMainEx::~SplitViewMainEx() = default;

void SplitViewMainEx::drawDividerInRect(QPainter &painter, const QRect &rect)
{
    painter.fillRect(rect, DesktopColors::adapted(QColor(165, 165, 165), palette()));
}
