#include "BorderlessSegmentCell.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QPainter>

namespace {
QFont labelFont()
{
    QFont font = QApplication::font();
    font.setPointSizeF(11.0);
    return font;
}
} // namespace

BorderlessSegmentCell::BorderlessSegmentCell(QWidget *parent)
    : SegmentedControl(parent)
{
}

BorderlessSegmentCell::~BorderlessSegmentCell() = default;

double BorderlessSegmentCell::layoutContentWidth(int segment) const
{
    float width = imageForSegment(segment).isNull() ? 0.0f : 16.0f;
    const QString label = labelForSegment(segment);
    if (!label.isEmpty())
        width += float(QFontMetricsF(labelFont()).horizontalAdvance(label)) + 10.0f;
    return width;
}

QList<QRectF> BorderlessSegmentCell::segmentFrames() const
{
    QList<QRectF> frames;
    float x = 0.0f;
    for (int i = 0; i < segmentCount(); ++i) {
        const float w = float(layoutWidthForSegment(i));
        const float c = float(layoutContentWidth(i));
        if (i == 0)
            x = (w - c) * 0.5f;
        frames.append(QRectF(x, 0, width(), height()));
        x += w;
    }
    return frames;
}

void BorderlessSegmentCell::drawSegments(QPainter &painter)
{
    const QList<QRectF> frames = segmentFrames();
    for (int i = 0; i < frames.size(); ++i)
        drawSegment(painter, i, frames[i].toRect());
}

void BorderlessSegmentCell::drawSegment(QPainter &painter, int segment, const QRect &rect)
{
    const bool enabled = isEnabled() && isEnabledForSegment(segment);
    const bool on = isSelectedForSegment(segment) || segment == pressedSegment();
    const QColor color = !enabled ? palette().color(QPalette::Disabled, QPalette::WindowText)
                         : on     ? palette().color(QPalette::Highlight)
                                  : palette().color(QPalette::WindowText);
    int x = rect.x();
    const QIcon image = imageForSegment(segment);
    if (!image.isNull()) {
        const QRect imageRect(x, rect.center().y() - 8, 16, 16);
        image.paint(&painter, imageRect, Qt::AlignCenter, !enabled ? QIcon::Disabled
                                                          : on     ? QIcon::Selected
                                                                   : QIcon::Normal);
        x += 16;
    }
    const QString label = labelForSegment(segment);
    if (!label.isEmpty()) {
        painter.setFont(labelFont());
        painter.setPen(color);
        painter.drawText(QRect(x + 5, rect.y(), rect.right() - x, rect.height()),
                         Qt::AlignVCenter | Qt::AlignLeft, label);
    }
    if (hasFocus() && segment == focusedSegment()) {
        QColor ring = palette().color(QPalette::Highlight);
        ring.setAlphaF(0.6f);
        painter.setPen(QPen(ring, 1, Qt::DotLine));
        const int w = qRound(layoutWidthForSegment(segment));
        painter.drawRect(QRect(rect.x(), rect.y() + 1, qMax(8, w - 1), rect.height() - 3));
    }
}
