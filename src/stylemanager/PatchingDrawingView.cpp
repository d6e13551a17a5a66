#include "PatchingDrawingView.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>

namespace {

const QColor s_lineColor = QColor(56, 107, 218);
const QColor s_shadowColor = QColor::fromRgbF(1.0f, 0.0f, 0.0f, 0.4f);
constexpr qreal s_lineWidth = 1.0;
constexpr qreal s_shadowBlur = 1.5;
// Beyond the end points: the 6-point dots and the shadow's blur.
constexpr int s_margin = 3 + 2 + 2;

} // namespace

PatchingDrawingView::PatchingDrawingView(const QRect &screenFrame, QWidget *parent)
    : QWidget(parent)
    , m_origin(screenFrame.topLeft())
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setGeometry(QRect(QPoint(0, 0), screenFrame.size()));
}

void PatchingDrawingView::drawLine(const QPointF &start, const QPointF &end)
{
    m_start = start;
    m_end = end;
    updateMask();
    repaint();
}

void PatchingDrawingView::updateMask()
{
    // The window is shaped to the line: without a compositing manager the
    // rest of a translucent screen-wide window would show black.
    QWidget *overlay = window();
    if (overlay == this)
        return;
    QPainterPath path;
    path.moveTo(m_start - m_origin);
    path.lineTo(m_end - m_origin);
    QPainterPathStroker stroker;
    stroker.setWidth(2 * s_margin);
    stroker.setCapStyle(Qt::RoundCap);
    overlay->setMask(QRegion(stroker.createStroke(path).toFillPolygon().toPolygon()));
}

void PatchingDrawingView::drawLineTo(const QPointF &end)
{
    if (end == m_end)
        return;
    // Only what the old and the new line cover needs painting.
    const QRect dirty = dirtyRect(m_start, m_end).united(dirtyRect(m_start, end));
    m_end = end;
    updateMask();
    update(dirty);
}

QRectF PatchingDrawingView::rectForEllipse(const QPointF &center, float radius)
{
    return QRectF(center.x() - radius, center.y() - radius, 2.0 * radius, 2.0 * radius);
}

QRect PatchingDrawingView::dirtyRect(const QPointF &start, const QPointF &end) const
{
    const QRectF line = QRectF(start, end).normalized().translated(-m_origin);
    return line.toAlignedRect().adjusted(-s_margin, -s_margin, s_margin, s_margin);
}

void PatchingDrawingView::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(event->rect(), Qt::transparent);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(-m_origin);

    const QPointF start = m_start;
    const QPointF end = m_end;
    auto drawShapes = [&painter, start, end](const QColor &color, qreal grow) {
        painter.setPen(QPen(color, s_lineWidth + 2 * grow, Qt::SolidLine, Qt::RoundCap));
        painter.setBrush(Qt::NoBrush);
        painter.drawLine(start, end);
        painter.setPen(Qt::NoPen);
        painter.setBrush(color);
        painter.drawEllipse(rectForEllipse(start, float(2.0 + grow)));
        painter.drawEllipse(rectForEllipse(end, float(2.0 + grow)));
        painter.drawEllipse(QRectF(start.x() - 3 - grow, start.y() - 3 - grow, 6 + 2 * grow, 6 + 2 * grow));
        painter.drawEllipse(QRectF(end.x() - 3 - grow, end.y() - 3 - grow, 6 + 2 * grow, 6 + 2 * grow));
    };

    // QPainter has no shadow: the blur is a few widening layers of the
    // shadow colour, together about as strong as the colour's alpha.
    constexpr int layers = 3;
    QColor layer = s_shadowColor;
    layer.setAlphaF(s_shadowColor.alphaF() / layers);
    for (int i = layers; i >= 1; --i)
        drawShapes(layer, s_shadowBlur * i / layers);
    drawShapes(s_lineColor, 0);
}
