#include "StyledRowView.h"

#include "platform/kit/DesktopColors.h"
#include "platform/kit/TableViewBase.h"

#include <QPainter>

StyledRowView::StyledRowView(GroupTest inSelectedGroup) : m_inSelectedGroup(std::move(inSelectedGroup)) {}

StyledRowView::~StyledRowView() = default;

void StyledRowView::updateStyle()
{
    setNeedsDisplay();
}

void StyledRowView::drawBackgroundInRect(QPainter &painter, const QRect &dirtyRect)
{
    const QPalette palette = tableView() ? tableView()->palette() : QPalette();
    const bool tinted = m_inSelectedGroup && m_inSelectedGroup();
    const QColor light = tinted ? QColor::fromRgbF(0.9411764705882353f, 0.9607843137254902f, 0.9882352941176471f)
                                : palette.color(QPalette::Base);
    painter.fillRect(dirtyRect.intersected(bounds()), tinted ? DesktopColors::adapted(light, palette) : light);
}
