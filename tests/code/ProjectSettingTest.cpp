#include "ScriptPackageTestSupport.h"
#include "SettingsFileMessages.h"
#include "Unreadable.h"

#include "code/CompilerInfo.h"
#include "code/ProjectSetting.h"

#include <QFile>
#include <QTemporaryFile>

#include <gtest/gtest.h>

namespace {

// A target with its groups, a package below the script group holding two
// imported files, and a package with text typed into it.
std::unique_ptr<ProjectSetting> sampleSetting()
{
    auto setting = std::make_unique<ProjectSetting>();
    setting->setCompilerInfo(CompilerInfo::create(QStringLiteral("YUICompilerInfo")));
    PackItemPtr target = PackItem::create();
    PackItemPtr scripts = PackItem::create(PackItem::ScriptGroup);
    PackItemPtr styles = PackItem::create(PackItem::StyleGroup);
    target->ensureChildren() << scripts << styles;
    PackItemPtr package = PackItem::create(PackItem::Package);
    package->setParent(scripts);
    package->setContent(QStringLiteral("// packed\n"));
    package->setContentUpdateDate(QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7), Qt::UTC));
    scripts->ensureChildren() << package;
    for (const char *name : {"/p/a.js", "/p/b.js"}) {
        PackItemPtr file = PackItem::create(PackItem::Package);
        file->setFilePath(QString::fromLatin1(name));
        file->setParent(package);
        package->ensureChildren() << file;
    }
    setting->packages() << target;
    return setting;
}

} // namespace

TEST(ProjectSetting, AFirstOpeningWritesTheClosureDefaults)
{
    ScriptProject project;
    ProjectSetting::Opened opened = ProjectSetting::openForProject(project.path());
    ASSERT_TRUE(opened.setting);
    EXPECT_TRUE(opened.problem.isEmpty());
    EXPECT_TRUE(QFile::exists(project.file(QStringLiteral(".kem"))));

    Result<std::unique_ptr<ProjectSetting>> read = ProjectSetting::decode(project.read(QStringLiteral(".kem")));
    ASSERT_TRUE(read) << qPrintable(read.error());
    CompilerInfo *compiler = read.value()->compilerInfo();
    EXPECT_EQ(compiler->className(), QStringLiteral("GoogleClosureCompilerInfo"));
    ASSERT_EQ(compiler->options().size(), 5);
    EXPECT_EQ(compiler->options().at(0).label(), QStringLiteral("Compiler"));
    EXPECT_EQ(compiler->options().at(0).selectedindex(), 1);
    EXPECT_EQ(compiler->options().at(1).getValueOfSelectedIndex(), QStringLiteral("ECMASCRIPT5_STRICT"));
    // An option without a chosen index is stored without one.
    EXPECT_FALSE(compiler->options().at(2).selectedindex().has_value());
    EXPECT_TRUE(read.value()->packages().isEmpty());
}

TEST(ProjectSetting, TheTreeReadsBackWithOrderKindsPathsContentsAndParentLinks)
{
    std::unique_ptr<ProjectSetting> setting = sampleSetting();
    Result<std::unique_ptr<ProjectSetting>> read = ProjectSetting::decode(setting->encode());
    ASSERT_TRUE(read) << qPrintable(read.error());
    ASSERT_EQ(read.value()->packages().size(), 1);
    EXPECT_EQ(read.value()->compilerInfo()->className(), QStringLiteral("YUICompilerInfo"));
    EXPECT_EQ(read.value()->compilerInfo()->options(), setting->compilerInfo()->options());

    PackItemPtr target = read.value()->packages().first();
    EXPECT_FALSE(target->storedType().has_value());
    EXPECT_EQ(target->displayName(), QStringLiteral("target"));
    ASSERT_EQ(target->numberOfChildren(), 2);
    PackItemPtr scripts = target->childAtIndex(0);
    EXPECT_EQ(scripts->displayName(), QStringLiteral("Script"));
    EXPECT_EQ(target->childAtIndex(1)->displayName(), QStringLiteral("Style"));
    // Groups made with a target have no parent link, and keep none.
    EXPECT_EQ(scripts->parent(), nullptr);

    PackItemPtr package = scripts->childAtIndex(0);
    EXPECT_EQ(package->parent(), scripts);
    EXPECT_TRUE(package->isPack());
    EXPECT_EQ(package->displayName(), QStringLiteral("New Package"));
    EXPECT_EQ(package->content(), QStringLiteral("// packed\n"));
    EXPECT_EQ(package->contentUpdateDate(), QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7), Qt::UTC));
    ASSERT_EQ(package->numberOfChildren(), 2);
    EXPECT_EQ(package->childAtIndex(0)->filePath(), QStringLiteral("/p/a.js"));
    EXPECT_EQ(package->childAtIndex(1)->displayName(), QStringLiteral("b.js"));
    EXPECT_EQ(package->childAtIndex(1)->parent(), package);
    EXPECT_FALSE(package->childAtIndex(1)->content().has_value());

    // Written again, the file is the same.
    EXPECT_EQ(read.value()->encode(), setting->encode());
}

TEST(ProjectSetting, ACopiedFileSavesIntoTheProjectItWasOpenedIn)
{
    ScriptProject elsewhere;
    ScriptProject project;
    std::unique_ptr<ProjectSetting> setting = sampleSetting();
    setting->setPath(elsewhere.file(QStringLiteral(".kem")));
    project.write(QStringLiteral(".kem"), setting->encode());

    ProjectSetting::Opened opened = ProjectSetting::openForProject(project.path());
    ASSERT_TRUE(opened.setting);
    EXPECT_EQ(opened.setting->path(), project.file(QStringLiteral(".kem")));
    opened.setting->packages().clear();
    ASSERT_TRUE(opened.setting->save());
    EXPECT_FALSE(QFile::exists(elsewhere.file(QStringLiteral(".kem"))));
    EXPECT_TRUE(ProjectSetting::decode(project.read(QStringLiteral(".kem"))).value()->packages().isEmpty());
}

TEST(ProjectSetting, ADamagedFileIsKeptAsideAndTheDefaultsTakeItsPlace)
{
    for (const QByteArray &damaged :
         {QByteArray("\x00\x01garbage\xff", 11), QByteArray("<?xml version=\"1.0\"?><plist><array/></plist>"),
          sampleSetting()->encode().replace("<integer>0</integer>", "<integer>99</integer>"),
          sampleSetting()->encode().replace("<key>filePath</key>", "<key>filePath</key><true/><key>x</key>")}) {
        ScriptProject project;
        project.write(QStringLiteral(".kem"), damaged);
        SettingsFileMessages messages;
        ProjectSetting::Opened opened = ProjectSetting::openForProject(project.path());
        ASSERT_TRUE(opened.setting);
        EXPECT_TRUE(opened.problem.contains(QStringLiteral(".kem.bak"))) << qPrintable(opened.problem);
        EXPECT_EQ(messages.told(), QStringList{opened.problem});
        EXPECT_EQ(project.read(QStringLiteral(".kem.bak")), damaged);
        EXPECT_EQ(opened.setting->compilerInfo()->className(), QStringLiteral("GoogleClosureCompilerInfo"));
        EXPECT_TRUE(ProjectSetting::decode(project.read(QStringLiteral(".kem"))));
    }
}

// A file that cannot be read is not damaged: it keeps its name and bytes,
// and the pane's changes are not saved over it (#80).
TEST(ProjectSetting, AFileThatCannotBeReadIsLeftAsItIsAndNeverSavedOver)
{
    SettingsFileMessages messages;
    ScriptProject project;
    const QByteArray bytes = sampleSetting()->encode();
    project.write(QStringLiteral(".kem"), bytes);
    const QString path = project.file(QStringLiteral(".kem"));
    {
        Unreadable unreadable(path);
        if (!unreadable.holds())
            GTEST_SKIP() << "permissions cannot be made to stop this process";
        ProjectSetting::Opened opened = ProjectSetting::openForProject(project.path());
        ASSERT_TRUE(opened.setting);
        EXPECT_TRUE(opened.problem.contains(path + QStringLiteral(" cannot be read ("))) << qPrintable(opened.problem);
        EXPECT_TRUE(opened.setting->packages().isEmpty());
        EXPECT_FALSE(opened.setting->save());
    }
    EXPECT_EQ(project.read(QStringLiteral(".kem")), bytes);
    EXPECT_FALSE(QFile::exists(path + QStringLiteral(".bak")));
    EXPECT_EQ(messages.told().size(), 1);
}

TEST(ProjectSetting, AnItemThatStandsTwiceInTheTreeIsDamage)
{
    auto setting = std::make_unique<ProjectSetting>();
    setting->setCompilerInfo(CompilerInfo::create(QStringLiteral("NoneCompilerInfo")));
    PackItemPtr package = PackItem::create(PackItem::Package);
    setting->packages() << package;
    QByteArray bytes = setting->encode();
    // The package lists itself as its own child.
    bytes.replace("<key>children</key>\n\t\t\t<array/>",
                  "<key>children</key><array><dict><key>$ref</key><integer>0</integer></dict></array>");
    EXPECT_FALSE(ProjectSetting::decode(bytes));
}
