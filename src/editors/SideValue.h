#pragma once

#include <QString>

#include <optional>

// One length of the length editors: nothing, a number (its unit kept by the
// editor) or one of the length keywords.
struct SideValue
{
    enum class Kind { None, Number, Keyword };
    Kind kind = Kind::None;
    double number = 0;
    QString keyword;

    static SideValue ofNumber(double value) { return {Kind::Number, value, {}}; }
    static SideValue ofKeyword(const QString &word) { return {Kind::Keyword, 0, word}; }
    bool isSet() const { return kind != Kind::None; }

    // What a user typed: empty is nothing, a keyword stays, otherwise the
    // number at the start (nothing without one).
    static SideValue fromField(const QString &text);
    // A written value: a keyword, or a number with a unit of the unit menu
    // (the unit is answered apart); nothing for any other text.
    struct Read;
    static std::optional<Read> fromCSS(const QString &text);

    // The value in CSS: zero as "0", a number in its shortest exact form
    // with the unit, a keyword as it is; empty for nothing.
    QString cssText(const QString &unit) const;
    // The text a field shows.
    QString fieldText() const;

    friend bool operator==(const SideValue &, const SideValue &) = default;
};

struct SideValue::Read
{
    SideValue value;
    QString unit;
};
