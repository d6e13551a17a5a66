#pragma once

#include "DOMCharacterData.h"

// A text node of the mirror.
class DOMText : public DOMCharacterData
{
public:
    DOMText(DOMNodeKey, DOMDocument *document, qint64 nodeId, QString data);
    QString nodeName() const override;

private:
    DOMNodePtr cloneShallow(DOMDocument &document) const override;
};

using DOMTextPtr = std::shared_ptr<DOMText>;
