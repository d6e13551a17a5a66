#pragma once

// Helpers of the benchmarks: order statistics, waiting on the event loop,
// and the longest stretch the main thread went without turning it.

#include <QAbstractEventDispatcher>
#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <vector>

// The value below which the given share of the values lies (0.5: the median).
inline double percentile(std::vector<double> values, double share)
{
    if (values.empty())
        return -1;
    std::sort(values.begin(), values.end());
    const size_t at = std::min(values.size() - 1, size_t(share * double(values.size())));
    return values[at];
}

inline double median(std::vector<double> values)
{
    return percentile(std::move(values), 0.5);
}

// How long the work took, in milliseconds.
inline double timedMs(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e6;
}

// Runs the event loop until the condition holds or the time is up; answers
// whether it holds. The condition is checked each time the loop has handled
// what came and is about to sleep: the wait costs no processor time and
// notices the change in the same turn.
inline bool waitUntil(const std::function<bool()> &condition, int timeoutMs = 20000)
{
    if (condition())
        return true;
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    // A condition that waits itself turns the loop inside the check: that
    // turn does not check again.
    bool checking = false;
    const QMetaObject::Connection check =
        QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, &loop, [&] {
            if (checking)
                return;
            checking = true;
            if (condition())
                loop.quit();
            checking = false;
        });
    deadline.start(timeoutMs);
    loop.exec();
    QObject::disconnect(check);
    return condition();
}

// Runs offscreen unless QT_QPA_PLATFORM says otherwise; before the application is made.
inline void preferOffscreen()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

// Writes one of the benchmark's files into dir; answers its path.
inline QString writeBenchFile(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    QFile file(dir.filePath(name));
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
    return file.fileName();
}

// Runs the event loop for that long.
inline void waitMs(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// The longest time the main thread went without turning its event loop, from
// start() on (to a millisecond).
class StallMeter
{
public:
    StallMeter()
    {
        // A tick a millisecond: the loop sleeps between ticks rather than spin,
        // and a stall shows as a late one.
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(1);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            const double now = double(m_clock.nsecsElapsed()) / 1e6;
            m_longest = std::max(m_longest, now - m_last);
            m_last = now;
        });
    }
    void start()
    {
        m_clock.start();
        m_last = 0;
        m_longest = 0;
        m_timer.start();
    }
    double stop()
    {
        m_timer.stop();
        return m_longest;
    }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    double m_last = 0;
    double m_longest = 0;
};

// A field of /proc/<pid>/status in kilobytes ("VmRSS", "VmHWM"), of this
// process by default; -1 when it cannot be read.
inline qint64 statusKilobytes(const char *field, const QByteArray &pid = "self")
{
    QFile status(QStringLiteral("/proc/%1/status").arg(QString::fromLatin1(pid)));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray key = QByteArray(field) + ':';
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

inline qint64 residentKilobytes(const QByteArray &pid = "self")
{
    return statusKilobytes("VmRSS", pid);
}

// The process ids of a process group (a browser and its helpers).
inline QList<QByteArray> processGroup(qint64 group)
{
    QList<QByteArray> pids;
    if (group <= 0)
        return pids;
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool number = false;
        entry.toLongLong(&number);
        if (!number)
            continue;
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        // pid (comm) state ppid pgrp ...: the fields after the name's ")".
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 2 && fields.at(2).toLongLong() == group)
            pids.append(entry.toLatin1());
    }
    return pids;
}
