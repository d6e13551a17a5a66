#pragma once

#include "StyleEditorView.h"

class ButtonMatrix;
class Stepper;
class StepNumberTextField;

// The popover editor of one length ("singleSize"): a number field, a
// stepper and the units px, em, rem and %. A number is written as typed
// ("1.26" in px gives 1.26px); a step writes the number with the decimals
// of the number read or typed (one at least). Text that is no plain decimal
// number writes "0".
class SingleSizeEditorView : public StyleEditorView
{
    Q_OBJECT

public:
    explicit SingleSizeEditorView(QWidget *parent = nullptr);

    void parseValue() override;
    void controlTextDidChange();
    void stepperChange();
    void unitChange(int tag);

    QString unit() const { return m_unit; }
    double size() const { return m_size; }
    Stepper *stepper() const { return m_stepper; }
    StepNumberTextField *textField() const { return m_textField; }
    ButtonMatrix *radioGroup() const { return m_radioGroup; }

private:
    // The decimals a step writes: those of the number, those of the increment.
    int shownDecimals() const;

    QString m_unit;
    double m_size = 0;
    int m_decimals = 0;
    Stepper *m_stepper = nullptr;               // Owned (child).
    StepNumberTextField *m_textField = nullptr; // Owned (child).
    ButtonMatrix *m_radioGroup = nullptr;       // Owned (child).
};
