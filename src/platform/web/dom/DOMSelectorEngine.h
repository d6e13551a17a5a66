#pragma once

#include "DOMSelector.h"

#include "platform/foundation/Result.h"

#include <QString>

#include <memory>

class DOMElement;
class DOMNode;
class DOMNodeList;

// Matches selectors against the mirror, as the page's engine would answer
// matches() and querySelectorAll(). Selectors are matched right to left;
// queries over a document's tree start from the document's id, class and name
// tables (DOMDocumentIndex) and other roots are walked. States the mirror
// cannot know (:hover, :focus, :visited ...) match nothing, and form states are
// read from attributes. Parsed selectors are cached by their text.
class DOMSelectorEngine
{
public:
    // The parsed list, or why the engine refuses the text.
    static Result<std::shared_ptr<const DOMSelectorList>> parse(const QString &selectors);

    // False for an invalid selector (logged once per text).
    static bool matches(const DOMElement &element, const QString &selectors);
    // :scope is scope (the element itself when null).
    static bool matches(const DOMElement &element, const DOMSelectorList &list, const DOMElement *scope = nullptr);

    // Whether a selector of the list styles the element or a pseudo-element
    // that it has ("p::first-line" a paragraph, "input::placeholder" an input
    // with a placeholder): the rules the engine lists for the element.
    static bool matchesWithPseudoElements(const DOMElement &element, const DOMSelectorList &list);

    // Elements below root (not root itself) in tree order; empty for an invalid selector.
    static DOMNodeList querySelectorAll(const DOMNode &root, const QString &selectors);
    static DOMElement *querySelector(const DOMNode &root, const QString &selectors);
};
