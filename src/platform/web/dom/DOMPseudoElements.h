#pragma once

#include <QString>

class DOMElement;

// The pseudo-elements the page's engine knows, and which of them an
// element has. The engine lists the rules of an element's pseudo-elements
// with the element's own ("input::placeholder" for an input with a
// placeholder, "p::first-line" for a paragraph). Some belong to every
// element (::before, ::selection, the scroll bar's parts); the others are
// parts the engine builds inside a form control or a media element, by its
// type and attributes. Names are lower case, without the colons, and a
// functional one without its argument ("highlight" for "::highlight(x)").
class DOMPseudoElements
{
public:
    DOMPseudoElements() = delete;

    enum class Kind {
        Unknown,      // a "-webkit-" name the program does not know
        EveryElement, // ::before, ::marker, ::selection ...
        Part,         // a part of some form controls or media elements
        NoElement,    // no element of the mirror has it (::part(), ::cue, transitions)
    };
    static Kind kindOf(const QString &name);

    // Whether a selector may name it: the engine reads any "-webkit-" name
    // (and gives it to no element it does not know), and refuses other
    // unknown and other vendors' names with the whole rule.
    static bool isPseudoElement(const QString &name);
    static bool isFunctionalPseudoElement(const QString &name);

    // Whether the element has the pseudo-element. A name the program does
    // not know answers no, logged once per name.
    static bool isPseudoElementOf(const DOMElement &element, const QString &name);
};
