#include "TestPrinters.h"

#include "cssrules/AddDeclarationViewController.h"
#include "cssrules/AddSelectorViewController.h"
#include "cssrules/CSSOutlineDelegate.h"
#include "cssrules/CSSSnippetDataSource.h"
#include "cssrules/LinearOutlineDataSource.h"
#include "cssrules/StyleCombination.h"
#include "toolkit/SearchFieldEx.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QListView>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

CSSRulePtr ruleWith(const QStringList &declarations)
{
    const CSSRulePtr rule = CSSRule::init();
    QList<CSSRulePtr> children;
    for (const QString &line : declarations)
        children.append(CSSRule::initWithPropertyText(line));
    rule->setChildren(children);
    return rule;
}

QVariantMap box(float top, float right, float bottom, float left, float borderTop, float borderRight, float borderBottom,
                float borderLeft)
{
    return {{QStringLiteral("padding-top"), top},          {QStringLiteral("padding-right"), right},
            {QStringLiteral("padding-bottom"), bottom},    {QStringLiteral("padding-left"), left},
            {QStringLiteral("border-top-width"), borderTop}, {QStringLiteral("border-right-width"), borderRight},
            {QStringLiteral("border-bottom-width"), borderBottom}, {QStringLiteral("border-left-width"), borderLeft}};
}

void key(QWidget *widget, int code)
{
    QKeyEvent press(QEvent::KeyPress, code, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &press);
}

} // namespace

TEST(BoxDimension, ShorthandsGiveTheirSidesAndAStyledBorderWithoutWidthCountsThree)
{
    EXPECT_EQ(CSSOutlineDelegate::boxDimension(ruleWith({QStringLiteral("padding: 1px 2px 3px")})), box(1, 2, 3, 2, 0, 0, 0, 0));
    EXPECT_EQ(CSSOutlineDelegate::boxDimension(ruleWith({QStringLiteral("padding: 4px")})), box(4, 4, 4, 4, 0, 0, 0, 0));
    EXPECT_EQ(CSSOutlineDelegate::boxDimension(ruleWith({})), box(0, 0, 0, 0, 0, 0, 0, 0));
    EXPECT_EQ(CSSOutlineDelegate::boxDimension(ruleWith({QStringLiteral("border-style: solid")})), box(0, 0, 0, 0, 3, 3, 3, 3));
    // The shorthand wins over a later longhand.
    EXPECT_EQ(CSSOutlineDelegate::boxDimension(
                  ruleWith({QStringLiteral("border-width: 1px 2px"), QStringLiteral("border-left-width: 9px")})),
              box(0, 0, 0, 0, 1, 2, 1, 2));
}

TEST(BoxDimension, ABorderBoxTakesNothingAway)
{
    EXPECT_EQ(CSSOutlineDelegate::boxDimension(ruleWith({QStringLiteral("padding: 4px"), QStringLiteral("border-width: 2px"),
                                                         QStringLiteral("box-sizing: border-box")})),
              box(0, 0, 0, 0, 0, 0, 0, 0));
}

TEST(ListSources, APredicateNarrowsTheListAndLockedSnippetsComeFirst)
{
    CSSSnippetDataSource::setSnippetProvider([] {
        return QList<QVariantMap>{
            {{QStringLiteral("title"), QStringLiteral("mine")}, {QStringLiteral("content"), QStringLiteral("top:0;")}, {QStringLiteral("locked"), 0}},
            {{QStringLiteral("title"), QStringLiteral("stray")}, {QStringLiteral("content"), QStringLiteral("top:1px;")}},
            {{QStringLiteral("title"), QStringLiteral("ours")}, {QStringLiteral("content"), QStringLiteral("color:red;left:0;")}, {QStringLiteral("locked"), 1}},
        };
    });
    CSSSnippetDataSource snippets;
    ASSERT_EQ(snippets.rowCount(), 2);
    EXPECT_EQ(snippets.data(snippets.index(0), Qt::DisplayRole).toString(), QStringLiteral("ours"));
    snippets.setPredicate(LinearOutlineDataSource::valueContains(QStringLiteral("content"), QStringLiteral("left")));
    EXPECT_EQ(snippets.rowCount(), 1);
    snippets.setPredicate(LinearOutlineDataSource::valueContains(QStringLiteral("content"), QStringLiteral("nothing")));
    EXPECT_EQ(snippets.rowCount(), 0);
    CSSSnippetDataSource::setSnippetProvider({});
}

TEST(AddDeclarationPopover, TypingCompletesTheCommonBeginningAndSelectsTheFirstRow)
{
    AddDeclarationViewController popover;
    popover.view();
    popover.popoverDidShow();
    SearchFieldEx *field = popover.searchTextField();
    field->setFocus();
    QTest::keyClicks(field, QStringLiteral("bor"));
    const int rows = popover.currentDataSource()->rowCount();
    ASSERT_GT(rows, 1);
    for (int row = 0; row < rows; ++row)
        EXPECT_TRUE(popover.currentDataSource()->itemAt(row).toString().startsWith(QStringLiteral("bor")));
    EXPECT_EQ(field->text(), QStringLiteral("border"));
    EXPECT_EQ(field->selectedText(), QStringLiteral("der"));
    EXPECT_EQ(popover.outlineView()->currentIndex().row(), 0);
    EXPECT_EQ(popover.selectedElements().value(0).toString(), popover.currentDataSource()->itemAt(0).toString());

    // Backward delete takes the completion and offers none until the next character.
    QTest::keyClick(field, Qt::Key_Backspace);
    EXPECT_EQ(field->text(), QStringLiteral("bor"));
    EXPECT_TRUE(field->selectedText().isEmpty());
    QTest::keyClicks(field, QStringLiteral("der-t"));
    EXPECT_TRUE(field->text().startsWith(QStringLiteral("border-top")));

    // Up on row 0 stays there; Down moves.
    key(field, Qt::Key_Up);
    EXPECT_EQ(popover.outlineView()->currentIndex().row(), 0);
    key(field, Qt::Key_Down);
    EXPECT_EQ(popover.outlineView()->currentIndex().row(), 1);
}

TEST(AddDeclarationPopover, SnippetsAreSearchedByContentAndTheTargetsNamesAreMarked)
{
    CSSSnippetDataSource::setSnippetProvider([] {
        return QList<QVariantMap>{{{QStringLiteral("title"), QStringLiteral("Card")}, {QStringLiteral("content"), QStringLiteral("border:1px solid;padding:4px;")}, {QStringLiteral("locked"), 1}},
                                  {{QStringLiteral("title"), QStringLiteral("Text")}, {QStringLiteral("content"), QStringLiteral("color:red;")}, {QStringLiteral("locked"), 1}}};
    });
    AddDeclarationViewController popover;
    popover.view();
    popover.searchTextField()->setText(QStringLiteral("col"));
    popover.changeSegment(AddDeclarationViewController::Snippets);
    EXPECT_TRUE(popover.searchTextField()->text().isEmpty());
    EXPECT_EQ(popover.currentDataSource()->rowCount(), 2);
    popover.updateSearchField(QStringLiteral("padding"));
    ASSERT_EQ(popover.currentDataSource()->rowCount(), 1);
    EXPECT_EQ(popover.selectedElements().size(), 2);

    // A name the rule has is marked.
    auto rule = std::make_shared<StyleDeclaration>();
    rule->setType(RuleType::Style);
    rule->setBody(QStringLiteral("color: red;"));
    const CSSRulePtr row = CSSRule::init();
    row->setStyleDeclaration(rule);
    popover.setTargetSelector(row);
    EXPECT_TRUE(popover.isDeclared(QStringLiteral("color")));
    EXPECT_FALSE(popover.isDeclared(QStringLiteral("top")));
    CSSSnippetDataSource::setSnippetProvider({});
}

TEST(AddDeclarationPopover, ASelectedRowIsTintedWithHalfTheSelectionColour)
{
    AddDeclarationViewController popover;
    QWidget *view = popover.view();
    view->resize(240, 300);
    popover.updateSearchField(QStringLiteral("color"));
    QListView *list = popover.outlineView();
    ASSERT_EQ(list->currentIndex().row(), 0);
    const QRect row = list->visualRect(list->currentIndex());
    const QImage shot = list->viewport()->grab().toImage();
    // Past the name's text the row shows the tint over the list's base.
    const QColor seen = shot.pixelColor(row.right() - 4, row.center().y());
    const QColor base = list->palette().color(QPalette::Base);
    const QColor highlight = list->palette().color(QPalette::Active, QPalette::Highlight);
    const auto blend = [](int over, int under) { return (over + under) / 2; };
    EXPECT_NEAR(seen.red(), blend(highlight.red(), base.red()), 2);
    EXPECT_NEAR(seen.green(), blend(highlight.green(), base.green()), 2);
    EXPECT_NEAR(seen.blue(), blend(highlight.blue(), base.blue()), 2);
    // Its name keeps the text colour: no pixel of the row is the selected-text colour.
    const QColor selectedText = list->palette().color(QPalette::Active, QPalette::HighlightedText);
    bool inverted = false;
    for (int x = row.left(); x < row.right(); ++x) {
        for (int y = row.top(); y <= row.bottom(); ++y)
            inverted = inverted || shot.pixelColor(x, y) == selectedText;
    }
    EXPECT_FALSE(inverted);
}

TEST(StyleCombinations, GroupsListTheirNamesInOrder)
{
    EXPECT_EQ(StyleCombination::stylePropertiesByComboName(QStringLiteral("Rect")),
              (QStringList{QStringLiteral("width"), QStringLiteral("height"), QStringLiteral("background-color"), QStringLiteral("border")}));
    EXPECT_TRUE(StyleCombination::stylePropertiesByComboName(QStringLiteral("Nothing")).isEmpty());
    EXPECT_EQ(StyleCombination::getStyleCombinations().first(), QStringLiteral("Animation Easy"));
    EXPECT_EQ(StyleCombination::getStyleCombinations().size(), 12);
}

TEST(AddSelectorPopover, WordsItDoesNotTakeAreMarkedWhereTheyStand)
{
    for (const QString &good : {QStringLiteral("div p"), QStringLiteral("div > p"), QStringLiteral("#main"), QStringLiteral(".nav"),
                                QStringLiteral("a:hover"), QStringLiteral("#id:focus"), QStringLiteral("ul li a")})
        EXPECT_TRUE(AddSelectorViewController::selectorErrors(good).isEmpty()) << good.toStdString();
    for (const QString &bad : {QStringLiteral("div.nav"), QStringLiteral("a[href]"), QStringLiteral("DIV"), QStringLiteral("#"),
                               QStringLiteral("."), QStringLiteral("a::before"), QStringLiteral("li:nth-child(2)"),
                               QStringLiteral("a:hover:focus")})
        EXPECT_EQ(AddSelectorViewController::selectorErrors(bad), (QList<Range>{{0, bad.size()}})) << bad.toStdString();
    EXPECT_EQ(AddSelectorViewController::selectorErrors(QStringLiteral("div, foo")), (QList<Range>{{5, 3}}));
}

TEST(AddSelectorPopover, KeyframeNamesAreIdentifiersAndKeyframesPercentages)
{
    EXPECT_TRUE(AddSelectorViewController::isValidAnimationName(QStringLiteral("fade-in_2")));
    EXPECT_FALSE(AddSelectorViewController::isValidAnimationName(QStringLiteral("2fade")));
    EXPECT_FALSE(AddSelectorViewController::isValidAnimationName(QStringLiteral("fade in")));
    EXPECT_TRUE(AddSelectorViewController::isValidPercent(QStringLiteral("50%")));
    EXPECT_TRUE(AddSelectorViewController::isValidPercent(QStringLiteral("100")));
    EXPECT_FALSE(AddSelectorViewController::isValidPercent(QStringLiteral("101%")));
    EXPECT_FALSE(AddSelectorViewController::isValidPercent(QStringLiteral("-5%")));
}

TEST(AddSelectorPopover, TypingMarksTheBadWordAndKeepsOKOff)
{
    AddSelectorViewController popover;
    popover.view();
    popover.popoverWillShow();
    QTest::keyClicks(popover.textField(), QStringLiteral("div, foo"));
    EXPECT_EQ(popover.errorRanges(popover.textField()), (QList<Range>{{5, 3}}));
    EXPECT_FALSE(popover.okButton()->isEnabled());
    // The media kind offers the eighteen queries, max-width first.
    popover.updateRecommendSelectorList(AddSelectorViewController::MediaRule);
    ASSERT_EQ(popover.recommendSelectorPopUpButton()->count(), 19);
    EXPECT_EQ(popover.recommendSelectorPopUpButton()->itemText(1), QStringLiteral("@media only screen and (max-width: 320px)"));
    EXPECT_EQ(popover.recommendSelectorPopUpButton()->itemText(10), QStringLiteral("@media only screen and (min-width: 320px)"));
}
