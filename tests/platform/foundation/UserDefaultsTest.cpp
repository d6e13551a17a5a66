#include "platform/foundation/UserDefaults.h"

#include "TestUtil.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(UserDefaults, StoredValuesWinOverRegisteredFallbacks)
{
    QTemporaryDir dir;
    UserDefaults defaults(dir.filePath("defaults.plist"));
    defaults.registerDefaults({{"firstLaunch", 1}, {"inspectorVisible", 1}, {"rootPathes", QVariantMap()}});
    EXPECT_TRUE(defaults.boolForKey("firstLaunch"));
    EXPECT_FALSE(defaults.hasStoredValue("firstLaunch"));
    defaults.setInteger(0, "firstLaunch");
    EXPECT_FALSE(defaults.boolForKey("firstLaunch"));
    EXPECT_TRUE(defaults.boolForKey("inspectorVisible"));
    defaults.removeObjectForKey("firstLaunch");
    EXPECT_TRUE(defaults.boolForKey("firstLaunch"));
    EXPECT_FALSE(defaults.boolForKey("unknown"));
    EXPECT_EQ(defaults.stringForKey("unknown"), QString());
}

TEST(UserDefaults, ValuesKeepTheirKindsAcrossInstances)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("defaults.plist");
    {
        UserDefaults defaults(path);
        defaults.setFloat(312.5f, "lastLeftPaneWidth");
        defaults.setBool(false, "rulerActive");
        defaults.setObject(QVariantMap{{"/p/site", QStringLiteral("/p/site")}}, "rootPathes");
        defaults.setObject(QVariantList{QStringLiteral("/a"), QStringLiteral("/b")}, "expandedFilePaths");
        ASSERT_TRUE(defaults.synchronize());
    }
    UserDefaults again(path);
    again.registerDefaults({{"rulerActive", true}});
    EXPECT_FLOAT_EQ(again.floatForKey("lastLeftPaneWidth"), 312.5f);
    EXPECT_EQ(again.objectForKey("rulerActive").typeId(), QMetaType::Bool);
    EXPECT_FALSE(again.boolForKey("rulerActive"));
    EXPECT_EQ(again.dictionaryForKey("rootPathes").value("/p/site").toString(), QStringLiteral("/p/site"));
    EXPECT_EQ(again.arrayForKey("expandedFilePaths").size(), 2);
}

TEST(UserDefaults, UnreadableFileIsKeptAside)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("defaults.plist");
    ASSERT_TRUE(TestUtil::writeFile(path, "this is not a property list"));
    {
        UserDefaults defaults(path);
        defaults.setBool(true, "x");
        defaults.synchronize();
    }
    EXPECT_EQ(TestUtil::readFile(path + ".bak"), QByteArray("this is not a property list"));
    EXPECT_TRUE(UserDefaults(path).boolForKey("x"));
}
