#pragma once

#include "LengthValue.h"

#include "stylesheet/RGBAColor.h"

#include <QList>
#include <QStringList>

#include <memory>
#include <optional>

// One layer of a text-shadow or box-shadow value: offsets, blur, spread,
// colour and the inset flag. The shadow parsers build these; the shadow
// editor lists them, edits them in place and writes them back with
// stringValue(), one layer at a time.
class DropShadowValue
{
public:
    // Black, offsets of 1 px, no blur, no spread, not inset.
    static DropShadowValue defaultValue();

    // The lengths a length field takes instead of a number: "initial",
    // "inherit", "auto".
    static QStringList lengthKeywords();

    bool inset() const { return m_inset; }
    void setInset(bool inset) { m_inset = inset; }
    const std::optional<RGBAColor> &color() const { return m_color; }
    void setColor(const std::optional<RGBAColor> &color) { m_color = color; }
    const LengthValue &x() const { return m_x; }
    void setX(const LengthValue &x) { m_x = x; }
    const LengthValue &y() const { return m_y; }
    void setY(const LengthValue &y) { m_y = y; }
    const std::optional<LengthValue> &blur() const { return m_blur; }
    void setBlur(const std::optional<LengthValue> &blur) { m_blur = blur; }
    const std::optional<LengthValue> &spread() const { return m_spread; }
    void setSpread(const std::optional<LengthValue> &spread) { m_spread = spread; }

    // The CSS text of this layer: ["inset "] x y [blur] [spread] [colour].
    // The colour always comes last, as "#rrggbb" when opaque and as rgba()
    // otherwise, whatever its place in the parsed text.
    QString stringValue() const;

private:
    bool m_inset = false;
    std::optional<RGBAColor> m_color;
    LengthValue m_x;
    LengthValue m_y;
    std::optional<LengthValue> m_blur;
    std::optional<LengthValue> m_spread;
};

using DropShadowValuePtr = std::shared_ptr<DropShadowValue>;
using DropShadowList = QList<DropShadowValuePtr>;
