#include "SSZipArchive.h"

#include "SSZipArchiveDelegate.h"

#include "platform/foundation/Assert.h"
#include "platform/foundation/AtomicFileWriter.h"
#include "platform/foundation/Log.h"

#include <minizip/unzip.h>
#include <minizip/zip.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kReadChunk = 4096;
constexpr int kWriteChunk = 16384;

void setError(SSZipArchiveError *error, int code, const QString &description)
{
    if (!error)
        return;
    error->domain = QString::fromLatin1(SSZipArchiveError::kDomain);
    error->code = code;
    error->localizedDescription = description;
}

// The entry's name as a path below the destination, or nothing when it is
// absolute or climbs out with "..".
std::optional<QString> relativeEntryPath(const QString &name)
{
    if (name.isEmpty() || name.startsWith(QLatin1Char('/')))
        return std::nullopt;
    const QStringList parts = name.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QStringList kept;
    for (const QString &part : parts) {
        if (part == QLatin1String(".."))
            return std::nullopt;
        if (part != QLatin1String("."))
            kept.append(part);
    }
    if (kept.isEmpty())
        return std::nullopt;
    return kept.join(QLatin1Char('/'));
}

bool isInside(const QString &path, const QString &root)
{
    return path == root
           || path.startsWith(root.endsWith(QLatin1Char('/')) ? root : root + QLatin1Char('/'));
}

// Whether the path, once its existing part is resolved on disk, stays below
// the (canonical) destination: a folder link of the destination that leads
// elsewhere must not be written through.
bool resolvesInside(const QString &path, const QString &canonicalRoot)
{
    QFileInfo info(path);
    // Find the deepest part of the path that exists (a dangling link counts).
    while (!info.exists() && !info.isSymLink()) {
        const QString parent = info.absolutePath();
        if (parent == info.absoluteFilePath())
            return false;
        info = QFileInfo(parent);
    }
    const QString canonical = info.canonicalFilePath();
    return !canonical.isEmpty() && isInside(canonical, canonicalRoot);
}

// Whether the relative path is, or goes through, a link this unpacking made.
bool throughArchiveLink(const QString &relative, const QSet<QString> &links)
{
    qsizetype slash = -1;
    do {
        slash = relative.indexOf(QLatin1Char('/'), slash + 1);
        if (links.contains(slash < 0 ? relative : relative.left(slash)))
            return true;
    } while (slash >= 0);
    return false;
}

bool setModificationDate(const QString &path, const QDateTime &date)
{
    if (!date.isValid())
        return false;
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = time_t(date.toSecsSinceEpoch());
    times[1].tv_nsec = 0;
    return ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, AT_SYMLINK_NOFOLLOW)
           == 0;
}

bool isSymbolicLinkEntry(const unz_file_info64 &info)
{
    // The Unix mode sits in the upper half of the external attributes.
    return ((info.external_fa >> 16) & S_IFMT) == S_IFLNK;
}

// Reads the rest of the open entry; false when its data is damaged.
bool readWholeEntry(unzFile zip, QByteArray &data)
{
    char buffer[kReadChunk];
    for (;;) {
        const int read = unzReadCurrentFile(zip, buffer, kReadChunk);
        if (read < 0)
            return false;
        if (read == 0)
            return true;
        data.append(buffer, read);
    }
}

} // namespace

bool SSZipArchive::unzipFileAtPath(const QString &path, const QString &destination)
{
    return unzipFileAtPath(path, destination, true, QString(), nullptr, nullptr);
}

bool SSZipArchive::unzipFileAtPath(const QString &path, const QString &destination,
                                   SSZipArchiveDelegate *delegate)
{
    return unzipFileAtPath(path, destination, true, QString(), nullptr, delegate);
}

bool SSZipArchive::unzipFileAtPath(const QString &path, const QString &destination, bool overwrite,
                                   const QString &password, SSZipArchiveError *error)
{
    return unzipFileAtPath(path, destination, overwrite, password, error, nullptr);
}

bool SSZipArchive::unzipFileAtPath(const QString &path, const QString &destination, bool overwrite,
                                   const QString &password, SSZipArchiveError *error,
                                   SSZipArchiveDelegate *delegate)
{
    unzFile zip = unzOpen64(QFile::encodeName(path).constData());
    if (!zip) {
        setError(error, SSZipArchiveError::FailedToOpenZipFile,
                 QStringLiteral("failed to open zip file"));
        return false;
    }
    unz_global_info64 globalInfo = {};
    unzGetGlobalInfo64(zip, &globalInfo);
    if (unzGoToFirstFile(zip) != UNZ_OK) {
        unzClose(zip);
        setError(error, SSZipArchiveError::FailedToOpenFirstFile,
                 QStringLiteral("failed to open first file in zip file"));
        return false;
    }

    const QString root = QDir::cleanPath(QDir(destination).absolutePath());
    QDir().mkpath(root);
    const QString canonicalRoot = QDir(root).canonicalPath();
    if (delegate)
        delegate->zipArchiveWillUnzipArchiveAtPath(path, globalInfo);

    bool success = true;
    bool refused = false;
    qint64 currentFileNumber = 0;
    QList<std::pair<QString, QDateTime>> datesToRestore;
    QSet<QString> archiveLinks;
    const QByteArray asciiPassword = password.toLatin1();
    int next = UNZ_OK;
    do {
        const int opened = password.isEmpty()
                               ? unzOpenCurrentFile(zip)
                               : unzOpenCurrentFilePassword(zip, asciiPassword.constData());
        if (opened != UNZ_OK) {
            success = false;
            break;
        }
        unz_file_info64 fileInfo = {};
        if (unzGetCurrentFileInfo64(zip, &fileInfo, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK) {
            unzCloseCurrentFile(zip);
            success = false;
            break;
        }
        if (delegate)
            delegate->zipArchiveWillUnzipFileAtIndex(
                currentFileNumber, qint64(globalInfo.number_entry), path, fileInfo);

        QByteArray rawName(qsizetype(fileInfo.size_filename) + 1, '\0');
        unzGetCurrentFileInfo64(zip, &fileInfo, rawName.data(), uLong(rawName.size()), nullptr, 0,
                                nullptr, 0);
        rawName.truncate(qsizetype(fileInfo.size_filename));
        QString name = QString::fromUtf8(rawName);
        const bool isDirectory = rawName.endsWith('/') || rawName.endsWith('\\');
        name.replace(QLatin1Char('\\'), QLatin1Char('/'));
        const bool isLink = !isDirectory && isSymbolicLinkEntry(fileInfo);
        const QDateTime date = dateWithMSDOSFormat(quint32(fileInfo.dosDate));

        const std::optional<QString> relative = relativeEntryPath(name);
        const QString fullPath = relative ? root + QLatin1Char('/') + *relative : QString();
        // The entry's own path may be a link already in the destination (it
        // is replaced, not followed); the folders above it must stay inside.
        if (!relative || throughArchiveLink(*relative, archiveLinks)
            || !resolvesInside(QFileInfo(fullPath).absolutePath(), canonicalRoot)
            || (isDirectory && !resolvesInside(fullPath, canonicalRoot))) {
            QM_ERROR(QStringLiteral(
                         "[SSZipArchive] refused entry \"%1\": it would be written outside %2")
                         .arg(name, root));
            refused = true;
            unzCloseCurrentFile(zip);
            next = unzGoToNextFile(zip);
            continue;
        }

        const QString folder = isDirectory ? fullPath : QFileInfo(fullPath).absolutePath();
        if (!QDir().mkpath(folder))
            QM_DEBUG(QStringLiteral("[SSZipArchive] Error: cannot create folder %1").arg(folder));
        if (!isLink)
            datesToRestore.append({fullPath, date});

        const QFileInfo existing(fullPath);
        const bool exists = existing.exists() || existing.isSymLink();
        if (!exists || isDirectory || overwrite) {
            if (isLink) {
                QByteArray target;
                const bool intact = readWholeEntry(zip, target);
                if (unzCloseCurrentFile(zip) != UNZ_OK || !intact) {
                    success = false;
                    break;
                }
                const QString targetPath = QString::fromUtf8(target);
                const QString linkFolder = QFileInfo(fullPath).absolutePath();
                const QString pointsTo = QDir::cleanPath(
                    QDir::isAbsolutePath(targetPath) ? targetPath
                                                     : linkFolder + QLatin1Char('/') + targetPath);
                if (targetPath.isEmpty()
                    || !(isInside(pointsTo, root) || isInside(pointsTo, canonicalRoot))) {
                    QM_ERROR(
                        QStringLiteral(
                            "[SSZipArchive] refused link \"%1\" to \"%2\": it points outside %3")
                            .arg(name, targetPath, root));
                    refused = true;
                    next = unzGoToNextFile(zip);
                    continue;
                }
                if (exists && !existing.isDir())
                    QFile::remove(fullPath);
                if (::symlink(target.constData(), QFile::encodeName(fullPath).constData()) != 0) {
                    QM_DEBUG(QStringLiteral(
                                 "Failed to create symbolic link at \"%1\" to \"%2\". Error: %3")
                                 .arg(fullPath, targetPath,
                                      QString::fromLocal8Bit(std::strerror(errno))));
                } else {
                    archiveLinks.insert(*relative);
                }
            } else if (!isDirectory) {
                // A link already in the destination is replaced, never written through.
                if (existing.isSymLink())
                    QFile::remove(fullPath);
                // Each entry is whole or not there (AtomicFileWriter): a full
                // disk fails the unpacking rather than leave a cut file.
                AtomicFileWriter file(fullPath);
                bool intact = true;
                bool written = file.open();
                if (written) {
                    char buffer[kReadChunk];
                    for (;;) {
                        const int read = unzReadCurrentFile(zip, buffer, kReadChunk);
                        if (read < 0) {
                            intact = false;
                            break;
                        }
                        if (read == 0)
                            break;
                        if (!file.write(buffer, read)) {
                            written = false;
                            break;
                        }
                    }
                }
                // Closing the entry checks its CRC: only an intact entry is committed.
                if (unzCloseCurrentFile(zip) != UNZ_OK || !intact) {
                    file.discard();
                    QM_ERROR(QStringLiteral("[SSZipArchive] damaged entry \"%1\" in %2")
                                 .arg(name, path));
                    success = false;
                    break;
                }
                if (!written || !file.commit()) {
                    QM_ERROR(QStringLiteral("[SSZipArchive] cannot write %1: %2").arg(fullPath, file.errorString()));
                    setError(error, SSZipArchiveError::FailedToWriteFile,
                             QStringLiteral("cannot write %1: %2").arg(fullPath, file.errorString()));
                    success = false;
                    break;
                }
                if (fileInfo.dosDate != 0 && !setModificationDate(fullPath, date))
                    QM_DEBUG(QStringLiteral("[SSZipArchive] Failed to set attributes"));
            } else {
                unzCloseCurrentFile(zip);
            }
            if (delegate)
                delegate->zipArchiveDidUnzipFileAtIndex(
                    currentFileNumber, qint64(globalInfo.number_entry), path, fileInfo);
            ++currentFileNumber;
        } else {
            unzCloseCurrentFile(zip);
        }
        next = unzGoToNextFile(zip);
    } while (next == UNZ_OK);
    // A directory that breaks off before its end is damage too.
    if (success && next != UNZ_END_OF_LIST_OF_FILE) {
        QM_ERROR(QStringLiteral("[SSZipArchive] damaged directory in %1").arg(path));
        success = false;
    }
    unzClose(zip);

    // Folders get their archived dates after their contents were written.
    for (const auto &[entryPath, date] : std::as_const(datesToRestore)) {
        if (date.isValid() && QFileInfo::exists(entryPath) && !setModificationDate(entryPath, date))
            QM_DEBUG(QStringLiteral("[SSZipArchive] Set attributes failed for directory: %1.")
                         .arg(entryPath));
    }

    if (success && refused) {
        setError(error, SSZipArchiveError::RefusedUnsafeEntry,
                 QStringLiteral("refused entries that would be written outside the destination"));
        success = false;
    }
    if (success && delegate)
        delegate->zipArchiveDidUnzipArchiveAtPath(path, globalInfo, destination);
    return success;
}

QDateTime SSZipArchive::dateWithMSDOSFormat(quint32 msdosDateTime)
{
    const int year = int((msdosDateTime >> 25) & 0x7F) + 1980;
    const int month = int((msdosDateTime >> 21) & 0x0F);
    const int day = int((msdosDateTime >> 16) & 0x1F);
    const int hour = int((msdosDateTime >> 11) & 0x1F);
    const int minute = int((msdosDateTime >> 5) & 0x3F);
    const int second = int(msdosDateTime & 0x1F) * 2;
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second), Qt::LocalTime);
}

bool SSZipArchive::createZipFileAtPath(const QString &path, const QStringList &paths)
{
    SSZipArchive archive(path);
    if (!archive.open())
        return false;
    for (const QString &file : paths)
        archive.writeFile(file);
    return archive.close();
}

SSZipArchive::SSZipArchive(const QString &path) : m_path(path) { }

SSZipArchive::~SSZipArchive()
{
    if (m_zip)
        close();
}

bool SSZipArchive::open()
{
    // "Attempting open an archive which is already open"
    QM_ASSERT(!m_zip, return false);
    m_zip = zipOpen64(QFile::encodeName(m_path).constData(), APPEND_STATUS_CREATE);
    return m_zip != nullptr;
}

bool SSZipArchive::writeFile(const QString &path)
{
    // "Attempting to write to an archive which was never opened"
    QM_ASSERT(m_zip, return false);
    QFile input(path);
    if (!input.open(QIODevice::ReadOnly))
        return false;
    const QByteArray name = QFileInfo(path).fileName().toUtf8();
    if (zipOpenNewFileInZip(m_zip, name.constData(), nullptr, nullptr, 0, nullptr, 0, nullptr,
                            Z_DEFLATED, Z_DEFAULT_COMPRESSION)
        != ZIP_OK)
        return false;
    bool written = true;
    while (!input.atEnd()) {
        const QByteArray chunk = input.read(kWriteChunk);
        if (chunk.isEmpty() && input.error() != QFileDevice::NoError) {
            written = false;
            break;
        }
        if (zipWriteInFileInZip(m_zip, chunk.constData(), unsigned(chunk.size())) != ZIP_OK) {
            written = false;
            break;
        }
    }
    return zipCloseFileInZip(m_zip) == ZIP_OK && written;
}

bool SSZipArchive::writeData(const QByteArray &data, const QString &filename)
{
    if (!m_zip || data.isNull())
        return false;
    zip_fileinfo info = {};
    const QDateTime now = QDateTime::currentDateTime();
    info.tmz_date.tm_sec = uInt(now.time().second());
    info.tmz_date.tm_min = uInt(now.time().minute());
    info.tmz_date.tm_hour = uInt(now.time().hour());
    info.tmz_date.tm_mday = uInt(now.date().day());
    info.tmz_date.tm_mon = uInt(now.date().month() - 1);
    info.tmz_date.tm_year = uInt(now.date().year());
    const QByteArray name = filename.toUtf8();
    if (zipOpenNewFileInZip(m_zip, name.constData(), &info, nullptr, 0, nullptr, 0, nullptr,
                            Z_DEFLATED, Z_DEFAULT_COMPRESSION)
        != ZIP_OK)
        return false;
    const bool written
        = zipWriteInFileInZip(m_zip, data.constData(), unsigned(data.size())) == ZIP_OK;
    return zipCloseFileInZip(m_zip) == ZIP_OK && written;
}

bool SSZipArchive::close()
{
    // "[SSZipArchive] Attempting to close an archive which was never opened"
    QM_ASSERT(m_zip, return false);
    const bool closed = zipClose(m_zip, nullptr) == ZIP_OK;
    m_zip = nullptr;
    return closed;
}
