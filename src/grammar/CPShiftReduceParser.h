#pragma once

#include "CPParser.h"
#include "CPShiftReduceActionTable.h"
#include "CPShiftReduceGotoTable.h"

#include <memory>
#include <vector>

class CPParseResult;

// A table-driven shift-reduce parser. Subclasses build the tables once, at
// construction; the tables never change afterwards, so a parser built on one
// thread may parse on another, and copies of a parser share its tables.
//
// Parsing walks an explicit stack: input of any depth is safe. Each reduction
// builds a CPSyntaxTree and hands it to the rule's result type, else to the
// delegate, else keeps the tree; matches of EBNF constructs arrive already
// turned into arrays and tag values. A parse error asks the delegate for a
// recovery (insert, delete or stop); without one the error is logged and the
// parse answers nothing.
class CPShiftReduceParser : public CPParser
{
public:
    QVariant parse(CPTokenStream &stream) override;

    std::optional<CPShiftReduceAction> actionForState(qsizetype state, const CPToken &token) const;
    std::optional<qsizetype> gotoForState(qsizetype state, const CPRule &rule) const;
    QSet<QString> acceptableTokenNamesForState(qsizetype state) const;
    const CPShiftReduceActionTable &actionTable() const;
    const CPShiftReduceGotoTable &gotoTable() const;

    // Keys "g" (grammar), "at" and "gt" (the tables).
    QVariantMap archive() const;

protected:
    explicit CPShiftReduceParser(CPGrammarPtr grammar);
    CPShiftReduceParser(const CPShiftReduceParser &) = default;

    // Builds the tables with setTables(); false when the grammar has a conflict.
    virtual bool constructShiftReduceTables() = 0;
    void setTables(CPShiftReduceActionTable actions, CPShiftReduceGotoTable gotos);
    // Builds the tables, or restores them from an archive; false on failure.
    bool build();
    bool restore(const QVariantMap &archive);

    template<typename Parser>
    static std::unique_ptr<Parser> buildParser(std::unique_ptr<Parser> parser)
    {
        if (!parser->build())
            return nullptr;
        return parser;
    }

private:
    // What the driver needs of each rule the action table reduces by.
    struct Reduction {
        CPRulePtr rule;
        int length = 0;
        qsizetype gotoColumn = -1;
        const CPParseResult *type = nullptr;
        bool isRHSItemResult = false;
    };
    struct Tables {
        CPShiftReduceActionTable actions;
        CPShiftReduceGotoTable gotos;
        std::vector<Reduction> reductions;
    };
    struct StackEntry {
        QVariant object;
        qint32 state;
    };

    bool reduce(const Reduction &reduction, std::vector<StackEntry> &stack);
    std::optional<CPRecoveryAction> error(CPTokenStream &stream, const CPTokenPtr &current, qint32 state);

    std::shared_ptr<const Tables> m_tables;
};
