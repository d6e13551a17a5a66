#include "CPParserDelegate.h"

#include "CPValue.h"

QVariant CPParserDelegate::parserDidProduceSyntaxTree(CPParser *, const CPSyntaxTreePtr &syntaxTree)
{
    return CPValue::fromSyntaxTree(syntaxTree);
}

std::optional<CPRecoveryAction> CPParserDelegate::parserDidEncounterErrorOnInputExpecting(
    CPParser *parser, CPTokenStream *inputStream, const QSet<QString> &)
{
    return parserDidEncounterErrorOnInput(parser, inputStream);
}

std::optional<CPRecoveryAction> CPParserDelegate::parserDidEncounterErrorOnInput(CPParser *, CPTokenStream *)
{
    return CPRecoveryAction::unhandled();
}
