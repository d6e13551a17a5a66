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

QColor DOMRowView::ignoredBackgroundColor(const QPalette &palette)
{
    return DesktopColors::adapted(QColor(180, 180, 180), palette);
}

void DOMRowView::drawBackgroundInRect(QPainter &painter, const QRect &dirtyRect)
{
    DomRowHeader::drawBackgroundInRect(painter, dirtyRect);
    if (!m_row || !m_row->ignore())
        return;
    const QPalette palette = tableView() ? tableView()->palette() : QPalette();
    painter.fillRect(bounds(), ignoredBackgroundColor(palette));
}
