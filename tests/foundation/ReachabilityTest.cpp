#include "foundation/Reachability.h"

#include "platform/foundation/NotificationCenter.h"

#include "TestUtil.h"

#include <gtest/gtest.h>

TEST(Reachability, ReachableFlagCountsUnlessATransientConnectionIsRequired)
{
    EXPECT_TRUE(Reachability::isReachableWithFlags(Reachability::Reachable));
    EXPECT_FALSE(Reachability::isReachableWithFlags(Reachability::Reachable
                                                    | Reachability::ConnectionRequired
                                                    | Reachability::TransientConnection));
    EXPECT_TRUE(Reachability::isReachableWithFlags(Reachability::Reachable
                                                   | Reachability::ConnectionRequired));
    EXPECT_FALSE(Reachability::isReachableWithFlags(0));
}

TEST(Reachability, UnknownSystemStateCountsAsOnline)
{
    using State = QNetworkInformation::Reachability;
    EXPECT_EQ(Reachability::flagsForNetworkReachability(State::Unknown),
              quint32(Reachability::Reachable));
    EXPECT_EQ(Reachability::flagsForNetworkReachability(State::Online),
              quint32(Reachability::Reachable));
    EXPECT_EQ(Reachability::flagsForNetworkReachability(State::Disconnected), 0u);
    EXPECT_EQ(Reachability::flagsForNetworkReachability(State::Local), 0u);
}

TEST(Reachability, FlagsReadAsLetters)
{
    EXPECT_EQ(Reachability::flagsString(0), QStringLiteral("X- -------"));
    EXPECT_EQ(Reachability::flagsString(Reachability::Reachable | Reachability::IsDirect),
              QStringLiteral("XR ------d"));
    EXPECT_EQ(Reachability::flagsString(0x3003F), QStringLiteral("XR ctiCDld"));
}

TEST(Reachability, ChangeRunsTheMatchingBlockAndNotifiesOnTheMainThreadLater)
{
    auto monitor = Reachability::reachabilityForInternetConnection();
    QStringList calls;
    monitor->setReachableBlock([&calls](Reachability *) { calls.append("reachable"); });
    monitor->setUnreachableBlock([&calls](Reachability *) { calls.append("unreachable"); });
    int notified = 0;
    const void *poster = nullptr;
    int owner = 0;
    NotificationCenter::defaultCenter().addObserver(&owner, "kReachabilityChangedNotification",
                                                    nullptr, [&](const Notification &n) {
                                                        ++notified;
                                                        poster = n.object;
                                                    });
    monitor->reachabilityChanged(0);
    monitor->reachabilityChanged(Reachability::Reachable);
    EXPECT_EQ(calls, QStringList({"unreachable", "reachable"}));
    EXPECT_EQ(notified, 0);
    ASSERT_TRUE(TestUtil::waitUntil([&] { return notified == 2; }, 1000));
    EXPECT_EQ(poster, monitor.get());

    // A monitor destroyed before the notification goes out posts nothing.
    monitor->reachabilityChanged(0);
    monitor.reset();
    TestUtil::spin(30);
    EXPECT_EQ(notified, 2);
    NotificationCenter::defaultCenter().removeObserver(&owner);
}
