#include "ArrayUtils.h"

#include <QObject>
#include <QVariantHash>

namespace ArrayUtils {

QVariant valueForKey(const QVariant &element, const QString &key)
{
    const QMetaType type = element.metaType();
    if (type == QMetaType::fromType<QVariantMap>())
        return element.toMap().value(key);
    if (type == QMetaType::fromType<QVariantHash>())
        return element.toHash().value(key);
    if (type.flags().testFlag(QMetaType::PointerToQObject)) {
        if (const QObject *object = element.value<QObject *>())
            return object->property(key.toUtf8().constData());
    }
    return QVariant();
}

QVariant firstObject(const QVariantList &list)
{
    return list.isEmpty() ? QVariant() : list.first();
}

QVariantList arrayRemoveEmpty(const QVariantList &list)
{
    QVariantList result;
    result.reserve(list.size());
    for (const QVariant &element : list) {
        if (element.metaType() == QMetaType::fromType<QString>() && element.toString().isEmpty())
            continue;
        result.append(element);
    }
    return result;
}

QVariantList getValueListForKey(const QVariantList &list, const QString &key)
{
    QVariantList values;
    for (const QVariant &element : list) {
        const QVariant value = valueForKey(element, key);
        if (value.isValid())
            values.append(value);
    }
    return values;
}

QVariant objectAtObjectOfKey(const QVariantList &list, const QVariant &object, const QString &key)
{
    const QVariant wanted = valueForKey(object, key);
    for (const QVariant &element : list) {
        const QVariant value = valueForKey(element, key);
        if (value.isValid() && value == wanted)
            return element;
    }
    return QVariant();
}

QVariantList deepCopy(const QVariantList &list)
{
    QVariantList copy = list;
    copy.detach();
    return copy;
}

static QString textOf(const QVariant &element)
{
    if (element.metaType() == QMetaType::fromType<QString>())
        return element.toString();
    return valueForKey(element, QStringLiteral("title")).toString();
}

QString maxSameString(const QVariantList &list)
{
    if (list.isEmpty())
        return QString();
    const QString first = textOf(list.first());
    if (first.isEmpty())
        return QString();
    QStringList texts;
    texts.reserve(list.size());
    for (const QVariant &element : list)
        texts << textOf(element);

    for (qsizetype n = 1; n <= first.size(); ++n) {
        const QStringView candidate = QStringView(first).left(n);
        for (const QString &text : texts) {
            if (text.size() < n || QStringView(text).left(n) != candidate)
                return first.left(n - 1);
        }
    }
    return first;
}

qsizetype binarySearch(const QVariantList &list, const QVariant &object)
{
    if (!object.isValid())
        return NotFound;
    return binarySearch(list, object, 0, qint64(list.size()) - 1);
}

qsizetype binarySearch(const QVariantList &list, const QVariant &object, qint64 minIndex, qint64 maxIndex)
{
    if (!object.isValid() || minIndex < 0 || maxIndex >= list.size())
        return NotFound;
    while (maxIndex >= minIndex) {
        const qint64 middle = (minIndex + maxIndex) / 2;
        const QPartialOrdering order = QVariant::compare(object, list.at(middle));
        if (order == QPartialOrdering::Equivalent)
            return qsizetype(middle);
        if (order == QPartialOrdering::Less)
            maxIndex = middle - 1;
        else if (order == QPartialOrdering::Greater)
            minIndex = middle + 1;
        else
            return NotFound;
    }
    return NotFound;
}

} // namespace ArrayUtils
