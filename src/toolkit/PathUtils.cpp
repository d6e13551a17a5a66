#include "PathUtils.h"

#include <QLinearGradient>
#include <QPainter>
#include <QtMath>

#include <cmath>

namespace PathUtils {

namespace {

QPointF unit(const QPointF &vector)
{
    const qreal length = std::hypot(vector.x(), vector.y());
    return length > 0 ? vector / length : QPointF();
}

// Qt measures arc angles in degrees with y growing downwards; these are the
// plain angles of the numbers as they stand.
qreal angleOf(const QPointF &center, const QPointF &point)
{
    return qRadiansToDegrees(std::atan2(point.y() - center.y(), point.x() - center.x()));
}

// An arc around center from one angle to another (plain degrees), the short way.
void addArc(QPainterPath &path, const QPointF &center, qreal radius, qreal from, qreal to)
{
    qreal sweep = to - from;
    while (sweep > 180)
        sweep -= 360;
    while (sweep < -180)
        sweep += 360;
    const QRectF box(center.x() - radius, center.y() - radius, 2 * radius, 2 * radius);
    path.arcTo(box, -from, -sweep);
}

} // namespace

void addArcToPoint(QPainterPath &path, const QPointF &corner, const QPointF &next, qreal radius)
{
    const QPointF current = path.currentPosition();
    const QPointF toCurrent = unit(current - corner);
    const QPointF toNext = unit(next - corner);
    const qreal cosine = toCurrent.x() * toNext.x() + toCurrent.y() * toNext.y();
    // Without a radius, or along a straight line, the corner is a point.
    if (radius <= 0 || toCurrent.isNull() || toNext.isNull() || std::abs(cosine) >= 1.0 - 1e-9) {
        path.lineTo(corner);
        return;
    }
    const qreal half = std::acos(cosine) / 2;
    const qreal tangentDistance = radius / std::tan(half);
    const QPointF start = corner + toCurrent * tangentDistance;
    const QPointF end = corner + toNext * tangentDistance;
    const QPointF center = corner + unit(toCurrent + toNext) * (radius / std::sin(half));
    path.lineTo(start);
    addArc(path, center, radius, angleOf(center, start), angleOf(center, end));
}

QPainterPath createRoundedRectPathWithRadii(const QRectF &rect, qreal minXminY, qreal maxXminY, qreal minXmaxY,
                                            qreal maxXmaxY)
{
    const qreal minX = rect.left();
    const qreal maxX = rect.left() + rect.width();
    const qreal minY = rect.top();
    const qreal maxY = rect.top() + rect.height();
    QPainterPath path;
    path.moveTo(rect.left() + rect.width() / 2, minY);
    addArcToPoint(path, QPointF(maxX, minY), QPointF(maxX, maxY), maxXminY);
    addArcToPoint(path, QPointF(maxX, maxY), QPointF(minX, maxY), maxXmaxY);
    addArcToPoint(path, QPointF(minX, maxY), QPointF(minX, minY), minXmaxY);
    addArcToPoint(path, QPointF(minX, minY), QPointF(maxX, minY), minXminY);
    path.closeSubpath();
    return path;
}

QPainterPath createRoundedRectPath(const QRectF &rect, qreal radius)
{
    return createRoundedRectPathWithRadii(rect, radius, radius, radius, radius);
}

void strokeRoundedRect(QPainter &painter, const QRectF &rect, qreal radius)
{
    painter.save();
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(createRoundedRectPath(rect, radius));
    painter.restore();
}

void drawLinearGradient(QPainter &painter, const QColor &start, const QColor &end, const QRectF &rect)
{
    const qreal midX = rect.left() + rect.width() / 2;
    QLinearGradient gradient(QPointF(midX, rect.top()), QPointF(midX, rect.top() + rect.height()));
    gradient.setColorAt(0.0, start);
    gradient.setColorAt(1.0, end);
    painter.save();
    painter.setClipRect(rect, Qt::IntersectClip);
    painter.fillRect(rect, gradient);
    painter.restore();
}

void strokeLine(QPainter &painter, const QColor &color, const QPointF &start, const QPointF &end)
{
    painter.save();
    QPen pen(color, 1.0);
    pen.setCapStyle(Qt::SquareCap);
    painter.setPen(pen);
    painter.drawLine(start + QPointF(0.5, 0.5), end + QPointF(0.5, 0.5));
    painter.restore();
}

QRectF rectForStroke(const QRectF &rect)
{
    return QRectF(rect.x() + 0.5, rect.y() + 0.5, rect.width() - 1.0, rect.height() - 1.0);
}

QPainterPath createGlossPath(const QRectF &rect, qreal glossHeight)
{
    const qreal width = rect.width();
    const qreal radius = width * width / (8 * glossHeight) + glossHeight / 2;
    const QPointF center(rect.x() + width / 2, rect.y() + rect.height() - glossHeight + radius);
    const qreal a = std::acos(width / (2 * radius));
    const qreal from = M_PI + a;
    const qreal to = 2 * M_PI - a;
    QPainterPath path;
    path.moveTo(center + QPointF(radius * std::cos(from), radius * std::sin(from)));
    // Counter-clockwise in y-up numbers: the angle grows from `from` to `to`.
    const QRectF box(center.x() - radius, center.y() - radius, 2 * radius, 2 * radius);
    path.arcTo(box, -qRadiansToDegrees(from), -qRadiansToDegrees(to - from));
    const qreal minX = rect.left();
    const qreal maxX = rect.left() + rect.width();
    const qreal minY = rect.top();
    const qreal maxY = rect.top() + rect.height();
    path.lineTo(maxX, minY);
    path.lineTo(minX, minY);
    path.lineTo(minX, maxY);
    return path;
}

float aspectScale(bool fit, const QSizeF &first, const QSizeF &second)
{
    const float sx = float(second.width() / first.width());
    const float sy = float(second.height() / first.height());
    const float scale = fit ? std::min(sx, sy) : std::max(sx, sy);
    return std::abs(scale);
}

QPointF centeringOffset(const QRectF &first, const QRectF &second)
{
    return QPointF(float((second.width() - first.width()) * 0.5), float((second.height() - first.height()) * 0.5));
}

} // namespace PathUtils
