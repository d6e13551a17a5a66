#include "SliderKnob.h"

#include "toolkit/PathUtils.h"

#include <QPainter>

SliderKnob::SliderKnob(const RatioColorPtr &ratioColor, QWidget *parent) : QWidget(parent), m_ratioColor(ratioColor)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void SliderKnob::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    RGBAColor color = m_ratioColor->color();
    color.alpha = std::max(color.alpha, 0.2);
    const QRectF bounds = QRectF(rect()).adjusted(1, 1, -1, -1);
    painter.fillPath(PathUtils::createRoundedRectPath(bounds, 5.0), color.toQColor());
    painter.setPen(QPen(Qt::white, 2.0, Qt::SolidLine, Qt::SquareCap, Qt::RoundJoin));
    painter.drawPath(PathUtils::createRoundedRectPath(bounds, 4.0));
    if (m_selected && parentWidget() && parentWidget()->hasFocus()) {
        painter.setPen(QPen(palette().color(QPalette::Highlight), 1.5));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(PathUtils::createRoundedRectPath(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 5.0));
    } else if (m_selected) {
        painter.setPen(QPen(palette().color(QPalette::WindowText), 1.0));
        painter.drawPath(PathUtils::createRoundedRectPath(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 5.0));
    }
}
