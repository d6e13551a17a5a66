#pragma once

#include "CPShiftReduceParser.h"

// Canonical LR(1) tables: states are sets of LR(1) items. Larger than the
// LALR(1) tables of the same grammar; conflicts make construction fail
// silently.
class CPLR1Parser final : public CPShiftReduceParser
{
public:
    // Null when the grammar is not LR(1).
    static std::unique_ptr<CPLR1Parser> parserWithGrammar(const CPGrammarPtr &grammar);
    CPLR1Parser(const CPLR1Parser &) = default;

protected:
    bool constructShiftReduceTables() override;

private:
    explicit CPLR1Parser(CPGrammarPtr grammar) : CPShiftReduceParser(std::move(grammar)) {}
};
