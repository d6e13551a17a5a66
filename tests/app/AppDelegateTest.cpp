#include "ShellTestSupport.h"

#include "app/EXWindow.h"
#include "app/MainMenu.h"
#include "app/SplitViewDelegation.h"
#include "app/WindowFrame.h"
#include "app/WindowPlacement.h"

#include "platform/foundation/Log.h"
#include "platform/foundation/SettingsFile.h"
#include "platform/kit/SplitView.h"

#include "TestUtil.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QScreen>
#include <QTemporaryDir>
#include <QToolButton>

namespace {

using LaunchTest = ShellTest;

TEST_F(LaunchTest, FirstRunOffersTheTutorialProjectOnceAndTheNextRunNothing)
{
    launch();
    EXPECT_EQ(project.calls.count(QStringLiteral("confirmDownloadTurtorialProject")), 1);
    EXPECT_FALSE(UserDefaults::standardUserDefaults().boolForKey(QStringLiteral("firstLaunch")));

    project.calls.clear();
    delegate.reset();
    launch();
    EXPECT_FALSE(project.calls.contains(QStringLiteral("confirmDownloadTurtorialProject")));
}

TEST_F(LaunchTest, ShowsTheInspectorPanelOnlyWhenItWasVisible)
{
    launch();
    EXPECT_TRUE(ui().window->isVisible());
    EXPECT_TRUE(ui().cssInspector->isVisible());
    EXPECT_TRUE(ui().styleInspectorButton->isChecked());
    delegate.reset();

    UserDefaults::standardUserDefaults().setBool(false, QStringLiteral("inspectorVisible"));
    launch();
    EXPECT_FALSE(ui().cssInspector->isVisible());
    EXPECT_FALSE(ui().styleInspectorButton->isChecked());
    // Hidden, but still a child window of the main window.
    EXPECT_TRUE(delegate->isInspectorAttached());
}

TEST_F(LaunchTest, StartsWithTheKeyframePaneCollapsedAndTheRulerLabelled)
{
    launch();
    EXPECT_TRUE(ui().domTreePaneSplitView->isSubviewCollapsed(ui().keyframePane));
    EXPECT_FALSE(ui().keyframePaneExpandButton->isChecked());
    const QList<QLabel *> labels = ui().rulerLabelView->findChildren<QLabel *>();
    ASSERT_EQ(labels.size(), 50);
    EXPECT_EQ(labels.last()->text(), QStringLiteral("4900"));
}

TEST_F(LaunchTest, CommandsOfControllersNotInstalledAreDisabled)
{
    launch();
    MainMenu &menu = *ui().mainMenu;
    for (const char *action : {"addProject:", "createHtml:", "reloadPage:", "showDOMNodeTree:",
                               "downloadTurtrialProject:", "makeMainfirstResponder:"}) {
        QAction *item = menu.itemForAction(QString::fromLatin1(action));
        ASSERT_NE(item, nullptr) << action;
        EXPECT_FALSE(item->isEnabled()) << action;
    }
    for (const char *action : {"save:", "toggleLeftview:", "fullWebView:", "openSidewebview:", "showHelp:"}) {
        QAction *item = menu.itemForAction(QString::fromLatin1(action));
        ASSERT_NE(item, nullptr) << action;
        EXPECT_TRUE(item->isEnabled()) << action;
    }
    // Installing a controller's target enables its items.
    menu.setTarget(QStringLiteral("downloadTurtrialProject:"), [](QAction *) {});
    EXPECT_TRUE(ui().downloadTurtorialMenuItem->isEnabled());
}

// What became of a damaged settings file, or one that cannot be read, is
// told over the window (#80): what was told before the window was there
// too, and what is told together in one alert.
TEST_F(LaunchTest, SettingsFilesThatCouldNotBeUsedAreToldInOneAlert)
{
    SettingsFile::resetForTesting();
    QTemporaryDir dir;
    const QString damaged = dir.filePath(QStringLiteral("damaged.plist"));
    ASSERT_TRUE(TestUtil::writeFile(damaged, "garbage"));
    SettingsFile::setAside(damaged, QStringLiteral("The test file"), QStringLiteral("garbage"),
                           QStringLiteral("the test goes on"));
    AlertAnswers answers({QStringLiteral("OK")});
    launch();
    SettingsFile::leaveAlone(dir.filePath(QStringLiteral("unread.plist")), QStringLiteral("The other file"),
                             QStringLiteral("Permission denied"), QStringLiteral("the test goes on"));
    EXPECT_TRUE(TestUtil::waitUntil([&] { return !answers.messages.isEmpty(); }));
    EXPECT_EQ(answers.messages, QStringList{QStringLiteral("2 settings files could not be used.")});
    ASSERT_EQ(answers.informativeTexts.size(), 1);
    EXPECT_TRUE(answers.informativeTexts[0].contains(damaged + QStringLiteral(".bak")));
    EXPECT_TRUE(answers.informativeTexts[0].contains(QStringLiteral("unread.plist cannot be read (Permission denied)")));
    SettingsFile::resetForTesting();
}

// --- Quitting -------------------------------------------------------------------------

TEST_F(LaunchTest, ClosingTheMainWindowWithNothingModifiedAsksQuitOrCancel)
{
    launch();
    AlertAnswers answers({QStringLiteral("Cancel")});
    EXPECT_FALSE(ui().window->close());
    ASSERT_EQ(answers.messages, QStringList{QStringLiteral("Are you sure you want to quit Quillmark?")});
    EXPECT_EQ(answers.buttons, QStringList{QStringLiteral("Quit|Cancel")});
    EXPECT_TRUE(ui().window->isVisible());
    EXPECT_FALSE(project.calls.contains(QStringLiteral("saveOnQuit")));
}

TEST_F(LaunchTest, QuitClosesTheMainWindowWithoutSaving)
{
    launch();
    project.modified = true;
    AlertAnswers answers({QStringLiteral("Quit")});
    EXPECT_TRUE(ui().window->close());
    EXPECT_EQ(answers.buttons, QStringList{QStringLiteral("Quit|Save And Quit|Cancel")});
    EXPECT_FALSE(project.calls.contains(QStringLiteral("saveOnQuit")));
}

// Return out of habit must not lose the work (#80).
TEST_F(LaunchTest, WithModifiedFilesReturnSavesAndQuitsAndTheQuestionSaysHowManyAreUnsaved)
{
    launch();
    project.modified = true;
    project.modifiedCount = 3;
    AlertAnswers answers({QStringLiteral("Return")});
    EXPECT_TRUE(ui().window->close());
    EXPECT_EQ(answers.buttons, QStringList{QStringLiteral("Quit|Save And Quit|Cancel")});
    EXPECT_EQ(project.calls.count(QStringLiteral("saveOnQuit")), 1);
    ASSERT_EQ(answers.informativeTexts.size(), 1);
    EXPECT_TRUE(answers.informativeTexts[0].startsWith(QStringLiteral("3 files have unsaved changes.")))
        << answers.informativeTexts[0].toStdString();

    // Nothing unsaved: Return quits, and nothing is said of files.
    delegate.reset();
    launch();
    AlertAnswers again({QStringLiteral("Return")});
    EXPECT_TRUE(ui().window->close());
    EXPECT_EQ(again.informativeTexts, QStringList{QString()});
    EXPECT_EQ(project.calls.count(QStringLiteral("saveOnQuit")), 1);
}

TEST_F(LaunchTest, SaveAndQuitSavesThenQuitsOnceTheLastWindowHasClosed)
{
    launch();
    project.modified = true;
    AlertAnswers answers({QStringLiteral("Save And Quit")});
    EXPECT_TRUE(ui().window->close());
    EXPECT_EQ(project.calls.count(QStringLiteral("saveOnQuit")), 1);
    EXPECT_FALSE(delegate->isTerminating());
    Q_EMIT qApp->lastWindowClosed();
    EXPECT_TRUE(delegate->isTerminating());
}

TEST_F(LaunchTest, CancelWithModifiedFilesNeitherSavesNorQuits)
{
    launch();
    project.modified = true;
    AlertAnswers answers({QStringLiteral("Cancel")});
    EXPECT_FALSE(ui().window->close());
    EXPECT_FALSE(project.calls.contains(QStringLiteral("saveOnQuit")));
    EXPECT_TRUE(ui().window->isVisible());
}

TEST_F(LaunchTest, SaveAndQuitThatCannotSaveStaysOpenAndNamesTheFile)
{
    launch();
    project.modified = true;
    project.onSave = [] {}; // the disk refuses: the files stay modified
    project.saveFailures = {QStringLiteral("site.css: No space left on device")};
    AlertAnswers answers({QStringLiteral("Save And Quit"), QStringLiteral("OK")});
    EXPECT_FALSE(ui().window->close());
    // The question once, then what went wrong; never the question again.
    ASSERT_EQ(answers.messages.size(), 2);
    EXPECT_EQ(answers.buttons[1], QStringLiteral("OK"));
    EXPECT_NE(answers.messages[1].indexOf(QStringLiteral("stays open")), -1);
    EXPECT_NE(answers.informativeTexts[1].indexOf(QStringLiteral("site.css: No space left on device")), -1)
        << answers.informativeTexts[1].toStdString();
    EXPECT_EQ(project.calls.count(QStringLiteral("saveOnQuit")), 1);
    EXPECT_TRUE(ui().window->isVisible());
    EXPECT_FALSE(delegate->isTerminating());
}

// The window system may deliver one close of the main window twice (openbox
// does for Alt+F4 under Qt 6.4), and quitting closes the windows once more:
// once the user settled on quitting, a close that follows asks nothing.
TEST_F(LaunchTest, SaveAndQuitIsAskedOnceEvenWhenTheCloseComesTwice)
{
    launch();
    project.modified = true;
    AlertAnswers answers({QStringLiteral("Save And Quit")});
    EXPECT_TRUE(ui().window->close());
    QCloseEvent again;
    QApplication::sendEvent(ui().window, &again);
    EXPECT_TRUE(again.isAccepted());
    EXPECT_EQ(answers.messages, QStringList{QStringLiteral("Are you sure you want to quit Quillmark?")});
    EXPECT_EQ(project.calls.count(QStringLiteral("saveOnQuit")), 1);
    Q_EMIT qApp->lastWindowClosed();
    EXPECT_TRUE(delegate->isTerminating());
}

TEST_F(LaunchTest, OtherWindowsCloseWithoutAsking)
{
    launch();
    AlertAnswers answers({});
    delegate->openSidewebview();
    EXPECT_TRUE(ui().navigator->close());
    EXPECT_TRUE(ui().cssInspector->close());
    EXPECT_TRUE(answers.messages.isEmpty());
}

TEST_F(LaunchTest, QuitCommandGoesThroughTheConfirmation)
{
    launch();
    AlertAnswers answers({QStringLiteral("Cancel")});
    ui().mainMenu->itemForAction(QStringLiteral("terminate:"))->trigger();
    EXPECT_EQ(answers.messages.size(), 1);
    EXPECT_TRUE(ui().window->isVisible());
}

TEST_F(LaunchTest, QuittingRecordsTheSixPaneSizesWithCollapsedPanesAsOne)
{
    launch();
    delegate->toggleSlide(0); // the left column collapses
    ASSERT_TRUE(ui().globalSplitView->isSubviewCollapsed(ui().leftPaneSplitView));
    EXPECT_TRUE(delegate->applicationShouldTerminateAfterLastWindowClosed());

    UserDefaults &defaults = UserDefaults::standardUserDefaults();
    EXPECT_EQ(defaults.floatForKey(QStringLiteral("lastLeftPaneWidth")), 1.0f);
    EXPECT_EQ(defaults.floatForKey(QStringLiteral("lastCenterPaneWidth")), float(ui().centerPaneSplitView->width()));
    EXPECT_EQ(defaults.floatForKey(QStringLiteral("lastLeftPaneHeight")), float(ui().leftTopPane->height()));
    EXPECT_EQ(defaults.floatForKey(QStringLiteral("lastCenterPaneHeight")), float(ui().centerTopPane->height()));
    EXPECT_EQ(defaults.floatForKey(QStringLiteral("lastRightPaneHeight")), float(ui().rightTopPane->height()));
    EXPECT_EQ(defaults.floatForKey(QStringLiteral("lastKeyframePaneHeight")), 1.0f);

    delegate->toggleSlide(0);
    delegate->applicationShouldTerminateAfterLastWindowClosed();
    EXPECT_EQ(defaults.floatForKey(QStringLiteral("lastLeftPaneWidth")), float(ui().leftPaneSplitView->width()));
    EXPECT_EQ(defaults.floatForKey(QStringLiteral("lastCenterPaneWidth")),
              float(ui().leftPaneSplitView->width() + ui().centerPaneSplitView->width()));
}

// --- Window frames -----------------------------------------------------------------------

TEST_F(LaunchTest, PlacesTheWindowsAtTheirSavedFramesMeasuredFromTheBottom)
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    UserDefaults &defaults = UserDefaults::standardUserDefaults();
    defaults.setObject(QString::asprintf("10 20 600 400 0 0 %d %d", screen.width(), screen.height()),
                       QStringLiteral("NSWindow Frame mainWindow"));
    launch();
    // A frame is the window with the decoration the window system gives it.
    EXPECT_EQ(WindowPlacement::decoratedFrame(ui().window), QRect(10, screen.height() - 20 - 400, 600, 400));
    EXPECT_NE(ui().window->geometry(), WindowPlacement::decoratedFrame(ui().window));
    // The fallback docks the panel at the right edge, the screen's height.
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(WindowPlacement::decoratedFrame(ui().cssInspector),
              QRect(available.right() - 299, available.top(), 300, available.height()));

    ui().window->setGeometry(30, 40, 500, 300);
    const std::optional<WindowFrame> saved =
        WindowFrame::fromString(defaults.stringForKey(QStringLiteral("NSWindow Frame mainWindow")));
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->frame, WindowFrame::unflipped(WindowPlacement::decoratedFrame(ui().window), screen));
}

TEST_F(LaunchTest, AnUnreadableFrameFallsBackToTheDefaultAndAFrameOffTheScreenComesOntoIt)
{
    UserDefaults &defaults = UserDefaults::standardUserDefaults();
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    defaults.setObject(QStringLiteral("10 20 abc"), QStringLiteral("NSWindow Frame mainWindow"));
    // Saved on a screen that is gone.
    defaults.setObject(QStringLiteral("9000 9000 280 500 0 0 800 600"), QStringLiteral("NSWindow Frame StyleInspector"));
    launch();
    EXPECT_EQ(WindowPlacement::decoratedFrame(ui().window), available.adjusted(0, 0, -302, 0));
    EXPECT_EQ(WindowPlacement::decoratedFrame(ui().cssInspector),
              QRect(available.right() - 279, available.top(), 280, 500));
}

TEST(WindowPlacement, FitsAFrameIntoTheAreaMovingItAndShrinkingItWhereItIsLarger)
{
    const QRect area(0, 30, 1280, 770);
    const struct
    {
        const char *name;
        QRect frame;
        QRect fitted;
    } rows[] = {
        {"inside", QRect(100, 100, 400, 300), QRect(100, 100, 400, 300)},
        {"above", QRect(100, -260, 400, 300), QRect(100, 30, 400, 300)},
        {"left and below", QRect(-50, 700, 400, 300), QRect(0, 500, 400, 300)},
        {"right", QRect(1200, 100, 400, 300), QRect(880, 100, 400, 300)},
        {"larger", QRect(200, 0, 1618, 1060), area},
        {"wider", QRect(2100, 100, 1300, 200), QRect(0, 100, 1280, 200)},
    };
    for (const auto &row : rows)
        EXPECT_EQ(WindowPlacement::fitted(row.frame, area), row.fitted) << row.name;
}

TEST(WindowPlacement, FitsFramesThatStoodTogetherAsAGroupKeepingTheirArrangement)
{
    const struct
    {
        const char *name;
        QRect area;
        QList<QRect> frames;
        QList<QRect> fitted;
    } rows[] = {
        // The panel keeps its width and the gap; the main window gives up the rest.
        {"docked at 1920x1080, on 1280x800", QRect(0, 0, 1280, 800), {QRect(0, 0, 1618, 1080), QRect(1620, 0, 300, 1080)},
         {QRect(0, 0, 978, 800), QRect(980, 0, 300, 800)}},
        {"side by side on a larger screen", QRect(0, 0, 1920, 1080), {QRect(0, 0, 978, 600), QRect(980, 0, 300, 500)},
         {QRect(0, 0, 978, 600), QRect(980, 0, 300, 500)}},
        // Over the main window's right end, the panel stays there.
        {"floating over the main window", QRect(0, 0, 1280, 800), {QRect(0, 0, 1920, 1080), QRect(1640, 0, 280, 648)},
         {QRect(0, 0, 1280, 800), QRect(1000, 0, 280, 400)}},
        // Apart on both axes, each is fitted on its own.
        {"far apart", QRect(0, 0, 800, 600), {QRect(0, 0, 600, 400), QRect(9000, -8900, 280, 500)},
         {QRect(0, 0, 600, 400), QRect(520, 0, 280, 500)}},
        {"right of the area", QRect(0, 30, 1280, 770), {QRect(1500, 100, 400, 300), QRect(1910, 100, 200, 300)},
         {QRect(670, 100, 400, 300), QRect(1080, 100, 200, 300)}},
    };
    for (const auto &row : rows)
        EXPECT_EQ(WindowPlacement::fittedTogether(row.frames, row.area), row.fitted) << row.name;
}

TEST(WindowFrame, ReadsAndWritesTheEightNumbersInTheCLocale)
{
    const std::optional<WindowFrame> frame = WindowFrame::fromString(QStringLiteral("1.5 2 300 400 0 0 1280 800"));
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->frame, QRectF(1.5, 2, 300, 400));
    EXPECT_EQ(frame->screen, QRectF(0, 0, 1280, 800));
    EXPECT_EQ(frame->toString(), QStringLiteral("1.500000 2.000000 300.000000 400.000000 0.000000 0.000000 1280.000000 800.000000"));
    EXPECT_FALSE(WindowFrame::fromString(QStringLiteral("1 2 3 4 5 6 7")));
    EXPECT_FALSE(WindowFrame::fromString(QStringLiteral("1 2 0 4 5 6 7 8")));
    EXPECT_FALSE(WindowFrame::fromString(QStringLiteral("1,5 2 3 4 5 6 7 8")));
    EXPECT_FALSE(WindowFrame::fromString(QStringLiteral("nan 2 3 4 5 6 7 8")));
}

TEST(WindowFrame, FlipsBetweenBottomLeftAndTopLeftOrigins)
{
    const QRect primary(0, 0, 1280, 800);
    const QRect geometry(100, 50, 400, 300);
    const QRectF flipped = WindowFrame::unflipped(geometry, primary);
    EXPECT_EQ(flipped, QRectF(100, 450, 400, 300));
    EXPECT_EQ(WindowFrame::flipped(flipped, primary), geometry);
    // A screen to the right whose top is lower than the primary's.
    EXPECT_EQ(WindowFrame::fromGeometry(QRect(1300, 100, 10, 10), QRect(1280, 100, 800, 600), primary).screen,
              QRectF(1280, 100, 800, 600));
}

TEST(AppDelegateDefaults, RegisterFramesMeasuredFromTheScreensBottomLeftCorner)
{
    const QVariantMap defaults = AppDelegate::defaultValues();
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    const auto main = WindowFrame::fromString(defaults.value(QStringLiteral("NSWindow Frame mainWindow")).toString());
    const auto panel = WindowFrame::fromString(defaults.value(QStringLiteral("NSWindow Frame StyleInspector")).toString());
    ASSERT_TRUE(main && panel);
    // The first launch docks the panel beside the main window.
    EXPECT_EQ(main->geometry(screen), available.adjusted(0, 0, -302, 0));
    EXPECT_EQ(panel->geometry(screen), QRect(available.right() - 299, available.top(), 300, available.height()));
}

} // namespace
