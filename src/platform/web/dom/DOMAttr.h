#pragma once

#include "DOMNamespaces.h"

#include <QString>

#include <memory>

class DOMDocument;
class DOMElement;
class DOMNodeKey;

// One attribute: a namespace, an optional prefix, a local name and a value.
// An element owns its attributes in order; a detached attribute (from
// createAttribute()) belongs to nobody until it is set on an element. Setting
// the value of an attached attribute changes the element, with its event and
// replay command.
class DOMAttr
{
public:
    DOMAttr(DOMNodeKey, DOMNamespace ns, QString namespaceURI, QString prefix, QString localName,
            QString value);

    // The qualified name: "xlink:href", "class".
    QString name() const;
    const QString &localName() const { return m_localName; }
    const QString &prefix() const { return m_prefix; }
    QString namespaceURI() const;
    DOMNamespace namespaceId() const { return m_namespace; }
    const QString &value() const { return m_value; }
    void setValue(const QString &value);
    DOMElement *ownerElement() const { return m_ownerElement; }

    // Whether the qualified name is exactly name.
    bool hasQualifiedName(const QString &name) const;
    bool hasNamespaceAndLocalName(DOMNamespace ns, const QString &namespaceURI, const QString &localName) const;

private:
    friend class DOMElement;
    friend class DOMTreeBuilder;

    DOMNamespace m_namespace;
    QString m_namespaceURI; // Only for DOMNamespace::Other.
    QString m_prefix;
    QString m_localName;
    QString m_value;
    DOMElement *m_ownerElement = nullptr; // Not owned.
};

using DOMAttrPtr = std::shared_ptr<DOMAttr>;
