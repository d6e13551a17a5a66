#include "PropertyList.h"

#include "AtomicFileWriter.h"

#include <QDateTime>
#include <QFile>
#include <QStringList>
#include <QTimeZone>

#include <plist/plist.h>

#include <cstdlib>
#include <memory>

namespace PropertyList {

namespace {

// Property-list dates count seconds from 2001-01-01 00:00:00 UTC.
const qint64 kReferenceDateSecs = 978307200;

struct PlistDeleter
{
    void operator()(void *node) const { plist_free(static_cast<plist_t>(node)); }
};
using PlistPtr = std::unique_ptr<void, PlistDeleter>;

plist_t toNode(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::QVariantMap: {
        plist_t dict = plist_new_dict();
        const QVariantMap map = value.toMap();
        for (auto it = map.cbegin(); it != map.cend(); ++it)
            plist_dict_set_item(dict, it.key().toUtf8().constData(), toNode(it.value()));
        return dict;
    }
    case QMetaType::QVariantHash: {
        plist_t dict = plist_new_dict();
        const QVariantHash hash = value.toHash();
        for (auto it = hash.cbegin(); it != hash.cend(); ++it)
            plist_dict_set_item(dict, it.key().toUtf8().constData(), toNode(it.value()));
        return dict;
    }
    case QMetaType::QVariantList:
    case QMetaType::QStringList: {
        plist_t array = plist_new_array();
        const QVariantList list = value.toList();
        for (const QVariant &item : list)
            plist_array_append_item(array, toNode(item));
        return array;
    }
    case QMetaType::Bool:
        return plist_new_bool(value.toBool() ? 1 : 0);
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
        return plist_new_uint(uint64_t(value.toLongLong()));
    case QMetaType::ULong:
    case QMetaType::ULongLong:
        return plist_new_uint(value.toULongLong());
    case QMetaType::Float:
    case QMetaType::Double:
        return plist_new_real(value.toDouble());
    case QMetaType::QByteArray: {
        const QByteArray data = value.toByteArray();
        return plist_new_data(data.constData(), uint64_t(data.size()));
    }
    case QMetaType::QDateTime: {
        const qint64 msecs = value.toDateTime().toMSecsSinceEpoch() - kReferenceDateSecs * 1000;
        const qint64 secs = msecs >= 0 ? msecs / 1000 : -((-msecs + 999) / 1000);
        return plist_new_date(int32_t(secs), int32_t((msecs - secs * 1000) * 1000));
    }
    default:
        return plist_new_string(value.toString().toUtf8().constData());
    }
}

QVariant fromNode(plist_t node)
{
    switch (plist_get_node_type(node)) {
    case PLIST_DICT: {
        QVariantMap map;
        plist_dict_iter it = nullptr;
        plist_dict_new_iter(node, &it);
        for (;;) {
            char *key = nullptr;
            plist_t item = nullptr;
            plist_dict_next_item(node, it, &key, &item);
            if (!item) {
                std::free(key);
                break;
            }
            map.insert(QString::fromUtf8(key), fromNode(item));
            std::free(key);
        }
        std::free(it);
        return map;
    }
    case PLIST_ARRAY: {
        QVariantList list;
        const uint32_t count = plist_array_get_size(node);
        list.reserve(count);
        for (uint32_t i = 0; i < count; ++i)
            list.append(fromNode(plist_array_get_item(node, i)));
        return list;
    }
    case PLIST_BOOLEAN: {
        uint8_t b = 0;
        plist_get_bool_val(node, &b);
        return bool(b);
    }
    case PLIST_UINT: {
        uint64_t v = 0;
        plist_get_uint_val(node, &v);
        return qint64(v);
    }
    case PLIST_REAL: {
        double v = 0;
        plist_get_real_val(node, &v);
        return v;
    }
    case PLIST_STRING: {
        uint64_t length = 0;
        const char *text = plist_get_string_ptr(node, &length);
        return QString::fromUtf8(text, qsizetype(length));
    }
    case PLIST_DATA: {
        uint64_t length = 0;
        const char *data = plist_get_data_ptr(node, &length);
        return QByteArray(data, qsizetype(length));
    }
    case PLIST_DATE: {
        int32_t sec = 0;
        int32_t usec = 0;
        plist_get_date_val(node, &sec, &usec);
        const qint64 msecs = (qint64(sec) + kReferenceDateSecs) * 1000 + usec / 1000;
        return QDateTime::fromMSecsSinceEpoch(msecs, QTimeZone::utc());
    }
    case PLIST_KEY: {
        char *key = nullptr;
        plist_get_key_val(node, &key);
        const QString text = QString::fromUtf8(key);
        std::free(key);
        return text;
    }
    default:
        return QVariant();
    }
}

} // namespace

QByteArray toXml(const QVariant &value)
{
    PlistPtr root(toNode(value));
    char *xml = nullptr;
    uint32_t length = 0;
    plist_to_xml(static_cast<plist_t>(root.get()), &xml, &length);
    const QByteArray result(xml, qsizetype(length));
    plist_to_xml_free(xml);
    return result;
}

Result<QVariant> fromXml(const QByteArray &xml)
{
    if (!xml.trimmed().startsWith("<"))
        return Result<QVariant>::failure(QStringLiteral("not an XML property list"));
    plist_t node = nullptr;
    plist_from_xml(xml.constData(), uint32_t(xml.size()), &node);
    if (!node)
        return Result<QVariant>::failure(QStringLiteral("malformed XML property list"));
    PlistPtr root(node);
    return fromNode(node);
}

Result<QVariant> read(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Result<QVariant>::failure(QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
    Result<QVariant> value = fromXml(file.readAll());
    if (!value)
        return Result<QVariant>::failure(QStringLiteral("%1: %2").arg(path, value.error()));
    return value;
}

Result<void> write(const QString &path, const QVariant &value)
{
    return AtomicFileWriter::writeFile(path, toXml(value));
}

} // namespace PropertyList
