#include "app/AppDelegate.h"
#include "app/RollbackDelegate.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/OutlineView.h"
#include "workspace/File.h"

#include <QLabel>

#include <gtest/gtest.h>

// The history list walks the snapshots newest first and rolls the file back.
TEST(RollbackDelegate, StepsThroughSnapshotsAndAnnouncesEachRollback)
{
    AppDelegate app;
    File file;
    for (const char *text : {"one", "two", "three"}) {
        file.setContent(QString::fromLatin1(text));
        file.addHistory(FileHistory::Occasion::Opened);
    }
    OutlineView view;
    QLabel count;
    RollbackDelegate rollback(&view, &count);
    rollback.intputFile(&file);
    EXPECT_EQ(count.text(), QStringLiteral("3"));
    ASSERT_EQ(view.numberOfChildrenOfItem(nullptr), 3);
    EXPECT_EQ(rollback.elements().constFirst().content(), QStringLiteral("three"));

    QList<QVariantMap> posted;
    QObject owner;
    NotificationCenter::defaultCenter().addObserver(&owner, QStringLiteral("historyFileClicked"), nullptr,
                                                    [&](const Notification &n) { posted << n.userInfo; });
    rollback.rollbackToPrev(); // No selection: the newest.
    EXPECT_EQ(file.content(), QStringLiteral("three"));
    rollback.rollbackToPrev();
    EXPECT_EQ(file.content(), QStringLiteral("two"));
    EXPECT_EQ(view.selectedRow(), 1);
    rollback.rollbackToPrev();
    rollback.rollbackToPrev(); // Already at the oldest.
    EXPECT_EQ(file.content(), QStringLiteral("one"));
    rollback.rollbackToForward();
    EXPECT_EQ(file.content(), QStringLiteral("two"));
    ASSERT_EQ(posted.size(), 4);
    EXPECT_EQ(posted.constLast().value("file").value<File *>(), &file);
    EXPECT_TRUE(posted.constLast().value("ignoreUndo").toBool());

    // A new snapshot reaches the list by itself.
    file.setContent(QStringLiteral("four"));
    file.addHistory(FileHistory::Occasion::Opened);
    EXPECT_EQ(count.text(), QStringLiteral("4"));

    // The view never outlives its items: a file that goes empties the list.
    rollback.intputFile(nullptr);
    EXPECT_EQ(view.numberOfChildrenOfItem(nullptr), 0);
}

// Each step is named by what its text was kept before, its age after the
// name; in a narrow pane the age gives way first (#88).
TEST(RollbackDelegate, EachStepShowsItsNameBeforeItsAgeWhichGivesWayFirst)
{
    AppDelegate app;
    File file;
    file.setContent(QStringLiteral("one"));
    file.addHistory(FileHistory::Occasion::Opened);
    file.setContent(QStringLiteral("two"));
    file.addHistory(FileHistory::Occasion::RulesEdit);
    file.setContent(QStringLiteral("three"));
    file.addHistory(FileHistory::Occasion::DiskChange);
    OutlineView view;
    QLabel count;
    RollbackDelegate rollback(&view, &count);
    rollback.intputFile(&file);
    view.resize(600, 200);
    view.show();
    ASSERT_EQ(view.numberOfRows(), 3);
    const QModelIndex newest = view.indexForItem(view.itemAtRow(0));
    EXPECT_EQ(view.shownText(newest), QStringLiteral("Before the change on disk  just now"));
    EXPECT_EQ(view.shownText(view.indexForItem(view.itemAtRow(1))), QStringLiteral("Before a rules edit  just now"));
    EXPECT_EQ(view.shownText(view.indexForItem(view.itemAtRow(2))), QStringLiteral("As opened  just now"));

    const QFontMetricsF metrics(view.font());
    view.resize(int(metrics.horizontalAdvance(QStringLiteral("Before the change on disk"))) + 30, 200);
    EXPECT_EQ(view.shownText(newest), QStringLiteral("Before the change on disk"));
}
