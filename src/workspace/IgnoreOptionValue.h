#pragma once

#include "AttributeCondition.h"

#include <QList>
#include <QString>

// One parsed ignore rule: a selector and its declarations, in text order.
// A merged rule (ProjectUtil::computedIgnoreOptionValue) has no selector.
class IgnoreOptionValue
{
public:
    // Null for a merged rule.
    QString selector() const { return m_selector; }
    void setSelector(const QString &selector) { m_selector = selector; }

    const QList<AttributeCondition> &attributeConditions() const { return m_attributeConditions; }
    QList<AttributeCondition> &attributeConditions() { return m_attributeConditions; }
    void addAttributeCondition(const AttributeCondition &condition)
    {
        m_attributeConditions.append(condition);
    }

    // The first condition with that name, or null.
    const AttributeCondition *conditionNamed(const QString &attrName) const
    {
        for (const AttributeCondition &condition : m_attributeConditions) {
            if (condition.attrName() == attrName)
                return &condition;
        }
        return nullptr;
    }

    bool operator==(const IgnoreOptionValue &other) const = default;

private:
    QString m_selector;
    QList<AttributeCondition> m_attributeConditions;
};
