#include "PathCell.h"

#include <QFontMetrics>

#include <QPainter>

#include <algorithm>
#include <cmath>

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

int PathCell::leastWidth() const
{
    if (!image().isNull())
        return s_imageSize;
    return m_title.isEmpty() ? 0 : int(std::ceil(QFontMetricsF(m_font).horizontalAdvance(QChar(0x2026)))) + 1;
}

QRect PathCell::titleRect(const QRect &frame) const
{
    const int x = frame.left() + (image().isNull() ? 0 : s_imageSize + s_spacing);
    return QRect(x, frame.top(), frame.right() - x + 1, frame.height());
}

QString PathCell::shownTitle(const QRect &frame) const
{
    const int width = titleRect(frame).width();
    return width > 0 ? QFontMetrics(m_font).elidedText(m_title, Qt::ElideMiddle, width) : QString();
}

void PathCell::drawWithFrame(QPainter &painter, const QRect &frame, const QColor &textColor) const
{
    if (const QIcon icon = image(); !icon.isNull()) {
        const QRect imageRect(frame.left(), frame.center().y() - s_imageSize / 2 + 1, s_imageSize, s_imageSize);
        icon.paint(&painter, imageRect);
    }
    painter.setFont(m_font);
    painter.setPen(textColor);
    painter.drawText(titleRect(frame), Qt::AlignVCenter | Qt::AlignLeft, shownTitle(frame));
}
