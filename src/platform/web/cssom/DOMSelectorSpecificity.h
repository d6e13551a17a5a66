#pragma once

#include <QString>

// The specificity of one complex selector as the cascade counts it: ids;
// classes, attributes and pseudo-classes; types and pseudo-elements. :is(),
// :not() and :has() count their most specific argument, :where() nothing,
// :-webkit-any() one pseudo-class whatever its arguments; :host(),
// :host-context() and ::slotted() themselves and their argument.
// Read from the text, so that it needs no parse tree; a selector list
// ("a, b") counts as its most specific member.
struct DOMSelectorSpecificity
{
    int ids = 0;
    int classes = 0;
    int types = 0;

    static DOMSelectorSpecificity of(const QString &selector);

    auto operator<=>(const DOMSelectorSpecificity &other) const = default;
};
