#pragma once

#include "RGBAColor.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// Conversions between colours and CSS colour texts ("#" with hex digits,
// "rgb(", "rgba(", "hsla(" and colour names), the named-colour table and the
// swatch palette of the colour editors. Channel numbers are component x
// 255.99998474121094 truncated, so 1.0 gives 255 and 0.5 gives 127.
namespace ColorUtil {

// Notation of a colour text: a name, a "#" value or anything else; "rgb(";
// "rgba(" or "hsla(".
enum Notation : int { NamedOrHex = 0, RGB = 1, RGBA = 2 };

// Three hex digits are doubled; a text that does not scan gives black.
RGBAColor colorFromHexadecimalValue(const QString &hex);
// Six lower-case hex digits without "#".
QString hexadecimalValue(const RGBAColor &color);
// "#rrggbb" when alpha is exactly 1, otherwise the rgba() text.
QString cssColorValue(const RGBAColor &color);
// "rgba(r, g, b, a)" with two decimals for alpha.
QString cssColorValueRGBA(const RGBAColor &color);
// "rgb(r, g, b)".
QString cssColorValueRGB(const RGBAColor &color);

// "transparent", a table name, "#..." or the "rgba(", "hsla(", "rgb(" forms
// (case-sensitive, untrimmed); nothing for any other text.
std::optional<RGBAColor> createNSColorWithString(const QString &text);
// Any fixed colour a CSS value may name: what createNSColorWithString() reads,
// every CSS named colour in any case, and "hsl(" without alpha; nothing for
// "currentcolor" (no colour of its own) and for any other text.
std::optional<RGBAColor> cssColorWithString(const QString &text);
int getUnitWithString(const QString &text);

// Red, green, blue from 0 to 255 (alpha 1); nothing with fewer than three.
std::optional<RGBAColor> colorFromArray(const QList<float> &numbers);
// Red, green, blue from 0 to 255 and alpha from 0 to 1; nothing with fewer than four.
std::optional<RGBAColor> colorWithAlphaFromArray(const QList<float> &numbers);
// Hue in degrees, saturation and lightness in percent, alpha; nothing with
// fewer than four.
std::optional<RGBAColor> colorWithHSLAFromArray(const QList<float> &numbers);

// The 112 swatches, eight hue rows of 14 from deepest to palest.
QStringList pantoneColors();
// "#" and six upper-case hex digits, or empty for a name not in the table.
QString colorNameToHex(const QString &name);

} // namespace ColorUtil
