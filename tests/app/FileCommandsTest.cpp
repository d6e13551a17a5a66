#include "FileCommandsSupport.h"

#include "app/FileOperations.h"
#include "platform/foundation/Bundle.h"
#include "platform/kit/PathControl.h"
#include "platform/kit/SegmentedControl.h"
#include "platform/kit/SplitView.h"
#include "workspace/ProjectUtil.h"
#include "workspace/SSZipArchive.h"

#include <QDir>
#include <QFile>
#include <QTest>

namespace {

using FileCommands = FileCommandsTest;

QByteArray sampleBytes(const char *kind)
{
    return TestUtil::readFile(Bundle::pathForResource(QStringLiteral("sample"), QString::fromLatin1(kind),
                                                      QStringLiteral("templates")));
}

} // namespace

// --- New files and folders ---------------------------------------------------------------------

TEST_F(FileCommands, ANewHtmlFileFromAFileRowLandsInItsFolderPastTheUntitledNamesWithItsNameInEdit)
{
    TestUtil::writeFile(path("site/css/untitled.html"), "taken");
    TestUtil::writeFile(path("site/css/untitled1.html"), "taken");
    launchWithSite();
    select(node("site/index.html"));
    focusTree();

    controller()->openAllParent(node("site/css/main.css")->parentFile());
    contextMenu(node("site/css/main.css"), "createHtml:");
    const QString made = path("site/css/untitled2.html");
    ASSERT_TRUE(QFileInfo::exists(made));
    EXPECT_EQ(TestUtil::readFile(made), sampleBytes("html"));
    EXPECT_FALSE(sampleBytes("html").isEmpty());
    EXPECT_EQ(TestUtil::readFile(path("site/css/untitled.html")), "taken");
    // Its row is selected with its name in edit.
    File *row = static_cast<File *>(tree()->itemAtRow(tree()->selectedRow()));
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->path(), made);
    FinderViewTextField *field = nameField();
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->text(), QStringLiteral("untitled2.html"));
}

TEST_F(FileCommands, NewFoldersAndFilesOfEachKindFromTheFileMenuGoIntoTheSelectedFolder)
{
    launchWithSite();
    select(node("site/js"));
    item("createDirectory:")->trigger();
    select(node("site/js"));
    item("createDirectory:")->trigger();
    EXPECT_TRUE(QFileInfo(path("site/js/untitled")).isDir());
    EXPECT_TRUE(QFileInfo(path("site/js/untitled1")).isDir());
    // An empty folder is still a folder: its new file goes inside it.
    select(node("site/js/untitled"));
    item("createCss:")->trigger();
    EXPECT_EQ(TestUtil::readFile(path("site/js/untitled/untitled.css")), sampleBytes("css"));
    select(node("site/js/app.js"));
    item("createJs:")->trigger();
    EXPECT_EQ(TestUtil::readFile(path("site/js/untitled.js")), sampleBytes("js"));
}

// --- Duplicates ---------------------------------------------------------------------------------

TEST_F(FileCommands, DuplicatesTakeTheNextFreeCopyNameAndANameWithoutExtensionGetsNoDot)
{
    TestUtil::writeFile(path("site/README"), "read me");
    launchWithSite();
    for (int i = 0; i < 2; ++i) {
        select(node("site/index.html"));
        item("duplicateFile:")->trigger();
        select(node("site/README"));
        item("duplicateFile:")->trigger();
    }
    for (const char *copy : {"site/index_copy.html", "site/index_copy1.html"})
        EXPECT_EQ(TestUtil::readFile(path(copy)), "<p>hello</p>") << copy;
    for (const char *copy : {"site/README_copy", "site/README_copy1"})
        EXPECT_EQ(TestUtil::readFile(path(copy)), "read me") << copy;
    EXPECT_FALSE(QFileInfo::exists(path("site/README_copy.")));

    // A folder is copied with what it holds, and its copy's name is in edit.
    select(node("site/css"));
    focusTree();
    item("duplicateFile:")->trigger();
    EXPECT_EQ(TestUtil::readFile(path("site/css_copy/deep/theme.css")), "a { color: blue; }");
    FinderViewTextField *field = nameField();
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->text(), QStringLiteral("css_copy"));
}

// --- Renaming --------------------------------------------------------------------------------------

TEST_F(FileCommands, RenamingThroughTheRowsFieldRenamesOnDiskAndKeepsTheRowAndItsEdits)
{
    launchWithSite();
    File *page = node("site/index.html");
    select(page);
    page->setContent(QStringLiteral("<p>edited</p>"));
    focusTree();
    QTest::keyClick(tree(), Qt::Key_Return);
    FinderViewTextField *field = nameField();
    ASSERT_NE(field, nullptr);
    field->selectAll();
    QTest::keyClicks(field, QStringLiteral("home.html"));
    QTest::keyClick(field, Qt::Key_Return);

    ASSERT_TRUE(TestUtil::waitUntil([this] { return QFileInfo::exists(path("site/home.html")); }));
    TestUtil::spin(20);
    EXPECT_FALSE(QFileInfo::exists(path("site/index.html")));
    File *renamed = node("site/home.html");
    EXPECT_EQ(renamed, page);
    EXPECT_EQ(renamed->displayName(), QStringLiteral("home.html"));
    EXPECT_EQ(static_cast<File *>(tree()->itemAtRow(tree()->selectedRow())), renamed);
    EXPECT_EQ(renamed->content(), QStringLiteral("<p>edited</p>"));
    EXPECT_TRUE(renamed->isModified());
    EXPECT_EQ(renamed->rootFile()->pathForFile(path("site/home.html")), renamed);
}

TEST_F(FileCommands, EscapeKeepsTheOldName)
{
    launchWithSite();
    select(node("site/index.html"));
    focusTree();
    QTest::keyClick(tree(), Qt::Key_Return);
    FinderViewTextField *field = nameField();
    ASSERT_NE(field, nullptr);
    QTest::keyClicks(field, QStringLiteral("other"));
    QTest::keyClick(field, Qt::Key_Escape);
    TestUtil::spin(50);
    EXPECT_TRUE(QFileInfo::exists(path("site/index.html")));
    EXPECT_EQ(QDir(path("site")).entryList(QDir::Files), QStringList{QStringLiteral("index.html")});
}

TEST_F(FileCommands, ARenameOntoAnotherFileAlertsAndLeavesBothAsTheyWere)
{
    TestUtil::writeFile(path("site/Index.html"), "<p>capital</p>");
    TestUtil::writeFile(path("site/Page.html"), "<p>page</p>");
    launchWithSite();
    struct Case
    {
        const char *name;
        const char *from;
        QString to;
        bool renamed;
    };
    const Case cases[] = {
        {"another file", "site/index.html", QStringLiteral("Page.html"), false},
        // Two files whose names differ in case only are two files here.
        {"a case-only clash", "site/Index.html", QStringLiteral("index.html"), false},
        {"a case-only change", "site/Page.html", QStringLiteral("page.html"), true},
    };
    for (const Case &each : cases) {
        AlertAnswers answers({QStringLiteral("OK")});
        File *row = node(each.from);
        ASSERT_NE(row, nullptr) << each.name;
        const QByteArray before = TestUtil::readFile(path(each.from));
        select(row);
        controller()->renameNode(row, each.to);
        if (each.renamed) {
            EXPECT_TRUE(answers.messages.isEmpty()) << each.name;
            EXPECT_EQ(TestUtil::readFile(path("site") + QLatin1Char('/') + each.to), before) << each.name;
        } else {
            EXPECT_EQ(answers.messages, QStringList{each.to + QStringLiteral(" already exists.")}) << each.name;
            EXPECT_EQ(TestUtil::readFile(path(each.from)), before) << each.name;
        }
    }
    EXPECT_EQ(TestUtil::readFile(path("site/index.html")), "<p>hello</p>");
    EXPECT_EQ(TestUtil::readFile(path("site/Index.html")), "<p>capital</p>");
}

TEST_F(FileCommands, ANameWithASlashOrOfDotsOrEmptyIsRefused)
{
    launchWithSite();
    for (const QString &name : {QStringLiteral("a/b.html"), QString(), QStringLiteral("."), QStringLiteral("..")}) {
        AlertAnswers answers({QStringLiteral("OK")});
        select(node("site/js/app.js"));
        controller()->renameNode(node("site/js/app.js"), name);
        EXPECT_EQ(answers.messages.size(), 1) << name.toStdString();
        EXPECT_EQ(QDir(path("site/js")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                  QStringList{QStringLiteral("app.js")})
            << name.toStdString();
    }
    EXPECT_TRUE(QFileInfo::exists(path("site/a")) == false);
}

// --- Moving to the Trash ----------------------------------------------------------------------------

TEST_F(FileCommands, AMultiRowDeleteWithAProjectTrashesBothAndForgetsTheProject)
{
    TemporaryHome trashHome(home.path());
    launchWithSite();
    File *other = node("other");
    File *script = node("site/js/app.js");
    controller()->openAllParent(script->parentFile());
    tree()->selectRowIndexes({tree()->rowForItem(other), tree()->rowForItem(script)}, false);
    focusTree();
    AlertAnswers answers({QStringLiteral("OK")});
    QTest::keyClick(tree(), Qt::Key_Delete);

    EXPECT_EQ(answers.messages, QStringList{QStringLiteral("Do you want to move the 2 selected files to the Trash?")});
    EXPECT_EQ(answers.buttons, QStringList{QStringLiteral("OK|Cancel")});
    EXPECT_FALSE(QFileInfo::exists(path("other")));
    EXPECT_FALSE(QFileInfo::exists(path("site/js/app.js")));
    EXPECT_EQ(TestUtil::readFile(TemporaryHome::trashed(QStringLiteral("other")) + QStringLiteral("/notes.txt")), "notes");
    EXPECT_EQ(TestUtil::readFile(TemporaryHome::trashed(QStringLiteral("app.js"))), "var a = 1;");
    ASSERT_EQ(controller()->projects().size(), 1);
    EXPECT_FALSE(rootPathes().contains(path("other")));
    EXPECT_FALSE(shownRows().contains(QStringLiteral("app.js")));
}

TEST_F(FileCommands, AProjectsOwnContextDeleteOnlyRemovesItAndAClickedFileGoesToTheTrash)
{
    TemporaryHome trashHome(home.path());
    launchWithSite();
    select(node("site/index.html"));
    {
        AlertAnswers answers({QStringLiteral("OK")});
        contextMenu(node("other"), "showDeleteFileAlert:");
        EXPECT_EQ(answers.messages, QStringList{QStringLiteral("Delete this file? the Project \"other\"")});
    }
    EXPECT_EQ(controller()->projects().size(), 1);
    EXPECT_TRUE(QFileInfo::exists(path("other/notes.txt")));
    EXPECT_FALSE(rootPathes().contains(path("other")));

    select(node("site/index.html"));
    controller()->openAllParent(node("site/js/app.js")->parentFile());
    node("site/js/app.js")->setContent(QStringLiteral("var a = 2;"));
    {
        AlertAnswers answers({QStringLiteral("OK")});
        contextMenu(node("site/js/app.js"), "showDeleteFileAlert:");
        TestUtil::spin(20);
        EXPECT_EQ(answers.messages, QStringList{QStringLiteral("Delete this file? the file \"app.js\"")});
    }
    EXPECT_EQ(TestUtil::readFile(TemporaryHome::trashed(QStringLiteral("app.js"))), "var a = 1;");
    // Its unsaved edits went with the delete asked for here: no node is kept for them.
    EXPECT_FALSE(node("site/js/app.js"));
    // Cancel keeps the file.
    {
        AlertAnswers answers({QStringLiteral("Cancel")});
        contextMenu(node("site/css/main.css"), "showDeleteFileAlert:");
    }
    EXPECT_TRUE(QFileInfo::exists(path("site/css/main.css")));
}

// --- Validation -----------------------------------------------------------------------------------------

TEST_F(FileCommands, TwoSelectedRowsLeaveOnlyTheProjectAndAlwaysCommandsOfTheFileMenu)
{
    launchWithSite();
    tree()->expandItem(node("site"));
    tree()->selectRowIndexes({tree()->rowForItem(node("site/index.html")), tree()->rowForItem(node("other"))}, false);
    ASSERT_EQ(tree()->numberOfSelectedRows(), 2);
    QMenu *file = menu().menuTitled(QStringLiteral("File"));
    menu().validateMenu(file);
    QStringList enabled;
    for (QAction *each : file->actions()) {
        if (!MainMenu::action(each).isEmpty() && each->isEnabled())
            enabled << MainMenu::action(each);
    }
    // The selected row (the last one) is a project: its commands stay; and
    // the preview can be captured whatever the rows.
    EXPECT_EQ(enabled, (QStringList{"createProjectSelected:", "addProject:", "removeProject:", "downloadTurtrialProject:",
                                    "save:", "captureImage:", "performClose:", "terminate:"}));
}

TEST_F(FileCommands, WhileASheetIsOpenOnlyDownloadTutorialStaysEnabled)
{
    launchWithSite();
    select(node("site/index.html"));
    ProjectDelegate::setPanelSheetShown(true);
    menu().validateAll();
    EXPECT_TRUE(item("downloadTurtrialProject:")->isEnabled());
    for (const char *action : {"createProjectSelected:", "addProject:", "createHtml:", "duplicateFile:", "openFile:"})
        EXPECT_FALSE(item(action)->isEnabled()) << action;
    contextMenu(node("site/css"), nullptr, [this] {
        for (QAction *each : delegate->ui().fileMenu->actions())
            EXPECT_FALSE(each->isEnabled() && !MainMenu::action(each).isEmpty()) << MainMenu::action(each).toStdString();
    });
    ProjectDelegate::setPanelSheetShown(false);
}

TEST_F(FileCommands, TheContextMenuJudgesTheClickedRowUnzipOnlyAZip)
{
    TestUtil::writeFile(path("site/pack.zip"), "not really");
    launchWithSite();
    select(node("site/index.html"));
    contextMenu(node("site/pack.zip"), nullptr, [this] {
        EXPECT_TRUE(contextItem("unzipFile:")->isEnabled());
        EXPECT_TRUE(contextItem("openFile:")->isEnabled());
        EXPECT_FALSE(contextItem("removeFile:")->isEnabled());
    });
    contextMenu(node("site/css"), nullptr, [this] {
        EXPECT_FALSE(contextItem("unzipFile:")->isEnabled());
        // A folder is no file to open or save.
        EXPECT_FALSE(contextItem("openFile:")->isEnabled());
        EXPECT_TRUE(contextItem("createHtml:")->isEnabled());
    });
    contextMenu(node("other"), nullptr, [this] {
        EXPECT_TRUE(contextItem("removeFile:")->isEnabled());
        EXPECT_TRUE(contextItem("saveProjectAsTemplate:")->isEnabled());
    });
    // The File menu judges the selected row all the while.
    EXPECT_FALSE(controller()->validateMenuItem(item("unzipFile:")));
}

TEST_F(FileCommands, RunAsWebApplicationIsOfferedForTheServedKindsOfAWebProject)
{
    TestUtil::writeFile(path("site/form.php"), "<?php ?>");
    TestUtil::writeFile(path("site/notes.txt"), "notes");
    QVariantMap config = ProjectUtil::createDefaultProjectConfig();
    config.insert(QString(ProjectUtil::kIsWebProject), true);
    config.insert(QString(ProjectUtil::kWebMainURL), QStringLiteral("http://example.test/"));
    ASSERT_TRUE(ProjectUtil::saveProjectConfig(config, path("site")));
    launchWithSite();
    struct Case
    {
        const char *row;
        bool offered;
    };
    for (const Case &each : {Case{"site/index.html", true}, Case{"site/form.php", true}, Case{"site/css", true},
                             Case{"site/notes.txt", false}, Case{"site/css/main.css", false}, Case{"other/notes.txt", false}}) {
        select(node(each.row));
        EXPECT_EQ(controller()->validateMenuItem(item("runAsWebApp:")), each.offered) << each.row;
    }
    ProjectUtil::removeProjectConfig(path("site"));
}

// --- Unpacking -------------------------------------------------------------------------------------------

TEST_F(FileCommands, UnzipAsksBeforeReplacingAndADamagedArchiveIsKept)
{
    TestUtil::writeFile(path("stage/index.html"), "<p>from the archive</p>");
    TestUtil::writeFile(path("stage/fresh.css"), "b {}");
    ASSERT_TRUE(SSZipArchive::createZipFileAtPath(path("site/pack.zip"), {path("stage/index.html"), path("stage/fresh.css")}));
    TestUtil::writeFile(path("site/broken.zip"), "PK\x03\x04 this is no archive");
    launchWithSite();

    {
        AlertAnswers answers({QStringLiteral("OK")});
        select(node("site/broken.zip"));
        item("unzipFile:")->trigger();
        EXPECT_EQ(answers.messages.size(), 1);
    }
    EXPECT_TRUE(QFileInfo::exists(path("site/broken.zip")));

    {
        AlertAnswers answers({QStringLiteral("Cancel")});
        select(node("site/pack.zip"));
        item("unzipFile:")->trigger();
        EXPECT_EQ(answers.messages, QStringList{QStringLiteral("\"index.html\" already exists in \"site\".")});
        EXPECT_EQ(answers.buttons, QStringList{QStringLiteral("Replace|Cancel")});
    }
    EXPECT_EQ(TestUtil::readFile(path("site/index.html")), "<p>hello</p>");
    EXPECT_FALSE(QFileInfo::exists(path("site/fresh.css")));
    EXPECT_TRUE(QFileInfo::exists(path("site/pack.zip")));

    // A double click unpacks too; Replace takes the archive's files.
    {
        AlertAnswers answers({QStringLiteral("Replace")});
        select(node("site/pack.zip"));
        controller()->doubleClick();
    }
    EXPECT_EQ(TestUtil::readFile(path("site/index.html")), "<p>from the archive</p>");
    EXPECT_EQ(TestUtil::readFile(path("site/fresh.css")), "b {}");
    EXPECT_FALSE(QFileInfo::exists(path("site/pack.zip")));
    // Nothing of the unpacking is left behind (".kem" holds the project's
    // script packages, written when the project was first selected).
    EXPECT_EQ(QDir(path("site")).entryList(QDir::Hidden | QDir::AllEntries | QDir::NoDotAndDotDot),
              (QStringList{".kem", ".quillmark_config", "broken.zip", "css", "fresh.css", "index.html", "js"}));
}

// --- Breadcrumb -------------------------------------------------------------------------------------------

TEST_F(FileCommands, ABreadcrumbClickOnAProjectListsTheProjectWithItsFilesBelow)
{
    launchWithSite();
    select(node("site/css/main.css"));
    PathControl *crumbs = delegate->ui().breadcramb;
    ASSERT_EQ(crumbs->pathComponentCells().size(), 3u);
    // Wide enough for every cell, whatever the window around it.
    crumbs->resize(crumbs->sizeHint());
    QTest::mouseClick(crumbs, Qt::LeftButton, {}, crumbs->rectForCell(0).center());
    auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->actions().size(), 1);
    QAction *project = menu->actions().first();
    EXPECT_EQ(project->text(), QStringLiteral("site"));
    ASSERT_NE(project->menu(), nullptr);
    Q_EMIT project->menu()->aboutToShow();
    QStringList children;
    for (QAction *each : project->menu()->actions())
        children << each->text();
    EXPECT_EQ(children, (QStringList{"css", "js", "index.html"}));
    menu->close();

    // A file's component lists it with its siblings; choosing one shows it.
    QTest::mouseClick(crumbs, Qt::LeftButton, {}, crumbs->rectForCell(1).center());
    menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    QStringList siblings;
    for (QAction *each : menu->actions())
        siblings << each->text();
    EXPECT_EQ(siblings, (QStringList{"css", "js", "index.html"}));
    menu->close();
    menu->actions().last()->trigger();
    EXPECT_EQ(viewer()->mainFile(), node("site/index.html"));
    EXPECT_EQ(crumbs->pathComponentCells().size(), 2u);
}

// --- The DOM tree beside the code -------------------------------------------------------------------------

TEST_F(FileCommands, TheCodeHeadersSwitchShowsAndHidesTheDomTreePane)
{
    FakePreviewHalf preview;
    launch(&preview);
    MainInterface &ui = delegate->ui();
    if (!ui.centerBottomPane->isSubviewCollapsed(ui.rightBottomPane))
        delegate->toggleCenterBottomRightView();
    ASSERT_TRUE(ui.centerBottomPane->isSubviewCollapsed(ui.rightBottomPane));
    EXPECT_TRUE(ui.showSourceCodebtn->isSelectedForSegment(0));
    EXPECT_EQ(ui.showDomtreeMenuItem->text(), QStringLiteral("Show DOMNode Tree"));

    item("showDOMNodeTree:")->trigger();
    EXPECT_FALSE(ui.centerBottomPane->isSubviewCollapsed(ui.rightBottomPane));
    EXPECT_TRUE(ui.showSourceCodebtn->isSelectedForSegment(1));
    EXPECT_EQ(ui.showDomtreeMenuItem->text(), QStringLiteral("Hide DOMNode Tree"));
    EXPECT_TRUE(preview.calls.contains(QStringLiteral("doDetectPreview on")));

    QTest::mouseClick(ui.showSourceCodebtn, Qt::LeftButton, {}, ui.showSourceCodebtn->rectForSegment(0).center());
    EXPECT_TRUE(ui.centerBottomPane->isSubviewCollapsed(ui.rightBottomPane));
    EXPECT_EQ(ui.showDomtreeMenuItem->text(), QStringLiteral("Show DOMNode Tree"));
    EXPECT_EQ(preview.calls.last(), QStringLiteral("doDetectPreview off"));

    // Selecting an element with detection on turns it off; else shows the tree.
    preview.detectOn = true;
    item("selectNode:")->trigger();
    EXPECT_FALSE(preview.detectOn);
    EXPECT_TRUE(ui.centerBottomPane->isSubviewCollapsed(ui.rightBottomPane));
    item("selectNode:")->trigger();
    EXPECT_FALSE(ui.centerBottomPane->isSubviewCollapsed(ui.rightBottomPane));
}

// --- The archives of New Project and the tutorial ---------------------------------------------------------

TEST(DownloadArchives, HoldTheFilesOfTheirProjectFolders)
{
    for (const char *project : {"sample", "tutorial"}) {
        const QString folder = Bundle::resourcePath() + QStringLiteral("/projects/") + QString::fromLatin1(project);
        QTemporaryDir unpacked;
        ASSERT_TRUE(SSZipArchive::unzipFileAtPath(Bundle::pathForResource(QString::fromLatin1(project), QStringLiteral("zip"),
                                                                          QStringLiteral("download")),
                                                  unpacked.path()))
            << project;
        const QStringList files = FileOperations::filesBelow(folder);
        EXPECT_EQ(FileOperations::filesBelow(unpacked.path()), files) << project;
        EXPECT_TRUE(files.contains(QStringLiteral("index.html"))) << project;
        for (const QString &file : files)
            EXPECT_EQ(TestUtil::readFile(unpacked.filePath(file)), TestUtil::readFile(folder + QLatin1Char('/') + file))
                << project << " " << file.toStdString();
    }
}

TEST(FileOperations, TheFirstItemOfANameIsTheOneTheFileTreeWalkMeetsFirst)
{
    QTemporaryDir folder;
    const struct
    {
        const char *name;
        QStringList files;
        QString found;
    } layouts[] = {
        {"folders come first", {"index.html", "pages/index.html"}, QStringLiteral("pages/index.html")},
        {"names in code order", {"b/index.html", "B/index.html", "a/x.txt"}, QStringLiteral("B/index.html")},
        {"hidden folders are no rows", {".git/index.html", "z/index.html"}, QStringLiteral("z/index.html")},
        {"none", {"a/b/c.html"}, QString()},
    };
    for (const auto &layout : layouts) {
        const QString root = folder.filePath(QString::fromLatin1(layout.name));
        for (const QString &file : layout.files)
            ASSERT_TRUE(TestUtil::writeFile(root + QLatin1Char('/') + file, "x"));
        // What the tree's own depth-first walk over its nodes finds.
        const std::unique_ptr<File> tree = File::fileWithDirectory(root, true, nullptr);
        QString walked;
        std::function<bool(File *)> walk = [&](File *node) {
            for (File *child : node->children()) {
                if (child->displayName() == QLatin1String("index.html")) {
                    walked = child->path();
                    return true;
                }
                if (!child->isLeaf() && walk(child))
                    return true;
            }
            return false;
        };
        walk(tree.get());
        EXPECT_EQ(FileOperations::firstItemNamed(root, QStringLiteral("index.html")), walked) << layout.name;
        EXPECT_EQ(walked, layout.found.isEmpty() ? QString() : root + QLatin1Char('/') + layout.found) << layout.name;
    }
}
