#include "HashMap.h"

#include "platform/foundation/Assert.h"

#include <QMutex>
#include <QObject>

namespace {

// The value is a dynamic property, so it goes with its object.
constexpr char kValueProperty[] = "_qm_hashmap_value";

QMutex &mutex()
{
    static QMutex s_mutex;
    return s_mutex;
}

} // namespace

void HashMap::setValue(const QVariant &value, QObject *keyObject)
{
    QM_ASSERT(keyObject, return);
    QMutexLocker locker(&mutex());
    keyObject->setProperty(kValueProperty, value);
}

void HashMap::removeValueForKeyObject(QObject *keyObject)
{
    QM_ASSERT(keyObject, return);
    QMutexLocker locker(&mutex());
    keyObject->setProperty(kValueProperty, QVariant());
}

QVariant HashMap::valueForKeyObject(const QObject *keyObject)
{
    if (!keyObject)
        return QVariant();
    QMutexLocker locker(&mutex());
    return keyObject->property(kValueProperty);
}
