#include "ProgressBar.h"

#include "PathUtils.h"

#include <QLinearGradient>
#include <QPainter>

ProgressBar::ProgressBar(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
}

ProgressBar::~ProgressBar() = default;

void ProgressBar::setAlphaValue(qreal alpha)
{
    m_alphaValue = alpha;
    update();
}

QPainterPath ProgressBar::clipPath(const QSizeF &size) const
{
    const QRectF bounds(QPointF(0, 0), size);
    if (m_isLoading && m_value != 100)
        return PathUtils::createRoundedRectPathWithRadii(bounds, 5.0, 0, 5.0, 0);
    if (m_isLoading)
        return PathUtils::createRoundedRectPath(bounds, 5.0);
    return PathUtils::createRoundedRectPathWithRadii(bounds, 0, 3.0, 0, 3.0);
}

void ProgressBar::paintEvent(QPaintEvent *)
{
    if (width() <= 0 || m_alphaValue <= 0)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(m_alphaValue);
    painter.setClipPath(clipPath(QSizeF(size())));
    // Multiplied with the field under it: its text stays dark, its white turns blue.
    painter.setCompositionMode(QPainter::CompositionMode_Multiply);
    QLinearGradient gradient(QPointF(0, 0), QPointF(width(), 0));
    const auto blue = [](qreal alpha) { return QColor::fromRgbF(126 / 255.0f, 174 / 255.0f, 213 / 255.0f, float(alpha)); };
    gradient.setColorAt(0.0, blue(0.0));
    gradient.setColorAt(0.5, blue(0.9));
    gradient.setColorAt(1.0, blue(0.9));
    painter.fillRect(rect(), gradient);
}
