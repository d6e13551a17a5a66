#pragma once

#include "platform/foundation/Range.h"

#include <QString>
#include <QVariant>
#include <QVariantList>

// Operations on lists of values. Elements are read by key the way the program
// reads model objects: a map's entry, or a QObject's property.
namespace ArrayUtils {

// The element's value for the key; an invalid QVariant when it has none.
QVariant valueForKey(const QVariant &element, const QString &key);

// The first element, invalid for an empty list.
QVariant firstObject(const QVariantList &list);
// Without the elements that are empty strings; blanks and other values stay.
QVariantList arrayRemoveEmpty(const QVariantList &list);
// Each element's value for the key, in order; elements without one are skipped.
QVariantList getValueListForKey(const QVariantList &list, const QString &key);
// The first element whose value for the key equals that of `object`;
// invalid when none does.
QVariant objectAtObjectOfKey(const QVariantList &list, const QVariant &object, const QString &key);
// Lists of values are copied whole; QObject elements stay shared.
QVariantList deepCopy(const QVariantList &list);
// The longest common prefix of the elements' texts (a string element, or its
// value for "title"); "" for an empty list.
QString maxSameString(const QVariantList &list);
// The index of an element equal to `object` in a list sorted ascending;
// NotFound for an invalid object or when absent or not comparable.
qsizetype binarySearch(const QVariantList &list, const QVariant &object);
// The same search within the closed index range [minIndex, maxIndex].
qsizetype binarySearch(const QVariantList &list, const QVariant &object, qint64 minIndex, qint64 maxIndex);

} // namespace ArrayUtils
