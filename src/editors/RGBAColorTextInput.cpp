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

std::optional<RGBAColor> RGBAColorTextInput::typedColor(QLineEdit **unread) const
{
    std::optional<RGBAColor> color = RGBColorTextInput::typedColor(unread);
    if (!color)
        return std::nullopt;
    const std::optional<double> alpha = channel(m_aTextInput, 1);
    if (!alpha) {
        if (unread)
            *unread = m_aTextInput;
        return std::nullopt;
    }
    color->alpha = *alpha;
    return color;
}
