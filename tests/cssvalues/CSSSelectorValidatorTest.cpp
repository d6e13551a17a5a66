#include "TestUtil.h"

#include "cssvalues/CSSSelectorValidator.h"
#include "grammar/GrammarTestSupport.h"
#include "platform/foundation/NotificationCenter.h"

#include <QCoreApplication>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

using ErrorRecord = CSSSelectorValidator::ErrorRecord;

CSSSelectorValidator &sharedValidator()
{
    CSSSelectorValidator *validator = CSSSelectorValidator::getInstance();
    EXPECT_TRUE(TestUtil::waitUntil([validator] { return validator->isReady(); }));
    return *validator;
}

// The errors as "name@location+length" items, space separated.
std::string errorsOf(const char *selector)
{
    CSSSelectorValidator &validator = sharedValidator();
    validator.parse(QString::fromUtf8(selector));
    std::string text;
    for (const ErrorRecord &error : validator.errors()) {
        if (!text.empty())
            text += ' ';
        text += error.name.toStdString() + '@' + std::to_string(error.range.location) + '+'
            + std::to_string(error.range.length);
    }
    return text;
}

void expectValid(const char *selector)
{
    CSSSelectorValidator &validator = sharedValidator();
    // A tree proves that the grammar was read and its tables built.
    EXPECT_TRUE(validator.parse(QString::fromUtf8(selector)).isValid()) << selector;
    EXPECT_EQ(errorsOf(selector), "") << selector;
}

} // namespace

TEST(CSSSelectorValidator, AcceptsSelectorsOfEveryKind)
{
    const char *const selectors[] = {
        // Types, classes, ids and the universal selector, in any case.
        "div", "DIV.Header", "#main", "*.note", "a.b.c#d", ".a-b_c", "._x", "my-element",
        // Keywords stand wherever a name does.
        "#table", ".not", "[title]", "[lang=en]", ".link:link", ".-webkit-x",
        // Combinators, white space included, and groups.
        "ul li a", "div > p", "div>p", "h1 + p", "h1~p", "a  >  b   c", "  div  ", "a, b", "a ,b", "h1,h2,h3",
        // Attributes.
        "[type=\"text\"]", "[lang|=en]", "[class~='x']", "[href^=http]", "[href$='.pdf']", "[title*=\"a b\"]",
        "[ data-x = 'y' ]", "[a=b i]", "[xlink|href]",
        // Pseudo-classes and pseudo-elements, functional ones with their arguments.
        "a:hover", "p::before", "p:after", "input:checked + label", "::-webkit-scrollbar", "a:not(.x)",
        ":not(div, .a > b)", "li:nth-child(2n+1)", "li:nth-child(ODD)", "li:nth-child(-n+3)", "li:nth-child(+5)",
        ":nth-child(2n - 1)", ":nth-child(2n-1)", ":nth-child(2n- 1)", ":nth-child( 2n+1 )", ":nth-last-of-type(3)",
        ":lang(de-ch)", ":is(h1, h2) a", ":has(> img)", "::part(label)",
        // Namespaces.
        "svg|rect", "*|*", "|a",
    };
    for (const char *selector : selectors)
        expectValid(selector);
}

TEST(CSSSelectorValidator, ReportsEachMisplacedTokenWithItsRange)
{
    struct Row
    {
        const char *name;
        const char *selector;
        const char *errors;
    };
    const Row rows[] = {
        {"doubled dot", "div..header", ".@4+1"},
        {"two doubled dots", "div..a..b", ".@4+1 .@7+1"},
        {"number as a name", "1a", "Number@0+1"},
        {"unknown character", "a @b", "Error@2+0"},
        {"brace", "div{color:red}", "Error@3+0"},
        // Deleting a token may leave the next one misplaced too.
        {"keyword in an+b", "li:nth-child(a)", "a@13+1 )@14+1 EOF@15+0"},
        {"universal after a type", "div*", "*@3+1"},
        {"white space after a pseudo-class colon", "a: hover", "Whitespace@2+1"},
        {"number attribute value", "[a=1]", "Number@3+1 ]@4+1 EOF@5+0"},
        {"empty brackets", "[]", "]@1+1 EOF@2+0"},
        {"doubled combinator", "a > > b", ">@4+1 Whitespace@5+1"},
    };
    for (const Row &row : rows)
        EXPECT_EQ(errorsOf(row.selector), row.errors) << row.name << ": " << row.selector;
}

TEST(CSSSelectorValidator, ReportsAnIncompleteSelectorOnTheEnd)
{
    EXPECT_EQ(errorsOf("div >"), "EOF@5+0");
    EXPECT_EQ(errorsOf("div > "), "EOF@6+0");
    EXPECT_EQ(errorsOf("a,"), "EOF@2+0");
    EXPECT_EQ(errorsOf("a:not"), "EOF@5+0");
    EXPECT_EQ(errorsOf(""), "EOF@0+0");
}

TEST(CSSSelectorValidator, RangesReferToTheTextAsTyped)
{
    // Lower-casing "\u0130" with Unicode rules gives two characters, which
    // would shift every later range by one.
    EXPECT_EQ(errorsOf("div > \u0130"), "Error@6+0");
    EXPECT_EQ(errorsOf("\u0130 > a"), "Error@0+0");
    EXPECT_EQ(errorsOf("DIV..HEADER"), ".@4+1");
}

TEST(CSSSelectorValidator, EveryParseStartsWithNoErrors)
{
    CSSSelectorValidator &validator = sharedValidator();
    validator.parse(QStringLiteral("div >"));
    EXPECT_EQ(validator.errors().size(), 1);
    validator.parse(QStringLiteral("div > p"));
    EXPECT_TRUE(validator.errors().isEmpty());
}

TEST(CSSSelectorValidator, AnswersNothingUntilSetUpHasFinished)
{
    QSemaphore release;
    CSSSelectorValidator validator({}, [&release] { release.acquire(); });
    EXPECT_FALSE(validator.isReady());
    EXPECT_FALSE(validator.parse(QStringLiteral("div >")).isValid());
    EXPECT_TRUE(validator.errors().isEmpty());

    release.release();
    ASSERT_TRUE(TestUtil::waitUntil([&validator] { return validator.isReady(); }));
    EXPECT_TRUE(validator.parse(QStringLiteral("div > p")).isValid());
    validator.parse(QStringLiteral("div >"));
    ASSERT_EQ(validator.errors().size(), 1);
    EXPECT_EQ(validator.errors().first(), (ErrorRecord{QStringLiteral("EOF"), Range{5, 0}}));
}

TEST(CSSSelectorValidator, AnnouncesThatItIsReadyOnTheMainThread)
{
    // Announcements of validators made by earlier tests go first.
    QCoreApplication::sendPostedEvents();
    int owner = 0;
    std::atomic<int> announcements = 0;
    std::atomic<bool> onMainThread = true;
    NotificationCenter::defaultCenter().addObserver(
        &owner, CSSSelectorValidator::initializedNotificationName(), nullptr,
        [&announcements, &onMainThread](const Notification &notification) {
            ++announcements;
            if (QThread::currentThread() != QCoreApplication::instance()->thread())
                onMainThread = false;
            EXPECT_EQ(notification.object, nullptr);
            EXPECT_TRUE(notification.userInfo.isEmpty());
        });
    {
        CSSSelectorValidator validator;
        EXPECT_TRUE(TestUtil::waitUntil([&announcements] { return announcements == 1; }));
        EXPECT_TRUE(validator.isReady());
    }
    EXPECT_TRUE(onMainThread);
    NotificationCenter::defaultCenter().removeObserver(&owner);
}

TEST(CSSSelectorValidator, WithoutAUsableGrammarEveryTextPasses)
{
    QTemporaryDir folder;
    const QString conflicting = folder.filePath(QStringLiteral("conflict.grammar"));
    TestUtil::writeFile(conflicting, "SelectorsGroup ::= <A> | <B>; A ::= 'div'; B ::= 'div';");
    const QString broken = folder.filePath(QStringLiteral("broken.grammar"));
    TestUtil::writeFile(broken, "SelectorsGroup ::= ");
    for (const QString &path : {folder.filePath(QStringLiteral("missing.grammar")), broken, conflicting}) {
        QCoreApplication::sendPostedEvents();
        int owner = 0;
        bool announced = false;
        NotificationCenter::defaultCenter().addObserver(
            &owner, CSSSelectorValidator::initializedNotificationName(), nullptr,
            [&announced](const Notification &) { announced = true; });
        CSSSelectorValidator validator(path);
        EXPECT_TRUE(TestUtil::waitUntil([&announced] { return announced; })) << path.toStdString();
        EXPECT_TRUE(validator.isReady());
        EXPECT_FALSE(validator.parse(QStringLiteral("div >")).isValid());
        EXPECT_TRUE(validator.errors().isEmpty());
        NotificationCenter::defaultCenter().removeObserver(&owner);
    }
}

TEST(CSSSelectorValidator, TwoThreadsAskingAtOnceGetTheSameInstance)
{
    std::atomic<int> waiting = 8;
    std::vector<CSSSelectorValidator *> seen(8, nullptr);
    std::vector<std::thread> threads;
    for (int i = 0; i < 8; ++i) {
        threads.emplace_back([i, &waiting, &seen] {
            // Start together, so that first calls meet.
            --waiting;
            while (waiting > 0)
                std::this_thread::yield();
            seen[i] = CSSSelectorValidator::getInstance();
        });
    }
    for (std::thread &thread : threads)
        thread.join();
    for (CSSSelectorValidator *validator : seen)
        EXPECT_EQ(validator, seen.front());
    EXPECT_EQ(CSSSelectorValidator::getInstance(), seen.front());
}
