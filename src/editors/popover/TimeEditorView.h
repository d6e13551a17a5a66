#pragma once

#include "StyleEditorView.h"

class QSlider;
class Stepper;
class StepNumberTextField;

// The popover editor of a time ("time": "animation-duration",
// "animation-delay"): a number field, a stepper and a slider that move
// together. The number is written with the unit read ("ms" stays "ms"; "s"
// when the value has none); a typed number goes out as typed, a step or a
// slide with the decimals shown (one at least).
class TimeEditorView : public StyleEditorView
{
    Q_OBJECT

public:
    explicit TimeEditorView(QWidget *parent = nullptr);

    void parseValue() override;
    void controlTextDidChange();
    void stepperChange();
    void sliderChange();

    QString unit() const { return m_unit; }
    double sec() const { return m_sec; }
    Stepper *stepper() const { return m_stepper; }
    StepNumberTextField *textField() const { return m_textField; }
    QSlider *slider() const { return m_slider; }

private:
    void showSec();
    void setSliderValue(double sec);
    // The slider moves in tenths of the unit.
    static constexpr int kSliderScale = 10;

    QString m_unit = QStringLiteral("s");
    double m_sec = 0;
    int m_decimals = 1;
    Stepper *m_stepper = nullptr;               // Owned (child).
    StepNumberTextField *m_textField = nullptr; // Owned (child).
    QSlider *m_slider = nullptr;                // Owned (child).
};
