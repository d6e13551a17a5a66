#include "FileManager.h"

#include "platform/foundation/Log.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>

namespace {

const QString kService = QStringLiteral("org.freedesktop.FileManager1");
const QString kObjectPath = QStringLiteral("/org/freedesktop/FileManager1");
// A file manager started by the bus for this call may take a moment.
constexpr int kCallTimeoutMs = 10000;

void openFolder(const QUrl &folder)
{
    if (!folder.isValid())
        return;
    if (!QDesktopServices::openUrl(folder))
        QM_ERROR(QStringLiteral("no application opens the folder %1").arg(folder.toLocalFile()));
}

} // namespace

QUrl FileManager::fallbackFolder(const QList<QUrl> &urls)
{
    if (urls.isEmpty())
        return {};
    const QString path = QDir::cleanPath(urls.first().toLocalFile());
    if (path.isEmpty())
        return {};
    return QUrl::fromLocalFile(QFileInfo(path).absolutePath());
}

void FileManager::activateFileViewerSelectingURLs(const QList<QUrl> &urls)
{
    if (urls.isEmpty())
        return;
    const QUrl folder = fallbackFolder(urls);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        openFolder(folder);
        return;
    }
    QStringList items;
    for (const QUrl &url : urls)
        items.append(url.toString(QUrl::FullyEncoded));
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kObjectPath, kService, QStringLiteral("ShowItems"));
    call << items << QString();
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, kCallTimeoutMs), QCoreApplication::instance());
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher, [folder](QDBusPendingCallWatcher *answer) {
        if (answer->isError()) {
            QM_DEBUG(QStringLiteral("the file manager service did not answer (%1); opening the folder")
                         .arg(answer->error().message()));
            openFolder(folder);
        }
        answer->deleteLater();
    });
}
