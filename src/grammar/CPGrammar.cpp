#include "CPGrammar.h"

#include <algorithm>

CPGrammar::CPGrammar(QString start, const QList<CPRulePtr> &rules) : m_start(std::move(start))
{
    setRules(rules);
}

CPGrammarPtr CPGrammar::grammarWithStart(const QString &start, const QList<CPRulePtr> &rules)
{
    return std::make_shared<CPGrammar>(start, rules);
}

QList<CPRulePtr> CPGrammar::rules() const
{
    QList<CPRulePtr> all;
    for (const QString &name : m_nonTerminalNames)
        all.append(m_rulesByNonTerminal.value(name));
    return all;
}

void CPGrammar::setRules(const QList<CPRulePtr> &rules)
{
    m_rulesByNonTerminal.clear();
    m_nonTerminalNames.clear();
    for (const CPRulePtr &rule : rules)
        addRule(rule);
}

void CPGrammar::addRule(const CPRulePtr &rule)
{
    if (!rule)
        return;
    auto it = m_rulesByNonTerminal.find(rule->name());
    if (it == m_rulesByNonTerminal.end()) {
        m_nonTerminalNames.append(rule->name());
        it = m_rulesByNonTerminal.insert(rule->name(), {});
    }
    it->append(rule);
    QMutexLocker locker(&m_cacheLock);
    m_firstComputed = false;
    m_firstCache.clear();
    m_followCache.clear();
}

QList<CPRulePtr> CPGrammar::rulesForNonTerminalWithName(const QString &name) const
{
    return m_rulesByNonTerminal.value(name);
}

QList<CPRulePtr> CPGrammar::orderedRules() const
{
    QList<CPRulePtr> ordered = rules();
    std::stable_sort(ordered.begin(), ordered.end(), [](const CPRulePtr &a, const CPRulePtr &b) {
        if (a->tag() != b->tag())
            return a->tag() > b->tag();
        if (a->name() != b->name())
            return a->name() < b->name();
        return a->rightHandSideElements().size() < b->rightHandSideElements().size();
    });
    return ordered;
}

qsizetype CPGrammar::indexOfRule(const CPRulePtr &rule) const
{
    return orderedRules().indexOf(rule);
}

QString CPGrammar::description() const
{
    QString text;
    const QList<CPRulePtr> ordered = orderedRules();
    for (qsizetype i = 0; i < ordered.size(); ++i)
        text += QStringLiteral("%1 %2\n").arg(i, 3).arg(ordered.at(i)->description());
    return text;
}

CPGrammarPtr CPGrammar::augmentedGrammar() const
{
    QList<CPRulePtr> all = rules();
    all.append(CPRule::ruleWithName(QStringLiteral("s'"), {CPGrammarSymbol::nonTerminalWithName(m_start)}));
    return grammarWithStart(QStringLiteral("s'"), all);
}

QSet<QString> CPGrammar::symbolNamesInRules(const QList<CPRulePtr> &rules)
{
    QSet<QString> names;
    for (const CPRulePtr &rule : rules) {
        names.insert(rule->name());
        for (const CPGrammarSymbol &symbol : rule->rightHandSideElements())
            names.insert(symbol.name());
    }
    return names;
}

QSet<QString> CPGrammar::allSymbolNames() const
{
    return symbolNamesInRules(rules());
}

QString CPGrammar::symbolNameNotInSet(const QSet<QString> &names, const QString &name)
{
    QString candidate = name;
    while (names.contains(candidate))
        candidate.prepend(QLatin1Char('_'));
    return candidate;
}

QString CPGrammar::uniqueSymbolNameBasedOnName(const QString &name) const
{
    return symbolNameNotInSet(allSymbolNames(), name);
}

bool CPGrammar::isEqual(const CPGrammar &other) const
{
    if (m_start != other.m_start)
        return false;
    const QList<CPRulePtr> mine = rules();
    const QList<CPRulePtr> theirs = other.rules();
    if (mine.size() != theirs.size())
        return false;
    for (qsizetype i = 0; i < mine.size(); ++i) {
        if (!mine.at(i)->isEqual(*theirs.at(i)))
            return false;
    }
    return true;
}

QVariantMap CPGrammar::archive() const
{
    QVariantList stored;
    for (const CPRulePtr &rule : rules())
        stored.append(rule->archive());
    return {{QStringLiteral("s"), m_start}, {QStringLiteral("r"), stored}};
}

CPGrammarPtr CPGrammar::fromArchive(const QVariantMap &archive)
{
    QList<CPRulePtr> rules;
    const QVariantList stored = archive.value(QStringLiteral("r")).toList();
    for (const QVariant &rule : stored)
        rules.append(CPRule::fromArchive(rule.toMap()));
    return grammarWithStart(archive.value(QStringLiteral("s")).toString(), rules);
}
