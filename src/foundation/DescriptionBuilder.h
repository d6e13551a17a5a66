#pragma once

#include <QMetaObject>
#include <QString>

#include <type_traits>

class QObject;

// A readable description of any object from its Qt properties, which stand
// in for instance variables: QObject properties, or the properties of a
// Q_GADGET value. The properties a class itself declares are listed in
// declaration order; with the superclass flag each base class follows as a
// bracketed group of its own, down to the root class.
//
// Styles (head, separator, each property):
//   1: "<Class: 0x<hash>;\n", ";\n", "name = value"
//   2: "<Class: 0x<hash>; ", "; ", "value"
//   3: "<Class; ", "; ", "name = value"
//   4: "<", "; ", "value"
//   0 and any other: "<Class: 0x<hash>; ", "; ", "name = value"
// The hash is the object's address in decimal, after a literal "0x".
// Values: bool YES/NO; numbers printf-style in the C locale; strings between
// double quotes; a null string or null object "(null)"; a QObject its
// description() when it has an invokable one, else "<Class: 0x<hash>>";
// points, sizes, rects and ranges "{x, y}", "{w, h}", "{{x, y}, {w, h}}",
// "{location, length}"; other gadgets nothing; other values their text.
class DescriptionBuilder
{
public:
    // The object's own class only.
    static QString reflectDescription(const QObject *object, quint32 style = 0);
    // The object's class, then every base class.
    static QString reflectDescriptionWithSuperClass(const QObject *object, quint32 style = 0);
    // The properties of `targetClass` (the object's class or one of its bases).
    static QString reflectDescription(const QObject *object, quint32 style, const QMetaObject *targetClass,
                                      bool withSuperClass);

    // The same for Q_GADGET values.
    template<typename Gadget>
        requires(!std::is_pointer_v<Gadget> && requires { Gadget::staticMetaObject; }
                 && !std::is_base_of_v<QObject, Gadget>)
    static QString reflectDescription(const Gadget &gadget, quint32 style = 0)
    {
        return reflectGadgetDescription(&gadget, style, &Gadget::staticMetaObject, false);
    }
    template<typename Gadget>
        requires(!std::is_pointer_v<Gadget> && requires { Gadget::staticMetaObject; }
                 && !std::is_base_of_v<QObject, Gadget>)
    static QString reflectDescriptionWithSuperClass(const Gadget &gadget, quint32 style = 0)
    {
        return reflectGadgetDescription(&gadget, style, &Gadget::staticMetaObject, true);
    }
    static QString reflectGadgetDescription(const void *gadget, quint32 style, const QMetaObject *targetClass,
                                            bool withSuperClass);
};
