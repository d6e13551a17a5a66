#pragma once

#include "platform/foundation/Result.h"

#include <QByteArray>
#include <QJsonArray>
#include <QList>
#include <QString>

#include <optional>
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

// Takes the records of a compact tree (version 2) one by one as they are read,
// in tree order, each with its place: the index of the record it belongs
// under (none for the first) and whether it is that template's content.
class DOMSnapshotTreeSink
{
public:
    enum class Place { Child, Content };

    virtual ~DOMSnapshotTreeSink() = default;
    // Before the first record: the document's id and about how many records follow.
    virtual void begin(qint64 documentId, qsizetype expected) = 0;
    // record.id is set; the sink may take the record's strings.
    virtual void take(DOMSnapshotRecord &record, std::optional<size_t> parent, Place place) = 0;
};

namespace DOMSnapshotJson {

// A snapshot straight from its JSON text, without building a JSON tree first
// (the text of a large page is read several times faster so). The records of
// a compact tree go to tree as they are read, never into the result; the
// tree needs "document" before it.
Result<DOMSnapshotData> read(const QByteArray &json, DOMSnapshotTreeSink *tree = nullptr);
// The records of a JSON array, as the page sends added subtrees.
std::vector<DOMSnapshotRecord> readRecords(const QJsonArray &records);


} // namespace DOMSnapshotJson
