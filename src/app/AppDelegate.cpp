#include "AppDelegate.h"

#include "BalkInvocationManager.h"
#include "InspectUndoManager.h"

#include "platform/foundation/Log.h"
#include "platform/foundation/UserDefaults.h"

#include <QGuiApplication>
#include <QMainWindow>
#include <QScreen>

static AppDelegate *s_instance = nullptr;

// A saved window frame: x y width height of the window, then of the screen,
// measured from the screen's bottom-left corner.
static QString frameString(const QRect &frame, const QRect &screen)
{
    return QString::asprintf("%f %f %f %f %f %f %f %f", double(frame.x()), double(frame.y()),
                             double(frame.width()), double(frame.height()), double(screen.x()),
                             double(screen.y()), double(screen.width()), double(screen.height()));
}

QVariantMap AppDelegate::defaultValues()
{
    QRect visible;
    QRect full;
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        visible = screen->availableGeometry();
        full = screen->geometry();
    }
    const QRect inspector(full.width() - 280, full.height() - 500, 280, 500);
    return {
        {QStringLiteral("WebKitDeveloperExtras"), 0},
        {QStringLiteral("rootPathes"), QVariantMap()},
        {QStringLiteral("firstLaunch"), 1},
        {QStringLiteral("inspectorVisible"), 1},
        {QStringLiteral("NSWindow Frame mainWindow"), frameString(visible, full)},
        {QStringLiteral("NSWindow Frame StyleInspector"), frameString(inspector, full)},
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
}

AppDelegate::~AppDelegate()
{
    if (s_instance == this)
        s_instance = nullptr;
}

AppDelegate *AppDelegate::instance()
{
    return s_instance;
}

void AppDelegate::applicationDidFinishLaunching()
{
    UserDefaults &defaults = UserDefaults::standardUserDefaults();
    if (defaults.boolForKey(QStringLiteral("firstLaunch"))) {
        // Stored before the log line, so a run killed right after it is not
        // taken for a first launch again.
        defaults.setInteger(0, QStringLiteral("firstLaunch"));
        defaults.synchronize();
        QM_INFO(QStringLiteral("first launched"));
    } else {
        QM_INFO(QStringLiteral("launched"));
    }

    balkInvocationManager();

    m_window = std::make_unique<QMainWindow>();
    m_window->setWindowTitle(QStringLiteral("Quillmark"));
    m_window->resize(1280, 800);
    m_window->show();
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

InspectUndoManager *AppDelegate::sharedUndoManager()
{
    if (!m_sharedUndoManager)
        m_sharedUndoManager = new InspectUndoManager(this);
    return m_sharedUndoManager;
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
    balkInvocationManager()->addOperation(invocation, true, [this] {
        sharedUndoManager()->reserveCloseGroupingAtEndOfRunLoop();
    });
}
