#include "SettingsFileMessages.h"
#include "TestUtil.h"
#include "Unreadable.h"

#include "platform/foundation/Archiver.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/UserDefaults.h"
#include "workspace/ProjectUtil.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QString kLegacyKey = QStringLiteral("projectConfigs");

class ProjectUtilTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ProjectUtil::resetForTesting();
        setLegacyStore({});
        ASSERT_TRUE(m_dir.isValid());
        m_project = m_dir.path();
    }
    void TearDown() override
    {
        setLegacyStore({});
        ProjectUtil::resetForTesting();
    }

    static void setLegacyStore(const QVariantMap &store)
    {
        UserDefaults &defaults = UserDefaults::standardUserDefaults();
        if (store.isEmpty())
            defaults.removeObjectForKey(kLegacyKey);
        else
            defaults.setObject(store, kLegacyKey);
        defaults.synchronize();
    }
    static QVariantMap legacyStore()
    {
        return UserDefaults::standardUserDefaults().dictionaryForKey(kLegacyKey);
    }

    QVariantMap fileContent() const
    {
        Result<QVariant> root = Unarchiver::unarchiveObjectWithData(TestUtil::readFile(ProjectUtil::configPath(m_project)));
        return root ? root->toMap() : QVariantMap();
    }

    QTemporaryDir m_dir;
    QString m_project;
};

QVariantMap legacyEntry(float version)
{
    return {
        {"version", version},
        {"overrideCSS", false},
        {"minifyCSS", true},
        {"overrideHTML", true},
        {"minifyHTML", false},
        {"ignoreOption", QStringLiteral("div{ignore:true;}")},
        {"vendarPrefix", QVariantList()},
        {"vendarPrefixProperties", QVariantMap{{"made-up", true}}},
    };
}

} // namespace


TEST_F(ProjectUtilTest, FirstLookupOfAnEmptyFolderWritesTheTenDefaultKeys)
{
    const QVariantMap config = ProjectUtil::getProjectConfig(m_project);
    const QVariantMap stored = fileContent();
    EXPECT_EQ(stored.size(), 10);
    EXPECT_EQ(stored, config);
    EXPECT_EQ(stored.value("version").typeId(), QMetaType::Float);
    EXPECT_FLOAT_EQ(stored.value("version").toFloat(), 1.7f);
    EXPECT_TRUE(Unarchiver::isArchive(TestUtil::readFile(ProjectUtil::configPath(m_project))));
    EXPECT_FALSE(config.contains("isWebProject"));
    EXPECT_FALSE(config.contains("webMainURL"));

    EXPECT_EQ(config, ProjectUtil::createDefaultProjectConfig());
    const QVariantList prefixes = config.value("vendarPrefix").toList();
    ASSERT_EQ(prefixes.size(), 4);
    const QStringList names = {"-webkit", "-moz", "-o", "-ms"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(prefixes[i].toMap().value("prefix").toString(), names[i]);
        EXPECT_EQ(prefixes[i].toMap().value("on").toBool(), i == 0);
    }
}

TEST_F(ProjectUtilTest, SettingsComeBackFromTheFileInALaterRun)
{
    QVariantMap config = ProjectUtil::getProjectConfig(m_project);
    config.insert("minifyCSS", true);
    config.insert("webMainURL", QStringLiteral("https://example.org/"));
    ASSERT_TRUE(ProjectUtil::saveProjectConfig(config, m_project));
    ProjectUtil::removeProjectConfig(m_project);
    ProjectUtil::resetForTesting();

    const QVariantMap again = ProjectUtil::getProjectConfig(m_project);
    EXPECT_EQ(again, config);
    EXPECT_EQ(again.value("minifyCSS"), QVariant(true));
}

TEST_F(ProjectUtilTest, LegacyEntryBelowCurrentVersionIsMigratedAndWritten)
{
    setLegacyStore({{m_project, legacyEntry(1.5f)}});
    const QVariantMap config = ProjectUtil::getProjectConfig(m_project);

    EXPECT_FLOAT_EQ(config.value("version").toFloat(), 1.7f);
    EXPECT_EQ(config.value("vendarPrefixProperties").toMap(),
              ProjectUtil::defaultVendarPrefixProperties());
    EXPECT_TRUE(config.contains("headerIgnoreOption"));
    EXPECT_EQ(config.value("formatJavaScript"), QVariant(true));
    EXPECT_EQ(config.value("isWebProject"), QVariant(false));
    EXPECT_EQ(config.value("webMainURL"), QVariant(QString()));
    // Keys the migration does not touch keep the legacy values.
    EXPECT_EQ(config.value("minifyCSS"), QVariant(true));
    EXPECT_EQ(config.value("overrideCSS"), QVariant(false));
    EXPECT_EQ(config.value("ignoreOption").toString(), QStringLiteral("div{ignore:true;}"));
    EXPECT_EQ(fileContent(), config);
}


TEST_F(ProjectUtilTest, CurrentLegacyEntryIsAnsweredButOnlyTheLegacyMoveWritesIt)
{
    const QVariantMap entry = legacyEntry(1.7f);
    setLegacyStore({{m_project, entry}});
    EXPECT_EQ(ProjectUtil::getProjectConfig(m_project), entry);
    EXPECT_FALSE(QFile::exists(ProjectUtil::configPath(m_project)));

    ProjectUtil::migrateProjectConfigToFile(m_project);
    EXPECT_EQ(fileContent(), entry);
    EXPECT_FALSE(legacyStore().contains(m_project));
}

TEST_F(ProjectUtilTest, LegacyMoveNeverReplacesAnExistingFile)
{
    const QVariantMap saved = ProjectUtil::getProjectConfig(m_project);
    setLegacyStore({{m_project, legacyEntry(1.7f)}});
    ProjectUtil::migrateProjectConfigToFile(m_project);
    EXPECT_EQ(fileContent(), saved);
    EXPECT_FALSE(legacyStore().contains(m_project));
}

TEST_F(ProjectUtilTest, OldSettingsFileIsAnsweredUnchanged)
{
    const QVariantMap old = legacyEntry(1.5f);
    const QString path = ProjectUtil::configPath(m_project);
    ASSERT_TRUE(PropertyList::write(path, old));
    const QByteArray written = TestUtil::readFile(path);
    EXPECT_EQ(ProjectUtil::getProjectConfig(m_project), old);
    EXPECT_EQ(TestUtil::readFile(path), written);
}

TEST_F(ProjectUtilTest, PropertyListWrittenEarlierIsReadAndSavedAgainAsAnArchive)
{
    QVariantMap earlier = ProjectUtil::createDefaultProjectConfig();
    earlier.insert("version", 1.7); // a double, as the property list held it
    earlier.insert("webMainURL", QStringLiteral("https://example.org/"));
    ASSERT_TRUE(PropertyList::write(ProjectUtil::configPath(m_project), earlier));

    QVariantMap config = ProjectUtil::getProjectConfig(m_project);
    EXPECT_EQ(config.value("version").typeId(), QMetaType::Float);
    EXPECT_EQ(config.value("webMainURL").toString(), QStringLiteral("https://example.org/"));
    config.insert("minifyCSS", true);
    ASSERT_TRUE(ProjectUtil::saveProjectConfig(config, m_project));
    EXPECT_EQ(fileContent(), config);
}

TEST_F(ProjectUtilTest, TruncatedArchiveIsKeptAsideAndTheDefaultsWritten)
{
    const QString path = ProjectUtil::configPath(m_project);
    QVariantMap config = ProjectUtil::getProjectConfig(m_project);
    config.insert("minifyCSS", true);
    ASSERT_TRUE(ProjectUtil::saveProjectConfig(config, m_project));
    const QByteArray cut = TestUtil::readFile(path).chopped(9);
    ASSERT_TRUE(TestUtil::writeFile(path, cut));
    ProjectUtil::resetForTesting();

    EXPECT_EQ(ProjectUtil::getProjectConfig(m_project), ProjectUtil::createDefaultProjectConfig());
    EXPECT_EQ(TestUtil::readFile(path + ".bak"), cut);
}

TEST_F(ProjectUtilTest, UndecodableSettingsFileIsKeptAsideNotOverwrittenAndTheUserTold)
{
    SettingsFileMessages messages;
    const QString path = ProjectUtil::configPath(m_project);
    ASSERT_TRUE(TestUtil::writeFile(path, "settings the user cares about"));
    const QVariantMap config = ProjectUtil::getProjectConfig(m_project);
    EXPECT_EQ(config.size(), 10);
    EXPECT_EQ(TestUtil::readFile(path + ".bak"), QByteArray("settings the user cares about"));
    EXPECT_EQ(fileContent(), config);
    const QStringList told = messages.told();
    ASSERT_EQ(told.size(), 1) << told.join('\n').toStdString();
    EXPECT_TRUE(told[0].startsWith("The project settings file " + path + " is damaged")) << told[0].toStdString();
    EXPECT_TRUE(told[0].contains("kept as " + path + ".bak; the project uses the default settings"))
        << told[0].toStdString();
}

// A file that cannot be read is not damaged: it keeps its name and bytes,
// and no save of the session writes over it (#80).
TEST_F(ProjectUtilTest, ASettingsFileThatCannotBeReadIsLeftAsItIs)
{
    SettingsFileMessages messages;
    const QString path = ProjectUtil::configPath(m_project);
    QVariantMap mine = ProjectUtil::getProjectConfig(m_project);
    mine.insert("minifyCSS", true);
    ASSERT_TRUE(ProjectUtil::saveProjectConfig(mine, m_project));
    const QByteArray bytes = TestUtil::readFile(path);
    ProjectUtil::resetForTesting();
    {
        Unreadable unreadable(path);
        if (!unreadable.holds())
            GTEST_SKIP() << "permissions cannot be made to stop this process";
        QVariantMap config = ProjectUtil::getProjectConfig(m_project);
        EXPECT_EQ(config, ProjectUtil::createDefaultProjectConfig());
        config.insert("minifyHTML", true);
        QString error;
        EXPECT_FALSE(ProjectUtil::saveProjectConfig(config, m_project, &error));
        EXPECT_TRUE(error.contains(path)) << error.toStdString();
        ProjectUtil::resetForTesting();
        ProjectUtil::getProjectConfig(m_project);
    }
    EXPECT_EQ(TestUtil::readFile(path), bytes);
    EXPECT_FALSE(QFile::exists(path + ".bak"));
    const QStringList told = messages.told();
    ASSERT_EQ(told.size(), 1) << told.join('\n').toStdString();
    EXPECT_TRUE(told[0].startsWith("The project settings file " + path + " cannot be read (")) << told[0].toStdString();
}

TEST_F(ProjectUtilTest, ASecondUnreadableSettingsFileIsKeptBesideTheFirst)
{
    const QString path = ProjectUtil::configPath(m_project);
    for (const QByteArray &damaged : {QByteArray("first damaged settings"), QByteArray("second damaged settings"),
                                      QByteArray("third damaged settings")}) {
        ASSERT_TRUE(TestUtil::writeFile(path, damaged));
        ProjectUtil::resetForTesting();
        EXPECT_EQ(ProjectUtil::getProjectConfig(m_project), ProjectUtil::createDefaultProjectConfig());
    }
    EXPECT_EQ(TestUtil::readFile(path + ".bak"), QByteArray("first damaged settings"));
    EXPECT_EQ(TestUtil::readFile(path + ".bak.1"), QByteArray("second damaged settings"));
    EXPECT_EQ(TestUtil::readFile(path + ".bak.2"), QByteArray("third damaged settings"));
}

TEST_F(ProjectUtilTest, FailedWriteIsReportedAndTheCacheStillTakesTheSettings)
{
    const QString missing = m_dir.filePath("no/such/folder");
    QVariantMap config = ProjectUtil::createDefaultProjectConfig();
    config.insert("minifyHTML", true);
    EXPECT_FALSE(ProjectUtil::saveProjectConfig(config, missing));
    EXPECT_EQ(ProjectUtil::readProjectConfigFromFile(missing), config);
    EXPECT_TRUE(ProjectUtil::saveProjectConfig(config, m_project));
}

TEST_F(ProjectUtilTest, ImportedProjectGetsEveryPrefixOnlyWhenItHasNoSettings)
{
    ProjectUtil::initImportedProjectConfig(m_project);
    const QVariantList prefixes = fileContent().value("vendarPrefix").toList();
    ASSERT_EQ(prefixes.size(), 4);
    for (const QVariant &prefix : prefixes)
        EXPECT_TRUE(prefix.toMap().value("on").toBool());

    QTemporaryDir other;
    const QVariantMap existing = ProjectUtil::getProjectConfig(other.path());
    ProjectUtil::initImportedProjectConfig(other.path());
    EXPECT_EQ(ProjectUtil::getProjectConfig(other.path()), existing);
}

TEST_F(ProjectUtilTest, ProjectIsFoundByItsExactWebAddressOnceCached)
{
    QVariantMap config = ProjectUtil::createDefaultProjectConfig();
    config.insert("isWebProject", true);
    config.insert("webMainURL", QStringLiteral("https://example.org/index.html"));
    ASSERT_TRUE(TestUtil::writeFile(ProjectUtil::configPath(m_project), *Archiver::archivedDataWithRootObject(config)));

    EXPECT_TRUE(ProjectUtil::projectPathWithURL("https://example.org/index.html").isEmpty());
    ProjectUtil::getProjectConfig(m_project);
    EXPECT_EQ(ProjectUtil::projectPathWithURL("https://example.org/index.html"), m_project);
    EXPECT_TRUE(ProjectUtil::projectPathWithURL("https://example.org/index.html/").isEmpty());
}

TEST(DefaultVendarPrefixProperties, HoldsTheListedNamesAsSpelled)
{
    const QVariantMap properties = ProjectUtil::defaultVendarPrefixProperties();
    EXPECT_EQ(properties.size(), 197);
    for (const char *name : {"animation", "user-select", "grid-brefore", "maxlogical-height",
                             "shape-insided", "webkit-shape-outside", "app-region"}) {
        EXPECT_TRUE(properties.contains(QString::fromLatin1(name))) << name;
    }
    EXPECT_FALSE(properties.contains("-webkit-animation"));
    for (const QVariant &value : properties)
        EXPECT_EQ(value, QVariant(true));
}

TEST(DefaultVendarPrefixProperties, EveryCallGivesAFreshDictionary)
{
    QVariantMap first = ProjectUtil::defaultVendarPrefixProperties();
    first.remove("animation");
    first.insert("made-up", true);
    const QVariantMap second = ProjectUtil::defaultVendarPrefixProperties();
    EXPECT_TRUE(second.contains("animation"));
    EXPECT_FALSE(second.contains("made-up"));
}
