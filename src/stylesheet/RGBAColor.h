#pragma once

#include <QColor>

// A colour as the style-sheet code computes it: red, green, blue and alpha as
// floating-point components, normally between 0 and 1 (not clamped). QColor
// stores 16-bit channels, which shifts CSS texts such as "#7f0000" by one step,
// so colour texts are computed from this type and QColor is made only for
// drawing.
struct RGBAColor
{
    double red = 0;
    double green = 0;
    double blue = 0;
    double alpha = 1;

    QColor toQColor() const
    {
        return QColor::fromRgbF(float(red), float(green), float(blue), float(alpha));
    }
    static RGBAColor fromQColor(const QColor &color)
    {
        const QColor rgb = color.toRgb();
        return RGBAColor{rgb.redF(), rgb.greenF(), rgb.blueF(), rgb.alphaF()};
    }

    friend bool operator==(const RGBAColor &, const RGBAColor &) = default;
};
