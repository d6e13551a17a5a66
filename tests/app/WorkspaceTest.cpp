#include "WorkspaceTestSupport.h"

#include "SaveFaults.h"
#include "Unreadable.h"

#include "app/BlockSheet.h"
#include "app/EXWindow.h"
#include "app/MainMenu.h"
#include "app/views/FileRowCell.h"
#include "code/CodeView.h"
#include "foundation/InspectUndoManager.h"
#include "platform/foundation/NotificationCenter.h"
#include "workspace/BypassMap.h"
#include "workspace/TestWebResource.h"

#include <QApplication>
#include <QFile>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <cerrno>
#include <cstring>

namespace {

// Counts a notification by name.
class Counted
{
public:
    explicit Counted(const char *name)
    {
        NotificationCenter::defaultCenter().addObserver(&m_owner, QString::fromLatin1(name), nullptr,
                                                        [this](const Notification &) { ++count; });
    }
    int count = 0;

private:
    QObject m_owner;
};

class Workspace : public WorkspaceTest
{
protected:
    QAction *item(const char *action) const
    {
        return delegate->ui().mainMenu->itemForAction(QString::fromLatin1(action));
    }

    // Shows the file in the centre pane through the tree, and gives its code
    // view the keyboard.
    CodeView *open(File *file)
    {
        select(file);
        CodeView *view = viewer()->mainCodeView();
        EXPECT_NE(view, nullptr);
        if (!view)
            return nullptr;
        delegate->ui().window->activateWindow();
        view->setFocus(Qt::OtherFocusReason);
        TestUtil::waitUntil([view] { return QApplication::focusWidget() == view; }, 1000);
        view->moveCursor(QTextCursor::End);
        return view;
    }

    void launchWithSite() { remember({path("site"), path("other")}), launch(); }

    // The site's style sheet open in the code view, with text typed at its end.
    CodeView *editSheet(File *sheet)
    {
        CodeView *code = open(sheet);
        if (code) {
            QTest::keyClicks(code, QStringLiteral(" /* mine */"));
            TestUtil::spin(5);
        }
        return code;
    }
};

} // namespace

// --- Projects remembered ---------------------------------------------------------------

TEST_F(Workspace, AddProjectRemembersTheFolderAndTheNextLaunchRestoresItsExpansionAtEveryDepth)
{
    launch();
    EXPECT_TRUE(controller()->projects().isEmpty());
    {
        PanelAnswers answers(QStringList{path("site")});
        item("addProject:")->trigger();
        EXPECT_EQ(answers.asked, 1);
        EXPECT_TRUE(answers.sheetShownWhileAsking);
        EXPECT_TRUE(answers.canChooseDirectories);
    }
    EXPECT_FALSE(ProjectDelegate::panelSheetShown());
    ASSERT_EQ(controller()->projects().size(), 1);
    File *root = controller()->projects().first();
    EXPECT_EQ(root->path(), path("site"));
    EXPECT_TRUE(rootPathes().contains(path("site")));
    // The new project is selected and open.
    EXPECT_EQ(controller()->selectedFile(), root);
    EXPECT_TRUE(tree()->isItemExpanded(root));

    // The same folder again adds nothing.
    {
        PanelAnswers again(QStringList{path("site")});
        item("addProject:")->trigger();
    }
    EXPECT_EQ(controller()->projects().size(), 1);

    tree()->expandItem(node("site/css"));
    tree()->expandItem(node("site/css/deep"));
    EXPECT_EQ(controller()->expandedFilePaths(),
              (QStringList{path("site"), path("site/css"), path("site/css/deep")}));

    quit();
    launch();
    ASSERT_EQ(controller()->projects().size(), 1);
    EXPECT_EQ(shownRows(), (QStringList{"site", "css", "deep", "theme.css", "main.css", "js", "index.html"}));
}

TEST_F(Workspace, CancellingTheFolderPanelAddsNothing)
{
    launch();
    PanelAnswers answers(std::nullopt);
    item("addProject:")->trigger();
    EXPECT_TRUE(controller()->projects().isEmpty());
    EXPECT_TRUE(rootPathes().isEmpty());
    EXPECT_FALSE(ProjectDelegate::panelSheetShown());
}

// A project folder gone at launch (a disk not mounted, a folder renamed),
// or a file in its place, stays in the list and remembered, saying why; the
// folder back, the project comes back by itself (#85).
TEST_F(Workspace, AFolderThatIsGoneStaysInTheListUntilItComesBackAndALinkIsKeptResolved)
{
    const QString gone = path("gone");
    const QString link = home.filePath(QStringLiteral("link-to-other"));
    ASSERT_TRUE(QFile::link(path("other"), link));
    remember({path("site"), gone, link, path("site/index.html")});
    launch();

    QStringList names;
    for (File *project : controller()->projects())
        names << project->displayName();
    EXPECT_EQ(names, (QStringList{"gone", "index.html", "other", "site"}));
    QStringList kept = rootPathes().keys();
    kept.sort();
    EXPECT_EQ(kept, (QStringList{gone, path("other"), path("site"), path("site/index.html")}));
    File *missing = controller()->projects().first();
    EXPECT_EQ(controller()->unavailableReason(missing),
              QStringLiteral("The folder %1 is missing (a disk that is not mounted, or a folder renamed or moved).").arg(gone));
    EXPECT_EQ(controller()->unavailableReason(controller()->projects().value(1)),
              QStringLiteral("%1 is no folder.").arg(path("site/index.html")));
    EXPECT_EQ(controller()->unavailableReason(controller()->projects().last()), QString());

    // Chosen, it stays: nothing is shown, and nothing asked.
    AlertAnswers answers({});
    select(missing);
    EXPECT_TRUE(answers.messages.isEmpty());
    EXPECT_EQ(controller()->projects().size(), 4);

    ASSERT_TRUE(QDir(home.path()).mkpath(QStringLiteral("gone/pages")));
    ASSERT_TRUE(TestUtil::waitUntil([&] {
        const QList<File *> projects = controller()->projects();
        return projects.first()->path() == gone && controller()->unavailableReason(projects.first()).isEmpty()
               && projects.first()->numberOfChildren() == 1;
    }, 10000));
}

TEST_F(Workspace, TheProjectListChangesOnlyOnTheMainThread)
{
    remember({path("site"), path("other")});
    delegate = std::make_unique<AppDelegate>();
    delegate->loadInterface();
    // The loading thread has long finished its projects, but the list takes
    // them only when the main thread's event loop hands them over.
    QThread::msleep(300);
    EXPECT_TRUE(controller()->projects().isEmpty());
    EXPECT_TRUE(controller()->isLoading());
    ASSERT_TRUE(TestUtil::waitUntil([this] { return !controller()->isLoading(); }));
    EXPECT_EQ(controller()->projects().size(), 2);
}

// --- Editing and saving ------------------------------------------------------------------

TEST_F(Workspace, TypingMakesOneUndoStepPerTurnAndUndoRestoresTheTextAndTheMark)
{
    launchWithSite();
    File *sheet = node("site/css/main.css");
    ASSERT_TRUE(sheet);
    CodeView *code = open(sheet);
    ASSERT_TRUE(code);
    File *root = controller()->projects().value(1);
    ASSERT_EQ(root->displayName(), QStringLiteral("site"));

    QTest::keyClicks(code, QStringLiteral("ab"));
    TestUtil::spin(5);
    QTest::keyClicks(code, QStringLiteral("c"));
    TestUtil::spin(5);
    EXPECT_EQ(sheet->content(), QStringLiteral("p { color: red; }abc"));
    EXPECT_TRUE(FileRowCell::isModified(sheet));
    EXPECT_TRUE(FileRowCell::isModified(root));
    EXPECT_EQ(sheet->lastContentChangeReason(), File::CodeViewChange);

    item("undo:")->trigger();
    EXPECT_EQ(code->toPlainText(), QStringLiteral("p { color: red; }ab"));
    item("undo:")->trigger();
    EXPECT_EQ(sheet->content(), QStringLiteral("p { color: red; }"));
    EXPECT_EQ(code->toPlainText(), QStringLiteral("p { color: red; }"));
    EXPECT_FALSE(FileRowCell::isModified(sheet));
    EXPECT_FALSE(FileRowCell::isModified(root));
    EXPECT_FALSE(controller()->hasModified());
}

// Written once (#85); saved again, the user is told there is nothing to save.
TEST_F(Workspace, SaveInTheCodeViewWritesTheFileOnceAndClearsTheMark)
{
    launchWithSite();
    File *script = node("site/js/app.js");
    CodeView *code = open(script);
    ASSERT_TRUE(code);
    QTest::keyClicks(code, QStringLiteral(" // saved"));
    TestUtil::spin(5);
    ASSERT_TRUE(script->isModified());
    ASSERT_EQ(QApplication::focusWidget(), code);

    {
        const InjectedFault writes(AtomicFileWriter::Step::Rename, 0);
        item("save:")->trigger();
        EXPECT_EQ(writes.calls(), 1);
    }
    EXPECT_EQ(TestUtil::readFile(path("site/js/app.js")), QByteArray("var a = 1; // saved"));
    EXPECT_FALSE(script->isModified());
    EXPECT_FALSE(controller()->hasModified());
    EXPECT_EQ(viewer()->saveNotice(), QString());
    item("save:")->trigger();
    EXPECT_EQ(viewer()->saveNotice(), QStringLiteral("Nothing to save: \"app.js\" has no unsaved changes."));
}

TEST_F(Workspace, SavingAStyleSheetParsesItBeforeSaveFileContentIsPosted)
{
    launchWithSite();
    File *sheet = node("site/css/main.css");
    CodeView *code = open(sheet);
    ASSERT_TRUE(code);
    QTest::keyClick(code, Qt::Key_Return);
    QTest::keyClicks(code, QStringLiteral("h1 { top: 0; }"));
    TestUtil::spin(5);

    QStringList selectorsSeen;
    NotificationCenter::defaultCenter().addObserver(
        this, QStringLiteral("saveFileContent"), nullptr, [&](const Notification &) {
            if (sheet->styleDeclarations()) {
                for (const StyleDeclarationPtr &rule : *sheet->styleDeclarations())
                    selectorsSeen << rule->selector().trimmed();
            }
        });
    item("save:")->trigger();
    NotificationCenter::defaultCenter().removeObserver(this);
    EXPECT_TRUE(selectorsSeen.contains(QStringLiteral("h1"))) << selectorsSeen.join(u'|').toStdString();
}

TEST_F(Workspace, ASaveThatCannotBeWrittenAlertsWithTheFilesNameAndKeepsTheEdit)
{
    launchWithSite();
    File *script = node("site/js/app.js");
    CodeView *code = open(script);
    ASSERT_TRUE(code);
    QTest::keyClicks(code, QStringLiteral(" // lost?"));
    TestUtil::spin(5);
    // The folder moves away: no one, root included, can write the file now.
    ASSERT_TRUE(QDir().rename(path("site/js"), home.filePath(QStringLiteral("site/js-moved"))));

    AlertAnswers answers({QStringLiteral("OK")});
    item("save:")->trigger();
    ASSERT_EQ(answers.messages.size(), 1);
    EXPECT_TRUE(answers.messages.first().contains(QStringLiteral("app.js"))) << answers.messages.first().toStdString();
    EXPECT_TRUE(script->isModified());
    EXPECT_EQ(script->content(), QStringLiteral("var a = 1; // lost?"));
}

TEST_F(Workspace, ASaveFileContentThatFailsAlertsAndKeepsTheFileModified)
{
    launchWithSite();
    File *script = node("site/js/app.js");
    ASSERT_TRUE(script);
    script->setContent(QStringLiteral("changed"));
    ASSERT_TRUE(QDir().rename(path("site/js"), home.filePath(QStringLiteral("site/js-moved"))));
    AlertAnswers answers({QStringLiteral("OK")});
    NotificationCenter::defaultCenter().postNotificationName(
        QStringLiteral("saveFileContent"), this, {{QStringLiteral("file"), QVariant::fromValue(script)}});
    ASSERT_EQ(answers.messages.size(), 1);
    EXPECT_TRUE(answers.messages.first().contains(QStringLiteral("app.js")));
    EXPECT_TRUE(script->isModified());
}

// --- Changes made outside -------------------------------------------------------------------

TEST_F(Workspace, AnOutsideRewriteOfAnOpenUnmodifiedFileReachesTheEditorWithASnapshot)
{
    launchWithSite();
    File *page = node("site/index.html");
    CodeView *code = open(page);
    ASSERT_TRUE(code);
    ASSERT_TRUE(TestUtil::writeFile(path("site/index.html"), "<p>changed in a shell</p>"));
    ASSERT_TRUE(TestUtil::waitUntil([code] { return code->toPlainText() == QLatin1String("<p>changed in a shell</p>"); }));
    EXPECT_EQ(page->content(), QStringLiteral("<p>changed in a shell</p>"));
    ASSERT_FALSE(page->histories().isEmpty());
    EXPECT_EQ(page->histories().last().content(), QStringLiteral("<p>hello</p>"));
    EXPECT_FALSE(page->isModified());
}

TEST_F(Workspace, AnOutsideChangeToUnsavedEditsIsAskedAboutAtOnceAndKeepMyChangesSavesOverIt)
{
    launchWithSite();
    File *sheet = node("site/css/main.css");
    CodeView *code = editSheet(sheet);
    ASSERT_TRUE(code);
    AlertAnswers answers({QStringLiteral("Keep My Changes")});
    ASSERT_TRUE(TestUtil::writeFile(path("site/css/main.css"), "p { color: green; }"));
    ASSERT_TRUE(TestUtil::waitUntil([&answers] { return !answers.messages.isEmpty(); }));
    EXPECT_EQ(answers.messages, QStringList{QStringLiteral("\"main.css\" was changed by another program.")});
    EXPECT_EQ(answers.buttons, QStringList{QStringLiteral("Keep My Changes|Use the Version on Disk")});
    EXPECT_EQ(code->toPlainText(), QStringLiteral("p { color: red; } /* mine */"));
    EXPECT_TRUE(sheet->isModified());

    // Saved knowingly: no second question.
    item("save:")->trigger();
    EXPECT_EQ(answers.messages.size(), 1);
    EXPECT_EQ(TestUtil::readFile(path("site/css/main.css")), QByteArray("p { color: red; } /* mine */"));
    EXPECT_FALSE(sheet->isModified());
}

TEST_F(Workspace, UseTheVersionOnDiskShowsItInTheCodeViewWithTheProgramsVersionInTheHistory)
{
    launchWithSite();
    File *sheet = node("site/css/main.css");
    CodeView *code = editSheet(sheet);
    ASSERT_TRUE(code);
    AlertAnswers answers({QStringLiteral("Use the Version on Disk")});
    ASSERT_TRUE(TestUtil::writeFile(path("site/css/main.css"), "p { color: green; }"));
    ASSERT_TRUE(TestUtil::waitUntil([code] { return code->toPlainText() == QLatin1String("p { color: green; }"); }));
    EXPECT_EQ(answers.messages.size(), 1);
    EXPECT_EQ(sheet->content(), QStringLiteral("p { color: green; }"));
    ASSERT_FALSE(sheet->histories().isEmpty());
    EXPECT_EQ(sheet->histories().constFirst().content(), QStringLiteral("p { color: red; } /* mine */"));
    EXPECT_FALSE(sheet->isModified());
    EXPECT_EQ(TestUtil::readFile(path("site/css/main.css")), QByteArray("p { color: green; }"));
}

TEST_F(Workspace, AChangeFoundAtSaveTimeOrOnQuitIsAskedAboutBeforeAnythingIsWritten)
{
    launchWithSite();
    File *sheet = node("site/css/main.css");
    CodeView *code = editSheet(sheet);
    ASSERT_TRUE(code);
    {
        // Saved before the folder watcher reports it.
        AlertAnswers answers({QStringLiteral("Keep My Changes")});
        Counted events("directoryUpdated");
        ASSERT_TRUE(TestUtil::writeFile(path("site/css/main.css"), "p { color: green; }"));
        item("save:")->trigger();
        EXPECT_EQ(answers.messages, QStringList{QStringLiteral("\"main.css\" was changed by another program.")});
        EXPECT_EQ(TestUtil::readFile(path("site/css/main.css")), QByteArray("p { color: red; } /* mine */"));
        // The watcher's report of both writes asks nothing more.
        ASSERT_TRUE(TestUtil::waitUntil([&events] { return events.count > 0; }));
        TestUtil::spin(20);
        EXPECT_EQ(answers.messages.size(), 1);
    }
    {
        // Save And Quit asks the same.
        AlertAnswers answers({QStringLiteral("Use the Version on Disk")});
        QTest::keyClicks(code, QStringLiteral(" /* more */"));
        TestUtil::spin(5);
        ASSERT_TRUE(TestUtil::writeFile(path("site/css/main.css"), "p { color: blue; }"));
        controller()->saveOnQuit();
        EXPECT_EQ(answers.messages.size(), 1);
        EXPECT_EQ(TestUtil::readFile(path("site/css/main.css")), QByteArray("p { color: blue; }"));
        EXPECT_EQ(sheet->histories().constFirst().content(), QStringLiteral("p { color: red; } /* mine */ /* more */"));
        EXPECT_FALSE(controller()->hasModified());
    }
}

TEST_F(Workspace, AFileDeletedWithUnsavedEditsStaysMarkedMissingUntilSavedAgainOrDiscarded)
{
    launchWithSite();
    File *sheet = node("site/css/main.css");
    QPointer<CodeView> code = open(sheet);
    ASSERT_TRUE(code);
    QByteArray mine("p { color: red; }");
    // Typed, then deleted by another program; the question answered.
    const auto deleteAndAnswer = [&](const char *answer) {
        QTest::keyClicks(code, QStringLiteral(" /**/"));
        TestUtil::spin(5);
        mine += " /**/";
        AlertAnswers answers({QString::fromLatin1(answer)});
        EXPECT_TRUE(QFile::remove(path("site/css/main.css")));
        EXPECT_TRUE(TestUtil::waitUntil([&answers] { return !answers.messages.isEmpty(); }));
        EXPECT_EQ(answers.messages, QStringList{QStringLiteral("\"main.css\" was deleted by another program.")});
        EXPECT_EQ(answers.buttons, QStringList{QStringLiteral("Keep My Changes|Save Again|Discard")});
    };

    deleteAndAnswer("Save Again");
    EXPECT_EQ(TestUtil::readFile(path("site/css/main.css")), mine);
    EXPECT_FALSE(sheet->isMissingOnDisk());

    // Kept: the row and the view stay, the row struck out; a save writes it again.
    deleteAndAnswer("Keep My Changes");
    ASSERT_TRUE(code);
    EXPECT_EQ(code->toPlainText(), QString::fromUtf8(mine));
    ASSERT_TRUE(shownRows().contains(QStringLiteral("main.css")));
    EXPECT_TRUE(tree()->indexForItem(sheet).data(Qt::FontRole).value<QFont>().strikeOut());
    EXPECT_TRUE(controller()->hasModified());
    code->setFocus(Qt::OtherFocusReason);
    item("save:")->trigger();
    EXPECT_EQ(TestUtil::readFile(path("site/css/main.css")), mine);

    // Discarded: the node and its view go.
    deleteAndAnswer("Discard");
    EXPECT_TRUE(TestUtil::waitUntil([&] { return !shownRows().contains(QStringLiteral("main.css")) && !code; }));
    EXPECT_FALSE(controller()->hasModified());
}

// A folder that cannot be read is not deleted: the question says what it
// is (#80).
TEST_F(Workspace, AFileWithUnsavedEditsInAFolderMadeUnreadableIsSaidToBeUnreadable)
{
    launchWithSite();
    File *sheet = node("site/css/main.css");
    QPointer<CodeView> code = open(sheet);
    ASSERT_TRUE(code);
    QTest::keyClicks(code, QStringLiteral(" /* mine */"));
    ASSERT_TRUE(TestUtil::waitUntil([&] { return sheet->isModified(); }));
    AlertAnswers answers({QStringLiteral("Keep My Changes")});
    Unreadable unreadable(path("site/css"));
    if (!unreadable.holds())
        GTEST_SKIP() << "permissions cannot be made to stop this process";
    ASSERT_TRUE(TestUtil::waitUntil([&answers] { return !answers.messages.isEmpty(); }));
    EXPECT_EQ(answers.messages, QStringList{QStringLiteral("\"main.css\" cannot be read: the folder %1 cannot be opened "
                                                           "(Permission denied).")
                                                .arg(path("site/css"))});
    EXPECT_TRUE(tree()->indexForItem(sheet).data(Qt::ToolTipRole).toString().contains(QLatin1String("cannot be opened")));
}

TEST_F(Workspace, ANewFileAppearsAndTheSelectionStaysOnItsNode)
{
    launchWithSite();
    File *page = node("site/index.html");
    select(page);
    const int before = tree()->selectedRow();
    ASSERT_TRUE(TestUtil::writeFile(path("site/about.html"), "<p>about</p>"));
    ASSERT_TRUE(TestUtil::waitUntil([this] { return shownRows().contains(QStringLiteral("about.html")); }));
    // The new row lies above the selected one: the node, not the row index, stays.
    EXPECT_EQ(tree()->itemAtRow(tree()->selectedRow()), page);
    EXPECT_EQ(tree()->selectedRow(), before + 1);
    EXPECT_EQ(controller()->selectedFile(), page);
    EXPECT_EQ(viewer()->mainFile(), page);
}

TEST_F(Workspace, WhenTheSelectedNodeIsGoneItsRowIndexStaysSelected)
{
    launchWithSite();
    File *script = node("site/js/app.js");
    select(script);
    TestUtil::writeFile(path("site/js/util.js"), "var b;");
    ASSERT_TRUE(TestUtil::waitUntil([this] { return shownRows().contains(QStringLiteral("util.js")); }));
    select(node("site/js/app.js"));
    const int row = tree()->selectedRow();
    ASSERT_TRUE(QFile::remove(path("site/js/app.js")));
    ASSERT_TRUE(TestUtil::waitUntil([this] { return !shownRows().contains(QStringLiteral("app.js")); }));
    EXPECT_EQ(tree()->selectedRow(), row);
    EXPECT_EQ(static_cast<File *>(tree()->itemAtRow(row))->displayName(), QStringLiteral("util.js"));
}

TEST_F(Workspace, AFolderEventDuringARenameChangesNothing)
{
    launchWithSite();
    File *page = node("site/index.html");
    select(page);
    // The row's name field has the keyboard, as while renaming.
    const QModelIndex index = tree()->indexForItem(page);
    tree()->openPersistentEditor(index);
    QWidget *field = tree()->indexWidget(index);
    ASSERT_TRUE(field);
    delegate->ui().window->activateWindow();
    field->setFocus(Qt::OtherFocusReason);
    ASSERT_TRUE(TestUtil::waitUntil([field] { return QApplication::focusWidget() == field; }, 1000));
    ASSERT_TRUE(controller()->isTextFieldInFocus());

    Counted events("directoryUpdated");
    TestUtil::writeFile(path("site/new.html"), "<p>new</p>");
    ASSERT_TRUE(TestUtil::waitUntil([&events] { return events.count > 0; }));
    TestUtil::spin(20);
    EXPECT_FALSE(shownRows().contains(QStringLiteral("new.html")));
    EXPECT_EQ(QApplication::focusWidget(), field);

    tree()->closePersistentEditor(index);
    TestUtil::writeFile(path("site/newer.html"), "<p>newer</p>");
    EXPECT_TRUE(TestUtil::waitUntil([this] { return shownRows().contains(QStringLiteral("newer.html")); }));
}

// --- The project list ------------------------------------------------------------------------

TEST_F(Workspace, RemovingAProjectWithUnsavedEditsAsksToSaveFirst)
{
    launchWithSite();
    File *sheet = node("site/css/main.css");
    sheet->setContent(QStringLiteral("p { color: blue; }"));
    File *root = controller()->searchDirectory(path("site"), controller()->projects());
    select(root);
    // The menu asks its targets when it opens.
    delegate->ui().mainMenu->validateAll();
    ASSERT_TRUE(item("removeProject:")->isEnabled());
    {
        AlertAnswers answers({QStringLiteral("Cancel")});
        item("removeProject:")->trigger();
        EXPECT_EQ(answers.buttons, QStringList{QStringLiteral("Save|Don't Save|Cancel")});
    }
    EXPECT_EQ(controller()->projects().size(), 2);
    {
        AlertAnswers answers({QStringLiteral("Save")});
        delegate->ui().mainMenu->validateAll();
        item("removeProject:")->trigger();
    }
    EXPECT_EQ(TestUtil::readFile(path("site/css/main.css")), QByteArray("p { color: blue; }"));
    ASSERT_EQ(controller()->projects().size(), 1);
    EXPECT_EQ(controller()->projects().first()->displayName(), QStringLiteral("other"));
    EXPECT_EQ(rootPathes().keys(), QStringList{path("other")});
}

TEST_F(Workspace, AFileGoneFromDiskIsDroppedAndOtherProjectsKeepTheirUnsavedEdits)
{
    launchWithSite();
    File *notes = node("other/notes.txt");
    notes->setContent(QStringLiteral("unsaved notes"));
    QPointer<File> kept = notes;
    File *sheet = node("site/css/main.css");
    select(sheet->parentFile());
    ASSERT_TRUE(QFile::remove(path("site/css/main.css")));

    AlertAnswers answers({QStringLiteral("OK")});
    select(sheet);
    ASSERT_EQ(answers.messages, QStringList{QStringLiteral("Missing file")});
    ASSERT_TRUE(TestUtil::waitUntil([this] { return !node("site/css/main.css") && !controller()->isLoading(); }));
    EXPECT_EQ(controller()->projects().size(), 2);
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->content(), QStringLiteral("unsaved notes"));
    EXPECT_TRUE(controller()->hasModified());
}

// --- Web nodes and the page ---------------------------------------------------------------------

TEST_F(Workspace, AWebResourceWithoutTextNeverOverwritesItsLocalCopy)
{
    launchWithSite();
    File *sheet = node("site/css/main.css");
    ASSERT_TRUE(sheet);
    const QUrl address(QStringLiteral("http://example.com/css/main.css"));
    ASSERT_TRUE(BypassMap::getInstance()->setBypass(address, QUrl::fromLocalFile(sheet->path())));

    File binary(std::make_shared<TestWebResource>(address.toString(), QByteArray("\xff\xfe\x00\xd8\x00\x00", 6)));
    ASSERT_EQ(binary.content(), std::nullopt);
    NotificationCenter::defaultCenter().postNotificationName(
        QStringLiteral("refreshFileContent"), this, {{QStringLiteral("file"), QVariant::fromValue(&binary)}});
    EXPECT_EQ(sheet->currentContent(), QStringLiteral("p { color: red; }"));
    EXPECT_EQ(sheet->lastContentChangeReason(), File::NoPendingChange);

    File text(std::make_shared<TestWebResource>(address.toString(), QByteArray("p { color: teal; }")));
    NotificationCenter::defaultCenter().postNotificationName(
        QStringLiteral("refreshFileContent"), this, {{QStringLiteral("file"), QVariant::fromValue(&text)}});
    EXPECT_EQ(sheet->content(), QStringLiteral("p { color: teal; }"));
    EXPECT_EQ(sheet->lastContentChangeReason(), File::OtherChange);
    BypassMap::getInstance()->setBypass(address, QUrl());
}

TEST_F(Workspace, TheSheetsFollowWhetherThePageIsBehindItsFiles)
{
    FakePreviewHalf preview;
    launchWithSite();
    controller()->setPreviewHalf(&preview);
    preview.addResource(path("site/index.html"));
    preview.addResource(path("site/css/main.css"));
    MainInterface &ui = delegate->ui();

    // Typing into the page's style sheet covers the rules panel only.
    File *sheet = node("site/css/main.css");
    CodeView *code = open(sheet);
    ASSERT_TRUE(code);
    QTest::keyClicks(code, QStringLiteral(" "));
    ASSERT_TRUE(TestUtil::waitUntil([&ui] { return ui.cssUIBlock->isActive(); }));
    EXPECT_FALSE(ui.domUIBlock->isActive());
    EXPECT_FALSE(ui.nodeUIBlock->isActive());

    // A click on the sheet saves and reloads; the sheet goes.
    NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("NeedSaveAndRefresh"), ui.cssUIBlock);
    EXPECT_EQ(TestUtil::readFile(path("site/css/main.css")), QByteArray("p { color: red; } "));
    EXPECT_TRUE(preview.calls.contains(QStringLiteral("reloadPage")));
    EXPECT_EQ(sheet->lastContentChangeReason(), File::NoPendingChange);
    ASSERT_TRUE(TestUtil::waitUntil([&ui] { return !ui.cssUIBlock->isActive(); }));

    // A change made by the rules panel covers nothing.
    FakeRulesPanel rules;
    delegate->setCssOutlineDelegate(&rules);
    sheet->setContent(QStringLiteral("p { color: navy; }"));
    NotificationCenter::defaultCenter().postNotificationName(
        QStringLiteral("refreshFileContent"), dynamic_cast<const void *>(static_cast<CSSOutlineDelegateInterface *>(&rules)),
        {{QStringLiteral("file"), QVariant::fromValue(sheet)}});
    EXPECT_EQ(sheet->lastContentChangeReason(), File::RulesPanelChange);
    TestUtil::spin(50);
    EXPECT_FALSE(ui.cssUIBlock->isActive());
    delegate->setCssOutlineDelegate(nullptr);

    // A page that reads as modified with no change pending covers the DOM side.
    File *page = node("site/index.html");
    page->setContent(QStringLiteral("<p>edited elsewhere</p>"));
    ASSERT_EQ(page->lastContentChangeReason(), File::NoPendingChange);
    ASSERT_TRUE(TestUtil::waitUntil([&ui] { return ui.domUIBlock->isActive() && ui.nodeUIBlock->isActive(); }));
}

// Saved from its code view, a file whose typing the page lacks is what the
// page shows next: it is loaded again in place (once it is, the covers go);
// a save of text the page already shows reloads nothing.
TEST_F(Workspace, ASaveFromTheCodeViewBringsThePageInStep)
{
    FakePreviewHalf preview;
    launchWithSite();
    controller()->setPreviewHalf(&preview);
    preview.addResource(path("site/index.html"));
    preview.addResource(path("site/css/main.css"));
    MainInterface &ui = delegate->ui();

    File *sheet = node("site/css/main.css");
    CodeView *code = editSheet(sheet);
    ASSERT_TRUE(code);
    ASSERT_TRUE(TestUtil::waitUntil([&ui] { return ui.cssUIBlock->isActive(); }));
    ASSERT_TRUE(code->save());
    EXPECT_EQ(TestUtil::readFile(path("site/css/main.css")), QByteArray("p { color: red; } /* mine */"));
    EXPECT_TRUE(TestUtil::waitUntil([&preview] { return preview.calls.contains(QStringLiteral("reloadChangedPage")); }));

    // The page was given the text: another save of it loads nothing again.
    preview.calls.clear();
    sheet->noteContentShown();
    QTest::keyClicks(code, QStringLiteral(" "));
    sheet->noteContentShown();
    ASSERT_TRUE(code->save());
    // A reload would come at the next turn, before this.
    bool turned = false;
    QTimer::singleShot(0, [&turned] { turned = true; });
    ASSERT_TRUE(TestUtil::waitUntil([&turned] { return turned; }));
    EXPECT_FALSE(preview.calls.contains(QStringLiteral("reloadChangedPage")));
}

TEST_F(Workspace, TheOutOfSyncCheckWorksFromACopyOfThePagesResources)
{
    FakePreviewHalf preview;
    launchWithSite();
    controller()->setPreviewHalf(&preview);
    preview.addResource(path("site/css/main.css"));
    File *sheet = node("site/css/main.css");
    sheet->setContent(QStringLiteral("p { color: olive; }"));
    sheet->setLastContentChangeReason(File::CodeViewChange);
    MainInterface &ui = delegate->ui();
    ASSERT_TRUE(TestUtil::waitUntil([&ui] { return ui.cssUIBlock->isActive(); }));
    ui.cssUIBlock->deactive();

    controller()->checkOutOfSynchronization();
    // The page's resource tree goes before the check has run.
    preview.resources.clear();
    ASSERT_TRUE(TestUtil::waitUntil([&ui] { return ui.cssUIBlock->isActive(); }));
    // A newer check has the last word.
    controller()->checkOutOfSynchronization();
    EXPECT_TRUE(TestUtil::waitUntil([&ui] { return !ui.cssUIBlock->isActive(); }));
}

TEST_F(Workspace, ASaveThatFailsBeforeAReloadAlertsAndThePageIsNotReloaded)
{
    const QString name = QStringLiteral("late.js");
    const QString longPath = path("site/js") + u'/' + name;
    ASSERT_TRUE(TestUtil::writeFile(longPath, "var a = 1;"));
    FakePreviewHalf preview;
    launchWithSite();
    controller()->setPreviewHalf(&preview);
    preview.addResource(longPath);
    File *script = controller()->searchDirectory(longPath, controller()->projects());
    ASSERT_TRUE(script);
    script->setOpenDate(script->openDate().addSecs(-10));
    script->setContent(QStringLiteral("var a = 2;"));

    AlertAnswers answers({QStringLiteral("OK")});
    {
        // The disk takes no more.
        InjectedFault full(AtomicFileWriter::Step::Write, ENOSPC);
        NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("NeedSaveAndRefresh"), this);
    }
    ASSERT_EQ(answers.messages.size(), 1);
    EXPECT_TRUE(answers.messages.first().contains(name));
    EXPECT_TRUE(answers.informativeTexts.first().contains(QString::fromLocal8Bit(std::strerror(ENOSPC))));
    EXPECT_FALSE(preview.calls.contains(QStringLiteral("reloadPage")));
    EXPECT_EQ(TestUtil::readFile(longPath), QByteArray("var a = 1;"));
    EXPECT_TRUE(script->isModified());
}

TEST_F(Workspace, ANewerSubstitutionRequestForAProjectCancelsTheQueuedOne)
{
    FakePreviewHalf preview;
    launchWithSite();
    controller()->setPreviewHalf(&preview);
    *preview.release = false;
    File *root = controller()->projects().value(1);
    NotificationCenter &center = NotificationCenter::defaultCenter();
    center.postNotificationName(QStringLiteral("ProjectWebMainURLWillChange"), root);
    center.postNotificationName(QStringLiteral("ProjectWebMainURLDidChanged"), root);
    center.postNotificationName(QStringLiteral("ProjectWebMainURLWillChange"), root);
    center.postNotificationName(QStringLiteral("ProjectWebMainURLDidChanged"), root);
    ASSERT_EQ(preview.jobs.size(), 4);
    EXPECT_TRUE(preview.jobs[0]->isCancelled());
    EXPECT_TRUE(preview.jobs[1]->isCancelled());
    EXPECT_TRUE(preview.jobs[2]->isCancelled());
    EXPECT_FALSE(preview.jobs[3]->isCancelled());
    EXPECT_EQ(preview.jobs[3]->subject(), root->path());
    *preview.release = true;
    controller()->bypassOperationQueue()->waitUntilAllOperationsAreFinished();
}

// --- The tree's clicks -----------------------------------------------------------------------------

TEST_F(Workspace, ASingleClickRefusesRenamingUntilReturnOrAnotherSelection)
{
    launchWithSite();
    select(node("site/index.html"));
    EXPECT_FALSE(controller()->isRenameRefused());
    controller()->singleClick();
    EXPECT_TRUE(controller()->isRenameRefused());
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    controller()->keyDown(&enter);
    EXPECT_FALSE(controller()->isRenameRefused());
    controller()->singleClick();
    select(node("site/css/main.css"));
    EXPECT_FALSE(controller()->isRenameRefused());
}

TEST_F(Workspace, ADoubleClickOnAFileRemembersItAsTheLastPageButOnAFolderNot)
{
    launchWithSite();
    select(node("site/css"));
    controller()->doubleClick();
    EXPECT_TRUE(ProjectDelegate::loadURLFromUserDefaultsForKey(QStringLiteral("lastURL")).isEmpty());
    File *page = node("site/index.html");
    select(page);
    controller()->doubleClick();
    EXPECT_EQ(ProjectDelegate::loadURLFromUserDefaultsForKey(QStringLiteral("lastURL")), page->absolutePath());

    // The next launch shows that page again.
    quit();
    launch();
    File *again = node("site/index.html");
    EXPECT_EQ(controller()->lastPreviewedFile(), again);
    EXPECT_EQ(viewer()->mainFile(), again);
}
