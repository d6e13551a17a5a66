#include "CPSLRParser.h"

#include "CPLRAutomaton_p.h"

std::unique_ptr<CPSLRParser> CPSLRParser::parserWithGrammar(const CPGrammarPtr &grammar)
{
    if (!grammar)
        return nullptr;
    return buildParser(std::unique_ptr<CPSLRParser>(new CPSLRParser(grammar)));
}

bool CPSLRParser::constructShiftReduceTables()
{
    const CPGrammarPtr augmented = grammar()->augmentedGrammar();
    const CPGrammarIndex index(*augmented, augmented->rulesForNonTerminalWithName(QStringLiteral("s'")).last());
    const CPLR0Automaton automaton(index);
    const auto &states = automaton.states();

    CPShiftReduceActionTable actions(qsizetype(states.size()));
    CPShiftReduceGotoTable gotos(qsizetype(states.size()));
    const QStringList names = grammar()->allNonTerminalNames();
    CPTableWriter writer(index, actions, gotos, QSet<QString>(names.cbegin(), names.cend()),
                         CPTableWriter::Logging::Silent);

    const size_t words = index.terminalWords();
    std::vector<int> targets(size_t(index.terminalCount() + index.nonTerminalCount()), -1);
    std::vector<int> closure;
    for (int s = 0; s < int(states.size()); ++s) {
        const CPLR0Automaton::State &state = states[size_t(s)];
        for (const auto &[symbol, target] : state.transitions)
            targets[size_t(index.symbolSlot(symbol))] = target;
        closure = state.kernel;
        for (int n : state.closureNonTerminals) {
            for (int r : index.rulesOf(n))
                closure.push_back(index.itemBase(r));
        }
        for (int item : closure) {
            const int symbol = index.itemNext(item);
            if (symbol == CPGrammarIndex::NoSymbol) {
                const int rule = index.itemRule(item);
                if (rule == index.augmentedRule()) {
                    if (!writer.accept(s))
                        return false;
                    continue;
                }
                bool ok = true;
                CPBitRows::forEach(index.follow(index.ruleLhs(rule)), words,
                                   [&](int terminal) { ok = ok && writer.reduce(s, terminal, rule); });
                if (!ok)
                    return false;
            } else if (CPGrammarIndex::isTerminal(symbol)) {
                if (!writer.shift(s, symbol, targets[size_t(symbol)]))
                    return false;
            }
        }
        for (const auto &[symbol, target] : state.transitions) {
            if (!CPGrammarIndex::isTerminal(symbol) && !writer.setGoto(s, CPGrammarIndex::nonTerminalOf(symbol), target))
                return false;
            targets[size_t(index.symbolSlot(symbol))] = -1;
        }
    }
    setTables(std::move(actions), std::move(gotos));
    return true;
}
