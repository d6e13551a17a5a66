#include "ColorTextEditor.h"

#include "ColorTextEditorDelegate.h"
#include "HexColorTextInput.h"
#include "RGBAColorTextInput.h"
#include "RGBColorTextInput.h"

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
