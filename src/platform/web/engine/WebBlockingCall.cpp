#include "WebBlockingCall.h"

#include "platform/foundation/DelayedPerform.h"

#include <QCoreApplication>
#include <QTimer>
#include <QTimerEvent>
#include <QVariant>

WebBlockingCall::WebBlockingCall(QObject *parent) : QObject(parent) {}

WebBlockingCall::~WebBlockingCall() = default;

bool WebBlockingCall::exec(int timeoutMs)
{
    if (m_finished)
        return true;
    QTimer timeout;
    timeout.setSingleShot(true);
    connect(&timeout, &QTimer::timeout, &m_loop, &QEventLoop::quit);
    timeout.start(timeoutMs);
    QCoreApplication::instance()->installEventFilter(this);
    ++s_depth;
    m_loop.exec(QEventLoop::ExcludeUserInputEvents);
    --s_depth;
    QCoreApplication::instance()->removeEventFilter(this);
    releaseHeldTimers();
    return m_finished;
}

void WebBlockingCall::finish()
{
    m_finished = true;
    m_loop.quit();
}

bool WebBlockingCall::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Timer) {
        if (DelayedPerform::isPendingCallTimer(watched)) {
            auto *timer = static_cast<QTimer *>(watched);
            if (!m_heldTimers.contains(timer))
                m_heldTimers.append(timer);
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void WebBlockingCall::releaseHeldTimers()
{
    // Each held call runs in a later turn, in the order it came due.
    for (const QPointer<QTimer> &timer : std::as_const(m_heldTimers)) {
        if (DelayedPerform::isPendingCallTimer(timer))
            timer->start(0);
    }
    m_heldTimers.clear();
}
