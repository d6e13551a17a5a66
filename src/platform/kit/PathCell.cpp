#include "PathCell.h"

#include <QFontMetrics>

#include <cmath>
#include <QPainter>

PathCell::PathCell() = default;
PathCell::~PathCell() = default;

QSize PathCell::cellSize() const
{
    const QFontMetricsF metrics(m_font);
    // Whole pixels, rounded up with one to spare, so the title is never elided
    // in the room it asked for.
    int width = m_title.isEmpty() ? 0 : int(std::ceil(metrics.horizontalAdvance(m_title))) + 1;
    // The image as a subclass gives it, which may not be the one set here.
    if (!image().isNull())
        width += s_imageSize + (m_title.isEmpty() ? 0 : s_spacing);
    return QSize(width, qMax(s_imageSize, int(std::ceil(metrics.height()))));
}

void PathCell::drawWithFrame(QPainter &painter, const QRect &frame, const QColor &textColor) const
{
    int x = frame.left();
    if (const QIcon icon = image(); !icon.isNull()) {
        const QRect imageRect(x, frame.center().y() - s_imageSize / 2 + 1, s_imageSize, s_imageSize);
        icon.paint(&painter, imageRect);
        x += s_imageSize + s_spacing;
    }
    painter.setFont(m_font);
    painter.setPen(textColor);
    const QRect textRect(x, frame.top(), frame.right() - x + 1, frame.height());
    painter.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft,
                     QFontMetrics(m_font).elidedText(m_title, Qt::ElideMiddle, textRect.width()));
}
