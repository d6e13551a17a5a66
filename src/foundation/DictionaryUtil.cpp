#include "DictionaryUtil.h"

namespace DictionaryUtil {

QVariant nullObject()
{
    return QVariant::fromValue(nullptr);
}

bool isNullObject(const QVariant &value)
{
    return value.metaType() == QMetaType::fromType<std::nullptr_t>();
}

bool hasKey(const QVariantMap &dictionary, const QString &key)
{
    return dictionary.contains(key);
}

QVariantMap deepCopy(const QVariantMap &dictionary)
{
    QVariantMap copy = dictionary;
    copy.detach();
    return copy;
}

void setValueNilForKey(QVariantMap &dictionary, const QString &key)
{
    dictionary.insert(key, nullObject());
}

QVariant valueNilForKey(const QVariantMap &dictionary, const QString &key)
{
    const QVariant value = dictionary.value(key);
    return isNullObject(value) ? QVariant() : value;
}

} // namespace DictionaryUtil
