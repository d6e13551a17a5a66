#pragma once

#include "CPGrammarError.h"
#include "CPParserDelegate.h"
#include "CPRHSItem.h"
#include "CPTokeniserDelegate.h"

#include <QList>
#include <QMetaType>

// A rule as read from EBNF text, before its constructs are rewritten: one per
// alternative of a written rule.
struct CPEBNFRule {
    QString name;
    QList<CPRHSElement> elements;
    quint64 tag = 0;

    // "name ::= elements".
    QString description() const;
};

Q_DECLARE_METATYPE(CPEBNFRule)
Q_DECLARE_METATYPE(CPRHSElement)
Q_DECLARE_METATYPE(QList<CPEBNFRule>)
Q_DECLARE_METATYPE(QList<CPRHSElement>)
Q_DECLARE_METATYPE(QList<QList<CPRHSElement>>)

// The EBNF reader's delegate: drops white space, turns each reduction of the
// meta-grammar into rules, alternatives and constructs, and turns the first
// syntax error into a code-1 error and a stop.
class CPBNFParserDelegate final : public CPTokeniserDelegate, public CPParserDelegate
{
public:
    // Groups nested deeper than this are refused, so that no later step
    // recurses without bound.
    static constexpr int MaximumNesting = 1000;

    bool tokeniserShouldConsumeToken(CPTokeniser *tokeniser, const CPTokenPtr &token) override;
    QList<CPTokenPtr> tokeniserWillProduceToken(CPTokeniser *tokeniser, const CPTokenPtr &token) override;

    QVariant parserDidProduceSyntaxTree(CPParser *parser, const CPSyntaxTreePtr &syntaxTree) override;
    std::optional<CPRecoveryAction> parserDidEncounterErrorOnInputExpecting(
        CPParser *parser, CPTokenStream *inputStream, const QSet<QString> &acceptableTokens) override;

    // The first error met, if any.
    const CPGrammarError &error() const { return m_error; }

private:
    CPRHSItemPtr makeItem(QList<QList<CPRHSElement>> alternatives, const CPSyntaxTree &at);

    CPGrammarError m_error;
};
