#include "DOMDocumentFragment.h"

#include "DOMDocument.h"
#include "DOMElement.h"
#include "DOMTraversal_p.h"
#include "DOMTreeBuilder.h"

DOMDocumentFragment::DOMDocumentFragment(DOMNodeKey, DOMDocument *document, qint64 nodeId)
    : DOMNode(DOCUMENT_FRAGMENT_NODE, document, nodeId)
{
}

QString DOMDocumentFragment::nodeName() const
{
    return QStringLiteral("#document-fragment");
}

DOMElement *DOMDocumentFragment::getElementById(const QString &elementId) const
{
    if (elementId.isEmpty())
        return nullptr;
    for (DOMElement *element = DOMTraversal::nextElement(this, this); element;
         element = DOMTraversal::nextElement(element, this)) {
        if (element->getAttribute(QStringLiteral("id")) == elementId)
            return element;
    }
    return nullptr;
}

DOMNodePtr DOMDocumentFragment::cloneShallow(DOMDocument &document) const
{
    return DOMTreeBuilder::fragment(document, 0);
}
