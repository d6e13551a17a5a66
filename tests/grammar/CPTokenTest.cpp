#include "GrammarTestSupport.h"

#include "grammar/CPToken.h"
#include "grammar/CPTokenStream.h"

#include <QThread>

#include <atomic>
#include <thread>

TEST(CPToken, NamesAreTheContractWithGrammars)
{
    EXPECT_EQ(CPToken::tokenWithKeyword("px")->name(), "px");
    EXPECT_EQ(CPToken::tokenWithIdentifier("foo")->name(), "Identifier");
    EXPECT_EQ(CPToken::tokenWithNumber(2.5)->name(), "Number");
    EXPECT_EQ(CPToken::content("abc", "'", "String")->name(), "String");
    EXPECT_EQ(CPToken::content("abc", "\"", "String")->name(), "String");
    EXPECT_EQ(CPToken::whiteSpace("  ")->name(), "Whitespace");
    EXPECT_EQ(CPToken::eof()->name(), "EOF");
    EXPECT_EQ(CPToken::errorWithMessage("bad")->name(), "Error");
}

TEST(CPToken, DescriptionsFollowTheirKinds)
{
    EXPECT_EQ(CPToken::tokenWithKeyword("(")->description(), "<Keyword: (>");
    EXPECT_EQ(CPToken::tokenWithIdentifier("div")->description(), "<Identifier: div>");
    EXPECT_EQ(CPToken::tokenWithNumber(2.5)->description(), "<Number: 2.5>");
    EXPECT_EQ(CPToken::tokenWithNumber(qlonglong(7))->description(), "<Number: 7>");
    EXPECT_EQ(CPToken::content("a b", "'", "String")->description(), "<String: a b>");
    EXPECT_EQ(CPToken::whiteSpace(" ")->description(), "<Whitespace>");
    EXPECT_EQ(CPToken::eof()->description(), "<EOF>");
    EXPECT_EQ(CPToken::errorWithMessage("x")->description(), "<Error>");
}

TEST(CPToken, EqualityIgnoresPositionsAndComparesValuesPerKind)
{
    CPTokenPtr a = CPToken::tokenWithKeyword("a");
    CPTokenPtr b = CPToken::tokenWithKeyword("a");
    b->setLineNumber(3);
    b->setCharacterNumber(12);
    EXPECT_TRUE(a->isEqual(*b));
    EXPECT_EQ(a->hash(), b->hash());
    EXPECT_FALSE(a->isEqual(*CPToken::tokenWithIdentifier("a")));
    EXPECT_TRUE(CPToken::whiteSpace(" ")->isEqual(*CPToken::whiteSpace("\n\t")));
    EXPECT_TRUE(CPToken::errorWithMessage("x")->isEqual(*CPToken::errorWithMessage("y")));
    EXPECT_TRUE(CPToken::tokenWithNumber(qlonglong(2))->isEqual(*CPToken::tokenWithNumber(2.0)));
    EXPECT_EQ(CPToken::tokenWithNumber(qlonglong(2))->hash(), CPToken::tokenWithNumber(2.0)->hash());
    EXPECT_FALSE(CPToken::content("a", "'", "String")->isEqual(*CPToken::content("a", "\"", "String")));
    EXPECT_FALSE(CPToken::content("a", "'", "String")->isEqual(*CPToken::content("a", "'", "Name")));
}

TEST(CPToken, DefaultTokensAreEmpty)
{
    EXPECT_EQ(CPKeywordToken().keyword(), " ");
    EXPECT_EQ(CPIdentifierToken().identifier(), "");
    EXPECT_EQ(CPNumberToken().doubleValue(), 0.0);
    EXPECT_EQ(CPQuotedToken().content(), "");
    EXPECT_EQ(CPQuotedToken().name(), "");
    EXPECT_EQ(CPKeywordToken().lineNumber(), 0);
}

TEST(CPTokenStream, PeekKeepsTheTokenThatPopThenTakes)
{
    CPTokenStream stream({CPToken::tokenWithKeyword("a"), CPToken::tokenWithKeyword("b")});
    stream.closeTokenStream();
    const CPTokenPtr first = stream.peekToken();
    EXPECT_EQ(stream.peekToken(), first);
    EXPECT_EQ(stream.popToken(), first);
    EXPECT_EQ(stream.peekToken()->name(), "b");
    EXPECT_EQ(stream.popToken()->name(), "b");
    EXPECT_EQ(stream.peekToken(), nullptr);
    EXPECT_EQ(stream.popToken(), nullptr);
}

TEST(CPTokenStream, ClosedEmptyStreamAnswersNothingAtOnce)
{
    CPTokenStream stream;
    stream.closeTokenStream();
    EXPECT_EQ(stream.peekToken(), nullptr);
    EXPECT_EQ(stream.popToken(), nullptr);
}

TEST(CPTokenStream, DescriptionAndEqualityFollowTheQueue)
{
    CPTokenStream a({CPToken::tokenWithKeyword("a"), CPToken::eof()});
    CPTokenStream b({CPToken::tokenWithKeyword("a"), CPToken::eof()});
    CPTokenStream c({CPToken::tokenWithKeyword("b")});
    EXPECT_EQ(a.description(), "<Keyword: a> <EOF> ");
    EXPECT_TRUE(a.isEqual(b));
    EXPECT_EQ(a.hash(), b.hash());
    EXPECT_FALSE(a.isEqual(c));
}

// A reader on another thread waits while the stream is empty and open; an
// empty pushTokens does not wake it, a token or the close does.
TEST(CPTokenStream, ReaderOnAnotherThreadWaitsForTheProducer)
{
    CPTokenStream stream;
    std::atomic<int> popped{0};
    std::atomic<bool> sawEnd{false};
    std::thread reader([&] {
        while (CPTokenPtr token = stream.popToken())
            ++popped;
        sawEnd = true;
    });
    stream.pushTokens({});
    QThread::msleep(20);
    EXPECT_EQ(popped.load(), 0);
    EXPECT_FALSE(sawEnd.load());
    for (int i = 0; i < 1000; ++i)
        stream.pushToken(CPToken::tokenWithNumber(qlonglong(i)));
    stream.pushTokens({CPToken::tokenWithKeyword("x"), CPToken::eof()});
    stream.closeTokenStream();
    reader.join();
    EXPECT_EQ(popped.load(), 1002);
    EXPECT_TRUE(sawEnd.load());
}

TEST(CPTokenStream, SetTokensWakesAWaitingReader)
{
    CPTokenStream stream;
    CPTokenPtr seen;
    std::thread reader([&] { seen = stream.peekToken(); });
    QThread::msleep(10);
    stream.setTokens({CPToken::tokenWithKeyword("z")});
    reader.join();
    ASSERT_TRUE(seen);
    EXPECT_EQ(seen->name(), "z");
    EXPECT_EQ(stream.tokens().size(), 1);
}
