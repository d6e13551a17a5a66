#include "QMApplication.h"

#include "AppDelegate.h"

#include "platform/foundation/Log.h"

#include <QTimer>

// Attributes that must be set before the application object exists.
static int &prepareApplication(int &argc)
{
    QCoreApplication::setOrganizationName(QStringLiteral("Quillmark"));
    QCoreApplication::setApplicationName(QStringLiteral("Quillmark"));
    return argc;
}

QMApplication::QMApplication(int &argc, char **argv) : QApplication(prepareApplication(argc), argv)
{
    Log::installMessageHandler();
    AppDelegate::initialize();
    m_delegate = std::make_unique<AppDelegate>();
    m_delegate->loadInterface();
    connect(this, &QCoreApplication::aboutToQuit, this,
            [this] { m_delegate->applicationWillTerminate(); });
    // Launching finishes once the event loop runs, as the interface is then loaded.
    QTimer::singleShot(0, this, [this] { m_delegate->applicationDidFinishLaunching(); });
}

QMApplication::~QMApplication() = default;
