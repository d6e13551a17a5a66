#pragma once

class DOMNodeEx;

// What the DOM tree asks of the element palette. Implemented by the palette
// controller; called by the DOM tree (DomTreeDelegate, "Save As A Snippet"),
// which Controllers::install() hands the palette. While none is set the
// command does nothing.
class DomNodeListDelegateInterface
{
public:
    virtual ~DomNodeListDelegateInterface() = default;

    // Makes a user snippet of a row's HTML.
    virtual void addSnippetWithNode(DOMNodeEx *row) = 0;
};
