#pragma once

#include "AttributeEditor.h"
#include "SideValue.h"

#include <array>

class NumberField;
class PopUpButton;
class QToolButton;
class Stepper;

// A four-sided shorthand ("margin", "padding", "border-radius"): four
// fields with steppers, one unit for all sides and a lock that ties the
// sides together. It reads the four longhands (a shorthand is split into
// them first) and writes the shorthand; sides set alone by their longhands
// are shown in their boxes and written as those longhands until all four
// are set. Sides of one unit and one priority fit it; any other style is
// left to the panel.
class FourLengthsEditor : public AttributeEditor
{
    Q_OBJECT

public:
    explicit FourLengthsEditor(QWidget *parent = nullptr);

    // The longhand names, in shorthand order.
    QStringList properties() const { return m_properties; }
    void setProperties(const QStringList &properties);

    void readStyle(StyleValueMap &map) override;
    void reset() override;
    void setValue(const std::optional<QString> &text);
    std::optional<QString> value() const override;
    std::optional<QString> styleRepresentation() const override;
    QWidget *firstControl() const override;

    bool isLocked() const { return m_locked; }
    QString unit() const { return m_unit; }
    NumberField *valueInput(int side) const { return m_valueInputs[side]; }
    Stepper *stepper(int side) const { return m_steppers[side]; }
    QToolButton *lockButton() const { return m_lockButton; }
    PopUpButton *unitButton() const { return m_unitButton; }

    // Actions; side is 0 to 3.
    void valueChangeAt(int side);
    void stepChangeAt(int side);
    void unitChange(const QString &title);
    void lockChange();

    // A side's text in the shorthand: "inherit" for an unset side.
    QString requiredNumberValue(int side) const;

private:
    void showSides();
    void copyFirstSide();
    void setLocked(bool locked);

    std::array<NumberField *, 4> m_valueInputs{}; // Owned (children).
    std::array<Stepper *, 4> m_steppers{};        // Owned (children).
    QToolButton *m_lockButton = nullptr;          // Owned (child).
    PopUpButton *m_unitButton = nullptr;          // Owned (child).
    std::array<SideValue, 4> m_vals;
    QString m_unit = QStringLiteral("px");
    bool m_locked = true;
    // The style set some sides alone (margin-bottom), not the shorthand.
    bool m_longhandsOnly = false;
    QStringList m_properties;
};
