#include "TestUtil.h"

#include "app/AppDelegate.h"
#include "foundation/BalkInvocationManager.h"
#include "foundation/InspectUndoManager.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

// reserveWrite() batches the writes of one turn with the shared batcher; the
// writer is a controller, the file any shared object.
TEST(AppDelegateWrites, BurstOfEqualRequestsRunsOnceAfterTheWindow)
{
    AppDelegate delegate;
    QObject writer;
    QStringList writes;
    const auto file = std::make_shared<QString>(QStringLiteral("index.html"));
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < 5; ++i)
        delegate.reserveWrite(&writer, file, [&writes, file] { writes.append(*file); });
    EXPECT_EQ(delegate.balkInvocationManager()->operations().size(), 1);

    ASSERT_TRUE(TestUtil::waitUntil([&] { return !writes.isEmpty(); }, 2000));
    EXPECT_GE(clock.elapsed(), 90);
    // No further write is due.
    TestUtil::waitUntilSettled([&] { return !TestUtil::hasShortDelayedCall(delegate.balkInvocationManager()); });
    EXPECT_EQ(writes, QStringList {"index.html"});
    EXPECT_TRUE(delegate.balkInvocationManager()->operations().isEmpty());
    EXPECT_FALSE(delegate.balkInvocationManager()->hasCompletionBlock());
}

TEST(AppDelegateWrites, DistinctFilesRunInOrderThenTheGroupCloses)
{
    AppDelegate delegate;
    InspectUndoManager *undo = delegate.sharedUndoManager();
    QObject edited;
    undo->prepareWithInvocationTarget(&edited, [] {});
    QObject writer;
    QStringList writes;
    const auto first = std::make_shared<QString>(QStringLiteral("a.css"));
    const auto second = std::make_shared<QString>(QStringLiteral("b.css"));
    delegate.reserveWrite(&writer, second, [&writes, second] { writes.append(*second); });
    delegate.reserveWrite(&writer, first, [&writes, first] { writes.append(*first); });
    EXPECT_EQ(undo->groupingLevel(), 1);

    ASSERT_TRUE(TestUtil::waitUntil([&] { return writes.size() == 2; }, 2000));
    EXPECT_EQ(writes, QStringList({"b.css", "a.css"}));
    ASSERT_TRUE(TestUtil::waitUntil([&] { return undo->groupingLevel() == 0; }, 1000));
    EXPECT_TRUE(undo->canUndo());
}
