#pragma once

#include "StyleEditorView.h"

class SegmentedControl;
class Stepper;
class StepNumberTextField;

// The popover editor of a unit-less number ("number": "opacity",
// "z-index", ...): a number field, a stepper, and a segmented control whose
// first segment shows one decimal more and whose second one fewer. A typed
// number goes out as typed; the decimals start from those the value shows,
// and a step moves the last of them.
class NumberEditor : public StyleEditorView
{
    Q_OBJECT

public:
    explicit NumberEditor(QWidget *parent = nullptr);

    void parseValue() override;
    void controlTextDidChange();
    void controlTextDidEndEditing() {}
    void stepperChange();
    void decimalStepperChange(SegmentedControl *sender);

    double sec() const { return m_sec; }
    int decimalStep() const { return m_decimalStep; }
    QString decimalStepStr() const { return m_decimalStepStr; }
    Stepper *stepper() const { return m_stepper; }
    StepNumberTextField *textField() const { return m_textField; }
    SegmentedControl *decimalStepper() const { return m_decimalStepper; }

private:
    QString formatted(double number) const;
    void setDecimals(int decimals);

    double m_sec = 0;
    int m_decimalStep = 0;
    QString m_decimalStepStr = QStringLiteral("%g");
    Stepper *m_stepper = nullptr;                   // Owned (child).
    StepNumberTextField *m_textField = nullptr;     // Owned (child).
    SegmentedControl *m_decimalStepper = nullptr;   // Owned (child).
};
