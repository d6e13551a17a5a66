#include "TestUtil.h"

#include "platform/foundation/DelayedPerform.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <QTimer>

namespace TestUtil {

bool waitUntil(const std::function<bool()> &condition, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired()) {
            // A descheduled test process may reach the deadline without
            // having looked at its events: look once more before failing.
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            return condition();
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return true;
}

bool waitUntilSettled(const std::function<bool()> &condition, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    do {
        if (!waitUntil(condition, int(qMax<qint64>(0, deadline.remainingTime()))))
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        if (condition())
            return true;
    } while (!deadline.hasExpired());
    return false;
}

bool hasShortDelayedCall(const QObject *target, int maxDelayMs)
{
    if (!target)
        return false;
    const auto timers = target->findChildren<QTimer *>(QString(), Qt::FindDirectChildrenOnly);
    for (const QTimer *timer : timers) {
        if (timer->isActive() && timer->interval() <= maxDelayMs && DelayedPerform::isPendingCallTimer(timer))
            return true;
    }
    return false;
}

void spin(int ms)
{
    QDeadlineTimer deadline(ms);
    do {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    } while (!deadline.hasExpired());
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

bool writeFile(const QString &path, const QByteArray &data)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(data) == data.size();
}

} // namespace TestUtil
