#pragma once

#include "stylesheet/RGBAColor.h"

#include <QString>

#include <memory>
#include <optional>

// One colour stop of a gradient: its position from 0 (start) to 1 (end), its
// colour and the notation its colour is written in (0 "#", 1 "rgb(", 2
// "rgba("), or a colour text written as it stands (a name).
//
// A stop read from a value keeps its text (setWritten()) until it changes:
// then only the part that changed, colour or position, is written anew.
class RatioColor
{
public:
    RatioColor(float ratio, const RGBAColor &color) : m_ratio(ratio), m_color(color) {}

    float ratio() const { return m_ratio; }
    void setRatio(float ratio);
    int unit() const { return m_unit; }
    void setUnit(int unit);
    RGBAColor color() const { return m_color; }
    void setColor(const RGBAColor &color);
    // A colour written as given ("antiquewhite"), standing for the colour.
    void setColorText(const QString &text, const RGBAColor &color);
    QString colorText() const { return m_colorText; }
    bool isWritten() const { return m_written.has_value(); }

    // The stop as read: its whole text between the commas (blanks kept),
    // its colour's text and its position's text (empty when none was written).
    void setWritten(const QString &text, const QString &colorText, const QString &positionText);
    // The stop's text: as read while nothing changed; else the colour (its
    // text, or colorByNotation) and the position as read, or the ratio
    // formatted (to a tenth of a percent) when it changed. A position at 0
    // or 100 is left out unless one was written.
    QString text(const QString &colorByNotation) const;

private:
    float m_ratio = 0;
    int m_unit = 0;
    RGBAColor m_color;
    QString m_colorText;
    // As read; changed parts are no longer taken from it.
    std::optional<QString> m_written;
    QString m_writtenPosition;
    bool m_colorChanged = false;
    bool m_ratioChanged = false;
};

using RatioColorPtr = std::shared_ptr<RatioColor>;
