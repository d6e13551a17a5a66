#pragma once

#include "TestPrinters.h"

#include "grammar/CPGrammar.h"
#include "grammar/CPKeywordRecogniser.h"
#include "grammar/CPNumberRecogniser.h"
#include "grammar/CPTokeniser.h"
#include "grammar/CPTokeniserDelegate.h"
#include "grammar/CPTokenStream.h"
#include "grammar/CPValue.h"
#include "grammar/CPWhiteSpaceRecogniser.h"

#include <QMutex>
#include <QStringList>

#include <gtest/gtest.h>

#include <ostream>

// Collects the messages of the "quillmark.grammar" category while alive.
class GrammarLogCapture
{
public:
    GrammarLogCapture()
    {
        s_current = this;
        m_previous = qInstallMessageHandler(&GrammarLogCapture::handle);
    }
    ~GrammarLogCapture()
    {
        qInstallMessageHandler(m_previous);
        s_current = nullptr;
    }

    QStringList messages() const
    {
        QMutexLocker locker(&m_lock);
        return m_messages;
    }
    bool contains(const QString &text) const
    {
        const QStringList all = messages();
        return std::any_of(all.cbegin(), all.cend(), [&text](const QString &m) { return m.contains(text); });
    }

private:
    static void handle(QtMsgType type, const QMessageLogContext &context, const QString &message)
    {
        if (s_current && context.category && qstrcmp(context.category, "quillmark.grammar") == 0) {
            QMutexLocker locker(&s_current->m_lock);
            s_current->m_messages.append(message);
            return;
        }
        if (s_current && s_current->m_previous)
            s_current->m_previous(type, context, message);
    }

    static inline GrammarLogCapture *s_current = nullptr;
    QtMessageHandler m_previous = nullptr;
    mutable QMutex m_lock;
    QStringList m_messages;
};

// Drops white space, as most grammars here want.
class DropWhiteSpace final : public CPTokeniserDelegate
{
public:
    bool tokeniserShouldConsumeToken(CPTokeniser *, const CPTokenPtr &) override { return true; }
    QList<CPTokenPtr> tokeniserWillProduceToken(CPTokeniser *, const CPTokenPtr &token) override
    {
        if (token->isWhiteSpaceToken())
            return {};
        return {token};
    }
};

// Tokenises with the keywords (in order), integers and white space dropped.
inline std::unique_ptr<CPTokenStream> tokensOf(const QStringList &keywords, const QString &text)
{
    static DropWhiteSpace dropWhiteSpace;
    CPTokeniser tokeniser;
    for (const QString &keyword : keywords)
        tokeniser.addTokenRecogniser(CPKeywordRecogniser::recogniserForKeyword(keyword));
    tokeniser.addTokenRecogniser(CPNumberRecogniser::integerRecogniser());
    tokeniser.addTokenRecogniser(CPWhiteSpaceRecogniser::whiteSpaceRecogniser());
    tokeniser.setDelegate(&dropWhiteSpace);
    return tokeniser.tokenise(text);
}

inline CPGrammarPtr readGrammar(const QString &start, const QString &ebnf)
{
    CPGrammarError error;
    CPGrammarPtr grammar = CPGrammar::grammarWithStart(start, ebnf, &error);
    EXPECT_TRUE(grammar) << qPrintable(error.description);
    return grammar;
}

inline std::string describe(const QVariant &value)
{
    return CPValue::description(value).toStdString();
}
