#pragma once

#include "DOMAttr.h"
#include "DOMElement.h"

// The live view of an element's attributes that `attributes` answers: it reads
// and changes the element directly.
class DOMNamedNodeMap
{
public:
    explicit DOMNamedNodeMap(DOMElementPtr element) : m_element(std::move(element)) {}

    int length() const { return m_element->attributeCount(); }
    DOMAttr *item(int index) const { return m_element->attributeAt(index); }
    DOMAttr *getNamedItem(const QString &name) const { return m_element->getAttributeNode(name); }
    DOMAttr *getNamedItemNS(const QString &namespaceURI, const QString &localName) const
    {
        return m_element->getAttributeNodeNS(namespaceURI, localName);
    }
    Result<void> setNamedItem(const DOMAttrPtr &attribute) { return m_element->setAttributeNode(attribute); }
    Result<void> setNamedItemNS(const DOMAttrPtr &attribute) { return m_element->setAttributeNodeNS(attribute); }
    // NotFoundError when the element has no such attribute.
    Result<void> removeNamedItem(const QString &name);
    Result<void> removeNamedItemNS(const QString &namespaceURI, const QString &localName);

private:
    DOMElementPtr m_element;
};
