#include "LengthValue.h"

LengthValue LengthValue::defaultValue()
{
    return LengthValue(QVariant(1), QStringLiteral("px"));
}

QString LengthValue::stringValue() const
{
    if (!m_value.isValid() || m_value.isNull())
        return {};
    if (m_value.typeId() == QMetaType::QString)
        return m_value.toString();
    bool isNumber = false;
    const double number = m_value.toDouble(&isNumber);
    if (!isNumber)
        return m_value.toString();
    // QString::number formats in the C locale with printf's "%g" rules.
    return QString::number(number, 'g', 6) + m_unit;
}
