#pragma once

#include "ShadowParser.h"

// Parses a CSS box-shadow value into its layers for the box-shadow editor,
// with the grammar resource "box-shadow" (start "ShadowGroup"). A layer is
// two to four lengths (x, y, blur, spread), an optional colour and an
// optional "inset". Besides the colour-first forms the engine writes, it reads
// back what the program writes itself: "inset" first and the colour last.
class BoxShadowParser final : public ShadowParser
{
public:
    // The bundle's grammar, or the grammar file at the given path.
    BoxShadowParser();
    explicit BoxShadowParser(const QString &grammarPath);

protected:
    std::optional<QVariant> produceValue(const QString &ruleName, QVariantList &children) override;
};
