#include "Archiver.h"

#include <QHash>
#include <QList>
#include <QStringList>
#include <QtEndian>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <optional>

namespace {
namespace TypedStream {

// The header: streamer version 4 (little-endian), the signature as a counted
// string, and the system version 1000.
constexpr char kSignature[] = "streamtyped";
constexpr quint8 kStreamerVersion = 4;
constexpr qint64 kSystemVersion = 1000;
// The same stream written on a big-endian machine.
constexpr char kBigEndianSignature[] = "typedstream";
constexpr quint8 kBigEndianStreamerVersion = 3;

// The header up to the system version.
const QByteArray &streamHeader()
{
    static const QByteArray s_header =
        QByteArray(1, char(kStreamerVersion)) + char(sizeof(kSignature) - 1) + kSignature;
    return s_header;
}

// Tag bytes. Every other byte from -110 up to 127 is an integer by itself,
// and a table entry n is written as the integer n - 110.
constexpr quint8 kTagInteger2 = 0x81;
constexpr quint8 kTagInteger4 = 0x82;
constexpr quint8 kTagFloat = 0x83;
constexpr quint8 kTagNew = 0x84;
constexpr quint8 kTagNil = 0x85;
constexpr quint8 kTagEndOfObject = 0x86;
constexpr quint8 kTagInteger8 = 0x87;
constexpr qint64 kSmallestSingleByte = -110;
constexpr qint64 kFirstReference = -110;

// How deep objects may nest in a stream we read.
constexpr int kMaxDepth = 64;

struct ClassInfo
{
    const char *name;
    int version;
};

// Class chains as written, most derived first.
constexpr ClassInfo kMutableDictionaryChain[] = {{"NSMutableDictionary", 0}, {"NSDictionary", 0}, {"NSObject", 0}};
constexpr ClassInfo kMutableArrayChain[] = {{"NSMutableArray", 0}, {"NSArray", 0}, {"NSObject", 0}};
constexpr ClassInfo kStringChain[] = {{"NSString", 1}, {"NSObject", 0}};
constexpr ClassInfo kNumberChain[] = {{"NSNumber", 0}, {"NSValue", 0}, {"NSObject", 0}};

class Writer
{
public:
    QByteArray take() { return std::move(m_out); }
    const QString &error() const { return m_error; }

    void writeHeader()
    {
        m_out.append(char(kStreamerVersion));
        writeCountedBytes(QByteArray(kSignature));
        writeInteger(kSystemVersion);
    }

    // One typed value of type "@": the root object.
    bool writeRoot(const QVariant &root)
    {
        writeSharedString("@");
        return writeObject(root, QStringLiteral("the root"));
    }

private:
    void writeInteger(qint64 value)
    {
        if (value >= kSmallestSingleByte && value <= 127) {
            m_out.append(char(qint8(value)));
        } else if (value >= std::numeric_limits<qint16>::min() && value <= std::numeric_limits<qint16>::max()) {
            m_out.append(char(kTagInteger2));
            appendLittleEndian(qint16(value));
        } else if (value >= std::numeric_limits<qint32>::min() && value <= std::numeric_limits<qint32>::max()) {
            m_out.append(char(kTagInteger4));
            appendLittleEndian(qint32(value));
        } else {
            m_out.append(char(kTagInteger8));
            appendLittleEndian(value);
        }
    }

    template<typename T>
    void appendLittleEndian(T value)
    {
        char bytes[sizeof(T)];
        qToLittleEndian(value, bytes);
        m_out.append(bytes, sizeof(T));
    }

    void writeReference(int index) { writeInteger(qint64(index) + kFirstReference); }

    void writeCountedBytes(const QByteArray &bytes)
    {
        writeInteger(bytes.size());
        m_out.append(bytes);
    }

    void writeSharedString(const QByteArray &text)
    {
        const auto known = m_sharedStrings.constFind(text);
        if (known != m_sharedStrings.cend()) {
            writeReference(*known);
            return;
        }
        m_out.append(char(kTagNew));
        writeCountedBytes(text);
        m_sharedStrings.insert(text, int(m_sharedStrings.size()));
    }

    // Objects, classes and C strings share one table; the keys tell them apart.
    std::optional<int> knownObject(const QString &key) const
    {
        const auto known = m_objects.constFind(key);
        return known == m_objects.cend() ? std::nullopt : std::optional<int>(*known);
    }
    void addObject(const QString &key) { m_objects.insert(key, m_objectCount++); }
    void addAnonymousObject() { ++m_objectCount; }

    template<size_t N>
    void writeClassChain(const ClassInfo (&chain)[N])
    {
        for (const ClassInfo &info : chain) {
            const QString key = QStringLiteral("class:") + QLatin1String(info.name);
            if (const std::optional<int> known = knownObject(key)) {
                // A class met before stands for its superclasses too.
                writeReference(*known);
                return;
            }
            m_out.append(char(kTagNew));
            addObject(key);
            writeSharedString(info.name);
            writeInteger(info.version);
        }
        m_out.append(char(kTagNil));
    }

    void writeCString(const QByteArray &text)
    {
        const QString key = QStringLiteral("cstring:") + QString::fromLatin1(text);
        if (const std::optional<int> known = knownObject(key)) {
            writeReference(*known);
            return;
        }
        m_out.append(char(kTagNew));
        addObject(key);
        writeSharedString(text);
    }

    // An object already in the table is written as its number. Answers true
    // when the caller still has to write it.
    bool beginObject(const QString &key)
    {
        if (!key.isEmpty()) {
            if (const std::optional<int> known = knownObject(key)) {
                writeReference(*known);
                return false;
            }
        }
        m_out.append(char(kTagNew));
        if (key.isEmpty())
            addAnonymousObject();
        else
            addObject(key);
        return true;
    }

    // A float or double: whole numbers as integers, as the platform's
    // stream writes them, others tagged with their bytes.
    template<typename Real, typename Bits>
    void writeReal(Real value)
    {
        static_assert(sizeof(Real) == sizeof(Bits));
        if (std::isfinite(value) && value == std::trunc(value) && std::fabs(value) < Real(2147483648.0)) {
            writeInteger(qint64(value));
            return;
        }
        m_out.append(char(kTagFloat));
        Bits bits;
        std::memcpy(&bits, &value, sizeof bits);
        appendLittleEndian(bits);
    }

    void writeNumber(const QByteArray &type, const QString &key, const std::function<void()> &writeValue)
    {
        if (!beginObject(key))
            return;
        writeClassChain(kNumberChain);
        writeSharedString("*");
        writeCString(type);
        writeSharedString(type);
        writeValue();
        m_out.append(char(kTagEndOfObject));
    }

    bool writeObject(const QVariant &value, const QString &where)
    {
        switch (value.typeId()) {
        case QMetaType::QString: {
            const QString text = value.toString();
            if (!beginObject(QStringLiteral("string:") + text))
                return true;
            writeClassChain(kStringChain);
            writeSharedString("+");
            writeCountedBytes(text.toUtf8());
            m_out.append(char(kTagEndOfObject));
            return true;
        }
        case QMetaType::Bool: {
            const bool on = value.toBool();
            writeNumber("c", on ? QStringLiteral("bool:1") : QStringLiteral("bool:0"),
                        [this, on] { writeInteger(on ? 1 : 0); });
            return true;
        }
        case QMetaType::Float: {
            const float number = value.toFloat();
            writeNumber("f", {}, [this, number] { writeReal<float, quint32>(number); });
            return true;
        }
        case QMetaType::Double: {
            const double number = value.toDouble();
            writeNumber("d", {}, [this, number] { writeReal<double, quint64>(number); });
            return true;
        }
        case QMetaType::Int: {
            const int number = value.toInt();
            writeNumber("i", {}, [this, number] { writeInteger(number); });
            return true;
        }
        case QMetaType::LongLong: {
            const qint64 number = value.toLongLong();
            writeNumber("q", {}, [this, number] { writeInteger(number); });
            return true;
        }
        case QMetaType::QStringList:
        case QMetaType::QVariantList: {
            const QVariantList items = value.toList();
            beginObject({});
            writeClassChain(kMutableArrayChain);
            writeSharedString("i");
            writeInteger(items.size());
            for (qsizetype i = 0; i < items.size(); ++i) {
                writeSharedString("@");
                if (!writeObject(items.at(i), QStringLiteral("%1[%2]").arg(where).arg(i)))
                    return false;
            }
            m_out.append(char(kTagEndOfObject));
            return true;
        }
        case QMetaType::QVariantMap: {
            const QVariantMap map = value.toMap();
            beginObject({});
            writeClassChain(kMutableDictionaryChain);
            writeSharedString("i");
            writeInteger(map.size());
            for (auto it = map.cbegin(); it != map.cend(); ++it) {
                if (it.key().isEmpty()) {
                    m_error = QStringLiteral("%1 has an empty key").arg(where);
                    return false;
                }
                writeSharedString("@");
                writeObject(it.key(), where);
                writeSharedString("@");
                if (!writeObject(it.value(), QStringLiteral("%1 \"%2\"").arg(where, it.key())))
                    return false;
            }
            m_out.append(char(kTagEndOfObject));
            return true;
        }
        default:
            m_error = QStringLiteral("%1 is of a type the archive does not hold (%2)")
                          .arg(where, QString::fromLatin1(value.metaType().name() ? value.metaType().name() : "none"));
            return false;
        }
    }

    QByteArray m_out;
    QString m_error;
    QHash<QByteArray, int> m_sharedStrings;
    QHash<QString, int> m_objects;
    int m_objectCount = 0;
};

// One entry of the reader's object table.
struct ObjectEntry
{
    enum class Kind { Object, Class, CString };
    Kind kind = Kind::Object;
    bool complete = false;
    QVariant value;      // an object's value, once read
    QStringList chain;   // a class's name and its superclasses' names
    QByteArray text;     // a C string
};

class Reader
{
public:
    explicit Reader(const QByteArray &data) : m_data(data) {}

    Result<QVariant> readArchive()
    {
        if (!readHeader())
            return failed();
        const std::optional<QByteArray> types = readTypeEncoding();
        if (!types)
            return failed();
        if (*types != "@") {
            fail(QStringLiteral("the root is of type \"%1\", not an object").arg(QString::fromLatin1(*types)));
            return failed();
        }
        std::optional<QVariant> root = readObject(0);
        if (!root)
            return failed();
        if (!root->isValid()) {
            fail(QStringLiteral("the root object is nil"));
            return failed();
        }
        if (m_pos != m_data.size()) {
            fail(QStringLiteral("%1 bytes follow the root object").arg(m_data.size() - m_pos));
            return failed();
        }
        return *root;
    }

private:
    Result<QVariant> failed() const { return Result<QVariant>::failure(m_error); }

    void fail(const QString &what)
    {
        if (m_error.isEmpty())
            m_error = QStringLiteral("%1 (at byte %2)").arg(what).arg(m_pos);
    }

    qsizetype remaining() const { return m_data.size() - m_pos; }

    std::optional<quint8> readByte()
    {
        if (m_pos >= m_data.size()) {
            fail(QStringLiteral("the archive ends early"));
            return std::nullopt;
        }
        return quint8(m_data.at(m_pos++));
    }

    std::optional<quint8> peekByte()
    {
        if (m_pos >= m_data.size()) {
            fail(QStringLiteral("the archive ends early"));
            return std::nullopt;
        }
        return quint8(m_data.at(m_pos));
    }

    template<typename T>
    std::optional<T> readLittleEndian()
    {
        if (remaining() < qsizetype(sizeof(T))) {
            fail(QStringLiteral("the archive ends early"));
            return std::nullopt;
        }
        const T value = qFromLittleEndian<T>(m_data.constData() + m_pos);
        m_pos += sizeof(T);
        return value;
    }

    // An integer whose first byte has been read.
    std::optional<qint64> readIntegerAfter(quint8 head)
    {
        switch (head) {
        case kTagInteger2:
            if (auto v = readLittleEndian<qint16>())
                return qint64(*v);
            return std::nullopt;
        case kTagInteger4:
            if (auto v = readLittleEndian<qint32>())
                return qint64(*v);
            return std::nullopt;
        case kTagInteger8:
            return readLittleEndian<qint64>();
        default:
            break;
        }
        const qint64 value = qint8(head);
        if (value < kSmallestSingleByte) {
            --m_pos;
            fail(QStringLiteral("tag 0x%1 where an integer belongs").arg(head, 2, 16, QLatin1Char('0')));
            return std::nullopt;
        }
        return value;
    }

    std::optional<qint64> readInteger()
    {
        const std::optional<quint8> head = readByte();
        if (!head)
            return std::nullopt;
        return readIntegerAfter(*head);
    }

    std::optional<QByteArray> readCountedBytes()
    {
        const std::optional<qint64> length = readInteger();
        if (!length)
            return std::nullopt;
        if (*length < 0 || *length > remaining()) {
            fail(QStringLiteral("a string of %1 bytes does not fit the archive").arg(*length));
            return std::nullopt;
        }
        const QByteArray bytes = m_data.mid(m_pos, *length);
        m_pos += *length;
        return bytes;
    }

    // The table entry an integer refers to, or nothing with the failure noted.
    std::optional<qsizetype> referenceAfter(quint8 head, qsizetype tableSize, const char *table)
    {
        const std::optional<qint64> value = readIntegerAfter(head);
        if (!value)
            return std::nullopt;
        // Compared before the subtraction, which could overflow.
        if (*value < kFirstReference || *value >= qint64(tableSize) + kFirstReference) {
            fail(QStringLiteral("reference %1 past the %2 table of %3 entries")
                     .arg(*value)
                     .arg(QLatin1String(table))
                     .arg(tableSize));
            return std::nullopt;
        }
        return qsizetype(*value - kFirstReference);
    }

    // The entry of the object table an integer refers to, when of that kind.
    const ObjectEntry *entryAfter(quint8 head, ObjectEntry::Kind kind, const char *what)
    {
        const std::optional<qsizetype> index = referenceAfter(head, m_objects.size(), "object");
        if (!index)
            return nullptr;
        const ObjectEntry &entry = m_objects.at(*index);
        if (entry.kind != kind) {
            fail(QStringLiteral("reference %1 is no %2").arg(*index).arg(QLatin1String(what)));
            return nullptr;
        }
        // Only a stream made to do so refers to an entry still being read.
        if (!entry.complete) {
            fail(QStringLiteral("a %1 that refers to itself").arg(QLatin1String(what)));
            return nullptr;
        }
        return &entry;
    }

    // The first byte of a class or an object, within the nesting allowed.
    std::optional<quint8> readHead(int depth, const char *what)
    {
        if (depth > kMaxDepth) {
            fail(QStringLiteral("%1 nest too deeply").arg(QLatin1String(what)));
            return std::nullopt;
        }
        return readByte();
    }

    // A shared string: new (then remembered), a reference, or nil (an empty
    // optional inside a present one).
    std::optional<std::optional<QByteArray>> readSharedString()
    {
        const std::optional<quint8> head = readByte();
        if (!head)
            return std::nullopt;
        if (*head == kTagNil)
            return std::optional<QByteArray>();
        if (*head == kTagNew) {
            const std::optional<QByteArray> text = readCountedBytes();
            if (!text)
                return std::nullopt;
            m_sharedStrings.append(*text);
            return std::optional<QByteArray>(*text);
        }
        const std::optional<qsizetype> index = referenceAfter(*head, m_sharedStrings.size(), "shared string");
        if (!index)
            return std::nullopt;
        return std::optional<QByteArray>(m_sharedStrings.at(*index));
    }

    std::optional<QByteArray> readTypeEncoding()
    {
        const auto text = readSharedString();
        if (!text)
            return std::nullopt;
        if (!*text || (*text)->isEmpty()) {
            fail(QStringLiteral("a value without a type"));
            return std::nullopt;
        }
        return **text;
    }

    bool expectTypes(const QByteArray &expected)
    {
        const std::optional<QByteArray> types = readTypeEncoding();
        if (!types)
            return false;
        if (*types != expected) {
            fail(QStringLiteral("type \"%1\" where \"%2\" belongs")
                     .arg(QString::fromLatin1(*types), QString::fromLatin1(expected)));
            return false;
        }
        return true;
    }

    bool readHeader()
    {
        if (m_data.startsWith(QByteArray(1, char(kBigEndianStreamerVersion)) + char(sizeof(kBigEndianSignature) - 1)
                              + kBigEndianSignature)) {
            m_error = QStringLiteral("a big-endian archive, which is not read");
            return false;
        }
        if (!m_data.startsWith(streamHeader())) {
            m_error = QStringLiteral("not an archive (no \"streamtyped\" header)");
            return false;
        }
        m_pos = streamHeader().size();
        return readInteger().has_value();
    }

    // A class chain, most derived class first; empty for nil.
    std::optional<QStringList> readClass(int depth)
    {
        const std::optional<quint8> head = readHead(depth, "classes");
        if (!head)
            return std::nullopt;
        if (*head == kTagNil)
            return QStringList();
        if (*head == kTagNew) {
            const qsizetype index = m_objects.size();
            m_objects.append({ObjectEntry::Kind::Class, false, {}, {}, {}});
            const auto name = readSharedString();
            if (!name)
                return std::nullopt;
            if (!*name || (*name)->isEmpty()) {
                fail(QStringLiteral("a class without a name"));
                return std::nullopt;
            }
            if (!readInteger())
                return std::nullopt;
            const std::optional<QStringList> superclasses = readClass(depth + 1);
            if (!superclasses)
                return std::nullopt;
            QStringList chain{QString::fromLatin1(**name)};
            chain += *superclasses;
            m_objects[index].chain = chain;
            m_objects[index].complete = true;
            return chain;
        }
        const ObjectEntry *entry = entryAfter(*head, ObjectEntry::Kind::Class, "class");
        return entry ? std::optional<QStringList>(entry->chain) : std::nullopt;
    }

    std::optional<QByteArray> readCString()
    {
        const std::optional<quint8> head = readByte();
        if (!head)
            return std::nullopt;
        if (*head == kTagNil) {
            fail(QStringLiteral("a number without a type"));
            return std::nullopt;
        }
        if (*head == kTagNew) {
            const auto text = readSharedString();
            if (!text)
                return std::nullopt;
            if (!*text) {
                fail(QStringLiteral("a number without a type"));
                return std::nullopt;
            }
            m_objects.append({ObjectEntry::Kind::CString, true, {}, {}, **text});
            return **text;
        }
        const ObjectEntry *entry = entryAfter(*head, ObjectEntry::Kind::CString, "C string");
        return entry ? std::optional<QByteArray>(entry->text) : std::nullopt;
    }

    std::optional<double> readReal(int width)
    {
        const std::optional<quint8> head = readByte();
        if (!head)
            return std::nullopt;
        if (*head != kTagFloat) {
            const std::optional<qint64> whole = readIntegerAfter(*head);
            return whole ? std::optional<double>(double(*whole)) : std::nullopt;
        }
        if (width == 4) {
            const std::optional<quint32> bits = readLittleEndian<quint32>();
            if (!bits)
                return std::nullopt;
            float value;
            std::memcpy(&value, &*bits, sizeof value);
            return double(value);
        }
        const std::optional<quint64> bits = readLittleEndian<quint64>();
        if (!bits)
            return std::nullopt;
        double value;
        std::memcpy(&value, &*bits, sizeof value);
        return value;
    }

    std::optional<QVariant> readNumberContents()
    {
        if (!expectTypes("*"))
            return std::nullopt;
        const std::optional<QByteArray> type = readCString();
        if (!type)
            return std::nullopt;
        if (type->size() != 1) {
            fail(QStringLiteral("a number of type \"%1\"").arg(QString::fromLatin1(*type)));
            return std::nullopt;
        }
        if (!expectTypes(*type))
            return std::nullopt;
        switch (type->at(0)) {
        case 'c':
        case 'C':
        case 'B':
            if (const auto value = readInteger())
                return QVariant(*value != 0);
            return std::nullopt;
        case 's':
        case 'S':
        case 'i':
        case 'I':
        case 'l':
        case 'L':
            if (const auto value = readInteger()) {
                if (*value >= std::numeric_limits<int>::min() && *value <= std::numeric_limits<int>::max())
                    return QVariant(int(*value));
                return QVariant(qint64(*value));
            }
            return std::nullopt;
        case 'q':
        case 'Q':
            if (const auto value = readInteger())
                return QVariant(qint64(*value));
            return std::nullopt;
        case 'f':
            if (const auto value = readReal(4))
                return QVariant(float(*value));
            return std::nullopt;
        case 'd':
            if (const auto value = readReal(8))
                return QVariant(*value);
            return std::nullopt;
        default:
            fail(QStringLiteral("a number of type \"%1\"").arg(QString::fromLatin1(*type)));
            return std::nullopt;
        }
    }

    std::optional<qint64> readCount()
    {
        if (!expectTypes("i"))
            return std::nullopt;
        const std::optional<qint64> count = readInteger();
        if (!count)
            return std::nullopt;
        // Every element takes at least one byte.
        if (*count < 0 || *count > remaining()) {
            fail(QStringLiteral("a count of %1 does not fit the archive").arg(*count));
            return std::nullopt;
        }
        return count;
    }

    std::optional<QVariant> readElement(int depth)
    {
        if (!expectTypes("@"))
            return std::nullopt;
        std::optional<QVariant> element = readObject(depth + 1);
        if (element && !element->isValid()) {
            fail(QStringLiteral("nil inside a collection"));
            return std::nullopt;
        }
        return element;
    }

    std::optional<QVariant> readArrayContents(int depth)
    {
        const std::optional<qint64> count = readCount();
        if (!count)
            return std::nullopt;
        QVariantList items;
        for (qint64 i = 0; i < *count; ++i) {
            std::optional<QVariant> item = readElement(depth);
            if (!item)
                return std::nullopt;
            items.append(*item);
        }
        return QVariant(items);
    }

    std::optional<QVariant> readDictionaryContents(int depth)
    {
        const std::optional<qint64> count = readCount();
        if (!count)
            return std::nullopt;
        QVariantMap map;
        for (qint64 i = 0; i < *count; ++i) {
            const std::optional<QVariant> key = readElement(depth);
            if (!key)
                return std::nullopt;
            if (key->typeId() != QMetaType::QString) {
                fail(QStringLiteral("a dictionary key that is no string"));
                return std::nullopt;
            }
            std::optional<QVariant> value = readElement(depth);
            if (!value)
                return std::nullopt;
            map.insert(key->toString(), *value);
        }
        return QVariant(map);
    }

    std::optional<QVariant> readContents(const QStringList &chain, int depth)
    {
        for (const QString &name : chain) {
            if (name == QLatin1String("NSString") || name == QLatin1String("NSMutableString")) {
                if (!expectTypes("+"))
                    return std::nullopt;
                const std::optional<QByteArray> bytes = readCountedBytes();
                if (!bytes)
                    return std::nullopt;
                return QVariant(QString::fromUtf8(*bytes));
            }
            if (name == QLatin1String("NSArray"))
                return readArrayContents(depth);
            if (name == QLatin1String("NSDictionary"))
                return readDictionaryContents(depth);
            if (name == QLatin1String("NSNumber"))
                return readNumberContents();
        }
        fail(QStringLiteral("an object of class %1, which the settings do not hold")
                 .arg(chain.isEmpty() ? QStringLiteral("nil") : chain.first()));
        return std::nullopt;
    }

    // An object: an invalid QVariant for nil.
    std::optional<QVariant> readObject(int depth)
    {
        const std::optional<quint8> head = readHead(depth, "objects");
        if (!head)
            return std::nullopt;
        if (*head == kTagNil)
            return QVariant();
        if (*head == kTagNew) {
            const qsizetype index = m_objects.size();
            m_objects.append({ObjectEntry::Kind::Object, false, {}, {}, {}});
            const std::optional<QStringList> chain = readClass(0);
            if (!chain)
                return std::nullopt;
            std::optional<QVariant> value = readContents(*chain, depth);
            if (!value)
                return std::nullopt;
            const std::optional<quint8> end = readByte();
            if (!end)
                return std::nullopt;
            if (*end != kTagEndOfObject) {
                --m_pos;
                fail(QStringLiteral("an object of class %1 does not end where it should").arg(chain->first()));
                return std::nullopt;
            }
            m_objects[index].value = *value;
            m_objects[index].complete = true;
            return value;
        }
        const ObjectEntry *entry = entryAfter(*head, ObjectEntry::Kind::Object, "object");
        return entry ? std::optional<QVariant>(entry->value) : std::nullopt;
    }

    const QByteArray &m_data;
    qsizetype m_pos = 0;
    QString m_error;
    QList<QByteArray> m_sharedStrings;
    QList<ObjectEntry> m_objects;
};

} // namespace TypedStream
} // namespace

Result<QByteArray> Archiver::archivedDataWithRootObject(const QVariant &root)
{
    TypedStream::Writer writer;
    writer.writeHeader();
    if (!writer.writeRoot(root))
        return Result<QByteArray>::failure(writer.error());
    return writer.take();
}

bool Unarchiver::isArchive(const QByteArray &data)
{
    return data.startsWith(TypedStream::streamHeader());
}

Result<QVariant> Unarchiver::unarchiveObjectWithData(const QByteArray &data)
{
    TypedStream::Reader reader(data);
    return reader.readArchive();
}
