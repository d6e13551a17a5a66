#pragma once

#include "CPParser.h"
#include "CPTokeniser.h"
#include "CPTokeniserDelegate.h"

#include <memory>

// A complete JSON reader built from the engine's own parts: a tokeniser, a
// grammar in EBNF, an SLR parser and a tree delegate that maps every
// reduction to a collection. Strings become QString, numbers double, booleans
// bool, null a std::nullptr_t QVariant, arrays QVariantList and objects
// QVariantMap; for a key written twice the first value wins.
class CPJSONParser final : public CPTokeniserDelegate, public CPParserDelegate
{
public:
    // Qt tears nested collections down recursively, so documents nested
    // deeper than this are refused rather than handed to the caller.
    static constexpr int MaximumNesting = 100000;

    CPJSONParser();
    ~CPJSONParser() override;

    // The value, or an invalid QVariant when the text is not JSON (logged).
    QVariant parse(const QString &json);

    CPTokeniser *jsonTokeniser() const { return m_tokeniser.get(); }
    CPParser *jsonParser() const { return m_parser.get(); }

    bool tokeniserShouldConsumeToken(CPTokeniser *tokeniser, const CPTokenPtr &token) override;
    // White space never reaches the parser.
    QList<CPTokenPtr> tokeniserWillProduceToken(CPTokeniser *tokeniser, const CPTokenPtr &token) override;
    QVariant parserDidProduceSyntaxTree(CPParser *parser, const CPSyntaxTreePtr &syntaxTree) override;

    // The grammar text, start "value".
    static QString grammarText();

private:
    std::unique_ptr<CPTokeniser> m_tokeniser;
    std::unique_ptr<CPParser> m_parser;
};
