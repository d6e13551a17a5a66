// CPGrammar: FIRST and FOLLOW sets and LR item sets, written for clarity.
// The table builders use the compact form in CPLRAutomaton instead.

#include "CPGrammar.h"

static const QString &emptyMark()
{
    static const QString mark = QStringLiteral("");
    return mark;
}

// FIRST of a sequence, given the FIRST sets of the nonterminals.
static QSet<QString> firstOfSequence(const QList<CPGrammarSymbol> &symbols,
                                     const QHash<QString, QSet<QString>> &firstSets)
{
    QSet<QString> result;
    for (const CPGrammarSymbol &symbol : symbols) {
        if (symbol.isTerminal()) {
            result.insert(symbol.name());
            return result;
        }
        const QSet<QString> first = firstSets.value(symbol.name());
        bool nullable = false;
        for (const QString &name : first) {
            if (name.isEmpty())
                nullable = true;
            else
                result.insert(name);
        }
        if (!nullable)
            return result;
    }
    result.insert(emptyMark());
    return result;
}

void CPGrammar::computeFirstSets() const
{
    // Called with m_cacheLock held.
    if (m_firstComputed)
        return;
    QHash<QString, QSet<QString>> sets;
    for (const QString &name : m_nonTerminalNames)
        sets.insert(name, {});
    bool changed = true;
    while (changed) {
        changed = false;
        for (const QString &name : m_nonTerminalNames) {
            QSet<QString> &set = sets[name];
            const qsizetype before = set.size();
            for (const CPRulePtr &rule : m_rulesByNonTerminal.value(name))
                set.unite(firstOfSequence(rule->rightHandSideElements(), sets));
            changed = changed || set.size() != before;
        }
    }
    m_firstCache = sets;
    m_firstComputed = true;
}

QSet<QString> CPGrammar::first(const QList<CPGrammarSymbol> &symbols) const
{
    QMutexLocker locker(&m_cacheLock);
    computeFirstSets();
    return firstOfSequence(symbols, m_firstCache);
}

QSet<QString> CPGrammar::firstSymbol(const CPGrammarSymbol &symbol) const
{
    return first({symbol});
}

QSet<QString> CPGrammar::follow(const QString &name) const
{
    QMutexLocker locker(&m_cacheLock);
    if (m_followCache.isEmpty()) {
        computeFirstSets();
        QHash<QString, QSet<QString>> sets;
        for (const QString &nonTerminal : m_nonTerminalNames)
            sets.insert(nonTerminal, {});
        sets[m_start].insert(QStringLiteral("EOF"));
        bool changed = true;
        while (changed) {
            changed = false;
            for (const QString &lhs : m_nonTerminalNames) {
                for (const CPRulePtr &rule : m_rulesByNonTerminal.value(lhs)) {
                    const QList<CPGrammarSymbol> &rhs = rule->rightHandSideElements();
                    for (qsizetype i = 0; i < rhs.size(); ++i) {
                        if (rhs.at(i).isTerminal())
                            continue;
                        QSet<QString> &target = sets[rhs.at(i).name()];
                        const qsizetype before = target.size();
                        QSet<QString> rest = firstOfSequence(rhs.mid(i + 1), m_firstCache);
                        if (rest.remove(emptyMark()))
                            target.unite(sets.value(lhs));
                        target.unite(rest);
                        changed = changed || target.size() != before;
                    }
                }
            }
        }
        m_followCache = sets;
    }
    return m_followCache.value(name);
}

QList<CPItem> CPGrammar::lr0Closure(const QList<CPItem> &items) const
{
    QList<CPItem> closure = items;
    QSet<CPItem> seen(items.cbegin(), items.cend());
    for (qsizetype i = 0; i < closure.size(); ++i) {
        const std::optional<CPGrammarSymbol> next = closure.at(i).nextSymbol();
        if (!next || next->isTerminal())
            continue;
        for (const CPRulePtr &rule : m_rulesByNonTerminal.value(next->name())) {
            const CPItem item(rule, 0);
            if (!seen.contains(item)) {
                seen.insert(item);
                closure.append(item);
            }
        }
    }
    return closure;
}

QList<CPLR1Item> CPGrammar::lr1Closure(const QList<CPLR1Item> &items) const
{
    QList<CPLR1Item> closure = items;
    QSet<CPLR1Item> seen(items.cbegin(), items.cend());
    for (qsizetype i = 0; i < closure.size(); ++i) {
        const CPLR1Item current = closure.at(i);
        const std::optional<CPGrammarSymbol> next = current.nextSymbol();
        if (!next || next->isTerminal())
            continue;
        QList<CPGrammarSymbol> beta = current.followingSymbols().mid(1);
        beta.append(current.terminal());
        const QSet<QString> lookaheads = first(beta);
        for (const CPRulePtr &rule : m_rulesByNonTerminal.value(next->name())) {
            for (const QString &terminal : lookaheads) {
                const CPLR1Item item(rule, 0, CPGrammarSymbol::terminalWithName(terminal));
                if (!seen.contains(item)) {
                    seen.insert(item);
                    closure.append(item);
                }
            }
        }
    }
    return closure;
}

QList<CPItem> CPGrammar::lr0GotoKernelWithItems(const QList<CPItem> &items, const CPGrammarSymbol &symbol) const
{
    QList<CPItem> kernel;
    for (const CPItem &item : items) {
        if (item.nextSymbol() == symbol)
            kernel.append(item.itemByMovingDotRight());
    }
    return kernel;
}

QList<CPLR1Item> CPGrammar::lr1GotoKernelWithItems(const QList<CPLR1Item> &items,
                                                   const CPGrammarSymbol &symbol) const
{
    QList<CPLR1Item> kernel;
    for (const CPLR1Item &item : items) {
        if (item.nextSymbol() == symbol)
            kernel.append(item.itemByMovingDotRight());
    }
    return kernel;
}

QList<QList<CPItem>> CPGrammar::lr0Kernels() const
{
    const QList<CPRulePtr> startRules = m_rulesByNonTerminal.value(m_start);
    if (startRules.isEmpty())
        return {};
    QList<QList<CPItem>> kernels{{CPItem(startRules.first(), 0)}};
    QList<QSet<CPItem>> kernelSets{QSet<CPItem>{CPItem(startRules.first(), 0)}};
    for (qsizetype state = 0; state < kernels.size(); ++state) {
        const QList<CPItem> closure = lr0Closure(kernels.at(state));
        QList<CPGrammarSymbol> symbols;
        for (const CPItem &item : closure) {
            const std::optional<CPGrammarSymbol> next = item.nextSymbol();
            if (next && !symbols.contains(*next))
                symbols.append(*next);
        }
        for (const CPGrammarSymbol &symbol : symbols) {
            const QList<CPItem> kernel = lr0GotoKernelWithItems(closure, symbol);
            const QSet<CPItem> set(kernel.cbegin(), kernel.cend());
            if (!kernelSets.contains(set)) {
                kernels.append(kernel);
                kernelSets.append(set);
            }
        }
    }
    return kernels;
}
