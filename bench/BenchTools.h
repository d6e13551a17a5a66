#pragma once

// Small tools the benchmarks of the interface share: the median of a series,
// the longest stall of the main thread, and waiting with the event loop
// turning.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <vector>

// -1 for no values.
inline double median(std::vector<double> values)
{
    if (values.empty())
        return -1;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The longest time the main thread went without turning its event loop, from
// start() on, in milliseconds.
class StallMeter
{
public:
    StallMeter()
    {
        m_timer.setInterval(0);
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

// Turns the event loop until the condition holds or the time is up; answers
// whether it holds.
inline bool waitUntil(const std::function<bool()> &condition, int timeoutMs = 20000)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition() && clock.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return condition();
}
