#include "DOMSnapshot_p.h"

#include "DOMJsonReader.h"
#include "DOMSnapshot.h"
#include "DOMNamespaces.h"
#include "DOMNode.h"

#include <QJsonObject>
#include <QJsonValue>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <limits>
#include <optional>

namespace {

// A small reader for the snapshot's JSON text: strict JSON, no recursion
// (values that are not read are skipped with a bracket stack).
class JsonReader : public DOMJsonReader
{
public:
    JsonReader(const QByteArray &text, DOMSnapshotTreeSink *tree) : DOMJsonReader(text), m_tree(tree) {}

    Result<DOMSnapshotData> readSnapshot()
    {
        DOMSnapshotData data;
        bool tree = false;
        bool hasDocument = false;
        if (!expect('{'))
            return failure();
        if (!readMembers([&](QByteArrayView key) {
                if (key == "version") {
                    return readInt(data.version);
                }
                if (key == "document") {
                    hasDocument = true;
                    return readId(data.document);
                }
                if (key == "mode") {
                    std::optional<QString> text = readString();
                    data.mode = text.value_or(QString());
                    return text.has_value();
                }
                if (key == "nodes") {
                    // A record takes some 50 bytes of text.
                    data.records.reserve(size_t(m_size / 50));
                    return readRecords(data.records);
                }
                if (key == "tree") {
                    tree = true;
                    if (!m_tree || !hasDocument) {
                        m_error = QStringLiteral("a tree before its document's id");
                        return false;
                    }
                    // A record takes some 20 bytes of text.
                    m_tree->begin(data.document, m_size / 20);
                    return readTree(data.document);
                }
                return skipValue();
            }))
            return failure();
        if (tree != (data.version == DOMSnapshot::s_treeVersion)) {
            m_error = QStringLiteral("records of another version");
            return failure();
        }
        skipWhitespace();
        if (m_pos != m_size) {
            m_error = QStringLiteral("text after the snapshot");
            return failure();
        }
        return data;
    }

private:
    Result<DOMSnapshotData> failure() const
    {
        return Result<DOMSnapshotData>::failure(
            QStringLiteral("The snapshot is not valid JSON: %1 at %2")
                .arg(m_error.isEmpty() ? QStringLiteral("unexpected text") : m_error)
                .arg(m_pos));
    }

    bool readRecords(std::vector<DOMSnapshotRecord> &records)
    {
        return readElements([&] {
            DOMSnapshotRecord record;
            if (!expect('{'))
                return false;
            const bool ok = readMembers([&](QByteArrayView key) { return readRecordMember(key, record); });
            if (ok)
                records.push_back(std::move(record));
            return ok;
        });
    }

    bool readCount(qint64 &count)
    {
        if (!readId(count))
            return false;
        count = std::max<qint64>(count, 0);
        return true;
    }

    // Attribute items after an element's child count up to the record's end:
    // name and value, or [name, namespace] and value.
    bool readAttributeItems(DOMSnapshotRecord &record)
    {
        while (true) {
            skipWhitespace();
            if (m_pos < m_size && m_data[m_pos] == ']') {
                ++m_pos;
                return true;
            }
            if (!expect(','))
                return false;
            skipWhitespace();
            DOMSnapshotRecord::Attribute attribute;
            if (m_pos < m_size && m_data[m_pos] == '[') {
                int index = 0;
                if (!readElements([&] {
                        QString *target = index == 0 ? &attribute.name : index == 1 ? &attribute.namespaceURI : nullptr;
                        ++index;
                        if (target && m_pos < m_size && m_data[m_pos] == '"')
                            return readStringInto(*target);
                        return skipValue();
                    }))
                    return false;
            } else if (!readStringInto(attribute.name)) {
                return false;
            }
            if (!expect(','))
                return false;
            skipWhitespace();
            if (!readStringInto(attribute.value))
                return false;
            record.attributes.append(std::move(attribute));
        }
    }

    // One record of the compact tree (DOMSnapshot.h); count is its number of children.
    bool readTreeRecord(DOMSnapshotRecord &record, qint64 &count)
    {
        count = 0;
        if (m_pos < m_size && m_data[m_pos] == '"') {
            record.type = DOMNode::TEXT_NODE;
            return readStringInto(record.text);
        }
        if (!expect('['))
            return false;
        skipWhitespace();
        if (m_pos < m_size && m_data[m_pos] == '"') {
            record.type = DOMNode::ELEMENT_NODE;
            if (!readStringInto(record.name) || !expect(',') || (skipWhitespace(), !readCount(count)))
                return false;
            return readAttributeItems(record);
        }
        if (!readInt(record.type))
            return false;
        const auto nextString = [this](QString &target) {
            if (!expect(','))
                return false;
            skipWhitespace();
            return readStringInto(target);
        };
        const auto nextCount = [this, &count] {
            if (!expect(','))
                return false;
            skipWhitespace();
            return readCount(count);
        };
        switch (record.type) {
        case DOMNode::ELEMENT_NODE:
            record.hasNamespace = true;
            if (!nextString(record.name) || !nextString(record.prefix) || !nextString(record.namespaceURI)
                || !nextCount())
                return false;
            return readAttributeItems(record);
        case DOMNode::COMMENT_NODE:
            if (!nextString(record.text))
                return false;
            break;
        case DOMNode::DOCUMENT_TYPE_NODE:
            if (!nextString(record.name) || !nextString(record.publicId) || !nextString(record.systemId))
                return false;
            break;
        default:
            if (!nextCount())
                return false;
            break;
        }
        return expect(']');
    }

    // The compact tree: records in tree order, ids by position from the
    // document's, each record's children the records after it, a template's
    // content first.
    bool readTree(qint64 documentId)
    {
        struct Open
        {
            size_t index;
            qint64 left;
        };
        std::vector<Open> open;
        size_t templateIndex = SIZE_MAX;
        size_t index = 0;
        return readElements([&] {
            DOMSnapshotRecord record;
            qint64 count = 0;
            if (!readTreeRecord(record, count))
                return false;
            record.id = documentId + qint64(index);
            std::optional<size_t> parent;
            auto place = DOMSnapshotTreeSink::Place::Child;
            if (templateIndex != SIZE_MAX && record.type == DOMNode::DOCUMENT_FRAGMENT_NODE) {
                parent = templateIndex;
                place = DOMSnapshotTreeSink::Place::Content;
            } else if (!open.empty()) {
                parent = open.back().index;
                if (--open.back().left == 0)
                    open.pop_back();
            } else if (index != 0) {
                m_error = QStringLiteral("a record after the tree's end");
                return false;
            }
            const bool isTemplate = record.type == DOMNode::ELEMENT_NODE && record.name == QLatin1String("template")
                && (!record.hasNamespace || record.namespaceURI == DOMNamespaces::html);
            if (count > 0)
                open.push_back({index, count});
            templateIndex = isTemplate ? index : SIZE_MAX;
            ++index;
            m_tree->take(record, parent, place);
            return true;
        });
    }

    bool readRecordMember(QByteArrayView key, DOMSnapshotRecord &record)
    {
        // Values of an unexpected kind count as absent, as in the JSON object path.
        const char next = m_pos < m_size ? m_data[m_pos] : 0;
        const bool isString = next == '"';
        const bool isNumber = next == '-' || (next >= '0' && next <= '9');
        if (key == "id" && isNumber)
            return readId(record.id);
        if (key == "type" && isNumber) {
            return readInt(record.type);
        }
        if (key == "name" && isString)
            return readStringInto(record.name);
        if (key == "text" && isString)
            return readStringInto(record.text);
        if (key == "ns" && isString) {
            record.hasNamespace = true;
            return readStringInto(record.namespaceURI);
        }
        if (key == "prefix" && isString)
            return readStringInto(record.prefix);
        if (key == "publicId" && isString)
            return readStringInto(record.publicId);
        if (key == "systemId" && isString)
            return readStringInto(record.systemId);
        if (key == "content" && isNumber)
            return readId(record.content);
        if (key == "children" && next == '[') {
            return readElements([&] {
                if (m_pos >= m_size || !(m_data[m_pos] == '-' || (m_data[m_pos] >= '0' && m_data[m_pos] <= '9')))
                    return skipValue();
                qint64 child = 0;
                if (!readId(child))
                    return false;
                record.children.push_back(child);
                return true;
            });
        }
        if (key == "attrs" && next == '[') {
            return readElements([&] {
                if (m_pos >= m_size || m_data[m_pos] != '[')
                    return skipValue();
                DOMSnapshotRecord::Attribute attribute;
                int index = 0;
                const bool ok = readElements([&] {
                    QString *target = index == 0 ? &attribute.name
                        : index == 1             ? &attribute.value
                        : index == 2             ? &attribute.namespaceURI
                                                 : nullptr;
                    ++index;
                    if (target && m_pos < m_size && m_data[m_pos] == '"')
                        return readStringInto(*target);
                    return skipValue();
                });
                if (ok)
                    record.attributes.append(std::move(attribute));
                return ok;
            });
        }
        return skipValue();
    }

    DOMSnapshotTreeSink *m_tree; // Not owned.
};

} // namespace

Result<DOMSnapshotData> DOMSnapshotJson::read(const QByteArray &json, DOMSnapshotTreeSink *tree)
{
    return JsonReader(json, tree).readSnapshot();
}

std::vector<DOMSnapshotRecord> DOMSnapshotJson::readRecords(const QJsonArray &records)
{
    std::vector<DOMSnapshotRecord> out;
    out.reserve(size_t(records.size()));
    for (const QJsonValue &value : records) {
        const QJsonObject object = value.toObject();
        DOMSnapshotRecord record;
        record.id = DOMJsonReader::idOf(object.value(QLatin1String("id")).toDouble(0));
        record.type = object.value(QLatin1String("type")).toInt();
        record.name = object.value(QLatin1String("name")).toString();
        record.prefix = object.value(QLatin1String("prefix")).toString();
        record.hasNamespace = object.value(QLatin1String("ns")).isString();
        record.namespaceURI = object.value(QLatin1String("ns")).toString();
        record.text = object.value(QLatin1String("text")).toString();
        record.publicId = object.value(QLatin1String("publicId")).toString();
        record.systemId = object.value(QLatin1String("systemId")).toString();
        record.content = DOMJsonReader::idOf(object.value(QLatin1String("content")).toDouble(0));
        for (const QJsonValue &child : object.value(QLatin1String("children")).toArray()) {
            if (child.isDouble())
                record.children.push_back(DOMJsonReader::idOf(child.toDouble()));
        }
        for (const QJsonValue &entry : object.value(QLatin1String("attrs")).toArray()) {
            const QJsonArray attribute = entry.toArray();
            record.attributes.append({attribute.at(0).toString(), attribute.at(1).toString(),
                                      attribute.at(2).toString()});
        }
        out.push_back(std::move(record));
    }
    return out;
}
