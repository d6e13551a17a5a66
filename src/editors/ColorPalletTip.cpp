#include "ColorPalletTip.h"

#include <QPainter>
#include <QVariantMap>

ColorPalletTip::ColorPalletTip(QWidget *parent)
    : QAbstractButton(parent)
{
    setFocusPolicy(Qt::StrongFocus);
}

void ColorPalletTip::setRepresentedObject(const QVariantMap &object)
{
    m_color = object.value(QStringLiteral("color")).value<QColor>();
    setToolTip(m_color.name());
    update();
}

void ColorPalletTip::setSelected(bool selected)
{
    m_selected = selected;
    update();
}

QSize ColorPalletTip::sizeHint() const
{
    return QSize(15, 15);
}

void ColorPalletTip::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRectF bounds = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    // The box inset by 2 on each side, in a grey frame of width 0.
    painter.fillRect(rect().adjusted(2, 2, -2, -2), m_color);
    if (m_selected || hasFocus()) {
        painter.setPen(QPen(QColor::fromRgbF(0.6352941176470588, 0.6352941176470588, 0.6352941176470588),
                            hasFocus() && !m_selected ? 0.5 : 1.0));
        painter.drawRect(bounds);
    }
}
