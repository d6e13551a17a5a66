#include "toolkit/SearchFieldEx.h"

#include <QAction>
#include <QMenu>
#include <QTest>

#include <gtest/gtest.h>

namespace {

QStringList titles(const QMenu *menu)
{
    QStringList result;
    for (QAction *action : menu->actions())
        result << (action->isSeparator() ? QStringLiteral("---") : action->text());
    return result;
}

TEST(SearchFieldEx, MovesARepeatedEntryToTheTop)
{
    SearchFieldEx field;
    field.addHistory(QStringLiteral("one"));
    field.addHistory(QStringLiteral("two"));
    field.addHistory(QStringLiteral("one"));
    field.addHistory(QString());
    EXPECT_EQ(field.recentSearches(), (QStringList{"one", "two"}));
    EXPECT_EQ(titles(field.historyMenu()), (QStringList{"one", "two", "---", "Clear History"}));
    EXPECT_EQ(field.historyMenu()->title(), QStringLiteral("_historyMenu"));
}

TEST(SearchFieldEx, AnEmptyHistoryShowsNoSeparatorAndNoClearItem)
{
    SearchFieldEx field;
    field.addHistory(QStringLiteral("x"));
    field.clearHistory();
    EXPECT_TRUE(field.recentSearches().isEmpty());
    EXPECT_TRUE(titles(field.historyMenu()).isEmpty());
}

TEST(SearchFieldEx, AnEditedTextEntersTheHistoryWhenEditingEnds)
{
    SearchFieldEx field;
    // A single keystroke is a change of the text too.
    QTest::keyClicks(&field, QStringLiteral("a"));
    QTest::keyClick(&field, Qt::Key_Return);
    EXPECT_EQ(field.recentSearches(), QStringList{"a"});
    // Editing that ends on the text it began with adds nothing.
    QTest::keyClicks(&field, QStringLiteral("b"));
    QTest::keyClick(&field, Qt::Key_Backspace);
    QTest::keyClick(&field, Qt::Key_Return);
    EXPECT_EQ(field.recentSearches(), QStringList{"a"});
}

TEST(SearchFieldEx, ChoosingAnEntrySearchesForItAgain)
{
    SearchFieldEx field;
    field.setRecentSearches({"new", "old"});
    QStringList told;
    SearchFieldDelegate searchDelegate;
    searchDelegate.searchFieldSelectItem = [&](SearchFieldEx *, QAction *item) {
        told << "select " + item->data().toString();
    };
    field.setSearchFieldDelegate(searchDelegate);
    TextFieldDelegate fieldDelegate;
    fieldDelegate.controlTextDidChange = [&](TextField *f) { told << "changed " + f->text(); };
    field.setDelegate(fieldDelegate);
    QObject::connect(&field, &TextField::activated, &field, [&] { told << "action"; });

    field.historyMenu()->actions().at(1)->trigger();
    EXPECT_EQ(field.text(), QStringLiteral("old"));
    EXPECT_EQ(told, (QStringList{"action", "select old", "changed old"}));
    EXPECT_EQ(field.recentSearches(), (QStringList{"old", "new"}));
}

} // namespace
