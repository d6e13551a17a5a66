#pragma once

#include <QList>

#include <memory>

class DOMCSSRule;
class DOMCSSStyleSheet;
class DOMCSSStyleDeclaration;
class DOMMediaList;

// The handles of the CSSOM mirror; see "Ownership" in DOMCSSRule.h.
using DOMCSSRulePtr = std::shared_ptr<DOMCSSRule>;
using DOMCSSStyleSheetPtr = std::shared_ptr<DOMCSSStyleSheet>;
using DOMCSSStyleDeclarationPtr = std::shared_ptr<DOMCSSStyleDeclaration>;
using DOMMediaListPtr = std::shared_ptr<DOMMediaList>;

// A live view of the rules of a style sheet or grouping rule. It keeps its
// owner alive, so it stays valid however long it is held.
class DOMCSSRuleList
{
public:
    DOMCSSRuleList() = default;
    // rules points into the object that owner keeps alive.
    DOMCSSRuleList(std::shared_ptr<const void> owner, const QList<DOMCSSRulePtr> *rules)
        : m_rules(std::move(owner), rules)
    {
    }

    int length() const { return m_rules ? int(m_rules->size()) : 0; }
    // Null outside [0, length).
    DOMCSSRulePtr item(int index) const
    {
        return m_rules && index >= 0 && index < m_rules->size() ? m_rules->at(index) : nullptr;
    }

private:
    std::shared_ptr<const QList<DOMCSSRulePtr>> m_rules;
};
