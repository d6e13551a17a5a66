#include "platform/foundation/NotificationCenter.h"

#include <QObject>

#include <gtest/gtest.h>

TEST(NotificationCenter, DeliversByNameAndPoster)
{
    NotificationCenter center;
    int a = 0;
    int b = 0;
    int poster1 = 0;
    int poster2 = 0;
    QVariantMap seen;
    center.addObserver(&a, QStringLiteral("fileSaved"), nullptr, [&](const Notification &n) {
        seen = n.userInfo;
        ++a;
    });
    center.addObserver(&b, QStringLiteral("fileSaved"), &poster1, [&](const Notification &) { ++b; });
    center.postNotificationName(QStringLiteral("fileSaved"), &poster2, {{"path", "/x"}});
    center.postNotificationName(QStringLiteral("fileSaved"), &poster1);
    center.postNotificationName(QStringLiteral("other"), &poster1);
    EXPECT_EQ(a, 2);
    EXPECT_EQ(b, 1);
    EXPECT_TRUE(seen.isEmpty());
}

TEST(NotificationCenter, ObserverRemovingItselfAndAnotherDuringPost)
{
    NotificationCenter center;
    int first = 0;
    int second = 0;
    int third = 0;
    center.addObserver(&first, QStringLiteral("n"), nullptr, [&](const Notification &) {
        ++first;
        center.removeObserver(&first);
        center.removeObserver(&second);
    });
    center.addObserver(&second, QStringLiteral("n"), nullptr, [&](const Notification &) { ++second; });
    center.addObserver(&third, QStringLiteral("n"), nullptr, [&](const Notification &) { ++third; });
    center.postNotificationName(QStringLiteral("n"));
    center.postNotificationName(QStringLiteral("n"));
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 0);
    EXPECT_EQ(third, 2);
}

TEST(NotificationCenter, DestroyedQObjectOwnerIsForgotten)
{
    NotificationCenter center;
    int calls = 0;
    {
        QObject owner;
        center.addObserver(&owner, QStringLiteral("n"), nullptr, [&](const Notification &) { ++calls; });
        center.addObserver(&owner, QStringLiteral("m"), nullptr, [&](const Notification &) { ++calls; });
        center.postNotificationName(QStringLiteral("n"));
    }
    EXPECT_EQ(center.observerCount(), 0);
    center.postNotificationName(QStringLiteral("n"));
    EXPECT_EQ(calls, 1);
}

TEST(NotificationCenter, RemoveByNameKeepsOtherNames)
{
    NotificationCenter center;
    int owner = 0;
    QStringList got;
    center.addObserver(&owner, QStringLiteral("a"), nullptr, [&](const Notification &n) { got << n.name; });
    center.addObserver(&owner, QStringLiteral("b"), nullptr, [&](const Notification &n) { got << n.name; });
    center.removeObserver(&owner, QStringLiteral("a"));
    center.postNotificationName(QStringLiteral("a"));
    center.postNotificationName(QStringLiteral("b"));
    EXPECT_EQ(got, QStringList({"b"}));
}
