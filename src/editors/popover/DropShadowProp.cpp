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

void DropShadowProp::setLength(Length which, float number)
{
    if (m_numbers[which] == number && std::signbit(m_numbers[which]) == std::signbit(number))
        return;
    m_numbers[which] = number;
    m_lengthEdited[which] = true;
}

void DropShadowProp::setLength(Length which, float number, const QString &unit)
{
    if (m_units[which] != unit) {
        m_units[which] = unit;
        m_lengthEdited[which] = true;
    }
    setLength(which, number);
}

QString DropShadowProp::lengthUnit(Length which) const
{
    return m_units[which].isEmpty() ? numberUnit() : m_units[which];
}

QString DropShadowProp::numberUnit() const
{
    for (const QString &unit : m_units) {
        if (!unit.isEmpty())
            return unit;
    }
    return m_numberUnit;
}

void DropShadowProp::setNumberUnit(const QString &unit)
{
    m_numberUnit = unit;
    const int read = m_read ? int(m_read->lengthTexts.size()) : 4;
    for (int k = 0; k < 4; ++k) {
        if (m_units[k] == unit)
            continue;
        m_units[k] = unit;
        if (k < read)
            m_lengthEdited[k] = true;
    }
}

void DropShadowProp::setColor(const std::optional<RGBAColor> &color)
{
    m_color = color;
    m_colorText.clear();
    m_colorEdited = true;
}

void DropShadowProp::setColorText(const QString &text, const std::optional<RGBAColor> &color)
{
    m_colorText = text;
    m_color = color;
    m_colorEdited = true;
}

void DropShadowProp::setInset(bool inset)
{
    if (m_inset == inset)
        return;
    m_inset = inset;
    m_insetEdited = true;
}

void DropShadowProp::setUnit(int unit)
{
    if (m_unit == unit)
        return;
    m_unit = unit;
    // A colour written as a name or as read goes over to the notation.
    if (m_color) {
        m_colorText.clear();
        m_colorEdited = true;
    }
}

void DropShadowProp::setRead(const Read &read)
{
    m_read = read;
    m_lengthEdited = {};
    m_colorEdited = false;
    m_insetEdited = false;
}

QString DropShadowProp::colorWord() const
{
    if (!m_colorText.isEmpty())
        return m_colorText;
    if (!m_color)
        return {};
    switch (m_unit) {
    case 2:
        return ColorUtil::cssColorValueRGBA(*m_color);
    case 1:
        return ColorUtil::cssColorValueRGB(*m_color);
    default:
        return QLatin1Char('#') + ColorUtil::hexadecimalValue(*m_color);
    }
}

QString DropShadowProp::build(bool full) const
{
    if (m_read)
        return rebuilt(full);
    QStringList parts;
    for (int k = 0; k < (full ? 4 : 3); ++k)
        parts.append(lengthText(m_numbers[k], lengthUnit(Length(k))));
    if (const QString color = colorWord(); !color.isEmpty())
        parts.append(color);
    if (full && m_inset)
        parts.append(QStringLiteral("inset"));
    return parts.join(QLatin1Char(' '));
}

QString DropShadowProp::rebuilt(bool full) const
{
    const Read &read = *m_read;
    // The lengths: those read and not changed keep their text; a changed one
    // past them brings the ones before it (as zeros).
    const int count = int(read.lengthTexts.size());
    int needed = count;
    for (int k = 0; k < (full ? 4 : 3); ++k) {
        if (m_lengthEdited[k])
            needed = std::max({needed, k + 1, 2});
    }
    QStringList lengths;
    for (int k = 0; k < needed; ++k) {
        lengths.append(k < count && !m_lengthEdited[k] ? read.lengthTexts.at(k)
                                                      : lengthText(m_numbers[k], lengthUnit(Length(k))));
    }

    const QString color = m_colorEdited ? colorWord() : QString();
    QStringList out;
    qsizetype afterLengths = -1;
    const auto putLengths = [&] {
        out += lengths;
        afterLengths = out.size();
    };
    for (int i = 0; i < read.words.size(); ++i) {
        if (i == read.lengthsAt)
            putLengths();
        if (i == read.colorWord && m_colorEdited) {
            if (!color.isEmpty())
                out.append(color);
            continue;
        }
        if (i == read.insetWord && full && !m_inset)
            continue;
        out.append(read.words.at(i));
    }
    if (afterLengths < 0) {
        if (read.lengthsAt < 0) {
            out = lengths + out;
            afterLengths = lengths.size();
        } else {
            putLengths();
        }
    }
    if (m_colorEdited && read.colorWord < 0 && !color.isEmpty())
        out.insert(afterLengths, color);
    if (full && m_inset && read.insetWord < 0)
        out.append(QStringLiteral("inset"));
    return out.join(QLatin1Char(' '));
}

void DropShadowProp::createCSSValueStrngWithoutSpread()
{
    m_stringValue = build(false);
}

void DropShadowProp::createCSSValueStrng()
{
    m_stringValue = build(true);
}
