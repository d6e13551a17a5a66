#pragma once

#include <QString>
#include <QVariant>

// One CSS length: a number and its unit as written ("px", "em", "rem", "%"),
// or no unit. The shadow editor may also store one of the keywords of
// DropShadowValue::lengthKeywords() as a string in value().
class LengthValue
{
public:
    LengthValue() = default;
    LengthValue(QVariant value, QString unit) : m_value(std::move(value)), m_unit(std::move(unit)) {}

    // 1 px.
    static LengthValue defaultValue();

    // Invalid when there is no value.
    const QVariant &value() const { return m_value; }
    void setValue(const QVariant &value) { m_value = value; }
    // Null when the length has no unit.
    const QString &unit() const { return m_unit; }
    void setUnit(const QString &unit) { m_unit = unit; }

    bool isValid() const { return m_value.isValid(); }

    // The number as "%g" in the C locale followed by the unit ("0.5em", "0",
    // "1.23457e+06"); a keyword value prints as itself, without a unit. Null
    // when there is no value.
    QString stringValue() const;

    friend bool operator==(const LengthValue &, const LengthValue &) = default;

private:
    QVariant m_value;
    QString m_unit;
};
