#pragma once

// Internals of the table builders: an augmented grammar in compact integer
// form, and its LR(0) automaton with interned, hashed kernels.

#include "CPGrammar.h"

#include <cstdint>
#include <unordered_map>
#include <vector>

class CPShiftReduceActionTable;
class CPShiftReduceGotoTable;

// Terminal sets as bit rows of a fixed width.
class CPBitRows
{
public:
    CPBitRows() = default;
    CPBitRows(size_t rows, size_t bits) : m_words((bits + 63) / 64), m_data(rows * m_words, 0) {}

    size_t words() const { return m_words; }
    uint64_t *row(size_t r) { return m_data.data() + r * m_words; }
    const uint64_t *row(size_t r) const { return m_data.data() + r * m_words; }
    void resize(size_t rows) { m_data.resize(rows * m_words, 0); }

    static bool test(const uint64_t *row, size_t bit) { return (row[bit >> 6] >> (bit & 63)) & 1; }
    static void set(uint64_t *row, size_t bit) { row[bit >> 6] |= uint64_t(1) << (bit & 63); }
    // row |= other; answers whether row changed.
    static bool unite(uint64_t *row, const uint64_t *other, size_t words)
    {
        uint64_t changed = 0;
        for (size_t i = 0; i < words; ++i) {
            const uint64_t merged = row[i] | other[i];
            changed |= merged ^ row[i];
            row[i] = merged;
        }
        return changed != 0;
    }
    template<typename F>
    static void forEach(const uint64_t *row, size_t words, F f)
    {
        for (size_t i = 0; i < words; ++i) {
            uint64_t w = row[i];
            while (w) {
                const int bit = __builtin_ctzll(w);
                f(int(i * 64 + size_t(bit)));
                w &= w - 1;
            }
        }
    }

private:
    size_t m_words = 0;
    std::vector<uint64_t> m_data;
};

// An augmented grammar with symbols, rules and items numbered. A symbol is
// encoded as t >= 0 for terminal t and -(n + 1) for nonterminal n. Item ids
// run rule by rule: itemBase(r) + dot.
class CPGrammarIndex
{
public:
    static constexpr int NoSymbol = INT32_MIN;

    // augmentedRule is the s' ::= <start> rule of the augmented grammar.
    CPGrammarIndex(const CPGrammar &augmented, const CPRulePtr &augmentedRule);

    int terminalCount() const { return int(m_terminalNames.size()); }
    int nonTerminalCount() const { return int(m_nonTerminalNames.size()); }
    const QStringList &terminalNames() const { return m_terminalNames; }
    const QStringList &nonTerminalNames() const { return m_nonTerminalNames; }
    int eofTerminal() const { return m_eof; }
    int augmentedRule() const { return m_augmentedRule; }

    int ruleCount() const { return int(m_rules.size()); }
    const CPRulePtr &rule(int r) const { return m_rules[size_t(r)]; }
    int ruleLhs(int r) const { return m_ruleLhs[size_t(r)]; }
    int ruleLength(int r) const { return m_ruleLength[size_t(r)]; }
    const std::vector<int> &rulesOf(int nonTerminal) const { return m_rulesOf[size_t(nonTerminal)]; }

    int itemCount() const { return int(m_itemRule.size()); }
    int itemBase(int r) const { return m_itemBase[size_t(r)]; }
    int itemRule(int item) const { return m_itemRule[size_t(item)]; }
    // The encoded symbol after the dot, NoSymbol when the item is complete.
    int itemNext(int item) const { return m_itemNext[size_t(item)]; }
    // FIRST of what follows the symbol after the dot, and whether it can be empty.
    const uint64_t *firstAfterNext(int item) const { return m_firstAfterNext.row(size_t(item)); }
    bool nullableAfterNext(int item) const { return m_nullableAfterNext[size_t(item)]; }

    size_t terminalWords() const { return m_firstAfterNext.words(); }
    const uint64_t *follow(int nonTerminal) const { return m_follow.row(size_t(nonTerminal)); }

    static bool isTerminal(int symbol) { return symbol >= 0; }
    static int nonTerminalOf(int symbol) { return -symbol - 1; }
    // Columns: 0 .. T-1 terminals, T .. T+N-1 nonterminals.
    int symbolSlot(int symbol) const { return symbol >= 0 ? symbol : terminalCount() + nonTerminalOf(symbol); }

private:
    int internTerminal(const QString &name);
    int internNonTerminal(const QString &name);

    QStringList m_terminalNames;
    QHash<QString, int> m_terminalIndex;
    QStringList m_nonTerminalNames;
    QHash<QString, int> m_nonTerminalIndex;
    int m_eof = 0;
    int m_augmentedRule = 0;

    std::vector<CPRulePtr> m_rules;
    std::vector<int> m_ruleLhs;
    std::vector<int> m_ruleLength;
    std::vector<std::vector<int>> m_rulesOf;

    std::vector<int> m_itemBase;
    std::vector<int> m_itemRule;
    std::vector<int> m_itemNext;
    std::vector<char> m_nullableAfterNext;
    CPBitRows m_firstAfterNext;
    CPBitRows m_follow;
};

// The LR(0) states of an indexed grammar. Kernels are sorted item ids,
// interned through a hash table; each state keeps the nonterminals its closure
// adds (in discovery order) and its transitions.
class CPLR0Automaton
{
public:
    struct State {
        std::vector<int> kernel;
        std::vector<int> closureNonTerminals;
        // (encoded symbol, target state), in the order the symbols first appear.
        std::vector<std::pair<int, int>> transitions;
    };

    explicit CPLR0Automaton(const CPGrammarIndex &index);

    const std::vector<State> &states() const { return m_states; }
    // The position of an item in a state's kernel, -1 when absent.
    int kernelPosition(int state, int item) const;

private:
    std::vector<State> m_states;
};

// Hash of a vector of ints, for interning kernels.
struct CPIntVectorHash {
    size_t operator()(const std::vector<int> &v) const noexcept
    {
        uint64_t h = 1469598103934665603ull;
        for (int x : v) {
            h ^= uint64_t(uint32_t(x));
            h *= 1099511628211ull;
        }
        return size_t(h ^ (h >> 29));
    }
};

// Writing actions into the tables, with the conflict messages of the LALR(1) builder.
class CPTableWriter
{
public:
    enum class Logging { Silent, LogConflicts };

    CPTableWriter(const CPGrammarIndex &index, CPShiftReduceActionTable &actions, CPShiftReduceGotoTable &gotos,
                  const QSet<QString> &gotoNames, Logging logging);

    bool accept(int state);
    bool shift(int state, int terminal, int target);
    bool reduce(int state, int terminal, int rule);
    bool setGoto(int state, int nonTerminal, int target);

private:
    const CPGrammarIndex &m_index;
    CPShiftReduceActionTable &m_actions;
    CPShiftReduceGotoTable &m_gotos;
    std::vector<qsizetype> m_gotoColumns; // -1 for nonterminals without gotos
    std::vector<qint32> m_ruleCodes;
    Logging m_logging;
};
