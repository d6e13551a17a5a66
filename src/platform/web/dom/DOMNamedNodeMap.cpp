#include "DOMNamedNodeMap.h"

Result<void> DOMNamedNodeMap::removeNamedItem(const QString &name)
{
    if (!m_element->removeAttribute(name))
        return Result<void>::failure(QStringLiteral("NotFoundError: no attribute named \"%1\"").arg(name));
    return {};
}

Result<void> DOMNamedNodeMap::removeNamedItemNS(const QString &namespaceURI, const QString &localName)
{
    if (!m_element->removeAttributeNS(namespaceURI, localName))
        return Result<void>::failure(QStringLiteral("NotFoundError: no attribute named \"%1\"").arg(localName));
    return {};
}
