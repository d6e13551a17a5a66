#include "TestUtil.h"

#include "app/AppDelegate.h"
#include "foundation/BalkInvocationManager.h"
#include "foundation/InspectUndoManager.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

namespace {

// Stands in for a controller whose lazyWrite regenerates a file's text.
class Writer : public QObject
{
public:
    void lazyWrite(const QString &name) { writes.append(name); }
    QStringList writes;
};

struct FileStub
{
    QString name;
};

} // namespace

// reserveWrite() batches the writes of one turn with the shared batcher.
TEST(AppDelegateWrites, BurstOfEqualRequestsRunsOnceAfterTheWindow)
{
    AppDelegate delegate;
    Writer writer;
    auto file = std::make_shared<FileStub>(FileStub {"index.html"});
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < 5; ++i)
        delegate.reserveWrite(&writer, file, [&writer, file] { writer.lazyWrite(file->name); });
    EXPECT_EQ(delegate.balkInvocationManager()->operations().size(), 1);

    ASSERT_TRUE(TestUtil::waitUntil([&] { return !writer.writes.isEmpty(); }, 2000));
    EXPECT_GE(clock.elapsed(), 90);
    TestUtil::spin(150);
    EXPECT_EQ(writer.writes, QStringList {"index.html"});
    EXPECT_TRUE(delegate.balkInvocationManager()->operations().isEmpty());
    EXPECT_FALSE(delegate.balkInvocationManager()->hasCompletionBlock());
}

TEST(AppDelegateWrites, DistinctFilesRunInOrderThenTheGroupCloses)
{
    AppDelegate delegate;
    InspectUndoManager *undo = delegate.sharedUndoManager();
    QObject edited;
    undo->prepareWithInvocationTarget(&edited, [] {});
    Writer writer;
    auto first = std::make_shared<FileStub>(FileStub {"a.css"});
    auto second = std::make_shared<FileStub>(FileStub {"b.css"});
    delegate.reserveWrite(&writer, second, [&writer, second] { writer.lazyWrite(second->name); });
    delegate.reserveWrite(&writer, first, [&writer, first] { writer.lazyWrite(first->name); });
    EXPECT_EQ(undo->groupingLevel(), 1);

    ASSERT_TRUE(TestUtil::waitUntil([&] { return writer.writes.size() == 2; }, 2000));
    EXPECT_EQ(writer.writes, QStringList({"b.css", "a.css"}));
    ASSERT_TRUE(TestUtil::waitUntil([&] { return undo->groupingLevel() == 0; }, 1000));
    EXPECT_TRUE(undo->canUndo());
}
