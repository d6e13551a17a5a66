#include "NotificationCenter.h"

#include "Assert.h"

#include <QCoreApplication>
#include <QObject>
#include <QThread>

NotificationCenter &NotificationCenter::defaultCenter()
{
    static NotificationCenter center;
    return center;
}

NotificationCenter::NotificationCenter() = default;
NotificationCenter::~NotificationCenter() = default;

void NotificationCenter::addObserver(const void *owner, const QString &name, const void *object,
                                     Handler handler)
{
    QM_ASSERT(handler, return);
    auto observer = std::make_shared<Observer>();
    observer->owner = owner;
    observer->name = name;
    observer->object = object;
    observer->handler = std::move(handler);
    m_observers.append(std::move(observer));
}

void NotificationCenter::addObserver(QObject *owner, const QString &name, const void *object,
                                     Handler handler)
{
    addObserver(static_cast<const void *>(owner), name, object, std::move(handler));
    if (owner && !m_watchedOwners.contains(owner)) {
        m_watchedOwners.insert(owner, true);
        QObject::connect(owner, &QObject::destroyed, owner, [this, owner] {
            m_watchedOwners.remove(owner);
            removeObserver(static_cast<const void *>(owner));
        }, Qt::DirectConnection);
    }
}

void NotificationCenter::remove(const std::function<bool(const Observer &)> &matches)
{
    for (qsizetype i = m_observers.size() - 1; i >= 0; --i) {
        if (matches(*m_observers.at(i))) {
            // A delivery in progress holds its own copy of the list; the flag
            // keeps it from calling this observer.
            m_observers.at(i)->removed = true;
            m_observers.removeAt(i);
        }
    }
}

void NotificationCenter::removeObserver(const void *owner)
{
    remove([owner](const Observer &o) { return o.owner == owner; });
}

void NotificationCenter::removeObserver(const void *owner, const QString &name, const void *object)
{
    remove([&](const Observer &o) {
        return o.owner == owner && (name.isEmpty() || o.name == name)
            && (!object || o.object == object);
    });
}

void NotificationCenter::postNotification(const Notification &notification)
{
    QM_ASSERT(!QCoreApplication::instance()
                  || QThread::currentThread() == QCoreApplication::instance()->thread(),
              return);
    const QList<ObserverPtr> observers = m_observers;
    for (const ObserverPtr &observer : observers) {
        if (observer->removed)
            continue;
        if (!observer->name.isEmpty() && observer->name != notification.name)
            continue;
        if (observer->object && observer->object != notification.object)
            continue;
        // Copy the handler: it may remove (and so destroy) its own observer.
        const Handler handler = observer->handler;
        handler(notification);
    }
}

void NotificationCenter::postNotificationName(const QString &name, const void *object,
                                              const QVariantMap &userInfo)
{
    postNotification(Notification{name, object, userInfo});
}

int NotificationCenter::observerCount() const
{
    return int(m_observers.size());
}
