#pragma once

#include "CPShiftReduceParser.h"

// SLR tables: LR(0) states, reductions on the FOLLOW sets of the rules' names.
// Conflicts make construction fail silently.
class CPSLRParser final : public CPShiftReduceParser
{
public:
    // Null when the grammar is not SLR.
    static std::unique_ptr<CPSLRParser> parserWithGrammar(const CPGrammarPtr &grammar);
    CPSLRParser(const CPSLRParser &) = default;

protected:
    bool constructShiftReduceTables() override;

private:
    explicit CPSLRParser(CPGrammarPtr grammar) : CPShiftReduceParser(std::move(grammar)) {}
};
