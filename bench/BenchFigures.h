#pragma once

// What the live benchmarks share: waiting on the event loop for a condition,
// and the minimum, median and maximum of a series of timings.

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QList>
#include <QString>

#include <algorithm>
#include <functional>

inline bool waitUntil(const std::function<bool()> &condition, int timeoutMs = 20000)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

struct Figures
{
    QList<double> values;
    int decimals = 1;

    void add(double value) { values.append(value); }
    double median() const
    {
        QList<double> sorted = values;
        std::sort(sorted.begin(), sorted.end());
        return sorted.at(sorted.size() / 2);
    }
    QString text() const
    {
        QList<double> sorted = values;
        std::sort(sorted.begin(), sorted.end());
        return QStringLiteral("min %1 ms, median %2 ms, max %3 ms (%4 runs)")
            .arg(sorted.first(), 0, 'f', decimals)
            .arg(median(), 0, 'f', decimals)
            .arg(sorted.last(), 0, 'f', decimals)
            .arg(sorted.size());
    }
};
