#pragma once

#include "RatioColor.h"

#include <QWidget>

// The knob of one colour stop on the gradient slider: a rounded square of
// the stop's colour (at least 0.2 opaque) in a white frame; the selected
// knob shows a focus frame.
class SliderKnob : public QWidget
{
    Q_OBJECT

public:
    SliderKnob(const RatioColorPtr &ratioColor, QWidget *parent);

    RatioColorPtr ratioColor() const { return m_ratioColor; }
    bool selected() const { return m_selected; }
    void setSelected(bool selected) { m_selected = selected; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    RatioColorPtr m_ratioColor;
    bool m_selected = false;
};
