#pragma once

#include "AttributeEditor.h"
#include "SideValue.h"

class NumberField;
class PopUpButton;
class Stepper;

// One length: a number with a unit from the unit menu, or one of the length
// keywords. A value that is neither (line-height: normal, calc()) is left to
// the panel, which writes it back as it was.
class LengthEditor : public AttributeEditor
{
    Q_OBJECT

public:
    explicit LengthEditor(QWidget *parent = nullptr);

    void readStyle(StyleValueMap &map) override;
    void reset() override;
    void setValue(const std::optional<QString> &text);
    std::optional<QString> value() const override;
    QWidget *firstControl() const override;

    NumberField *valueInput() const { return m_valueInput; }
    Stepper *stepper() const { return m_stepper; }
    PopUpButton *unitButton() const { return m_unitButton; }

    // Actions of the field, the stepper and the unit menu.
    void valueChange();
    void stepChange();
    void unitChange(const QString &title);

private:
    void showValue();

    NumberField *m_valueInput = nullptr; // Owned (child).
    Stepper *m_stepper = nullptr;        // Owned (child).
    PopUpButton *m_unitButton = nullptr; // Owned (child).
    QString m_unit = QStringLiteral("px");
    SideValue m_val;
};
