#include "DOMRowView.h"

#include "DOMNodeEx.h"

#include "platform/kit/DesktopColors.h"
#include "platform/kit/TableViewBase.h"

#include <QPainter>

DOMRowView::DOMRowView(DOMNodeEx *row)
    : m_row(row)
{
}

DOMRowView::~DOMRowView() = default;

void DOMRowView::drawBackgroundInRect(QPainter &painter, const QRect &dirtyRect)
{
    RowView::drawBackgroundInRect(painter, dirtyRect);
    if (!m_row || !m_row->ignore())
        return;
    const QPalette palette = tableView() ? tableView()->palette() : QPalette();
    painter.fillRect(bounds(), DesktopColors::adapted(QColor(180, 180, 180), palette));
}
