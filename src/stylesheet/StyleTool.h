#pragma once

#include "RGBAColor.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// Builds the CSS text of one rule from a rules-outline node, and one-line
// script statements "$('selector').css(...)" that read, set or clear one
// property on the elements matching a selector. Nothing inside a selector,
// property or value is escaped.
//
// The node operations take any outline node type that answers selectorName()
// and children(), whose children answer shouldIncludInRule(), propName() and
// valueName(); children() yields pointers (raw or smart).
class StyleTool
{
public:
    StyleTool() = delete;

    static QString emptysingeQute() { return QStringLiteral("''"); }
    static QString singeQute(const QString &text) { return u'\'' + text + u'\''; }
    static QString parenthese(const QString &text) { return u'(' + text + u')'; }
    static QString bigParenthese(const QString &text) { return u'{' + text + u'}'; }
    static QString parenteseTwoWord(const QString &first, const QString &second)
    {
        return u'(' + first + u',' + second + u')';
    }
    // "name:value;", without a second ";" when the value ends with one.
    static QString makeObject(const QString &property, const QString &value);
    static QString makeRule(const QString &selector, const QString &body)
    {
        return selector + bigParenthese(body);
    }

    template<typename Node>
    static QString generateDecrarationsString(const Node &node)
    {
        QString text;
        for (const auto &child : node.children()) {
            if (child->shouldIncludInRule())
                text += makeObject(child->propName(), child->valueName());
        }
        return text;
    }
    template<typename Node>
    static QString generateRuleString(const Node &node)
    {
        return makeRule(node.selectorName(), generateDecrarationsString(node));
    }

    // $('selector').css('property');
    static QString generateJSStringForGet(const QString &selector, const QString &property);
    // $('selector').css('property','value'); the value loses one trailing ";".
    static QString generateJSStringForApply(const QString &selector, const QString &property,
                                            const QString &value);
    // $('selector').css('property','');
    static QString generateJSStringForDelete(const QString &selector, const QString &property);

    // The colour of an "rgb(" or "rgba(" text: the first three numbers / 255,
    // alpha the fourth when there are exactly four, else 1. Nothing for a text
    // without parentheses, with fewer than three numbers, or with a piece that
    // is no number.
    static std::optional<RGBAColor> getColorFormRGBString(const QString &text);
    // Each text trimmed of blanks and tabs and read as a decimal number (C
    // locale); absent when one is no number.
    static std::optional<QList<double>> agbStringValuesToNumber(const QStringList &texts);
};
