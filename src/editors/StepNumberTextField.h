#pragma once

#include "platform/kit/TextField.h"

// The number field of the style editors. While it has the focus (and after
// Return too, until the focus leaves), Up and Down step a lone number by one
// unit of its last decimal place, ten units with Shift, keeping its decimals
// and whatever follows the number ("1.5px" Up gives "1.6px"). A step reaches
// the delegate's controlTextDidChange and the field's action as typing and
// Return would, and posts "closeRefviewByStepChange" with the field as object.
class StepNumberTextField : public TextField
{
    Q_OBJECT

public:
    explicit StepNumberTextField(QWidget *parent = nullptr);
    ~StepNumberTextField() override;

    // Adds the step to the number the text begins with (or shows the step
    // when the text is empty).
    void stepNumberValue(float step);
    // One number with an optional lower-case unit, "!important" aside.
    bool isSingleNumber() const;
    static bool isSingleNumberText(const QString &text);

    // The decimal exponent of the number the text begins with: 0 for a whole
    // number, -d for d decimals.
    static qint64 numberDigits(const QString &text);
    // The text after stepping: the sum with -preDigit decimals (the shortest
    // form for 0), then the rest of the text as it was; an empty or
    // number-less text becomes the step alone.
    static QString steppedText(const QString &text, double step, qint64 preDigit);

    // Whether the key monitor is installed.
    bool isMonitoringKeys() const { return m_keyEvent; }
    qint64 preDigit() const { return m_preDigit; }

protected:
    void becomeFirstResponder(Qt::FocusReason reason) override;
    void textDidEndEditing() override;
    void focusOutEvent(QFocusEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void stepText(double step);
    void removeMonitor();

    bool m_keyEvent = false;
    qint64 m_preDigit = 0;
    bool m_returnPressed = false;
};
