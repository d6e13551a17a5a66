#include "platform/foundation/PropertyList.h"

#include "TestUtil.h"

#include <QDateTime>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(PropertyList, RoundTripKeepsBooleansIntegersAndRealsApart)
{
    const QVariantMap value{
        {"version", 1.7},
        {"minifyCSS", false},
        {"overrideCSS", true},
        {"count", 3},
        {"negative", -42},
        {"name", QStringLiteral("Grüße & <tags>")},
        {"data", QByteArray("\x00\x01\xff", 3)},
        {"list", QVariantList{1, 2.5, QStringLiteral("three"), QVariantList{}}},
        {"nested", QVariantMap{{"vendarPrefix", QVariantMap{{"-webkit", true}}}}},
        {"emptyMap", QVariantMap()},
    };
    Result<QVariant> back = PropertyList::fromXml(PropertyList::toXml(value));
    ASSERT_TRUE(back.isOk()) << back.error().toStdString();
    const QVariantMap map = back->toMap();
    EXPECT_EQ(map.value("version").typeId(), QMetaType::Double);
    EXPECT_DOUBLE_EQ(map.value("version").toDouble(), 1.7);
    EXPECT_EQ(map.value("minifyCSS").typeId(), QMetaType::Bool);
    EXPECT_FALSE(map.value("minifyCSS").toBool());
    EXPECT_TRUE(map.value("overrideCSS").toBool());
    EXPECT_EQ(map.value("count").typeId(), QMetaType::LongLong);
    EXPECT_EQ(map.value("count").toLongLong(), 3);
    EXPECT_EQ(map.value("negative").toLongLong(), -42);
    EXPECT_EQ(map.value("name").toString(), QStringLiteral("Grüße & <tags>"));
    EXPECT_EQ(map.value("data").toByteArray(), QByteArray("\x00\x01\xff", 3));
    const QVariantList list = map.value("list").toList();
    ASSERT_EQ(list.size(), 4);
    EXPECT_EQ(list.at(1).typeId(), QMetaType::Double);
    EXPECT_EQ(list.at(2).toString(), QStringLiteral("three"));
    EXPECT_TRUE(map.value("nested").toMap().value("vendarPrefix").toMap().value("-webkit").toBool());
    EXPECT_EQ(map.value("emptyMap").typeId(), QMetaType::QVariantMap);
}

TEST(PropertyList, DatesSurviveToTheSecond)
{
    const QDateTime when = QDateTime::fromSecsSinceEpoch(1700000000, Qt::UTC);
    Result<QVariant> back = PropertyList::fromXml(PropertyList::toXml(QVariantMap{{"d", when}}));
    ASSERT_TRUE(back.isOk());
    EXPECT_EQ(back->toMap().value("d").toDateTime().toSecsSinceEpoch(), 1700000000);
}

TEST(PropertyList, BrokenInputIsAFailureNotAnEmptyValue)
{
    EXPECT_FALSE(PropertyList::fromXml("").isOk());
    EXPECT_FALSE(PropertyList::fromXml("garbage").isOk());
    EXPECT_FALSE(PropertyList::fromXml("<plist><dict><key>a</key>").isOk());
    EXPECT_FALSE(PropertyList::read("/nonexistent/file.plist").isOk());
}

TEST(PropertyList, WriteIsAtomicAndReadable)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("settings.plist");
    ASSERT_TRUE(PropertyList::write(path, QVariantMap{{"a", 1}}).isOk());
    ASSERT_TRUE(PropertyList::write(path, QVariantMap{{"b", 2}}).isOk());
    Result<QVariant> back = PropertyList::read(path);
    ASSERT_TRUE(back.isOk());
    EXPECT_EQ(back->toMap(), (QVariantMap{{"b", qint64(2)}}));
    EXPECT_FALSE(PropertyList::write(dir.filePath("missing/folder/x.plist"), QVariantMap()).isOk());
}
