#include "DomRowHeader.h"

#include "platform/kit/TableViewBase.h"

#include <QPainter>

DomRowHeader::DomRowHeader() = default;
DomRowHeader::~DomRowHeader() = default;

QColor DomRowHeader::emphasizedSelectionColor()
{
    return QColor(36, 45, 61);
}

void DomRowHeader::drawSelectionInRect(QPainter &painter, const QRect &dirtyRect)
{
    if (selectionHighlightStyle() != SelectionHighlightStyle::Regular || !tableView()) {
        RowView::drawSelectionInRect(painter, dirtyRect);
        return;
    }
    if (!isSelected())
        return;
    QColor color = isEmphasized() ? emphasizedSelectionColor()
                                  : tableView()->palette().color(QPalette::Inactive, QPalette::Highlight);
    color.setAlphaF(1.0);
    painter.save();
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.fillRect(dirtyRect.intersected(bounds()), color);
    painter.restore();
}
