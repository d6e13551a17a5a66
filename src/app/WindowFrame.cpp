#include "WindowFrame.h"

#include <QStringList>

#include <cmath>

std::optional<WindowFrame> WindowFrame::fromString(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (parts.size() != 8)
        return std::nullopt;
    double numbers[8];
    for (int i = 0; i < 8; ++i) {
        bool ok = false;
        // QString::toDouble reads the C locale whatever the desktop's is.
        numbers[i] = parts[i].toDouble(&ok);
        if (!ok || !std::isfinite(numbers[i]))
            return std::nullopt;
    }
    WindowFrame result;
    result.frame = QRectF(numbers[0], numbers[1], numbers[2], numbers[3]);
    result.screen = QRectF(numbers[4], numbers[5], numbers[6], numbers[7]);
    if (result.frame.width() <= 0 || result.frame.height() <= 0)
        return std::nullopt;
    return result;
}

QString WindowFrame::toString() const
{
    return QString::asprintf("%f %f %f %f %f %f %f %f", frame.x(), frame.y(), frame.width(), frame.height(),
                             screen.x(), screen.y(), screen.width(), screen.height());
}

QRect WindowFrame::flipped(const QRectF &rect, const QRect &primary)
{
    const double top = primary.top() + primary.height() - (rect.y() + rect.height());
    return QRectF(rect.x(), top, rect.width(), rect.height()).toRect();
}

QRectF WindowFrame::unflipped(const QRect &geometry, const QRect &primary)
{
    const double bottom = primary.top() + primary.height() - (geometry.y() + geometry.height());
    return QRectF(geometry.x(), bottom, geometry.width(), geometry.height());
}

WindowFrame WindowFrame::fromGeometry(const QRect &geometry, const QRect &screenGeometry, const QRect &primary)
{
    return {unflipped(geometry, primary), unflipped(screenGeometry, primary)};
}

QRect WindowFrame::geometry(const QRect &primary) const
{
    return flipped(frame, primary);
}
