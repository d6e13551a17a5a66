// File: changes and deletions that other programs make while a file is open.

#include "File.h"

#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"

#include <QDir>
#include <QFile>
#include <QHashFunctions>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::function<std::optional<File::OutsideChangeChoice>(File *)> &outsideChangeQuestion()
{
    static std::function<std::optional<File::OutsideChangeChoice>(File *)> question;
    return question;
}

// The digest of the bytes this program last wrote to each path, by any of
// the nodes that show the file. Nodes live on the main thread.
QHash<QString, QByteArray> &ownWrites()
{
    static QHash<QString, QByteArray> writes;
    return writes;
}

} // namespace

void File::setOutsideChangeQuestion(std::function<std::optional<OutsideChangeChoice>(File *)> question)
{
    outsideChangeQuestion() = std::move(question);
}

QByteArray File::digestOf(const QByteArray &bytes)
{
    // A digest is only compared with others of this run, to notice another
    // program's change: the size and two 64-bit hashes under unrelated seeds
    // are enough for that, at a small part of a cryptographic hash's cost on
    // a large file.
    const quint64 parts[3] = {
        quint64(bytes.size()),
        quint64(qHashBits(bytes.constData(), size_t(bytes.size()), size_t(0x9e3779b97f4a7c15ULL))),
        quint64(qHashBits(bytes.constData(), size_t(bytes.size()), size_t(0xc2b2ae3d27d4eb4fULL))),
    };
    return QByteArray(reinterpret_cast<const char *>(parts), sizeof(parts));
}

void File::noteOwnWrite(const QByteArray &digest) const
{
    ownWrites().insert(QDir::cleanPath(m_path), digest);
}

bool File::takeOwnWrite(const QByteArray &now)
{
    const auto written = ownWrites().constFind(QDir::cleanPath(m_path));
    if (written == ownWrites().cend() || *written != now)
        return false;
    // Another node of the file saved it: what it wrote is the text this
    // one's edits stand on now.
    const std::optional<DiskStamp> stamp = diskStamp(m_path, nullptr);
    const DiskRead disk = readDisk();
    if (!disk.text || disk.digest != now)
        return false;
    settlePieces();
    m_diskText = disk.text;
    m_encoding = disk.encoding;
    m_diskDigest = disk.digest;
    m_probeText = disk.text;
    m_probeStamp = stamp;
    m_overwritableDigest.reset();
    m_hasOutsideChange = false;
    m_saveFailed = false;
    Q_EMIT modifiedChanged();
    return true;
}

std::optional<QByteArray> File::readDiskDigest() const
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return digestOf(data);
}

bool File::holdsUnsavedEdits() const
{
    if (m_content && hasUnsavedEdits())
        return true;
    const auto holds = [](const std::unique_ptr<File> &child) { return child->holdsUnsavedEdits(); };
    return std::any_of(m_children.cbegin(), m_children.cend(), holds)
           || std::any_of(m_hiddenChildren.cbegin(), m_hiddenChildren.cend(), holds);
}

void File::keepOnlyEdited(QList<QPointer<File>> &newlyMissing)
{
    const auto holdsNone = [](const std::unique_ptr<File> &child) { return !child->holdsUnsavedEdits(); };
    std::erase_if(m_children, holdsNone);
    std::erase_if(m_hiddenChildren, holdsNone);
    m_childList.clear();
    for (const std::unique_ptr<File> &child : m_children) {
        m_childList.append(child.get());
        child->markMissing(newlyMissing);
    }
    for (const std::unique_ptr<File> &child : m_hiddenChildren)
        child->markMissing(newlyMissing);
    m_isLeaf = m_children.empty();
}

void File::markMissing(QList<QPointer<File>> &newlyMissing)
{
    if (m_diskKind == DiskKind::Folder) {
        m_isMissingOnDisk = true;
        keepOnlyEdited(newlyMissing);
        return;
    }
    if (!m_isMissingOnDisk) {
        if (const std::optional<QString> why = whyUnreadable(m_path))
            QM_INFO(QStringLiteral("%1 cannot be read now: %2; its unsaved edits are kept").arg(m_path, *why));
        else
            QM_INFO(QStringLiteral("%1 was deleted by another program; its unsaved edits are kept").arg(m_path));
        newlyMissing.append(this);
    }
    m_isMissingOnDisk = true;
    m_hasOutsideChange = false;
}

std::optional<QString> File::whyUnreadable(const QString &path)
{
    const QString clean = QDir::cleanPath(path);
    if (!clean.startsWith(QLatin1Char('/')))
        return std::nullopt;
    // Down from the root: the first name that cannot be looked up stands
    // in a folder that cannot be opened; one that is not there is gone.
    qsizetype slash = 0;
    struct stat st;
    while (slash >= 0) {
        slash = clean.indexOf(QLatin1Char('/'), slash + 1);
        const QString walked = slash < 0 ? clean : clean.left(slash);
        if (::stat(QFile::encodeName(walked).constData(), &st) == 0)
            continue;
        if (errno != EACCES)
            return std::nullopt;
        const QString folder = walked.left(std::max<qsizetype>(1, walked.lastIndexOf(QLatin1Char('/'))));
        return QStringLiteral("the folder %1 cannot be opened (%2)").arg(folder, QString::fromLocal8Bit(std::strerror(EACCES)));
    }
    const QByteArray native = QFile::encodeName(clean);
    if (S_ISDIR(st.st_mode)) {
        DIR *dir = ::opendir(native.constData());
        const int error = errno;
        if (dir) {
            ::closedir(dir);
            return std::nullopt;
        }
        return QStringLiteral("the folder %1 cannot be read (%2)").arg(clean, QString::fromLocal8Bit(std::strerror(error)));
    }
    const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    const int error = errno;
    if (fd >= 0) {
        ::close(fd);
        return std::nullopt;
    }
    return QStringLiteral("%1 cannot be read (%2)").arg(clean, QString::fromLocal8Bit(std::strerror(error)));
}

void File::postDeletedOutside(const QList<QPointer<File>> &files)
{
    for (const QPointer<File> &file : files) {
        if (file)
            NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("fileDeletedOutside"), file.data());
    }
}

void File::findOutsideChange()
{
    // Listed again: whatever was gone is back.
    m_isMissingOnDisk = false;
    if (m_hasOutsideChange || !m_content || !m_diskDigest)
        return;
    const std::optional<QByteArray> now = readDiskDigest();
    if (!now || *now == *m_diskDigest || now == m_overwritableDigest)
        return;
    if (!hasUnsavedEdits()) {
        refreshFromDisk();
        return;
    }
    if (takeOwnWrite(*now))
        return;
    m_hasOutsideChange = true;
    QM_INFO(QStringLiteral("%1 was changed by another program while it has unsaved edits").arg(m_path));
    NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("fileChangedOutside"), this);
}

File::DiskCheck File::settleOutsideChange()
{
    if (!m_isLocalFile)
        return DiskCheck::Unchanged;
    if (m_askingAboutDisk)
        return DiskCheck::Undecided;
    for (;;) {
        // A file gone or unreadable has no version to lose: a save writes it.
        const std::optional<QByteArray> now = readDiskDigest();
        if (!now || !m_diskDigest || *now == *m_diskDigest) {
            m_hasOutsideChange = false;
            return DiskCheck::Unchanged;
        }
        if (now == m_overwritableDigest) {
            m_hasOutsideChange = false;
            return DiskCheck::KeepMine;
        }
        if (!hasUnsavedEdits()) {
            refreshFromDisk();
            m_hasOutsideChange = false;
            return DiskCheck::TookDiskVersion;
        }
        if (takeOwnWrite(*now))
            return DiskCheck::Unchanged;
        m_hasOutsideChange = true;
        const std::function<std::optional<OutsideChangeChoice>(File *)> question = outsideChangeQuestion();
        if (!question) {
            QM_INFO(QStringLiteral("%1 was changed by another program, and no one can be asked which version to keep")
                        .arg(m_path));
            return DiskCheck::Undecided;
        }
        // The question may run an event loop: the node may go meanwhile.
        m_askingAboutDisk = true;
        const QPointer<File> guard(this);
        const std::optional<OutsideChangeChoice> choice = question(this);
        if (!guard)
            return DiskCheck::Undecided;
        m_askingAboutDisk = false;
        if (!choice)
            return DiskCheck::Undecided;
        if (*choice == OutsideChangeChoice::UseDisk)
            return useDiskVersion() ? DiskCheck::TookDiskVersion : DiskCheck::Undecided;
        // Kept over what the user was shown; a change made while the
        // question was open is asked about again.
        m_overwritableDigest = now;
    }
}

bool File::useDiskVersion()
{
    const std::optional<DiskStamp> stamp = diskStamp(m_path, nullptr);
    const DiskRead disk = readDisk();
    if (!disk.text) {
        QM_ERROR(QStringLiteral("the version of %1 on disk cannot be read; the program's text is kept").arg(m_path));
        return false;
    }
    m_probeText = disk.text;
    m_probeStamp = stamp;
    takeDiskText(disk);
    m_overwritableDigest.reset();
    m_hasOutsideChange = false;
    m_isMissingOnDisk = false;
    return true;
}

void File::discardUnsavedEdits()
{
    m_pieces.reset();
    m_content = m_diskText;
    ++m_contentGeneration;
    startNewContentVersion();
    m_saveFailed = false;
    m_lastSaveError.clear();
    m_hasOutsideChange = false;
    m_openDate = QDateTime::currentDateTimeUtc();
    m_modDate = m_openDate;
    Q_EMIT modifiedChanged();
    NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("reloadContent"), this);
}
