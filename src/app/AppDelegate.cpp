#include "AppDelegate.h"

#include "Controllers.h"
#include "EXWindow.h"
#include "MainMenu.h"
#include "PanePlaceholder.h"
#include "ProjectDelegate.h"
#include "ShellProbe.h"
#include "WindowFrame.h"
#include "WindowPlacement.h"

#include "cssvalues/CSSSelectorValidator.h"
#include "foundation/BalkInvocationManager.h"
#include "foundation/InspectUndoManager.h"
#include "foundation/Reachability.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/SettingsFile.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/kit/Alert.h"
#include "platform/kit/EventMonitor.h"
#include "platform/kit/SplitView.h"
#include "workspace/File.h"


#include <QApplication>
#include <QColorDialog>
#include <QHash>
#include <QKeyEvent>
#include <QPointer>
#include <QScreen>
#include <QStandardPaths>
#include <QThreadPool>
#include <QTimer>
#include <QToolButton>

#include <algorithm>

static AppDelegate *s_instance = nullptr;

static const QString kMainWindowFrameKey = QStringLiteral("NSWindow Frame mainWindow");
static const QString kInspectorFrameKey = QStringLiteral("NSWindow Frame StyleInspector");

// The primary screen's frame and the part of it windows may use.
static QRect primaryScreenGeometry()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry() : QRect();
}

static QRect primaryScreenAvailableGeometry()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

QVariantMap AppDelegate::defaultValues()
{
    // Frames are kept measured from the screen's bottom-left corner.
    const QRect full = primaryScreenGeometry();
    // The first launch shows the docked layout: the panel beside the main
    // window, over no part of it.
    const QRect available = primaryScreenAvailableGeometry();
    const QRectF visible = WindowFrame::unflipped(available.adjusted(0, 0, -302, 0), full);
    const QRectF screen = WindowFrame::unflipped(full, full);
    const QRectF inspector = WindowFrame::unflipped(
        QRect(available.x() + available.width() - 300, available.y(), 300, available.height()), full);
    return {
        {QStringLiteral("WebKitDeveloperExtras"), 0},
        {QStringLiteral("rootPathes"), QVariantMap()},
        {QStringLiteral("firstLaunch"), 1},
        {QStringLiteral("inspectorVisible"), 1},
        {QStringLiteral("rulerActive"), 1},
        {kMainWindowFrameKey, WindowFrame{visible, screen}.toString()},
        {kInspectorFrameKey, WindowFrame{inspector, screen}.toString()},
    };
}

void AppDelegate::initialize()
{
    UserDefaults &defaults = UserDefaults::standardUserDefaults();
    defaults.registerDefaults(defaultValues());
    defaults.synchronize();
}

AppDelegate::AppDelegate()
{
    s_instance = this;

    m_reachability = Reachability::reachabilityForInternetConnection();
    NotificationCenter::defaultCenter().addObserver(this, QStringLiteral("kReachabilityChangedNotification"),
                                                    nullptr, [this](const Notification &) { networkStatusChange(); });
    m_reachability->startNotifier();
    m_isOnline = m_reachability->isReachable();
    File::setOnlineStateProvider([] {
        AppDelegate *delegate = AppDelegate::instance();
        return !delegate || delegate->isInternetAvail();
    });
    File::setUndoManagerProvider([] {
        AppDelegate *delegate = AppDelegate::instance();
        return delegate ? delegate->sharedUndoManager() : nullptr;
    });
    File::setPendingWritesRunner([] {
        if (AppDelegate *delegate = AppDelegate::instance(); delegate && delegate->m_balkInvocationManager)
            delegate->m_balkInvocationManager->flush();
    });

    moveOrResizeInspectorCheck();
}

AppDelegate::~AppDelegate()
{
    EventMonitor::removeMonitor(m_keyMonitor);
    NotificationCenter::defaultCenter().removeObserver(this);
    SettingsFile::setListener({});
    if (m_validatorQueue)
        m_validatorQueue->waitForDone();
    if (s_instance == this)
        s_instance = nullptr;
}

AppDelegate *AppDelegate::instance()
{
    return s_instance;
}

QWidget *AppDelegate::window() const
{
    return m_ui.window;
}

void AppDelegate::setProjectController(ProjectDelegateInterface *controller)
{
    m_projectController = controller;
    if (m_ui.window) {
        m_ui.window->setProjectDelegate(controller);
        m_ui.mainMenu->validateAll();
    }
}

void AppDelegate::setFileViewController(FileViewControllerInterface *controller)
{
    m_fileViewController = controller;
    if (m_ui.mainMenu)
        m_ui.mainMenu->validateAll();
}

QWidget *AppDelegate::finderView() const
{
    if (m_projectController) {
        if (QWidget *view = m_projectController->finderView())
            return view;
    }
    return m_ui.fileTreePane;
}

void AppDelegate::networkStatusChange()
{
    m_isOnline = m_reachability->isReachable();
    QM_DEBUG(m_isOnline ? QStringLiteral("Online") : QStringLiteral("Offline"));
}

// --- Interface -------------------------------------------------------------------

void AppDelegate::loadInterface()
{
    if (m_interfaceLoaded)
        return;
    m_interfaceLoaded = true;
    // Without a desktop that names an icon theme (a bare window manager, the
    // offscreen platform), files and folders still get the freedesktop icons.
    // A bare window manager may name "hicolor", which has no icons for them.
    if (QIcon::themeName().isEmpty() || !QIcon::hasThemeIcon(QStringLiteral("folder"))) {
        QStringList searchPaths = QIcon::themeSearchPaths();
        for (const QString &folder :
             QStandardPaths::locateAll(QStandardPaths::GenericDataLocation, QStringLiteral("icons"),
                                       QStandardPaths::LocateDirectory)) {
            if (!searchPaths.contains(folder))
                searchPaths.append(folder);
        }
        QIcon::setThemeSearchPaths(searchPaths);
        for (const QString &theme : {QStringLiteral("Adwaita"), QStringLiteral("breeze"), QStringLiteral("hicolor")}) {
            if (!QStandardPaths::locate(QStandardPaths::GenericDataLocation, QStringLiteral("icons/") + theme,
                                        QStandardPaths::LocateDirectory).isEmpty()) {
                QIcon::setThemeName(theme);
                break;
            }
        }
    }
    m_ui.setupUi();
    connectInterface();
    placeWindows();
    // The main window is shown as the interface loads; the rest of launching
    // follows in applicationDidFinishLaunching().
    m_ui.window->show();
}

void AppDelegate::connectInterface()
{
    for (QWidget *window : {static_cast<QWidget *>(m_ui.window), m_ui.cssInspector, m_ui.navigator})
        window->installEventFilter(this);
    Controllers::install(*this);

    // Quitting follows the last window's closing.
    qApp->setQuitOnLastWindowClosed(false);
    connect(qApp, &QGuiApplication::lastWindowClosed, this, [this] {
        if (applicationShouldTerminateAfterLastWindowClosed())
            terminate();
    });

    connectPanes();
    connectMenus();
}

void AppDelegate::placeWindows()
{
    const QRect primary = primaryScreenGeometry();
    const QVariantMap fallbacks = defaultValues();
    UserDefaults &defaults = UserDefaults::standardUserDefaults();

    // A saved frame is the window with its decoration, with the screen it
    // was saved on.
    struct Saved
    {
        QWidget *window;
        QString key;
        WindowFrame frame;
        // Null when that screen is gone.
        QScreen *screen;
    };
    QList<Saved> saved;
    for (const auto &[window, key] : {std::pair<QWidget *, QString>{m_ui.window, kMainWindowFrameKey},
                                      std::pair<QWidget *, QString>{m_ui.cssInspector, kInspectorFrameKey}}) {
        const QString text = defaults.stringForKey(key);
        std::optional<WindowFrame> frame = WindowFrame::fromString(text);
        if (!frame) {
            QM_ERROR(QStringLiteral("unreadable window frame \"%1\" under \"%2\"; using the default").arg(text, key));
            frame = WindowFrame::fromString(fallbacks.value(key).toString());
        }
        if (frame)
            saved.append({window, key, *frame, WindowPlacement::screenWithGeometry(WindowFrame::flipped(frame->screen, primary))});
    }

    // Windows whose screens are gone go to the primary screen, each where it
    // stood from the top-left corner of the screens they were saved on (a
    // window at the top of a smaller screen stays at the top of a larger
    // one). The windows of one screen are then fitted onto it together, so
    // that their arrangement holds.
    QRectF goneScreens;
    for (const Saved &entry : saved) {
        if (!entry.screen)
            goneScreens = goneScreens.united(entry.frame.screen);
    }
    QScreen *primaryScreen = QGuiApplication::primaryScreen();
    // The panes keep the places the last run left them on the screen it ran
    // on; on another screen they take the proportions of a first launch.
    m_panesKept = defaults.hasStoredValue(kMainWindowFrameKey) && !saved.isEmpty() && saved.first().window == m_ui.window
        && saved.first().screen;
    // Windows docked on a screen that is gone are docked on the new one, as
    // a first launch docks them, at its size.
    if (saved.size() == 2 && !saved[0].screen && !saved[1].screen && saved[0].frame.screen == saved[1].frame.screen
        && isDockedLayout(saved[0].frame.geometry(primary), saved[1].frame.geometry(primary),
                          WindowFrame::flipped(saved[0].frame.screen, primary))) {
        const QRect screen = primaryScreen ? primaryScreen->availableGeometry() : QRect();
        QM_INFO(QStringLiteral("windows docked on a screen of another size docked on this one"));
        WindowPlacement::place(m_ui.window, dockedMainWindowOuterFrame(screen));
        WindowPlacement::place(m_ui.cssInspector, dockedInspectorOuterFrame(screen));
        return;
    }
    QHash<QScreen *, QList<qsizetype>> byScreen;
    QList<QRect> frames;
    for (qsizetype i = 0; i < saved.size(); ++i) {
        const Saved &entry = saved[i];
        QScreen *screen = entry.screen ? entry.screen : primaryScreen;
        QRect frame = entry.frame.geometry(primary);
        if (!entry.screen) {
            const QPointF offset(entry.frame.frame.x() - goneScreens.x(),
                                 goneScreens.y() + goneScreens.height() - entry.frame.frame.y() - entry.frame.frame.height());
            frame.moveTopLeft((screen ? screen->geometry().topLeft() : QPoint()) + offset.toPoint());
        }
        frames.append(frame);
        byScreen[screen].append(i);
    }
    for (auto it = byScreen.cbegin(); it != byScreen.cend(); ++it) {
        QList<QRect> together;
        for (const qsizetype i : it.value())
            together.append(frames[i]);
        together = WindowPlacement::fittedTogether(together, it.key() ? it.key()->availableGeometry() : QRect());
        for (qsizetype k = 0; k < together.size(); ++k)
            frames[it.value()[k]] = together[k];
    }
    for (qsizetype i = 0; i < saved.size(); ++i) {
        if (frames[i] != saved[i].frame.geometry(primary))
            QM_INFO(QStringLiteral("window frame under \"%1\" moved onto the screen").arg(saved[i].key));
        WindowPlacement::place(saved[i].window, frames[i]);
    }
}

void AppDelegate::saveWindowFrame(QWidget *window)
{
    // Only the windows whose frames the defaults keep, and only while shown:
    // a closed window keeps the frame it was closed at.
    QString key;
    if (window == m_ui.window)
        key = kMainWindowFrameKey;
    else if (window == m_ui.cssInspector)
        key = kInspectorFrameKey;
    if (key.isEmpty() || !window->isVisible())
        return;
    const QRect primary = primaryScreenGeometry();
    const QScreen *screen = window->screen();
    const QRect screenGeometry = screen ? screen->geometry() : primary;
    UserDefaults::standardUserDefaults().setObject(
        WindowFrame::fromGeometry(WindowPlacement::decoratedFrame(window), screenGeometry, primary).toString(), key);
}

bool AppDelegate::eventFilter(QObject *watched, QEvent *event)
{
    auto *window = qobject_cast<QWidget *>(watched);
    if (!window)
        return false;
    switch (event->type()) {
    case QEvent::Close:
        if (!windowShouldClose(window)) {
            event->ignore();
            return true;
        }
        windowWillClose(window);
        return false;
    case QEvent::Move:
        saveWindowFrame(window);
        windowDidMove(window);
        return false;
    case QEvent::Resize:
        saveWindowFrame(window);
        windowDidResize(window);
        return false;
    case QEvent::WindowActivate:
        windowDidBecomeKey(window);
        return false;
    case QEvent::WindowDeactivate:
        windowDidResignKey(window);
        return false;
    default:
        return false;
    }
}

// --- Launching ---------------------------------------------------------------------

void AppDelegate::applicationDidFinishLaunching()
{
    loadInterface();
    UserDefaults &defaults = UserDefaults::standardUserDefaults();

    // Building the selector grammar takes a while: a queue of its own does it
    // while the window comes up; the validator announces the end itself.
    m_validatorQueue = std::make_unique<QThreadPool>();
    m_validatorQueue->setMaxThreadCount(1);
    m_validatorQueue->start([] { CSSSelectorValidator::getInstance(); });
    // The shared URL cache belongs to the preview, which empties it before
    // every request it sends.

    balkInvocationManager();

    if (defaults.boolForKey(QStringLiteral("inspectorVisible")))
        m_ui.styleInspectorButton->click();

    if (defaults.boolForKey(QStringLiteral("firstLaunch"))) {
        // Stored before the log line, so a run killed right after it is not
        // taken for a first launch again.
        defaults.setInteger(0, QStringLiteral("firstLaunch"));
        defaults.synchronize();
        QM_INFO(QStringLiteral("first launched"));
        // The question is a panel over the main window: it opens once the
        // window stands on the screen, and has the keyboard there.
        QPointer<AppDelegate> self(this);
        WindowPlacement::whenPlaced(m_ui.window, [self] {
            if (self && self->m_projectController)
                self->m_projectController->confirmDownloadTurtorialProject();
        });
    } else {
        QM_INFO(QStringLiteral("launched"));
    }
    ShellProbe::startIfAsked(*this);
    // Settings files read before now (the user defaults) are told too.
    SettingsFile::setListener([this](const QString &message) { tellSettingsFileProblem(message); });

    // The keyframe pane starts collapsed.
    moveDivider(m_ui.domTreePaneSplitView, m_ui.domTreePaneSplitView->height(), 0);
    rememberRestoreFrames();
    QPointer<AppDelegate> self(this);
    WindowPlacement::whenPlaced(m_ui.window, [self] {
        if (!self)
            return;
        self->sizePanesAtLaunch();
        self->rememberRestoreFrames();
        self->placeProjectSettingScroller();
    });

    NotificationCenter &center = NotificationCenter::defaultCenter();
    center.addObserver(this, QStringLiteral("selectNodeMode"), nullptr,
                       [this](const Notification &) { selectNodeMode(); });
    center.addObserver(this, QStringLiteral("elementPicked"), nullptr,
                       [this](const Notification &) { elementPicked(); });
    createRuleLabel();
    // "Download Tutorial..." is enabled once its target, the project
    // controller, has installed itself.
    m_ui.mainMenu->validateAll();

    m_ui.window->activateWindow();
    attachInspectorToMainWindow();
    m_ui.window->raise();
    m_ui.window->activateWindow();
    if (QWidget *tree = finderView())
        tree->setFocus(Qt::OtherFocusReason);

    center.addObserver(this, QStringLiteral("bottomContentChanged"), nullptr,
                       [this](const Notification &) { bottomContentChanged(); });
    installKeyMonitor();
}

void AppDelegate::installKeyMonitor()
{
    EventMonitor::removeMonitor(m_keyMonitor);
    m_keyMonitor = EventMonitor::addLocalMonitorForEventsMatchingMask(
        EventMonitor::maskFor(EventMonitor::FlagsChanged), [this](QEvent *event) {
            auto *key = static_cast<QKeyEvent *>(event);
            // The modifiers of a modifier key's own event may or may not count
            // the key itself: take them as they are after the event.
            Qt::KeyboardModifiers modifiers = key->modifiers();
            Qt::KeyboardModifier own = Qt::NoModifier;
            if (key->key() == Qt::Key_Alt)
                own = Qt::AltModifier;
            else if (key->key() == Qt::Key_Control)
                own = Qt::ControlModifier;
            if (own != Qt::NoModifier)
                modifiers.setFlag(own, event->type() == QEvent::KeyPress);
            if ((modifiers & Qt::AltModifier) && (modifiers & Qt::ControlModifier))
                invisibleCSSInspector();
            else
                visibleCSSInspector();
            return true;
        });
}

// --- Quitting ------------------------------------------------------------------------

bool AppDelegate::windowShouldClose(QWidget *window)
{
    if (window != m_ui.window)
        return true;
    // Quitting was settled with the user: a close request that follows (the
    // window system may deliver one close twice, and quitting closes the
    // windows once more) asks nothing again.
    if (m_isTerminating || m_quitConfirmed)
        return true;
    Alert alert;
    alert.setMessageText(QStringLiteral("Are you sure you want to quit Quillmark?"));
    const bool modified = m_projectController && m_projectController->hasModified();
    alert.addButtonWithTitle(QStringLiteral("Quit"));
    if (modified) {
        alert.addButtonWithTitle(QStringLiteral("Save And Quit"));
        // Return keeps the work (#80): a key pressed out of habit must not
        // throw unsaved edits away, and the question says what is at stake.
        alert.setDefaultButtonIndex(1);
        const int count = std::max(1, m_projectController->modifiedFileCount());
        alert.setInformativeText(count == 1 ? QStringLiteral("1 file has unsaved changes. Quit discards them.")
                                            : QStringLiteral("%1 files have unsaved changes. Quit discards them.")
                                                  .arg(count));
    }
    alert.addButtonWithTitle(QStringLiteral("Cancel"));
    const int response = alert.runModal(window);
    if (response == Alert::FirstButtonReturn)
        return confirmQuit();
    if (!modified || response != Alert::SecondButtonReturn)
        return false;
    QStringList failures = m_projectController->saveOnQuit();
    if (failures.isEmpty() && !m_projectController->hasModified())
        return confirmQuit();
    // A file that could not be written would be lost by quitting: the
    // program stays open and says which and why.
    QM_ERROR(QStringLiteral("modified files remain after saving; not quitting"));
    if (failures.isEmpty())
        failures.append(QStringLiteral("A modified file could not be saved."));
    Alert failed;
    failed.setAlertStyle(Alert::Style::Critical);
    failed.setMessageText(failures.size() == 1 ? QStringLiteral("A file could not be saved; Quillmark stays open.")
                                               : QStringLiteral("%1 files could not be saved; Quillmark stays open.")
                                                     .arg(failures.size()));
    failed.setInformativeText(failures.join(QLatin1Char('\n'))
                              + QStringLiteral("\n\nYour changes are kept; quit again once the problem is solved."));
    failed.addButtonWithTitle(QStringLiteral("OK"));
    failed.runModal(window);
    return false;
}

bool AppDelegate::confirmQuit()
{
    m_quitConfirmed = true;
    return true;
}

void AppDelegate::tellSettingsFileProblem(const QString &message)
{
    m_settingsFileProblems.append(message);
    // The files read in one go (the projects at launch) are told together.
    if (m_settingsFileProblems.size() == 1 && !m_settingsFileAlertShown)
        QTimer::singleShot(0, this, &AppDelegate::showSettingsFileProblems);
}

void AppDelegate::showSettingsFileProblems()
{
    if (m_settingsFileProblems.isEmpty() || m_settingsFileAlertShown)
        return;
    const QStringList problems = std::exchange(m_settingsFileProblems, {});
    Alert alert;
    alert.setMessageText(problems.size() == 1
                             ? QStringLiteral("A settings file could not be used.")
                             : QStringLiteral("%1 settings files could not be used.").arg(problems.size()));
    alert.setInformativeText(problems.join(QStringLiteral("\n\n")));
    alert.addButtonWithTitle(QStringLiteral("OK"));
    m_settingsFileAlertShown = true;
    alert.beginSheetModalForWindow(m_ui.window, [self = QPointer<AppDelegate>(this)](int) {
        if (!self)
            return;
        self->m_settingsFileAlertShown = false;
        self->showSettingsFileProblems();
    });
}

bool AppDelegate::applicationShouldTerminateAfterLastWindowClosed()
{
    // The panes are kept as the user laid them out, not as the full-size
    // preview hides them.
    if (m_isFullSizePreview)
        togglePreviewMode();
    savePanes();

    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *colorPanel = qobject_cast<QColorDialog *>(widget))
            colorPanel->close();
    }
    return true;
}

void AppDelegate::terminate()
{
    m_isTerminating = true;
    QCoreApplication::quit();
}

void AppDelegate::applicationWillTerminate()
{
    QM_INFO(QStringLiteral("shutdown"));
}

void AppDelegate::saveFloatToUserDefaults(float value, const QString &key)
{
    UserDefaults &defaults = UserDefaults::standardUserDefaults();
    defaults.setFloat(value, key);
    defaults.synchronize();
}

float AppDelegate::loadFloatFromUserDefaultsForKey(const QString &key) const
{
    return UserDefaults::standardUserDefaults().floatForKey(key);
}

// --- Undo and deferred writes --------------------------------------------------------------

InspectUndoManager *AppDelegate::sharedUndoManager()
{
    if (!m_sharedUndoManager)
        m_sharedUndoManager = new InspectUndoManager(this);
    return m_sharedUndoManager;
}

InspectUndoManager *AppDelegate::windowWillReturnUndoManager(QWidget *window)
{
    if (window && (window == m_ui.window || window == m_ui.cssInspector || window == m_ui.navigator))
        return sharedUndoManager();
    return nullptr;
}

BalkInvocationManager *AppDelegate::balkInvocationManager()
{
    if (!m_balkInvocationManager)
        m_balkInvocationManager = new BalkInvocationManager(this);
    return m_balkInvocationManager;
}

void AppDelegate::reserveWrite(const TargetRef &target, const TargetRef &file,
                               std::function<void()> lazyWrite)
{
    const Invocation invocation = Invocation::invocationWithSelector(
        target, QByteArrayLiteral("lazyWrite:"), {file}, std::move(lazyWrite));
    // The writes end the step of the edits that asked for them, at once: an
    // edit that comes before the end of this turn (a key waiting behind the
    // write's timer) is a step of its own, with a write of its own (#84).
    balkInvocationManager()->addOperation(invocation, true, [this] {
        InspectUndoManager *undo = sharedUndoManager();
        if (undo->isUndoing() || undo->isRedoing())
            undo->reserveCloseGroupingAtEndOfRunLoop();
        else
            undo->loopEnd();
    });
}
