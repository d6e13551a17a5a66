#include "AtomicFileWriter.h"

#include "Log.h"
#include "StringEncoding.h"

#include <QDir>
#include <QFile>
#include <QMutex>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QMutex s_injectorLock;
AtomicFileWriter::FaultInjector &injectorSlot()
{
    static AtomicFileWriter::FaultInjector s_injector;
    return s_injector;
}

constexpr qint64 kWriteChunk = 64 * 1024;
// A link that leads through more links than this is taken as a loop.
constexpr int kMaxLinks = 40;

QString errnoText(int error)
{
    char buffer[256];
    // The GNU strerror_r answers a pointer that may or may not be the buffer.
    const char *text = strerror_r(error, buffer, sizeof buffer);
    return QString::fromLocal8Bit(text);
}

QByteArray folderOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return QByteArray(".");
    if (slash == 0)
        return QByteArray("/");
    return path.left(slash);
}

QByteArray nameOf(const QByteArray &path)
{
    return path.mid(path.lastIndexOf('/') + 1);
}

// Where the path's links lead, one step at a time, so that a dangling link
// still names the file to make. An empty answer with `error` set when the
// links loop or cannot be read.
QByteArray followLinks(const QByteArray &path, int *error)
{
    QByteArray current = path;
    for (int depth = 0; depth < kMaxLinks; ++depth) {
        struct stat st;
        if (::lstat(current.constData(), &st) != 0 || !S_ISLNK(st.st_mode))
            return current;
        QByteArray target(qsizetype(st.st_size > 0 ? st.st_size : PATH_MAX), Qt::Uninitialized);
        const ssize_t length = ::readlink(current.constData(), target.data(), size_t(target.size()));
        if (length < 0) {
            *error = errno;
            return {};
        }
        target.truncate(qsizetype(length));
        current = target.startsWith('/') ? target : folderOf(current) + '/' + target;
    }
    *error = ELOOP;
    return {};
}

bool isUtf8(const QByteArray &bytes)
{
    return StringEncoding::decode(bytes, StringEncoding::UTF8).has_value();
}

} // namespace

AtomicFileWriter::AtomicFileWriter(const QString &path, Replace replace) : m_path(path), m_replace(replace) {}

AtomicFileWriter::~AtomicFileWriter()
{
    discard();
}

void AtomicFileWriter::setFaultInjector(FaultInjector injector)
{
    QMutexLocker locker(&s_injectorLock);
    injectorSlot() = std::move(injector);
}

int AtomicFileWriter::injectedFault(Step step) const
{
    FaultInjector injector;
    {
        QMutexLocker locker(&s_injectorLock);
        injector = injectorSlot();
    }
    return injector ? injector(step, m_path) : 0;
}

bool AtomicFileWriter::fail(const QString &reason)
{
    m_failed = true;
    m_error = reason;
    discard();
    return false;
}

bool AtomicFileWriter::failWithErrno(int error, const QString &what)
{
    const QString text = errnoText(error);
    return fail(what.isEmpty() ? text : QStringLiteral("%1 (%2)").arg(text, what));
}

std::optional<QString> AtomicFileWriter::undecodableNameProblem(const QString &path)
{
    if (!path.contains(QChar::ReplacementCharacter))
        return std::nullopt;
    const QStringList parts = path.split(QLatin1Char('/'));
    QString folder = parts.constFirst();
    for (qsizetype i = 1; i < parts.size(); ++i) {
        const QString &part = parts.at(i);
        const QString parent = folder.isEmpty() ? QStringLiteral("/") : folder;
        folder += QLatin1Char('/') + part;
        if (!part.contains(QChar::ReplacementCharacter))
            continue;
        // The folder's names as bytes: is one of them not UTF-8 and read as this part?
        DIR *dir = ::opendir(QFile::encodeName(parent).constData());
        if (!dir)
            continue;
        bool undecodable = false;
        while (const dirent *entry = ::readdir(dir)) {
            const QByteArray bytes(entry->d_name);
            if (!isUtf8(bytes) && QFile::decodeName(bytes) == part) {
                undecodable = true;
                break;
            }
        }
        ::closedir(dir);
        if (undecodable) {
            return QStringLiteral("The name \"%1\" is not valid UTF-8 on the disk, so Quillmark can neither read nor "
                                  "write the file by that name (it shows the bytes it cannot read as \uFFFD). "
                                  "Rename it, for example in the file manager, and open it again.")
                .arg(part);
        }
    }
    return std::nullopt;
}

bool AtomicFileWriter::open()
{
    discard();
    m_failed = false;
    m_error.clear();

    if (const std::optional<QString> problem = undecodableNameProblem(m_path))
        return fail(*problem);

    int linkError = 0;
    m_target = followLinks(QFile::encodeName(m_path), &linkError);
    if (m_target.isEmpty())
        return failWithErrno(linkError ? linkError : ENOENT, QStringLiteral("while following its link"));

    struct stat existing;
    const bool exists = ::stat(m_target.constData(), &existing) == 0;
    if (exists) {
        if (S_ISDIR(existing.st_mode))
            return fail(QStringLiteral("A folder of that name is in the way."));
        if (!S_ISREG(existing.st_mode))
            return fail(QStringLiteral("It is not a plain file."));
        if (m_replace == Replace::No)
            return failWithErrno(EEXIST, {});
        // Renaming over a read-only file would get round its protection.
        if (::access(m_target.constData(), W_OK) != 0) {
            const int error = errno;
            return failWithErrno(error, QStringLiteral("the file cannot be written"));
        }
    }

    const QByteArray folder = folderOf(m_target);
    // Hidden, so that the file tree does not list it, and short enough for
    // any name the file may have.
    const QByteArray stem = folder + "/." + nameOf(m_target).left(180) + ".qmsave-";
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        QByteArray candidate = stem;
        for (int k = 0; k < 8; ++k)
            candidate += kLetters[QRandomGenerator::global()->bounded(int(sizeof kLetters - 1))];
        if (const int fault = injectedFault(Step::Open)) {
            errno = fault;
        } else {
            // 0666 less the umask for a new file, as any program makes one.
            m_fd = ::open(candidate.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        }
        if (m_fd >= 0) {
            m_temporary = candidate;
            break;
        }
        const int error = errno;
        if (error != EEXIST)
            return failWithErrno(error, QStringLiteral("no new file can be made in %1")
                                            .arg(QDir::toNativeSeparators(QFile::decodeName(folder))));
    }
    if (m_fd < 0)
        return fail(QStringLiteral("No new file can be made in %1.").arg(QFile::decodeName(folder)));

    if (exists) {
        // The file keeps its permissions and, where allowed, its owner.
        if (::fchmod(m_fd, existing.st_mode & 07777) != 0) {
            const int error = errno;
            return failWithErrno(error, QStringLiteral("while giving it the file's permissions"));
        }
        struct stat made;
        if (::fstat(m_fd, &made) == 0 && (made.st_uid != existing.st_uid || made.st_gid != existing.st_gid)
            && ::fchown(m_fd, existing.st_uid, existing.st_gid) != 0) {
            QM_INFO(QStringLiteral("%1 keeps its permissions but not its owner: %2").arg(m_path, errnoText(errno)));
        }
    }
    return true;
}

bool AtomicFileWriter::write(const char *data, qint64 size)
{
    if (m_failed)
        return false;
    if (m_fd < 0)
        return fail(QStringLiteral("The file was not opened for writing."));
    qint64 done = 0;
    while (done < size) {
        const size_t chunk = size_t(std::min(kWriteChunk, size - done));
        ssize_t written;
        if (const int fault = injectedFault(Step::Write)) {
            written = -1;
            errno = fault;
        } else {
            written = ::write(m_fd, data + done, chunk);
        }
        if (written < 0) {
            const int error = errno;
            if (error == EINTR)
                continue;
            return failWithErrno(error, {});
        }
        // A write that takes nothing and says no error would loop for ever.
        if (written == 0)
            return failWithErrno(ENOSPC, {});
        done += written;
    }
    return true;
}

bool AtomicFileWriter::commit()
{
    if (m_failed)
        return false;
    if (m_fd < 0)
        return fail(QStringLiteral("The file was not opened for writing."));

    // What the system still buffers reaches the disk, or the error comes now.
    int fault = injectedFault(Step::Sync);
    if (fault || ::fsync(m_fd) != 0) {
        const int error = fault ? fault : errno;
        return failWithErrno(error, QStringLiteral("while writing it to the disk"));
    }

    fault = injectedFault(Step::Close);
    const int fd = std::exchange(m_fd, -1);
    if (fault) {
        ::close(fd);
        return failWithErrno(fault, QStringLiteral("while closing it"));
    }
    if (::close(fd) != 0 && errno != EINTR) {
        const int error = errno;
        return failWithErrno(error, QStringLiteral("while closing it"));
    }

    fault = injectedFault(Step::Rename);
    int renamed = -1;
    if (fault) {
        errno = fault;
    } else if (m_replace == Replace::Yes) {
        renamed = ::rename(m_temporary.constData(), m_target.constData());
    } else {
        renamed = ::renameat2(AT_FDCWD, m_temporary.constData(), AT_FDCWD, m_target.constData(), RENAME_NOREPLACE);
        if (renamed != 0 && (errno == EINVAL || errno == ENOSYS)) {
            // A file system without the flag: a link fails as well when the name is taken.
            renamed = ::link(m_temporary.constData(), m_target.constData());
            if (renamed == 0)
                ::unlink(m_temporary.constData());
        }
    }
    if (renamed != 0) {
        const int error = errno;
        return failWithErrno(error, m_replace == Replace::Yes ? QStringLiteral("while putting it in place of the old file")
                                                              : QString());
    }
    m_temporary.clear();

    // The new name reaches the disk too. The file is in place already, so a
    // failure here is only logged.
    const int folder = ::open(folderOf(m_target).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        if (::fsync(folder) != 0 && errno != EINVAL)
            QM_INFO(QStringLiteral("the folder of %1 was not synced: %2").arg(m_path, errnoText(errno)));
        ::close(folder);
    }
    return true;
}

void AtomicFileWriter::discard()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_temporary.isEmpty()) {
        ::unlink(m_temporary.constData());
        m_temporary.clear();
    }
}

Result<void> AtomicFileWriter::writeFile(const QString &path, const QByteArray &data, Replace replace)
{
    AtomicFileWriter writer(path, replace);
    if (writer.open() && writer.write(data) && writer.commit())
        return {};
    return Result<void>::failure(
        QStringLiteral("cannot write %1: %2").arg(QDir::toNativeSeparators(path), writer.errorString()));
}
