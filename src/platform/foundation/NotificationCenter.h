#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QVariantMap>

#include <functional>
#include <memory>

class QObject;

// One posted notification: its name, the poster (or null) and the user info.
// The poster is an identity only; observers compare it, they never own it.
struct Notification
{
    QString name;
    const void *object = nullptr;
    QVariantMap userInfo;

    template<typename T>
    T *objectAs() const { return static_cast<T *>(const_cast<void *>(object)); }
};

// A synchronous notification centre on the main thread. Observers are kept by
// owner; an owner that is a QObject is forgotten when it is destroyed. An
// observer removed while a notification is being delivered is not called again,
// so observers may remove themselves (or others) from inside a handler.
class NotificationCenter
{
public:
    using Handler = std::function<void(const Notification &)>;

    static NotificationCenter &defaultCenter();

    NotificationCenter();
    ~NotificationCenter();
    NotificationCenter(const NotificationCenter &) = delete;
    NotificationCenter &operator=(const NotificationCenter &) = delete;

    // An empty name observes every notification; a null object observes every
    // poster.
    void addObserver(const void *owner, const QString &name, const void *object, Handler handler);
    void addObserver(QObject *owner, const QString &name, const void *object, Handler handler);

    void removeObserver(const void *owner);
    void removeObserver(const void *owner, const QString &name, const void *object = nullptr);

    void postNotification(const Notification &notification);
    void postNotificationName(const QString &name, const void *object = nullptr,
                              const QVariantMap &userInfo = {});

    int observerCount() const;

private:
    struct Observer
    {
        const void *owner = nullptr;
        QString name;
        const void *object = nullptr;
        Handler handler;
        bool removed = false;
    };
    using ObserverPtr = std::shared_ptr<Observer>;

    void remove(const std::function<bool(const Observer &)> &matches);

    QList<ObserverPtr> m_observers;
    QHash<const QObject *, bool> m_watchedOwners;
};
