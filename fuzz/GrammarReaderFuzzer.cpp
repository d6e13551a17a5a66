// Reads the input as EBNF grammar text. A grammar that reads is built into
// SLR, LALR(1) and (when small) canonical LR(1) tables, and the builders are
// checked against each other: every SLR grammar is LALR(1), every LALR(1)
// grammar is LR(1), and SLR and LALR(1) share their LR(0) states.

#include "grammar/CPGrammar.h"
#include "grammar/CPLALR1Parser.h"
#include "grammar/CPLR1Parser.h"
#include "grammar/CPSLRParser.h"

#include "platform/foundation/Assert.h"

#include <QLoggingCategory>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    QLoggingCategory::setFilterRules(QStringLiteral("quillmark.grammar.warning=false"));
    Assert::setFatal(true);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    CPGrammarError error;
    CPGrammarPtr read = CPGrammar::grammarWithStart(QStringLiteral("s"), text, &error);
    if (!read) {
        if (error.code != CPGrammarError::SyntaxError && error.code != CPGrammarError::TagError)
            std::abort();
        return 0;
    }
    const QList<CPRulePtr> rules = read->rules();
    // Table size can grow quickly with the rules; keep each run short.
    if (rules.isEmpty() || rules.size() > 40)
        return 0;
    CPGrammarPtr grammar = CPGrammar::grammarWithStart(rules.first()->name(), rules);
    auto slr = CPSLRParser::parserWithGrammar(grammar);
    auto lalr = CPLALR1Parser::parserWithGrammar(grammar);
    if (slr && !lalr)
        std::abort();
    if (slr && slr->actionTable().capacity() != lalr->actionTable().capacity())
        std::abort();
    if (lalr && rules.size() <= 12) {
        auto lr1 = CPLR1Parser::parserWithGrammar(grammar);
        if (!lr1 || lr1->actionTable().capacity() < lalr->actionTable().capacity())
            std::abort();
    }
    return 0;
}
