#include "DOMSnapshot_p.h"

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

// A whole number within int's range, as QJsonValue::toInt() reads one; 0 for
// anything else (a cast of a larger number would be undefined).
int snapshotIntOf(double number)
{
    if (!(number >= double(std::numeric_limits<int>::min()) && number <= double(std::numeric_limits<int>::max()))
        || number != double(int(number)))
        return 0;
    return int(number);
}

// A small reader for the snapshot's JSON text: strict JSON, no recursion
// (values that are not read are skipped with a bracket stack).
class JsonReader
{
public:
    JsonReader(const QByteArray &text, DOMSnapshotTreeSink *tree)
        : m_data(text.constData()), m_size(text.size()), m_tree(tree)
    {
    }

    Result<DOMSnapshotData> readSnapshot()
    {
        DOMSnapshotData data;
        bool tree = false;
        bool hasDocument = false;
        if (!expect('{'))
            return failure();
        if (!readMembers([&](QByteArrayView key) {
                if (key == "version") {
                    std::optional<double> number = readNumber();
                    data.version = number ? snapshotIntOf(*number) : 0;
                    return number.has_value();
                }
                if (key == "document") {
                    std::optional<double> number = readNumber();
                    data.document = number ? DOMSnapshotJson::idOf(*number) : 0;
                    hasDocument = true;
                    return number.has_value();
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

    void skipWhitespace()
    {
        while (m_pos < m_size) {
            const char c = m_data[m_pos];
            if (c != ' ' && c != '\n' && c != '\r' && c != '\t')
                return;
            ++m_pos;
        }
    }

    bool expect(char c)
    {
        skipWhitespace();
        if (m_pos < m_size && m_data[m_pos] == c) {
            ++m_pos;
            return true;
        }
        m_error = QStringLiteral("expected '%1'").arg(QLatin1Char(c));
        return false;
    }

    // Reads "key": value pairs up to the closing brace; readValue reads the
    // value of each key.
    template<typename ReadValue>
    bool readMembers(ReadValue readValue)
    {
        skipWhitespace();
        if (m_pos < m_size && m_data[m_pos] == '}') {
            ++m_pos;
            return true;
        }
        while (true) {
            skipWhitespace();
            std::optional<QByteArrayView> key = readKey();
            if (!key || !expect(':'))
                return false;
            skipWhitespace();
            if (!readValue(*key))
                return false;
            skipWhitespace();
            if (m_pos < m_size && m_data[m_pos] == ',') {
                ++m_pos;
                continue;
            }
            return expect('}');
        }
    }

    // Reads array elements up to the closing bracket.
    template<typename ReadElement>
    bool readElements(ReadElement readElement)
    {
        if (!expect('['))
            return false;
        skipWhitespace();
        if (m_pos < m_size && m_data[m_pos] == ']') {
            ++m_pos;
            return true;
        }
        while (true) {
            skipWhitespace();
            if (!readElement())
                return false;
            skipWhitespace();
            if (m_pos < m_size && m_data[m_pos] == ',') {
                ++m_pos;
                continue;
            }
            return expect(']');
        }
    }

    // Keys are short ASCII words, compared as they stand in the text; one
    // with escapes is decoded into m_keyBuffer.
    std::optional<QByteArrayView> readKey()
    {
        if (m_pos < m_size && m_data[m_pos] == '"') {
            const qsizetype start = m_pos + 1;
            qsizetype end = start;
            while (end < m_size && m_data[end] != '"' && m_data[end] != '\\'
                   && static_cast<unsigned char>(m_data[end]) >= 0x20)
                ++end;
            if (end < m_size && m_data[end] == '"') {
                m_pos = end + 1;
                return QByteArrayView(m_data + start, end - start);
            }
        }
        std::optional<QString> key = readString();
        if (!key)
            return std::nullopt;
        m_keyBuffer = key->toUtf8();
        return QByteArrayView(m_keyBuffer);
    }

    std::optional<QString> readString()
    {
        if (m_pos >= m_size || m_data[m_pos] != '"') {
            m_error = QStringLiteral("expected a string");
            return std::nullopt;
        }
        ++m_pos;
        QString out;
        qsizetype chunk = m_pos;
        while (m_pos < m_size) {
            const unsigned char c = static_cast<unsigned char>(m_data[m_pos]);
            if (c == '"') {
                out += QString::fromUtf8(m_data + chunk, m_pos - chunk);
                ++m_pos;
                return out;
            }
            if (c < 0x20) {
                m_error = QStringLiteral("control character in a string");
                return std::nullopt;
            }
            if (c != '\\') {
                ++m_pos;
                continue;
            }
            out += QString::fromUtf8(m_data + chunk, m_pos - chunk);
            if (++m_pos >= m_size)
                break;
            const char escape = m_data[m_pos++];
            switch (escape) {
            case '"':
            case '\\':
            case '/':
                out += QLatin1Char(escape);
                break;
            case 'b':
                out += QLatin1Char('\b');
                break;
            case 'f':
                out += QLatin1Char('\f');
                break;
            case 'n':
                out += QLatin1Char('\n');
                break;
            case 'r':
                out += QLatin1Char('\r');
                break;
            case 't':
                out += QLatin1Char('\t');
                break;
            case 'u': {
                std::optional<char16_t> unit = readHex4();
                if (!unit)
                    return std::nullopt;
                // Surrogates are kept as the units they are; QString holds UTF-16.
                out += QChar(*unit);
                break;
            }
            default:
                m_error = QStringLiteral("unknown escape");
                return std::nullopt;
            }
            chunk = m_pos;
        }
        m_error = QStringLiteral("unterminated string");
        return std::nullopt;
    }

    std::optional<char16_t> readHex4()
    {
        if (m_pos + 4 > m_size) {
            m_error = QStringLiteral("short \\u escape");
            return std::nullopt;
        }
        char16_t value = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = m_data[m_pos++];
            int digit = -1;
            if (c >= '0' && c <= '9')
                digit = c - '0';
            else if (c >= 'a' && c <= 'f')
                digit = c - 'a' + 10;
            else if (c >= 'A' && c <= 'F')
                digit = c - 'A' + 10;
            if (digit < 0) {
                m_error = QStringLiteral("bad \\u escape");
                return std::nullopt;
            }
            value = char16_t(value * 16 + digit);
        }
        return value;
    }

    std::optional<double> readNumber()
    {
        const qsizetype start = m_pos;
        if (m_pos < m_size && m_data[m_pos] == '-')
            ++m_pos;
        const qsizetype digits = m_pos;
        while (m_pos < m_size && m_data[m_pos] >= '0' && m_data[m_pos] <= '9')
            ++m_pos;
        if (m_pos == digits) {
            m_error = QStringLiteral("expected a number");
            return std::nullopt;
        }
        bool integer = true;
        if (m_pos < m_size && m_data[m_pos] == '.') {
            integer = false;
            ++m_pos;
            while (m_pos < m_size && m_data[m_pos] >= '0' && m_data[m_pos] <= '9')
                ++m_pos;
        }
        if (m_pos < m_size && (m_data[m_pos] == 'e' || m_data[m_pos] == 'E')) {
            integer = false;
            ++m_pos;
            if (m_pos < m_size && (m_data[m_pos] == '+' || m_data[m_pos] == '-'))
                ++m_pos;
            while (m_pos < m_size && m_data[m_pos] >= '0' && m_data[m_pos] <= '9')
                ++m_pos;
        }
        if (integer && m_pos - start <= 18) {
            qint64 value = 0;
            std::from_chars(m_data + start, m_data + m_pos, value);
            return double(value);
        }
        double value = 0;
        const auto [end, error] = std::from_chars(m_data + start, m_data + m_pos, value);
        if (error != std::errc() || end != m_data + m_pos) {
            m_error = QStringLiteral("bad number");
            return std::nullopt;
        }
        return value;
    }

    bool readLiteral(const char *word)
    {
        const qsizetype length = qsizetype(std::strlen(word));
        if (m_pos + length <= m_size && std::memcmp(m_data + m_pos, word, size_t(length)) == 0) {
            m_pos += length;
            return true;
        }
        m_error = QStringLiteral("unexpected text");
        return false;
    }

    // Passes over any value, nested ones included, with a stack of brackets.
    bool skipValue()
    {
        std::vector<char> closers;
        bool expectValue = true;
        const auto readKeyAndColon = [this] {
            skipWhitespace();
            return readString().has_value() && expect(':');
        };
        while (true) {
            skipWhitespace();
            if (m_pos >= m_size) {
                m_error = QStringLiteral("unexpected end");
                return false;
            }
            const char c = m_data[m_pos];
            if (expectValue) {
                if (c == '{' || c == '[') {
                    closers.push_back(c == '{' ? '}' : ']');
                    ++m_pos;
                    skipWhitespace();
                    if (m_pos < m_size && m_data[m_pos] == closers.back()) {
                        ++m_pos;
                        closers.pop_back();
                        expectValue = false;
                        if (closers.empty())
                            return true;
                    } else if (c == '{' && !readKeyAndColon()) {
                        return false;
                    }
                    continue;
                }
                bool ok = true;
                if (c == '"')
                    ok = readString().has_value();
                else if (c == 't')
                    ok = readLiteral("true");
                else if (c == 'f')
                    ok = readLiteral("false");
                else if (c == 'n')
                    ok = readLiteral("null");
                else
                    ok = readNumber().has_value();
                if (!ok)
                    return false;
                expectValue = false;
                if (closers.empty())
                    return true;
                continue;
            }
            if (c == ',') {
                ++m_pos;
                if (closers.back() == '}' && !readKeyAndColon())
                    return false;
                expectValue = true;
                continue;
            }
            if (c == closers.back()) {
                ++m_pos;
                closers.pop_back();
                if (closers.empty())
                    return true;
                continue;
            }
            m_error = QStringLiteral("unbalanced brackets");
            return false;
        }
    }

    bool readId(qint64 &id)
    {
        std::optional<double> number = readNumber();
        if (!number)
            return false;
        id = DOMSnapshotJson::idOf(*number);
        return true;
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

    bool isNumberNext() const
    {
        return m_pos < m_size && (m_data[m_pos] == '-' || (m_data[m_pos] >= '0' && m_data[m_pos] <= '9'));
    }

    bool readCount(qint64 &count)
    {
        std::optional<double> number = readNumber();
        if (!number)
            return false;
        count = std::max<qint64>(DOMSnapshotJson::idOf(*number), 0);
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
        std::optional<double> type = readNumber();
        if (!type)
            return false;
        record.type = snapshotIntOf(*type);
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

    bool readStringInto(QString &target)
    {
        std::optional<QString> text = readString();
        if (!text)
            return false;
        target = std::move(*text);
        return true;
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
            std::optional<double> number = readNumber();
            record.type = number ? snapshotIntOf(*number) : 0;
            return number.has_value();
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

    const char *m_data;
    qsizetype m_size;
    qsizetype m_pos = 0;
    QString m_error;
    QByteArray m_keyBuffer;
    DOMSnapshotTreeSink *m_tree; // Not owned.
};

} // namespace

qint64 DOMSnapshotJson::idOf(double number)
{
    // Ids are integers well inside a double's exact range.
    if (!(number > -9.0e15 && number < 9.0e15) || number != double(qint64(number)))
        return 0;
    return qint64(number);
}

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
        record.id = idOf(object.value(QLatin1String("id")).toDouble(0));
        record.type = object.value(QLatin1String("type")).toInt();
        record.name = object.value(QLatin1String("name")).toString();
        record.prefix = object.value(QLatin1String("prefix")).toString();
        record.hasNamespace = object.value(QLatin1String("ns")).isString();
        record.namespaceURI = object.value(QLatin1String("ns")).toString();
        record.text = object.value(QLatin1String("text")).toString();
        record.publicId = object.value(QLatin1String("publicId")).toString();
        record.systemId = object.value(QLatin1String("systemId")).toString();
        record.content = idOf(object.value(QLatin1String("content")).toDouble(0));
        for (const QJsonValue &child : object.value(QLatin1String("children")).toArray()) {
            if (child.isDouble())
                record.children.push_back(idOf(child.toDouble()));
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
