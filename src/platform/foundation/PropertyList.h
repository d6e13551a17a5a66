#pragma once

#include "Result.h"

#include <QByteArray>
#include <QString>
#include <QVariant>

// XML property lists: nested maps (QVariantMap), lists (QVariantList or
// QStringList), strings, booleans, integers (qint64), reals (double), data
// (QByteArray) and dates (QDateTime). Booleans, integers and reals keep their
// kinds through a round trip.
namespace PropertyList {

QByteArray toXml(const QVariant &value);
Result<QVariant> fromXml(const QByteArray &xml);

Result<QVariant> read(const QString &path);

// Writes through a temporary file that replaces the target only when complete.
Result<void> write(const QString &path, const QVariant &value);

} // namespace PropertyList
