#pragma once

class DOMDocument;
class DOMNode;
struct DOMMutationEvent;

// What the preview's script bridge hands to the DOM tree. Implemented by the
// DOM tree controller (src/domtree); called by the preview (PreviewDelegate),
// which Controllers::install() hands it with PreviewDelegate::setDomTreeDelegate().
class PreviewDomTreeInterface
{
public:
    virtual ~PreviewDomTreeInterface() = default;

    // Rebuilds the tree for a new document.
    virtual void domNodeLists(DOMDocument *document) = 0;
    // A subtree of the page changed ("DOMSubtreeModified").
    virtual void domModified(const DOMMutationEvent &event) = 0;
    // The page's script changed an attribute of the element.
    virtual void domAttributeModified(DOMNode *node) = 0;
};
