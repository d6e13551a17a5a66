#include "InspectorSplitView.h"

#include "platform/kit/DesktopColors.h"

#include <QPainter>

InspectorSplitView::InspectorSplitView(Qt::Orientation orientation, QWidget *parent)
    : SplitView(orientation, parent)
{
    updateDividerThickness();
}

InspectorSplitView::~InspectorSplitView() = default;

void InspectorSplitView::drawDividerInRect(QPainter &painter, const QRect &rect)
{
    const float grey = 0.23529411764705882f;
    painter.fillRect(rect, DesktopColors::adapted(QColor::fromRgbF(grey, grey, grey, 0.9f), palette()));
}
