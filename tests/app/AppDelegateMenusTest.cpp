#include "ShellTestSupport.h"
#include "TestUtil.h"

#include "app/MainMenu.h"
#include "foundation/InspectUndoManager.h"
#include "platform/foundation/NotificationCenter.h"
#include "workspace/File.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QUrl>

namespace {

// Takes the addresses the program would open in the browser.
class Browser : public QObject
{
    Q_OBJECT

public:
    Browser()
    {
        QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "open");
        QDesktopServices::setUrlHandler(QStringLiteral("http"), this, "open");
    }
    ~Browser() override
    {
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
    }
    QList<QUrl> opened;

public Q_SLOTS:
    void open(const QUrl &url) { opened << url; }
};

class FakeFileViewer : public FileViewControllerInterface
{
public:
    QPlainTextEdit text;
    int saves = 0;
    File *mainFile() override { return nullptr; }
    QPlainTextEdit *mainTextView() override { return &text; }
    void viewFile(File *) override {}
    void viewFileWithNoOpen(File *) override {}
    void viewFileWithScrollTop(File *) override {}
    void saveDocument() override { ++saves; }
    File *saveChosenFile(File *) override
    {
        ++saves;
        return nullptr;
    }
    void showSaveNotice(const QString &text) override { notices << text; }
    QStringList notices;
};

class MenusTest : public ShellTest
{
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        launch();
    }
    QAction *item(const char *action) { return ui().mainMenu->itemForAction(QString::fromLatin1(action)); }
};

TEST(MainMenu, ItemsWithoutATargetStayDisabledAndValidatorsDecide)
{
    QMenuBar bar;
    MainMenu menu(&bar);
    QMenu *file = menu.menuTitled(QStringLiteral("File"));
    EXPECT_EQ(menu.menuTitled(QStringLiteral("File")), file);
    QAction *open = menu.addItem(file, QStringLiteral("Open"), QStringLiteral("openFile:"), {}, 7);
    EXPECT_FALSE(open->isEnabled());
    EXPECT_EQ(MainMenu::tag(open), 7);
    EXPECT_EQ(MainMenu::action(open), QStringLiteral("openFile:"));
    EXPECT_EQ(MainMenu::menuTitle(open), QStringLiteral("File"));

    bool allowed = false;
    int sent = 0;
    menu.setTarget(QStringLiteral("openFile:"), [&](QAction *) { ++sent; }, [&](QAction *) { return allowed; });
    EXPECT_FALSE(open->isEnabled());
    open->trigger();
    EXPECT_EQ(sent, 0);
    allowed = true;
    menu.validateMenu(file);
    EXPECT_TRUE(open->isEnabled());
    open->trigger();
    EXPECT_EQ(sent, 1);
    // A validator that changes its mind before a shortcut fires is asked again.
    allowed = false;
    open->trigger();
    EXPECT_EQ(sent, 1);
    EXPECT_FALSE(open->isEnabled());
}

TEST(MainMenu, ItsKeysReachItFromTheProgramsOtherWindowsButNotPastAModalPanel)
{
    QWidget window;
    auto *bar = new QMenuBar(&window);
    MainMenu menu(bar);
    QMenu *file = menu.menuTitled(QStringLiteral("File"));
    menu.addItem(file, QStringLiteral("Save"), QStringLiteral("save:"), QKeySequence(Qt::CTRL | Qt::Key_S));
    int saves = 0;
    menu.setTarget(QStringLiteral("save:"), [&](QAction *) { ++saves; });
    menu.validateAll();
    window.show();

    // A popover of a tool window, its field with the keyboard.
    QWidget inspector(&window, Qt::Tool);
    inspector.show();
    QWidget popover(&inspector, Qt::Tool | Qt::FramelessWindowHint);
    auto *field = new QLineEdit(&popover);
    popover.show();
    popover.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&popover));
    field->setFocus();
    QTest::keyClick(field, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(saves, 1);

    QDialog panel(&window);
    panel.setModal(true);
    panel.show();
    panel.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&panel));
    QTest::keyClick(&panel, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(saves, 1);
}

TEST_F(MenusTest, ThePreviewMenuOffersTheFullSizePreviewFirst)
{
    delegate->menuWillOpen(ui().previewMenu);
    const QList<QAction *> items = ui().previewMenu->actions();
    ASSERT_GE(items.size(), 2);
    EXPECT_EQ(items[0]->text(), QStringLiteral("Full Size Preview"));
    EXPECT_EQ(items[0]->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_W));
    EXPECT_EQ(MainMenu::tag(items[0]), 0);
    EXPECT_FALSE(items[0]->icon().isNull());
    EXPECT_TRUE(items[1]->isSeparator());
    items[0]->trigger();
    EXPECT_TRUE(delegate->isFullSizePreview());

    // Opening it again fills it anew.
    delegate->menuWillOpen(ui().previewMenu);
    EXPECT_EQ(ui().previewMenu->actions().size(), items.size());
}

TEST_F(MenusTest, ThePreviewMenusOwnItemSwitchesTheFullSizePreview)
{
    item("fullWebView:")->trigger();
    EXPECT_TRUE(delegate->isFullSizePreview());
    item("fullWebView:")->trigger();
    EXPECT_FALSE(delegate->isFullSizePreview());
}

TEST_F(MenusTest, ThePreviewButtonOfAWebPageOpensTheBrowserAndOfALocalPageItsMenu)
{
    Browser browser;
    FakePreview preview;
    project.preview = &preview;
    preview.address = QStringLiteral("https://example.org/index.html");
    ui().fullWebViewButton->click();
    EXPECT_EQ(browser.opened, QList<QUrl>{QUrl(QStringLiteral("https://example.org/index.html"))});
    EXPECT_FALSE(ui().previewMenu->isVisible());

    preview.address = QStringLiteral("file:///tmp/site/index.html");
    ui().fullWebViewButton->click();
    EXPECT_EQ(browser.opened.size(), 1);
    EXPECT_TRUE(ui().previewMenu->isVisible());
    ui().previewMenu->hide();
}

TEST_F(MenusTest, SaveAsksTheDomTreeThenTheRulesPanelThenTheFileViewer)
{
    FakeFileViewer viewer;
    delegate->setFileViewController(&viewer);
    QStringList posted;
    NotificationCenter &center = NotificationCenter::defaultCenter();
    center.addObserver(this, {}, delegate.get(), [&](const Notification &n) { posted << n.name; });
    item("save:")->trigger();
    center.removeObserver(this);
    EXPECT_EQ(posted, (QStringList{QStringLiteral("cssHasSavedByCommand"), QStringLiteral("htmlHasSavedByCommand")}));
    // The file the user sees chosen is saved too; with nothing unsaved, the
    // user is told so (#85).
    EXPECT_EQ(viewer.saves, 1);
    EXPECT_EQ(viewer.notices, QStringList{QStringLiteral("Nothing to save: no file is chosen.")});
}

TEST_F(MenusTest, TheHelpCommandsOpenTheTutorialAndItsIgnoreRulesSection)
{
    Browser browser;
    item("showHelp:")->trigger();
    item("openHelpIgnore:")->trigger();
    ASSERT_EQ(browser.opened.size(), 2);
    EXPECT_TRUE(browser.opened[0].path().endsWith(QStringLiteral("/tutorial.html")));
    EXPECT_EQ(browser.opened[1].fragment(), QStringLiteral("sec8_2"));
    EXPECT_EQ(browser.opened[1].adjusted(QUrl::RemoveFragment), browser.opened[0]);
}

TEST_F(MenusTest, EditCodePutsTheCaretIntoTheCodeView)
{
    FakeFileViewer viewer;
    EXPECT_FALSE(item("makeMainfirstResponder:")->isEnabled());
    delegate->setFileViewController(&viewer);
    ASSERT_TRUE(item("makeMainfirstResponder:")->isEnabled());
    viewer.text.setPlainText(QStringLiteral("<p>hello</p>"));
    QTextCursor cursor = viewer.text.textCursor();
    cursor.setPosition(3);
    cursor.setPosition(7, QTextCursor::KeepAnchor);
    viewer.text.setTextCursor(cursor);
    delegate->makeMainfirstResponder();
    EXPECT_FALSE(viewer.text.textCursor().hasSelection());
    EXPECT_EQ(viewer.text.textCursor().position(), 3);

    // A selection starting at the end of the text goes back to the start.
    cursor.setPosition(12);
    viewer.text.setTextCursor(cursor);
    delegate->makeMainfirstResponder();
    EXPECT_EQ(viewer.text.textCursor().position(), 0);
    delegate->setFileViewController(nullptr);
}

TEST_F(MenusTest, UndoAndRedoActOnTheSharedHistoryAndNameTheAction)
{
    InspectUndoManager *undo = delegate->sharedUndoManager();
    int value = 1;
    // An edit that registers its inverse, as every edit of the program does.
    std::function<void(int)> set = [&](int newValue) {
        const int old = value;
        undo->prepareWithInvocationTarget(delegate.get(), [&set, old] { set(old); });
        undo->setActionName(QStringLiteral("Edit Attributes"));
        value = newValue;
    };
    set(2);
    undo->loopEnd();
    ui().mainMenu->validateAll();
    ASSERT_TRUE(item("undo:")->isEnabled());
    EXPECT_EQ(item("undo:")->text(), QStringLiteral("Undo Edit Attributes"));
    item("undo:")->trigger();
    EXPECT_EQ(value, 1);
    EXPECT_FALSE(item("undo:")->isEnabled());
    ASSERT_TRUE(item("redo:")->isEnabled());
    EXPECT_EQ(item("redo:")->text(), QStringLiteral("Redo Edit Attributes"));
    item("redo:")->trigger();
    EXPECT_EQ(value, 2);
}

TEST_F(MenusTest, CaptureIsOfferedOnlyWithAPreviewAndWritesPng)
{
    EXPECT_FALSE(item("captureImage:")->isEnabled());
    FakePreview preview;
    project.preview = &preview;
    ui().mainMenu->validateAll();
    EXPECT_TRUE(item("captureImage:")->isEnabled());

    QTemporaryDir folder;
    QImage image(4, 3, QImage::Format_ARGB32);
    image.fill(Qt::red);
    const QString path = folder.filePath(QStringLiteral("capture.png"));
    EXPECT_TRUE(AppDelegate::writeCapture(image, path));
    const QImage read(path);
    EXPECT_EQ(read.size(), QSize(4, 3));
    EXPECT_FALSE(AppDelegate::writeCapture(QImage(), folder.filePath(QStringLiteral("empty.png"))));
    EXPECT_FALSE(AppDelegate::writeCapture(image, folder.filePath(QStringLiteral("missing/capture.png"))));
}

TEST_F(MenusTest, UsedFontFamiliesComeFromTheStyleSheetsOfThePage)
{
    QTemporaryDir folder;
    const QString first = folder.filePath(QStringLiteral("a.css"));
    const QString second = folder.filePath(QStringLiteral("b.css"));
    TestUtil::writeFile(first, "h1 { font-family: \"Open Sans\", serif; color: red }\n"
                               "p { font-family: Georgia }\n");
    TestUtil::writeFile(second, "@media print { p { font-family: 'Open Sans', serif } }\n"
                                "em { font-family: arial; }\n");
    File a(first, false, nullptr);
    File b(second, false, nullptr);
    a.parseStyleSheet();
    b.parseStyleSheet();
    FakeRulesPanel rules;
    rules.files = {&a, &b};
    delegate->setCssOutlineDelegate(&rules);
    EXPECT_EQ(delegate->getUsedFontFamilies(),
              (QStringList{QStringLiteral("arial"), QStringLiteral("Georgia"), QStringLiteral("Open Sans, serif")}));
    delegate->setCssOutlineDelegate(nullptr);
}

TEST(UsedFontFamilies, TakeEachValueWholeWithoutQuotesOnceAndSorted)
{
    const QStringList values = {
        QStringLiteral("\"Helvetica Neue\", Arial"),
        QStringLiteral("'Helvetica Neue', Arial"),
        QStringLiteral("georgia"),
        QStringLiteral("Courier"),
    };
    EXPECT_EQ(AppDelegate::usedFontFamilies(values),
              (QStringList{QStringLiteral("Courier"), QStringLiteral("georgia"), QStringLiteral("Helvetica Neue, Arial")}));
}

} // namespace

#include "AppDelegateMenusTest.moc"
