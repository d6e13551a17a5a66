#include "ThumbnailCache.h"

#include "platform/foundation/Log.h"

#include <QFileInfo>
#include <QImageReader>
#include <QMetaObject>
#include <QRunnable>
#include <QThread>
#include <QThreadPool>

#include <algorithm>
#include <cerrno>

#include <sys/resource.h>

namespace {

constexpr qint64 kDefaultMaxCostBytes = 96LL * 1024 * 1024;
constexpr int kNicer = 5;

int costOf(const QImage &image)
{
    // Kilobytes, at least one, so that every entry counts.
    return qMax(1, int(image.sizeInBytes() / 1024));
}

} // namespace

// What the main thread and the workers share, under one lock.
struct ThumbnailCache::Shared
{
    QMutex mutex;
    QList<Request> pending;
    QSet<QString> inFlight;
    QList<Loaded> loaded;
    int workers = 0;
    int maxWorkers = 2;
    bool cancelled = false;
    bool takeScheduled = false;
    ThumbnailCache *owner = nullptr; // Not owned; cleared before it goes.
};

// One worker thread's loop: takes the next wanted path until none is left.
class ThumbnailCache::Worker : public QRunnable
{
public:
    explicit Worker(std::shared_ptr<Shared> shared) : m_shared(std::move(shared)) {}

    void run() override
    {
        // Reading pictures gives way to the interface when the processors
        // are busy: each worker thread runs a few steps nicer, once.
        thread_local const bool niced = [] {
            errno = 0;
            const int current = ::getpriority(PRIO_PROCESS, 0);
            return errno == 0 && ::setpriority(PRIO_PROCESS, 0, qMin(current + kNicer, 19)) == 0;
        }();
        Q_UNUSED(niced);
        for (;;) {
            Request request;
            {
                QMutexLocker locker(&m_shared->mutex);
                if (m_shared->cancelled || m_shared->pending.isEmpty()) {
                    --m_shared->workers;
                    return;
                }
                request = m_shared->pending.takeFirst();
                m_shared->inFlight.insert(request.path);
            }
            Loaded result;
            result.path = request.path;
            result.edge = request.edge;
            result.modified = QFileInfo(request.path).lastModified();
            result.image = readThumbnail(request.path, request.edge, &result.error);
            QMutexLocker locker(&m_shared->mutex);
            m_shared->inFlight.remove(request.path);
            m_shared->loaded.append(std::move(result));
            // The main thread takes every arrival of a moment in one go.
            if (!m_shared->takeScheduled && m_shared->owner) {
                m_shared->takeScheduled = true;
                QMetaObject::invokeMethod(m_shared->owner, &ThumbnailCache::takeLoaded, Qt::QueuedConnection);
            }
        }
    }

private:
    std::shared_ptr<Shared> m_shared;
};

ThumbnailCache::ThumbnailCache(QObject *parent)
    : QObject(parent)
    , m_shared(std::make_shared<Shared>())
    , m_pool(std::make_unique<QThreadPool>())
{
    m_shared->owner = this;
    m_shared->maxWorkers = qBound(2, QThread::idealThreadCount() / 2, 4);
    m_pool->setMaxThreadCount(m_shared->maxWorkers);
    setMaxCost(kDefaultMaxCostBytes);
}

ThumbnailCache::~ThumbnailCache()
{
    {
        QMutexLocker locker(&m_shared->mutex);
        m_shared->cancelled = true;
        m_shared->pending.clear();
        m_shared->owner = nullptr;
    }
    m_pool->waitForDone();
}

void ThumbnailCache::setMaxCost(qint64 bytes)
{
    m_entries.setMaxCost(int(qMax<qint64>(1, bytes / 1024)));
}

int ThumbnailCache::bucketForEdge(int edge)
{
    if (edge <= 64)
        return 64;
    if (edge <= 128)
        return 128;
    return 256;
}

QImage ThumbnailCache::readThumbnail(const QString &path, int maxEdge, QString *error)
{
    QImageReader reader(path);
    return readThumbnail(reader, maxEdge, error);
}

QImage ThumbnailCache::readThumbnail(QImageReader &reader, int maxEdge, QString *error)
{
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    if (size.isValid() && (size.width() > maxEdge || size.height() > maxEdge)) {
        // Formats that can (JPEG) decode at the small size straight away,
        // so a huge picture is never held whole.
        reader.setScaledSize(size.scaled(maxEdge, maxEdge, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));
    }
    QImage image = reader.read();
    if (image.isNull()) {
        if (error)
            *error = reader.errorString();
        return {};
    }
    if (image.width() > maxEdge || image.height() > maxEdge)
        image = image.scaled(maxEdge, maxEdge, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return image;
}

QImage ThumbnailCache::thumbnail(const QString &path) const
{
    const Entry *entry = m_entries.object(path);
    return entry ? entry->image : QImage();
}

bool ThumbnailCache::isUnreadable(const QString &path) const
{
    return m_unreadable.contains(path);
}

bool ThumbnailCache::isCurrent(const QString &path, int edge) const
{
    const QDateTime modified = QFileInfo(path).lastModified();
    if (const auto unreadable = m_unreadable.constFind(path); unreadable != m_unreadable.cend())
        return *unreadable == modified;
    const Entry *entry = m_entries.object(path);
    return entry && entry->modified == modified && entry->edge >= bucketForEdge(edge);
}

void ThumbnailCache::setWanted(const QList<Request> &requests)
{
    QList<Request> queue;
    queue.reserve(requests.size());
    QSet<QString> queued;
    for (const Request &request : requests) {
        if (request.path.isEmpty() || queued.contains(request.path) || isCurrent(request.path, request.edge))
            continue;
        queued.insert(request.path);
        queue.append({request.path, bucketForEdge(request.edge)});
    }
    QMutexLocker locker(&m_shared->mutex);
    queue.removeIf([this](const Request &request) { return m_shared->inFlight.contains(request.path); });
    m_shared->pending = std::move(queue);
    const int wanted = qMin(m_shared->maxWorkers, int(m_shared->pending.size()));
    while (m_shared->workers < wanted) {
        ++m_shared->workers;
        m_pool->start(new Worker(m_shared));
    }
}

void ThumbnailCache::waitForDone()
{
    m_pool->waitForDone();
    takeLoaded();
}

int ThumbnailCache::pendingCount() const
{
    QMutexLocker locker(&m_shared->mutex);
    return int(m_shared->pending.size() + m_shared->inFlight.size());
}

void ThumbnailCache::takeLoaded()
{
    QList<Loaded> arrived;
    {
        QMutexLocker locker(&m_shared->mutex);
        arrived.swap(m_shared->loaded);
        m_shared->takeScheduled = false;
    }
    for (Loaded &item : arrived) {
        if (item.image.isNull()) {
            // Told once per version of the file.
            if (!m_unreadable.contains(item.path) || m_unreadable.value(item.path) != item.modified)
                QM_INFO(QStringLiteral("%1 cannot be shown as a picture: %2").arg(item.path, item.error));
            m_unreadable.insert(item.path, item.modified);
            m_entries.remove(item.path);
        } else {
            m_unreadable.remove(item.path);
            // Kept as read: drawing an image costs no more than a pixmap on
            // this desktop, and the main thread converts nothing.
            auto *entry = new Entry{item.modified, item.edge, std::move(item.image)};
            m_entries.insert(item.path, entry, costOf(entry->image));
        }
        Q_EMIT thumbnailReady(item.path);
    }
}
