#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

// The parsed form of a CSS selector list, as DOMSelectorParser makes it and
// DOMSelectorEngine matches it against the mirror.

struct DOMSelectorList;

// An+B of the :nth-*() pseudo-classes.
struct DOMNthPattern
{
    int a = 0;
    int b = 0;

    // position counts from 1.
    bool matches(int position) const
    {
        if (a == 0)
            return position == b;
        const qint64 steps = qint64(position) - b;
        return steps % a == 0 && steps / a >= 0;
    }
};

enum class DOMPseudoClass : quint8 {
    Root,
    Empty,
    FirstChild,
    LastChild,
    OnlyChild,
    NthChild,
    NthLastChild,
    FirstOfType,
    LastOfType,
    OnlyOfType,
    NthOfType,
    NthLastOfType,
    Not,
    Is,   // :is() and :where(): the same match, another specificity
    Has,
    Link, // :link and :any-link; no history, so every link is unvisited
    Checked,
    Disabled,
    Enabled,
    Required,
    Optional,
    ReadOnly,
    ReadWrite,
    PlaceholderShown,
    Lang,
    Scope,
    Defined,
    // States the mirror cannot know (:hover, :focus, :visited, ...): never match.
    Never,
};

struct DOMSimpleSelector
{
    enum class Kind : quint8 { Type, Universal, Id, Class, Attribute, PseudoClass };
    // What a namespace prefix allows: none or "*|" any, "|" no namespace.
    enum class NamespaceMatch : quint8 { Any, None };
    enum class AttributeMatch : quint8 { Exists, Equals, Includes, DashMatch, Prefix, Suffix, Substring };
    // The "i" and "s" flags of an attribute selector.
    enum class CaseMode : quint8 { Default, Insensitive, Sensitive };

    Kind kind = Kind::Universal;
    NamespaceMatch namespaceMatch = NamespaceMatch::Any;
    AttributeMatch attributeMatch = AttributeMatch::Exists;
    CaseMode caseMode = CaseMode::Default;
    // An attribute whose value HTML compares without regard to ASCII case
    // ("type", "lang" ...), when no flag says otherwise.
    bool htmlCaseInsensitiveValue = false;
    DOMPseudoClass pseudoClass = DOMPseudoClass::Never;
    QString name;      // type as written, attribute name lower-cased, id or class
    QString lowerName; // type name in ASCII lower case
    QString value;     // attribute value
    QStringList languages; // :lang()
    DOMNthPattern nth;
    std::shared_ptr<const DOMSelectorList> argument; // :not(), :is(), :has(), "of S"
};

enum class DOMCombinator : quint8 { None, Descendant, Child, NextSibling, SubsequentSibling };

struct DOMCompoundSelector
{
    // Cheap tests first; the order does not change the meaning.
    QList<DOMSimpleSelector> simples;
    // The relation to the compound written to the left of this one.
    DOMCombinator combinator = DOMCombinator::None;
};

struct DOMComplexSelector
{
    // Right to left: compounds.first() is the subject.
    QList<DOMCompoundSelector> compounds;
    // In a relative selector (inside :has()), the relation of the leftmost
    // compound to the element being tested.
    DOMCombinator leadingCombinator = DOMCombinator::None;
    // A pseudo-element makes the selector match no element: it styles a
    // part of the element its compounds match (DOMPseudoElements).
    bool hasPseudoElement = false;
    QString pseudoElement; // lower case, without colons and argument
};

struct DOMSelectorList
{
    QList<DOMComplexSelector> selectors;
};
