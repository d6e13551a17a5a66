#pragma once

#include <QProxyStyle>

// A slider style that draws no track: a slider with it shows only its knob
// over whatever lies behind it. A click beside the knob moves the knob there
// and goes on as a drag, as a slider without a visible track must. Set on a
// slider with QWidget::setStyle(); the slider does not own it.
class TransparentSlider : public QProxyStyle
{
    Q_OBJECT

public:
    explicit TransparentSlider(QObject *parent = nullptr);
    ~TransparentSlider() override;

    void drawComplexControl(ComplexControl control, const QStyleOptionComplex *option, QPainter *painter,
                            const QWidget *widget = nullptr) const override;
    int styleHint(StyleHint hint, const QStyleOption *option = nullptr, const QWidget *widget = nullptr,
                  QStyleHintReturn *returnData = nullptr) const override;
};
