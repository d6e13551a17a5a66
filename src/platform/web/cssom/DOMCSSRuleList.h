#pragma once

#include <QList>

#include <memory>

class DOMCSSRule;

// A live view of the rules of a style sheet or grouping rule, valid while its
// owner lives.
class DOMCSSRuleList
{
public:
    DOMCSSRuleList() = default;
    explicit DOMCSSRuleList(const QList<std::shared_ptr<DOMCSSRule>> *rules) : m_rules(rules) {}

    int length() const { return m_rules ? int(m_rules->size()) : 0; }
    // Null outside [0, length).
    DOMCSSRule *item(int index) const
    {
        return m_rules && index >= 0 && index < m_rules->size() ? m_rules->at(index).get() : nullptr;
    }
    const std::shared_ptr<DOMCSSRule> &at(int index) const { return m_rules->at(index); }

private:
    const QList<std::shared_ptr<DOMCSSRule>> *m_rules = nullptr; // Not owned.
};
