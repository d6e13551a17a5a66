#include "RuleHeaderCell.h"

#include "platform/kit/DesktopColors.h"
#include "platform/kit/TableViewBase.h"

#include <QPainter>

RuleHeaderCell::~RuleHeaderCell() = default;

void RuleHeaderCell::drawBackgroundInRect(QPainter &painter, const QRect &dirtyRect)
{
    StyledRowView::drawBackgroundInRect(painter, dirtyRect);
    const QPalette palette = tableView() ? tableView()->palette() : QPalette();
    QColor line = QColor::fromRgbF(0.2196078431372549f, 0.2196078431372549f, 0.2196078431372549f, 0.1f);
    if (DesktopColors::isDark(palette))
        line = QColor::fromRgbF(1, 1, 1, 0.12f);
    painter.setPen(QPen(line, 1.0));
    painter.drawLine(bounds().topLeft(), bounds().topRight());
}
