#pragma once

#include "DOMCharacterData.h"

// A comment node of the mirror.
class DOMComment : public DOMCharacterData
{
public:
    DOMComment(DOMNodeKey, DOMDocument *document, qint64 nodeId, QString data);
    QString nodeName() const override;

private:
    DOMNodePtr cloneShallow(DOMDocument &document) const override;
};

using DOMCommentPtr = std::shared_ptr<DOMComment>;
