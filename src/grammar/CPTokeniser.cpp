#include "CPTokeniser.h"

#include "CPTokeniserDelegate.h"
#include "GrammarLog.h"

#include "platform/foundation/Assert.h"

QList<CPTokenPtr> CPTokeniserDelegate::tokeniserWillProduceToken(CPTokeniser *, const CPTokenPtr &token)
{
    return {token};
}

void CPTokeniserDelegate::tokeniserRequestsToken(CPTokeniser *tokeniser, const CPTokenPtr &token,
                                                 CPTokenStream *stream)
{
    stream->pushTokens(tokeniserWillProduceToken(tokeniser, token));
}

std::optional<qsizetype> CPTokeniserDelegate::tokeniserDidNotFindTokenOnInput(CPTokeniser *, const QString &,
                                                                             qsizetype, QString *)
{
    return std::nullopt;
}

CPTokeniser::CPTokeniser() : m_candidates(128)
{
}

void CPTokeniser::addTokenRecogniser(const CPTokenRecogniserPtr &recogniser)
{
    QM_ASSERT(recogniser, return);
    m_tokenRecognisers.append(recogniser);
    for (char16_t c = 0; c < 128; ++c) {
        if (recogniser->mayStartWith(c))
            m_candidates[c].push_back(recogniser.get());
    }
}

void CPTokeniser::setTokenRecognisers(const QList<CPTokenRecogniserPtr> &recognisers)
{
    m_tokenRecognisers = recognisers;
    m_tokenRecognisers.removeAll(nullptr);
    rebuildCandidates();
}

void CPTokeniser::rebuildCandidates()
{
    for (char16_t c = 0; c < 128; ++c) {
        m_candidates[c].clear();
        for (const CPTokenRecogniserPtr &recogniser : std::as_const(m_tokenRecognisers)) {
            if (recogniser->mayStartWith(c))
                m_candidates[c].push_back(recogniser.get());
        }
    }
}

void CPTokeniser::insertTokenRecogniser(const CPTokenRecogniserPtr &recogniser, qsizetype priority)
{
    QM_ASSERT(recogniser, return);
    QM_ASSERT(priority >= 0 && priority <= m_tokenRecognisers.size(), return);
    m_tokenRecognisers.insert(priority, recogniser);
    rebuildCandidates();
}

void CPTokeniser::insertTokenRecogniserBeforeRecogniser(const CPTokenRecogniserPtr &recogniser,
                                                        const CPTokenRecogniserPtr &before)
{
    const qsizetype index = m_tokenRecognisers.indexOf(before);
    // Token recogniser to insert before was not found.
    QM_ASSERT(index >= 0, return);
    insertTokenRecogniser(recogniser, index);
}

void CPTokeniser::removeTokenRecogniser(const CPTokenRecogniserPtr &recogniser)
{
    m_tokenRecognisers.removeAll(recogniser);
    rebuildCandidates();
}

std::unique_ptr<CPTokenStream> CPTokeniser::tokenise(const QString &input)
{
    auto stream = std::make_unique<CPTokenStream>();
    tokenise(input, stream.get());
    return stream;
}

void CPTokeniser::produceToken(const CPTokenPtr &token, CPTokenStream *stream)
{
    if (m_delegate)
        m_delegate->tokeniserRequestsToken(this, token, stream);
    else
        stream->pushToken(token);
}

void CPTokeniser::tokenise(const QString &input, CPTokenStream *stream)
{
    QM_ASSERT(stream, return);
    qsizetype line = 0;
    qsizetype column = 0;
    qsizetype position = 0;
    const qsizetype length = input.size();
    bool builtInStop = false;
    bool delegateStopped = false;
    std::vector<const CPTokenRecogniser *> all;
    for (const CPTokenRecogniserPtr &recogniser : std::as_const(m_tokenRecognisers))
        all.push_back(recogniser.get());

    while (position < length) {
        bool found = false;
        const char16_t first = input.at(position).unicode();
        for (const CPTokenRecogniser *recogniser : first < 128 ? m_candidates[first] : all) {
            const qsizetype start = position;
            CPTokenPtr token = recogniser->recogniseTokenInString(input, &position);
            if (!token) {
                position = start;
                continue;
            }
            // A recogniser that takes nothing would never let the loop advance.
            if (position <= start || position > length) {
                position = start;
                continue;
            }
            token->setLineNumber(line);
            token->setColumnNumber(column);
            token->setCharacterNumber(start);
            token->setLength(position - start);
            if (m_delegate && !m_delegate->tokeniserShouldConsumeToken(this, token)) {
                position = start;
                continue;
            }
            produceToken(token, stream);

            // Advance line and column over the text taken.
            qsizetype lastBreak = -1;
            for (qsizetype i = start; i < position; ++i) {
                const QChar c = input.at(i);
                if (c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
                    ++line;
                    lastBreak = i;
                }
            }
            column = lastBreak >= 0 ? position - lastBreak - 1 : column + (position - start);
            found = true;
            break;
        }
        if (found)
            continue;

        QString message;
        const std::optional<qsizetype> next =
            m_delegate ? m_delegate->tokeniserDidNotFindTokenOnInput(this, input, position, &message) : std::nullopt;
        if (next) {
            produceToken(CPToken::errorWithMessage(message), stream);
            if (*next == NotFound || *next < 0) {
                delegateStopped = true;
                break;
            }
            position = *next;
            continue;
        }
        CPTokenPtr error = CPToken::errorWithMessage(
            QStringLiteral("The tokeniser encountered an invalid input \"%1\", and could not handle it.  Implement "
                           "-tokeniser:didNotFindTokenAtInputPosition:error: to make this do something more useful")
                .arg(input.mid(position, 10)));
        error->setLineNumber(line);
        error->setColumnNumber(column);
        error->setCharacterNumber(position);
        produceToken(error, stream);
        builtInStop = true;
        break;
    }

    if (!builtInStop && (position >= length || delegateStopped)) {
        CPTokenPtr end = CPToken::eof();
        end->setLineNumber(line);
        end->setColumnNumber(column);
        end->setCharacterNumber(length);
        stream->pushToken(end);
    }
    stream->closeTokenStream();
}

QVariantMap CPTokeniser::archive() const
{
    QVariantList recognisers;
    for (const CPTokenRecogniserPtr &recogniser : m_tokenRecognisers)
        recognisers.append(recogniser->archive());
    return {{QStringLiteral("T.r"), recognisers}};
}

std::unique_ptr<CPTokeniser> CPTokeniser::fromArchive(const QVariantMap &archive)
{
    auto tokeniser = std::make_unique<CPTokeniser>();
    const QVariantList recognisers = archive.value(QStringLiteral("T.r")).toList();
    for (const QVariant &entry : recognisers) {
        if (CPTokenRecogniserPtr recogniser = CPTokenRecogniser::fromArchive(entry.toMap()))
            tokeniser->addTokenRecogniser(recogniser);
    }
    return tokeniser;
}
