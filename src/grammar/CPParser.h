#pragma once

#include "CPGrammar.h"
#include "CPParserDelegate.h"
#include "CPTokenStream.h"

// A parser over a grammar: turns a token stream into one value, whatever the
// reductions built bottom-up. A parser keeps no state between parses, so one
// parser may parse many streams, one after another.
class CPParser
{
public:
    virtual ~CPParser() = default;

    const CPGrammarPtr &grammar() const { return m_grammar; }
    void setGrammar(const CPGrammarPtr &grammar) { m_grammar = grammar; }
    // Not owned.
    CPParserDelegate *delegate() const { return m_delegate; }
    void setDelegate(CPParserDelegate *delegate) { m_delegate = delegate; }

    // The final value, or an invalid QVariant when the input could not be parsed.
    virtual QVariant parse(CPTokenStream &stream) = 0;

protected:
    explicit CPParser(CPGrammarPtr grammar) : m_grammar(std::move(grammar)) {}
    CPParser(const CPParser &) = default;
    CPParser &operator=(const CPParser &) = default;

private:
    CPGrammarPtr m_grammar;
    CPParserDelegate *m_delegate = nullptr;
};
