#pragma once

#include <QColor>
#include <QPainterPath>
#include <QPointF>
#include <QRectF>
#include <QSizeF>

class QPainter;

// Path and drawing helpers of the load-progress bar and of slider knobs.
// Corners are named by the rectangle's minimum and maximum x and y as the
// numbers stand: the paths are the same point sets whichever way y grows.
namespace PathUtils {

// A closed rounded rectangle: from (midX, minY) through the corners
// (maxX, minY), (maxX, maxY), (minX, maxY), (minX, minY), each an arc of the
// radius tangent to the two sides, then closed. Knob shapes rely on this
// start point and order.
QPainterPath createRoundedRectPath(const QRectF &rect, qreal radius);
// The same with a radius of its own at each corner; 0 gives a square corner.
QPainterPath createRoundedRectPathWithRadii(const QRectF &rect, qreal minXminY, qreal maxXminY, qreal minXmaxY,
                                            qreal maxXmaxY);
// Strokes createRoundedRectPath() with the painter's pen, leaving its state as it was.
void strokeRoundedRect(QPainter &painter, const QRectF &rect, qreal radius);
// Fills the rectangle with a gradient of the two colours from (midX, minY) to (midX, maxY).
void drawLinearGradient(QPainter &painter, const QColor &start, const QColor &end, const QRectF &rect);
// A line one pixel wide with square caps, both points moved by (0.5, 0.5)
// so that it falls on pixel centres.
void strokeLine(QPainter &painter, const QColor &color, const QPointF &start, const QPointF &end);
// The rectangle a one-pixel stroke fills exactly: origin + 0.5, size - 1.
QRectF rectForStroke(const QRectF &rect);
// An open path along the top of a gloss: an arc through both upper corners
// that dips glossHeight below the top (maxY, in the y-up numbers the kit
// draws with), then down the right side, along the bottom and up the left.
QPainterPath createGlossPath(const QRectF &rect, qreal glossHeight);
// The scale from the first size to the second that fits it inside (fit) or
// fills it (not fit), without its sign.
float aspectScale(bool fit, const QSizeF &first, const QSizeF &second);
// The offset that centres the first rectangle on the second.
QPointF centeringOffset(const QRectF &first, const QRectF &second);

// Appends to the path a line to the point where an arc of the radius meets
// the line from the current point to corner, and the arc itself up to where
// it meets the line from corner to next (the kit's "arc to point").
void addArcToPoint(QPainterPath &path, const QPointF &corner, const QPointF &next, qreal radius);

} // namespace PathUtils
