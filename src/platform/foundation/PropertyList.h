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

// Writes through AtomicFileWriter: the file is replaced whole, or left as it
// was with the reason in the failure ("cannot write <path>: <reason>").
Result<void> write(const QString &path, const QVariant &value);

} // namespace PropertyList
