#include "GrammarTestSupport.h"

#include "grammar/CPLALR1Parser.h"
#include "grammar/CPRHSItem.h"

namespace {

CPGrammarError errorOf(const QString &text)
{
    CPGrammarError error;
    EXPECT_FALSE(CPGrammar::grammarWithStart("s", text, &error)) << qPrintable(text);
    return error;
}

QStringList rulesOf(const CPGrammar &grammar)
{
    QStringList lines;
    for (const CPRulePtr &rule : grammar.rules())
        lines.append(QStringLiteral("%1 [%2]").arg(rule->description()).arg(rule->tag()));
    return lines;
}

} // namespace

TEST(CPGrammarEBNF, EveryAlternativeBecomesARuleWithTheRuleNumber)
{
    CPGrammarPtr numbered = readGrammar("value", "0 value ::= 'String' | 'Number';");
    ASSERT_TRUE(numbered);
    EXPECT_EQ(rulesOf(*numbered), QStringList({"value ::= \"String\" [0]", "value ::= \"Number\" [0]"}));
    CPGrammarPtr seven = readGrammar("a", "7 a ::= <b> | <c>;\nb ::= \"x\";");
    ASSERT_TRUE(seven);
    EXPECT_EQ(rulesOf(*seven), QStringList({"a ::= <b> [7]", "a ::= <c> [7]", "b ::= \"x\" [0]"}));
}

TEST(CPGrammarEBNF, EmptyAlternativeAfterABar)
{
    CPGrammarPtr grammar = readGrammar("a", "a ::= <b> | ; b ::= 'x';");
    ASSERT_TRUE(grammar);
    EXPECT_EQ(rulesOf(*grammar), QStringList({"a ::= <b> [0]", "a ::=  [0]", "b ::= \"x\" [0]"}));
}

TEST(CPGrammarEBNF, EqualConstructsShareOneGeneratedNonterminal)
{
    CPGrammarPtr grammar = readGrammar("s", "s ::= <x>* <x>*; x ::= 'x';");
    ASSERT_TRUE(grammar);
    EXPECT_EQ(rulesOf(*grammar), QStringList({"s ::= <RHS0> <RHS0> [0]", "x ::= \"x\" [0]", "RHS0 ::=  [0]",
                                              "RHS0 ::= <x> <RHS0> [2]"}));
}

TEST(CPGrammarEBNF, GeneratedRulesFollowTheConstruct)
{
    CPGrammarPtr grammar = readGrammar("s", "s ::= (<a> | <b> <c>) <a>? <b>+ t@<c>;");
    ASSERT_TRUE(grammar);
    EXPECT_EQ(rulesOf(*grammar), QStringList({
                                     "s ::= <RHS0> <RHS1> <RHS2> <RHS3> [0]",
                                     "RHS0 ::= <a> [3]",
                                     "RHS0 ::= <b> <c> [4]",
                                     "RHS1 ::=  [0]",
                                     "RHS1 ::= <a> [1]",
                                     "RHS2 ::= <b> [1]",
                                     "RHS2 ::= <b> <RHS2> [2]",
                                     "RHS3 ::= <c> [1]",
                                 }));
    const CPRulePtr tagged = grammar->rulesForNonTerminalWithName("RHS3").first();
    EXPECT_EQ(tagged->tagName(), "t");
    EXPECT_TRUE(tagged->shouldCollapse());
    EXPECT_FALSE(grammar->rulesForNonTerminalWithName("RHS2").first()->shouldCollapse());
    EXPECT_TRUE(grammar->rulesForNonTerminalWithName("RHS2").first()->tagName().isNull());
}

TEST(CPGrammarEBNF, GeneratedNamesAvoidNamesTheGrammarUses)
{
    CPGrammarPtr grammar = readGrammar("s", "s ::= <RHS0> 'y'*; RHS0 ::= 'x';");
    ASSERT_TRUE(grammar);
    EXPECT_EQ(grammar->rulesForNonTerminalWithName("s").first()->description(), "s ::= <RHS0> <_RHS0>");
    EXPECT_EQ(grammar->rulesForNonTerminalWithName("_RHS0").size(), 2);
}

TEST(CPGrammarEBNF, ConstructsPrintAsWritten)
{
    CPRHSItem item;
    item.alternatives = {{CPGrammarSymbol::nonTerminalWithName("a"), CPGrammarSymbol::terminalWithName("b")},
                         {CPGrammarSymbol::nonTerminalWithName("c")}};
    item.repeats = item.mayNotExist = true;
    EXPECT_EQ(item.description(), "(<a> \"b\"| <c>)*");
    CPRHSItem single;
    single.alternatives = {{CPGrammarSymbol::nonTerminalWithName("a")}};
    single.mayNotExist = true;
    EXPECT_EQ(single.description(), "<a>?");
}

TEST(CPGrammarEBNF, SyntaxErrorsHaveCodeOneWithLineAndColumn)
{
    const CPGrammarError empty = errorOf("s ::= ;");
    EXPECT_EQ(empty.domain, "CPEBNFParserErrorDomain");
    EXPECT_EQ(empty.code, 1);
    EXPECT_TRUE(empty.description.startsWith("Could not parse EBNF for grammar.  1:7: Found <Keyword: ;>, Expected "))
        << qPrintable(empty.description);

    const CPGrammarError stray = errorOf("s ::= 'a';\n  t ::= 'b' # ;");
    EXPECT_EQ(stray.code, 1);
    EXPECT_TRUE(stray.description.startsWith("Could not parse EBNF for grammar.  2:13: Found <Error>, Expected "))
        << qPrintable(stray.description);

    EXPECT_EQ(errorOf("").code, 1);
    EXPECT_EQ(errorOf("s ::= 'a'").code, 1);
    EXPECT_EQ(errorOf("s = 'a';").code, 1);
    EXPECT_EQ(errorOf("s ::= | 'a';").code, 1);
    EXPECT_EQ(errorOf("s ::= <a;").code, 1);
    EXPECT_EQ(errorOf("s ::= ('a';").code, 1);
}

TEST(CPGrammarEBNF, TagMisuseHasCodeTwo)
{
    const CPGrammarError twice = errorOf("s ::= a@<x> a@<y>;");
    EXPECT_EQ(twice.code, 2);
    EXPECT_EQ(twice.description,
              "Duplicate tag names (a) in same part of alternative is not allowed in \"s ::= <x> <y>\".");

    const CPGrammarError nested = errorOf("s ::= (a@<x>) (a@<y> <z>);");
    EXPECT_EQ(nested.code, 2);
    EXPECT_EQ(nested.description, "Duplicate tag names {\"a\"} in same part of alternative is not allowed in "
                                  "\"s ::= <x> (<y> <z>)\".");

    const CPGrammarError inGroup = errorOf("s ::= 'q' (b@<x> b@<y>);");
    EXPECT_EQ(inGroup.code, 2);
    EXPECT_EQ(inGroup.description,
              "Duplicate tag names (b) in same part of alternative is not allowed in \"(<x> <y>)\".");

    const CPGrammarError repeated = errorOf("s ::= (a@<x> <y>)*;");
    EXPECT_EQ(repeated.code, 2);
    EXPECT_EQ(repeated.description, "Tag names are not allowed within repeating section of rule \"(<x> <y>)*\".");

    EXPECT_TRUE(readGrammar("s", "s ::= a@<x> | a@<y>;"));
    EXPECT_TRUE(readGrammar("s", "s ::= a@(<x>)*;"));
    EXPECT_TRUE(readGrammar("s", "s ::= t@(<a> <b>)+ u@<c>?;"));
}

TEST(CPGrammarEBNF, ReadingWithoutAnErrorOutLogsTheError)
{
    GrammarLogCapture log;
    EXPECT_FALSE(CPGrammar::grammarWithStart("s", "s ::= a@<x> a@<y>;"));
    ASSERT_EQ(log.messages().size(), 1);
    EXPECT_TRUE(log.messages().first().startsWith("=== Core Parse Error ===\nDuplicate tag names (a)"));
}

TEST(CPGrammarEBNF, GroupsNestedTooDeeplyAreRefusedWithoutCrashing)
{
    const int depth = 5000;
    const QString text = QStringLiteral("s ::= ") + QStringLiteral("(").repeated(depth) + QStringLiteral("'x'")
        + QStringLiteral(")").repeated(depth) + QStringLiteral(";");
    const CPGrammarError error = errorOf(text);
    EXPECT_EQ(error.code, 1);
    EXPECT_TRUE(error.description.contains("nested more than 1000 levels")) << qPrintable(error.description);

    const QString fine = QStringLiteral("s ::= ") + QStringLiteral("(").repeated(200) + QStringLiteral("'x'")
        + QStringLiteral(")").repeated(200) + QStringLiteral(";");
    CPGrammarPtr grammar = readGrammar("s", fine);
    ASSERT_TRUE(grammar);
    EXPECT_TRUE(CPLALR1Parser::parserWithGrammar(grammar));
}

TEST(CPGrammarEBNF, UndefinedNonterminalsReadButNeverMatch)
{
    CPGrammarPtr grammar = readGrammar("s", "s ::= 'a' | <missing>;");
    ASSERT_TRUE(grammar);
    auto parser = CPLALR1Parser::parserWithGrammar(grammar);
    ASSERT_TRUE(parser);
    auto stream = tokensOf({"a"}, "a");
    EXPECT_TRUE(parser->parse(*stream).isValid());
}

TEST(CPGrammarEBNF, QuotesAndEscapesInTerminals)
{
    EXPECT_EQ(errorOf("s ::= \"it's\" 'say \\'hi\\'' -3;").code, 1);
    CPGrammarPtr grammar = readGrammar("s", "-3 s ::= \"it's\" 'say \\'hi\\'';");
    ASSERT_TRUE(grammar);
    EXPECT_EQ(grammar->rules().first()->description(), "s ::= \"it's\" \"say 'hi'\"");
    EXPECT_EQ(qint32(grammar->rules().first()->tag()), -3);
}
