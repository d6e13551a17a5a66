#pragma once

#include "DOMNode.h"

// A document fragment: a parentless container of nodes, emptied into the
// parent it is inserted into. Also holds the content of a template element.
class DOMDocumentFragment : public DOMNode
{
public:
    DOMDocumentFragment(DOMNodeKey, DOMDocument *document, qint64 nodeId);
    QString nodeName() const override;

    // The first descendant element with that id, or null.
    DOMElement *getElementById(const QString &elementId) const;

private:
    DOMNodePtr cloneShallow(DOMDocument &document) const override;
};

using DOMDocumentFragmentPtr = std::shared_ptr<DOMDocumentFragment>;
