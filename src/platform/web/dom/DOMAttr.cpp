#include "DOMAttr.h"

#include "DOMElement.h"

DOMAttr::DOMAttr(DOMNodeKey, DOMNamespace ns, QString namespaceURI, QString prefix, QString localName,
                 QString value)
    : m_namespace(ns)
    , m_namespaceURI(ns == DOMNamespace::Other ? std::move(namespaceURI) : QString())
    , m_prefix(std::move(prefix))
    , m_localName(std::move(localName))
    , m_value(std::move(value))
{
}

QString DOMAttr::name() const
{
    return m_prefix.isEmpty() ? m_localName : m_prefix + QLatin1Char(':') + m_localName;
}

QString DOMAttr::namespaceURI() const
{
    return m_namespace == DOMNamespace::Other ? m_namespaceURI : DOMNamespaces::uri(m_namespace);
}

void DOMAttr::setValue(const QString &value)
{
    if (m_ownerElement)
        m_ownerElement->changeAttributeValue(this, value);
    else
        m_value = value;
}

bool DOMAttr::hasQualifiedName(const QString &name) const
{
    if (m_prefix.isEmpty())
        return m_localName == name;
    return name.size() == m_prefix.size() + 1 + m_localName.size() && name.startsWith(m_prefix)
        && name.at(m_prefix.size()) == QLatin1Char(':') && name.endsWith(m_localName);
}

bool DOMAttr::hasNamespaceAndLocalName(DOMNamespace ns, const QString &namespaceURI,
                                       const QString &localName) const
{
    return m_namespace == ns && m_localName == localName
        && (ns != DOMNamespace::Other || m_namespaceURI == namespaceURI);
}
