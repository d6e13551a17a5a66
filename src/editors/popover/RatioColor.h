#pragma once

#include "stylesheet/RGBAColor.h"

#include <memory>

// One colour stop of a gradient: its position from 0 (start) to 1 (end), its
// colour and the notation its colour is written in (0 "#", 1 "rgb(", 2
// "rgba(").
class RatioColor
{
public:
    RatioColor(float ratio, const RGBAColor &color) : m_ratio(ratio), m_color(color) {}

    float ratio() const { return m_ratio; }
    void setRatio(float ratio) { m_ratio = ratio; }
    int unit() const { return m_unit; }
    void setUnit(int unit) { m_unit = unit; }
    RGBAColor color() const { return m_color; }
    void setColor(const RGBAColor &color) { m_color = color; }

private:
    float m_ratio = 0;
    int m_unit = 0;
    RGBAColor m_color;
};

using RatioColorPtr = std::shared_ptr<RatioColor>;
