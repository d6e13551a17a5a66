#include "platform/foundation/UserDefaults.h"

#include "SettingsFileMessages.h"
#include "TestUtil.h"
#include "Unreadable.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Settings written as a run before left them; answers their bytes.
QByteArray writeKept(const QString &path)
{
    UserDefaults defaults(path);
    defaults.setBool(true, "kept");
    EXPECT_TRUE(defaults.synchronize());
    return TestUtil::readFile(path);
}

} // namespace

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

TEST(UserDefaults, ADamagedFileIsKeptAsideAndTheUserToldOnce)
{
    SettingsFileMessages messages;
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
    const QStringList told = messages.told();
    ASSERT_EQ(told.size(), 1) << told.join('\n').toStdString();
    EXPECT_TRUE(told[0].contains(path + " is damaged")) << told[0].toStdString();
    EXPECT_TRUE(told[0].contains("kept as " + path + ".bak;")) << told[0].toStdString();
    EXPECT_TRUE(told[0].contains("default settings")) << told[0].toStdString();
}

// A file that cannot be read is not damaged: it is the user's (#80).
TEST(UserDefaults, AFileThatCannotBeReadKeepsItsNameAndBytesAndIsNeverWritten)
{
    SettingsFileMessages messages;
    QTemporaryDir dir;
    const QString path = dir.filePath("defaults.plist");
    const QByteArray bytes = writeKept(path);
    {
        Unreadable unreadable(path);
        if (!unreadable.holds())
            GTEST_SKIP() << "permissions cannot be made to stop this process";
        UserDefaults defaults(path);
        EXPECT_FALSE(defaults.boolForKey("kept"));
        defaults.setBool(true, "new");
        EXPECT_TRUE(defaults.boolForKey("new")) << "kept in memory";
        EXPECT_FALSE(defaults.synchronize());
        UserDefaults again(path);
    }
    EXPECT_EQ(TestUtil::readFile(path), bytes);
    EXPECT_FALSE(QFile::exists(path + ".bak"));
    const QStringList told = messages.told();
    ASSERT_EQ(told.size(), 1) << told.join('\n').toStdString();
    EXPECT_TRUE(told[0].contains(path + " cannot be read (")) << told[0].toStdString();
    EXPECT_TRUE(told[0].contains("nothing is saved over it")) << told[0].toStdString();
}

// Settings that cannot be written are told once, with the file, the cause
// and what follows, however often they are written (#85).
TEST(UserDefaults, SettingsThatCannotBeWrittenAreToldOnceWithTheFileAndTheCause)
{
    struct Case
    {
        const char *name;
        bool folder;
        mode_t mode;
        const char *cause;
    };
    for (const Case &row : {Case{"a read-only file", false, 0444, "Permission denied (the file cannot be written)"},
                            Case{"a read-only folder", true, 0555, "Permission denied (no new file can be made in "}}) {
        SCOPED_TRACE(row.name);
        SettingsFileMessages messages;
        QTemporaryDir dir;
        const QString path = dir.filePath("defaults.plist");
        const QByteArray bytes = writeKept(path);
        {
            Unreadable readOnly(row.folder ? dir.path() : path, row.mode);
            if (!readOnly.holds())
                GTEST_SKIP() << "permissions cannot be made to stop this process";
            UserDefaults defaults(path);
            for (int write = 0; write < 3; ++write) {
                defaults.setInteger(write, "lastLeftPaneWidth");
                EXPECT_FALSE(defaults.synchronize());
            }
        }
        EXPECT_EQ(TestUtil::readFile(path), bytes);
        const QStringList told = messages.told();
        ASSERT_EQ(told.size(), 1) << told.join('\n').toStdString();
        EXPECT_TRUE(told[0].startsWith("Quillmark's settings file " + path + " cannot be written: " + row.cause))
            << told[0].toStdString();
        EXPECT_TRUE(told[0].contains("will not be kept when Quillmark quits")) << told[0].toStdString();
    }
}
