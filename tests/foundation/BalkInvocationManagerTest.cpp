#include "TestUtil.h"

#include "foundation/BalkInvocationManager.h"
#include "foundation/InspectUndoManager.h"

#include <QTimer>

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

TEST(BalkInvocationManager, RepeatedRequestDoesNotPostponeTheRun)
{
    BalkInvocationManager batcher;
    QObject target;
    int runs = 0;
    const auto make = [&] {
        return Invocation::invocationWithSelector(&target, "lazyWrite:", {}, [&runs] { ++runs; });
    };
    batcher.addOperation(make(), true, {});
    const QList<QTimer *> pending = batcher.findChildren<QTimer *>();
    ASSERT_EQ(pending.size(), 1);
    batcher.addOperation(make(), true, {});
    // The same pending run, not a new one started 0.1 s later.
    EXPECT_EQ(batcher.findChildren<QTimer *>(), pending);
    ASSERT_TRUE(TestUtil::waitUntil([&] { return runs > 0; }, 2000));
    TestUtil::spin(20);
    EXPECT_EQ(runs, 1);
}

TEST(BalkInvocationManager, CallOfADestroyedFileIsSkipped)
{
    BalkInvocationManager batcher;
    Writer writer;
    auto file = std::make_shared<FileStub>(FileStub {"gone.html"});
    bool completed = false;
    batcher.addOperation(
        Invocation::invocationWithSelector(&writer, "lazyWrite:", {file},
                                           [&writer] { writer.lazyWrite("gone"); }),
        true, [&completed] { completed = true; });
    file.reset();
    ASSERT_TRUE(TestUtil::waitUntil([&] { return completed; }, 2000));
    EXPECT_TRUE(writer.writes.isEmpty());
}

TEST(BalkInvocationManager, RequestMadeDuringARunStartsTheNextBatch)
{
    BalkInvocationManager batcher;
    QObject target;
    int later = 0;
    int completions = 0;
    const auto second
        = Invocation::invocationWithSelector(&target, "second", {}, [&later] { ++later; });
    batcher.addOperation(
        Invocation::invocationWithSelector(
            &target, "first", {},
            [&] { batcher.addOperation(second, true, [&completions] { ++completions; }); }),
        true, [&completions] { ++completions; });
    ASSERT_TRUE(TestUtil::waitUntil([&] { return later == 1; }, 2000));
    ASSERT_TRUE(TestUtil::waitUntil([&] { return completions == 2; }, 1000));
}
