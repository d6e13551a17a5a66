#include "CPShiftReduceAction.h"

#include "CPGrammar.h"

bool CPShiftReduceAction::isEqualToShiftReduceAction(const CPShiftReduceAction &other) const
{
    if (m_type != other.m_type)
        return false;
    switch (m_type) {
    case Type::Shift:
        return m_state == other.m_state;
    case Type::Reduce:
        return m_rule == other.m_rule;
    case Type::Accept:
        return true;
    }
    return false;
}

QString CPShiftReduceAction::description() const
{
    switch (m_type) {
    case Type::Shift:
        return QStringLiteral("s%1").arg(m_state);
    case Type::Reduce:
        return QStringLiteral("r%1").arg(m_rule ? m_rule->name() : QString());
    case Type::Accept:
        return QStringLiteral("acc");
    }
    return {};
}

QString CPShiftReduceAction::descriptionWithGrammar(const CPGrammar &grammar) const
{
    if (m_type == Type::Reduce)
        return QStringLiteral("r%1").arg(grammar.indexOfRule(m_rule));
    return description();
}
