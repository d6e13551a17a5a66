#pragma once

#include "stylesheet/RGBAColor.h"

#include <QString>

#include <optional>

// One layer of a shadow value in the popover shadow editors: its four
// lengths in one length unit, its colour in a notation (0 "#" hex, 1 "rgb(",
// 2 "rgba(") and the inset flag, and the layer's CSS text (stringValue), as
// read or as last rebuilt. A layer without a colour is written without one;
// a colour text that names no colour ("currentcolor") is written as read.
class DropShadowProp
{
public:
    // The text-shadow form: the offsets, the blur and the colour.
    void createCSSValueStrngWithoutSpread();
    // The box-shadow form: the offsets, blur, spread, colour and "inset".
    void createCSSValueStrng();

    float h() const { return m_h; }
    void setH(float h) { m_h = h; }
    float v() const { return m_v; }
    void setV(float v) { m_v = v; }
    float b() const { return m_b; }
    void setB(float b) { m_b = b; }
    float s() const { return m_s; }
    void setS(float s) { m_s = s; }
    std::optional<RGBAColor> color() const { return m_color; }
    // A picked colour replaces any colour text kept as read.
    void setColor(const std::optional<RGBAColor> &color)
    {
        m_color = color;
        m_colorText.clear();
    }
    // The colour text of a layer whose colour could not be read.
    QString colorText() const { return m_colorText; }
    void setColorText(const QString &text) { m_colorText = text; }
    bool inset() const { return m_inset; }
    void setInset(bool inset) { m_inset = inset; }
    QString stringValue() const { return m_stringValue; }
    void setStringValue(const QString &text) { m_stringValue = text; }
    int unit() const { return m_unit; }
    void setUnit(int unit) { m_unit = unit; }
    QString numberUnit() const { return m_numberUnit; }
    void setNumberUnit(const QString &unit) { m_numberUnit = unit; }

    // One length as the layer writes it: fixed notation, "0" bare.
    static QString lengthText(float number, const QString &unit);

private:
    QString build(bool full) const;

    bool m_inset = false;
    float m_h = 0;
    float m_v = 0;
    float m_b = 0;
    float m_s = 0;
    int m_unit = 0;
    std::optional<RGBAColor> m_color;
    QString m_colorText;
    QString m_stringValue;
    QString m_numberUnit;
};
