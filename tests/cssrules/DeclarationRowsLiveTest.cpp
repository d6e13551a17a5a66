#include "LivePanel.h"

#include "platform/foundation/NotificationCenter.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace DeclarationRowsLiveTest {

namespace {

const QByteArray kSheet = R"(.card {
    color: rgb(200, 0, 0);
    border: 1px solid #e3e6f0;
}
)";

const QByteArray kPage = "<!DOCTYPE html><link rel=stylesheet href=site.css><p id=t class=card>x</p>";

} // namespace

TEST(DeclarationRows, AClickOnTheCheckBoxOfASelectedRowSwitchesTheDeclarationOff)
{
    LivePanel live;
    ASSERT_TRUE(live.load({{QStringLiteral("site.css"), kSheet}, {QStringLiteral("index.html"), kPage}}));
    ASSERT_TRUE(live.select(live.element(QStringLiteral("t"))));
    live.panel.view()->show();
    const CSSRulePtr color = LivePanel::declaration(live.ruleRow(QStringLiteral(".card")), QStringLiteral("color"));
    ASSERT_TRUE(color && live.selectRow(color));
    OutlineViewEx *outline = live.panel.outline();
    const QRect cell = outline->visualRect(outline->indexForRow(outline->rowForItem(color.get())));
    const QPoint box(cell.left() + 7, cell.center().y());
    // Each click switches once, and opens no value editor (the view's
    // delayed edit of a click on a selected row waits a double-click interval).
    const auto clickAndSettle = [&] {
        QTest::mouseClick(outline->viewport(), Qt::LeftButton, {}, box);
        TestUtil::spin(QApplication::doubleClickInterval() + 200);
    };
    clickAndSettle();
    EXPECT_FALSE(color->property()->isEnabled());
    EXPECT_EQ(outline->findChild<QLineEdit *>(QStringLiteral("valueNameDisplay")), nullptr);
    EXPECT_EQ(computedValue(*live.fixture, QStringLiteral("t"), QStringLiteral("color")), QStringLiteral("rgb(0, 0, 0)"));
    EXPECT_EQ(live.undo.undoActionName(), QStringLiteral("Change Style Enabled"));

    const CSSRulePtr again = LivePanel::declaration(live.ruleRow(QStringLiteral(".card")), QStringLiteral("color"));
    ASSERT_TRUE(again && live.selectRow(again));
    clickAndSettle();
    EXPECT_TRUE(again->property()->isEnabled());
    EXPECT_EQ(outline->findChild<QLineEdit *>(QStringLiteral("valueNameDisplay")), nullptr);
    EXPECT_EQ(computedValue(*live.fixture, QStringLiteral("t"), QStringLiteral("color")), QStringLiteral("rgb(200, 0, 0)"));
}

TEST(DeclarationRows, ABorderListsTheLonghandsOfEverySideAndALonghandEditWritesTheBorderFromItsSide)
{
    LivePanel live;
    ASSERT_TRUE(live.load({{QStringLiteral("site.css"), kSheet}, {QStringLiteral("index.html"), kPage}}));
    ASSERT_TRUE(live.select(live.element(QStringLiteral("t"))));
    const CSSRulePtr border = LivePanel::declaration(live.ruleRow(QStringLiteral(".card")), QStringLiteral("border"));
    ASSERT_TRUE(border);
    QStringList rows;
    for (const CSSRulePtr &longhand : border->children())
        rows.append(longhand->propName() + QStringLiteral(": ") + longhand->valueName());
    QStringList expected;
    for (const char *side : {"top", "right", "bottom", "left"}) {
        expected << QStringLiteral("border-%1-style: solid").arg(QLatin1String(side))
                 << QStringLiteral("border-%1-width: 1px").arg(QLatin1String(side))
                 << QStringLiteral("border-%1-color: #e3e6f0").arg(QLatin1String(side));
    }
    EXPECT_EQ(rows, expected);

    // "border" says one side for all: the edited side's longhands make it.
    live.panel.outline()->expandItem(border.get());
    const CSSRulePtr rightWidth = border->children().at(4);
    ASSERT_TRUE(live.selectRow(rightWidth));
    NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("cssValueChanged"), nullptr,
                                                             {{QStringLiteral("value"), QStringLiteral("3px")}});
    EXPECT_EQ(border->valueName(), QStringLiteral("solid 3px #e3e6f0"));
    EXPECT_EQ(computedValue(*live.fixture, QStringLiteral("t"), QStringLiteral("border-right-width")), QStringLiteral("3px"));
}

TEST(DeclarationRows, AddImportantWritesItIntoAMinifiedSheetWithoutABlank)
{
    LivePanel live;
    const QByteArray sheet = ".card{color:rgb(200, 0, 0)}.b{top:0}";
    ASSERT_TRUE(live.load({{QStringLiteral("site.css"), sheet}, {QStringLiteral("index.html"), kPage}}));
    ASSERT_TRUE(live.select(live.element(QStringLiteral("t"))));
    const CSSRulePtr color = LivePanel::declaration(live.ruleRow(QStringLiteral(".card")), QStringLiteral("color"));
    ASSERT_TRUE(color);
    live.panel.addImportant(color);
    live.settleWrites();
    EXPECT_EQ(*live.file(QStringLiteral("site.css"))->currentContent(), QStringLiteral(".card{color:rgb(200, 0, 0)!important}.b{top:0}"));
}

// The engine reports a prefixed name it knows under the standard one: both
// declarations of the file were listed under it (#72).
TEST(DeclarationRows, AKeyframeListsEachOfItsDeclarationsOnceAsTheFileHasIt)
{
    LivePanel live;
    const QByteArray sheet = "@keyframes shine{from{-webkit-mask-position:0 0;mask-position:1px 0}to{-webkit-mask-position:100% 0;"
                             "mask-position:100% 0;opacity:0.5}}";
    ASSERT_TRUE(live.load({{QStringLiteral("site.css"), sheet}, {QStringLiteral("index.html"), kPage}}));
    ASSERT_TRUE(live.select(live.element(QStringLiteral("t"))));
    File *file = live.file(QStringLiteral("site.css"));
    StyleDeclarationPtr block;
    for (const StyleDeclarationPtr &declaration : live.panel.styleDeclarationsOf(file)) {
        if (declaration->selector() == QLatin1String("@keyframes shine"))
            block = declaration;
    }
    ASSERT_TRUE(block);
    live.panel.updateRulesByKeyframes(block, nullptr);
    EXPECT_EQ(live.dump(), QStringLiteral("@keyframes shine [site.css:1]\n"
                                          "  0% [site.css:1]\n"
                                          "    -webkit-mask-position: 0 0\n"
                                          "    mask-position: 1px 0px\n"
                                          "  100% [site.css:1]\n"
                                          "    -webkit-mask-position: 100% 0\n"
                                          "    mask-position: 100% 0px\n"
                                          "    opacity: 0.5\n"));
}

} // namespace DeclarationRowsLiveTest
