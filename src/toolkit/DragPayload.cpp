#include "DragPayload.h"

#include <QDataStream>
#include <QIODevice>
#include <QMimeData>

namespace DragPayload {

// Fixed, so that data written by one build reads in another.
static constexpr QDataStream::Version kPayloadStreamVersion = QDataStream::Qt_6_0;

QByteArray encodeDomNodeDragCopy(const QVariant &value)
{
    QByteArray data;
    QDataStream stream(&data, QIODevice::WriteOnly);
    stream.setVersion(kPayloadStreamVersion);
    stream << value;
    return data;
}

std::optional<QVariant> decodeDomNodeDragCopy(const QByteArray &data)
{
    QDataStream stream(data);
    stream.setVersion(kPayloadStreamVersion);
    QVariant value;
    stream >> value;
    if (stream.status() != QDataStream::Ok)
        return std::nullopt;
    const int type = value.typeId();
    if (type != QMetaType::QString && type != QMetaType::QVariantMap)
        return std::nullopt;
    return value;
}

void setDomNodeDragCopy(QMimeData *mime, const QVariant &value)
{
    mime->setData(QString::fromLatin1(kDomNodeDragCopy), encodeDomNodeDragCopy(value));
}

std::optional<QVariant> domNodeDragCopy(const QMimeData *mime)
{
    const QString type = QString::fromLatin1(kDomNodeDragCopy);
    if (!mime || !mime->hasFormat(type))
        return std::nullopt;
    return decodeDomNodeDragCopy(mime->data(type));
}

void setCSSRuleDrag(QMimeData *mime, const QString &ruleText)
{
    mime->setData(QString::fromLatin1(kCSSRuleDrag), ruleText.toUtf8());
}

std::optional<QString> cssRuleDrag(const QMimeData *mime)
{
    const QString type = QString::fromLatin1(kCSSRuleDrag);
    if (!mime || !mime->hasFormat(type))
        return std::nullopt;
    return QString::fromUtf8(mime->data(type));
}

} // namespace DragPayload
