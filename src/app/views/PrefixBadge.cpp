#include "PrefixBadge.h"

#include <QPainter>

PrefixBadge::PrefixBadge(const QString &letter, const QColor &color, QWidget *parent)
    : QWidget(parent)
    , m_letter(letter)
    , m_color(color)
{
    setFixedSize(16, 16);
}

PrefixBadge::~PrefixBadge() = default;

void PrefixBadge::setOpacity(double opacity)
{
    if (qFuzzyCompare(opacity, m_opacity))
        return;
    m_opacity = opacity;
    update();
}

void PrefixBadge::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(m_opacity);
    const QRectF disc = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QLinearGradient fill(disc.topLeft(), disc.bottomLeft());
    fill.setColorAt(0, m_color.lighter(125));
    fill.setColorAt(1, m_color.darker(115));
    painter.setPen(QPen(m_color.darker(140), 1));
    painter.setBrush(fill);
    painter.drawEllipse(disc);
    QFont letter = font();
    letter.setBold(true);
    letter.setPixelSize(m_letter.size() > 1 ? 7 : 9);
    painter.setFont(letter);
    painter.setPen(Qt::white);
    painter.drawText(rect(), Qt::AlignCenter, m_letter);
}
