#pragma once

#include "stylesheet/RGBAColor.h"

#include <QString>

#include <optional>

// Hears about every colour typed into a ColorTextEditor.
class ColorTextEditorDelegate
{
public:
    // Whether a colour comes from the text being typed, which then stays as typed.
    enum class TypedText { No, Yes };

    virtual ~ColorTextEditorDelegate() = default;
    // A colour typed as digits or channels, to be written in the notation
    // of the page it was typed on.
    virtual void colorDidChange(const RGBAColor &color) = 0;
    // A colour typed as a name or a colour function ("antiquewhite",
    // "currentcolor", "hsl(...)"), to be written as typed; color is the
    // colour it stands for, when it has one. The default hands that colour
    // to colorDidChange().
    virtual void colorTextDidChange(const QString &text, const std::optional<RGBAColor> &color)
    {
        Q_UNUSED(text);
        if (color)
            colorDidChange(*color);
    }
};
