#pragma once

#include "CPToken.h"

#include <QList>

#include <optional>

class CPTokeniser;
class CPTokenStream;

// What a tokeniser asks its delegate. Only tokeniserShouldConsumeToken must be
// written; the defaults of the others behave as if the delegate did not offer
// them, so a delegate overrides just what it needs.
class CPTokeniserDelegate
{
public:
    virtual ~CPTokeniserDelegate() = default;

    // Answer false to refuse a token; the next recogniser is then tried.
    virtual bool tokeniserShouldConsumeToken(CPTokeniser *tokeniser, const CPTokenPtr &token) = 0;

    // The tokens to put on the stream in place of this one (empty: drop it).
    virtual QList<CPTokenPtr> tokeniserWillProduceToken(CPTokeniser *tokeniser, const CPTokenPtr &token);

    // Puts the token (or anything else) on the stream. The default pushes what
    // tokeniserWillProduceToken answers.
    virtual void tokeniserRequestsToken(CPTokeniser *tokeniser, const CPTokenPtr &token, CPTokenStream *stream);

    // Called when no recogniser produced an accepted token at the position.
    // Answer the position to continue from (CPTokeniser::NotFound to stop) and
    // optionally an error message for the error token put on the stream; or
    // answer nothing to let the tokeniser stop with its own error token.
    virtual std::optional<qsizetype> tokeniserDidNotFindTokenOnInput(CPTokeniser *tokeniser, const QString &input,
                                                                     qsizetype position, QString *errorMessage);
};
