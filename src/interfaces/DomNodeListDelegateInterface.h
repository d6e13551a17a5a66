#pragma once

class DOMNodeEx;
class QString;

// What the DOM tree asks of the element palette. Implemented by the palette
// controller; called by the DOM tree (DomTreeDelegate, "Save As A Snippet")
// and the rules panel ("Make Snippet"),
// which Controllers::install() hands the palette. While none is set the
// command does nothing.
class DomNodeListDelegateInterface
{
public:
    virtual ~DomNodeListDelegateInterface() = default;

    // Makes a user snippet of a row's HTML.
    virtual void addSnippetWithNode(DOMNodeEx *row) = 0;
    // Makes a user snippet of dropped text ("Other") or of a rule's text ("CSS").
    virtual void addSnippetwithText(const QString &text) = 0;
    virtual void addSnippetWithCSSText(const QString &text) = 0;
};
