#pragma once

#include "CPRule.h"

#include <QVariantMap>

class CPGrammar;

// One entry of an action table: shift to a state, reduce by a rule, or accept.
// Reductions compare their rule by identity.
class CPShiftReduceAction
{
public:
    enum class Type { Shift = 0, Reduce = 1, Accept = 2 };

    static CPShiftReduceAction shiftAction(qsizetype state) { return {Type::Shift, state, nullptr}; }
    static CPShiftReduceAction reduceAction(const CPRulePtr &rule) { return {Type::Reduce, 0, rule}; }
    static CPShiftReduceAction acceptAction() { return {Type::Accept, 0, nullptr}; }

    Type type() const { return m_type; }
    bool isShiftAction() const { return m_type == Type::Shift; }
    bool isReduceAction() const { return m_type == Type::Reduce; }
    bool isAccept() const { return m_type == Type::Accept; }
    qsizetype newState() const { return m_state; }
    const CPRulePtr &reductionRule() const { return m_rule; }

    bool isEqualToShiftReduceAction(const CPShiftReduceAction &other) const;
    bool operator==(const CPShiftReduceAction &other) const { return isEqualToShiftReduceAction(other); }
    size_t hash() const { return size_t(m_type); }

    // "s%ld", "r" with the rule's name, or "acc".
    QString description() const;
    // Reductions as "r" with the rule's index in the grammar's orderedRules().
    QString descriptionWithGrammar(const CPGrammar &grammar) const;

private:
    CPShiftReduceAction(Type type, qsizetype state, CPRulePtr rule)
        : m_type(type), m_state(state), m_rule(std::move(rule))
    {
    }

    Type m_type;
    qsizetype m_state;
    CPRulePtr m_rule;
};
