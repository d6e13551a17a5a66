#include "WriterTestUtil.h"

#include "cssrules/StyleSheetSource.h"
#include "cssrules/StyleSheetWriter.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace WriterTestUtil;

namespace {

const QStringList kWebkitAndMoz{QStringLiteral("-webkit"), QStringLiteral("-moz")};

// A sheet the model gains item by item: a comment, a rule with two
// selectors and a transition, and a media block holding one rule.
void buildSheet(SheetModel &model)
{
    model.addComment(QStringLiteral("/* base */"));
    model.add(RuleType::Style, QStringLiteral(".a, .b"),
              {{QStringLiteral("color"), QStringLiteral("red")}, {QStringLiteral("transition"), QStringLiteral("opacity 1s")}});
    model.add(RuleType::Media, QStringLiteral("@media screen"));
    model.add(RuleType::Style, QStringLiteral(".c"), {{QStringLiteral("margin"), QStringLiteral("0")}}, true);
}

QString bootstrapText()
{
    QFile file(QStringLiteral("/usr/share/javascript/bootstrap5/css/bootstrap.css"));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// Changes a property's value and marks its rule, as a commit does.
void setValue(SheetModel &model, const QString &selector, const QString &name, const QString &value)
{
    const CSSPropertyPtr property = model.property(selector, name);
    ASSERT_TRUE(property) << selector.toStdString() << " " << name.toStdString();
    property->setValue(value);
    model.withSelector(selector)->setModified(true);
}

} // namespace

TEST(StyleSheetWriter, WritesNewItemsFormattedWithPrefixedCopiesRangesAndLines)
{
    SheetModel model;
    buildSheet(model);
    const StyleSheetWriter::Result result = StyleSheetWriter(settings(false, kWebkitAndMoz, {QStringLiteral("transition")}))
                                                .write(model.list, nullptr);
    ASSERT_TRUE(result.ok) << result.error.toStdString() << "\n" << result.text.toStdString();
    expectGolden(QStringLiteral("writeback/sheet.formatted.css"), result.text);
    EXPECT_EQ(model.list.at(0)->lineNumber(), 1);
    EXPECT_EQ(model.list.at(1)->lineNumber(), 2);
    EXPECT_EQ(model.list.at(2)->lineNumber(), 10);
    EXPECT_EQ(model.list.at(3)->lineNumber(), 11);
    EXPECT_EQ(model.list.at(1)->range(), (Range{18, 123}));
    EXPECT_EQ(model.list.at(2)->range(), (Range{157, 36}));
    EXPECT_EQ(model.list.at(3)->range(), (Range{166, 25}));
}

TEST(StyleSheetWriter, WritesNewItemsMinifiedOnOneLineAfterTheComment)
{
    SheetModel model;
    buildSheet(model);
    const StyleSheetWriter::Result result = StyleSheetWriter(settings(true, kWebkitAndMoz, {QStringLiteral("transition")}))
                                                .write(model.list, nullptr);
    ASSERT_TRUE(result.ok) << result.error.toStdString();
    expectGolden(QStringLiteral("writeback/sheet.minified.css"), result.text);
    EXPECT_EQ(model.list.at(0)->lineNumber(), 1);
    for (int i = 1; i < 4; ++i)
        EXPECT_EQ(model.list.at(i)->lineNumber(), 2);
    EXPECT_EQ(model.list.at(1)->range(), (Range{18, 91}));
    EXPECT_EQ(model.list.at(2)->range(), (Range{123, 16}));
    EXPECT_EQ(model.list.at(3)->range(), (Range{127, 11}));
}

TEST(StyleSheetWriter, UneditedSheetsWriteBackByteIdentical)
{
    const QString bootstrap = bootstrapText();
    for (const QString &text : {readData(QStringLiteral("writeback/modern.css")), bootstrap}) {
        if (text.isEmpty())
            continue;
        for (const QStringList &prefixes : {QStringList(), kWebkitAndMoz}) {
            const StyleSheetWriterSettings each = settings(false, prefixes, {QStringLiteral("transition")});
            EXPECT_EQ(writtenAfter(text, each, [](SheetModel &) {}), text);
            // Marks alone change nothing either.
            EXPECT_EQ(writtenAfter(text, each,
                                   [](SheetModel &model) {
                                       for (const StyleDeclarationPtr &item : model.list)
                                           item->setModified(true);
                                   }),
                      text);
        }
    }
}

TEST(StyleSheetWriter, AnEditChangesOnlyThatDeclarationInTheRulesOwnSpacing)
{
    const StyleSheetWriterSettings each = settings(false, kWebkitAndMoz, {QStringLiteral("transition")});
    const QString text = readData(QStringLiteral("writeback/modern.css"));
    const QString written = writtenAfter(text, each, [](SheetModel &model) {
        setValue(model, QStringLiteral(".card, .card > .title, .panel:is(.a, .b)"), QStringLiteral("color"), QStringLiteral("#444"));
        setValue(model, QStringLiteral(".card, .card > .title, .panel:is(.a, .b)"), QStringLiteral("transition"),
                 QStringLiteral("opacity 2s, transform 1s"));
        setValue(model, QStringLiteral(".title"), QStringLiteral("font-size"), QStringLiteral("2rem !important"));
        setValue(model, QStringLiteral(".grid"), QStringLiteral("display"), QStringLiteral("flex"));
        setValue(model, QStringLiteral("from"), QStringLiteral("transform"), QStringLiteral("rotate(10deg)"));
    });
    expectGolden(QStringLiteral("writeback/modern.edited.css"), written);
}

TEST(StyleSheetWriter, AnEditOfBootstrapChangesOneLine)
{
    const QString text = bootstrapText();
    if (text.isEmpty())
        GTEST_SKIP() << "libjs-bootstrap5 is not installed";
    const QString written = writtenAfter(text, settings(false, {QStringLiteral("-webkit")}, {}), [](SheetModel &model) {
        setValue(model, QStringLiteral(".btn-primary"), QStringLiteral("--bs-btn-bg"), QStringLiteral("#123456"));
    });
    const QStringList before = text.split(u'\n');
    const QStringList after = written.split(u'\n');
    ASSERT_EQ(before.size(), after.size());
    int differing = 0;
    for (qsizetype i = 0; i < before.size(); ++i) {
        if (before.at(i) != after.at(i)) {
            ++differing;
            EXPECT_EQ(after.at(i), QStringLiteral("  --bs-btn-bg: #123456;"));
        }
    }
    EXPECT_EQ(differing, 1);
}

TEST(StyleSheetWriter, RemovedAndAddedDeclarationsTakeTheirLinesInTheRulesStyle)
{
    const QString text = QStringLiteral(".a {\n  color: red;\n  margin: 0;\n}\n\n.b { top: 0; }\n");
    const QString written = writtenAfter(text, settings(false, {}, {}), [](SheetModel &model) {
        model.property(QStringLiteral(".a"), QStringLiteral("color"))->setRemoved(true);
        auto added = declared(QStringLiteral("padding"), QStringLiteral("2px"));
        model.withSelector(QStringLiteral(".a"))->properties().append(added);
        model.withSelector(QStringLiteral(".a"))->setModified(true);
        auto inline_ = declared(QStringLiteral("left"), QStringLiteral("1px"));
        model.withSelector(QStringLiteral(".b"))->properties().append(inline_);
        model.withSelector(QStringLiteral(".b"))->setModified(true);
    });
    EXPECT_EQ(written, QStringLiteral(".a {\n  margin: 0;\n  padding: 2px;\n}\n\n.b { top: 0; left: 1px; }\n"));
}

TEST(StyleSheetWriter, ADeclarationAddedAfterOneRemovedInTheSameWriteIsKept)
{
    // The place after the last declaration went with it when that one was cut.
    const QString text = QStringLiteral(".a {\n  color: red;\n  margin: 0;\n}\n");
    const QString written = writtenAfter(text, settings(false, {}, {}), [](SheetModel &model) {
        model.property(QStringLiteral(".a"), QStringLiteral("margin"))->setRemoved(true);
        model.withSelector(QStringLiteral(".a"))->properties().append(
            declared(QStringLiteral("content"), QStringLiteral("\"x;y\"")));
        model.withSelector(QStringLiteral(".a"))->setModified(true);
    });
    EXPECT_EQ(written, QStringLiteral(".a {\n  color: red;\n  content: \"x;y\";\n}\n"));
}

TEST(StyleSheetWriter, ARuleAddedAfterOneRemovedInTheSameWriteTakesItsPlace)
{
    const QString text = QStringLiteral(".a { color: red; }\n\n.b { color: blue; }\n\n.c { top: 0; }\n");
    const QString written = writtenAfter(text, settings(false, {}, {}), [](SheetModel &model) {
        model.withSelector(QStringLiteral(".b"))->setRemoved(true);
        const StyleDeclarationPtr made = model.add(RuleType::Style, QStringLiteral(".n"), {{QStringLiteral("left"), QStringLiteral("0")}});
        // In the model's order: right after the removed rule.
        model.list.move(model.list.size() - 1, 2);
        model.file.setStyleDeclarations(model.list);
    });
    EXPECT_EQ(written.count(QStringLiteral(".n {")), 1) << written.toStdString();
    EXPECT_FALSE(written.contains(QStringLiteral(".b {"))) << written.toStdString();
    EXPECT_LT(written.indexOf(QStringLiteral(".a {")), written.indexOf(QStringLiteral(".n {")));
    EXPECT_LT(written.indexOf(QStringLiteral(".n {")), written.indexOf(QStringLiteral(".c {")));
    EXPECT_EQ(written, QStringLiteral(".a { color: red; }\n\n.n {\n    left: 0;\n}\n\n.c { top: 0; }\n"));

    // The first rule gone: the new one goes first.
    const QString first = writtenAfter(text, settings(false, {}, {}), [](SheetModel &model) {
        model.withSelector(QStringLiteral(".a"))->setRemoved(true);
        model.add(RuleType::Style, QStringLiteral(".n"), {{QStringLiteral("left"), QStringLiteral("0")}});
        model.list.move(model.list.size() - 1, 1);
        model.file.setStyleDeclarations(model.list);
    });
    EXPECT_EQ(first, QStringLiteral(".n {\n    left: 0;\n}\n\n.b { color: blue; }\n\n.c { top: 0; }\n"));
}

// With "-webkit" and "-moz" switched on, a rule that writes only "-webkit-"
// copies gets no "-moz-" one from an edit (#77).
TEST(StyleSheetWriter, AnEditedPrefixedDeclarationRewritesItsCopiesAndAddsNoneTheRuleDoesNotWrite)
{
    const QString text = QStringLiteral(".a {\n    -webkit-transition: top 1s;\n    transition: top 1s;\n}\n");
    const QString written = writtenAfter(text, settings(false, kWebkitAndMoz, {QStringLiteral("transition"), QStringLiteral("transform")}),
                                         [](SheetModel &model) {
                                             setValue(model, QStringLiteral(".a"), QStringLiteral("transition"),
                                                      QStringLiteral("opacity 1s,transform 2s"));
                                         });
    EXPECT_EQ(written, QStringLiteral(".a {\n    -webkit-transition: opacity 1s,-webkit-transform 2s;\n"
                                      "    transition: opacity 1s,transform 2s;\n}\n"));
}

// A gradient's copy is written under the plain name with the prefixed
// function: an edit took it for a second plain declaration and wrote the
// value twice, once more at every write (#77).
TEST(StyleSheetWriter, AGradientsCopyKeepsItsPrefixedFunctionAndAnAddedGradientGetsNoCopyTheRuleDoesNotWrite)
{
    const StyleSheetWriterSettings webkit = settings(false, {QStringLiteral("-webkit")}, {QStringLiteral("transition")});
    const QString text = QStringLiteral(".a {\n  background-image: -webkit-linear-gradient(top, #000, #fff);\n"
                                        "  background-image: linear-gradient(to bottom, #000, #fff);\n}\n\n.b {\n  color: red;\n}\n");
    EXPECT_EQ(writtenAfter(text, webkit, [](SheetModel &model) {
                  setValue(model, QStringLiteral(".a"), QStringLiteral("background-image"), QStringLiteral("linear-gradient(to bottom, #111, #fff)"));
              }),
              QStringLiteral(".a {\n  background-image: -webkit-linear-gradient(top, #111, #fff);\n"
                             "  background-image: linear-gradient(to bottom, #111, #fff);\n}\n\n.b {\n  color: red;\n}\n"));
    // A value with no gradient leaves no copy.
    EXPECT_EQ(writtenAfter(text, webkit, [](SheetModel &model) {
                  setValue(model, QStringLiteral(".a"), QStringLiteral("background-image"), QStringLiteral("url(a.png)"));
              }),
              QStringLiteral(".a {\n  background-image: url(a.png);\n}\n\n.b {\n  color: red;\n}\n"));
    // A gradient added to a rule that writes no copies is written once.
    EXPECT_EQ(writtenAfter(text, webkit, [](SheetModel &model) {
                  const StyleDeclarationPtr rule = model.withSelector(QStringLiteral(".b"));
                  QList<CSSPropertyPtr> properties = rule->properties();
                  properties.append(declared(QStringLiteral("background-image"),
                                                                  QStringLiteral("linear-gradient(red, blue)")));
                  rule->setProperties(properties);
                  rule->setModified(true);
              }),
              QString(text).replace(QStringLiteral("color: red;\n"), QStringLiteral("color: red;\n  background-image: linear-gradient(red, blue);\n")));
}

TEST(StyleSheetWriter, AValueThatWouldOpenABlockIsNotWritten)
{
    SheetModel model;
    const StyleSheetWriterSettings each = settings(false, {}, {});
    const QString text = QStringLiteral(".a { color: red; }\n.b { top: 0; }\n");
    model.read(text, each);
    const auto source = StyleSheetSource::read(text, model.list);
    for (const QString &value : {QStringLiteral("red; } .x { top: 1px"), QStringLiteral("red; top: 1px"),
                                 QStringLiteral("red /* open")}) {
        setValue(model, QStringLiteral(".a"), QStringLiteral("color"), value);
        const Range before = model.list.at(1)->range();
        const StyleSheetWriter::Result result = StyleSheetWriter(each).write(model.list, source.get());
        EXPECT_FALSE(result.ok) << value.toStdString();
        EXPECT_FALSE(result.error.isEmpty());
        EXPECT_EQ(model.list.at(1)->range(), before);
    }
}

// In the sheet's own indentation: two spaces here.
TEST(StyleSheetWriter, NewItemsAreWrittenAsTheFormattedLayoutWritesThem)
{
    const QString text = QStringLiteral(".a { color: red; }\n\n@media print {\n  .p { top: 0; }\n}\n");
    const QString written = writtenAfter(text, settings(false, {}, {}), [](SheetModel &model) {
        auto rule = std::make_shared<StyleDeclaration>();
        rule->setType(RuleType::Style);
        rule->setSelector(QStringLiteral(":is(.x, .y), .z"));
        rule->setParentFile(&model.file);
        rule->setProperties({declared(QStringLiteral("top"), QStringLiteral("1px"))});
        model.list.insert(1, rule);
        auto inner = std::make_shared<StyleDeclaration>();
        inner->setType(RuleType::Style);
        inner->setSelector(QStringLiteral(".q"));
        inner->setInBraket(true);
        inner->setChildIndex(1);
        inner->setParentFile(&model.file);
        inner->setProperties({declared(QStringLiteral("left"), QStringLiteral("0"))});
        model.list.append(inner);
        model.file.setStyleDeclarations(model.list);
    });
    // Declarations as the sheet writes them; a rule beside one-line rules on one line.
    EXPECT_EQ(written, QStringLiteral(".a { color: red; }\n\n:is(.x, .y),\n.z {\n  top: 1px;\n}\n\n@media print {\n  .p { top: 0; }\n"
                                      "  .q { left: 0; }\n}\n"));
}

TEST(StyleSheetWriter, KeyframesGetACopyPerPrefixFromTheModel)
{
    SheetModel model;
    model.add(RuleType::Keyframes, QStringLiteral("@-webkit-keyframes spin"));
    model.add(RuleType::Keyframe, QStringLiteral("to"), {{QStringLiteral("-webkit-transform"), QStringLiteral("rotate(1turn)")}}, true);
    model.add(RuleType::Keyframe, QStringLiteral("from"), {{QStringLiteral("left"), QStringLiteral("10px")}}, true);
    model.list.at(2)->setChildIndex(1);
    // The unprefixed twin is not written, unless its "-webkit-" twin was removed.
    model.add(RuleType::Keyframes, QStringLiteral("@keyframes spin"));
    model.add(RuleType::Keyframe, QStringLiteral("0%"), {{QStringLiteral("top"), QStringLiteral("0")}}, true);
    for (bool minify : {false, true}) {
        StyleSheetWriter writer(settings(minify, kWebkitAndMoz, {QStringLiteral("transform")}));
        writer.setTempKeyframeDeclarations(model.file.keyframesDeclarations());
        const StyleSheetWriter::Result result = writer.write(model.list, nullptr);
        ASSERT_TRUE(result.ok) << result.error.toStdString();
        expectGolden(minify ? QStringLiteral("writeback/keyframes.minified.css") : QStringLiteral("writeback/keyframes.formatted.css"),
                     result.text);
    }
    model.list.at(0)->setRemoved(true);
    StyleSheetWriter writer(settings(false, kWebkitAndMoz, {QStringLiteral("transform")}));
    writer.setTempKeyframeDeclarations(model.file.keyframesDeclarations());
    const StyleSheetWriter::Result result = writer.write(model.list, nullptr);
    ASSERT_TRUE(result.ok) << result.error.toStdString();
    EXPECT_TRUE(result.text.startsWith(QStringLiteral("@keyframes spin {"))) << result.text.toStdString();
}

TEST(StyleSheetWriter, MinifiedTextKeepsWhatTheModelCannotWrite)
{
    const StyleSheetWriterSettings each = settings(true, {}, {});
    const QString text = readData(QStringLiteral("writeback/modern.css"));
    const QString written = writtenAfter(text, each, [](SheetModel &model) {
        setValue(model, QStringLiteral(".grid"), QStringLiteral("display"), QStringLiteral("flex"));
    });
    expectGolden(QStringLiteral("writeback/modern.minified.css"), written);
}

TEST(StyleSheetWriter, SelectorsBreakOnlyAtTheirTopLevelCommas)
{
    EXPECT_EQ(StyleSheetWriter::selectorAsWritten(QStringLiteral("a,b")), QStringLiteral("a,\nb"));
    EXPECT_EQ(StyleSheetWriter::selectorAsWritten(QStringLiteral("a,  b")), QStringLiteral("a,\n b"));
    EXPECT_EQ(StyleSheetWriter::selectorAsWritten(QStringLiteral("a,\r\nb")), QStringLiteral("a,\nb"));
    EXPECT_EQ(StyleSheetWriter::selectorAsWritten(QStringLiteral(":is(a, b), [title=\"x,y\"]")),
              QStringLiteral(":is(a, b),\n[title=\"x,y\"]"));
    EXPECT_EQ(StyleSheetWriter::venderPrefixIndentCount(QString()), 7);
    EXPECT_EQ(StyleSheetWriter::venderPrefixIndentCount(QStringLiteral("-webkit")), 0);
    EXPECT_EQ(StyleSheetWriter::venderPrefixIndentCount(QStringLiteral("-moz")), 3);
}

namespace StyleSheetWriterLayoutTest {

// Appends a declaration to a rule and marks it, as the add-property panel does.
void addDeclaration(SheetModel &model, const QString &selector, const QString &name, const QString &value)
{
    const StyleDeclarationPtr rule = model.withSelector(selector);
    ASSERT_TRUE(rule) << selector.toStdString();
    rule->properties().append(declared(name, value));
    rule->setModified(true);
}

TEST(StyleSheetWriterLayout, TextAddedToAMinifiedSheetFollowsItsLayout)
{
    struct Row
    {
        const char *name;
        const char *text;
        const char *selector;
        const char *expected;
    };
    const Row rows[] = {
        {"after a last declaration without its semicolon", ".card{padding:8px}.reveal h3{font-size:20px}", ".reveal h3",
         ".card{padding:8px}.reveal h3{font-size:20px;color:#4dff07}"},
        {"after a last declaration with its semicolon", ".a{top:0;}.b{left:0}", ".a", ".a{top:0;color:#4dff07;}.b{left:0}"},
        {"into an empty rule", ".a{}.b{left:0}", ".a", ".a{color:#4dff07}.b{left:0}"},
    };
    for (const Row &row : rows) {
        const QString text = QString::fromLatin1(row.text);
        const QString written = writtenAfter(text, settings(false, {}, {}), [&](SheetModel &model) {
            addDeclaration(model, QString::fromLatin1(row.selector), QStringLiteral("color"), QStringLiteral("#4dff07"));
        });
        EXPECT_EQ(written, QString::fromLatin1(row.expected)) << row.name;
    }
    // A minified sheet may begin with a comment on a line of its own.
    const QString longLine = QStringLiteral("/* x */\n.a{top:0}") + QStringLiteral(".x").repeated(250) + QStringLiteral("{left:0}\n");
    const QString written = writtenAfter(longLine, settings(false, {}, {}), [](SheetModel &model) {
        addDeclaration(model, QStringLiteral(".a"), QStringLiteral("color"), QStringLiteral("#4dff07"));
    });
    EXPECT_EQ(written, QString(longLine).replace(QStringLiteral(".a{top:0}"), QStringLiteral(".a{top:0;color:#4dff07}")));
}

TEST(StyleSheetWriterLayout, TwoDeclarationsAddedToAMinifiedRuleAreJoinedBySemicolonsOnly)
{
    const QString written = writtenAfter(QStringLiteral(".a{top:0}"), settings(false, {}, {}), [](SheetModel &model) {
        addDeclaration(model, QStringLiteral(".a"), QStringLiteral("color"), QStringLiteral("red"));
        addDeclaration(model, QStringLiteral(".a"), QStringLiteral("margin"), QStringLiteral("0 !important"));
    });
    EXPECT_EQ(written, QStringLiteral(".a{top:0;color:red;margin:0 !important}"));
}

TEST(StyleSheetWriterLayout, ThePrefixedCopiesAnEditAddsAreJoinedAsTheRuleJoinsItsDeclarations)
{
    const QStringList all = {QStringLiteral("-webkit"), QStringLiteral("-moz"), QStringLiteral("-o"), QStringLiteral("-ms")};
    const auto edited = [&all](const char *text) {
        return writtenAfter(QString::fromLatin1(text),
                            settings(false, all, {QStringLiteral("animation-iteration-count"), QStringLiteral("animation-name")}),
                            [](SheetModel &model) {
                                setValue(model, QStringLiteral(".infinite"), QStringLiteral("animation-iteration-count"),
                                         QStringLiteral("3"));
                            });
    };
    // Only the copies the rule writes for its other declarations ("-moz-"
    // here) are added (#77). Minified: by semicolons only (#72).
    EXPECT_EQ(edited(".infinite{-webkit-animation-iteration-count:infinite;animation-iteration-count:infinite;"
                     "-moz-animation-name:x;animation-name:x}.b{top:0}"),
              QStringLiteral(".infinite{-webkit-animation-iteration-count:3;-moz-animation-iteration-count:3;animation-iteration-count:3;"
                             "-moz-animation-name:x;animation-name:x}.b{top:0}"));
    // A rule on one line with blanks keeps them.
    EXPECT_EQ(edited(".infinite { -webkit-animation-iteration-count: infinite; animation-iteration-count: infinite; "
                     "-moz-animation-name: x; animation-name: x }\n"),
              QStringLiteral(".infinite { -webkit-animation-iteration-count: 3; -moz-animation-iteration-count: 3; "
                             "animation-iteration-count: 3; -moz-animation-name: x; animation-name: x }\n"));
}

TEST(StyleSheetWriterLayout, ARuleAddedToAMinifiedSheetStaysOnItsLine)
{
    const QString written = writtenAfter(QStringLiteral(".a{top:0}"), settings(false, {}, {}), [](SheetModel &model) {
        model.add(RuleType::Style, QStringLiteral(".b"), {{QStringLiteral("left"), QStringLiteral("0")}});
    });
    EXPECT_FALSE(written.contains(u'\n')) << written.toStdString();
    EXPECT_TRUE(written.startsWith(QStringLiteral(".a{top:0}.b"))) << written.toStdString();
}

TEST(StyleSheetWriterLayout, ADeclarationAddedToAFormattedSheetTakesItsIndentation)
{
    const QString written = writtenAfter(QStringLiteral(".a {\n\tcolor: red;\n}\n\n.b {\n\ttop: 0;\n}\n"),
                                         settings(false, {}, {}), [](SheetModel &model) {
        addDeclaration(model, QStringLiteral(".b"), QStringLiteral("left"), QStringLiteral("1px"));
    });
    EXPECT_EQ(written, QStringLiteral(".a {\n\tcolor: red;\n}\n\n.b {\n\ttop: 0;\n\tleft: 1px;\n}\n"));
}

} // namespace StyleSheetWriterLayoutTest
