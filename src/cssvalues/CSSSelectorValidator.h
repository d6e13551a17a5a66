#pragma once

#include "grammar/CPGrammar.h"
#include "grammar/CPParser.h"
#include "grammar/CPParserDelegate.h"
#include "grammar/CPTokeniser.h"
#include "grammar/CPTokeniserDelegate.h"
#include "platform/foundation/Range.h"

#include <QList>
#include <QThreadPool>

#include <atomic>
#include <functional>
#include <memory>

// Checks CSS selector text as the user types it and says where it is wrong.
// One shared instance serves the whole process. Its tokeniser, grammar (the
// bundle's "css" grammar, start "SelectorsGroup") and LALR(1) tables are built
// once on the validator's own serial background queue, started by the
// constructor; when they are ready, "cssValidatorInitialized" is posted on
// the main thread. Until then parse() answers nothing and reports no errors.
//
// parse() and errors() belong to the main thread; set-up is the only work on
// the queue, and parse() sees either nothing or the complete set of parts.
class CSSSelectorValidator final : public CPTokeniserDelegate, public CPParserDelegate
{
public:
    // One offending token: its token name ("Identifier", "EOF", "Error", a
    // keyword's text...) and its place in the text as given.
    struct ErrorRecord
    {
        QString name;
        Range range;
        friend bool operator==(const ErrorRecord &, const ErrorRecord &) = default;
    };

    // Posted on the main thread once set-up has finished, also when the
    // grammar could not be read.
    static QString initializedNotificationName();

    // Created on the first call, from any thread, and kept for the life of
    // the process.
    static CSSSelectorValidator *getInstance();

    // Starts set-up in the background at once. An empty path reads the
    // bundle's grammar; beforeSetup, when given, runs on the queue first.
    explicit CSSSelectorValidator(QString grammarPath = {}, std::function<void()> beforeSetup = {});
    // Waits for set-up to finish.
    ~CSSSelectorValidator() override;
    CSSSelectorValidator(const CSSSelectorValidator &) = delete;
    CSSSelectorValidator &operator=(const CSSSelectorValidator &) = delete;

    bool isReady() const { return m_ready.load(std::memory_order_acquire); }

    // Empties errors(), then, once ready, parses the text (compared without
    // regard to ASCII case) and answers the syntax tree of "SelectorsGroup",
    // or nothing. Callers read errors(): empty means valid.
    QVariant parse(const QString &selector);
    // The errors of the last parse, in the order found.
    const QList<ErrorRecord> &errors() const { return m_errors; }

    bool tokeniserShouldConsumeToken(CPTokeniser *tokeniser, const CPTokenPtr &token) override;
    // Records the current token as an error and deletes it, so that parsing
    // goes on and one text can yield several errors.
    std::optional<CPRecoveryAction> parserDidEncounterErrorOnInputExpecting(
        CPParser *parser, CPTokenStream *inputStream, const QSet<QString> &acceptableTokens) override;

private:
    void setup();

    QString m_grammarPath;
    std::function<void()> m_beforeSetup;
    // Written by set-up before m_ready is set, read-only afterwards.
    std::unique_ptr<CPTokeniser> m_tokeniser;
    CPGrammarPtr m_grammar;
    std::unique_ptr<CPParser> m_parser;
    std::atomic<bool> m_ready = false;
    QList<ErrorRecord> m_errors;
    // Last, so that it is destroyed first and set-up never outlives the parts.
    QThreadPool m_queue;
};
