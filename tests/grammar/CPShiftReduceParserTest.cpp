#include "GrammarTestSupport.h"

#include "grammar/CPIdentifierRecogniser.h"
#include "grammar/CPLALR1Parser.h"
#include "grammar/CPParseResult.h"
#include "grammar/CPRHSItemResult.h"

#include <thread>

namespace {

std::unique_ptr<CPLALR1Parser> lalr(const QString &start, const QString &text)
{
    CPGrammarPtr grammar = readGrammar(start, text);
    return grammar ? CPLALR1Parser::parserWithGrammar(grammar) : nullptr;
}

// Leaves become their rule's name in upper case; other rules keep their trees.
class NamingDelegate final : public CPParserDelegate
{
public:
    QVariant parserDidProduceSyntaxTree(CPParser *, const CPSyntaxTreePtr &tree) override
    {
        const QString name = tree->rule()->name();
        if (name.size() == 1)
            return name.toUpper();
        last = tree;
        return CPValue::fromSyntaxTree(tree);
    }
    CPSyntaxTreePtr last;
};

// Answers one recovery for every error and remembers where the errors were.
class Recovering final : public CPParserDelegate
{
public:
    std::optional<CPRecoveryAction> parserDidEncounterErrorOnInputExpecting(CPParser *, CPTokenStream *stream,
                                                                            const QSet<QString> &expected) override
    {
        const CPTokenPtr token = stream->peekToken();
        errors.append(QStringLiteral("%1@%2").arg(token ? token->name() : QStringLiteral("none")).arg(token ? token->characterNumber() : -1));
        lastExpected = expected;
        return answer;
    }
    std::optional<CPRecoveryAction> answer;
    QStringList errors;
    QSet<QString> lastExpected;
};

// Implements only the error operation without expected names.
class PlainRecovering final : public CPParserDelegate
{
public:
    std::optional<CPRecoveryAction> parserDidEncounterErrorOnInput(CPParser *, CPTokenStream *) override
    {
        ++calls;
        return CPRecoveryAction::recoveryActionStop();
    }
    int calls = 0;
};

QVariant parse(CPParser &parser, const QStringList &keywords, const QString &input)
{
    auto stream = tokensOf(keywords, input);
    return parser.parse(*stream);
}

} // namespace

TEST(CPShiftReduceParser, WithoutADelegateAnswersTheStartTreeWithTokenLeaves)
{
    auto parser = lalr("s", "s ::= 'a' <t> 'b'; t ::= 'c';");
    ASSERT_TRUE(parser);
    const QVariant result = parse(*parser, {"a", "b", "c"}, "a c b");
    const CPSyntaxTreePtr tree = CPValue::syntaxTree(result);
    ASSERT_TRUE(tree);
    EXPECT_EQ(tree->rule()->name(), "s");
    ASSERT_EQ(tree->children().size(), 3);
    EXPECT_TRUE(CPValue::isToken(tree->childAtIndex(0)));
    EXPECT_EQ(CPValue::syntaxTree(tree->childAtIndex(1))->rule()->name(), "t");
    EXPECT_EQ(describe(result), "(<Keyword: a> (<Keyword: c>) <Keyword: b>)");
}

TEST(CPShiftReduceParser, TaggedSymbolIsSplicedAndRecordedAndRepetitionBecomesAnArray)
{
    auto parser = lalr("start", "start ::= x@<a> <b>*; a ::= 'a'; b ::= 'b';");
    ASSERT_TRUE(parser);
    NamingDelegate names;
    parser->setDelegate(&names);
    const CPSyntaxTreePtr tree = CPValue::syntaxTree(parse(*parser, {"a", "b"}, "a b b"));
    ASSERT_TRUE(tree);
    EXPECT_EQ(describe(CPValue::fromSyntaxTree(tree)), "(A [B, B])");
    EXPECT_EQ(tree->valueForTag("x").toString(), "A");
    EXPECT_FALSE(tree->valueForTag("y").isValid());
}

TEST(CPShiftReduceParser, RepeatedGroupGivesAnArrayPerRepetition)
{
    auto parser = lalr("start", "start ::= x@<a> (<b>)*; a ::= 'a'; b ::= 'b';");
    ASSERT_TRUE(parser);
    NamingDelegate names;
    parser->setDelegate(&names);
    EXPECT_EQ(describe(parse(*parser, {"a", "b"}, "a b b")), "(A [[B], [B]])");
    EXPECT_EQ(describe(parse(*parser, {"a", "b"}, "a")), "(A [])");
}

// Regression: a tagged repetition recorded the tail of the list, so the tag
// held an empty array whatever was matched.
TEST(CPShiftReduceParser, TaggedRepetitionRecordsTheWholeArray)
{
    auto parser = lalr("start", "start ::= items@<b>* 'end'; b ::= 'b';");
    ASSERT_TRUE(parser);
    NamingDelegate names;
    parser->setDelegate(&names);
    const CPSyntaxTreePtr tree = CPValue::syntaxTree(parse(*parser, {"b", "end"}, "b b b end"));
    ASSERT_TRUE(tree);
    EXPECT_EQ(describe(tree->valueForTag("items")), "[B, B, B]");
    EXPECT_EQ(describe(tree->childAtIndex(0)), "[B, B, B]");
}

TEST(CPShiftReduceParser, TagsInsideGroupsReachTheRule)
{
    auto parser = lalr("start", "start ::= (x@<a> <b>) g@(<b> | <a>) o@<a>? 'end'; a ::= 'a'; b ::= 'b';");
    ASSERT_TRUE(parser);
    NamingDelegate names;
    parser->setDelegate(&names);
    const CPSyntaxTreePtr tree = CPValue::syntaxTree(parse(*parser, {"a", "b", "end"}, "a b a end"));
    ASSERT_TRUE(tree);
    EXPECT_EQ(describe(CPValue::fromSyntaxTree(tree)), "([A, B] [A] [] <Keyword: end>)");
    EXPECT_EQ(tree->valueForTag("x").toString(), "A");
    EXPECT_EQ(describe(tree->valueForTag("g")), "[A]");
    EXPECT_EQ(describe(tree->valueForTag("o")), "[]");
}

TEST(CPShiftReduceParser, RegisteredResultTypeBuildsTheValueOfItsRule)
{
    CPParseResult::registerType("PairOfNumbers", [](const CPSyntaxTreePtr &tree) -> QVariant {
        const CPTokenPtr first = CPValue::token(tree->childAtIndex(0));
        const CPTokenPtr second = CPValue::token(tree->childAtIndex(2));
        if (!first || !second)
            return {};
        return static_cast<const CPNumberToken &>(*first).integerValue()
            + static_cast<const CPNumberToken &>(*second).integerValue();
    });
    auto parser = lalr("s", "s ::= <PairOfNumbers> ';'; PairOfNumbers ::= 'Number' ',' 'Number';");
    ASSERT_TRUE(parser);
    const CPSyntaxTreePtr tree = CPValue::syntaxTree(parse(*parser, {",", ";"}, "2, 40;"));
    ASSERT_TRUE(tree);
    EXPECT_EQ(tree->childAtIndex(0).toLongLong(), 42);
}

TEST(CPShiftReduceParser, WithoutRecoveryLogsTheErrorAndAnswersNothing)
{
    auto parser = lalr("s", "s ::= '(' 'Number' ')';");
    ASSERT_TRUE(parser);
    GrammarLogCapture log;
    EXPECT_FALSE(parse(*parser, {"(", ")"}, "(\n 1 1)").isValid());
    EXPECT_EQ(log.messages(), QStringList({"2:4: parse error.  Expected {\")\"}, found <Number: 1>"}));
}

TEST(CPShiftReduceParser, InsertingAMissingClosingBracketFinishesTheParse)
{
    auto parser = lalr("list", "list ::= '[' <item>* ']'; item ::= 'Number';");
    ASSERT_TRUE(parser);
    Recovering recovering;
    recovering.answer = CPRecoveryAction::recoveryActionWithAdditionalToken(CPToken::tokenWithKeyword("]"));
    parser->setDelegate(&recovering);
    const QVariant repaired = parse(*parser, {"[", "]"}, "[1 2");
    parser->setDelegate(nullptr);
    const QVariant complete = parse(*parser, {"[", "]"}, "[1 2]");
    ASSERT_TRUE(repaired.isValid());
    EXPECT_TRUE(CPValue::isEqual(repaired, complete));
    EXPECT_EQ(recovering.errors, QStringList({"EOF@4"}));
    EXPECT_EQ(recovering.lastExpected, QSet<QString>({"]", "Number"}));
}

TEST(CPShiftReduceParser, DeletingUnexpectedTokensSkipsThemAndReportsEach)
{
    auto parser = lalr("list", "list ::= '[' <item>* ']'; item ::= 'Number';");
    ASSERT_TRUE(parser);
    Recovering recovering;
    recovering.answer = CPRecoveryAction::recoveryActionDeletingCurrentToken();
    parser->setDelegate(&recovering);
    const QVariant result = parse(*parser, {"[", "]", ";"}, "[1 ; 2 ; 3]");
    ASSERT_TRUE(result.isValid());
    EXPECT_EQ(describe(result), "(<Keyword: [> [(<Number: 1>), (<Number: 2>), (<Number: 3>)] <Keyword: ]>)");
    EXPECT_EQ(recovering.errors, QStringList({";@3", ";@7"}));
}

TEST(CPShiftReduceParser, DeletingTheEndTokenEndsTheParseWithNothing)
{
    auto parser = lalr("list", "list ::= '[' <item>* ']'; item ::= 'Number';");
    ASSERT_TRUE(parser);
    Recovering recovering;
    recovering.answer = CPRecoveryAction::recoveryActionDeletingCurrentToken();
    parser->setDelegate(&recovering);
    EXPECT_FALSE(parse(*parser, {"[", "]"}, "[1").isValid());
    EXPECT_EQ(recovering.errors, QStringList({"EOF@2"}));
}

TEST(CPShiftReduceParser, StopEndsTheParseWithNothing)
{
    auto parser = lalr("list", "list ::= '[' <item>* ']'; item ::= 'Number';");
    ASSERT_TRUE(parser);
    Recovering recovering;
    recovering.answer = CPRecoveryAction::recoveryActionStop();
    parser->setDelegate(&recovering);
    EXPECT_FALSE(parse(*parser, {"[", "]"}, "[1 [ 2]").isValid());
    EXPECT_EQ(recovering.errors.size(), 1);
    // No recovery at all behaves the same, without a log line.
    GrammarLogCapture log;
    recovering.answer.reset();
    EXPECT_FALSE(parse(*parser, {"[", "]"}, "[1 [ 2]").isValid());
    EXPECT_TRUE(log.messages().isEmpty());
}

TEST(CPShiftReduceParser, DelegateWithOnlyThePlainErrorOperationIsAsked)
{
    auto parser = lalr("list", "list ::= '[' ']';");
    ASSERT_TRUE(parser);
    PlainRecovering plain;
    parser->setDelegate(&plain);
    GrammarLogCapture log;
    EXPECT_FALSE(parse(*parser, {"[", "]"}, "[[").isValid());
    EXPECT_EQ(plain.calls, 1);
    EXPECT_TRUE(log.messages().isEmpty());
}

// An error token unwinds the stack until a state takes "Error", so grammars
// can name errors in their rules.
TEST(CPShiftReduceParser, ErrorTokenUnwindsToARuleThatTakesIt)
{
    class SkipUnknown final : public CPTokeniserDelegate
    {
    public:
        bool tokeniserShouldConsumeToken(CPTokeniser *, const CPTokenPtr &token) override
        {
            return !token->isWhiteSpaceToken();
        }
        std::optional<qsizetype> tokeniserDidNotFindTokenOnInput(CPTokeniser *, const QString &input,
                                                                 qsizetype position, QString *) override
        {
            // Blanks were refused above; skip them silently by answering past them.
            return input.at(position).isSpace() ? position + 1 : position + 1;
        }
    };
    auto parser = lalr("s", "s ::= <stmt>*; stmt ::= 'x' ';' | 'Error' ';';");
    ASSERT_TRUE(parser);
    CPTokeniser tokeniser;
    tokeniser.addTokenRecogniser(CPKeywordRecogniser::recogniserForKeyword("x"));
    tokeniser.addTokenRecogniser(CPKeywordRecogniser::recogniserForKeyword(";"));
    SkipUnknown skip;
    tokeniser.setDelegate(&skip);
    auto stream = tokeniser.tokenise(QStringLiteral("x;x#;x;"));
    QStringList names;
    for (const CPTokenPtr &token : stream->tokens())
        names.append(token->name());
    ASSERT_EQ(names, QStringList({"x", ";", "x", "Error", ";", "x", ";", "EOF"}));
    GrammarLogCapture log;
    const QVariant result = parser->parse(*stream);
    ASSERT_TRUE(result.isValid());
    EXPECT_EQ(describe(result), "([(<Keyword: x> <Keyword: ;>), (<Error> <Keyword: ;>), (<Keyword: x> <Keyword: ;>)])");
    EXPECT_EQ(log.messages().size(), 1);
}

TEST(CPShiftReduceParser, StreamWithoutAnEndTokenAnswersNothing)
{
    auto parser = lalr("s", "s ::= 'x'*;");
    ASSERT_TRUE(parser);
    CPTokenStream stream({CPToken::tokenWithKeyword("x"), CPToken::tokenWithKeyword("x")});
    stream.closeTokenStream();
    EXPECT_FALSE(parser->parse(stream).isValid());
}

TEST(CPShiftReduceParser, ParsesWhileAnotherThreadTokenises)
{
    auto parser = lalr("s", "s ::= <pair>*; pair ::= 'Identifier' '=' 'Number' ';';");
    ASSERT_TRUE(parser);
    CPTokeniser tokeniser;
    tokeniser.addTokenRecogniser(CPKeywordRecogniser::recogniserForKeyword("="));
    tokeniser.addTokenRecogniser(CPKeywordRecogniser::recogniserForKeyword(";"));
    tokeniser.addTokenRecogniser(CPNumberRecogniser::integerRecogniser());
    tokeniser.addTokenRecogniser(CPIdentifierRecogniser::identifierRecogniser());
    tokeniser.addTokenRecogniser(CPWhiteSpaceRecogniser::whiteSpaceRecogniser());
    DropWhiteSpace drop;
    tokeniser.setDelegate(&drop);
    const QString input = QStringLiteral("width = 10;\n").repeated(3000);
    CPTokenStream stream;
    std::thread producer([&] { tokeniser.tokenise(input, &stream); });
    const QVariant result = parser->parse(stream);
    producer.join();
    const CPSyntaxTreePtr tree = CPValue::syntaxTree(result);
    ASSERT_TRUE(tree);
    EXPECT_EQ(tree->childAtIndex(0).toList().size(), 3000);
}

// Trees nested as deep as the input are built and dropped without recursion.
TEST(CPShiftReduceParser, HundredThousandNestedGroupsNeitherOverflowNorLeak)
{
    auto parser = lalr("e", "e ::= '(' <e>* ')' | 'x';");
    ASSERT_TRUE(parser);
    const int depth = 100000;
    const QString input = QStringLiteral("(").repeated(depth) + QStringLiteral("x") + QStringLiteral(")").repeated(depth);
    QVariant result = parse(*parser, {"(", ")", "x"}, input);
    ASSERT_TRUE(result.isValid());
    int levels = 0;
    QVariant cursor = result;
    while (CPSyntaxTreePtr tree = CPValue::syntaxTree(cursor)) {
        if (tree->children().size() != 3)
            break;
        ++levels;
        cursor = tree->childAtIndex(1).toList().value(0);
    }
    cursor = QVariant();
    EXPECT_EQ(levels, depth);
    std::weak_ptr<CPSyntaxTree> watch = CPValue::syntaxTree(result);
    result = QVariant();
    EXPECT_TRUE(watch.expired());

    // A failing parse of the same depth drops its stack the same way.
    GrammarLogCapture quiet;
    EXPECT_FALSE(parse(*parser, {"(", ")", "x"}, input.chopped(1)).isValid());
}
