#pragma once

#include "DOMSelector.h"

#include "platform/foundation/Result.h"

#include <memory>

// Reads a CSS selector list as querySelectorAll() and matches() take it
// (Selectors Level 4 as the engine implements it): type, universal, class, id
// and attribute selectors with every operator and the "i"/"s" flags, the four
// combinators, pseudo-classes (:has() taking relative selectors, :is() and
// :where() forgiving), pseudo-elements and CSS escapes. Namespace prefixes
// other than "*|" and "|" are refused, as no namespaces are declared.
//
// The result is null with the reason when the engine would refuse the text.
// Nesting deeper than s_maxNesting and more than s_maxCompounds compounds in
// one selector are refused too, so that any input is parsed and matched in
// bounded stack space.
class DOMSelectorParser
{
public:
    static constexpr int s_maxNesting = 32;
    static constexpr int s_maxCompounds = 256;

    static Result<std::shared_ptr<const DOMSelectorList>> parse(const QString &text);
};
