#include "DOMTreeBuilder.h"

#include "DOMComment.h"
#include "DOMDocumentFragment.h"
#include "DOMDocumentType.h"
#include "DOMElement.h"
#include "DOMText.h"

DOMDocumentPtr DOMTreeBuilder::document(qint64 nodeId)
{
    return std::make_shared<DOMDocument>(DOMNodeKey(), nodeId ? nodeId : -1);
}

DOMElementPtr DOMTreeBuilder::element(DOMDocument &document, qint64 nodeId, DOMNamespace ns,
                                      const QString &namespaceURI, const QString &prefix, const QString &localName)
{
    return std::make_shared<DOMElement>(DOMNodeKey(), &document, nodeId ? nodeId : document.allocateNodeId(), ns,
                                        namespaceURI, prefix, localName);
}

DOMTextPtr DOMTreeBuilder::text(DOMDocument &document, qint64 nodeId, const QString &data)
{
    return std::make_shared<DOMText>(DOMNodeKey(), &document, nodeId ? nodeId : document.allocateNodeId(),
                                     data.isNull() ? QStringLiteral("") : data);
}

DOMCommentPtr DOMTreeBuilder::comment(DOMDocument &document, qint64 nodeId, const QString &data)
{
    return std::make_shared<DOMComment>(DOMNodeKey(), &document, nodeId ? nodeId : document.allocateNodeId(),
                                        data.isNull() ? QStringLiteral("") : data);
}

DOMDocumentFragmentPtr DOMTreeBuilder::fragment(DOMDocument &document, qint64 nodeId)
{
    return std::make_shared<DOMDocumentFragment>(DOMNodeKey(), &document,
                                                 nodeId ? nodeId : document.allocateNodeId());
}

std::shared_ptr<DOMDocumentType> DOMTreeBuilder::doctype(DOMDocument &document, qint64 nodeId, const QString &name,
                                                         const QString &publicId, const QString &systemId)
{
    return std::make_shared<DOMDocumentType>(DOMNodeKey(), &document, nodeId ? nodeId : document.allocateNodeId(),
                                             name, publicId, systemId);
}

void DOMTreeBuilder::append(DOMNode &parent, DOMNodePtr child)
{
    child->m_parent = &parent;
    child->m_indexInParent = int(parent.m_children.size());
    parent.m_children.append(std::move(child));
    if (parent.m_document)
        parent.m_document->noteTreeChanged();
}

void DOMTreeBuilder::appendAttribute(DOMElement &element, DOMNamespace ns, const QString &namespaceURI,
                                     const QString &prefix, const QString &localName, const QString &value)
{
    auto attribute = std::make_shared<DOMAttr>(DOMNodeKey(), ns, namespaceURI, prefix, localName,
                                               value.isNull() ? QStringLiteral("") : value);
    attribute->m_ownerElement = &element;
    element.m_attributes.append(std::move(attribute));
    element.m_classListValid = false;
}

DOMDocumentFragment &DOMTreeBuilder::templateContent(DOMElement &element, qint64 contentId)
{
    if (!element.m_templateContent) {
        DOMDocument *document = element.document();
        Q_ASSERT(document);
        element.m_templateContent = fragment(*document, contentId);
    }
    return *element.m_templateContent;
}

void DOMTreeBuilder::setTemplateContent(DOMElement &element, DOMDocumentFragmentPtr content)
{
    element.m_templateContent = std::move(content);
}

bool DOMTreeBuilder::isTemplate(DOMNamespace ns, const QString &localName)
{
    return ns == DOMNamespace::HTML && localName == QLatin1String("template");
}
