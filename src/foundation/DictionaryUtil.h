#pragma once

#include <QString>
#include <QVariant>
#include <QVariantMap>

// Key tests and null-aware values on dictionaries. A dictionary may hold the
// null object (a QVariant holding std::nullptr_t, as JSON null converts to)
// to say "this key is set to nothing", unlike an absent key.
namespace DictionaryUtil {

QVariant nullObject();
bool isNullObject(const QVariant &value);

// True when the key is present, whatever its value (the null object included).
bool hasKey(const QVariantMap &dictionary, const QString &key);
// Dictionaries are values: the copy shares nothing that a change could reach.
QVariantMap deepCopy(const QVariantMap &dictionary);
void setValueNilForKey(QVariantMap &dictionary, const QString &key);
// The value for the key; an invalid QVariant when absent or the null object.
QVariant valueNilForKey(const QVariantMap &dictionary, const QString &key);

} // namespace DictionaryUtil
