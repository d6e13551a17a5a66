#pragma once

#include <QCache>
#include <QDateTime>
#include <QHash>
#include <QImage>
#include <QList>
#include <QMutex>
#include <QObject>
#include <QSet>
#include <QSize>
#include <QString>

#include <memory>

class QImageReader;
class QThreadPool;

// Small pictures of image files for the thumbnail browser, read off the main
// thread with QImageReader at a bounded size (formats that can, such as JPEG,
// decode at the small size straight away) and kept by path and modification
// time. The browser says which paths it wants, most wanted first
// (setWanted()); the loads run in that order on a few worker threads, and
// thumbnailReady() tells of each one that arrived. A file that cannot be read
// as an image is remembered as such (isUnreadable()) until it changes, with
// one log line.
class ThumbnailCache : public QObject
{
    Q_OBJECT

public:
    // What a thumbnail is wanted of: a path, and the edge the picture must
    // fill (its larger side).
    struct Request
    {
        QString path;
        int edge = 128;
    };

    explicit ThumbnailCache(QObject *parent = nullptr);
    ~ThumbnailCache() override;

    // The picture of the file last read, null when there is none yet. It
    // may be smaller than wanted while a larger one is being read.
    QImage thumbnail(const QString &path) const;
    bool isUnreadable(const QString &path) const;

    // Replaces the queue of loads: these, in this order. Loads under way
    // finish; what is cached already is not read again.
    void setWanted(const QList<Request> &requests);
    // Waits for the loads under way and queued (benchmarks, tests).
    void waitForDone();
    int pendingCount() const;

    // The edge a picture is read at for a wanted edge: a few fixed sizes, so
    // that zooming reads each file again only at a few steps.
    static int bucketForEdge(int edge);
    // Reads the picture of a file, its larger side at most maxEdge; null with
    // the reason when the file is no readable image.
    static QImage readThumbnail(const QString &path, int maxEdge, QString *error = nullptr);
    // The same from a reader set up by the caller (over data in memory).
    static QImage readThumbnail(QImageReader &reader, int maxEdge, QString *error = nullptr);

    // The memory the pictures may take together, in bytes.
    void setMaxCost(qint64 bytes);

Q_SIGNALS:
    void thumbnailReady(const QString &path);

private:
    struct Entry
    {
        QDateTime modified;
        int edge = 0;
        QImage image;
    };
    struct Loaded
    {
        QString path;
        QDateTime modified;
        int edge = 0;
        QImage image;
        QString error;
    };
    class Worker;
    struct Shared;

    bool isCurrent(const QString &path, int edge) const;
    void takeLoaded();

    std::shared_ptr<Shared> m_shared;
    std::unique_ptr<QThreadPool> m_pool;
    // The pictures, costed by their size in kilobytes.
    mutable QCache<QString, Entry> m_entries;
    QHash<QString, QDateTime> m_unreadable;
};
