#pragma once

#include "CPRule.h"

#include <QHash>
#include <QList>

#include <optional>

// An LR(0) item: a rule with a dot in its right-hand side. Items compare
// their rule by identity, not by rule equality.
class CPItem
{
public:
    CPItem() = default;
    CPItem(CPRulePtr rule, qsizetype position) : m_rule(std::move(rule)), m_position(position) {}
    static CPItem itemWithRule(const CPRulePtr &rule, qsizetype position) { return {rule, position}; }

    const CPRulePtr &rule() const { return m_rule; }
    qsizetype position() const { return m_position; }

    // The element at the dot; none when the dot is at the end.
    std::optional<CPGrammarSymbol> nextSymbol() const;
    // The elements from the dot to the end.
    QList<CPGrammarSymbol> followingSymbols() const;
    CPItem itemByMovingDotRight() const { return {m_rule, m_position + 1}; }
    bool isComplete() const;

    // "name ::= a • b " with the dot before the element at it, or "•" at the end.
    QString description() const;
    bool operator==(const CPItem &other) const
    {
        return m_rule == other.m_rule && m_position == other.m_position;
    }

private:
    CPRulePtr m_rule;
    qsizetype m_position = 0;
};

inline size_t qHash(const CPItem &item, size_t seed = 0)
{
    return qHashMulti(seed, quintptr(item.rule().get()), item.position());
}

// An LR(1) item: an LR(0) item with one lookahead terminal.
class CPLR1Item
{
public:
    CPLR1Item() = default;
    CPLR1Item(CPRulePtr rule, qsizetype position, CPGrammarSymbol terminal)
        : m_item(std::move(rule), position), m_terminal(std::move(terminal))
    {
    }
    CPLR1Item(CPItem item, CPGrammarSymbol terminal) : m_item(std::move(item)), m_terminal(std::move(terminal)) {}
    static CPLR1Item lr1ItemWithRule(const CPRulePtr &rule, qsizetype position, const CPGrammarSymbol &terminal)
    {
        return {rule, position, terminal};
    }

    const CPItem &item() const { return m_item; }
    const CPRulePtr &rule() const { return m_item.rule(); }
    qsizetype position() const { return m_item.position(); }
    const CPGrammarSymbol &terminal() const { return m_terminal; }
    std::optional<CPGrammarSymbol> nextSymbol() const { return m_item.nextSymbol(); }
    QList<CPGrammarSymbol> followingSymbols() const { return m_item.followingSymbols(); }
    // The lookahead stays the same.
    CPLR1Item itemByMovingDotRight() const { return {m_item.itemByMovingDotRight(), m_terminal}; }

    // The item's description followed by ", terminal".
    QString description() const;
    bool operator==(const CPLR1Item &other) const
    {
        return m_item == other.m_item && m_terminal == other.m_terminal;
    }

private:
    CPItem m_item;
    CPGrammarSymbol m_terminal;
};

inline size_t qHash(const CPLR1Item &item, size_t seed = 0)
{
    return qHashMulti(seed, item.item(), item.terminal());
}
