#include "GrammarTestSupport.h"

#include "grammar/CPIdentifierRecogniser.h"
#include "grammar/CPKeywordRecogniser.h"
#include "grammar/CPNumberRecogniser.h"
#include "grammar/CPQuotedRecogniser.h"
#include "grammar/CPTokeniser.h"
#include "grammar/CPWhiteSpaceRecogniser.h"

namespace {

// "name value line:column @offset+length" per token, value per kind.
QStringList listOf(CPTokenStream &stream)
{
    QStringList lines;
    for (const CPTokenPtr &token : stream.tokens()) {
        QString value;
        if (token->isKeywordToken() || token->isEOFToken() || token->isWhiteSpaceToken())
            value = token->description();
        else if (token->isIdentifierToken())
            value = static_cast<const CPIdentifierToken &>(*token).identifier();
        else if (token->isNumberToken())
            value = static_cast<const CPNumberToken &>(*token).number().toString();
        else if (token->isQuotedToken())
            value = static_cast<const CPQuotedToken &>(*token).content();
        else if (token->isErrorToken())
            value = static_cast<const CPErrorToken &>(*token).errorMessage();
        lines.append(QStringLiteral("%1 %2 %3:%4 @%5+%6")
                         .arg(token->name(), value)
                         .arg(token->lineNumber())
                         .arg(token->columnNumber())
                         .arg(token->characterNumber())
                         .arg(token->length()));
    }
    return lines;
}

CPTokenPtr recognise(const CPTokenRecogniser &recogniser, const QString &input, qsizetype *position)
{
    return recogniser.recogniseTokenInString(input, position);
}

class RefuseWhiteSpace final : public CPTokeniserDelegate
{
public:
    bool tokeniserShouldConsumeToken(CPTokeniser *, const CPTokenPtr &token) override
    {
        return !token->isWhiteSpaceToken();
    }
};

class SkipUnknown final : public CPTokeniserDelegate
{
public:
    bool tokeniserShouldConsumeToken(CPTokeniser *, const CPTokenPtr &) override { return true; }
    std::optional<qsizetype> tokeniserDidNotFindTokenOnInput(CPTokeniser *, const QString &, qsizetype position,
                                                             QString *errorMessage) override
    {
        *errorMessage = QStringLiteral("skipped at %1").arg(position);
        return stop ? CPTokeniser::NotFound : position + 1;
    }
    bool stop = false;
};

} // namespace

TEST(CPTokeniser, GivesExactTokensForAFixedInput)
{
    CPTokeniser tokeniser;
    for (const char *keyword : {"{", "}", ":", ";"})
        tokeniser.addTokenRecogniser(CPKeywordRecogniser::recogniserForKeyword(QString::fromLatin1(keyword)));
    tokeniser.addTokenRecogniser(CPNumberRecogniser::numberRecogniser());
    tokeniser.addTokenRecogniser(CPIdentifierRecogniser::identifierRecogniser());
    tokeniser.addTokenRecogniser(CPQuotedRecogniser::quotedRecogniserWithStartQuote("\"", "\"", "\\", "String"));
    tokeniser.addTokenRecogniser(CPWhiteSpaceRecogniser::whiteSpaceRecogniser());
    auto stream = tokeniser.tokenise(QStringLiteral("a {\n  width: -2.5e1;\r\n  font: \"x\\\"y\";\n}"));
    const QStringList expected{
        "Identifier a 0:0 @0+1",
        "Whitespace <Whitespace> 0:1 @1+1",
        "{ <Keyword: {> 0:2 @2+1",
        "Whitespace <Whitespace> 0:3 @3+3",
        "Identifier width 1:2 @6+5",
        ": <Keyword: :> 1:7 @11+1",
        "Whitespace <Whitespace> 1:8 @12+1",
        "Number -25 1:9 @13+6",
        "; <Keyword: ;> 1:15 @19+1",
        "Whitespace <Whitespace> 1:16 @20+4",
        "Identifier font 3:2 @24+4",
        ": <Keyword: :> 3:6 @28+1",
        "Whitespace <Whitespace> 3:7 @29+1",
        "String x\"y 3:8 @30+6",
        "; <Keyword: ;> 3:14 @36+1",
        "Whitespace <Whitespace> 3:15 @37+1",
        "} <Keyword: }> 4:0 @38+1",
        "EOF <EOF> 4:1 @39+0",
    };
    EXPECT_EQ(listOf(*stream), expected);
    EXPECT_TRUE(stream->isClosed());
}

TEST(CPTokeniser, CountsCarriageReturnAndLineFeedAsTwoBreaks)
{
    CPTokeniser tokeniser;
    tokeniser.addTokenRecogniser(CPIdentifierRecogniser::identifierRecogniser());
    tokeniser.addTokenRecogniser(CPWhiteSpaceRecogniser::whiteSpaceRecogniser());
    auto stream = tokeniser.tokenise(QStringLiteral("a\r\nb"));
    EXPECT_EQ(listOf(*stream), QStringList({"Identifier a 0:0 @0+1", "Whitespace <Whitespace> 0:1 @1+2",
                                            "Identifier b 2:0 @3+1", "EOF <EOF> 2:1 @4+0"}));
}

TEST(CPTokeniser, EmptyInputGivesOnlyTheEndToken)
{
    CPTokeniser tokeniser;
    auto stream = tokeniser.tokenise(QString());
    EXPECT_EQ(listOf(*stream), QStringList({"EOF <EOF> 0:0 @0+0"}));
}

TEST(CPTokeniser, FirstRecogniserInTheListWinsNotTheLongestMatch)
{
    CPTokeniser shortFirst;
    shortFirst.addTokenRecogniser(CPKeywordRecogniser::recogniserForKeyword("("));
    shortFirst.addTokenRecogniser(CPKeywordRecogniser::recogniserForKeyword("(("));
    EXPECT_EQ(shortFirst.tokenise("((")->description(), "<Keyword: (> <Keyword: (> <EOF> ");

    CPTokeniser longFirst;
    longFirst.addTokenRecogniser(CPKeywordRecogniser::recogniserForKeyword("(("));
    longFirst.addTokenRecogniser(CPKeywordRecogniser::recogniserForKeyword("("));
    EXPECT_EQ(longFirst.tokenise("((")->description(), "<Keyword: ((> <EOF> ");
}

TEST(CPTokeniser, InsertingAndRemovingRecognisersChangesPriority)
{
    CPTokeniser tokeniser;
    auto single = CPKeywordRecogniser::recogniserForKeyword("(");
    auto twice = CPKeywordRecogniser::recogniserForKeyword("((");
    tokeniser.addTokenRecogniser(single);
    tokeniser.insertTokenRecogniserBeforeRecogniser(twice, single);
    EXPECT_EQ(tokeniser.tokenise("((")->description(), "<Keyword: ((> <EOF> ");
    tokeniser.removeTokenRecogniser(twice);
    EXPECT_EQ(tokeniser.tokenise("((")->description(), "<Keyword: (> <Keyword: (> <EOF> ");
    tokeniser.insertTokenRecogniser(twice, 0);
    EXPECT_EQ(tokeniser.tokenRecognisers().first(), twice);
    EXPECT_EQ(tokeniser.tokenise("((")->description(), "<Keyword: ((> <EOF> ");
}

TEST(CPTokeniser, UnmatchedInputStopsWithAnErrorTokenAndNoEnd)
{
    CPTokeniser tokeniser;
    tokeniser.addTokenRecogniser(CPKeywordRecogniser::recogniserForKeyword("ba"));
    tokeniser.addTokenRecogniser(CPIdentifierRecogniser::identifierRecogniser());
    auto stream = tokeniser.tokenise(QStringLiteral("ab#cdefghijklmnop"));
    const QList<CPTokenPtr> tokens = stream->tokens();
    ASSERT_EQ(tokens.size(), 2);
    EXPECT_EQ(tokens[0]->name(), "Identifier");
    EXPECT_EQ(static_cast<const CPIdentifierToken &>(*tokens[0]).identifier(), "ab");
    ASSERT_TRUE(tokens[1]->isErrorToken());
    EXPECT_EQ(tokens[1]->characterNumber(), 2);
    EXPECT_EQ(tokens[1]->columnNumber(), 2);
    EXPECT_EQ(static_cast<const CPErrorToken &>(*tokens[1]).errorMessage(),
              "The tokeniser encountered an invalid input \"#cdefghijk\", and could not handle it.  Implement "
              "-tokeniser:didNotFindTokenAtInputPosition:error: to make this do something more useful");
    EXPECT_TRUE(stream->isClosed());
}

TEST(CPTokeniser, RefusedTokensFallThroughToTheUnmatchedPath)
{
    CPTokeniser tokeniser;
    RefuseWhiteSpace refuse;
    tokeniser.addTokenRecogniser(CPIdentifierRecogniser::identifierRecogniser());
    tokeniser.addTokenRecogniser(CPWhiteSpaceRecogniser::whiteSpaceRecogniser());
    tokeniser.setDelegate(&refuse);
    auto stream = tokeniser.tokenise(QStringLiteral("a b"));
    ASSERT_EQ(stream->tokens().size(), 2);
    EXPECT_TRUE(stream->tokens().last()->isErrorToken());
}

TEST(CPTokeniser, DelegateCanSkipUnknownInputOrStopWithAnEndToken)
{
    CPTokeniser tokeniser;
    SkipUnknown skip;
    tokeniser.addTokenRecogniser(CPIdentifierRecogniser::identifierRecogniser());
    tokeniser.setDelegate(&skip);
    auto skipped = tokeniser.tokenise(QStringLiteral("a#b"));
    QStringList names;
    for (const CPTokenPtr &token : skipped->tokens())
        names.append(token->name());
    EXPECT_EQ(names, QStringList({"Identifier", "Error", "Identifier", "EOF"}));
    // The delegate's error token keeps its message and has no position.
    EXPECT_EQ(static_cast<const CPErrorToken &>(*skipped->tokens()[1]).errorMessage(), "skipped at 1");
    EXPECT_EQ(skipped->tokens()[1]->characterNumber(), 0);

    skip.stop = true;
    auto stopped = tokeniser.tokenise(QStringLiteral("a#"));
    names.clear();
    for (const CPTokenPtr &token : stopped->tokens())
        names.append(token->name());
    EXPECT_EQ(names, QStringList({"Identifier", "Error", "EOF"}));
    EXPECT_EQ(stopped->tokens().last()->characterNumber(), 2);
}

TEST(CPTokeniser, ProducerThreadFillsAStreamThatAParserDrains)
{
    CPTokeniser tokeniser;
    tokeniser.addTokenRecogniser(CPNumberRecogniser::integerRecogniser());
    tokeniser.addTokenRecogniser(CPWhiteSpaceRecogniser::whiteSpaceRecogniser());
    const QString input = QStringLiteral("1 ").repeated(5000);
    CPTokenStream stream;
    std::thread producer([&] { tokeniser.tokenise(input, &stream); });
    int count = 0;
    while (CPTokenPtr token = stream.popToken())
        ++count;
    producer.join();
    EXPECT_EQ(count, 10001);
}

TEST(CPKeywordRecogniser, InvalidFollowingCharacterRefusesThePrefix)
{
    const CPKeywordRecogniser px(QStringLiteral("px"),
                                 CPCharacterSet(QStringLiteral("abcdefghijklmnopqrstuvwxyz0123456789-_")));
    qsizetype position = 0;
    EXPECT_FALSE(recognise(px, "pxa", &position));
    EXPECT_EQ(position, 0);
    EXPECT_TRUE(recognise(px, "px", &position));
    EXPECT_EQ(position, 2);
    position = 1;
    EXPECT_TRUE(recognise(px, "2px;", &position));
    EXPECT_EQ(position, 3);
    position = 0;
    EXPECT_FALSE(recognise(px, "p", &position));
    EXPECT_FALSE(recognise(px, "PX", &position));
}

TEST(CPIdentifierRecogniser, DefaultSetsAllowDashesAndDigitsAfterTheFirstCharacter)
{
    CPIdentifierRecogniser identifiers;
    qsizetype position = 0;
    CPTokenPtr token = recognise(identifiers, "_a-1b+c", &position);
    ASSERT_TRUE(token);
    EXPECT_EQ(static_cast<const CPIdentifierToken &>(*token).identifier(), "_a-1b");
    EXPECT_EQ(position, 5);
    position = 0;
    EXPECT_FALSE(recognise(identifiers, "1a", &position));
    EXPECT_FALSE(recognise(identifiers, "-a", &position));
}

TEST(CPNumberRecogniser, KindsOfNumbers)
{
    struct Row {
        const char *name;
        std::shared_ptr<CPNumberRecogniser> recogniser;
        const char *input;
        bool matches;
        QVariant value;
        qsizetype end;
    };
    const QList<Row> rows{
        {"float-only takes a fraction", CPNumberRecogniser::floatRecogniser(), "3.5", true, 3.5, 3},
        {"float-only refuses an integer", CPNumberRecogniser::floatRecogniser(), "35", false, {}, 0},
        {"float-only wants a lower-case e", CPNumberRecogniser::floatRecogniser(), "1E5", false, {}, 0},
        {"float-only takes an exponent", CPNumberRecogniser::floatRecogniser(), "1e5x", true, 1e5, 3},
        {"number gives a double for integers", CPNumberRecogniser::numberRecogniser(), "35", true, 35.0, 2},
        {"number stops before a lone e", CPNumberRecogniser::numberRecogniser(), "2em", true, 2.0, 1},
        {"number reads a leading dot", CPNumberRecogniser::numberRecogniser(), "-.5", true, -0.5, 3},
        {"number needs a digit", CPNumberRecogniser::numberRecogniser(), "-.", false, {}, 0},
        {"integer keeps its type", CPNumberRecogniser::integerRecogniser(), "+42.5", true, qlonglong(42), 3},
        {"integer saturates", CPNumberRecogniser::integerRecogniser(), "99999999999999999999", true,
         qlonglong(std::numeric_limits<qlonglong>::max()), 20},
        {"integer saturates below", CPNumberRecogniser::integerRecogniser(), "-99999999999999999999", true,
         qlonglong(std::numeric_limits<qlonglong>::min()), 21},
        {"integer needs a digit", CPNumberRecogniser::integerRecogniser(), "-x", false, {}, 0},
    };
    for (const Row &row : rows) {
        qsizetype position = 0;
        CPTokenPtr token = recognise(*row.recogniser, QString::fromLatin1(row.input), &position);
        EXPECT_EQ(bool(token), row.matches) << row.name;
        EXPECT_EQ(position, row.end) << row.name;
        if (token && row.matches) {
            const QVariant &number = static_cast<const CPNumberToken &>(*token).number();
            EXPECT_EQ(number.typeId(), row.value.typeId()) << row.name;
            EXPECT_EQ(number, row.value) << row.name;
        }
    }
}

TEST(CPQuotedRecogniser, EscapedQuoteStaysInTheContent)
{
    auto quoted = CPQuotedRecogniser::quotedRecogniserWithStartQuote("\"", "\"", "\\", "String");
    qsizetype position = 0;
    CPTokenPtr token = recognise(*quoted, QStringLiteral("\"a\\\"b\""), &position);
    ASSERT_TRUE(token);
    EXPECT_EQ(static_cast<const CPQuotedToken &>(*token).content(), "a\"b");
    EXPECT_EQ(position, 6);
    position = 0;
    token = recognise(*quoted, QStringLiteral("\"a\\nb\""), &position);
    ASSERT_TRUE(token);
    EXPECT_EQ(static_cast<const CPQuotedToken &>(*token).content(), "anb");
}

TEST(CPQuotedRecogniser, MaximumLengthLimitsTheContent)
{
    auto quoted = CPQuotedRecogniser::quotedRecogniserWithStartQuote("\"", "\"", QString(), 3, "String");
    qsizetype position = 0;
    EXPECT_FALSE(recognise(*quoted, QStringLiteral("\"abcd\""), &position));
    EXPECT_EQ(position, 0);
    EXPECT_TRUE(recognise(*quoted, QStringLiteral("\"abc\""), &position));
    EXPECT_EQ(position, 5);
}

TEST(CPQuotedRecogniser, UnterminatedOrTrailingEscapeFails)
{
    auto quoted = CPQuotedRecogniser::quotedRecogniserWithStartQuote("'", "'", "\\", "String");
    qsizetype position = 0;
    EXPECT_FALSE(recognise(*quoted, QStringLiteral("'abc"), &position));
    EXPECT_FALSE(recognise(*quoted, QStringLiteral("'abc\\"), &position));
    EXPECT_FALSE(recognise(*quoted, QStringLiteral("'a\\'"), &position));
    EXPECT_EQ(position, 0);
}

TEST(CPQuotedRecogniser, ReplacerTurnsEscapesIntoText)
{
    auto quoted = CPQuotedRecogniser::quotedRecogniserWithStartQuote("\"", "\"", "\\", "String");
    quoted->setEscapeReplacer([](const QString &input, qsizetype *position) -> std::optional<QString> {
        if (input.at(*position) != QLatin1Char('n'))
            return std::nullopt;
        ++*position;
        return QStringLiteral("\n");
    });
    qsizetype position = 0;
    CPTokenPtr token = recognise(*quoted, QStringLiteral("\"a\\nb\\q\""), &position);
    ASSERT_TRUE(token);
    EXPECT_EQ(static_cast<const CPQuotedToken &>(*token).content(), "a\nbq");
}

TEST(CPWhiteSpaceRecogniser, TakesTheLongestRunOfBlanksAndBreaks)
{
    CPWhiteSpaceRecogniser whiteSpace;
    qsizetype position = 1;
    CPTokenPtr token = recognise(whiteSpace, QStringLiteral("a \t\r\n\u00a0b"), &position);
    ASSERT_TRUE(token);
    EXPECT_EQ(position, 6);
    position = 0;
    EXPECT_FALSE(recognise(whiteSpace, QStringLiteral("a "), &position));
}

TEST(CPTokeniser, ArchiveRebuildsTheSameRecognisers)
{
    CPTokeniser tokeniser;
    tokeniser.addTokenRecogniser(CPKeywordRecogniser::recogniserForKeyword("px", CPCharacterSet("abc")));
    tokeniser.addTokenRecogniser(CPIdentifierRecogniser::identifierRecogniser());
    tokeniser.addTokenRecogniser(CPNumberRecogniser::floatRecogniser());
    tokeniser.addTokenRecogniser(CPQuotedRecogniser::quotedRecogniserWithStartQuote("<", ">", "\\", 8, "Angle"));
    tokeniser.addTokenRecogniser(CPWhiteSpaceRecogniser::whiteSpaceRecogniser());
    const QString input = QStringLiteral("pxa px 2.5 <a\\>b> x");
    std::unique_ptr<CPTokeniser> copy = CPTokeniser::fromArchive(tokeniser.archive());
    ASSERT_EQ(copy->tokenRecognisers().size(), 5);
    EXPECT_EQ(listOf(*copy->tokenise(input)), listOf(*tokeniser.tokenise(input)));
}

TEST(CPQuotedRecogniser, ArchivingAReplacerIsLoggedAndAnOversizedLengthMeansUnlimited)
{
    GrammarLogCapture log;
    auto quoted = CPQuotedRecogniser::quotedRecogniserWithStartQuote("\"", "\"", "\\", "String");
    quoted->setEscapeReplacer([](const QString &, qsizetype *) { return std::optional<QString>(); });
    QVariantMap archive = quoted->archive();
    EXPECT_TRUE(log.contains("Warning: encoding CPQuoteRecogniser with an escapeReplacer set."));
    archive.insert("Q.m", QVariant::fromValue(std::numeric_limits<quint64>::max()));
    auto restored = std::dynamic_pointer_cast<CPQuotedRecogniser>(CPTokenRecogniser::fromArchive(archive));
    ASSERT_TRUE(restored);
    EXPECT_EQ(restored->maximumLength(), CPQuotedRecogniser::Unlimited);
    EXPECT_FALSE(restored->escapeReplacer());
    EXPECT_TRUE(log.contains("Warning, value for maximum length too long for this platform"));
}
