#include "stylesheet/StyleComment.h"
#include "stylesheet/StyleSheetParser.h"

#include "StyleSheetCoverage.h"
#include "StyleSheetTestUtil.h"
#include "TestUtil.h"

#include <gtest/gtest.h>

namespace {

QList<StyleDeclarationPtr> parse(const QString &text)
{
    return StyleSheetParser::parseStyleSheet(text);
}

QStringList selectors(const QList<StyleDeclarationPtr> &items)
{
    QStringList list;
    for (const StyleDeclarationPtr &item : items)
        list.append(item->getSelector());
    return list;
}

} // namespace

TEST(StyleSheetParser, ParsesAMultiFeatureSheetToTheExactItemList)
{
    const QString text
        = QString::fromUtf8(TestUtil::readFile(QUILLMARK_TEST_DATA "/multi-feature.css"));
    const QStringList expected
        = QString::fromUtf8(TestUtil::readFile(QUILLMARK_TEST_DATA "/multi-feature.expected"))
              .split(u'\n', Qt::SkipEmptyParts);
    ASSERT_FALSE(text.isEmpty());
    const QList<StyleDeclarationPtr> items = parse(text);
    const QStringList actual = dumpItems(items);
    EXPECT_EQ(actual.join(u'\n').toStdString(), expected.join(u'\n').toStdString());
    EXPECT_EQ(styleSheetCoverageProblem(text, items), QString());

    // Every range covers its braces, statement or comment in the text.
    for (const StyleDeclarationPtr &item : items) {
        const QString covered = text.mid(item->range().location, item->range().length);
        if (item->type() == RuleType::Comment)
            EXPECT_EQ(covered, static_cast<const StyleComment &>(*item).commentBody());
        else if (item->type() == RuleType::Other && item->selector().isEmpty())
            EXPECT_EQ(covered, u'@' + item->body() + u';'); // the namespace statement
        else if (item->hasBody())
            EXPECT_EQ(covered, u'{' + item->body() + u'}');
        else
            EXPECT_EQ(covered, item->selector() + u';');
    }
}

TEST(StyleSheetParser, SingleRuleHasItsSelectorBodyRangeTypeAndLine)
{
    const QList<StyleDeclarationPtr> items = parse(u"a{color:red}"_qs);
    ASSERT_EQ(dumpItems(items), QStringList{u"1|a|color:red|1,11|1|N|0"_qs});
    EXPECT_EQ(items[0]->cssText(), u"a{color:red}"_qs);
    EXPECT_EQ(dumpProperties(*items[0]), QStringList{u"color: red"_qs});
}

TEST(StyleSheetParser, NestingBlocksNumberTheirChildrenInClosingOrder)
{
    EXPECT_EQ(dumpItems(parse(u"@media screen{a{x:1}b{y:2}}"_qs)),
              (QStringList{u"4|@media screen|a{x:1}b{y:2}|13,14|1|N|0"_qs, u"1|a|x:1|15,5|1|Y|0"_qs,
                           u"1|b|y:2|21,5|1|Y|1"_qs}));
    EXPECT_EQ(dumpItems(parse(u"@keyframes k{from{x:1}to{x:2}}"_qs)),
              (QStringList{u"7|@keyframes k|from{x:1}to{x:2}|12,18|1|N|0"_qs,
                           u"8|from|x:1|17,5|1|Y|0"_qs, u"8|to|x:2|24,5|1|Y|1"_qs}));
    // A keyframe gets properties; the keyframes block does not.
    const QList<StyleDeclarationPtr> frames = parse(u"@-webkit-keyframes k{50%{opacity:0}}"_qs);
    ASSERT_EQ(frames.size(), 2);
    EXPECT_TRUE(frames[0]->properties().isEmpty());
    EXPECT_EQ(dumpProperties(*frames[1]), QStringList{u"opacity: 0"_qs});
}

TEST(StyleSheetParser, StatementsAndOtherAtRules)
{
    EXPECT_EQ(dumpItems(parse(u"@import url(a.css);"_qs)),
              QStringList{u"3|@import url(a.css)|nil|0,19|1|N|0"_qs});
    EXPECT_EQ(parse(u"@charset \"x\";"_qs)[0]->cssText(), u"@charset \"x\""_qs);
    // A font-face block is typed by its at-rule; the next rule is a style rule again.
    EXPECT_EQ(dumpItems(parse(u"@font-face{a:b}c{d:e}"_qs)),
              (QStringList{u"5|@font-face|a:b|10,5|1|N|0"_qs, u"1|c|d:e|16,5|1|N|0"_qs}));
    // At-rule names are prefix tests.
    EXPECT_EQ(parse(u"@mediax y{a{b:c}}"_qs)[0]->type(), RuleType::Media);
}

TEST(StyleSheetParser, SelectorsAreCleanedOfLineBreaksCommentsAndCombinatorSpacing)
{
    EXPECT_EQ(selectors(parse(u"a,\n    b{}"_qs)), QStringList{u"a, b"_qs});
    EXPECT_EQ(selectors(parse(u"a>b{}a > b{}"_qs)), (QStringList{u"a > b"_qs, u"a > b"_qs}));
    // A comment inside a selector becomes an item of its own before the rule.
    EXPECT_EQ(selectors(parse(u"b/*sel*/{y:2}"_qs)), (QStringList{u"/*sel*/"_qs, u"b"_qs}));
    EXPECT_EQ(StyleSheetParser::planeSelector(u" a ,b>c "_qs), u"a , b > c"_qs);
}

TEST(StyleSheetParser, CommentsInsideBodiesAreNoItems)
{
    const QList<StyleDeclarationPtr> items = parse(u"/*c1*/a{x:1/*in*/}/*c2*/"_qs);
    EXPECT_EQ(selectors(items), (QStringList{u"/*c1*/"_qs, u"a"_qs, u"/*c2*/"_qs}));
    EXPECT_EQ(items[0]->lineNumber(), 0);
    // "/*/" opens and closes a comment.
    EXPECT_EQ(selectors(parse(u"/*/a{}"_qs)), (QStringList{u"/*/"_qs, u"a"_qs}));
}

TEST(StyleSheetParser, LineNumbersAreThoseOfTheSelectorsFirstCharacter)
{
    // Not the line of the "{", nor of blanks and comments before the selector (#86).
    EXPECT_EQ(parse(u"a\n{x:1}"_qs)[0]->lineNumber(), 1);
    const QList<StyleDeclarationPtr> spread = parse(u"b{}\n/* c */\n\n  .x,\n.y\n{}\n@media print {\n\n  .z\n  {}\n}"_qs);
    ASSERT_EQ(spread.size(), 5);
    EXPECT_EQ(spread[2]->lineNumber(), 4);
    EXPECT_EQ(spread[3]->lineNumber(), 7);
    EXPECT_EQ(spread[4]->lineNumber(), 9);
    // "\r\n" ends one line; a lone "\r" ends one too.
    EXPECT_EQ(parse(u"a{}\r\nb{}\rc{}"_qs)[2]->lineNumber(), 3);
    // Lines after the first that are all empty leave the text single-line.
    const QList<StyleDeclarationPtr> items = parse(u"a{x:1} b{y:2}\n\n"_qs);
    EXPECT_EQ(items[1]->lineNumber(), 1);
    const QList<qsizetype> ends = StyleSheetParser::lineEnds(u"ab\ncd\r\nef"_qs);
    EXPECT_EQ(ends, (QList<qsizetype>{3, 7, 9}));
    StyleDeclaration probe;
    probe.setRange(Range{7, 1});
    EXPECT_EQ(StyleSheetParser::getLineNum(ends, probe), 3);
}

TEST(StyleSheetParser, EmptyOrBlankTextGivesNoItems)
{
    EXPECT_TRUE(parse(QString()).isEmpty());
    EXPECT_TRUE(parse(u"   "_qs).isEmpty());
}

TEST(StyleSheetParser, ItemsCarryTheFileTheyWereParsedFrom)
{
    int anchor = 0;
    File *file = reinterpret_cast<File *>(&anchor);
    const QList<StyleDeclarationPtr> items
        = StyleSheetParser::parseStyleSheet(u"/*c*/a{}"_qs, file);
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items[0]->parentFile(), file);
    EXPECT_EQ(items[1]->parentFile(), file);
}

// Braces, semicolons and comment marks inside quoted strings and url() used to
// count as structure and tore the rule list apart.
TEST(StyleSheetParser, QuotedStringsAndUrlsAreOpaqueToTheRuleList)
{
    EXPECT_EQ(dumpItems(parse(u"a{content:\"}\";b:c}d[title=\"{\"]{e:f}"_qs)),
              (QStringList{u"1|a|content:\"}\";b:c|1,17|1|N|0"_qs,
                           u"1|d[title=\"{\"]|e:f|30,5|1|N|0"_qs}));
    // A backslash escapes the quote.
    EXPECT_EQ(selectors(parse(u"a{content:'it\\'s }'}b{}"_qs)), (QStringList{u"a"_qs, u"b"_qs}));
    EXPECT_EQ(selectors(parse(u"a{background:url(x;y}.png)}b{}"_qs)),
              (QStringList{u"a"_qs, u"b"_qs}));
    EXPECT_EQ(selectors(parse(u"@import \"a;b.css\";c{}"_qs)),
              (QStringList{u"@import \"a;b.css\""_qs, u"c"_qs}));
    EXPECT_EQ(selectors(parse(u"a{content:\"/*\"}b{}/*x*/"_qs)),
              (QStringList{u"a"_qs, u"b"_qs, u"/*x*/"_qs}));
    // An unclosed string ends at its line.
    EXPECT_EQ(selectors(parse(u"a{content:\"oops\n}b{}"_qs)), (QStringList{u"a"_qs, u"b"_qs}));
}

// A block left open at the end used to give no item, so its text was lost
// when the sheet was written back.
TEST(StyleSheetParser, BlockLeftOpenAtTheEndIsKeptToTheEndOfTheText)
{
    const QString text = u"a{x:1} b{y:2; z:3"_qs;
    const QList<StyleDeclarationPtr> items = parse(text);
    ASSERT_EQ(dumpItems(items),
              (QStringList{u"1|a|x:1|1,5|1|N|0"_qs, u"1|b|y:2; z:3|8,9|1|N|0"_qs}));
    EXPECT_EQ(items[1]->range().end(), text.size());
    EXPECT_EQ(dumpProperties(*items[1]), (QStringList{u"y: 2"_qs, u"z: 3"_qs}));

    const QList<StyleDeclarationPtr> nested = parse(u"@media x{a{b:c}"_qs);
    EXPECT_EQ(dumpItems(nested),
              (QStringList{u"4|@media x|a{b:c}|8,7|1|N|0"_qs, u"1|a|b:c|10,5|1|Y|0"_qs}));
}

TEST(StyleSheetParser, StatementAtTheEndWithoutSemicolonIsKept)
{
    EXPECT_EQ(dumpItems(parse(u"a{}@import url(b.css)"_qs)),
              (QStringList{u"1|a||1,2|1|N|0"_qs, u"3|@import url(b.css)|nil|3,18|1|N|0"_qs}));
    // With a rule after it the statement is not closed at the end, so the
    // rule's text is not taken twice.
    EXPECT_EQ(parse(u"@import url(b.css) a{}"_qs).size(), 1);
}

TEST(StyleSheetParser, UnterminatedCommentIsKeptAsAComment)
{
    const QList<StyleDeclarationPtr> items = parse(u"a{x:1} /* the end"_qs);
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(static_cast<const StyleComment &>(*items[1]).commentBody(), u"/* the end"_qs);
    EXPECT_EQ(items[1]->range(), (Range{7, 10}));
}

// With three levels of blocks the next top-level selector used to start at
// the middle block's "}", so it began with the outer block's "}".
TEST(StyleSheetParser, TopLevelRuleAfterThreeLevelsStartsAfterTheOutermostBrace)
{
    EXPECT_EQ(selectors(parse(u"@media x{ @media y{ b{c:d} } } e{f:g}"_qs)),
              (QStringList{u"@media x"_qs, u"@media y"_qs, u"b"_qs, u"e"_qs}));
}

TEST(StyleSheetParser, RemoveCommentLeavesCommentsThatSpanLines)
{
    EXPECT_EQ(StyleSheetParser::removeComment(u"a/* x */b/* y\n */c"_qs), u"ab/* y\n */c"_qs);
    EXPECT_EQ(StyleSheetParser::planeBody(u"\ta: b;/* x */\n"_qs), u"a: b;"_qs);
    EXPECT_EQ(StyleSheetParser::preInitialize(u"a\n/* x */\tb\r"_qs), u"ab\r"_qs);
}

// Deep nesting and statements without ";" used to make one item per level,
// each holding the rest of the text: quadratic time and memory.
TEST(StyleSheetParser, HostileNestingGivesABoundedNumberOfItems)
{
    const QString deep = u"@media x{"_qs.repeated(5000);
    const QList<StyleDeclarationPtr> items = parse(deep);
    EXPECT_EQ(items.size(), 32);
    EXPECT_EQ(items.first()->range().end(), deep.size());
    // Nothing is lost: the innermost item kept holds the deeper blocks as text.
    EXPECT_TRUE(items.last()->body().endsWith(u"@media x{@media x{"_qs));
    // Rules nested in rules are text of the outermost.
    EXPECT_EQ(parse(u"a{"_qs.repeated(5000)).size(), 1);

    const QList<StyleDeclarationPtr> statements
        = parse(u"@import x "_qs.repeated(1000) + u";"_qs.repeated(1000));
    // One statement up to the first ";", and the stray ";" after it.
    EXPECT_EQ(statements.size(), 2);
}

TEST(StyleSheetParser, VendorAtRulesInsideBlocksMakeThemOtherAtRules)
{
    // "@-" inside a block retypes the innermost open block: a rule, or the
    // media block itself when it stands there directly.
    EXPECT_EQ(dumpItems(parse(u"@media x{a{@-moz-foo;b:c}}"_qs)),
              (QStringList{u"4|@media x|a{@-moz-foo;b:c}|8,18|1|N|0"_qs,
                           u"0|a|@-moz-foo;b:c|10,15|1|Y|0"_qs}));
    EXPECT_EQ(parse(u"@media x{@-moz-foo;a{b:c}}"_qs)[0]->type(), RuleType::Other);
    // Other at-rules inside a block are plain text.
    EXPECT_EQ(parse(u"a{@media x;b:c}"_qs)[0]->type(), RuleType::Style);
    EXPECT_EQ(dumpItems(parse(u"@-moz-document url-prefix(){a{b:c}}"_qs)),
              (QStringList{u"0|@-moz-document url-prefix()|a{b:c}|27,8|1|N|0"_qs,
                           u"1|a|b:c|29,5|1|Y|0"_qs}));
    EXPECT_EQ(dumpItems(parse(u"@page :first{margin:1in}"_qs)),
              QStringList{u"6|@page :first|margin:1in|12,12|1|N|0"_qs});
}

TEST(StyleSheetParser, DebugDescriptionsNameTheItem)
{
    const QList<StyleDeclarationPtr> items = parse(u"/*c*/@media x{a{}}"_qs);
    ASSERT_EQ(items.size(), 3);
    EXPECT_TRUE(items[0]->description().contains(u"/*c*/"_qs));
    EXPECT_TRUE(items[2]->description().contains(u"sel:a"_qs));
    EXPECT_TRUE(items[2]->description().contains(u"inBraket:Y"_qs));
    items[2]->setRemoved(true);
    EXPECT_EQ(items[2]->description(), QString());
}

namespace {

struct ModernCase
{
    const char *name;
    QString text;
    QStringList items; // dumpItem() of every item
    QStringList firstRuleProperties = {}; // of the first style rule, when given
};

} // namespace

// Modern CSS used to lose or corrupt text: unknown block at-rules emptied
// their children's selectors and declarations, unknown statements glued
// themselves to the next selector, line breaks and tabs were deleted instead
// of separating, nested rules and braces inside custom properties tore the
// rules apart, and escapes outside strings opened strings and blocks.
TEST(StyleSheetParser, ModernSheetsKeepEveryRuleSelectorAndDeclaration)
{
    const QList<ModernCase> cases = {
        {"supports block holds rules",
         u"@supports (display:grid){a{x:1}b{y:2}}"_qs,
         {u"12|@supports (display:grid)|a{x:1}b{y:2}|24,14|1|N|0"_qs, u"1|a|x:1|26,5|1|Y|0"_qs,
          u"1|b|y:2|32,5|1|Y|1"_qs},
         {u"x: 1"_qs}},
        {"layer block holds rules",
         u"@layer base{a{color:red}}"_qs,
         {u"0|@layer base|a{color:red}|11,14|1|N|0"_qs, u"1|a|color:red|13,11|1|Y|0"_qs},
         {u"color: red"_qs}},
        {"container, scope and starting-style blocks",
         u"@container card (min-width:40em){.x{y:z}}@scope (.c) to (.d){img{b:0}}@starting-style{.x{o:0}}"_qs,
         {u"0|@container card (min-width:40em)|.x{y:z}|32,9|1|N|0"_qs, u"1|.x|y:z|35,5|1|Y|0"_qs,
          u"0|@scope (.c) to (.d)|img{b:0}|60,10|1|N|0"_qs, u"1|img|b:0|64,5|1|Y|0"_qs,
          u"0|@starting-style|.x{o:0}|85,9|1|N|0"_qs, u"1|.x|o:0|88,5|1|Y|0"_qs}},
        {"blocks nest in blocks",
         u"@media x{@supports y{a{b:c}}d{e:f}}"_qs,
         {u"4|@media x|@supports y{a{b:c}}d{e:f}|8,27|1|N|0"_qs,
          u"12|@supports y|a{b:c}|20,8|1|Y|0"_qs, u"1|a|b:c|22,5|1|Y|0"_qs, u"1|d|e:f|29,5|1|Y|1"_qs}},
        {"statements are items of their own",
         u"@layer a, b;a{b:c}@custom-media --narrow (max-width:30em);"_qs,
         {u"0|@layer a, b|nil|0,12|1|N|0"_qs, u"1|a|b:c|13,5|1|N|0"_qs,
          u"0|@custom-media --narrow (max-width:30em)|nil|18,40|1|N|0"_qs}},
        {"a statement inside a block is a child",
         u"@media x{@layer a;b{c:d}}"_qs,
         {u"4|@media x|@layer a;b{c:d}|8,17|1|N|0"_qs, u"0|@layer a|nil|9,9|1|Y|0"_qs,
          u"1|b|c:d|19,5|1|Y|1"_qs}},
        {"a comment inside a statement stays in its text",
         u"@import /*x*/ url(a);b{}"_qs,
         {u"3|@import /*x*/ url(a)|nil|0,21|1|N|0"_qs, u"1|b||22,2|1|N|0"_qs}},
        {"an unknown statement at the end",
         u"a{}@x foo"_qs,
         {u"1|a||1,2|1|N|0"_qs, u"0|@x foo|nil|3,6|1|N|0"_qs}},
        {"line breaks and tabs separate",
         u"div\np,\ta\t>\tb{margin:0\n1px;padding:0\t2px}"_qs,
         {u"1|div p, a > b|margin:0\\n1px;padding:0\t2px|12,28|1|N|0"_qs},
         {u"margin: 0 1px"_qs, u"padding: 0 2px"_qs}},
        {"a nested rule stays text of its parent",
         u".x { color: red; &:hover { color: blue } background: white }"_qs,
         {u"1|.x| color: red; &:hover { color: blue } background: white |3,57|1|N|0"_qs},
         {u"color: red"_qs, u"background: white"_qs}},
        {"a nested at-rule stays text of its parent",
         u".a{@media (x){color:red}b:c}d{}"_qs,
         {u"1|.a|@media (x){color:red}b:c|2,26|1|N|0"_qs, u"1|d||29,2|1|N|0"_qs},
         {u"b: c"_qs}},
        {"braces in a custom property's value",
         u"a{--x: {1, 2, 3}; y: z}b{}"_qs,
         {u"1|a|--x: {1, 2, 3}; y: z|1,22|1|N|0"_qs, u"1|b||24,2|1|N|0"_qs},
         {u"--x: {1, 2, 3}"_qs, u"y: z"_qs}},
        {"escapes outside strings",
         u"[foo=\\\"]{a:b}.a\\{b{c:d}e{content:x\\;y;f:g}"_qs,
         {u"1|[foo=\\\"]|a:b|8,5|1|N|0"_qs, u"1|.a\\{b|c:d|18,5|1|N|0"_qs,
          u"1|e|content:x\\;y;f:g|24,18|1|N|0"_qs},
         {u"a: b"_qs}},
        {"commas and > inside strings and >= stay as written",
         u"[title=\"a,b>c\"]{}@media (width>=600px){}"_qs,
         {u"1|[title=\"a,b>c\"]||15,2|1|N|0"_qs, u"4|@media (width>=600px)||38,2|1|N|0"_qs}},
        {"url() and brackets are opaque",
         u"a{b:url(x;}y)}c[d=\"}\"]{e:f(;)}"_qs,
         {u"1|a|b:url(x;}y)|1,13|1|N|0"_qs, u"1|c[d=\"}\"]|e:f(;)|22,8|1|N|0"_qs}},
        {"a comment mark inside url() stays in the selector and the value",
         u"@x url(a/*b*/c){d{e:url(f/*g*/h)}}"_qs,
         {u"0|@x url(a/*b*/c)|d{e:url(f/*g*/h)}|15,19|1|N|0"_qs, u"1|d|e:url(f/*g*/h)|17,16|1|Y|0"_qs},
         {u"e: url(f/*g*/h)"_qs}},
        {"text after the last rule",
         u"a{} junk"_qs,
         {u"1|a||1,2|1|N|0"_qs, u"0|junk|nil|4,4|1|N|0"_qs}},
    };
    for (const ModernCase &c : cases) {
        SCOPED_TRACE(c.name);
        const QList<StyleDeclarationPtr> items = parse(c.text);
        EXPECT_EQ(dumpItems(items), c.items);
        EXPECT_EQ(styleSheetCoverageProblem(c.text, items), QString());
        if (c.firstRuleProperties.isEmpty())
            continue;
        const auto rule = std::find_if(items.cbegin(), items.cend(),
                                       [](const StyleDeclarationPtr &i) { return i->type() == RuleType::Style; });
        ASSERT_NE(rule, items.cend());
        EXPECT_EQ(dumpProperties(**rule), c.firstRuleProperties);
    }
}

// A real framework sheet: every style rule keeps a selector, and the items
// give back the whole text.
TEST(StyleSheetParser, FrameworkSheetLosesNoSelector)
{
    const QString path = QStringLiteral("/usr/share/javascript/bootstrap5/css/bootstrap.css");
    const QString text = QString::fromUtf8(TestUtil::readFile(path));
    if (text.isEmpty())
        GTEST_SKIP() << "libjs-bootstrap5 is not installed";
    const QList<StyleDeclarationPtr> items = parse(text);
    qsizetype rules = 0;
    for (const StyleDeclarationPtr &item : items) {
        if (item->type() != RuleType::Style)
            continue;
        ++rules;
        EXPECT_FALSE(item->selector().isEmpty()) << item->range().location;
        EXPECT_FALSE(item->properties().isEmpty() && !item->body().trimmed().isEmpty())
            << qPrintable(item->selector());
    }
    EXPECT_GT(rules, 1000);
    EXPECT_EQ(styleSheetCoverageProblem(text, items), QString());

    // The same holds for the modern sample sheet.
    const QString modern = QString::fromUtf8(TestUtil::readFile(QUILLMARK_TEST_DATA "/modern.css"));
    ASSERT_FALSE(modern.isEmpty());
    const QList<StyleDeclarationPtr> modernItems = parse(modern);
    EXPECT_EQ(styleSheetCoverageProblem(modern, modernItems), QString());
    const auto card = std::find_if(modernItems.cbegin(), modernItems.cend(),
                                   [](const StyleDeclarationPtr &i) { return i->selector() == u".card"; });
    ASSERT_NE(card, modernItems.cend());
    EXPECT_EQ(dumpProperties(**card),
              (QStringList{u"--shadow: { 0 1px 2px rgb(0 0 0 / .2) }"_qs, u"display: grid"_qs,
                           u"grid-template-areas: \"head head\" \"side main\""_qs, u"color: CanvasText"_qs}));
    EXPECT_EQ(dumpItems(modernItems).join(u'\n').toStdString(),
              QString::fromUtf8(TestUtil::readFile(QUILLMARK_TEST_DATA "/modern.expected")).trimmed().toStdString());
}
