#pragma once

#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMNamespaces.h"

#include <QString>

#include <memory>

class DOMDocument;
class DOMDocumentFragment;
class HTMLSourceMap;

// Builds mirror trees from HTML text with the HTML5 parsing algorithm (gumbo),
// as the page's engine would parse the same text. The text is prepared first
// (HTMLPreflight: bounded nesting, no text that makes the parser library
// abort, noscript as raw text when scripts run), and the parsed tree is
// turned into nodes without recursion, so any input gives a tree without
// exhausting time or stack.
class HTMLParser
{
public:
    // A new document of that scripting; nothing is recorded in its replay
    // log. The preview runs pages with their scripts unless its JavaScript
    // switch is off: its callers pass that switch.
    static std::shared_ptr<DOMDocument> parseDocument(const QString &html,
                                                      Scripting scripting = Scripting::Enabled);
    // The same, noting in sourceMap where each node stands in html.
    static std::shared_ptr<DOMDocument> parseDocument(const QString &html, Scripting scripting,
                                                      HTMLSourceMap *sourceMap);

    // The nodes of markup as they would be parsed into an element named
    // contextLocalName in contextNamespace (so "tr" parses in "tbody" and
    // "circle" in "svg"), in a new fragment of document, with the document's
    // scripting. The new nodes are recorded in the document's replay log.
    static std::shared_ptr<DOMDocumentFragment> parseFragment(DOMDocument &document, const QString &markup,
                                                              const QString &contextLocalName,
                                                              DOMNamespace contextNamespace);
    // The same, noting in sourceMap where each node stands in markup.
    static std::shared_ptr<DOMDocumentFragment> parseFragment(DOMDocument &document, const QString &markup,
                                                              const QString &contextLocalName,
                                                              DOMNamespace contextNamespace,
                                                              HTMLSourceMap *sourceMap);
};
