#pragma once

#include "platform/foundation/Result.h"

#include <QByteArray>
#include <QJsonArray>
#include <QList>
#include <QString>

#include <vector>

// One node record of a snapshot (DOMSnapshot.h), read but not yet built.
struct DOMSnapshotRecord
{
    struct Attribute
    {
        QString name;
        QString value;
        QString namespaceURI;
    };

    qint64 id = 0;
    int type = 0;
    QString name;
    QString prefix;
    QString namespaceURI;
    bool hasNamespace = false;
    QList<Attribute> attributes;
    QString text;
    QString publicId;
    QString systemId;
    std::vector<qint64> children;
    qint64 content = 0;
};

struct DOMSnapshotData
{
    int version = 1;
    qint64 document = 0;
    QString mode;
    std::vector<DOMSnapshotRecord> records;
};

namespace DOMSnapshotJson {

// A snapshot straight from its JSON text, without building a JSON tree first
// (the text of a large page is read several times faster so).
Result<DOMSnapshotData> read(const QByteArray &json);
// The records of a JSON array, as the page sends added subtrees.
std::vector<DOMSnapshotRecord> readRecords(const QJsonArray &records);

// A snapshot id: an integer inside a double's exact range, 0 otherwise.
qint64 idOf(double number);

} // namespace DOMSnapshotJson
