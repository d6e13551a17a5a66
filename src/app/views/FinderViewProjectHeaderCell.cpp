#include "FinderViewProjectHeaderCell.h"

#include "platform/kit/TableViewBase.h"

#include <QAbstractButton>
#include <QPainter>

FinderViewProjectHeaderCell::FinderViewProjectHeaderCell() = default;
FinderViewProjectHeaderCell::~FinderViewProjectHeaderCell() = default;

QColor FinderViewProjectHeaderCell::selectionColor() const
{
    QColor color = Qt::black;
    if (!isEmphasized() && tableView())
        color = tableView()->palette().color(QPalette::Inactive, QPalette::Highlight);
    color.setAlphaF(0.3f);
    return color;
}

RowView::BackgroundStyle FinderViewProjectHeaderCell::interiorBackgroundStyle() const
{
    return isSelected() && isEmphasized() ? BackgroundStyle::Dark : BackgroundStyle::Light;
}

void FinderViewProjectHeaderCell::drawSelectionInRect(QPainter &painter, const QRect &dirtyRect)
{
    if (selectionHighlightStyle() != SelectionHighlightStyle::Regular) {
        RowView::drawSelectionInRect(painter, dirtyRect);
        return;
    }
    if (!isSelected())
        return;
    painter.save();
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.fillRect(dirtyRect.intersected(bounds()), selectionColor());
    painter.restore();
}
