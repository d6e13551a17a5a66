#pragma once

#include "SyntaxColoring.h"

// The colourer of style sheets (also ".less" and ".scss"): at-keywords,
// pseudo selectors, attribute conditions, property names and values inside
// blocks, numbers with units, hex colours, "!important", quoted strings, then
// comments over everything. One instance serves every style-sheet view.
class CSSSyntax : public SyntaxColoring
{
    Q_OBJECT

public:
    enum Style { At = 1, Pseudo, Condition, Property, Value, NumberValue, StringValue, Comment };

    explicit CSSSyntax(QObject *parent = nullptr);
    ~CSSSyntax() override;

    const SyntaxStyle &atStyle() const { return style(At); }
    const SyntaxStyle &pseudoStyle() const { return style(Pseudo); }
    const SyntaxStyle &conditionStyle() const { return style(Condition); }
    const SyntaxStyle &propertyStyle() const { return style(Property); }
    const SyntaxStyle &valueStyle() const { return style(Value); }
    const SyntaxStyle &numberValueStyle() const { return style(NumberValue); }
    const SyntaxStyle &stringValueStyle() const { return style(StringValue); }
    const SyntaxStyle &commentStyle() const { return style(Comment); }

    // The passes, in order, over a text; a later one wins where they overlap.
    static SyntaxSpans colorSpans(const QString &text);
};
