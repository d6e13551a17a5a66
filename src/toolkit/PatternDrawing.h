#pragma once

class QPainter;
class QPainterPath;
class QPixmap;
class QRectF;

// Fills with a repeating image anchored at the top-left corner of the view
// being drawn, whatever the view's place in its window. The views that paint
// their bars and backgrounds with patterns share these.
namespace PatternDrawing {

void rk_drawPatternImage(QPainter &painter, const QPixmap &pattern, const QRectF &rect);
void rk_drawPatternImageInBezierPath(QPainter &painter, const QPixmap &pattern, const QPainterPath &path);

} // namespace PatternDrawing
