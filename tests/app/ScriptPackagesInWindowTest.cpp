#include "WorkspaceTestSupport.h"

#include "app/MainMenu.h"
#include "app/PanePlaceholder.h"
#include "code/CompilerInfo.h"
#include "code/CompilerViewController.h"
#include "code/PackageController.h"
#include "code/ProjectSetting.h"

#include <QAction>
#include <QMimeData>
#include <QSignalSpy>
#include <QStackedWidget>

#include <gtest/gtest.h>

// A project's script dragged from the file tree into a package of the
// Script Packages pane and compressed on Execute, as a new user does it.
TEST_F(WorkspaceTest, AScriptDraggedFromTheTreeIntoAPackageIsCompressedOnExecute)
{
    if (CompilerInfo::create(QStringLiteral("GoogleClosureCompilerInfo"))->missingToolMessage())
        GTEST_SKIP() << "closure-compiler is not installed (scripts/setup.sh installs it)";
    TestUtil::writeFile(path("site/index.html"), "<p>x</p>");
    TestUtil::writeFile(path("site/js/app.js"), "var greeting = 'hello';\nconsole.log(greeting);\n");
    remember({path("site")});
    launch();
    auto *compiler = qobject_cast<CompilerViewController *>(delegate->compilerViewController());
    ASSERT_TRUE(compiler);
    EXPECT_EQ(delegate->ui().compilerPane->contentView(), compiler->view());

    // Selecting a file of the project opens the project's settings.
    File *script = node("site/js/app.js");
    ASSERT_TRUE(script);
    select(script);
    ASSERT_EQ(compiler->projectRoot(), node("site"));
    EXPECT_TRUE(QFileInfo::exists(path("site/.kem")));

    // View > Script Packages: a target, a package in its script group, the
    // script dragged in from the tree.
    MainMenu *menu = delegate->ui().mainMenu;
    menu->itemForAction(QStringLiteral("addCompilerTarget:"))->trigger();
    PackageController *packages = compiler->packageController();
    PackItemPtr scripts = compiler->projectSetting()->packages().first()->childAtIndex(0);
    packages->outlineView()->selectRowIndexes({packages->outlineView()->rowForItem(scripts.get())}, false);
    menu->itemForAction(QStringLiteral("addCompilerPackage:"))->trigger();
    PackItemPtr package = scripts->childAtIndex(0);
    ASSERT_TRUE(package && package->isPack());
    QMimeData drag;
    ASSERT_TRUE(controller()->writeItems(nullptr, {script}, &drag));
    DraggingInfo info;
    info.pasteboard = &drag;
    EXPECT_EQ(packages->validateDrop(packages->outlineView(), info, package.get(), -1), Qt::CopyAction);
    ASSERT_TRUE(packages->acceptDrop(packages->outlineView(), info, package.get(), -1));

    QAction *execute = menu->itemForAction(QStringLiteral("executeCompiler:"));
    ASSERT_TRUE(execute);
    EXPECT_EQ(execute->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_B));
    QSignalSpy finished(compiler, &CompilerViewController::runFinished);
    execute->trigger();
    ASSERT_TRUE(finished.wait(30000));
    EXPECT_EQ(delegate->ui().bottomTabView->currentIndex(), 2);
    EXPECT_TRUE(package->content()->contains(QStringLiteral("var greeting = \"hello\";"))) << qPrintable(*package->content());

    // Header and output are kept in the project's ".kem".
    Result<std::unique_ptr<ProjectSetting>> saved = ProjectSetting::decode(TestUtil::readFile(path("site/.kem")));
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved.value()->packages().first()->childAtIndex(0)->childAtIndex(0)->content(), package->content());
}
