#pragma once

#include "stylesheet/RGBAColor.h"

// Hears about every colour typed into a ColorTextEditor.
class ColorTextEditorDelegate
{
public:
    virtual ~ColorTextEditorDelegate() = default;
    virtual void colorDidChange(const RGBAColor &color) = 0;
};
