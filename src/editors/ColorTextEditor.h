#pragma once

#include "stylesheet/RGBAColor.h"

#include <QStackedWidget>

class ColorTextEditorDelegate;
class ColorTextEditorView;
class HexColorTextInput;
class RGBAColorTextInput;
class RGBColorTextInput;

// One colour as text, in one of three forms, each a page with its own
// input: 0 hexadecimal digits (or a colour as CSS writes it: a name,
// "transparent", "currentcolor", a colour function), 1 "rgb" channels, 2
// "rgba" channels and alpha. setColor() shows a colour on every page without
// telling the delegate; a colour typed on a page is committed
// (commitColor()), shown on the other pages and handed to the delegate. The
// field being typed in is left as the user typed it. Text that is no colour
// is never committed: when editing ends the field is marked (FieldMark) and
// the colour stays as it was.
class ColorTextEditor : public QStackedWidget
{
    Q_OBJECT

public:
    explicit ColorTextEditor(QWidget *parent = nullptr);

    void setColor(const RGBAColor &color);
    RGBAColor getColor() const { return m_color; }
    // Stores the colour, shows it on every page but the one it was typed on
    // and tells the delegate.
    void commitColor(const RGBAColor &color, ColorTextEditorView *typedOn = nullptr);
    // The same for a colour typed as CSS writes it, kept as typed.
    void commitColorText(const QString &text, const std::optional<RGBAColor> &color, ColorTextEditorView *typedOn);

    // A colour typed into the hexadecimal page: three, four, six or eight
    // hex digits, with or without "#" (text empty: written in the editor's
    // notation), or any colour CSS names (text: as typed, trimmed). Nothing
    // for text that is no colour.
    struct TypedColor
    {
        std::optional<RGBAColor> color;
        QString text;
    };
    static std::optional<TypedColor> readTypedColor(const QString &text);
    // 0, 1 or 2: the page shown.
    void setUnit(int unit);
    int getUnit() const { return m_unit; }

    ColorTextEditorDelegate *editorDelegate() const { return m_editorDelegate; }
    void setEditorDelegate(ColorTextEditorDelegate *delegate) { m_editorDelegate = delegate; }

    HexColorTextInput *hexInput() const { return m_hex; }
    RGBColorTextInput *rgbInput() const { return m_rgb; }
    RGBAColorTextInput *rgbaInput() const { return m_rgba; }

private:
    void displayColor(ColorTextEditorView *except);

    RGBAColor m_color;
    int m_unit = 0;
    ColorTextEditorDelegate *m_editorDelegate = nullptr; // Not owned.
    HexColorTextInput *m_hex = nullptr;   // Owned (child).
    RGBColorTextInput *m_rgb = nullptr;   // Owned (child).
    RGBAColorTextInput *m_rgba = nullptr; // Owned (child).
};
