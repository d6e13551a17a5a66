#include "WorkspaceTestSupport.h"

#include "platform/foundation/NotificationCenter.h"
#include "workspace/DateHumanInterval.h"
#include "workspace/File.h"

#include <gtest/gtest.h>

#include <random>

namespace {

int countHistoryPosts(File &file, const std::function<void()> &action)
{
    int count = 0;
    QObject owner;
    NotificationCenter::defaultCenter().addObserver(&owner, QStringLiteral("fileHistoryChanged"), &file,
                                                    [&count](const Notification &) { ++count; });
    action();
    return count;
}

// The texts for a date the given number of seconds before a fixed now.
const QDateTime kNow(QDate(2025, 6, 10), QTime(12, 0, 0), Qt::UTC);
QString ago(qint64 seconds)
{
    return DateHumanInterval::humanIntervalAgoSinceNow(kNow.addSecs(-seconds), kNow);
}
QString since(qint64 seconds)
{
    return DateHumanInterval::humanIntervalSinceNow(kNow.addSecs(-seconds), kNow);
}

} // namespace

TEST(FileHistory, TheThirtyFirstSnapshotDropsTheOldest)
{
    File file;
    const int posts = countHistoryPosts(file, [&file] {
        for (int i = 0; i < 31; ++i) {
            file.setContent(QStringLiteral("text %1").arg(i));
            file.addHistory(FileHistory::Occasion::Opened);
        }
    });
    EXPECT_EQ(posts, 31);
    const QList<FileHistory> histories = file.histories();
    ASSERT_EQ(histories.size(), File::kMaxHistories);
    EXPECT_EQ(histories.constFirst().content(), QStringLiteral("text 30"));
    EXPECT_EQ(histories.constLast().content(), QStringLiteral("text 1"));
}

TEST(FileHistory, ASnapshotOfUnchangedTextIsTakenOnce)
{
    File file;
    file.setContent(QStringLiteral("same"));
    const int posts = countHistoryPosts(file, [&file] {
        file.addHistory(FileHistory::Occasion::Opened);
        file.addHistory(FileHistory::Occasion::Opened);
    });
    EXPECT_EQ(posts, 1);
    EXPECT_EQ(file.histories().size(), 1);
}

TEST(FileHistory, RollbackIsAnEditThatUndoes)
{
    SharedUndoManager undo;
    File file;
    file.setContent(QStringLiteral("first"));
    file.addHistory(FileHistory::Occasion::Opened);
    file.setContent(QStringLiteral("second"));
    undo->loopEnd();

    file.rollBackToHistory(file.histories().constFirst());
    EXPECT_EQ(file.content(), QStringLiteral("first"));
    undo->undo();
    EXPECT_EQ(file.content(), QStringLiteral("second"));
}

// Snapshots are kept as changes against the text after them: whatever the
// edits between them (given ends, worked-out ends, several in a row,
// rollbacks), each snapshot and each copy handed out earlier reads back its
// own text.
TEST(FileHistory, SnapshotsReadBackTheirTextsAcrossEdits)
{
    for (const unsigned seed : {1u, 2u, 3u, 4u, 5u}) {
        SCOPED_TRACE(seed);
        std::mt19937 random(seed);
        const auto below = [&random](qsizetype bound) { return qsizetype(random() % quint64(bound)); };
        File file;
        QString text = QStringLiteral("body { margin: 0 }\n.a { color: red }\n.b { top: 1px }\n");
        file.setContent(text);
        QStringList expected; // Newest first, as histories() gives them.
        QList<std::pair<FileHistory, QString>> handedOut;
        for (int step = 0; step < 300; ++step) {
            const int what = int(random() % 10);
            if (what < 3) {
                file.addHistory(FileHistory::Occasion::Opened);
                if (expected.isEmpty() || expected.constFirst() != text)
                    expected.prepend(text);
                while (expected.size() > File::kMaxHistories)
                    expected.removeLast();
            } else if (what == 3 && !expected.isEmpty()) {
                const qsizetype chosen = below(expected.size());
                file.rollBackToHistory(file.histories().at(chosen));
                text = expected.at(chosen);
            } else {
                const qsizetype at = below(text.size() + 1);
                const qsizetype removed = below(std::min<qsizetype>(text.size() - at, 6) + 1);
                const QString inserted = QString(QChar(u'a' + int(random() % 26))).repeated(int(random() % 4));
                QString edited = text;
                edited.replace(at, removed, inserted);
                if (what == 4)
                    file.editContent(at, removed, inserted);
                else if (what % 2)
                    file.setContent(edited, File::UnchangedEnds(at, text.size() - at - removed));
                else
                    file.setContent(edited);
                text = edited;
            }
            ASSERT_EQ(file.content(), text);
            const QList<FileHistory> histories = file.histories();
            ASSERT_EQ(histories.size(), expected.size());
            for (qsizetype i = 0; i < histories.size(); ++i)
                ASSERT_EQ(histories.at(i).content(), expected.at(i)) << "snapshot " << i << " at step " << step;
            if (step % 25 == 0 && !histories.isEmpty())
                handedOut.append({histories.constFirst(), expected.constFirst()});
        }
        for (const auto &[history, content] : std::as_const(handedOut))
            EXPECT_EQ(history.content(), content);
    }
}

// The newest snapshot holds the text it was taken of until the next edit:
// an edit in place keeps the part it replaces there and does not copy the text.
TEST(FileHistory, AnEditInPlaceKeepsTheSnapshotWithoutCopyingTheText)
{
    File file;
    file.setContent(QString(100000, u'a'));
    file.addHistory(FileHistory::Occasion::Opened);
    const QChar *const data = file.currentContent()->constData();
    ASSERT_TRUE(file.editContent(50, 2, QStringLiteral("xy")));
    ASSERT_TRUE(file.editContent(10, 1, QStringLiteral("b")));
    EXPECT_EQ(file.currentContent()->constData(), data);
    file.addHistory(FileHistory::Occasion::Opened);
    const QList<FileHistory> histories = file.histories();
    ASSERT_EQ(histories.size(), 2);
    EXPECT_EQ(histories.constLast().content(), QString(100000, u'a'));
    EXPECT_EQ(histories.constFirst().content(), file.content());
}

TEST(HumanInterval, AgoTextsChangeAtTheirBoundaries)
{
    EXPECT_EQ(ago(0), QStringLiteral("just now"));
    EXPECT_EQ(ago(59), QStringLiteral("just now"));
    EXPECT_EQ(ago(60), QStringLiteral("a minute ago"));
    EXPECT_EQ(ago(120), QStringLiteral("2 minutes ago"));
    EXPECT_EQ(ago(2700), QStringLiteral("45 minutes ago"));
    EXPECT_EQ(ago(2701), QStringLiteral("an hour ago"));
    EXPECT_EQ(ago(5401), QStringLiteral("2 hours ago"));
    EXPECT_EQ(ago(10800), QStringLiteral("3 hours ago"));
    EXPECT_EQ(ago(82799), QStringLiteral("22 hours ago"));
    EXPECT_EQ(ago(82800), QStringLiteral("2025-06-09 13:00:00"));
}

TEST(HumanInterval, OldDatesShowTheCalendarYear)
{
    // 30 December 2024 lies in the first week of 2025.
    const QDateTime date(QDate(2024, 12, 30), QTime(9, 5, 7));
    EXPECT_EQ(DateHumanInterval::humanIntervalAgoSinceNow(date, date.addDays(3)),
              QStringLiteral("2024-12-30 09:05:07"));
}

TEST(HumanInterval, ShortTextsReachWeeksMonthsAndYears)
{
    EXPECT_EQ(since(60), QStringLiteral("1 min"));
    EXPECT_EQ(since(259200), QStringLiteral("3 days"));
    EXPECT_EQ(since(1209600), QStringLiteral("2 weeks"));
    EXPECT_EQ(since(5443200), QStringLiteral("2 months"));
    EXPECT_EQ(since(49248000), QStringLiteral("1 year"));
    EXPECT_EQ(since(63072000), QStringLiteral("2 years"));
}
