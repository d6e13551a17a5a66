#include "DOMComment.h"

#include "DOMDocument.h"
#include "DOMTreeBuilder.h"

DOMComment::DOMComment(DOMNodeKey, DOMDocument *document, qint64 nodeId, QString data)
    : DOMCharacterData(COMMENT_NODE, document, nodeId, std::move(data))
{
}

QString DOMComment::nodeName() const
{
    return QStringLiteral("#comment");
}

DOMNodePtr DOMComment::cloneShallow(DOMDocument &document) const
{
    return DOMTreeBuilder::comment(document, 0, data());
}
