#include "RowView.h"

#include "TableViewBase.h"

#include <QPainter>

RowView::RowView() = default;
RowView::~RowView() = default;

void RowView::drawBackgroundInRect(QPainter &painter, const QRect &dirtyRect)
{
    if (m_backgroundColor.isValid())
        painter.fillRect(dirtyRect.intersected(m_bounds), m_backgroundColor);
}

void RowView::drawSelectionInRect(QPainter &painter, const QRect &dirtyRect)
{
    if (selectionHighlightStyle() == SelectionHighlightStyle::None || !m_view)
        return;
    const QPalette::ColorGroup group = m_emphasized ? QPalette::Active : QPalette::Inactive;
    painter.fillRect(dirtyRect.intersected(m_bounds), m_view->palette().color(group, QPalette::Highlight));
}

RowView::SelectionHighlightStyle RowView::selectionHighlightStyle() const
{
    return m_view ? m_view->selectionHighlightStyle() : SelectionHighlightStyle::Regular;
}

RowView::BackgroundStyle RowView::interiorBackgroundStyle() const
{
    return m_selected ? BackgroundStyle::Dark : BackgroundStyle::Light;
}

void RowView::setBackgroundColor(const QColor &color)
{
    if (m_backgroundColor == color)
        return;
    m_backgroundColor = color;
    setNeedsDisplay();
}

void RowView::setNeedsDisplay()
{
    if (m_view && m_bounds.isValid())
        m_view->viewport()->update(m_bounds);
}
