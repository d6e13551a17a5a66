#include "DOMDocumentType.h"

#include "DOMDocument.h"
#include "DOMTreeBuilder.h"

DOMDocumentType::DOMDocumentType(DOMNodeKey, DOMDocument *document, qint64 nodeId, QString name,
                                 QString publicId, QString systemId)
    : DOMNode(DOCUMENT_TYPE_NODE, document, nodeId)
    , m_name(std::move(name))
    , m_publicId(std::move(publicId))
    , m_systemId(std::move(systemId))
{
}

DOMNodePtr DOMDocumentType::cloneShallow(DOMDocument &document) const
{
    return DOMTreeBuilder::doctype(document, 0, m_name, m_publicId, m_systemId);
}
