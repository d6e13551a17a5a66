#include "TransparentSlider.h"

#include <QStyleOptionSlider>

TransparentSlider::TransparentSlider(QObject *parent) : QProxyStyle()
{
    setParent(parent);
}

TransparentSlider::~TransparentSlider() = default;

void TransparentSlider::drawComplexControl(ComplexControl control, const QStyleOptionComplex *option, QPainter *painter,
                                           const QWidget *widget) const
{
    if (control != CC_Slider) {
        QProxyStyle::drawComplexControl(control, option, painter, widget);
        return;
    }
    const auto *slider = qstyleoption_cast<const QStyleOptionSlider *>(option);
    if (!slider) {
        QProxyStyle::drawComplexControl(control, option, painter, widget);
        return;
    }
    QStyleOptionSlider knobOnly(*slider);
    knobOnly.subControls &= ~(SC_SliderGroove | SC_SliderTickmarks);
    QProxyStyle::drawComplexControl(control, &knobOnly, painter, widget);
}

int TransparentSlider::styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                                 QStyleHintReturn *returnData) const
{
    if (hint == SH_Slider_AbsoluteSetButtons)
        return Qt::LeftButton;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}
