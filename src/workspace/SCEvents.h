#pragma once

#include "SCEvent.h"

#include <QHash>
#include <QList>
#include <QMutex>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <optional>

class QSocketNotifier;
class SCEventListenerProtocol;

// Watches folder trees for changes made outside the program (inotify on every
// folder below each watched path). Changes are collected per folder and handed
// to the delegate in one batch, notificationLatency() seconds after the first
// change of the batch; each event names the folder whose entries changed.
// Folders that appear are watched from then on, folders that vanish are
// dropped. Events are delivered on the thread the watcher lives in, which is
// also the thread that must start and stop it.
class SCEvents : public QObject
{
    Q_OBJECT

public:
    explicit SCEvents(QObject *parent = nullptr);
    ~SCEvents() override;

    SCEventListenerProtocol *delegate() const { return m_delegate; } // Not owned.
    void setDelegate(SCEventListenerProtocol *delegate) { m_delegate = delegate; }

    bool isWatchingPaths() const;

    // Whether an event below an excluded path is dropped too (default true).
    bool ignoreEventsFromSubDirs() const { return m_ignoreEventsFromSubDirs; }
    void setIgnoreEventsFromSubDirs(bool ignore) { m_ignoreEventsFromSubDirs = ignore; }

    // Seconds from the first change of a batch to its delivery (default 3.0).
    double notificationLatency() const { return m_notificationLatency; }
    void setNotificationLatency(double seconds) { m_notificationLatency = seconds; }

    // Where numbering starts; inotify has no history, so watching always starts now.
    quint64 resumeFromEventId() const { return m_resumeFromEventId; }
    void setResumeFromEventId(quint64 eventId) { m_resumeFromEventId = eventId; }

    std::optional<SCEvent> lastEvent() const;
    QStringList watchedPaths() const;
    QStringList excludedPaths() const;
    void setExcludedPaths(const QStringList &paths);

    // Starts watching the paths and every folder below them. Answers false for
    // an empty list or when a watch is already running.
    bool startWatchingPaths(const QStringList &paths);
    bool stopWatchingPaths();
    // Delivers the pending changes now / at the next turn of the event loop.
    // Both answer false when not watching.
    bool flushEventStreamSync();
    bool flushEventStreamAsync();

    // Empty when not watching.
    QString streamDescription() const;
    QString description() const;

private:
    void addTree(const QString &root, bool reportFolders);
    bool addWatch(const QString &path);
    void forgetWatch(int wd);
    void readEvents();
    void noteChange(const QString &path, qint32 flags);
    void deliverPending();
    bool isExcluded(const QString &path) const;

    SCEventListenerProtocol *m_delegate = nullptr;
    bool m_ignoreEventsFromSubDirs = true;
    double m_notificationLatency = 3.0;
    quint64 m_resumeFromEventId = ~quint64(0);
    quint64 m_nextEventId = 1;

    // Guards the stream state against use from several threads, and the
    // path lists and last event, which other threads may read.
    mutable QRecursiveMutex m_lock;
    std::optional<SCEvent> m_lastEvent;
    QStringList m_watchedPaths;
    QStringList m_excludedPaths;

    int m_fd = -1;
    QSocketNotifier *m_notifier = nullptr; // Owned (child).
    QHash<int, QString> m_pathByWatch;
    QHash<QString, int> m_watchByPath;
    bool m_reportedWatchLimit = false;

    // Folders changed since the last delivery, in order of first change.
    QStringList m_pendingPaths;
    QHash<QString, qint32> m_pendingFlags;
    QTimer m_batchTimer;
};
