#include "DropShadowProp.h"

#include "stylesheet/ColorUtil.h"

#include <cmath>

QString DropShadowProp::lengthText(float number, const QString &unit)
{
    // Six decimals in fixed notation, never an exponent; trailing zeros go.
    QString text = QString::number(double(number), 'f', 6);
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    // A zero is bare; negative zero keeps its sign and so its unit.
    if (text == u"0" || text == u"-0")
        return std::signbit(number) ? QStringLiteral("-0") + unit : QStringLiteral("0");
    return text + unit;
}

QString DropShadowProp::build(bool full) const
{
    QStringList parts = {lengthText(m_h, m_numberUnit), lengthText(m_v, m_numberUnit), lengthText(m_b, m_numberUnit)};
    if (full)
        parts.append(lengthText(m_s, m_numberUnit));
    if (m_color) {
        switch (m_unit) {
        case 2:
            parts.append(ColorUtil::cssColorValueRGBA(*m_color));
            break;
        case 1:
            parts.append(ColorUtil::cssColorValueRGB(*m_color));
            break;
        default:
            parts.append(QLatin1Char('#') + ColorUtil::hexadecimalValue(*m_color));
            break;
        }
    } else if (!m_colorText.isEmpty()) {
        parts.append(m_colorText);
    }
    if (full && m_inset)
        parts.append(QStringLiteral("inset"));
    return parts.join(QLatin1Char(' '));
}

void DropShadowProp::createCSSValueStrngWithoutSpread()
{
    m_stringValue = build(false);
}

void DropShadowProp::createCSSValueStrng()
{
    m_stringValue = build(true);
}
