#pragma once

#include "CPGrammarError.h"
#include "CPItem.h"
#include "CPRule.h"

#include <QHash>
#include <QList>
#include <QMutex>
#include <QSet>
#include <QStringList>

#include <memory>

class CPGrammar;
using CPGrammarPtr = std::shared_ptr<CPGrammar>;

// A start symbol and a list of plain BNF rules, kept per nonterminal in the
// order they were added. A grammar may be built on one thread and used on
// another as long as nobody changes it afterwards; the FIRST and FOLLOW
// caches lock themselves.
//
// Reading EBNF text is in CPGrammarEBNF.cpp; item sets, FIRST and FOLLOW in
// CPGrammarItems.cpp.
class CPGrammar
{
public:
    CPGrammar() = default;
    CPGrammar(QString start, const QList<CPRulePtr> &rules);
    CPGrammar(const CPGrammar &) = delete;
    CPGrammar &operator=(const CPGrammar &) = delete;

    static CPGrammarPtr grammarWithStart(const QString &start, const QList<CPRulePtr> &rules);

    // Reads EBNF text; null and the error on failure.
    static CPGrammarPtr grammarWithStart(const QString &start, const QString &backusNaurForm,
                                         CPGrammarError *error);
    // The same, logging the error instead.
    static CPGrammarPtr grammarWithStart(const QString &start, const QString &backusNaurForm);

    const QString &start() const { return m_start; }
    void setStart(const QString &start) { m_start = start; }

    // The per-name lists concatenated, names in the order they first appeared.
    QList<CPRulePtr> rules() const;
    void setRules(const QList<CPRulePtr> &rules);
    void addRule(const CPRulePtr &rule);
    // Empty when the name has no rules.
    QList<CPRulePtr> rulesForNonTerminalWithName(const QString &name) const;
    QStringList allNonTerminalNames() const { return m_nonTerminalNames; }

    // Highest tag first, then by name, then shorter right-hand sides first.
    QList<CPRulePtr> orderedRules() const;
    // The rule's index in orderedRules(), by identity; -1 when absent.
    qsizetype indexOfRule(const CPRulePtr &rule) const;
    // One line "%3ld rule\n" per rule of orderedRules().
    QString description() const;

    // A new grammar with start "s'" holding these rules plus s' ::= <start>.
    CPGrammarPtr augmentedGrammar() const;

    QSet<QString> allSymbolNames() const;
    static QSet<QString> symbolNamesInRules(const QList<CPRulePtr> &rules);
    // The name, or with "_" put in front until it is free.
    QString uniqueSymbolNameBasedOnName(const QString &name) const;
    static QString symbolNameNotInSet(const QSet<QString> &names, const QString &name);

    // Equal start names and equal rule lists.
    bool isEqual(const CPGrammar &other) const;

    // FIRST and FOLLOW as sets of terminal names; "" in a FIRST set marks
    // that the symbols can derive nothing. EOF follows the start symbol.
    QSet<QString> first(const QList<CPGrammarSymbol> &symbols) const;
    QSet<QString> firstSymbol(const CPGrammarSymbol &symbol) const;
    QSet<QString> follow(const QString &name) const;

    QList<CPItem> lr0Closure(const QList<CPItem> &items) const;
    QList<CPLR1Item> lr1Closure(const QList<CPLR1Item> &items) const;
    QList<CPItem> lr0GotoKernelWithItems(const QList<CPItem> &items, const CPGrammarSymbol &symbol) const;
    QList<CPLR1Item> lr1GotoKernelWithItems(const QList<CPLR1Item> &items, const CPGrammarSymbol &symbol) const;
    // The LR(0) kernel sets in state order, starting from {s' ::= • start};
    // call it on an augmented grammar.
    QList<QList<CPItem>> lr0Kernels() const;

    // Keys "s" (start) and "r" (rules).
    QVariantMap archive() const;
    static CPGrammarPtr fromArchive(const QVariantMap &archive);

private:
    void computeFirstSets() const;

    QString m_start;
    QHash<QString, QList<CPRulePtr>> m_rulesByNonTerminal;
    QStringList m_nonTerminalNames;

    mutable QMutex m_cacheLock;
    mutable bool m_firstComputed = false;
    mutable QHash<QString, QSet<QString>> m_firstCache;
    mutable QHash<QString, QSet<QString>> m_followCache;
};
