#include "InsertIndicatorRowView.h"

#include "InsertIndicatorOutlineView.h"

#include "platform/kit/DesktopColors.h"

#include <QPainter>
#include <QPainterPath>

void InsertIndicatorRowView::drawSelectionInRect(QPainter *painter, const QRect &rowRect, int contentX) const
{
    if (m_selected)
        drawBelowIndicator(painter, rowRect, contentX);
}

void InsertIndicatorRowView::drawBelowIndicator(QPainter *painter, const QRect &rowRect, int contentX) const
{
    const int state = m_ownerListView ? m_ownerListView->selectionState() : 0;
    const int x0 = contentX;
    const int y = state == 1 ? rowRect.y() + rowRect.height() - 1 : rowRect.y();
    const QPalette palette = m_ownerListView ? m_ownerListView->palette() : QPalette();
    const QColor colour = DesktopColors::isDark(palette) ? palette.color(QPalette::Highlight) : QColor(56, 117, 215);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, true);
    painter->fillRect(QRect(x0, y, rowRect.x() + rowRect.width() - x0, 1), colour);
    QPainterPath arrow;
    arrow.moveTo(x0, y - 6);
    arrow.lineTo(x0 + 8, y);
    arrow.lineTo(x0, y + 6);
    arrow.closeSubpath();
    painter->fillPath(arrow, colour);
    painter->restore();
}
