#include "WebDownloads.h"

#include "ChromiumProcess.h"

#include "platform/foundation/Log.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QTemporaryDir>

#include <memory>

namespace {

// How many document answers are kept to find a download's MIME type by.
constexpr qsizetype kKeptDocumentTypes = 16;

const QString s_zipMimeType = QStringLiteral("application/zip");

} // namespace

WebDownloads::WebDownloads(QObject *parent) : QObject(parent)
{
}

WebDownloads::~WebDownloads() = default;

QString WebDownloads::stagingFolder()
{
    // One folder for the program's run, removed when it ends; those of runs
    // that crashed are removed first.
    static const std::unique_ptr<QTemporaryDir> folder = [] {
        ChromiumProcess::removeStaleProfiles(QDir::tempPath(), QStringLiteral("quillmark-downloads-*"), 2);
        auto made = std::make_unique<QTemporaryDir>(
            QDir::tempPath() + QStringLiteral("/quillmark-downloads-%1-XXXXXX").arg(QCoreApplication::applicationPid()));
        if (!made->isValid())
            QM_ERROR(QStringLiteral("no folder for downloads: %1").arg(made->errorString()));
        return made;
    }();
    return folder->isValid() ? folder->path() : QString();
}

bool WebDownloads::isAcceptedMimeType(const QString &mimeType)
{
    return mimeType.compare(s_zipMimeType, Qt::CaseInsensitive) == 0;
}

void WebDownloads::documentResponseReceived(const QUrl &url, const QString &mimeType)
{
    m_documentTypes.append({url, mimeType});
    if (m_documentTypes.size() > kKeptDocumentTypes)
        m_documentTypes.removeFirst();
}

bool WebDownloads::downloadWillBegin(const QString &guid, const QUrl &url, const QString &suggestedFilename)
{
    Download download;
    download.url = url;
    download.suggestedFilename = suggestedFilename;
    download.taken = m_consent == Consent::Given;
    // The newest answer for the address tells what the download is.
    for (auto it = m_documentTypes.crbegin(); it != m_documentTypes.crend(); ++it) {
        if (it->first == url) {
            download.mimeType = it->second;
            break;
        }
    }
    // One of another type is never asked about: it is cancelled at once.
    download.declined = !download.mimeType.isEmpty() && !isAcceptedMimeType(download.mimeType);
    m_downloads.insert(guid, download);
    if (download.declined) {
        QM_INFO(QStringLiteral("%1 is no zip archive (%2): not downloaded").arg(url.toString(), download.mimeType));
        Q_EMIT refused(url, QStringLiteral("not a zip archive (%1)").arg(download.mimeType));
        return true;
    }
    QM_INFO(QStringLiteral("downloading %1").arg(url.toString()));
    return false;
}

bool WebDownloads::downloadProgress(const QString &guid, const QString &state, const QString &filePath,
                                    qint64 totalBytes, qint64 receivedBytes)
{
    const auto it = m_downloads.find(guid);
    if (it == m_downloads.end())
        return false;
    if (state == QLatin1String("inProgress")) {
        // Asked about once its size is known (or known to be unknown).
        if (!it->taken && !it->asked && !it->declined)
            ask(guid, *it, totalBytes > 0 ? totalBytes : -1);
        return true;
    }
    // The browser names the file after the guid; an older browser does not say where.
    const QString staged = !filePath.isEmpty() ? filePath : QDir(stagingFolder()).filePath(guid);
    if (it->declined) {
        QFile::remove(staged);
        m_downloads.erase(it);
        return true;
    }
    if (state == QLatin1String("completed") && !it->taken) {
        // It waits in the staging folder for the answer.
        it->completedAt = staged;
        if (!it->asked)
            ask(guid, *it, receivedBytes > 0 ? receivedBytes : QFileInfo(staged).size());
        return true;
    }
    const Download download = *it;
    m_downloads.erase(it);
    if (state == QLatin1String("completed")) {
        complete(guid, download, staged);
        return true;
    }
    QFile::remove(staged);
    if (download.mimeType.isEmpty() || isAcceptedMimeType(download.mimeType))
        QM_INFO(QStringLiteral("the download of %1 was canceled").arg(download.url.toString()));
    return true;
}

void WebDownloads::ask(const QString &guid, Download &download, qint64 size)
{
    download.asked = true;
    Q_EMIT questionAsked(guid, nameOf(download), size, download.url);
}

bool WebDownloads::answer(const QString &guid, bool take)
{
    const auto it = m_downloads.find(guid);
    if (it == m_downloads.end())
        return false;
    if (take) {
        it->taken = true;
        if (it->completedAt.isEmpty())
            return false;
        const Download download = *it;
        m_downloads.erase(it);
        complete(guid, download, download.completedAt);
        return false;
    }
    const Download download = *it;
    QM_INFO(QStringLiteral("the download of %1 was not taken").arg(download.url.toString()));
    Q_EMIT refused(download.url, QStringLiteral("not taken"));
    if (download.completedAt.isEmpty()) {
        // Its part goes when the browser says it is cancelled (downloadProgress()).
        it->declined = true;
        return true;
    }
    QFile::remove(download.completedAt);
    m_downloads.erase(it);
    return false;
}

QString WebDownloads::nameOf(const Download &download) const
{
    return plainFileName(!download.suggestedFilename.isEmpty() ? download.suggestedFilename : download.url.fileName());
}

void WebDownloads::complete(const QString &guid, const Download &download, const QString &staged)
{
    // A download whose answer was never seen (a link with a download
    // attribute goes around the page) is known by its content.
    const QString mimeType = !download.mimeType.isEmpty()
        ? download.mimeType
        : QMimeDatabase().mimeTypeForFile(staged, QMimeDatabase::MatchContent).name();
    if (!isAcceptedMimeType(mimeType)) {
        QFile::remove(staged);
        QM_INFO(QStringLiteral("%1 is no zip archive (%2): not downloaded").arg(download.url.toString(), mimeType));
        Q_EMIT refused(download.url, QStringLiteral("not a zip archive (%1)").arg(mimeType));
        return;
    }
    if (m_destination.isEmpty() || !QDir().mkpath(m_destination)) {
        QFile::remove(staged);
        QM_ERROR(QStringLiteral("%1 was downloaded but there is no folder to put it in").arg(download.url.toString()));
        Q_EMIT refused(download.url, QStringLiteral("no folder to download into"));
        return;
    }
    const QString target = freePath(m_destination, nameOf(download));
    // A rename never replaces a file (across file systems it copies).
    if (!QFile::rename(staged, target)) {
        QFile::remove(staged);
        QM_ERROR(QStringLiteral("the download %1 could not be moved to %2").arg(guid, target));
        Q_EMIT refused(download.url, QStringLiteral("could not be written to %1").arg(target));
        return;
    }
    QM_INFO(QStringLiteral("downloaded %1 to %2").arg(download.url.toString(), target));
    Q_EMIT finished(target);
}

QString WebDownloads::plainFileName(const QString &suggested)
{
    QString name = suggested;
    // Only the last component of a path is a name.
    const qsizetype slash = qMax(name.lastIndexOf(u'/'), name.lastIndexOf(u'\\'));
    if (slash >= 0)
        name = name.mid(slash + 1);
    for (QChar &c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f || c == u':')
            c = u'_';
    }
    name = name.trimmed();
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return QStringLiteral("download");
    return name;
}

QString WebDownloads::freePath(const QString &folder, const QString &name)
{
    const QDir dir(folder);
    QString path = dir.filePath(name);
    if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink())
        return path;
    const QFileInfo info(name);
    const QString base = info.completeBaseName();
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    for (int n = 1;; ++n) {
        path = dir.filePath(QStringLiteral("%1 (%2)%3").arg(base).arg(n).arg(suffix));
        if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink())
            return path;
    }
}
