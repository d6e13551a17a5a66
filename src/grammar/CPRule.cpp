#include "CPRule.h"

#include "CPParseResult.h"

#include <QStringList>

CPRule::CPRule(QString name, QList<CPGrammarSymbol> rightHandSide, quint64 tag,
               const CPParseResult *representitiveClass)
    : m_rightHandSide(std::move(rightHandSide)), m_name(std::move(name)), m_tag(tag),
      m_representitiveClass(representitiveClass)
{
}

CPRulePtr CPRule::ruleWithName(const QString &name, const QList<CPGrammarSymbol> &rightHandSide, quint64 tag)
{
    return std::make_shared<CPRule>(name, rightHandSide, tag);
}

CPRulePtr CPRule::ruleWithNameRightHandSideElementsRepresentitiveClass(const QString &name,
                                                                     const QList<CPGrammarSymbol> &rightHandSide,
                                                                     const CPParseResult *representitiveClass)
{
    return std::make_shared<CPRule>(name, rightHandSide, 0, representitiveClass);
}

bool CPRule::isEqual(const CPRule &other) const
{
    if (m_tag != other.m_tag || m_name != other.m_name || m_rightHandSide != other.m_rightHandSide)
        return false;
    return m_tagName.isNull() || m_tagName == other.m_tagName;
}

size_t CPRule::hash() const
{
    return qHashMulti(0, m_name, m_tag);
}

QString CPRule::description() const
{
    QStringList elements;
    for (const CPGrammarSymbol &symbol : m_rightHandSide)
        elements.append(symbol.description());
    return QStringLiteral("%1 ::= %2").arg(m_name, elements.join(QLatin1Char(' ')));
}

QVariantMap CPRule::archive() const
{
    QVariantList elements;
    for (const CPGrammarSymbol &symbol : m_rightHandSide)
        elements.append(symbol.archive());
    QVariantMap map{{QStringLiteral("t"), QVariant::fromValue(m_tag)},
                    {QStringLiteral("n"), m_name},
                    {QStringLiteral("r"), elements}};
    if (m_representitiveClass)
        map.insert(QStringLiteral("c"), m_representitiveClass->name());
    // Without these a rebuilt generated rule would neither splice nor record its match.
    if (!m_tagName.isNull())
        map.insert(QStringLiteral("tn"), m_tagName);
    if (m_shouldCollapse)
        map.insert(QStringLiteral("sc"), true);
    return map;
}

CPRulePtr CPRule::fromArchive(const QVariantMap &archive)
{
    QList<CPGrammarSymbol> elements;
    const QVariantList stored = archive.value(QStringLiteral("r")).toList();
    for (const QVariant &element : stored)
        elements.append(CPGrammarSymbol::fromArchive(element.toMap()));
    const CPParseResult *type = nullptr;
    if (archive.contains(QStringLiteral("c")))
        type = CPParseResult::typeNamed(archive.value(QStringLiteral("c")).toString());
    auto rule = std::make_shared<CPRule>(archive.value(QStringLiteral("n")).toString(), elements,
                                         archive.value(QStringLiteral("t")).toULongLong(), type);
    if (archive.contains(QStringLiteral("tn")))
        rule->setTagName(archive.value(QStringLiteral("tn")).toString());
    rule->setShouldCollapse(archive.value(QStringLiteral("sc")).toBool());
    return rule;
}
