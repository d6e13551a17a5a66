#pragma once

#include "SyntaxColoring.h"

// The colourer of pages: lower-case tags, attributes with their names and
// quoted values (links in link blue), then comments over everything. One
// instance serves every page view.
class HTMLSyntax : public SyntaxColoring
{
    Q_OBJECT

public:
    enum Style { Tag = 1, AttrBase, AttrName, Value, LinkValue, Comment };

    explicit HTMLSyntax(QObject *parent = nullptr);
    ~HTMLSyntax() override;

    const SyntaxStyle &tagStyle() const { return style(Tag); }
    const SyntaxStyle &attrBaseStyle() const { return style(AttrBase); }
    const SyntaxStyle &attrNameStyle() const { return style(AttrName); }
    const SyntaxStyle &valueStyle() const { return style(Value); }
    const SyntaxStyle &linkValueStyle() const { return style(LinkValue); }
    const SyntaxStyle &commentStyle() const { return style(Comment); }

    // The passes, in order, over a text; a later one wins where they overlap.
    static SyntaxSpans colorSpans(const QString &text);
};
