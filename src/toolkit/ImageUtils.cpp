#include "ImageUtils.h"

#include <QPainter>

namespace ImageUtils {

QPixmap resizeTo(const QPixmap &image, const QSize &size)
{
    if (size.isEmpty())
        return {};
    QPixmap result(size * image.devicePixelRatio());
    result.setDevicePixelRatio(image.devicePixelRatio());
    result.fill(Qt::transparent);
    QPainter painter(&result);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setOpacity(1.0);
    painter.drawPixmap(QRectF(QPointF(0, 0), QSizeF(size)), image, QRectF(image.rect()));
    return result;
}

} // namespace ImageUtils
