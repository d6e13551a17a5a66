#include "DOMText.h"

#include "DOMDocument.h"
#include "DOMTreeBuilder.h"

DOMText::DOMText(DOMNodeKey, DOMDocument *document, qint64 nodeId, QString data)
    : DOMCharacterData(TEXT_NODE, document, nodeId, std::move(data))
{
}

QString DOMText::nodeName() const
{
    return QStringLiteral("#text");
}

DOMNodePtr DOMText::cloneShallow(DOMDocument &document) const
{
    return DOMTreeBuilder::text(document, 0, data());
}
