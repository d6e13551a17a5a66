#include "platform/foundation/DelayedPerform.h"

#include "TestUtil.h"

#include <QObject>

#include <gtest/gtest.h>

TEST(DelayedPerform, CancelledAndRescheduledCallFiresOnce)
{
    QObject target;
    int calls = 0;
    for (int i = 0; i < 5; ++i) {
        DelayedPerform::cancel(&target, "reload", QVariant());
        DelayedPerform::perform(&target, "reload", QVariant(), 0.02, [&] { ++calls; });
    }
    EXPECT_TRUE(DelayedPerform::isPending(&target, "reload"));
    ASSERT_TRUE(TestUtil::waitUntil([&] { return calls > 0; }, 2000));
    TestUtil::spin(60);
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(DelayedPerform::isPending(&target, "reload"));
}

TEST(DelayedPerform, CancelMatchesSelectorAndArgument)
{
    QObject target;
    QStringList fired;
    DelayedPerform::perform(&target, "color", QStringLiteral("a"), 0.01, [&] { fired << "a"; });
    DelayedPerform::perform(&target, "color", QStringLiteral("b"), 0.01, [&] { fired << "b"; });
    DelayedPerform::perform(&target, "other", QStringLiteral("a"), 0.01, [&] { fired << "other"; });
    DelayedPerform::cancel(&target, "color", QStringLiteral("a"));
    ASSERT_TRUE(TestUtil::waitUntil([&] { return fired.size() >= 2; }, 2000));
    TestUtil::spin(30);
    fired.sort();
    EXPECT_EQ(fired, QStringList({"b", "other"}));
}

TEST(DelayedPerform, CallDiesWithItsTarget)
{
    int calls = 0;
    {
        QObject target;
        DelayedPerform::perform(&target, "x", QVariant(), 0.0, [&] { ++calls; });
    }
    TestUtil::spin(30);
    EXPECT_EQ(calls, 0);
}

TEST(DelayedPerform, CallMayRescheduleItself)
{
    QObject target;
    int calls = 0;
    std::function<void()> step = [&] {
        if (++calls < 3) {
            DelayedPerform::cancel(&target, "step", QVariant());
            DelayedPerform::perform(&target, "step", QVariant(), 0.0, step);
        }
    };
    DelayedPerform::perform(&target, "step", QVariant(), 0.0, step);
    EXPECT_TRUE(TestUtil::waitUntil([&] { return calls == 3; }, 1000));
    TestUtil::spin(20);
    EXPECT_EQ(calls, 3);
}

TEST(DelayedPerform, EndOfTurnRunsAfterCurrentWork)
{
    QObject context;
    QStringList order;
    DelayedPerform::atEndOfTurn(&context, [&] { order << "end"; });
    order << "now";
    TestUtil::waitUntil([&] { return order.size() == 2; }, 1000);
    EXPECT_EQ(order, QStringList({"now", "end"}));
}
