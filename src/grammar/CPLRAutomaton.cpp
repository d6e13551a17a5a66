#include "CPLRAutomaton_p.h"

#include "CPShiftReduceActionTable.h"
#include "CPShiftReduceGotoTable.h"
#include "GrammarLog.h"

#include <algorithm>

int CPGrammarIndex::internTerminal(const QString &name)
{
    auto it = m_terminalIndex.constFind(name);
    if (it != m_terminalIndex.cend())
        return *it;
    m_terminalNames.append(name);
    m_terminalIndex.insert(name, int(m_terminalNames.size() - 1));
    return int(m_terminalNames.size() - 1);
}

int CPGrammarIndex::internNonTerminal(const QString &name)
{
    auto it = m_nonTerminalIndex.constFind(name);
    if (it != m_nonTerminalIndex.cend())
        return *it;
    m_nonTerminalNames.append(name);
    m_nonTerminalIndex.insert(name, int(m_nonTerminalNames.size() - 1));
    m_rulesOf.emplace_back();
    return int(m_nonTerminalNames.size() - 1);
}

CPGrammarIndex::CPGrammarIndex(const CPGrammar &augmented, const CPRulePtr &augmentedRule)
{
    m_eof = internTerminal(QStringLiteral("EOF"));
    const QList<CPRulePtr> rules = augmented.rules();
    for (const QString &name : augmented.allNonTerminalNames())
        internNonTerminal(name);

    // Rules and their right-hand sides, symbols encoded.
    std::vector<std::vector<int>> rhs;
    rhs.reserve(size_t(rules.size()));
    for (const CPRulePtr &rule : rules) {
        const int r = int(m_rules.size());
        if (rule == augmentedRule)
            m_augmentedRule = r;
        m_rules.push_back(rule);
        const int lhs = internNonTerminal(rule->name());
        m_ruleLhs.push_back(lhs);
        m_rulesOf[size_t(lhs)].push_back(r);
        std::vector<int> symbols;
        symbols.reserve(size_t(rule->rightHandSideElements().size()));
        for (const CPGrammarSymbol &symbol : rule->rightHandSideElements())
            symbols.push_back(symbol.isTerminal() ? internTerminal(symbol.name())
                                                  : -internNonTerminal(symbol.name()) - 1);
        m_ruleLength.push_back(int(symbols.size()));
        rhs.push_back(std::move(symbols));
    }

    const size_t terminals = size_t(terminalCount());
    const size_t nonTerminals = size_t(nonTerminalCount());

    // Nullable nonterminals and FIRST sets, to a fixed point.
    std::vector<char> nullable(nonTerminals, 0);
    CPBitRows first(nonTerminals, terminals);
    const size_t words = first.words();
    for (bool changed = true; changed;) {
        changed = false;
        for (size_t r = 0; r < m_rules.size(); ++r) {
            const int lhs = m_ruleLhs[r];
            uint64_t *target = first.row(size_t(lhs));
            bool allNullable = true;
            for (int symbol : rhs[r]) {
                if (isTerminal(symbol)) {
                    if (!CPBitRows::test(target, size_t(symbol))) {
                        CPBitRows::set(target, size_t(symbol));
                        changed = true;
                    }
                    allNullable = false;
                    break;
                }
                const int n = nonTerminalOf(symbol);
                if (n != lhs)
                    changed |= CPBitRows::unite(target, first.row(size_t(n)), words);
                if (!nullable[size_t(n)]) {
                    allNullable = false;
                    break;
                }
            }
            if (allNullable && !nullable[size_t(lhs)]) {
                nullable[size_t(lhs)] = 1;
                changed = true;
            }
        }
    }

    // Items, with FIRST of what follows the symbol after the dot.
    int itemCountSoFar = 0;
    for (size_t r = 0; r < m_rules.size(); ++r) {
        m_itemBase.push_back(itemCountSoFar);
        itemCountSoFar += int(rhs[r].size()) + 1;
    }
    m_itemRule.resize(size_t(itemCountSoFar));
    m_itemNext.resize(size_t(itemCountSoFar));
    m_nullableAfterNext.assign(size_t(itemCountSoFar), 0);
    m_firstAfterNext = CPBitRows(size_t(itemCountSoFar), terminals);
    std::vector<uint64_t> suffix(words);
    for (size_t r = 0; r < m_rules.size(); ++r) {
        const int base = m_itemBase[r];
        const int length = int(rhs[r].size());
        for (int dot = 0; dot <= length; ++dot) {
            m_itemRule[size_t(base + dot)] = int(r);
            m_itemNext[size_t(base + dot)] = dot < length ? rhs[r][size_t(dot)] : NoSymbol;
        }
        // Walk backwards keeping FIRST and nullability of rhs[dot + 1 ..].
        std::fill(suffix.begin(), suffix.end(), 0);
        bool suffixNullable = true;
        for (int dot = length - 1; dot >= 0; --dot) {
            const size_t item = size_t(base + dot);
            std::copy(suffix.begin(), suffix.end(), m_firstAfterNext.row(item));
            m_nullableAfterNext[item] = suffixNullable;
            const int symbol = rhs[r][size_t(dot)];
            if (isTerminal(symbol)) {
                std::fill(suffix.begin(), suffix.end(), 0);
                CPBitRows::set(suffix.data(), size_t(symbol));
                suffixNullable = false;
            } else {
                const int n = nonTerminalOf(symbol);
                if (!nullable[size_t(n)]) {
                    std::fill(suffix.begin(), suffix.end(), 0);
                    suffixNullable = false;
                }
                CPBitRows::unite(suffix.data(), first.row(size_t(n)), words);
            }
        }
    }

    // FOLLOW sets; EOF follows the augmented start.
    m_follow = CPBitRows(nonTerminals, terminals);
    if (!m_rules.empty())
        CPBitRows::set(m_follow.row(size_t(m_ruleLhs[size_t(m_augmentedRule)])), size_t(m_eof));
    for (bool changed = true; changed;) {
        changed = false;
        for (int item = 0; item < itemCountSoFar; ++item) {
            const int symbol = m_itemNext[size_t(item)];
            if (symbol == NoSymbol || isTerminal(symbol))
                continue;
            uint64_t *target = m_follow.row(size_t(nonTerminalOf(symbol)));
            changed |= CPBitRows::unite(target, m_firstAfterNext.row(size_t(item)), words);
            if (m_nullableAfterNext[size_t(item)]) {
                const int lhs = m_ruleLhs[size_t(m_itemRule[size_t(item)])];
                changed |= CPBitRows::unite(target, m_follow.row(size_t(lhs)), words);
            }
        }
    }
}

CPLR0Automaton::CPLR0Automaton(const CPGrammarIndex &index)
{
    if (index.ruleCount() == 0)
        return;
    const int terminals = index.terminalCount();
    const int slots = terminals + index.nonTerminalCount();
    std::unordered_map<std::vector<int>, int, CPIntVectorHash> ids;
    std::vector<int> stamp(size_t(index.nonTerminalCount()), -1);
    std::vector<std::vector<int>> buckets(static_cast<size_t>(slots));
    std::vector<int> touched;
    std::vector<int> closure;

    m_states.push_back({{index.itemBase(index.augmentedRule())}, {}, {}});
    ids.emplace(m_states[0].kernel, 0);

    for (size_t s = 0; s < m_states.size(); ++s) {
        closure = m_states[s].kernel;
        std::vector<int> closureNonTerminals;
        for (size_t i = 0; i < closure.size(); ++i) {
            const int item = closure[i];
            const int symbol = index.itemNext(item);
            if (symbol == CPGrammarIndex::NoSymbol)
                continue;
            const int slot = index.symbolSlot(symbol);
            if (buckets[size_t(slot)].empty())
                touched.push_back(slot);
            buckets[size_t(slot)].push_back(item + 1);
            if (CPGrammarIndex::isTerminal(symbol))
                continue;
            const int n = CPGrammarIndex::nonTerminalOf(symbol);
            if (stamp[size_t(n)] == int(s))
                continue;
            stamp[size_t(n)] = int(s);
            closureNonTerminals.push_back(n);
            for (int r : index.rulesOf(n))
                closure.push_back(index.itemBase(r));
        }
        std::vector<std::pair<int, int>> transitions;
        transitions.reserve(touched.size());
        for (int slot : touched) {
            std::vector<int> &kernel = buckets[size_t(slot)];
            std::sort(kernel.begin(), kernel.end());
            auto [it, inserted] = ids.try_emplace(kernel, int(m_states.size()));
            if (inserted)
                m_states.push_back({kernel, {}, {}});
            const int symbol = slot < terminals ? slot : -(slot - terminals) - 1;
            transitions.emplace_back(symbol, it->second);
            kernel.clear();
        }
        touched.clear();
        m_states[s].closureNonTerminals = std::move(closureNonTerminals);
        m_states[s].transitions = std::move(transitions);
    }
}

int CPLR0Automaton::kernelPosition(int state, int item) const
{
    const std::vector<int> &kernel = m_states[size_t(state)].kernel;
    const auto it = std::lower_bound(kernel.begin(), kernel.end(), item);
    if (it == kernel.end() || *it != item)
        return -1;
    return int(it - kernel.begin());
}

CPTableWriter::CPTableWriter(const CPGrammarIndex &index, CPShiftReduceActionTable &actions,
                             CPShiftReduceGotoTable &gotos, const QSet<QString> &gotoNames, Logging logging)
    : m_index(index), m_actions(actions), m_gotos(gotos), m_ruleCodes(size_t(index.ruleCount()), 0),
      m_logging(logging)
{
    // Columns follow the terminal numbering, so a terminal is its own column.
    for (const QString &name : index.terminalNames())
        m_actions.addColumn(name);
    for (const QString &name : index.nonTerminalNames())
        m_gotoColumns.push_back(gotoNames.contains(name) ? m_gotos.addColumn(name) : -1);
}

bool CPTableWriter::accept(int state)
{
    if (m_actions.setCell(state, m_index.eofTerminal(), CPShiftReduceActionTable::AcceptKind))
        return true;
    if (m_logging == Logging::LogConflicts)
        qCWarning(lcGrammar, "Could not insert shift in action table for state %d, token EOF", state);
    return false;
}

bool CPTableWriter::shift(int state, int terminal, int target)
{
    if (m_actions.setCell(state, terminal, qint32(target) << 2 | CPShiftReduceActionTable::ShiftKind))
        return true;
    if (m_logging == Logging::LogConflicts)
        qCWarning(lcGrammar, "Could not insert shift in action table for state %d, token %s", state,
                  qPrintable(m_index.terminalNames().at(terminal)));
    return false;
}

bool CPTableWriter::reduce(int state, int terminal, int rule)
{
    qint32 &code = m_ruleCodes[size_t(rule)];
    if (code == 0)
        code = m_actions.encode(CPShiftReduceAction::reduceAction(m_index.rule(rule)));
    if (m_actions.setCell(state, terminal, code))
        return true;
    if (m_logging == Logging::LogConflicts)
        qCWarning(lcGrammar, "Could not insert reduce in action table for state %d, token %s", state,
                  qPrintable(m_index.terminalNames().at(terminal)));
    return false;
}

bool CPTableWriter::setGoto(int state, int nonTerminal, int target)
{
    if (m_gotoColumns[size_t(nonTerminal)] < 0)
        return true;
    if (m_gotos.setGoto(state, m_index.nonTerminalNames().at(nonTerminal), target))
        return true;
    if (m_logging == Logging::LogConflicts)
        qCWarning(lcGrammar, "Could not insert into goto table for state %d, token %s", state,
                  qPrintable(m_index.nonTerminalNames().at(nonTerminal)));
    return false;
}
