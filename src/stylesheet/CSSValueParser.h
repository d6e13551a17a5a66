#pragma once

#include <QMap>
#include <QString>

#include <optional>

// Longhand name -> value text, as a shorthand value parser answers it.
using CSSValueMap = QMap<QString, QString>;

// Splits the value of one shorthand property into the values of its
// longhands. A parser keeps no state; CSSProperty::getValueParser() makes one
// per use. parse() answers nothing when the value does not fit the shorthand.
// A trailing "!important" word is ignored by every parser.
class CSSValueParser
{
public:
    virtual ~CSSValueParser() = default;
    virtual std::optional<CSSValueMap> parse(const QString &value) const = 0;
};

// The box shorthands fill top, right, bottom, left from one to four words by
// position, as CSS does.
class CSSMarginParser final : public CSSValueParser
{
public:
    std::optional<CSSValueMap> parse(const QString &value) const override;
};

class CSSPaddingParser final : public CSSValueParser
{
public:
    std::optional<CSSValueMap> parse(const QString &value) const override;
};

class CSSBorderRadiusParser final : public CSSValueParser
{
public:
    std::optional<CSSValueMap> parse(const QString &value) const override;
};

// The border-side and outline shorthands take up to three words in any order
// and give each to the longhand its kind fits: a line-style keyword, a width,
// a colour. A longhand without a word gets its initial value ("none",
// "medium", "currentcolor"). A word of no known kind, or two of one kind,
// refuses the value.
class CSSBorderSideParser : public CSSValueParser
{
public:
    std::optional<CSSValueMap> parse(const QString &value) const override;

protected:
    explicit CSSBorderSideParser(QString side)
        : m_side(std::move(side))
    {}
    virtual bool isStyleWord(const QString &lowerWord) const;

private:
    QString m_side;
};

class CSSBorderTopParser final : public CSSBorderSideParser
{
public:
    CSSBorderTopParser()
        : CSSBorderSideParser(QStringLiteral("border-top"))
    {}
};

class CSSBorderLeftParser final : public CSSBorderSideParser
{
public:
    CSSBorderLeftParser()
        : CSSBorderSideParser(QStringLiteral("border-left"))
    {}
};

class CSSBorderRightParser final : public CSSBorderSideParser
{
public:
    CSSBorderRightParser()
        : CSSBorderSideParser(QStringLiteral("border-right"))
    {}
};

class CSSBorderBottomParser final : public CSSBorderSideParser
{
public:
    CSSBorderBottomParser()
        : CSSBorderSideParser(QStringLiteral("border-bottom"))
    {}
};

// border: one side's words, given to all four sides (top, right, bottom, left).
class CSSBorderParser final : public CSSValueParser
{
public:
    std::optional<CSSValueMap> parse(const QString &value) const override;
};

class CSSOutlineStyleParser final : public CSSBorderSideParser
{
public:
    CSSOutlineStyleParser()
        : CSSBorderSideParser(QStringLiteral("outline"))
    {}

protected:
    bool isStyleWord(const QString &lowerWord) const override;
};

// list-style: a marker type, a position ("inside", "outside") and an image,
// in any order; "none" fills whichever of type and image is left. Missing
// longhands get "disc", "outside" and "none".
class CSSListStyleParser final : public CSSValueParser
{
public:
    std::optional<CSSValueMap> parse(const QString &value) const override;
};

// The font and background parsers fill their keys by word count only; they
// are not in the shorthand table, so the rules outline never expands them.
class FontParser final : public CSSValueParser
{
public:
    std::optional<CSSValueMap> parse(const QString &value) const override;
};

class CSSBackgroundParser final : public CSSValueParser
{
public:
    std::optional<CSSValueMap> parse(const QString &value) const override;
};
