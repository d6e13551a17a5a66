#pragma once

#include "CPShiftReduceParser.h"

// LALR(1) tables: LR(0) states with lookaheads generated spontaneously inside
// each state's closure and propagated along links between kernel items.
// A conflict is logged and makes construction fail.
class CPLALR1Parser final : public CPShiftReduceParser
{
public:
    // Null when the grammar is not LALR(1).
    static std::unique_ptr<CPLALR1Parser> parserWithGrammar(const CPGrammarPtr &grammar);
    // A parser from archive(), tables restored as they were, not rebuilt.
    static std::unique_ptr<CPLALR1Parser> fromArchive(const QVariantMap &archive);
    CPLALR1Parser(const CPLALR1Parser &) = default;

protected:
    bool constructShiftReduceTables() override;

private:
    explicit CPLALR1Parser(CPGrammarPtr grammar) : CPShiftReduceParser(std::move(grammar)) {}
};
