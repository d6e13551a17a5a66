#include "ScriptPackageTestSupport.h"

#include "code/CodeView.h"
#include "code/CompilerViewController.h"
#include "code/PackageController.h"
#include "code/ProjectSetting.h"
#include "workspace/File.h"

#include <QPlainTextEdit>
#include <QTableWidget>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

// The pane over a project whose first target's script group holds one
// package of the given sources.
struct Pane
{
    explicit Pane(ScriptProject &project, const QStringList &sources)
        : root(project.path(), true, nullptr)
    {
        controller.awakeFromNib();
        controller.setup(&root);
        PackageController *packages = controller.packageController();
        packages->addTarget();
        PackItemPtr scripts = controller.projectSetting()->packages().first()->childAtIndex(0);
        package = PackItem::create(PackItem::Package);
        package->setParent(scripts);
        scripts->ensureChildren() << package;
        for (const QString &source : sources)
            packages->importFile(package.get(), source);
    }

    // Executes and waits for the queue to end.
    bool run()
    {
        QSignalSpy finished(&controller, &CompilerViewController::runFinished);
        controller.execute();
        return !finished.isEmpty() || finished.wait(30000);
    }
    QString console() const { return controller.console()->toPlainText(); }

    File root;
    CompilerViewController controller;
    PackItemPtr package;
};

} // namespace

TEST(CompilerViewController, ASuccessfulRunStoresTheHeaderAndOutputAndKeepsThemInTheSettingsFile)
{
    ScriptProject project;
    project.useStubLauncher();
    const QString a = project.write(QStringLiteral("a.js"), QByteArray(600, 'a'));
    const QString b = project.write(QStringLiteral("b.js"), QByteArray(400, 'b'));
    project.write(QStringLiteral("stub/out"), QByteArray(400, 'x'));
    project.write(QStringLiteral("stub/err"), "WARNING - dangerous use of this\n");
    Pane pane(project, {a, b});

    ASSERT_TRUE(pane.run());
    EXPECT_EQ(project.stubArguments(),
              QStringList({"-jar", CompilerInfo::tools().closureJar, "--language_in", "ECMASCRIPT5_STRICT",
                           "--compilation_level", "WHITESPACE_ONLY", "--formatting", "PRETTY_PRINT", "--third_party",
                           "--js", a, "--js", b}));
    const QString content = pane.package->content().value_or(QString());
    EXPECT_TRUE(content.startsWith(QStringLiteral("// Compiler:Google Closure Compiler\n// Original:1000 byte\n"
                                                  "// Compression:400 byte\n// Saved 59% off the original size\n")))
        << qPrintable(content);
    EXPECT_TRUE(content.endsWith(QStringLiteral("// Licence:Apache licence...\n") + QString(400, QLatin1Char('x'))));
    EXPECT_TRUE(pane.console().contains(QStringLiteral("Compile Succeeded.")));
    EXPECT_TRUE(pane.console().contains(QStringLiteral("Warning:\nWARNING - dangerous use of this")));
    EXPECT_FALSE(pane.controller.isRunning());

    // The output is in the project's settings file.
    Result<std::unique_ptr<ProjectSetting>> saved = ProjectSetting::decode(project.read(QStringLiteral(".kem")));
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved.value()->packages().first()->childAtIndex(0)->childAtIndex(0)->content(), content);
}

TEST(CompilerViewController, AnErrorKeepsTheOldContentAndDropsTheQueue)
{
    ScriptProject project;
    project.useStubLauncher();
    const QString a = project.write(QStringLiteral("a.js"), "var a;");
    Pane pane(project, {a});
    // A second package queued after the first.
    PackItemPtr second = PackItem::create(PackItem::Package);
    pane.controller.projectSetting()->packages().first()->childAtIndex(0)->ensureChildren() << second;
    pane.controller.packageController()->importFile(second.get(), a);
    pane.package->setContent(QStringLiteral("old"));
    project.write(QStringLiteral("stub/err"), "a.js:1: ERROR - Parse error\n");
    project.write(QStringLiteral("stub/status"), "1");

    ASSERT_TRUE(pane.run());
    EXPECT_EQ(pane.package->content(), QStringLiteral("old"));
    EXPECT_FALSE(second->content().has_value());
    EXPECT_TRUE(pane.console().startsWith(QStringLiteral("Error:\na.js:1: ERROR - Parse error")));
    EXPECT_FALSE(pane.controller.isRunning());

    // The next Execute starts again from the first package.
    QFile::remove(project.file(QStringLiteral("stub/status")));
    QFile::remove(project.file(QStringLiteral("stub/err")));
    project.write(QStringLiteral("stub/out"), "packed");
    ASSERT_TRUE(pane.run());
    EXPECT_TRUE(pane.package->content()->endsWith(QStringLiteral("packed")));
    EXPECT_TRUE(second->content()->endsWith(QStringLiteral("packed")));
    EXPECT_EQ(pane.console().count(QStringLiteral("Compile Succeeded.")), 2);
}

TEST(CompilerViewController, SilenceEndsTheRunAndAHangingCompilerIsStopped)
{
    ScriptProject project;
    project.useStubLauncher();
    const QString a = project.write(QStringLiteral("a.js"), "");
    Pane pane(project, {a});
    ASSERT_TRUE(pane.run());
    EXPECT_TRUE(pane.console().contains(QStringLiteral("Compile Succeeded.")));
    EXPECT_TRUE(pane.package->content()->contains(QStringLiteral("// Saved n/a off the original size\n")));

    project.write(QStringLiteral("stub/sleep"), "20");
    pane.controller.setTimeoutMs(300);
    ASSERT_TRUE(pane.run());
    EXPECT_TRUE(pane.console().contains(QStringLiteral("did not finish within 0.3 s")));
    EXPECT_FALSE(pane.controller.isRunning());
}

TEST(CompilerViewController, ExecuteDuringARunIsRefused)
{
    ScriptProject project;
    project.useStubLauncher();
    project.write(QStringLiteral("stub/sleep"), "0.3");
    const QString a = project.write(QStringLiteral("a.js"), "var a;");
    Pane pane(project, {a});
    QSignalSpy finished(&pane.controller, &CompilerViewController::runFinished);
    pane.controller.execute();
    pane.controller.execute();
    EXPECT_TRUE(pane.console().contains(QStringLiteral("A run is under way")));
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_EQ(finished.size(), 1);
}

TEST(CompilerViewController, NoneAMissingJarAndAnUnreadableSourceAreReportedWithoutARun)
{
    ScriptProject project;
    project.useStubLauncher();
    const QString a = project.write(QStringLiteral("a.js"), "var a;");
    Pane pane(project, {a, project.file(QStringLiteral("gone.js"))});
    ASSERT_TRUE(pane.run());
    EXPECT_TRUE(pane.console().contains(QStringLiteral("gone.js could not be read")));
    EXPECT_FALSE(QFile::exists(project.file(QStringLiteral("stub/args"))));

    pane.controller.menuDidClose(QStringLiteral("Compiler"), QStringLiteral("None"));
    pane.controller.execute();
    EXPECT_TRUE(pane.console().contains(QStringLiteral("No compiler is chosen")));

    pane.controller.menuDidClose(QStringLiteral("Compiler"), QStringLiteral("YUI Compresser-2.4.7"));
    QFile::remove(CompilerInfo::tools().yuiJar);
    pane.controller.execute();
    EXPECT_TRUE(pane.console().contains(QStringLiteral("install the Debian package yui-compressor")));
    EXPECT_FALSE(pane.controller.isRunning());
}

TEST(CompilerViewController, ChoicesInTheOptionMenusAreSaved)
{
    ScriptProject project;
    Pane pane(project, {});
    pane.controller.menuDidClose(QStringLiteral("--compilation_level"), QStringLiteral("SIMPLE_OPTIMIZATIONS"));
    pane.controller.menuDidClose(QStringLiteral("Compiler"), QStringLiteral("YUI Compresser-2.4.7"));
    pane.controller.menuDidClose(QStringLiteral("--nomunge"), QStringLiteral("NO"));
    Result<std::unique_ptr<ProjectSetting>> saved = ProjectSetting::decode(project.read(QStringLiteral(".kem")));
    ASSERT_TRUE(saved);
    CompilerInfo *compiler = saved.value()->compilerInfo();
    EXPECT_EQ(compiler->className(), QStringLiteral("YUICompilerInfo"));
    EXPECT_EQ(compiler->getSettingWithCategory(QStringLiteral("--nomunge"))->selectedindex(), 1);
    EXPECT_EQ(pane.controller.tableView()->rowCount(), 5);
}

// The compressors installed with the program, run for real.
TEST(CompilerViewController, TheInstalledCompressorsPackTwoFilesAndReportASyntaxError)
{
    ScriptProject project;
    if (CompilerInfo::create(QStringLiteral("YUICompilerInfo"))->missingToolMessage()
        || CompilerInfo::create(QStringLiteral("GoogleClosureCompilerInfo"))->missingToolMessage())
        GTEST_SKIP() << "closure-compiler or yui-compressor is not installed (scripts/setup.sh installs them)";
    const QString a = project.write(QStringLiteral("a.js"), "function add(first, second) {\n  return first + second;\n}\n");
    const QString b = project.write(QStringLiteral("b.js"), "var total = add(1, 2);\n");
    Pane pane(project, {a, b});

    ASSERT_TRUE(pane.run());
    EXPECT_TRUE(pane.package->content()->contains(QStringLiteral("var total = add(1, 2)"))) << qPrintable(pane.console());

    pane.controller.menuDidClose(QStringLiteral("Compiler"), QStringLiteral("YUI Compresser-2.4.7"));
    ASSERT_TRUE(pane.run());
    EXPECT_TRUE(pane.package->content()->endsWith(
        QStringLiteral("function add(first,second){return first+second;}var total=add(1,2);")))
        << qPrintable(pane.console());

    project.write(QStringLiteral("b.js"), "var = ;\n");
    ASSERT_TRUE(pane.run());
    EXPECT_TRUE(pane.console().startsWith(QStringLiteral("Error:\n")));
    EXPECT_TRUE(pane.package->content()->contains(QStringLiteral("var total=add(1,2);")));
}
