#pragma once

#include "DOMMutationEvent.h"

#include "platform/foundation/Result.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QVariantMap>

#include <memory>

class DOMDocument;
class DOMElement;
class DOMNode;
class DOMNodeList;

using DOMNodePtr = std::shared_ptr<DOMNode>;

// Grants the node constructors to the document and the tree builder only;
// nodes are made with DOMDocument::create*() and always live in a shared pointer.
class DOMNodeKey
{
    friend class DOMDocument;
    friend class DOMElement;
    friend class DOMTreeBuilder;
    DOMNodeKey() = default;
};

// One node of the page mirror, the synchronous stand-in for a node of the live
// page. It carries the stable id that the page's bridge uses for the same node.
//
// Ownership: a parent owns its children. Anyone may keep a node alive with a
// DOMNodePtr, so a removed subtree stays whole while the program still holds it
// (undo actions do). The owner document keeps every live node of its own in an
// id registry without owning it; when the document dies first, the nodes that
// are still held lose their document and become inert.
//
// Every change made through this interface fires the legacy mutation events
// synchronously (DOMMutationEvent.h) and appends a command to the document's
// replay log (DOMReplayLog.h). Navigation answers raw pointers that do not own.
//
// The DOM tree utilities (selectorIsMatched() to isWhiteSpaceTextNode()) are
// defined in src/domtree/DOMNodeUtils.cpp.
class DOMNode : public std::enable_shared_from_this<DOMNode>
{
public:
    enum NodeType {
        ELEMENT_NODE = 1,
        TEXT_NODE = 3,
        COMMENT_NODE = 8,
        DOCUMENT_NODE = 9,
        DOCUMENT_TYPE_NODE = 10,
        DOCUMENT_FRAGMENT_NODE = 11,
    };

    virtual ~DOMNode();
    DOMNode(const DOMNode &) = delete;
    DOMNode &operator=(const DOMNode &) = delete;

    NodeType nodeType() const { return m_nodeType; }
    bool isElement() const { return m_nodeType == ELEMENT_NODE; }
    bool isText() const { return m_nodeType == TEXT_NODE; }
    bool isComment() const { return m_nodeType == COMMENT_NODE; }
    bool isCharacterData() const { return isText() || isComment(); }
    bool isDocument() const { return m_nodeType == DOCUMENT_NODE; }
    bool isDocumentFragment() const { return m_nodeType == DOCUMENT_FRAGMENT_NODE; }
    bool isDocumentType() const { return m_nodeType == DOCUMENT_TYPE_NODE; }

    // The stable id shared with the page: positive ids come from the page,
    // negative ones were given by the mirror to nodes the program made. Never 0.
    qint64 nodeId() const { return m_nodeId; }

    // "#text", "#comment", "#document", "#document-fragment", the doctype's
    // name, or an element's tagName ("DIV" for HTML elements).
    virtual QString nodeName() const = 0;
    // The data of a text or comment node; a null string for other nodes.
    virtual QString nodeValue() const;
    void setNodeValue(const QString &value);

    // Null for a document (as in the DOM) and for a node that outlived its document.
    DOMDocument *ownerDocument() const;

    DOMNode *parentNode() const { return m_parent; }
    DOMElement *parentElement() const;
    DOMNodeList childNodes() const;
    int childCount() const { return int(m_children.size()); }
    DOMNode *childAt(int index) const
    {
        return index >= 0 && index < m_children.size() ? m_children.at(index).get() : nullptr;
    }
    bool hasChildNodes() const { return !m_children.isEmpty(); }
    DOMNode *firstChild() const { return m_children.isEmpty() ? nullptr : m_children.constFirst().get(); }
    DOMNode *lastChild() const { return m_children.isEmpty() ? nullptr : m_children.constLast().get(); }
    DOMNode *previousSibling() const { return m_parent ? m_parent->childAt(m_indexInParent - 1) : nullptr; }
    DOMNode *nextSibling() const { return m_parent ? m_parent->childAt(m_indexInParent + 1) : nullptr; }
    // The position among the parent's children; -1 without a parent.
    int indexInParent() const { return m_parent ? m_indexInParent : -1; }
    // Whether other is this node or one of its descendants.
    bool contains(const DOMNode *other) const;
    // Whether the node is in its document's tree.
    bool isConnected() const;

    // Element and text descendants' text in tree order (a text or comment
    // node's own data); a null string for documents and doctypes.
    QString textContent() const;
    // Replaces all children by one text node (none for empty text); sets the
    // data of a text or comment node; does nothing on documents and doctypes.
    void setTextContent(const QString &text);

    // Tree changes, as the DOM defines them. A failure leaves the tree as it
    // was and names the DOM exception ("HierarchyRequestError: ...").
    // Inserting a fragment moves its children; inserting an attached node moves it.
    Result<void> appendChild(DOMNode *child);
    Result<void> appendChild(const DOMNodePtr &child) { return appendChild(child.get()); }
    // A null reference appends.
    Result<void> insertBefore(DOMNode *child, DOMNode *reference);
    Result<void> insertBefore(const DOMNodePtr &child, DOMNode *reference) { return insertBefore(child.get(), reference); }
    Result<void> removeChild(DOMNode *child);
    Result<void> replaceChild(DOMNode *newChild, DOMNode *oldChild);
    Result<void> replaceChild(const DOMNodePtr &newChild, DOMNode *oldChild) { return replaceChild(newChild.get(), oldChild); }
    // Removes the children one by one, last first.
    void removeAllChildren();

    // A copy with new ids, with its descendants when deep; detached, in the same document.
    DOMNodePtr cloneNode(bool deep) const;
    // A deep copy made in another document (which records nothing of it for
    // the page), detached.
    DOMNodePtr cloneInto(DOMDocument &document) const;

    // Selector queries over the descendants (not the node itself), in tree order.
    // An invalid selector finds nothing and is logged; DOMSelectorEngine::parse()
    // tells why.
    DOMElement *querySelector(const QString &selectors) const;
    DOMNodeList querySelectorAll(const QString &selectors) const;

    // Listeners of the mutation events on this node; they see events of the
    // node's descendants too. Removing inside a handler is safe.
    void addEventListener(const QString &type, const void *owner, DOMEventListener listener);
    void removeEventListener(const QString &type, const void *owner);
    void removeEventListeners(const void *owner);

    // Objects the program hangs on a node (the tree rows do); retained by the
    // node, released with it or by removeAssociatedObjects().
    void setAssociatedObject(const QString &key, std::shared_ptr<void> object);
    std::shared_ptr<void> associatedObject(const QString &key) const;
    void removeAssociatedObjects();

    // A readable dump of the subtree, one node per line, indented by two spaces
    // per level; with ids, each line starts with "[id] ".
    enum class WithIds { No, Yes };
    QString debugDump(WithIds withIds = WithIds::No) const;

    template<typename T>
    std::shared_ptr<T> sharedAs() { return std::static_pointer_cast<T>(shared_from_this()); }
    template<typename T>
    std::shared_ptr<const T> sharedAs() const { return std::static_pointer_cast<const T>(shared_from_this()); }

    // DOM tree utilities (src/domtree/DOMNodeUtils.cpp).

    // NO for "@" rules and non-elements; an invalid selector is NO too.
    bool selectorIsMatched(const QString &selector) const;
    // {"name", "value"} per attribute, in attribute order; empty for non-elements.
    QList<QVariantMap> attributeList() const;
    // The attribute's value; null for text and comment nodes or when absent.
    QString nodeAttributeValue(const QString &name) const;
    // "html > body > div > p", or from the nearest ancestor with an id: "#main > ul > li".
    QString generateSelector() const;
    // textContent escaped for HTML text (no-break spaces as "&nbsp;").
    QString escapedTextContent() const;
    // YES for a text node holding only collapsible white space (or nothing).
    bool isWhiteSpaceTextNode() const;

protected:
    DOMNode(NodeType type, DOMDocument *document, qint64 nodeId);

    // A failed DOM operation, as "<exception name>: <message>".
    static Result<void> domFailure(const char *name, const QString &message)
    {
        return Result<void>::failure(QLatin1String(name) + QLatin1String(": ") + message);
    }

    // The document whose registry holds the node (the document itself for a
    // document); null once the document is gone.
    DOMDocument *document() const { return m_document; }
    void setDocument(DOMDocument *document) { m_document = document; }

    DOMNodeList elementsByTagName(const QString &qualifiedName) const;
    // Delivers an event to target and its ancestors when anyone listens.
    void dispatchMutationEvent(DOMMutationEvent event);
    // The subtree's copy without the node's own children; subclasses copy their data.
    virtual DOMNodePtr cloneShallow(DOMDocument &document) const = 0;
    DOMNodePtr copyTree(DOMDocument &document, bool deep) const;
    // Frees the children without recursion, so that a deep tree cannot exhaust the stack.
    void releaseChildren();

private:
    friend class DOMDocument;
    friend class DOMTreeBuilder;

    Result<void> checkPreInsert(DOMNode *child, DOMNode *reference, const DOMNode *replaced = nullptr) const;
    void insertChildAt(int index, DOMNodePtr child);
    DOMNodePtr takeChildAt(int index);

    struct Listener
    {
        QString type;
        const void *owner = nullptr;
        std::shared_ptr<DOMEventListener> handler;
    };

    NodeType m_nodeType;
    qint64 m_nodeId;
    DOMDocument *m_document; // Not owned.
    DOMNode *m_parent = nullptr; // Not owned.
    int m_indexInParent = 0;
    QList<DOMNodePtr> m_children;
    std::unique_ptr<QList<Listener>> m_listeners;
    std::unique_ptr<QHash<QString, std::shared_ptr<void>>> m_associatedObjects;
};
