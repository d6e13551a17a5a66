#include "DescriptionBuilder.h"

#include "platform/foundation/Range.h"

#include <QDebug>
#include <QMetaProperty>
#include <QObject>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QVariant>

#include <optional>

namespace {

constexpr char kNull[] = "(null)";

struct Style
{
    const char *separator;
    bool withHash;
    bool withClassName;
    bool withNames;
};

Style styleFor(quint32 style)
{
    switch (style) {
    case 1: return {";\n", true, true, true};
    case 2: return {"; ", true, true, false};
    case 3: return {"; ", false, true, true};
    case 4: return {"; ", false, false, false};
    default: return {"; ", true, true, true};
    }
}

QString objectDescription(const QObject *object)
{
    if (!object)
        return QString::fromLatin1(kNull);
    const QMetaObject *meta = object->metaObject();
    const int method = meta->indexOfMethod("description()");
    if (method >= 0 && meta->method(method).returnMetaType() == QMetaType::fromType<QString>()) {
        QString text;
        if (meta->method(method).invoke(const_cast<QObject *>(object), Qt::DirectConnection,
                                        Q_RETURN_ARG(QString, text)))
            return text;
    }
    return QStringLiteral("<%1: 0x%2>").arg(QLatin1String(meta->className())).arg(quintptr(object));
}

QString valueText(const QVariant &value, bool isEnum);

QString textOfKnownStruct(const QVariant &value, bool *known)
{
    *known = true;
    const QMetaType type = value.metaType();
    if (type == QMetaType::fromType<QPointF>() || type == QMetaType::fromType<QPoint>()) {
        const QPointF p = value.toPointF();
        return QString::asprintf("{%g, %g}", p.x(), p.y());
    }
    if (type == QMetaType::fromType<QSizeF>() || type == QMetaType::fromType<QSize>()) {
        const QSizeF s = value.toSizeF();
        return QString::asprintf("{%g, %g}", s.width(), s.height());
    }
    if (type == QMetaType::fromType<QRectF>() || type == QMetaType::fromType<QRect>()) {
        const QRectF r = value.toRectF();
        return QString::asprintf("{{%g, %g}, {%g, %g}}", r.x(), r.y(), r.width(), r.height());
    }
    if (type == QMetaType::fromType<Range>()) {
        const Range r = value.value<Range>();
        return QString::asprintf("{%lld, %lld}", qlonglong(r.location), qlonglong(r.length));
    }
    *known = false;
    return QString();
}

std::optional<QString> debugText(const QVariant &value)
{
    QString text;
    {
        QDebug stream(&text);
        stream.noquote().nospace();
        if (!value.metaType().debugStream(stream, value.constData()))
            return std::nullopt;
    }
    return text;
}

QString valueText(const QVariant &value, bool isEnum)
{
    if (!value.isValid() || value.metaType() == QMetaType::fromType<std::nullptr_t>())
        return QString::fromLatin1(kNull);
    if (isEnum)
        return QString::number(value.toInt());

    const QMetaType type = value.metaType();
    switch (type.id()) {
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("YES") : QStringLiteral("NO");
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
        return QString::asprintf("%c", value.value<char>());
    case QMetaType::Int:
        return QString::asprintf("%d", value.toInt());
    case QMetaType::UInt:
        return QString::asprintf("%u", value.toUInt());
    case QMetaType::Short:
        return QString::asprintf("%hi", value.value<short>());
    case QMetaType::UShort:
        return QString::asprintf("%hu", value.value<ushort>());
    case QMetaType::Long:
    case QMetaType::ULong:
        return QString::asprintf("%li", value.value<long>());
    case QMetaType::LongLong:
        return QString::asprintf("%lld", value.toLongLong());
    case QMetaType::ULongLong:
        return QString::asprintf("%llu", value.toULongLong());
    case QMetaType::Float:
    case QMetaType::Double:
        return QString::asprintf("%f", value.toDouble());
    case QMetaType::VoidStar:
        return QString::asprintf("%p", value.value<void *>());
    case QMetaType::QString: {
        const QString text = value.toString();
        return text.isNull() ? QString::fromLatin1(kNull) : u'"' + text + u'"';
    }
    case QMetaType::QVariant:
        return valueText(value.value<QVariant>(), false);
    default:
        break;
    }

    if (type.flags().testFlag(QMetaType::PointerToQObject))
        return objectDescription(value.value<QObject *>());
    bool known = false;
    const QString structText = textOfKnownStruct(value, &known);
    if (known)
        return structText;
    if (type.flags().testFlag(QMetaType::IsGadget))
        return QString(); // Other structures write nothing.
    if (type != QMetaType::fromType<QStringList>() && type != QMetaType::fromType<QVariantList>()
        && type != QMetaType::fromType<QVariantMap>() && value.canConvert<QString>())
        return value.toString();
    if (const auto text = debugText(value))
        return *text;
    return QString::fromLatin1(type.name());
}

QString describe(const QObject *object, const void *gadget, quint32 style, const QMetaObject *targetClass,
                 bool withSuperClass)
{
    if ((!object && !gadget) || !targetClass)
        return QString::fromLatin1(kNull);
    const Style format = styleFor(style);
    const quintptr hash = object ? quintptr(object) : quintptr(gadget);

    QString text = QStringLiteral("<");
    if (format.withClassName)
        text += QLatin1String(targetClass->className());
    if (format.withHash)
        text += QStringLiteral(": 0x%1").arg(hash);
    if (format.withClassName)
        text += QLatin1String(format.separator);

    bool first = true;
    for (int i = targetClass->propertyOffset(); i < targetClass->propertyCount(); ++i) {
        const QMetaProperty property = targetClass->property(i);
        if (!first)
            text += QLatin1String(format.separator);
        first = false;
        if (format.withNames)
            text += QLatin1String(property.name()) + QStringLiteral(" = ");
        const QVariant value = object ? property.read(object) : property.readOnGadget(gadget);
        text += valueText(value, property.isEnumType());
    }

    if (withSuperClass && targetClass->superClass()) {
        text += u'\n';
        text += describe(object, gadget, style, targetClass->superClass(), withSuperClass);
    }
    text += u'>';
    return text;
}

} // namespace

QString DescriptionBuilder::reflectDescription(const QObject *object, quint32 style)
{
    return reflectDescription(object, style, object ? object->metaObject() : nullptr, false);
}

QString DescriptionBuilder::reflectDescriptionWithSuperClass(const QObject *object, quint32 style)
{
    return reflectDescription(object, style, object ? object->metaObject() : nullptr, true);
}

QString DescriptionBuilder::reflectDescription(const QObject *object, quint32 style,
                                               const QMetaObject *targetClass, bool withSuperClass)
{
    return describe(object, nullptr, style, targetClass, withSuperClass);
}

QString DescriptionBuilder::reflectGadgetDescription(const void *gadget, quint32 style,
                                                     const QMetaObject *targetClass, bool withSuperClass)
{
    return describe(nullptr, gadget, style, targetClass, withSuperClass);
}
