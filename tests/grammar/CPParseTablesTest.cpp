#include "GrammarTestSupport.h"

#include "grammar/CPJSONParser.h"
#include "grammar/CPLALR1Parser.h"
#include "grammar/CPLR1Parser.h"
#include "grammar/CPSLRParser.h"

#include <thread>

namespace {

const char *const exprGrammar = "0 e ::= <e> '+' <t> | <t>; 1 t ::= 'Number';";

// The three builders on one grammar: null where the grammar is out of reach.
struct Builders {
    std::unique_ptr<CPSLRParser> slr;
    std::unique_ptr<CPLR1Parser> lr1;
    std::unique_ptr<CPLALR1Parser> lalr;
};

Builders buildAll(const QString &start, const QString &text)
{
    CPGrammarPtr grammar = readGrammar(start, text);
    if (!grammar)
        return {};
    return {CPSLRParser::parserWithGrammar(grammar), CPLR1Parser::parserWithGrammar(grammar),
            CPLALR1Parser::parserWithGrammar(grammar)};
}

// The parse result's description, or "nil"; failures are logged, not shown.
std::string parseWith(CPShiftReduceParser &parser, const QStringList &keywords, const QString &input)
{
    GrammarLogCapture quiet;
    auto stream = tokensOf(keywords, input);
    const QVariant result = parser.parse(*stream);
    return result.isValid() ? describe(result) : "nil";
}

} // namespace

TEST(CPLALR1Parser, BuildsTheExpressionGrammarWithThisTable)
{
    auto parser = CPLALR1Parser::parserWithGrammar(readGrammar("e", exprGrammar));
    ASSERT_TRUE(parser);
    EXPECT_EQ(parser->actionTable().description().toStdString(),
              "State | EOF    +      Number \n"
              "    0 |               s3     \n"
              "    1 | acc    s4            \n"
              "    2 | re     re            \n"
              "    3 | rt     rt            \n"
              "    4 |               s3     \n"
              "    5 | re     re            \n");
    EXPECT_EQ(parser->actionTable().descriptionWithGrammar(*parser->grammar()).split('\n').at(3).toStdString(),
              "    2 | r1     r1            ");
    EXPECT_EQ(parser->gotoForState(0, *parser->grammar()->rulesForNonTerminalWithName("t").first()), 2);
    EXPECT_EQ(parseWith(*parser, {"+"}, "1 + 2 + 3"), "((((<Number: 1>)) <Keyword: +> (<Number: 2>)) <Keyword: +> (<Number: 3>))");
}

TEST(CPLALR1Parser, RefusesAndLogsTheAmbiguousSum)
{
    GrammarLogCapture log;
    CPGrammarPtr grammar = readGrammar("e", "0 e ::= <e> '+' <e> | 'Number';");
    ASSERT_TRUE(grammar);
    EXPECT_FALSE(CPLALR1Parser::parserWithGrammar(grammar));
    const QStringList messages = log.messages();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages.first().startsWith("Could not insert reduce in action table for state ")
                || messages.first().startsWith("Could not insert shift in action table for state "))
        << qPrintable(messages.first());
    EXPECT_TRUE(messages.first().endsWith(", token +")) << qPrintable(messages.first());
}

TEST(CPLALR1Parser, RefusesTwoRulesReducingTheSameText)
{
    GrammarLogCapture log;
    CPGrammarPtr grammar = readGrammar("s", "s ::= <a> | <b>; a ::= 'x'; b ::= 'x';");
    EXPECT_FALSE(CPLALR1Parser::parserWithGrammar(grammar));
    EXPECT_TRUE(log.contains("Could not insert reduce in action table for state "));
    // The silent builders refuse it too.
    EXPECT_FALSE(CPSLRParser::parserWithGrammar(grammar));
    EXPECT_FALSE(CPLR1Parser::parserWithGrammar(grammar));
}

// The classic assignment grammar: SLR sees "=" in FOLLOW(r) and clashes.
TEST(CPLALR1Parser, BuildsAGrammarThatIsLALRButNotSLR)
{
    const Builders all = buildAll("s", "s ::= <l> '=' <r> | <r>; l ::= '*' <r> | 'id'; r ::= <l>;");
    EXPECT_FALSE(all.slr);
    ASSERT_TRUE(all.lalr);
    ASSERT_TRUE(all.lr1);
    const QStringList keywords{"=", "*", "id"};
    for (const char *input : {"id", "id = id", "* id = * * id", "* id"})
        EXPECT_EQ(parseWith(*all.lalr, keywords, input), parseWith(*all.lr1, keywords, input)) << input;
    EXPECT_EQ(parseWith(*all.lalr, keywords, "id = = id"), "nil");
}

TEST(CPLR1Parser, BuildsAGrammarThatIsLR1ButNotLALR)
{
    GrammarLogCapture log;
    const Builders all =
        buildAll("s", "s ::= 'a' <e> 'c' | 'a' <f> 'd' | 'b' <f> 'c' | 'b' <e> 'd'; e ::= 'x'; f ::= 'x';");
    EXPECT_FALSE(all.slr);
    EXPECT_FALSE(all.lalr);
    ASSERT_TRUE(all.lr1);
    EXPECT_EQ(parseWith(*all.lr1, {"a", "b", "c", "d", "x"}, "a x d"),
              "(<Keyword: a> (<Keyword: x>) <Keyword: d>)");
    EXPECT_TRUE(log.contains("Could not insert reduce in action table for state "));
}

// Regression: with "EOF" in every FOLLOW set, SLR refused this grammar.
TEST(CPSLRParser, BuildsWhenTheFollowSetsOfTwoReductionsDiffer)
{
    const Builders all = buildAll("s", "s ::= <a> 'x' | <b> 'y'; a ::= 'z'; b ::= 'z';");
    ASSERT_TRUE(all.slr);
    EXPECT_EQ(parseWith(*all.slr, {"x", "y", "z"}, "z y"), "((<Keyword: z>) <Keyword: y>)");
}

TEST(CPShiftReduceParser, AllThreeBuildersAgreeWhereAllApply)
{
    struct Case {
        const char *name;
        const char *start;
        const char *grammar;
        QStringList keywords;
        QStringList inputs;
    };
    const QList<Case> cases{
        {"arithmetic", "e",
         "e ::= <e> '+' <t> | <e> '-' <t> | <t>; t ::= <t> '*' <f> | <f>; f ::= '(' <e> ')' | 'Number';",
         {"+", "-", "*", "(", ")"},
         {"1", "1 + 2 * 3", "(1 + 2) * 3 - 4", "((7))", "1 +", "(1", "1 2", ""}},
        {"empty rules", "s", "s ::= <a> <b> 'c'; a ::= 'x' | ; b ::= 'y' | ;", {"x", "y", "c"},
         {"c", "x c", "y c", "x y c", "y x c", "x y"}},
        {"repetition and options", "s", "s ::= 'begin' <item>* 'end'; item ::= 'x' 'opt'? | '(' <s> ')';",
         {"begin", "end", "x", "opt", "(", ")"},
         {"begin end", "begin x x opt end", "begin ( begin x end ) x end", "begin x opt opt end", "begin"}},
        {"JSON", "value", "", {}, {}},
    };
    for (const Case &c : cases) {
        Builders all;
        QStringList keywords = c.keywords;
        QStringList inputs = c.inputs;
        if (QString::fromLatin1(c.name) == "JSON") {
            all = buildAll(c.start, CPJSONParser::grammarText());
            keywords = {"{", "}", "[", "]", ":", ",", "true", "false", "null"};
            inputs = {"[1, [2, 3], []]", "{}", "[true, false, null]", "[1,]", "[[[]]]"};
        } else {
            all = buildAll(c.start, c.grammar);
        }
        ASSERT_TRUE(all.slr && all.lr1 && all.lalr) << c.name;
        for (const QString &input : inputs) {
            const std::string lalr = parseWith(*all.lalr, keywords, input);
            EXPECT_EQ(parseWith(*all.slr, keywords, input), lalr) << c.name << ": " << qPrintable(input);
            EXPECT_EQ(parseWith(*all.lr1, keywords, input), lalr) << c.name << ": " << qPrintable(input);
        }
        EXPECT_EQ(all.slr->actionTable().capacity(), all.lalr->actionTable().capacity()) << c.name;
        EXPECT_GE(all.lr1->actionTable().capacity(), all.lalr->actionTable().capacity()) << c.name;
    }
}

TEST(CPLALR1Parser, RightRecursiveListsNeedNoSpecialHandling)
{
    auto parser = CPLALR1Parser::parserWithGrammar(readGrammar("s", "s ::= 'x'* ';';"));
    ASSERT_TRUE(parser);
    const QString input = QStringLiteral("x ").repeated(20000) + QStringLiteral(";");
    auto stream = tokensOf({"x", ";"}, input);
    const CPSyntaxTreePtr tree = CPValue::syntaxTree(parser->parse(*stream));
    ASSERT_TRUE(tree);
    EXPECT_EQ(tree->childAtIndex(0).toList().size(), 20000);
}

TEST(CPLALR1Parser, AGrammarUsingHashAsATerminalBuilds)
{
    auto parser = CPLALR1Parser::parserWithGrammar(readGrammar("s", "s ::= '#' <s> | '#' | <t>; t ::= '_#' <t>?;"));
    ASSERT_TRUE(parser);
    EXPECT_EQ(parseWith(*parser, {"_#", "#"}, "# # _# _#"),
              "(<Keyword: #> (<Keyword: #> ((<Keyword: _#> [(<Keyword: _#> [])]))))");
}

TEST(CPSLRParser, JSONStartStateAcceptsExactlyWhatBeginsAValue)
{
    auto parser = CPSLRParser::parserWithGrammar(readGrammar("value", CPJSONParser::grammarText()));
    ASSERT_TRUE(parser);
    const QSet<QString> expected{"String", "Number", "{", "[", "true", "false", "null"};
    EXPECT_EQ(parser->acceptableTokenNamesForState(0), expected);
}

TEST(CPLALR1Parser, ArchivedTablesParseAsTheOriginalDoes)
{
    auto parser = CPLALR1Parser::parserWithGrammar(
        readGrammar("s", "s ::= x@<a> (<b> | <c>)* 'end'; a ::= 'a'; b ::= 'b'; c ::= 'c' 'x'?;"));
    ASSERT_TRUE(parser);
    auto restored = CPLALR1Parser::fromArchive(parser->archive());
    ASSERT_TRUE(restored);
    ASSERT_EQ(restored->actionTable().capacity(), parser->actionTable().capacity());
    for (qsizetype state = 0; state < parser->actionTable().capacity(); ++state) {
        const QSet<QString> names = parser->acceptableTokenNamesForState(state);
        EXPECT_EQ(restored->acceptableTokenNamesForState(state), names);
        for (const QString &name : names) {
            const auto original = parser->actionTable().actionForState(state, name);
            const auto copy = restored->actionTable().actionForState(state, name);
            ASSERT_TRUE(original && copy);
            EXPECT_EQ(copy->description(), original->description());
        }
    }
    const QStringList keywords{"a", "b", "c", "x", "end"};
    for (const char *input : {"a end", "a b c x c b end", "a c", "b end"})
        EXPECT_EQ(parseWith(*restored, keywords, input), parseWith(*parser, keywords, input)) << input;
    GrammarLogCapture log;
    EXPECT_FALSE(CPLALR1Parser::fromArchive({}));
    EXPECT_TRUE(log.contains("Could not restore a parser from its archive"));
}

TEST(CPLALR1Parser, TablesBuiltOnAnotherThreadParseOnThisOne)
{
    std::unique_ptr<CPLALR1Parser> parser;
    std::thread builder([&parser] {
        CPGrammarPtr grammar = CPGrammar::grammarWithStart("e", QString::fromLatin1(exprGrammar));
        parser = CPLALR1Parser::parserWithGrammar(grammar);
    });
    builder.join();
    ASSERT_TRUE(parser);
    EXPECT_EQ(parseWith(*parser, {"+"}, "4 + 5"), "(((<Number: 4>)) <Keyword: +> (<Number: 5>))");
}
