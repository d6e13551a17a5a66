#include "CPLALR1Parser.h"

#include "CPLRAutomaton_p.h"
#include "GrammarLog.h"

namespace {

// Lookaheads inside one LR(0) state's closure. Every nonkernel item of a
// nonterminal B shares one lookahead set: terminals generated within the
// closure (spontaneous) plus the lookaheads of some kernel items (propagated),
// kept as a bit per kernel item. Computed without any dummy lookahead symbol.
class ClosureLookaheads
{
public:
    ClosureLookaheads(const CPGrammarIndex &index, std::vector<int> &localIndex)
        : m_index(index), m_localIndex(localIndex)
    {
    }

    void compute(const CPLR0Automaton::State &state)
    {
        const std::vector<int> &nonTerminals = state.closureNonTerminals;
        for (size_t j = 0; j < nonTerminals.size(); ++j)
            m_localIndex[size_t(nonTerminals[j])] = int(j);
        m_spontaneous = CPBitRows(nonTerminals.size(), size_t(m_index.terminalCount()));
        m_propagated = CPBitRows(nonTerminals.size(), state.kernel.size());
        const size_t words = m_spontaneous.words();

        for (size_t k = 0; k < state.kernel.size(); ++k) {
            const int item = state.kernel[k];
            const int symbol = m_index.itemNext(item);
            if (symbol == CPGrammarIndex::NoSymbol || CPGrammarIndex::isTerminal(symbol))
                continue;
            const size_t target = size_t(m_localIndex[size_t(CPGrammarIndex::nonTerminalOf(symbol))]);
            CPBitRows::unite(m_spontaneous.row(target), m_index.firstAfterNext(item), words);
            if (m_index.nullableAfterNext(item))
                CPBitRows::set(m_propagated.row(target), k);
        }
        m_edges.clear();
        for (size_t from = 0; from < nonTerminals.size(); ++from) {
            for (int r : m_index.rulesOf(nonTerminals[from])) {
                const int item = m_index.itemBase(r);
                const int symbol = m_index.itemNext(item);
                if (symbol == CPGrammarIndex::NoSymbol || CPGrammarIndex::isTerminal(symbol))
                    continue;
                const size_t target = size_t(m_localIndex[size_t(CPGrammarIndex::nonTerminalOf(symbol))]);
                CPBitRows::unite(m_spontaneous.row(target), m_index.firstAfterNext(item), words);
                if (m_index.nullableAfterNext(item) && target != from)
                    m_edges.emplace_back(from, target);
            }
        }
        // What reaches A's items also reaches the items A's rules start with.
        const size_t kernelWords = m_propagated.words();
        for (bool changed = !m_edges.empty(); changed;) {
            changed = false;
            for (const auto &[from, to] : m_edges) {
                changed |= CPBitRows::unite(m_spontaneous.row(to), m_spontaneous.row(from), words);
                changed |= CPBitRows::unite(m_propagated.row(to), m_propagated.row(from), kernelWords);
            }
        }
    }

    int localIndex(int nonTerminal) const { return m_localIndex[size_t(nonTerminal)]; }
    const uint64_t *spontaneous(size_t local) const { return m_spontaneous.row(local); }
    const uint64_t *propagated(size_t local) const { return m_propagated.row(local); }
    size_t kernelWords() const { return m_propagated.words(); }

private:
    const CPGrammarIndex &m_index;
    std::vector<int> &m_localIndex;
    CPBitRows m_spontaneous;
    CPBitRows m_propagated;
    std::vector<std::pair<size_t, size_t>> m_edges;
};

} // namespace

std::unique_ptr<CPLALR1Parser> CPLALR1Parser::parserWithGrammar(const CPGrammarPtr &grammar)
{
    if (!grammar)
        return nullptr;
    return buildParser(std::unique_ptr<CPLALR1Parser>(new CPLALR1Parser(grammar)));
}

std::unique_ptr<CPLALR1Parser> CPLALR1Parser::fromArchive(const QVariantMap &archive)
{
    CPGrammarPtr grammar = CPGrammar::fromArchive(archive.value(QStringLiteral("g")).toMap());
    std::unique_ptr<CPLALR1Parser> parser(new CPLALR1Parser(grammar));
    if (!parser->restore(archive)) {
        qCWarning(lcGrammar, "Could not restore a parser from its archive");
        return nullptr;
    }
    return parser;
}

bool CPLALR1Parser::constructShiftReduceTables()
{
    const CPGrammarPtr augmented = grammar()->augmentedGrammar();
    const CPGrammarIndex index(*augmented, augmented->rulesForNonTerminalWithName(QStringLiteral("s'")).last());
    const CPLR0Automaton automaton(index);
    const auto &states = automaton.states();
    const size_t stateCount = states.size();
    const size_t words = index.terminalWords();

    // Kernel items of all states numbered one after another.
    std::vector<int> kernelOffset(stateCount + 1, 0);
    for (size_t s = 0; s < stateCount; ++s)
        kernelOffset[s + 1] = kernelOffset[s] + int(states[s].kernel.size());
    const size_t kernelItems = size_t(kernelOffset[stateCount]);
    CPBitRows lookaheads(kernelItems, size_t(index.terminalCount()));
    std::vector<std::vector<int>> links(kernelItems);
    if (stateCount > 0)
        CPBitRows::set(lookaheads.row(0), size_t(index.eofTerminal()));

    std::vector<int> localIndex(size_t(index.nonTerminalCount()), -1);
    std::vector<int> targets(size_t(index.terminalCount() + index.nonTerminalCount()), -1);
    ClosureLookaheads closure(index, localIndex);

    // The kernel item that an item with its dot moved right lands on.
    auto successor = [&](int item) {
        const int target = targets[size_t(index.symbolSlot(index.itemNext(item)))];
        return kernelOffset[size_t(target)] + automaton.kernelPosition(target, item + 1);
    };

    // Spontaneous lookaheads and propagation links.
    for (size_t s = 0; s < stateCount; ++s) {
        const CPLR0Automaton::State &state = states[s];
        for (const auto &[symbol, target] : state.transitions)
            targets[size_t(index.symbolSlot(symbol))] = target;
        closure.compute(state);
        for (size_t k = 0; k < state.kernel.size(); ++k) {
            if (index.itemNext(state.kernel[k]) != CPGrammarIndex::NoSymbol)
                links[size_t(kernelOffset[s]) + k].push_back(successor(state.kernel[k]));
        }
        for (size_t j = 0; j < state.closureNonTerminals.size(); ++j) {
            for (int r : index.rulesOf(state.closureNonTerminals[j])) {
                const int item = index.itemBase(r);
                if (index.itemNext(item) == CPGrammarIndex::NoSymbol)
                    continue;
                const int next = successor(item);
                CPBitRows::unite(lookaheads.row(size_t(next)), closure.spontaneous(j), words);
                CPBitRows::forEach(closure.propagated(j), closure.kernelWords(), [&](int k) {
                    links[size_t(kernelOffset[s] + k)].push_back(next);
                });
            }
        }
        for (const auto &[symbol, target] : state.transitions)
            targets[size_t(index.symbolSlot(symbol))] = -1;
    }

    // Propagate along the links until nothing changes.
    std::vector<int> work;
    std::vector<char> queued(kernelItems, 0);
    for (size_t g = 0; g < kernelItems; ++g) {
        work.push_back(int(g));
        queued[g] = 1;
    }
    while (!work.empty()) {
        const int from = work.back();
        work.pop_back();
        queued[size_t(from)] = 0;
        for (int to : links[size_t(from)]) {
            if (CPBitRows::unite(lookaheads.row(size_t(to)), lookaheads.row(size_t(from)), words)
                && !queued[size_t(to)]) {
                queued[size_t(to)] = 1;
                work.push_back(to);
            }
        }
    }

    // The tables, item by item of each state's closure.
    CPShiftReduceActionTable actions(qsizetype(states.size()));
    CPShiftReduceGotoTable gotos(qsizetype(states.size()));
    const QStringList names = grammar()->allNonTerminalNames();
    CPTableWriter writer(index, actions, gotos, QSet<QString>(names.cbegin(), names.cend()),
                         CPTableWriter::Logging::LogConflicts);
    std::vector<uint64_t> epsilonLookaheads(words);
    for (size_t s = 0; s < stateCount; ++s) {
        const CPLR0Automaton::State &state = states[s];
        const int stateNumber = int(s);
        for (const auto &[symbol, target] : state.transitions)
            targets[size_t(index.symbolSlot(symbol))] = target;
        bool ok = true;
        auto reduceOn = [&](const uint64_t *terminals, int rule) {
            CPBitRows::forEach(terminals, words, [&](int terminal) { ok = ok && writer.reduce(stateNumber, terminal, rule); });
        };
        for (size_t k = 0; k < state.kernel.size() && ok; ++k) {
            const int item = state.kernel[k];
            const int symbol = index.itemNext(item);
            if (symbol == CPGrammarIndex::NoSymbol) {
                const int rule = index.itemRule(item);
                if (rule == index.augmentedRule())
                    ok = writer.accept(stateNumber);
                else
                    reduceOn(lookaheads.row(size_t(kernelOffset[s]) + k), rule);
            } else if (CPGrammarIndex::isTerminal(symbol)) {
                ok = writer.shift(stateNumber, symbol, targets[size_t(symbol)]);
            }
        }
        bool lookaheadsComputed = false;
        for (size_t j = 0; j < state.closureNonTerminals.size() && ok; ++j) {
            for (int r : index.rulesOf(state.closureNonTerminals[j])) {
                const int item = index.itemBase(r);
                const int symbol = index.itemNext(item);
                if (symbol == CPGrammarIndex::NoSymbol) {
                    // An empty rule: reduce on what this nonterminal's items see.
                    if (!lookaheadsComputed) {
                        closure.compute(state);
                        lookaheadsComputed = true;
                    }
                    std::copy(closure.spontaneous(j), closure.spontaneous(j) + words, epsilonLookaheads.begin());
                    CPBitRows::forEach(closure.propagated(j), closure.kernelWords(), [&](int k) {
                        CPBitRows::unite(epsilonLookaheads.data(), lookaheads.row(size_t(kernelOffset[s] + k)), words);
                    });
                    reduceOn(epsilonLookaheads.data(), r);
                } else if (CPGrammarIndex::isTerminal(symbol)) {
                    ok = writer.shift(stateNumber, symbol, targets[size_t(symbol)]);
                }
                if (!ok)
                    break;
            }
        }
        for (const auto &[symbol, target] : state.transitions) {
            if (ok && !CPGrammarIndex::isTerminal(symbol))
                ok = writer.setGoto(stateNumber, CPGrammarIndex::nonTerminalOf(symbol), target);
            targets[size_t(index.symbolSlot(symbol))] = -1;
        }
        if (!ok)
            return false;
    }
    setTables(std::move(actions), std::move(gotos));
    return true;
}
