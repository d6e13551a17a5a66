#include "ColorTextEditor.h"

#include "ColorTextEditorDelegate.h"
#include "HexColorTextInput.h"
#include "RGBAColorTextInput.h"
#include "RGBColorTextInput.h"

#include "stylesheet/ColorUtil.h"

#include <QRegularExpression>

ColorTextEditor::ColorTextEditor(QWidget *parent) : QStackedWidget(parent)
{
    m_hex = new HexColorTextInput(this);
    m_rgb = new RGBColorTextInput(this);
    m_rgba = new RGBAColorTextInput(this);
    addWidget(m_hex);
    addWidget(m_rgb);
    addWidget(m_rgba);
    displayColor(nullptr);
}

void ColorTextEditor::setColor(const RGBAColor &color)
{
    m_color = color;
    displayColor(nullptr);
}

void ColorTextEditor::commitColor(const RGBAColor &color, ColorTextEditorView *typedOn)
{
    m_color = color;
    displayColor(typedOn);
    if (m_editorDelegate)
        m_editorDelegate->colorDidChange(color);
}

void ColorTextEditor::commitColorText(const QString &text, const std::optional<RGBAColor> &color,
                                      ColorTextEditorView *typedOn)
{
    if (color) {
        m_color = *color;
        displayColor(typedOn);
    }
    if (m_editorDelegate)
        m_editorDelegate->colorTextDidChange(text, color);
}

std::optional<ColorTextEditor::TypedColor> ColorTextEditor::readTypedColor(const QString &text)
{
    static const QRegularExpression hex(QStringLiteral("^#?([0-9a-fA-F]{3,4}|[0-9a-fA-F]{6}|[0-9a-fA-F]{8})$"));
    const QString trimmed = text.trimmed();
    if (const QRegularExpressionMatch match = hex.match(trimmed); match.hasMatch()) {
        QString digits = match.captured(1);
        // Four and eight digits carry the alpha last.
        double alpha = 1;
        if (digits.size() == 4 || digits.size() == 8) {
            const QString alphaDigits = digits.size() == 4 ? QString(2, digits.back()) : digits.right(2);
            alpha = alphaDigits.toInt(nullptr, 16) / 255.0;
            digits.chop(digits.size() / 4);
        }
        RGBAColor color = ColorUtil::colorFromHexadecimalValue(digits);
        color.alpha = alpha;
        return TypedColor{color, QString()};
    }
    if (trimmed.compare(QLatin1String("currentcolor"), Qt::CaseInsensitive) == 0)
        return TypedColor{std::nullopt, trimmed};
    // "#" and digits that are no colour stop here: the reader would give black.
    if (trimmed.startsWith(u'#'))
        return std::nullopt;
    if (const std::optional<RGBAColor> color = ColorUtil::cssColorWithString(trimmed))
        return TypedColor{color, trimmed};
    return std::nullopt;
}

void ColorTextEditor::setUnit(int unit)
{
    if (unit < 0 || unit >= count())
        return;
    m_unit = unit;
    setCurrentIndex(unit);
}

void ColorTextEditor::displayColor(ColorTextEditorView *except)
{
    for (ColorTextEditorView *view : {static_cast<ColorTextEditorView *>(m_hex), static_cast<ColorTextEditorView *>(m_rgb),
                                      static_cast<ColorTextEditorView *>(m_rgba)}) {
        if (view != except)
            view->displayColor();
    }
}
