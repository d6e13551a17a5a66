#pragma once

#include "DOMAttr.h"
#include "DOMNamespaces.h"
#include "DOMNode.h"

#include <QStringList>

class DOMDocumentFragment;
class DOMNamedNodeMap;

// An element of the mirror: its namespace and name, its attributes in order
// (namespaced ones too: SVG's xlink:href) and, for a template, its content
// fragment. Attribute changes fire DOMAttrModified and then DOMSubtreeModified
// on the element, and replay as setAttribute/removeAttribute.
//
// Names: HTML elements keep lower-case local names and answer an upper-case
// tagName ("DIV"); other elements keep their case ("foreignObject").
class DOMElement : public DOMNode
{
public:

    DOMElement(DOMNodeKey, DOMDocument *document, qint64 nodeId, DOMNamespace ns, QString namespaceURI,
               QString prefix, QString localName);
    ~DOMElement() override;

    QString nodeName() const override { return tagName(); }
    QString tagName() const;
    const QString &localName() const { return m_localName; }
    const QString &prefix() const { return m_prefix; }
    QString namespaceURI() const;
    DOMNamespace namespaceId() const { return m_namespace; }
    bool isHTMLElement() const { return m_namespace == DOMNamespace::HTML; }
    // Whether this is the HTML element with that lower-case local name.
    bool isHTML(QStringView localName) const { return isHTMLElement() && m_localName == localName; }

    // Attributes in order.
    int attributeCount() const { return int(m_attributes.size()); }
    DOMAttr *attributeAt(int index) const;
    bool hasAttributes() const { return !m_attributes.isEmpty(); }
    DOMNamedNodeMap attributes();

    // By qualified name; HTML elements match names without regard to ASCII case.
    bool hasAttribute(const QString &name) const;
    // The value, or a null string when absent.
    QString getAttribute(const QString &name) const;
    DOMAttr *getAttributeNode(const QString &name) const;
    // Adds or changes the first attribute of that qualified name; HTML elements
    // lower-case the name. An invalid name changes nothing (InvalidCharacterError).
    Result<void> setAttribute(const QString &name, const QString &value);
    // Removes the first attribute of that qualified name; answers whether there was one.
    bool removeAttribute(const QString &name);

    // By namespace and local name (an empty namespace is none).
    bool hasAttributeNS(const QString &namespaceURI, const QString &localName) const;
    QString getAttributeNS(const QString &namespaceURI, const QString &localName) const;
    DOMAttr *getAttributeNodeNS(const QString &namespaceURI, const QString &localName) const;
    Result<void> setAttributeNS(const QString &namespaceURI, const QString &qualifiedName, const QString &value);
    bool removeAttributeNS(const QString &namespaceURI, const QString &localName);

    // Attaches a detached attribute, replacing the one of the same qualified
    // name (setAttributeNode) or of the same namespace and local name (the NS form).
    Result<void> setAttributeNode(const DOMAttrPtr &attribute);
    Result<void> setAttributeNodeNS(const DOMAttrPtr &attribute);
    Result<void> removeAttributeNode(DOMAttr *attribute);

    QString idName() const { return getAttribute(QStringLiteral("id")); }
    QString className() const { return getAttribute(QStringLiteral("class")); }
    // The class attribute split at ASCII white space; kept until the attribute changes.
    const QStringList &classList() const;

    // Whether the element matches the selector list; an invalid selector matches nothing.
    bool matches(const QString &selectors) const;
    bool webkitMatchesSelector(const QString &selectors) const { return matches(selectors); }

    DOMNodeList getElementsByTagName(const QString &qualifiedName) const;

    DOMElement *firstElementChild() const;
    DOMElement *lastElementChild() const;
    DOMElement *previousElementSibling() const
    {
        for (DOMNode *node = previousSibling(); node; node = node->previousSibling()) {
            if (node->isElement())
                return static_cast<DOMElement *>(node);
        }
        return nullptr;
    }
    DOMElement *nextElementSibling() const
    {
        for (DOMNode *node = nextSibling(); node; node = node->nextSibling()) {
            if (node->isElement())
                return static_cast<DOMElement *>(node);
        }
        return nullptr;
    }
    int childElementCount() const;

    // HTML serialisation of the children / of the element itself
    // (platform/web/html/DOMElementMarkup.cpp).
    QString innerHTML() const;
    QString outerHTML() const;
    // Replaces the children by the markup parsed in the element's context.
    Result<void> setInnerHTML(const QString &markup);
    // Replaces the element by the markup parsed in its parent's context.
    Result<void> setOuterHTML(const QString &markup);

    // Where the element stood when the selector engine's tables were last
    // built (DOMDocumentIndex); valid while version equals the document's tree version.
    struct TreePosition
    {
        quint64 version = 0;
        int ordinal = 0;        // tree order among the document's elements
        int lastDescendant = 0; // ordinal of the last element below, or ordinal
        int elementIndex = 0;   // among the parent's element children, from 0
        int elementCount = 0;
        int typeIndex = 0;      // among siblings of the same name and namespace
        int typeCount = 0;
    };
    const TreePosition &treePosition() const { return m_position; }

    // The content fragment of a template element; null for other elements.
    DOMDocumentFragment *templateContent() const { return m_templateContent.get(); }

private:
    friend class DOMAttr;
    friend class DOMDocumentIndex;
    friend class DOMTreeBuilder;

    DOMNodePtr cloneShallow(DOMDocument &document) const override;

    int indexOfQualifiedName(const QString &name) const;
    int indexOfNamespaced(DOMNamespace ns, const QString &namespaceURI, const QString &localName) const;
    void appendAttribute(const DOMAttrPtr &attribute);
    void replaceAttributeAt(int index, const DOMAttrPtr &attribute);
    void changeAttributeValue(DOMAttr *attribute, const QString &value);
    void removeAttributeAt(int index);
    void attributeChanged(const DOMAttr &attribute, const QString &previous, int change);
    void recordSetAttribute(const DOMAttr &attribute);

    DOMNamespace m_namespace;
    QString m_namespaceURI; // Only for DOMNamespace::Other.
    QString m_prefix;
    QString m_localName;
    QList<DOMAttrPtr> m_attributes;
    std::shared_ptr<DOMDocumentFragment> m_templateContent;

    mutable QStringList m_classList;
    mutable bool m_classListValid = false;

    mutable TreePosition m_position;
};

using DOMElementPtr = std::shared_ptr<DOMElement>;
