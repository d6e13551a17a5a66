#pragma once

#include "StyleEditorView.h"

#include "editors/ColorTextEditorDelegate.h"
#include "stylesheet/RGBAColor.h"

#include <optional>

class ButtonMatrix;
class ColorTextEditor;
class ColorWell;

// The popover editor of a colour ("color"): a palette of 112 swatches, a
// colour well on the shared colour panel, the notation the colour is
// written in (0 "#" and hex digits, 1 "rgb(", 2 "rgba(") and the colour as
// text. A colour read with an alpha is written as "rgba(" so that the alpha
// survives; a text that is no colour ("inherit") leaves the well empty and
// nothing is written until the user picks a colour. A colour typed as a name
// ("antiquewhite", "currentcolor") is written as typed.
class ColorEditorView : public StyleEditorView, public ColorTextEditorDelegate
{
    Q_OBJECT

public:
    explicit ColorEditorView(QWidget *parent = nullptr);
    ~ColorEditorView() override;

    void parseValue() override;

    // The colour well's action.
    void colorChange();
    // The notation radio group's action.
    void unitChange(int tag);
    // A swatch cell's action.
    void handleRadioClick(int tag);
    void colorDidChange(const RGBAColor &color) override;
    void colorTextDidChange(const QString &text, const std::optional<RGBAColor> &color) override;

    std::optional<RGBAColor> color() const { return m_color; }
    ColorWell *colorWell() const { return m_colorWell; }
    ButtonMatrix *radioGroup() const { return m_radioGroup; }
    ButtonMatrix *swatch() const { return m_swatch; }
    ColorTextEditor *colorTextEditor() const { return m_colorTextEditor; }

    // The palette of 112 swatches, each cell tagged with its colour's index.
    static ButtonMatrix *makeSwatch(QWidget *parent);
    // The notation radio group: "Hex", "RGB" and "RGBA", tagged 0 to 2, "Hex" selected.
    static ButtonMatrix *makeNotationMatrix(QWidget *parent);
    // The colour of the swatch cell with the tag; nothing for another tag.
    static std::optional<RGBAColor> swatchColor(int tag);

private:
    void writeColor(TypedText typed);
    void createSwatch();
    void showColor(const RGBAColor &color);

    // The colour as read or picked; the well's QColor rounds channels.
    std::optional<RGBAColor> m_color;
    // A colour typed as a name, written as typed until another is chosen.
    QString m_typedText;
    ColorWell *m_colorWell = nullptr;             // Owned (child).
    ButtonMatrix *m_radioGroup = nullptr;         // Owned (child).
    ButtonMatrix *m_swatch = nullptr;             // Owned (child).
    ColorTextEditor *m_colorTextEditor = nullptr; // Owned (child).
};
