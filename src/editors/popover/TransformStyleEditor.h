#pragma once

#include "StyleEditorView.h"

#include "editors/TransformValue.h"

#include <array>

class Stepper;
class StepNumberTextField;

// The popover editor of "transform" ("degree"): thirteen number fields with
// steppers (perspective, translate X/Y/Z, rotate, rotate X/Y/Z, scale X/Y/Z,
// skew X/Y) and four clear actions. The value is read and written by
// TransformValue: functions keep their place, groups added later follow,
// what no field holds is kept verbatim. Every keystroke, step or clear
// writes the whole list; completions (a scale's missing factors, a
// translation's "0") show in the fields.
class TransformStyleEditor : public StyleEditorView
{
    Q_OBJECT

public:
    explicit TransformStyleEditor(QWidget *parent = nullptr);

    void parseValue() override;
    void controlTextDidChange(TransformValue::Field field);
    void controlTextDidEndEditing() {}
    void stepperChange(TransformValue::Field field);
    void clearTranslate();
    void clearRotate();
    void clearScale();
    void clearSkew();
    // Writes the list from the fields and announces it.
    void setValue();

    StepNumberTextField *textField(TransformValue::Field field) const { return m_textFields[field]; }
    Stepper *stepper(TransformValue::Field field) const { return m_steppers[field]; }
    const TransformValue &transform() const { return m_transform; }

private:
    void write(StepNumberTextField *typing);
    // The fields show the model, but for the one being typed in.
    void showFields(StepNumberTextField *typing);

    TransformValue m_transform;
    std::array<StepNumberTextField *, TransformValue::FieldCount> m_textFields{}; // Owned (children).
    std::array<Stepper *, TransformValue::FieldCount> m_steppers{};               // Owned (children).
};
