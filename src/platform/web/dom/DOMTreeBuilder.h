#pragma once

#include "DOMDocument.h"
#include "DOMNamespaces.h"

class DOMDocumentType;

// Builds mirror trees directly, without events or replay commands: for the
// HTML parser, the snapshot reader and copies. Whoever builds a detached
// subtree for a document that the page already shows records it in one go
// (DOMDocument::recordNewSubtree()). An id of 0 asks the document for a mirror id.
class DOMTreeBuilder
{
public:
    static DOMDocumentPtr document(qint64 nodeId = 0);
    // Makes room in the document's registry for count more nodes.
    static void reserveNodes(DOMDocument &document, qsizetype count) { document.reserveNodes(count); }
    static DOMElementPtr element(DOMDocument &document, qint64 nodeId, DOMNamespace ns, const QString &namespaceURI,
                                 const QString &prefix, const QString &localName);
    static DOMTextPtr text(DOMDocument &document, qint64 nodeId, const QString &data);
    static DOMCommentPtr comment(DOMDocument &document, qint64 nodeId, const QString &data);
    static DOMDocumentFragmentPtr fragment(DOMDocument &document, qint64 nodeId);
    static std::shared_ptr<DOMDocumentType> doctype(DOMDocument &document, qint64 nodeId, const QString &name,
                                                    const QString &publicId, const QString &systemId);

    // Appends without checks: the caller builds a well-formed tree.
    static void append(DOMNode &parent, DOMNodePtr child);
    // Appends text, joined to a text node that ends the children.
    static void appendText(DOMNode &parent, const QString &data);
    static void appendAttribute(DOMElement &element, DOMNamespace ns, const QString &namespaceURI,
                                const QString &prefix, const QString &localName, const QString &value);
    // Gives a template element its content fragment (made with that id when
    // absent); answers the content.
    static DOMDocumentFragment &templateContent(DOMElement &element, qint64 contentId = 0);
    static void setTemplateContent(DOMElement &element, DOMDocumentFragmentPtr content);
    // Whether an element of that namespace and name holds a content fragment.
    static bool isTemplate(DOMNamespace ns, const QString &localName);
};
