#include "SyntaxStyle.h"

#include "platform/kit/DesktopColors.h"

#include <QFont>

SyntaxStyle SyntaxStyle::init(const QString &fontName, const QColor &fontColor, const QColor &backgroundColor)
{
    SyntaxStyle style;
    style.m_fontName = fontName;
    style.m_fontColor = fontColor;
    style.m_backgroundColor = backgroundColor;
    return style;
}

QColor SyntaxStyle::colorOn(const QColor &color, const QPalette &palette)
{
    if (!color.isValid() || !DesktopColors::isDark(palette))
        return color;
    float h = 0, s = 0, l = 0, a = 0;
    color.getHslF(&h, &s, &l, &a);
    // Dark and middle tones alike end up light enough to read on a dark
    // background, in the order they had, and a little softer so that pure
    // colours do not glare.
    return QColor::fromHslF(h, 0.8f * s, 0.5f + 0.4f * l, a);
}

QTextCharFormat SyntaxStyle::format(const QPalette &palette) const
{
    QTextCharFormat format;
    if (m_fontColor.isValid())
        format.setForeground(colorOn(m_fontColor, palette));
    if (m_backgroundColor.isValid())
        format.setBackground(DesktopColors::adapted(m_backgroundColor, palette));
    if (!m_fontName.isEmpty()) {
        QFont font(m_fontName);
        font.setPointSizeF(11.0);
        format.setFont(font, QTextCharFormat::FontPropertiesSpecifiedOnly);
    }
    return format;
}
