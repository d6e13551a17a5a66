#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// One declaration of an ignore rule ("ignore:true"): its name and its values.
class AttributeCondition
{
public:
    AttributeCondition() = default;
    AttributeCondition(QString attrName, std::optional<QStringList> condition)
        : m_attrName(std::move(attrName)), m_condition(std::move(condition))
    {
    }

    QString attrName() const { return m_attrName; }
    void setAttrName(const QString &attrName) { m_attrName = attrName; }

    // The values in text order; none when the declaration has no ":".
    const std::optional<QStringList> &condition() const { return m_condition; }
    void setCondition(std::optional<QStringList> condition) { m_condition = std::move(condition); }

    bool operator==(const AttributeCondition &other) const = default;

private:
    QString m_attrName;
    std::optional<QStringList> m_condition;
};
