#include "LivePanel.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/Alert.h"

#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace EditingLiveTest {

namespace {

const QByteArray kSite = R"(.card {
    color: black;
    margin: 1px 2px 3px 4px;
}

#t {
    padding: 1px;
}

@media (min-width: 1px) {
    .inner { border-top-width: 1px; border-top-style: solid; }
    .card { letter-spacing: 1px; }
}
)";

const QByteArray kPage = "<!DOCTYPE html><link rel=stylesheet href=site.css><p id=t class='card inner'>x</p>";

// Types the value into the selected row, as each keystroke does.
void type(const QString &value)
{
    NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("cssValueChanged"), nullptr,
                                                             {{QStringLiteral("value"), value}});
}

} // namespace

TEST(RulesEditing, EachKeystrokeReachesThePageAndLeavesTheFileAlone)
{
    LivePanel live;
    ASSERT_TRUE(live.load({{QStringLiteral("site.css"), kSite}, {QStringLiteral("index.html"), kPage}}));
    ASSERT_TRUE(live.select(live.element(QStringLiteral("t"))));
    const QString before = *live.file(QStringLiteral("site.css"))->currentContent();
    const CSSRulePtr color = LivePanel::declaration(live.ruleRow(QStringLiteral(".card")), QStringLiteral("color"));
    ASSERT_TRUE(color && live.selectRow(color)) << live.dump().toStdString();
    for (const QString &value : {QStringLiteral("r"), QStringLiteral("rgb(1, 2, 3)")})
        type(value);
    EXPECT_EQ(computedValue(*live.fixture, QStringLiteral("t"), QStringLiteral("color")), QStringLiteral("rgb(1, 2, 3)"));
    EXPECT_EQ(color->valueName(), QStringLiteral("rgb(1, 2, 3)"));

    // "!important" becomes the priority: the value beats the id's.
    const CSSRulePtr padding = LivePanel::declaration(live.ruleRow(QStringLiteral("#t")), QStringLiteral("padding"));
    ASSERT_TRUE(padding);
    live.selectRow(LivePanel::declaration(live.ruleRow(QStringLiteral(".card")), QStringLiteral("margin")));
    type(QStringLiteral("5px !important"));
    EXPECT_EQ(computedValue(*live.fixture, QStringLiteral("t"), QStringLiteral("margin-top")), QStringLiteral("5px"));

    // Nothing is written, and nothing waits to be.
    live.settleWrites();
    EXPECT_EQ(*live.file(QStringLiteral("site.css"))->currentContent(), before);
    EXPECT_FALSE(live.undo.canUndo());
}

TEST(RulesEditing, TypingIntoTheValueFieldKeepsEveryCharacterAndReturnCommits)
{
    LivePanel live;
    ASSERT_TRUE(live.load({{QStringLiteral("site.css"), kSite}, {QStringLiteral("index.html"), kPage}}));
    ASSERT_TRUE(live.select(live.element(QStringLiteral("t"))));
    const CSSRulePtr color = LivePanel::declaration(live.ruleRow(QStringLiteral(".card")), QStringLiteral("color"));
    ASSERT_TRUE(color && live.selectRow(color));
    OutlineViewEx *outline = live.panel.outline();
    live.panel.view()->show();
    ASSERT_TRUE(outline->editColumn(0, outline->rowForItem(color.get()), true));
    auto *field = outline->findChild<QLineEdit *>(QStringLiteral("valueNameDisplay"));
    ASSERT_TRUE(field);
    // Each keystroke reaches the page; the row's refresh leaves the text typed so far.
    QTest::keyClicks(field, QStringLiteral("rgb(1, 2, 3)"));
    EXPECT_EQ(field->text(), QStringLiteral("rgb(1, 2, 3)"));
    EXPECT_EQ(computedValue(*live.fixture, QStringLiteral("t"), QStringLiteral("color")), QStringLiteral("rgb(1, 2, 3)"));
    QTest::keyClick(field, Qt::Key_Return);
    live.settleWrites();
    EXPECT_EQ(color->property()->value(), QStringLiteral("rgb(1, 2, 3)"));
    EXPECT_TRUE(live.file(QStringLiteral("site.css"))->currentContent()->contains(QStringLiteral("color: rgb(1, 2, 3);")));
    EXPECT_TRUE(live.undo.canUndo());
}

TEST(RulesEditing, ALonghandEditRebuildsItsShorthand)
{
    LivePanel live;
    ASSERT_TRUE(live.load({{QStringLiteral("site.css"), kSite}, {QStringLiteral("index.html"), kPage}}));
    ASSERT_TRUE(live.select(live.element(QStringLiteral("t"))));
    const CSSRulePtr margin = LivePanel::declaration(live.ruleRow(QStringLiteral(".card")), QStringLiteral("margin"));
    ASSERT_TRUE(margin);
    const QList<CSSRulePtr> longhands = margin->children();
    ASSERT_EQ(longhands.size(), 4);
    EXPECT_EQ(longhands.last()->propName(), QStringLiteral("margin-left"));
    live.panel.outline()->expandItem(margin.get());
    ASSERT_TRUE(live.selectRow(longhands.last()));
    type(QStringLiteral("9px"));
    EXPECT_EQ(margin->valueName(), QStringLiteral("1px 2px 3px 9px"));
    EXPECT_EQ(computedValue(*live.fixture, QStringLiteral("t"), QStringLiteral("margin-left")), QStringLiteral("9px"));
    EXPECT_EQ(computedValue(*live.fixture, QStringLiteral("t"), QStringLiteral("margin-top")), QStringLiteral("1px"));
}

TEST(RulesEditing, AKeystrokeInAMediaRuleChangesThatRuleOnly)
{
    LivePanel live;
    ASSERT_TRUE(live.load({{QStringLiteral("site.css"), kSite}, {QStringLiteral("index.html"), kPage}}));
    ASSERT_TRUE(live.select(live.element(QStringLiteral("t"))));
    const CSSRulePtr media = live.ruleRow(QStringLiteral("@media (min-width: 1px)"));
    ASSERT_TRUE(media) << live.dump().toStdString();
    CSSRulePtr card;
    for (const CSSRulePtr &rule : media->children()) {
        if (rule->displayName() == QLatin1String(".card"))
            card = rule;
    }
    ASSERT_TRUE(card);
    const CSSRulePtr spacing = LivePanel::declaration(card, QStringLiteral("letter-spacing"));
    ASSERT_TRUE(spacing && live.selectRow(spacing));
    type(QStringLiteral("3px"));
    EXPECT_EQ(computedValue(*live.fixture, QStringLiteral("t"), QStringLiteral("letter-spacing")), QStringLiteral("3px"));
    // The other rule of the block keeps its own declarations only.
    live.fixture->settle();
    EXPECT_EQ(live.fixture->evaluate(QStringLiteral("document.styleSheets[0].cssRules[2].cssRules[0].cssText")).toString(),
              QStringLiteral(".inner { border-top-width: 1px; border-top-style: solid; }"));
}

TEST(RulesEditing, AnAbandonedEditPutsTheCommittedValueBackInThePage)
{
    LivePanel live;
    ASSERT_TRUE(live.load({{QStringLiteral("site.css"), kSite}, {QStringLiteral("index.html"), kPage}}));
    ASSERT_TRUE(live.select(live.element(QStringLiteral("t"))));
    const CSSRulePtr color = LivePanel::declaration(live.ruleRow(QStringLiteral(".card")), QStringLiteral("color"));
    ASSERT_TRUE(color && live.selectRow(color));
    type(QStringLiteral("rgb(9, 9, 9)"));
    live.panel.abandonValueEdit(color);
    EXPECT_EQ(color->valueName(), QStringLiteral("black"));
    EXPECT_EQ(computedValue(*live.fixture, QStringLiteral("t"), QStringLiteral("color")), QStringLiteral("rgb(0, 0, 0)"));
}

TEST(RulesEditing, AValueThatWouldBreakTheRuleIsRefused)
{
    LivePanel live;
    ASSERT_TRUE(live.load({{QStringLiteral("site.css"), kSite}, {QStringLiteral("index.html"), kPage}}));
    ASSERT_TRUE(live.select(live.element(QStringLiteral("t"))));
    const QString before = *live.file(QStringLiteral("site.css"))->currentContent();
    const CSSRulePtr color = LivePanel::declaration(live.ruleRow(QStringLiteral(".card")), QStringLiteral("color"));
    ASSERT_TRUE(color && live.selectRow(color));
    for (const QString &value : {QStringLiteral("red; } p { color: blue"), QStringLiteral("red;top:0"), QStringLiteral("\"open")})
        live.panel.commitCSSValueChange(color, value, true);
    live.settleWrites();
    EXPECT_EQ(color->property()->value(), QStringLiteral("black"));
    EXPECT_EQ(*live.file(QStringLiteral("site.css"))->currentContent(), before);
    EXPECT_FALSE(live.undo.canUndo());
}

// The page lists "-webkit-transition" as "transition": switching it off, or
// giving it a value the engine refuses, must reach the page all the same.
TEST(RulesEditing, APropertyWrittenWithItsPrefixedCopyIsSwitchedOffAndRefusedOnThePage)
{
    LivePanel live;
    ASSERT_TRUE(live.load({{QStringLiteral("site.css"), QByteArrayLiteral(".a{transition:opacity 1s;color:red}\n"
                                                                          ".b{transition:none;user-select:none}\n")},
                           {QStringLiteral("index.html"),
                            QByteArrayLiteral("<!DOCTYPE html><link rel=stylesheet href=site.css><p id=t class=a>x</p><p id=u class=b>y</p>")}}));
    ASSERT_TRUE(live.select(live.element(QStringLiteral("t"))));
    live.panel.commitStyleEnabled(LivePanel::declaration(live.ruleRow(QStringLiteral(".a")), QStringLiteral("transition")), false);
    EXPECT_EQ(computedValue(*live.fixture, QStringLiteral("t"), QStringLiteral("transition-duration")), QStringLiteral("0s"));
    EXPECT_EQ(computedValue(*live.fixture, QStringLiteral("t"), QStringLiteral("color")), QStringLiteral("rgb(255, 0, 0)"));
    live.undo.undo();
    EXPECT_EQ(computedValue(*live.fixture, QStringLiteral("t"), QStringLiteral("transition-duration")), QStringLiteral("1s"));

    ASSERT_TRUE(live.select(live.element(QStringLiteral("u"))));
    // "0" is no time: the file's declaration is dropped, as the page's must be.
    live.panel.commitCSSValueChange(LivePanel::declaration(live.ruleRow(QStringLiteral(".b")), QStringLiteral("transition")),
                                    QStringLiteral("0"), true);
    EXPECT_EQ(computedValue(*live.fixture, QStringLiteral("u"), QStringLiteral("transition-property")), QStringLiteral("all"));
    ASSERT_TRUE(live.select(live.element(QStringLiteral("u"))));
    live.panel.commitStyleEnabled(LivePanel::declaration(live.ruleRow(QStringLiteral(".b")), QStringLiteral("user-select")), false);
    EXPECT_EQ(computedValue(*live.fixture, QStringLiteral("u"), QStringLiteral("user-select")), QStringLiteral("auto"));
}

// A value the page refuses is no declaration: it neither takes away the
// value before it of the same property nor, "!important", holds back a
// later one (an alias's included). An edit of the rule keeps the page as a
// load of the file gives it.
TEST(RulesEditing, AValueThePageRefusesNeitherClearsNorHoldsBackAnotherOfItsProperty)
{
    LivePanel live;
    ASSERT_TRUE(live.load({{QStringLiteral("site.css"),
                            QByteArrayLiteral(".a {\n    color: rgb(0, 0, 255);\n    color: nonsense;\n"
                                              "    background-color: nonsense !important;\n    background-color: rgb(0, 128, 0);\n"
                                              "    user-select: 0 !important;\n    -webkit-user-select: text;\n"
                                              "    margin-top: 1px;\n}\n")},
                           {QStringLiteral("index.html"),
                            QByteArrayLiteral("<!DOCTYPE html><link rel=stylesheet href=site.css><div id=t class=a>x</div>")}}));
    ASSERT_TRUE(live.select(live.element(QStringLiteral("t"))));
    const auto pageShowsTheFile = [&] {
        EXPECT_EQ(computedValue(*live.fixture, QStringLiteral("t"), QStringLiteral("color")), QStringLiteral("rgb(0, 0, 255)"));
        EXPECT_EQ(computedValue(*live.fixture, QStringLiteral("t"), QStringLiteral("background-color")), QStringLiteral("rgb(0, 128, 0)"));
        EXPECT_EQ(computedValue(*live.fixture, QStringLiteral("t"), QStringLiteral("user-select")), QStringLiteral("text"));
    };
    pageShowsTheFile();
    const CSSRulePtr margin = LivePanel::declaration(live.ruleRow(QStringLiteral(".a")), QStringLiteral("margin-top"));
    ASSERT_TRUE(margin && live.selectRow(margin));
    type(QStringLiteral("3px"));
    EXPECT_EQ(computedValue(*live.fixture, QStringLiteral("t"), QStringLiteral("margin-top")), QStringLiteral("3px"));
    pageShowsTheFile();
    live.panel.commitStyleEnabled(margin, false);
    EXPECT_EQ(computedValue(*live.fixture, QStringLiteral("t"), QStringLiteral("margin-top")), QStringLiteral("0px"));
    pageShowsTheFile();
}

// A sheet typed into elsewhere (the code view) is read again by whoever asks
// for its rules next; the panel's rows then stand for the new model, and
// a value edited in them reaches the file once the typing is undone (#78).
TEST(RulesEditing, TheRowsFollowASheetReadAgainAfterAnEditOutsideThePanel)
{
    LivePanel live;
    ASSERT_TRUE(live.load({{QStringLiteral("site.css"), kSite}, {QStringLiteral("index.html"), kPage}}));
    ASSERT_TRUE(live.select(live.element(QStringLiteral("t"))));
    File *sheet = live.file(QStringLiteral("site.css"));
    const auto listsTheModel = [&] {
        const CSSRulePtr row = live.ruleRow(QStringLiteral("#t"));
        return row && sheet->styleDeclarations() && sheet->styleDeclarations()->contains(row->styleDeclaration());
    };
    ASSERT_TRUE(listsTheModel());

    sheet->editContent(sheet->currentContent()->size(), 0, QStringLiteral("x"));
    live.undo.loopEnd();
    live.panel.styleDeclarationsOf(sheet);
    live.undo.undo();
    EXPECT_TRUE(TestUtil::waitUntil(listsTheModel)) << live.dump().toStdString();

    live.panel.commitCSSValueChange(LivePanel::declaration(live.ruleRow(QStringLiteral("#t")), QStringLiteral("padding")),
                                    QStringLiteral("2px"), true);
    live.settleWrites();
    QString expected = QString::fromUtf8(kSite);
    expected.replace(QStringLiteral("padding: 1px"), QStringLiteral("padding: 2px"));
    EXPECT_EQ(sheet->currentContent(), expected);
}

// A rule shown alone (chosen in the style-sheet manager) is shown again
// from a sheet read again, found where it stood: the second ".card", the
// media block's, whatever another rule was given (#78).
TEST(RulesEditing, ARuleShownAloneIsShownAgainFromASheetReadAgain)
{
    LivePanel live;
    ASSERT_TRUE(live.load({{QStringLiteral("site.css"), kSite}, {QStringLiteral("index.html"), kPage}}));
    ASSERT_TRUE(live.select(live.element(QStringLiteral("t"))));
    File *sheet = live.file(QStringLiteral("site.css"));
    QList<StyleDeclarationPtr> cards;
    for (const StyleDeclarationPtr &declaration : live.panel.styleDeclarationsOf(sheet)) {
        if (declaration->selector() == QLatin1String(".card"))
            cards.append(declaration);
    }
    ASSERT_EQ(cards.size(), 2);
    live.panel.updateRulesByStyleDeclaration(cards[1]);
    ASSERT_EQ(live.dump().count(QStringLiteral("letter-spacing")), 1) << live.dump().toStdString();

    sheet->editContent(sheet->currentContent()->indexOf(QStringLiteral("#t")), 0, QStringLiteral("x"));
    live.panel.styleDeclarationsOf(sheet);
    const StyleDeclarationPtr now = live.panel.declarationReadAgain(cards[1]);
    ASSERT_TRUE(now && now != cards[1]);
    EXPECT_TRUE(sheet->styleDeclarations()->contains(now));
    EXPECT_TRUE(TestUtil::waitUntil([&] {
        const CSSRulePtr media = live.panel.rules().value(0);
        return media && !media->children().isEmpty() && media->children().first()->styleDeclaration() == now;
    })) << live.dump().toStdString();
    EXPECT_EQ(live.dump().count(QStringLiteral("letter-spacing")), 1) << live.dump().toStdString();
}

} // namespace EditingLiveTest
