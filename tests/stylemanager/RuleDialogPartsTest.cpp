#include "stylemanager/ControlSelectorValidator.h"
#include "stylemanager/InsertIndicatorOutlineView.h"

#include "cssrules/CSSSnippetDataSource.h"
#include "cssrules/KeyframesPresetDataSource.h"
#include "cssrules/MediaRecommendDataSource.h"
#include "cssvalues/CSSSelectorValidator.h"
#include "stylesheet/StyleDeclaration.h"
#include "workspace/File.h"

#include "TestUtil.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStandardItemModel>

#include <gtest/gtest.h>

namespace {

using ControlSelectorValidator::normalizedSelector;

TEST(SelectorNormalisation, FoldsPseudoClassesAndSpacesCombinatorsAndCommas)
{
    EXPECT_EQ(normalizedSelector(QStringLiteral("a::hover")), QStringLiteral("a:hover"));
    EXPECT_EQ(normalizedSelector(QStringLiteral("p::first-line")), QStringLiteral("p::first-line"));
    EXPECT_EQ(normalizedSelector(QStringLiteral("li::before")), QStringLiteral("li::before"));
    EXPECT_EQ(normalizedSelector(QStringLiteral("h1,h2")), QStringLiteral("h1, h2"));
    EXPECT_EQ(normalizedSelector(QStringLiteral("h1, h2")), QStringLiteral("h1, h2"));
    EXPECT_EQ(normalizedSelector(QStringLiteral("ul>li+a,b")), QStringLiteral("ul > li + a, b"));
    EXPECT_EQ(normalizedSelector(QStringLiteral("a ~ b")), QStringLiteral("a ~ b"));
    EXPECT_EQ(normalizedSelector(QStringLiteral("li:nth-child(2n+1)")), QStringLiteral("li:nth-child(2n + 1)"));
}

TEST(SelectorNormalisation, LeavesAttributeSelectorsAndStringsAsTheyAre)
{
    EXPECT_EQ(normalizedSelector(QStringLiteral("[title~=x]")), QStringLiteral("[title~=x]"));
    EXPECT_EQ(normalizedSelector(QStringLiteral("a[href^='x,y>z']>b")), QStringLiteral("a[href^='x,y>z'] > b"));
    EXPECT_EQ(normalizedSelector(QStringLiteral("a[title=\"a::hover\"]")), QStringLiteral("a[title=\"a::hover\"]"));
    // Unbalanced text is left alone from the bracket on, and never crashes.
    EXPECT_EQ(normalizedSelector(QStringLiteral("a>[x,y")), QStringLiteral("a > [x,y"));
    EXPECT_EQ(normalizedSelector(QStringLiteral("a]>'b")), QStringLiteral("a] > 'b"));
}

class SelectorMarks : public ::testing::Test
{
protected:
    SelectorMarks() { EXPECT_TRUE(TestUtil::waitUntil([] { return CSSSelectorValidator::getInstance()->isReady(); }, 20000)); }
    QLineEdit field;
};

TEST_F(SelectorMarks, ErrorRangesAreMarkedAndAZeroLengthOneRunsToTheEnd)
{
    field.setText(QStringLiteral("DIV..HEADER"));
    EXPECT_FALSE(ControlSelectorValidator::validateSelectorWithFormat(&field));
    EXPECT_EQ(ControlSelectorValidator::errorRanges(&field), (QList<Range>{{4, 1}}));

    field.setText(QStringLiteral("div > \u0130x"));
    EXPECT_FALSE(ControlSelectorValidator::validateSelectorWithFormat(&field));
    EXPECT_EQ(ControlSelectorValidator::errorRanges(&field), (QList<Range>{{6, 2}}));

    field.setText(QStringLiteral("div > p"));
    EXPECT_TRUE(ControlSelectorValidator::validateSelectorWithFormat(&field));
    EXPECT_TRUE(ControlSelectorValidator::errorRanges(&field).isEmpty());
}

TEST_F(SelectorMarks, BadTextValidatesWithoutACrash)
{
    for (const QString &text : {QStringLiteral("a[[[(((\"'"), QString(10000, u'x') + QStringLiteral(" >"),
                                QStringLiteral("a\u0001\u0007\nb"), QStringLiteral("]]]))")}) {
        field.setText(text);
        ControlSelectorValidator::validateSelectorWithFormat(&field);
        for (const Range &range : ControlSelectorValidator::errorRanges(&field))
            EXPECT_LE(range.end(), field.text().size());
        normalizedSelector(text);
    }
}

TEST(ListSources, LockedSnippetsComeFirst)
{
    CSSSnippetDataSource::setSnippetProvider([] {
        return QList<QVariantMap>{{{QStringLiteral("title"), QStringLiteral("mine")}, {QStringLiteral("locked"), 0}},
                                  {{QStringLiteral("title"), QStringLiteral("built-in")}, {QStringLiteral("locked"), 1}},
                                  {{QStringLiteral("title"), QStringLiteral("odd")}}};
    });
    CSSSnippetDataSource source;
    const QVariantList list = source.sourceList();
    ASSERT_EQ(list.size(), 2);
    EXPECT_EQ(list.at(0).toMap().value(QStringLiteral("title")), QStringLiteral("built-in"));
    EXPECT_EQ(list.at(1).toMap().value(QStringLiteral("title")), QStringLiteral("mine"));
    CSSSnippetDataSource::setSnippetProvider({});
}

TEST(ListSources, KeyframePresetsAreTheWebkitRulesOnly)
{
    KeyframesPresetDataSource source;
    const QVariantList list = source.sourceList();
    EXPECT_GE(list.size(), 12);
    int unprefixed = 0;
    for (const StyleDeclarationPtr &rule : KeyframesPresetDataSource::animationDefs())
        unprefixed += rule->type() == RuleType::Keyframes && rule->selector().startsWith(QLatin1String("@keyframes"));
    EXPECT_GT(unprefixed, 0);
    for (const QVariant &item : list)
        EXPECT_TRUE(item.value<StyleDeclarationPtr>()->selector().startsWith(QLatin1String("@-webkit-keyframes")));
    // A preset's keyframes come from the file it was parsed into.
    const StyleDeclarationPtr first = list.first().value<StyleDeclarationPtr>();
    EXPECT_FALSE(KeyframesPresetDataSource::animationFile()->getMediaChildren(*first).isEmpty());
}

TEST(ListSources, MediaTemplatesAndAPredicateThatMatchesNothing)
{
    MediaRecommendDataSource source;
    const QVariantList list = source.sourceList();
    ASSERT_EQ(list.size(), 18);
    EXPECT_EQ(list.first().toMap().value(QStringLiteral("title")), QStringLiteral("@media only screen and (max-width: 320px)"));
    EXPECT_EQ(list.last().toMap().value(QStringLiteral("title")), QStringLiteral("@media only screen and (min-width: 1136px)"));
    source.setPredicate([](const QVariant &) { return false; });
    EXPECT_EQ(source.rowCount(), 0);
}

// The insert outline over rows a, group (g1, g2), b.
class InsertOutline : public ::testing::Test
{
protected:
    InsertOutline()
    {
        model.appendRow(new QStandardItem(QStringLiteral("a")));
        auto *group = new QStandardItem(QStringLiteral("group"));
        group->appendRow(new QStandardItem(QStringLiteral("g1")));
        group->appendRow(new QStandardItem(QStringLiteral("g2")));
        model.appendRow(group);
        model.appendRow(new QStandardItem(QStringLiteral("b")));
        view.setModel(&model);
        view.expandAll();
        view.resize(200, 200);
    }
    void key(int key)
    {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QCoreApplication::sendEvent(&view, &press);
    }
    // The gap as "before row" or "after row".
    QString gap() const
    {
        return (view.selectionState() == 0 ? QStringLiteral("before ") : QStringLiteral("after "))
               + view.currentIndex().data().toString();
    }

    QStandardItemModel model;
    InsertIndicatorOutlineView view;
};

TEST_F(InsertOutline, WalksDownThroughAGroupAndBackUp)
{
    view.setCurrentIndex(model.index(0, 0));
    QStringList down{gap()};
    for (int i = 0; i < 6; ++i) {
        key(Qt::Key_Down);
        down << gap();
    }
    EXPECT_EQ(down, (QStringList{"before a", "before group", "before g1", "before g2", "after g2", "before b", "after b"}));
    key(Qt::Key_Down);
    EXPECT_EQ(gap(), QStringLiteral("after b"));
    QStringList up{gap()};
    for (int i = 0; i < 6; ++i) {
        key(Qt::Key_Up);
        up << gap();
    }
    EXPECT_EQ(up, (QStringList{"after b", "before b", "after g2", "before g2", "before g1", "before group", "before a"}));
    key(Qt::Key_Up);
    EXPECT_EQ(gap(), QStringLiteral("before a"));
}

TEST_F(InsertOutline, AClickGivesTheGapAboveTheRow)
{
    view.show();
    view.setCurrentIndex(model.index(2, 0));
    key(Qt::Key_Down);
    ASSERT_EQ(gap(), QStringLiteral("after b"));
    const QRect rect = view.visualRect(model.index(0, 0));
    QMouseEvent click(QEvent::MouseButtonPress, rect.center(), view.viewport()->mapToGlobal(rect.center()), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(view.viewport(), &click);
    EXPECT_EQ(gap(), QStringLiteral("before a"));
    EXPECT_EQ(view.selectionChangeReason(), 0);
}

} // namespace
