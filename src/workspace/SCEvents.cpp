#include "SCEvents.h"

#include "SCEventListenerProtocol.h"

#include "platform/foundation/Assert.h"
#include "platform/foundation/Log.h"

#include <QDir>
#include <QFile>
#include <QPointer>
#include <QSocketNotifier>
#include <QThread>

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const uint32_t kWatchMask = IN_CREATE | IN_DELETE | IN_MODIFY | IN_ATTRIB | IN_MOVED_FROM
                            | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR
                            | IN_DONT_FOLLOW;

QString cleanFolderPath(const QString &path)
{
    return QDir::cleanPath(QDir(path).absolutePath());
}

qint32 flagsOf(uint32_t mask)
{
    qint32 flags = 0;
    if (mask & IN_CREATE)
        flags |= SCEvent::ItemCreated;
    if (mask & IN_DELETE)
        flags |= SCEvent::ItemRemoved;
    if (mask & (IN_MOVED_FROM | IN_MOVED_TO))
        flags |= SCEvent::ItemRenamed;
    if (mask & IN_MODIFY)
        flags |= SCEvent::ItemModified;
    if (mask & IN_ATTRIB)
        flags |= SCEvent::ItemInodeMetaMod;
    flags |= (mask & IN_ISDIR) ? SCEvent::ItemIsDir : SCEvent::ItemIsFile;
    return flags;
}

} // namespace

SCEvents::SCEvents(QObject *parent) : QObject(parent)
{
    m_batchTimer.setSingleShot(true);
    connect(&m_batchTimer, &QTimer::timeout, this, &SCEvents::deliverPending);
}

SCEvents::~SCEvents()
{
    m_delegate = nullptr;
    stopWatchingPaths();
}

bool SCEvents::isWatchingPaths() const
{
    QMutexLocker locker(&m_lock);
    return m_fd >= 0;
}

std::optional<SCEvent> SCEvents::lastEvent() const
{
    QMutexLocker locker(&m_lock);
    return m_lastEvent;
}

QStringList SCEvents::watchedPaths() const
{
    QMutexLocker locker(&m_lock);
    return m_watchedPaths;
}

QStringList SCEvents::excludedPaths() const
{
    QMutexLocker locker(&m_lock);
    return m_excludedPaths;
}

void SCEvents::setExcludedPaths(const QStringList &paths)
{
    QMutexLocker locker(&m_lock);
    m_excludedPaths = paths;
}

bool SCEvents::startWatchingPaths(const QStringList &paths)
{
    QM_ASSERT(QThread::currentThread() == thread(), return false);
    QMutexLocker locker(&m_lock);
    if (paths.isEmpty() || m_fd >= 0)
        return false;
    m_fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_fd < 0) {
        QM_ERROR(QStringLiteral("cannot watch folders: %1")
                     .arg(QString::fromLocal8Bit(std::strerror(errno))));
        return false;
    }
    m_watchedPaths = paths;
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &SCEvents::readEvents);
    for (const QString &path : paths)
        addTree(cleanFolderPath(path), false);
    return true;
}

bool SCEvents::stopWatchingPaths()
{
    QMutexLocker locker(&m_lock);
    if (m_fd < 0)
        return false;
    delete m_notifier;
    m_notifier = nullptr;
    // Closing the descriptor drops every watch with it.
    ::close(m_fd);
    m_fd = -1;
    m_pathByWatch.clear();
    m_watchByPath.clear();
    m_batchTimer.stop();
    m_pendingPaths.clear();
    m_pendingFlags.clear();
    return true;
}

bool SCEvents::flushEventStreamSync()
{
    QMutexLocker locker(&m_lock);
    if (m_fd < 0)
        return false;
    readEvents();
    m_batchTimer.stop();
    // Deliver without the lock: the delegate may stop or destroy the watcher.
    locker.unlock();
    deliverPending();
    return true;
}

bool SCEvents::flushEventStreamAsync()
{
    QMutexLocker locker(&m_lock);
    if (m_fd < 0)
        return false;
    readEvents();
    if (!m_pendingPaths.isEmpty())
        m_batchTimer.start(0);
    return true;
}

QString SCEvents::streamDescription() const
{
    QMutexLocker locker(&m_lock);
    if (m_fd < 0)
        return {};
    return QStringLiteral("inotify stream %1: %2 folders watched, latency %3 s")
        .arg(m_fd)
        .arg(m_pathByWatch.size())
        .arg(m_notificationLatency);
}

QString SCEvents::description() const
{
    QMutexLocker locker(&m_lock);
    return QStringLiteral("<SCEvents { watchedPaths = (%1), excludedPaths = (%2) } >")
        .arg(m_watchedPaths.join(QStringLiteral(", ")), m_excludedPaths.join(QStringLiteral(", ")));
}

// Watches the folder and every folder below it. A folder that appeared while
// watching is reported with its sub-folders, since entries may have been made
// in them before their watches existed.
void SCEvents::addTree(const QString &root, bool reportFolders)
{
    // Each folder is watched before it is listed, so that an entry made
    // meanwhile is seen. The listing asks the kind of each entry of the
    // directory itself (no stat per file): a project has far more files
    // than folders. Symbolic links are not followed.
    QStringList pending{root};
    bool first = true;
    while (!pending.isEmpty()) {
        const QString folder = pending.takeLast();
        if (!addWatch(folder)) {
            if (first)
                return;
            continue;
        }
        first = false;
        if (reportFolders)
            noteChange(folder, SCEvent::ItemCreated | SCEvent::ItemIsDir);
        DIR *dir = ::opendir(QFile::encodeName(folder).constData());
        if (!dir)
            continue;
        const int fd = ::dirfd(dir);
        while (const dirent *entry = ::readdir(dir)) {
            if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0)
                continue;
            bool isFolder = entry->d_type == DT_DIR;
            if (entry->d_type == DT_UNKNOWN) {
                struct stat st;
                isFolder = ::fstatat(fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
            }
            if (isFolder)
                pending.append(folder + QLatin1Char('/') + QFile::decodeName(entry->d_name));
        }
        ::closedir(dir);
    }
}

bool SCEvents::addWatch(const QString &path)
{
    const int wd = inotify_add_watch(m_fd, QFile::encodeName(path).constData(), kWatchMask);
    if (wd < 0) {
        if (errno == ENOSPC && !m_reportedWatchLimit) {
            m_reportedWatchLimit = true;
            QM_ERROR(QStringLiteral("the system's limit of watched folders is reached; "
                                    "changes below %1 are not seen")
                         .arg(path));
        } else if (errno != ENOENT && errno != ENOTDIR) {
            QM_DEBUG(QStringLiteral("cannot watch %1: %2")
                         .arg(path, QString::fromLocal8Bit(std::strerror(errno))));
        }
        return false;
    }
    // The same folder reached under another name keeps its first path.
    if (!m_pathByWatch.contains(wd)) {
        m_pathByWatch.insert(wd, path);
        m_watchByPath.insert(path, wd);
    }
    return true;
}

void SCEvents::forgetWatch(int wd)
{
    const QString path = m_pathByWatch.take(wd);
    if (!path.isNull() && m_watchByPath.value(path) == wd)
        m_watchByPath.remove(path);
}

void SCEvents::readEvents()
{
    if (m_fd < 0)
        return;
    alignas(struct inotify_event) char buffer[16384];
    for (;;) {
        const ssize_t length = ::read(m_fd, buffer, sizeof buffer);
        if (length <= 0)
            break;
        for (ssize_t offset = 0; offset < length;) {
            const auto *event = reinterpret_cast<const struct inotify_event *>(buffer + offset);
            offset += ssize_t(sizeof(struct inotify_event) + event->len);

            if (event->mask & IN_Q_OVERFLOW) {
                for (const QString &root : std::as_const(m_watchedPaths))
                    noteChange(cleanFolderPath(root), SCEvent::MustScanSubDirs);
                continue;
            }
            const QString folder = m_pathByWatch.value(event->wd);
            if (folder.isNull())
                continue;
            if (event->mask & IN_IGNORED) {
                // The folder vanished or was unwatched: nothing more comes from it.
                forgetWatch(event->wd);
                continue;
            }
            if (event->mask & (IN_DELETE_SELF | IN_MOVE_SELF)) {
                bool isRoot = false;
                for (const QString &root : std::as_const(m_watchedPaths))
                    isRoot = isRoot || cleanFolderPath(root) == folder;
                if (isRoot)
                    noteChange(folder, SCEvent::RootChanged);
                // A moved folder would go on reporting under its old path; its
                // new place is picked up by the event of its new parent.
                if (event->mask & IN_MOVE_SELF) {
                    inotify_rm_watch(m_fd, event->wd);
                    forgetWatch(event->wd);
                }
                continue;
            }
            noteChange(folder, flagsOf(event->mask));
            if ((event->mask & IN_ISDIR) && (event->mask & (IN_CREATE | IN_MOVED_TO))
                && event->len > 0) {
                const QString name = QFile::decodeName(event->name);
                addTree(folder + QLatin1Char('/') + name, true);
            }
        }
    }
}

void SCEvents::noteChange(const QString &path, qint32 flags)
{
    auto it = m_pendingFlags.find(path);
    if (it == m_pendingFlags.end()) {
        m_pendingPaths.append(path);
        m_pendingFlags.insert(path, flags);
    } else {
        *it |= flags;
    }
    // The window opens with the first change of a batch and is not stretched
    // by later ones, so a folder that keeps changing is still reported.
    if (!m_batchTimer.isActive())
        m_batchTimer.start(qMax(0, int(m_notificationLatency * 1000.0 + 0.5)));
}

bool SCEvents::isExcluded(const QString &path) const
{
    if (m_excludedPaths.contains(path))
        return true;
    if (m_ignoreEventsFromSubDirs) {
        for (const QString &excluded : m_excludedPaths) {
            if (path.startsWith(excluded))
                return true;
        }
    }
    return false;
}

void SCEvents::deliverPending()
{
    const QStringList paths = std::exchange(m_pendingPaths, {});
    const QHash<QString, qint32> flags = std::exchange(m_pendingFlags, {});
    const QPointer<SCEvents> self(this);
    for (qsizetype i = 0; i < paths.size(); ++i) {
        QString path = paths[i];
        if (isExcluded(path))
            continue;
        if (path.size() > 1 && path.endsWith(QLatin1Char('/')))
            path.chop(1);
        const SCEvent event(m_nextEventId++, QDateTime::currentDateTime(), path,
                            flags.value(paths[i]));
        {
            QMutexLocker locker(&m_lock);
            if (i == paths.size() - 1)
                m_lastEvent = event;
        }
        if (m_delegate)
            m_delegate->pathWatcher(this, event);
        // The delegate may have destroyed the watcher.
        if (!self)
            return;
    }
}
