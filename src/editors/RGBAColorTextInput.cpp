#include "RGBAColorTextInput.h"

#include "ColorTextEditor.h"

#include "foundation/StringUtils.h"

#include <QLineEdit>

#include <algorithm>

RGBAColorTextInput::RGBAColorTextInput(ColorTextEditor *editor) : RGBColorTextInput(editor)
{
    m_aTextInput = addField(QStringLiteral("aTextInput"), QStringLiteral("A"));
}

void RGBAColorTextInput::displayColor()
{
    RGBColorTextInput::displayColor();
    if (!m_aTextInput)
        return;
    const QString current = m_aTextInput->text().trimmed();
    int decimals = 2;
    if (!current.isEmpty())
        decimals = current.contains(QLatin1Char('.')) ? int(-StringUtils::minDigits(current)) : 1;
    m_aTextInput->setText(QString::number(m_colorTextEditor->getColor().alpha, 'f', std::max(decimals, 1)));
    m_aTextInput->setModified(false);
}

RGBAColor RGBAColorTextInput::typedColor() const
{
    RGBAColor color = RGBColorTextInput::typedColor();
    color.alpha = std::clamp(m_aTextInput->text().trimmed().toDouble(), 0.0, 1.0);
    return color;
}
