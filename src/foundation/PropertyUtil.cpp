#include "PropertyUtil.h"

#include "platform/foundation/Log.h"

#include <QMetaProperty>
#include <QVariant>

namespace {

QString typeCode(const QMetaProperty &property)
{
    if (property.isEnumType())
        return QStringLiteral("i");
    const QMetaType type = property.metaType();
    switch (type.id()) {
    case QMetaType::Bool:
    case QMetaType::Char:
    case QMetaType::SChar:
        return QStringLiteral("c");
    case QMetaType::UChar: return QStringLiteral("C");
    case QMetaType::Short: return QStringLiteral("s");
    case QMetaType::UShort: return QStringLiteral("S");
    case QMetaType::Int: return QStringLiteral("i");
    case QMetaType::UInt: return QStringLiteral("I");
    case QMetaType::Long:
    case QMetaType::LongLong:
        return QStringLiteral("q");
    case QMetaType::ULong:
    case QMetaType::ULongLong:
        return QStringLiteral("Q");
    case QMetaType::Float: return QStringLiteral("f");
    case QMetaType::Double: return QStringLiteral("d");
    case QMetaType::VoidStar: return QStringLiteral("^v");
    case QMetaType::QVariant: return QStringLiteral("@");
    default:
        break;
    }
    QString name = QString::fromLatin1(type.name());
    if (type.flags().testFlag(QMetaType::PointerToQObject)) {
        if (name.endsWith(u'*'))
            name.chop(1);
        return QStringLiteral("@\"%1\"").arg(name.trimmed());
    }
    if (type.flags().testFlag(QMetaType::IsGadget) || type.flags().testFlag(QMetaType::IsEnumeration))
        return QStringLiteral("{%1}").arg(name);
    // Strings, lists, maps, colours and the other Qt value classes play
    // the part of objects.
    return QStringLiteral("@\"%1\"").arg(name);
}

// The type named by an attribute text: the first piece starting with "T".
QString typeFromAttributes(const QString &attributes)
{
    const QStringList pieces = attributes.split(u',');
    for (const QString &piece : pieces) {
        if (!piece.startsWith(u'T'))
            continue;
        if (piece.size() < 2 || piece.at(1) != u'@')
            return piece.mid(1);
        if (piece == u"T@")
            return QStringLiteral("id");
        return piece.mid(3, piece.size() - 4);
    }
    return QString();
}

} // namespace

QString PropertyUtil::attributes(const QMetaProperty &property)
{
    return u'T' + typeCode(property);
}

std::optional<QVariantMap> PropertyUtil::classPropsFor(const QMetaObject *cls)
{
    if (!cls)
        return std::nullopt;
    QVariantMap properties;
    for (int i = cls->propertyOffset(); i < cls->propertyCount(); ++i) {
        const QMetaProperty property = cls->property(i);
        const QString attributeText = attributes(property);
        QM_DEBUG(QStringLiteral("attributes=%1").arg(attributeText));
        properties.insert(QString::fromLatin1(property.name()), typeFromAttributes(attributeText));
    }
    return properties;
}
