#pragma once

#include "CPGrammarSymbol.h"

#include <QList>
#include <QSet>

#include <memory>
#include <variant>

class CPRHSItem;
using CPRHSItemPtr = std::shared_ptr<CPRHSItem>;
// An element of a right-hand side while reading EBNF: a symbol or a construct.
using CPRHSElement = std::variant<CPGrammarSymbol, CPRHSItemPtr>;

// An EBNF construct before it is rewritten into plain rules: a group of
// alternatives, optionally repeated ("*", "+") or optional ("?"), optionally
// tagged. Equal items share one generated nonterminal.
class CPRHSItem
{
public:
    CPRHSItem() = default;
    CPRHSItem(const CPRHSItem &) = default;

    bool repeats = false;
    bool mayNotExist = false;
    bool shouldCollapse = false;
    QList<QList<CPRHSElement>> alternatives;
    // Null when the item has no tag.
    QString tag;

    // Equal alternatives, flags and tags (two missing tags are equal).
    bool isEqual(const CPRHSItem &other) const;
    size_t hash() const;
    // "(a b| c)" followed by "*", "+" or "?"; no parentheses around a single
    // element; the tag is not printed.
    QString description() const;
    // The tags of the items inside this one, at any depth, this item's own excluded.
    QSet<QString> nestedTags() const;
    // Levels of items, this one and those inside it; kept up to date by
    // whoever builds the item (see nestingOf).
    int nesting = 1;
    // One more than the deepest item inside the alternatives.
    static int nestingOf(const QList<QList<CPRHSElement>> &alternatives);
};

bool isEqual(const CPRHSElement &a, const CPRHSElement &b);
QString description(const CPRHSElement &element);
