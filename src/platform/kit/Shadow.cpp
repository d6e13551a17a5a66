#include "Shadow.h"

#include <QPainter>
#include <QString>

void Shadow::drawTextShadow(QPainter &painter, const QRectF &rect, int flags, const QString &text) const
{
    if (!isValid())
        return;
    painter.save();
    painter.setPen(color);
    // A blur spreads the shadow; a few offset copies at falling alpha stand in
    // for it at the sizes text shadows use.
    const int steps = qBound(0, int(blurRadius), 3);
    for (int i = steps; i >= 0; --i) {
        QColor c = color;
        c.setAlphaF(color.alphaF() / float(i + 1));
        painter.setPen(c);
        for (const QPointF spread : {QPointF(i, 0), QPointF(-i, 0), QPointF(0, i), QPointF(0, -i)}) {
            painter.drawText(rect.translated(offset + spread), flags, text);
            if (i == 0)
                break;
        }
    }
    painter.restore();
}
