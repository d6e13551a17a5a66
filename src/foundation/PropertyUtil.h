#pragma once

#include <QMetaObject>
#include <QVariantMap>

#include <optional>

// The properties a class declares, with their types.
class PropertyUtil
{
public:
    // Property name to type name, for the properties the class itself
    // declares (not its bases'); nullopt for no class. Object types give
    // their class name ("QString", "QObject"), an untyped QVariant property
    // "id", and plain values a one-letter code: "c" bool and char, "C"
    // unsigned char, "s"/"S" short, "i"/"I" int and enums, "q"/"Q" long and
    // long long, "f" float, "d" double, "^v" pointer; other value structures
    // "{Name}".
    static std::optional<QVariantMap> classPropsFor(const QMetaObject *cls);

    // The attribute text of a property: "T" and its type code, such as
    // "Ti" or "T@\"QString\"".
    static QString attributes(const QMetaProperty &property);
};
