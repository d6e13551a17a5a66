#include "QMApplication.h"

#include "AppDelegate.h"

#include "platform/foundation/Log.h"
#include "platform/kit/Alert.h"
#include "platform/web/engine/ChromiumProcess.h"

#include <QMessageBox>
#include <QTimer>

#ifdef __GLIBC__
#include <malloc.h>
#endif

int &QMApplication::prepareApplication(int &argc)
{
#ifdef __GLIBC__
    // Each thread that allocates (frame decoding, file reads, the browser's
    // pipe) would otherwise get a heap of its own, and memory freed across
    // them is seldom given back: the process grew over a long session.
    mallopt(M_ARENA_MAX, 2);
#endif
    QCoreApplication::setOrganizationName(QStringLiteral("Quillmark"));
    QCoreApplication::setApplicationName(QStringLiteral("Quillmark"));
    return argc;
}

QMApplication::QMApplication(int &argc, char **argv) : QApplication(prepareApplication(argc), argv)
{
    Log::installMessageHandler();
    // The preview's browser starts in the background now, so that the first
    // page finds it running; the window never waits for it. Without it, one
    // alert says what to install and the rest of the program works on.
    ChromiumProcess &browser = ChromiumProcess::instance();
    connect(&browser, &ChromiumProcess::failedToStart, this, [](const QString &message) {
        Alert alert;
        alert.setAlertStyle(Alert::Style::Warning);
        alert.setMessageText(QStringLiteral("The live preview is not available."));
        alert.setInformativeText(message);
        QMessageBox *box = alert.makeMessageBox(nullptr).release();
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
    });
    browser.start();
    AppDelegate::initialize();
    m_delegate = std::make_unique<AppDelegate>();
    m_delegate->loadInterface();
    connect(this, &QCoreApplication::aboutToQuit, this,
            [this] { m_delegate->applicationWillTerminate(); });
    // Launching finishes once the event loop runs, as the interface is then loaded.
    QTimer::singleShot(0, this, [this] { m_delegate->applicationDidFinishLaunching(); });
}

QMApplication::~QMApplication() = default;
