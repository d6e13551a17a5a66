#pragma once

#include "AttributeEditor.h"

class NumberField;
class Stepper;

// A plain number ("opacity"), or a whole number when marked integer
// ("z-index"). A value that is no such number ("auto") is left to the panel.
class NumberStyleEditor : public AttributeEditor
{
    Q_OBJECT

public:
    explicit NumberStyleEditor(QWidget *parent = nullptr);

    bool isInteger() const { return m_isInteger; }
    void setIsInteger(bool integer);

    void readStyle(StyleValueMap &map) override;
    void reset() override;
    void setValue(const std::optional<QString> &text);
    std::optional<QString> value() const override;
    QWidget *firstControl() const override;

    NumberField *valueInput() const { return m_valueInput; }
    Stepper *stepper() const { return m_stepper; }

    void valueChange();
    void stepChange();

private:
    void showNumber();

    NumberField *m_valueInput = nullptr; // Owned (child).
    Stepper *m_stepper = nullptr;        // Owned (child).
    std::optional<double> m_number;
    bool m_isInteger = false;
};
