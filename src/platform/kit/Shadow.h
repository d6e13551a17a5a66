#pragma once

#include <QColor>
#include <QPointF>

class QPainter;
class QRectF;
class QString;

// A text shadow (the kit's shadow): an offset in the view's coordinates (y
// grows downwards), a blur radius and a colour. Without a colour it draws
// nothing.
struct Shadow
{
    QPointF offset;
    double blurRadius = 0.0;
    QColor color;

    bool isValid() const { return color.isValid() && color.alpha() > 0; }

    // Draws the text's shadow; the caller then draws the text itself.
    void drawTextShadow(QPainter &painter, const QRectF &rect, int flags, const QString &text) const;
};
