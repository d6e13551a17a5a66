#include "CPLR1Parser.h"

#include "CPLRAutomaton_p.h"

#include <algorithm>
#include <numeric>

namespace {

// A canonical LR(1) state: kernel items sorted by id, each with its lookahead
// row, plus what the tables need once all states are known.
struct LR1State {
    std::vector<int> items;
    std::vector<uint64_t> lookaheads; // items.size() rows of the terminal width
    std::vector<std::pair<int, int>> transitions;
    std::vector<std::pair<int, std::vector<uint64_t>>> reductions;
    bool accepts = false;
};

struct KeyHash {
    size_t operator()(const std::vector<uint64_t> &key) const noexcept
    {
        uint64_t h = 1469598103934665603ull;
        for (uint64_t x : key) {
            h ^= x;
            h *= 1099511628211ull;
        }
        return size_t(h ^ (h >> 29));
    }
};

std::vector<uint64_t> keyOf(const std::vector<int> &items, const std::vector<uint64_t> &lookaheads, size_t words)
{
    std::vector<uint64_t> key;
    key.reserve(items.size() * (words + 1));
    for (size_t k = 0; k < items.size(); ++k) {
        key.push_back(uint64_t(uint32_t(items[k])));
        key.insert(key.end(), lookaheads.begin() + std::ptrdiff_t(k * words),
                   lookaheads.begin() + std::ptrdiff_t((k + 1) * words));
    }
    return key;
}

} // namespace

std::unique_ptr<CPLR1Parser> CPLR1Parser::parserWithGrammar(const CPGrammarPtr &grammar)
{
    if (!grammar)
        return nullptr;
    return buildParser(std::unique_ptr<CPLR1Parser>(new CPLR1Parser(grammar)));
}

bool CPLR1Parser::constructShiftReduceTables()
{
    const CPGrammarPtr augmented = grammar()->augmentedGrammar();
    const CPGrammarIndex index(*augmented, augmented->rulesForNonTerminalWithName(QStringLiteral("s'")).last());
    const size_t words = index.terminalWords();
    const int terminals = index.terminalCount();
    const size_t slots = size_t(terminals + index.nonTerminalCount());

    std::vector<LR1State> states;
    std::unordered_map<std::vector<uint64_t>, int, KeyHash> ids;
    {
        LR1State first;
        first.items = {index.itemBase(index.augmentedRule())};
        first.lookaheads.assign(words, 0);
        CPBitRows::set(first.lookaheads.data(), size_t(index.eofTerminal()));
        ids.emplace(keyOf(first.items, first.lookaheads, words), 0);
        states.push_back(std::move(first));
    }

    std::vector<int> stamp(size_t(index.nonTerminalCount()), -1);
    std::vector<int> localIndex(size_t(index.nonTerminalCount()), -1);
    std::vector<std::vector<std::pair<int, std::vector<uint64_t>>>> buckets(slots);
    std::vector<int> touched;
    for (size_t s = 0; s < states.size(); ++s) {
        const std::vector<int> kernel = states[s].items;
        const std::vector<uint64_t> kernelLookaheads = states[s].lookaheads;

        // The closure's nonterminals, then their lookahead rows to a fixed point.
        std::vector<int> nonTerminals;
        auto addNonTerminal = [&](int symbol) {
            if (symbol == CPGrammarIndex::NoSymbol || CPGrammarIndex::isTerminal(symbol))
                return;
            const int n = CPGrammarIndex::nonTerminalOf(symbol);
            if (stamp[size_t(n)] == int(s))
                return;
            stamp[size_t(n)] = int(s);
            localIndex[size_t(n)] = int(nonTerminals.size());
            nonTerminals.push_back(n);
        };
        for (int item : kernel)
            addNonTerminal(index.itemNext(item));
        for (size_t j = 0; j < nonTerminals.size(); ++j) {
            for (int r : index.rulesOf(nonTerminals[j]))
                addNonTerminal(index.itemNext(index.itemBase(r)));
        }
        CPBitRows rows(nonTerminals.size(), size_t(terminals));
        for (size_t k = 0; k < kernel.size(); ++k) {
            const int symbol = index.itemNext(kernel[k]);
            if (symbol == CPGrammarIndex::NoSymbol || CPGrammarIndex::isTerminal(symbol))
                continue;
            uint64_t *row = rows.row(size_t(localIndex[size_t(CPGrammarIndex::nonTerminalOf(symbol))]));
            CPBitRows::unite(row, index.firstAfterNext(kernel[k]), words);
            if (index.nullableAfterNext(kernel[k]))
                CPBitRows::unite(row, kernelLookaheads.data() + k * words, words);
        }
        for (bool changed = true; changed;) {
            changed = false;
            for (size_t j = 0; j < nonTerminals.size(); ++j) {
                for (int r : index.rulesOf(nonTerminals[j])) {
                    const int item = index.itemBase(r);
                    const int symbol = index.itemNext(item);
                    if (symbol == CPGrammarIndex::NoSymbol || CPGrammarIndex::isTerminal(symbol))
                        continue;
                    uint64_t *row = rows.row(size_t(localIndex[size_t(CPGrammarIndex::nonTerminalOf(symbol))]));
                    changed |= CPBitRows::unite(row, index.firstAfterNext(item), words);
                    if (index.nullableAfterNext(item))
                        changed |= CPBitRows::unite(row, rows.row(j), words);
                }
            }
        }

        // Reductions, accept, and the goto kernels with their lookaheads.
        std::vector<std::pair<int, std::vector<uint64_t>>> reductions;
        bool accepts = false;
        auto visit = [&](int item, const uint64_t *lookahead) {
            const int symbol = index.itemNext(item);
            if (symbol == CPGrammarIndex::NoSymbol) {
                const int rule = index.itemRule(item);
                if (rule == index.augmentedRule())
                    accepts = true;
                else
                    reductions.emplace_back(rule, std::vector<uint64_t>(lookahead, lookahead + words));
                return;
            }
            const int slot = index.symbolSlot(symbol);
            if (buckets[size_t(slot)].empty())
                touched.push_back(slot);
            buckets[size_t(slot)].emplace_back(item + 1, std::vector<uint64_t>(lookahead, lookahead + words));
        };
        for (size_t k = 0; k < kernel.size(); ++k)
            visit(kernel[k], kernelLookaheads.data() + k * words);
        for (size_t j = 0; j < nonTerminals.size(); ++j) {
            for (int r : index.rulesOf(nonTerminals[j]))
                visit(index.itemBase(r), rows.row(j));
        }
        std::vector<std::pair<int, int>> transitions;
        for (int slot : touched) {
            auto &bucket = buckets[size_t(slot)];
            std::sort(bucket.begin(), bucket.end(),
                      [](const auto &a, const auto &b) { return a.first < b.first; });
            LR1State next;
            for (const auto &[item, lookahead] : bucket) {
                next.items.push_back(item);
                next.lookaheads.insert(next.lookaheads.end(), lookahead.begin(), lookahead.end());
            }
            auto [it, inserted] = ids.try_emplace(keyOf(next.items, next.lookaheads, words), int(states.size()));
            if (inserted)
                states.push_back(std::move(next));
            transitions.emplace_back(slot < terminals ? slot : -(slot - terminals) - 1, it->second);
            bucket.clear();
        }
        touched.clear();
        states[s].transitions = std::move(transitions);
        states[s].reductions = std::move(reductions);
        states[s].accepts = accepts;
    }

    CPShiftReduceActionTable actions(qsizetype(states.size()));
    CPShiftReduceGotoTable gotos(qsizetype(states.size()));
    const QStringList names = grammar()->allNonTerminalNames();
    CPTableWriter writer(index, actions, gotos, QSet<QString>(names.cbegin(), names.cend()),
                         CPTableWriter::Logging::Silent);
    for (size_t s = 0; s < states.size(); ++s) {
        const LR1State &state = states[s];
        const int stateNumber = int(s);
        bool ok = !state.accepts || writer.accept(stateNumber);
        for (const auto &reduction : state.reductions) {
            const int rule = reduction.first;
            CPBitRows::forEach(reduction.second.data(), words,
                               [&](int terminal) { ok = ok && writer.reduce(stateNumber, terminal, rule); });
        }
        for (const auto &[symbol, target] : state.transitions) {
            if (CPGrammarIndex::isTerminal(symbol))
                ok = ok && writer.shift(stateNumber, symbol, target);
            else
                ok = ok && writer.setGoto(stateNumber, CPGrammarIndex::nonTerminalOf(symbol), target);
        }
        if (!ok)
            return false;
    }
    setTables(std::move(actions), std::move(gotos));
    return true;
}
