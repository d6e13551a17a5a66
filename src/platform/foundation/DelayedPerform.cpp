#include "DelayedPerform.h"

#include "Assert.h"

#include <QObject>
#include <QTimer>

namespace DelayedPerform {

// A pending call is a single-shot timer parented to its target; its key lives
// in dynamic properties, so no registry can outlive a target.
static const char kSelector[] = "_qm_perform_selector";
static const char kArgument[] = "_qm_perform_argument";

static QList<QTimer *> pendingTimers(const QObject *target)
{
    QList<QTimer *> timers;
    const auto children = target->findChildren<QTimer *>(QString(), Qt::FindDirectChildrenOnly);
    for (QTimer *timer : children) {
        if (timer->property(kSelector).isValid())
            timers.append(timer);
    }
    return timers;
}

void perform(QObject *target, const QByteArray &selector, const QVariant &argument,
             double delaySeconds, std::function<void()> call)
{
    QM_ASSERT(target && call, return);
    auto *timer = new QTimer(target);
    timer->setSingleShot(true);
    timer->setProperty(kSelector, selector);
    timer->setProperty(kArgument, argument);
    QObject::connect(timer, &QTimer::timeout, target, [timer, call = std::move(call)] {
        // Unkey the timer first: the call may schedule the same selector again.
        timer->setProperty(kSelector, QVariant());
        timer->deleteLater();
        call();
    });
    timer->start(qMax(0, int(delaySeconds * 1000.0 + 0.5)));
}

void cancel(QObject *target, const QByteArray &selector, const QVariant &argument)
{
    QM_ASSERT(target, return);
    for (QTimer *timer : pendingTimers(target)) {
        if (timer->property(kSelector).toByteArray() == selector
            && timer->property(kArgument) == argument) {
            timer->stop();
            delete timer;
        }
    }
}

void cancelAll(QObject *target)
{
    QM_ASSERT(target, return);
    for (QTimer *timer : pendingTimers(target)) {
        timer->stop();
        delete timer;
    }
}

bool isPending(const QObject *target, const QByteArray &selector)
{
    if (!target)
        return false;
    for (QTimer *timer : pendingTimers(target)) {
        if (timer->property(kSelector).toByteArray() == selector)
            return true;
    }
    return false;
}

bool isPendingCallTimer(const QObject *object)
{
    return qobject_cast<const QTimer *>(object) && object->property(kSelector).isValid();
}

void atEndOfTurn(QObject *context, std::function<void()> call)
{
    QM_ASSERT(context && call, return);
    // A zero timer fires after the events already queued for this turn.
    QTimer::singleShot(0, context, std::move(call));
}

} // namespace DelayedPerform
