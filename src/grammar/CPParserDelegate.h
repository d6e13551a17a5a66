#pragma once

#include "CPRecoveryAction.h"
#include "CPSyntaxTree.h"

#include <QSet>

#include <optional>

class CPParser;
class CPTokenStream;

// What a parser asks its delegate. Every operation is optional: the defaults
// behave as if the delegate did not offer it, so a delegate overrides just
// what it needs.
class CPParserDelegate
{
public:
    virtual ~CPParserDelegate() = default;

    // The object that stands for a reduced tree in its parent (an invalid
    // QVariant for nothing). The default keeps the tree itself.
    virtual QVariant parserDidProduceSyntaxTree(CPParser *parser, const CPSyntaxTreePtr &syntaxTree);

    // The recovery for a parse error; the stream's peekToken() is the
    // offending token. Answer nothing for no recovery. The default asks
    // parserDidEncounterErrorOnInput.
    virtual std::optional<CPRecoveryAction> parserDidEncounterErrorOnInputExpecting(
        CPParser *parser, CPTokenStream *inputStream, const QSet<QString> &acceptableTokens);

    // The same without the expected names. The default answers
    // CPRecoveryAction::unhandled(), so the parser logs the error.
    virtual std::optional<CPRecoveryAction> parserDidEncounterErrorOnInput(CPParser *parser,
                                                                           CPTokenStream *inputStream);
};
