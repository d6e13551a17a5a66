#include "GrammarTestSupport.h"

#include "grammar/CPGrammar.h"
#include "grammar/CPItem.h"
#include "grammar/CPLALR1Parser.h"

namespace {

CPGrammarSymbol nt(const QString &name)
{
    return CPGrammarSymbol::nonTerminalWithName(name);
}

CPGrammarSymbol t(const QString &name)
{
    return CPGrammarSymbol::terminalWithName(name);
}

QStringList sorted(const QSet<QString> &set)
{
    QStringList list(set.cbegin(), set.cend());
    list.sort();
    return list;
}

} // namespace

TEST(CPGrammar, OrderedRulesPutHighTagsFirstThenNamesThenShorterSides)
{
    const CPRulePtr low = CPRule::ruleWithName("b", {t("x")}, 0);
    const CPRulePtr longer = CPRule::ruleWithName("a", {t("x"), t("y")}, 0);
    const CPRulePtr shorter = CPRule::ruleWithName("a", {t("x")}, 0);
    const CPRulePtr high = CPRule::ruleWithName("z", {t("x")}, 7);
    CPGrammar grammar("a", {low, longer, shorter, high});
    EXPECT_EQ(grammar.orderedRules(), QList<CPRulePtr>({high, shorter, longer, low}));
    EXPECT_EQ(grammar.indexOfRule(longer), 2);
    EXPECT_EQ(grammar.description(), "  0 z ::= \"x\"\n  1 a ::= \"x\"\n  2 a ::= \"x\" \"y\"\n  3 b ::= \"x\"\n");
}

TEST(CPGrammar, UniqueNamesPutUnderscoresInFront)
{
    CPGrammar grammar("s", {CPRule::ruleWithName("s", {nt("x"), t("_x")})});
    EXPECT_EQ(grammar.uniqueSymbolNameBasedOnName("y"), "y");
    EXPECT_EQ(grammar.uniqueSymbolNameBasedOnName("s"), "_s");
    EXPECT_EQ(grammar.uniqueSymbolNameBasedOnName("x"), "__x");
}

TEST(CPGrammar, AugmentedGrammarAddsOneStartRule)
{
    CPGrammar grammar("value", {CPRule::ruleWithName("value", {t("Number")})});
    const CPGrammarPtr augmented = grammar.augmentedGrammar();
    EXPECT_EQ(augmented->start(), "s'");
    EXPECT_EQ(augmented->rules().size(), 2);
    const QList<CPRulePtr> start = augmented->rulesForNonTerminalWithName("s'");
    ASSERT_EQ(start.size(), 1);
    EXPECT_EQ(start.first()->description(), "s' ::= <value>");
    EXPECT_EQ(grammar.rules().size(), 1);
}

TEST(CPGrammar, FirstSetsMarkWhatCanDeriveNothing)
{
    CPGrammarPtr grammar = readGrammar("s", "s ::= <a> <b> 'c'; a ::= 'x' | ; b ::= <b> 'y' | ;");
    ASSERT_TRUE(grammar);
    EXPECT_EQ(sorted(grammar->firstSymbol(nt("a"))), QStringList({"", "x"}));
    EXPECT_EQ(sorted(grammar->firstSymbol(nt("b"))), QStringList({"", "y"}));
    EXPECT_EQ(sorted(grammar->firstSymbol(nt("s"))), QStringList({"c", "x", "y"}));
    EXPECT_EQ(sorted(grammar->first({nt("a"), nt("b")})), QStringList({"", "x", "y"}));
    EXPECT_EQ(sorted(grammar->firstSymbol(t("q"))), QStringList({"q"}));
}

// Regression: FOLLOW sets held "EOF" for every nonterminal, so an SLR table
// reduced on the end of input where nothing could end.
TEST(CPGrammar, FollowHoldsEndOfInputOnlyWhereTheInputCanEnd)
{
    CPGrammarPtr grammar = readGrammar("s", "s ::= <a> 'x' | <b> <c>; a ::= 'z'; b ::= 'z'; c ::= 'w' | ;");
    ASSERT_TRUE(grammar);
    EXPECT_EQ(sorted(grammar->follow("s")), QStringList({"EOF"}));
    EXPECT_EQ(sorted(grammar->follow("a")), QStringList({"x"}));
    EXPECT_EQ(sorted(grammar->follow("b")), QStringList({"EOF", "w"}));
    EXPECT_EQ(sorted(grammar->follow("c")), QStringList({"EOF"}));
}

TEST(CPGrammar, ItemsPrintTheirDot)
{
    const CPRulePtr rule = CPRule::ruleWithName("e", {nt("e"), t("+"), nt("t")});
    EXPECT_EQ(CPItem(rule, 1).description(), "e ::= <e> • \"+\" <t> ");
    EXPECT_EQ(CPItem(rule, 3).description(), "e ::= <e> \"+\" <t> •");
    EXPECT_EQ(CPLR1Item(rule, 0, t("EOF")).description(), "e ::= • <e> \"+\" <t> , EOF");
    EXPECT_EQ(CPItem(rule, 1).nextSymbol(), t("+"));
    EXPECT_FALSE(CPItem(rule, 3).nextSymbol());
    EXPECT_EQ(CPItem(rule, 1).followingSymbols(), QList<CPGrammarSymbol>({t("+"), nt("t")}));
    // Items compare their rules by identity.
    const CPRulePtr twin = CPRule::ruleWithName("e", {nt("e"), t("+"), nt("t")});
    EXPECT_TRUE(rule->isEqual(*twin));
    EXPECT_FALSE(CPItem(rule, 0) == CPItem(twin, 0));
}

TEST(CPGrammar, LR1ClosureCarriesLookaheadsFromWhatFollows)
{
    CPGrammarPtr grammar = readGrammar("e", "e ::= <e> '+' <t> | <t>; t ::= 'Number';");
    ASSERT_TRUE(grammar);
    const CPGrammarPtr augmented = grammar->augmentedGrammar();
    const CPRulePtr start = augmented->rulesForNonTerminalWithName("s'").first();
    QStringList closure;
    for (const CPLR1Item &item : augmented->lr1Closure({CPLR1Item(start, 0, t("EOF"))}))
        closure.append(item.description());
    closure.sort();
    EXPECT_EQ(closure, QStringList({
                           "e ::= • <e> \"+\" <t> , +",
                           "e ::= • <e> \"+\" <t> , EOF",
                           "e ::= • <t> , +",
                           "e ::= • <t> , EOF",
                           "s' ::= • <e> , EOF",
                           "t ::= • \"Number\" , +",
                           "t ::= • \"Number\" , EOF",
                       }));
}

TEST(CPGrammar, KernelCountMatchesTheStatesOfTheBuiltTables)
{
    const QList<QPair<QString, QString>> grammars{
        {"e", "e ::= <e> '+' <t> | <t>; t ::= <t> '*' <f> | <f>; f ::= '(' <e> ')' | 'Number';"},
        {"s", "s ::= <l> '=' <r> | <r>; l ::= '*' <r> | 'id'; r ::= <l>;"},
        {"s", "s ::= <a>* 'end'; a ::= 'x' <b>?; b ::= 'y' | 'z' 'z';"},
    };
    for (const auto &[start, text] : grammars) {
        CPGrammarPtr grammar = readGrammar(start, text);
        ASSERT_TRUE(grammar);
        auto parser = CPLALR1Parser::parserWithGrammar(grammar);
        ASSERT_TRUE(parser) << qPrintable(text);
        EXPECT_EQ(grammar->augmentedGrammar()->lr0Kernels().size(), parser->actionTable().capacity()) << qPrintable(text);
    }
}

TEST(CPGrammar, ArchiveKeepsRulesTagsAndGeneratedRuleSettings)
{
    CPGrammarPtr grammar = readGrammar("s", "4 s ::= x@<a> <b>*; a ::= 'a'; b ::= 'b';");
    ASSERT_TRUE(grammar);
    CPGrammarPtr copy = CPGrammar::fromArchive(grammar->archive());
    EXPECT_TRUE(copy->isEqual(*grammar));
    EXPECT_EQ(copy->description(), grammar->description());
    bool collapsedTagFound = false;
    for (const CPRulePtr &rule : copy->rules()) {
        if (rule->tagName() == "x" && rule->shouldCollapse())
            collapsedTagFound = rule->representitiveClass() != nullptr;
    }
    EXPECT_TRUE(collapsedTagFound);
}
