#include "platform/kit/FileManager.h"

#include "TestUtil.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Takes the URLs the desktop would open.
class UrlCatcher : public QObject
{
    Q_OBJECT

public:
    UrlCatcher() { QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "open"); }
    ~UrlCatcher() override { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }
    QList<QUrl> opened;

public Q_SLOTS:
    void open(const QUrl &url) { opened.append(url); }
};

// The file manager's service as the bus offers it.
class FakeFileManager : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")

public:
    QStringList shown;
    QString startupId;

public Q_SLOTS:
    void ShowItems(const QStringList &uris, const QString &id)
    {
        shown = uris;
        startupId = id;
    }
};

// A private session bus for this test executable, when the desktop's bus
// daemon is installed; it goes with the process.
QString startPrivateBus(QProcess &daemon)
{
    const QString program = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
    if (program.isEmpty())
        return {};
    daemon.start(program, {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address")});
    if (!daemon.waitForReadyRead(5000))
        return {};
    return QString::fromUtf8(daemon.readLine()).trimmed();
}

} // namespace

TEST(FileManager, RevealsThroughTheBusServiceAndOpensTheFolderWithoutIt)
{
    QTemporaryDir folder;
    ASSERT_TRUE(TestUtil::writeFile(folder.filePath(QStringLiteral("site/index.html")), "<p>hello</p>"));
    const QUrl page = QUrl::fromLocalFile(folder.filePath(QStringLiteral("site/index.html")));
    UrlCatcher catcher;

    QProcess daemon;
    const QString address = startPrivateBus(daemon);
    if (address.isEmpty())
        GTEST_SKIP() << "no dbus-daemon to run a session bus";
    // The session bus of this process is the private one from now on.
    qputenv("DBUS_SESSION_BUS_ADDRESS", address.toUtf8());
    ASSERT_TRUE(QDBusConnection::sessionBus().isConnected());

    // No file manager on the bus: the folder is opened instead.
    FileManager::activateFileViewerSelectingURLs({page});
    ASSERT_TRUE(TestUtil::waitUntil([&catcher] { return !catcher.opened.isEmpty(); }));
    EXPECT_EQ(catcher.opened, QList<QUrl>{QUrl::fromLocalFile(folder.filePath(QStringLiteral("site")))});

    // With one, it shows the item selected and nothing else is opened.
    FakeFileManager service;
    QDBusConnection bus = QDBusConnection::sessionBus();
    ASSERT_TRUE(bus.registerObject(QStringLiteral("/org/freedesktop/FileManager1"), &service, QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(bus.registerService(QStringLiteral("org.freedesktop.FileManager1")));
    catcher.opened.clear();
    FileManager::activateFileViewerSelectingURLs({page});
    ASSERT_TRUE(TestUtil::waitUntil([&service] { return !service.shown.isEmpty(); }));
    EXPECT_EQ(service.shown, QStringList{page.toString(QUrl::FullyEncoded)});
    TestUtil::spin(50);
    EXPECT_TRUE(catcher.opened.isEmpty());
    bus.unregisterService(QStringLiteral("org.freedesktop.FileManager1"));
    daemon.kill();
    daemon.waitForFinished();
}

#include "FileManagerTest.moc"
