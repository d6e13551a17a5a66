#pragma once

#include "ShadowParser.h"

// Parses a CSS text-shadow value into its layers for the text-shadow editor,
// with the grammar resource "text-shadow" (start "ShadowGroup"). A layer is
// two or three lengths with an optional colour before or after them.
class TextShadowParser final : public ShadowParser
{
public:
    // The bundle's grammar, or the grammar file at the given path.
    TextShadowParser();
    explicit TextShadowParser(const QString &grammarPath);
};
