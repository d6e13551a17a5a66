#pragma once

#include "DOMElement.h"
#include "DOMNode.h"

// Tree-order walks without recursion, so that any depth is safe.
namespace DOMTraversal {

// The node after node in tree order, staying inside root; null at the end.
inline DOMNode *next(const DOMNode *node, const DOMNode *root)
{
    if (DOMNode *child = node->firstChild())
        return child;
    while (node && node != root) {
        if (DOMNode *sibling = node->nextSibling())
            return sibling;
        node = node->parentNode();
    }
    return nullptr;
}

// As next(), but passing over node's descendants.
inline DOMNode *nextSkippingChildren(const DOMNode *node, const DOMNode *root)
{
    while (node && node != root) {
        if (DOMNode *sibling = node->nextSibling())
            return sibling;
        node = node->parentNode();
    }
    return nullptr;
}

// The element after element in tree order inside root.
inline DOMElement *nextElement(const DOMNode *node, const DOMNode *root)
{
    for (DOMNode *n = next(node, root); n; n = next(n, root)) {
        if (n->isElement())
            return static_cast<DOMElement *>(n);
    }
    return nullptr;
}

} // namespace DOMTraversal
