#include "PatternDrawing.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace PatternDrawing {

void rk_drawPatternImage(QPainter &painter, const QPixmap &pattern, const QRectF &rect)
{
    QPainterPath path;
    path.addRect(rect);
    rk_drawPatternImageInBezierPath(painter, pattern, path);
}

void rk_drawPatternImageInBezierPath(QPainter &painter, const QPixmap &pattern, const QPainterPath &path)
{
    if (pattern.isNull())
        return;
    painter.save();
    // The painter's origin is the view's top-left corner.
    painter.setBrushOrigin(0, 0);
    painter.fillPath(path, QBrush(pattern));
    painter.restore();
}

} // namespace PatternDrawing
