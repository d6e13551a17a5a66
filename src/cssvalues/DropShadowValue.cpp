#include "DropShadowValue.h"

#include "stylesheet/ColorUtil.h"

DropShadowValue DropShadowValue::defaultValue()
{
    DropShadowValue shadow;
    shadow.m_color = RGBAColor{0.0, 0.0, 0.0, 1.0};
    shadow.m_x = LengthValue::defaultValue();
    shadow.m_y = LengthValue::defaultValue();
    return shadow;
}

QStringList DropShadowValue::lengthKeywords()
{
    return {QStringLiteral("initial"), QStringLiteral("inherit"), QStringLiteral("auto")};
}

QString DropShadowValue::stringValue() const
{
    QString text;
    if (m_inset)
        text += QStringLiteral("inset ");
    text += m_x.stringValue() + u' ' + m_y.stringValue();
    if (m_blur)
        text += u' ' + m_blur->stringValue();
    if (m_spread)
        text += u' ' + m_spread->stringValue();
    if (m_color)
        text += u' ' + ColorUtil::cssColorValue(*m_color);
    return text;
}
