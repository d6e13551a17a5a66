#include "platform/foundation/OperationQueue.h"

#include <QMutex>
#include <QStringList>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>

TEST(OperationQueue, RunsOneOperationAtATimeInTheOrderAdded)
{
    OperationQueue queue(1);
    QMutex lock;
    QStringList order;
    std::atomic<int> running{0};
    std::atomic<int> most{0};
    for (int i = 0; i < 5; ++i) {
        queue.addOperationWithBlock([&, i](const Operation &) {
            most = std::max(most.load(), ++running);
            QThread::msleep(2);
            {
                QMutexLocker locker(&lock);
                order << QString::number(i);
            }
            --running;
        });
    }
    queue.waitUntilAllOperationsAreFinished();
    EXPECT_EQ(order, (QStringList{"0", "1", "2", "3", "4"}));
    EXPECT_EQ(most.load(), 1);
    EXPECT_TRUE(queue.operations().isEmpty());
}

TEST(OperationQueue, ACancelledOperationNeverStartsAndARunningOneSeesTheFlag)
{
    OperationQueue queue(1);
    std::atomic<bool> started{false};
    std::atomic<bool> sawCancel{false};
    std::shared_ptr<Operation> first = queue.addOperationWithBlock([&](const Operation &operation) {
        started = true;
        while (!operation.isCancelled())
            QThread::msleep(1);
        sawCancel = true;
    });
    std::atomic<bool> secondRan{false};
    std::shared_ptr<Operation> second = queue.addOperationWithBlock([&](const Operation &) { secondRan = true; });
    while (!started)
        QThread::msleep(1);
    EXPECT_EQ(queue.operations().size(), 2);
    queue.cancelAllOperations();
    queue.waitUntilAllOperationsAreFinished();
    EXPECT_TRUE(sawCancel);
    EXPECT_FALSE(secondRan);
    EXPECT_TRUE(second->isCancelled());
    EXPECT_TRUE(second->isFinished());
}

TEST(OperationQueue, TheQueueWaitsForItsOperationsWhenItGoes)
{
    std::atomic<bool> started{false};
    std::atomic<bool> finished{false};
    {
        OperationQueue queue(1);
        queue.addOperationWithBlock([&](const Operation &) {
            started = true;
            QThread::msleep(20);
            finished = true;
        });
        while (!started)
            QThread::msleep(1);
    }
    EXPECT_TRUE(finished);
}
