#include "CPSyntaxTree.h"

#include "CPValue.h"

#include "platform/foundation/Assert.h"

CPSyntaxTree::CPSyntaxTree(CPRulePtr rule, QVariantList children, QVariantMap tagValues)
    : m_rule(std::move(rule)), m_children(std::move(children)), m_tagValues(std::move(tagValues))
{
}

CPSyntaxTree::~CPSyntaxTree()
{
    CPValue::disposeContents(m_children, m_tagValues);
}

CPSyntaxTreePtr CPSyntaxTree::syntaxTreeWithRule(const CPRulePtr &rule, const QVariantList &children,
                                                 const QVariantMap &tagValues)
{
    return std::make_shared<CPSyntaxTree>(rule, children, tagValues);
}

QVariant CPSyntaxTree::childAtIndex(qsizetype index) const
{
    QM_ASSERT(index >= 0 && index < m_children.size(), return {});
    return m_children.at(index);
}

bool CPSyntaxTree::isEqual(const CPSyntaxTree &other) const
{
    if (m_rule != other.m_rule || m_children.size() != other.m_children.size())
        return false;
    for (qsizetype i = 0; i < m_children.size(); ++i) {
        if (!CPValue::isEqual(m_children.at(i), other.m_children.at(i)))
            return false;
    }
    return true;
}

size_t CPSyntaxTree::hash() const
{
    return m_rule ? m_rule->hash() : 0;
}

QString CPSyntaxTree::description() const
{
    if (m_children.isEmpty())
        return QStringLiteral(")");
    QString text = QStringLiteral("(");
    for (qsizetype i = 0; i < m_children.size(); ++i) {
        if (i > 0)
            text += QLatin1Char(' ');
        text += CPValue::description(m_children.at(i));
    }
    return text + QLatin1Char(')');
}
