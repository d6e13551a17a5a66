#include "CPItem.h"

std::optional<CPGrammarSymbol> CPItem::nextSymbol() const
{
    if (!m_rule || m_position >= m_rule->rightHandSideElements().size())
        return std::nullopt;
    return m_rule->rightHandSideElements().at(m_position);
}

QList<CPGrammarSymbol> CPItem::followingSymbols() const
{
    if (!m_rule)
        return {};
    return m_rule->rightHandSideElements().mid(m_position);
}

bool CPItem::isComplete() const
{
    return !m_rule || m_position >= m_rule->rightHandSideElements().size();
}

QString CPItem::description() const
{
    if (!m_rule)
        return {};
    QString text = m_rule->name() + QStringLiteral(" ::= ");
    const QList<CPGrammarSymbol> &elements = m_rule->rightHandSideElements();
    for (qsizetype i = 0; i < elements.size(); ++i) {
        if (i == m_position)
            text += QStringLiteral("• ");
        text += elements.at(i).description() + QLatin1Char(' ');
    }
    if (m_position >= elements.size())
        text += QStringLiteral("•");
    return text;
}

QString CPLR1Item::description() const
{
    return m_item.description() + QStringLiteral(", ") + m_terminal.name();
}
