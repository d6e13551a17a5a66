#include "TestUtil.h"

#include "workspace/SCEventListenerProtocol.h"
#include "workspace/SCEvents.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class Recorder : public SCEventListenerProtocol
{
public:
    void pathWatcher(SCEvents *, const SCEvent &event) override { events.append(event); }

    bool hasPath(const QString &path) const { return flagsOf(path) != -1; }
    qint32 flagsOf(const QString &path) const
    {
        for (const SCEvent &event : events) {
            if (event.eventPath() == path)
                return event.eventFlags();
        }
        return -1;
    }
    QList<SCEvent> events;
};

class SCEventsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_root = QDir(m_dir.path()).canonicalPath();
        m_watcher.setDelegate(&m_recorder);
        m_watcher.setNotificationLatency(0.5);
    }

    QTemporaryDir m_dir;
    QString m_root;
    Recorder m_recorder;
    SCEvents m_watcher;
};

} // namespace

TEST_F(SCEventsTest, FileInANewSubFolderIsReportedWithinASecond)
{
    ASSERT_TRUE(m_watcher.startWatchingPaths({m_root}));
    ASSERT_TRUE(QDir(m_root).mkpath("new/deeper"));
    ASSERT_TRUE(TestUtil::writeFile(m_root + "/new/deeper/page.html", "<p>"));

    // One batch after the 0.5 s latency; the margin is for loaded test machines.
    ASSERT_TRUE(TestUtil::waitUntil([&] { return m_recorder.hasPath(m_root + "/new/deeper"); }, 3000));
    EXPECT_TRUE(m_recorder.flagsOf(m_root) & SCEvent::ItemCreated);

    // The new folder is watched from now on.
    m_recorder.events.clear();
    ASSERT_TRUE(TestUtil::writeFile(m_root + "/new/deeper/page.html", "<p>changed"));
    ASSERT_TRUE(TestUtil::waitUntil([&] { return m_recorder.hasPath(m_root + "/new/deeper"); }, 2000));
    EXPECT_TRUE(m_recorder.flagsOf(m_root + "/new/deeper") & SCEvent::ItemModified);
}

TEST_F(SCEventsTest, ChangesWithinTheLatencyArriveAsOneEventPerFolder)
{
    ASSERT_TRUE(QDir(m_root).mkpath("css"));
    ASSERT_TRUE(m_watcher.startWatchingPaths({m_root + "/"}));
    EXPECT_EQ(m_watcher.watchedPaths(), QStringList{m_root + "/"});
    for (int i = 0; i < 5; ++i)
        ASSERT_TRUE(TestUtil::writeFile(m_root + QStringLiteral("/css/%1.css").arg(i), "a{}"));
    TestUtil::spin(100);
    EXPECT_TRUE(m_recorder.events.isEmpty());
    ASSERT_TRUE(TestUtil::waitUntil([&] { return !m_recorder.events.isEmpty(); }, 2000));
    ASSERT_EQ(m_recorder.events.size(), 1);
    const SCEvent event = m_recorder.events.first();
    EXPECT_EQ(event.eventPath(), m_root + "/css");
    EXPECT_TRUE(event.eventFlags() & SCEvent::ItemCreated);
    EXPECT_TRUE(event.eventFlags() & SCEvent::ItemIsFile);
    ASSERT_TRUE(m_watcher.lastEvent().has_value());
    EXPECT_EQ(m_watcher.lastEvent()->eventId(), event.eventId());
}

TEST_F(SCEventsTest, VanishedFolderIsDroppedAndCanComeBack)
{
    ASSERT_TRUE(QDir(m_root).mkpath("img/icons"));
    ASSERT_TRUE(m_watcher.startWatchingPaths({m_root}));
    ASSERT_TRUE(QDir(m_root + "/img").removeRecursively());
    ASSERT_TRUE(m_watcher.flushEventStreamSync());
    EXPECT_TRUE(m_recorder.flagsOf(m_root) & SCEvent::ItemRemoved);

    m_recorder.events.clear();
    ASSERT_TRUE(QDir(m_root).mkpath("img"));
    ASSERT_TRUE(TestUtil::writeFile(m_root + "/img/a.png", "png"));
    ASSERT_TRUE(TestUtil::waitUntil([&] { return m_recorder.hasPath(m_root + "/img"); }, 2000));
}

TEST_F(SCEventsTest, ExcludedPathsDropTheirSubFoldersOnlyWhenAsked)
{
    ASSERT_TRUE(QDir(m_root).mkpath("build/x"));
    ASSERT_TRUE(QDir(m_root).mkpath("src"));
    m_watcher.setExcludedPaths({m_root + "/build"});
    ASSERT_TRUE(m_watcher.startWatchingPaths({m_root}));

    ASSERT_TRUE(TestUtil::writeFile(m_root + "/build/x/out.js", "1"));
    ASSERT_TRUE(TestUtil::writeFile(m_root + "/src/in.js", "1"));
    ASSERT_TRUE(m_watcher.flushEventStreamSync());
    EXPECT_FALSE(m_recorder.hasPath(m_root + "/build/x"));
    EXPECT_TRUE(m_recorder.hasPath(m_root + "/src"));

    m_recorder.events.clear();
    m_watcher.setIgnoreEventsFromSubDirs(false);
    ASSERT_TRUE(TestUtil::writeFile(m_root + "/build/x/out.js", "2"));
    ASSERT_TRUE(TestUtil::writeFile(m_root + "/src/in.js", "2"));
    ASSERT_TRUE(m_watcher.flushEventStreamSync());
    EXPECT_TRUE(m_recorder.hasPath(m_root + "/build/x"));
    EXPECT_TRUE(m_recorder.hasPath(m_root + "/src"));
}

TEST_F(SCEventsTest, StartAndStopAnswerWhetherTheyDidAnything)
{
    EXPECT_FALSE(m_watcher.startWatchingPaths({}));
    EXPECT_FALSE(m_watcher.isWatchingPaths());
    EXPECT_FALSE(m_watcher.stopWatchingPaths());
    EXPECT_FALSE(m_watcher.flushEventStreamSync());
    EXPECT_FALSE(m_watcher.flushEventStreamAsync());
    EXPECT_TRUE(m_watcher.streamDescription().isEmpty());

    ASSERT_TRUE(m_watcher.startWatchingPaths({m_root}));
    EXPECT_FALSE(m_watcher.startWatchingPaths({m_root}));
    EXPECT_TRUE(m_watcher.isWatchingPaths());
    EXPECT_FALSE(m_watcher.streamDescription().isEmpty());
    EXPECT_TRUE(m_watcher.stopWatchingPaths());
    EXPECT_FALSE(m_watcher.isWatchingPaths());

    // Nothing is reported after a stop.
    ASSERT_TRUE(TestUtil::writeFile(m_root + "/late.txt", "x"));
    TestUtil::spin(700);
    EXPECT_TRUE(m_recorder.events.isEmpty());
}

