#pragma once

#include "stylesheet/RGBAColor.h"

#include <QString>
#include <QStringList>

#include <array>
#include <optional>

// One layer of a shadow value in the popover shadow editors: its lengths
// (offsets, blur, spread), each with its unit, its colour in a notation (0 "#"
// hex, 1 "rgb(", 2 "rgba(") or as a text (a colour name the user typed, or a
// colour that cannot be read, such as "currentcolor"), the inset flag, and the
// layer's CSS text (stringValue), as read or as last rebuilt.
//
// A layer read from a value (setWords()) is rebuilt part by part: only the
// lengths, colour and inset that were changed since are written anew; every
// other word keeps its text and place. A layer made afresh is written whole.
class DropShadowProp
{
public:
    enum Length { H, V, B, S };

    // The text-shadow form: the offsets, the blur and the colour.
    void createCSSValueStrngWithoutSpread();
    // The box-shadow form: the offsets, blur, spread, colour and "inset".
    void createCSSValueStrng();

    float h() const { return length(H); }
    void setH(float h) { setLength(H, h); }
    float v() const { return length(V); }
    void setV(float v) { setLength(V, v); }
    float b() const { return length(B); }
    void setB(float b) { setLength(B, b); }
    float s() const { return length(S); }
    void setS(float s) { setLength(S, s); }
    float length(Length which) const { return m_numbers[which]; }
    // A length changed; its unit stays (a length without one takes the layer's).
    void setLength(Length which, float number);
    // A length changed with the unit it was typed with.
    void setLength(Length which, float number, const QString &unit);
    // The unit a length is written with.
    QString lengthUnit(Length which) const;

    std::optional<RGBAColor> color() const { return m_color; }
    // A picked colour, written in the layer's notation; it replaces any
    // colour text.
    void setColor(const std::optional<RGBAColor> &color);
    // A colour written as given ("antiquewhite", "currentcolor"), with the
    // colour it stands for when it has one.
    void setColorText(const QString &text, const std::optional<RGBAColor> &color = std::nullopt);
    QString colorText() const { return m_colorText; }
    bool inset() const { return m_inset; }
    void setInset(bool inset);
    QString stringValue() const { return m_stringValue; }
    void setStringValue(const QString &text) { m_stringValue = text; }
    // The colour notation; a change rewrites the colour.
    int unit() const { return m_unit; }
    void setUnit(int unit);
    // The layer's length unit: that of its first length written with one.
    QString numberUnit() const;
    // Every length takes the unit.
    void setNumberUnit(const QString &unit);

    // The words of the layer as read, other than its lengths, with the
    // place of the lengths among them and where the colour and "inset" stand
    // (-1 when absent); the lengths as read, each its number and unit.
    struct Read
    {
        QStringList words;
        int lengthsAt = -1;
        int colorWord = -1;
        int insetWord = -1;
        QStringList lengthTexts;
    };
    void setRead(const Read &read);

    // One length as the layer writes it: fixed notation, "0" bare.
    static QString lengthText(float number, const QString &unit);

private:
    QString build(bool full) const;
    QString colorWord() const;
    QString rebuilt(bool full) const;

    bool m_inset = false;
    std::array<float, 4> m_numbers{};
    std::array<QString, 4> m_units;
    QString m_numberUnit;
    int m_unit = 0;
    std::optional<RGBAColor> m_color;
    QString m_colorText;
    QString m_stringValue;

    // What was read, and what changed since.
    std::optional<Read> m_read;
    std::array<bool, 4> m_lengthEdited{};
    bool m_colorEdited = false;
    bool m_insetEdited = false;
};
