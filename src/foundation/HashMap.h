#pragma once

#include <QVariant>

class QObject;

// One value attached to any object, living as long as the object does.
// Safe to use from several threads.
class HashMap
{
public:
    // Attaches the value to the key object, replacing an earlier one.
    static void setValue(const QVariant &value, QObject *keyObject);
    static void removeValueForKeyObject(QObject *keyObject);
    // The attached value; invalid when there is none.
    static QVariant valueForKeyObject(const QObject *keyObject);
};
