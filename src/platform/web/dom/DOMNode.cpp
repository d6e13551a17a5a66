#include "DOMNode.h"

#include "DOMCharacterData.h"
#include "DOMDocument.h"
#include "DOMDocumentFragment.h"
#include "DOMDocumentType.h"
#include "DOMElement.h"
#include "DOMLog.h"
#include "DOMNodeList.h"
#include "DOMSelectorEngine.h"
#include "DOMText.h"
#include "DOMTraversal_p.h"
#include "DOMTreeBuilder.h"

#include "platform/foundation/Assert.h"

#include <vector>

Q_LOGGING_CATEGORY(lcWeb, "quillmark.web")

DOMNode::DOMNode(NodeType type, DOMDocument *document, qint64 nodeId)
    : m_nodeType(type), m_nodeId(nodeId), m_document(document)
{
    if (m_document)
        m_document->registerNode(this);
}

DOMNode::~DOMNode()
{
    releaseChildren();
    // A document unregisters nothing: its own destructor has emptied the registry.
    if (m_document && m_nodeType != DOCUMENT_NODE) {
        if (m_listeners)
            m_document->m_listenerCount -= int(m_listeners->size());
        m_document->unregisterNode(this);
    }
}

void DOMNode::releaseChildren()
{
    if (m_children.isEmpty())
        return;
    // Destroying a child that is the last owner of its own children would
    // recurse once per level; instead the children of every dying node are
    // taken over here first, so that each node dies childless.
    std::vector<DOMNodePtr> pending;
    pending.reserve(m_children.size());
    for (DOMNodePtr &child : m_children) {
        child->m_parent = nullptr;
        pending.push_back(std::move(child));
    }
    m_children.clear();
    while (!pending.empty()) {
        DOMNodePtr node = std::move(pending.back());
        pending.pop_back();
        if (node.use_count() == 1) {
            for (DOMNodePtr &child : node->m_children) {
                child->m_parent = nullptr;
                pending.push_back(std::move(child));
            }
            node->m_children.clear();
        }
    }
}

QString DOMNode::nodeValue() const
{
    return {};
}

void DOMNode::setNodeValue(const QString &value)
{
    if (isCharacterData())
        static_cast<DOMCharacterData *>(this)->setData(value);
}

DOMDocument *DOMNode::ownerDocument() const
{
    return m_nodeType == DOCUMENT_NODE ? nullptr : m_document;
}

DOMElement *DOMNode::parentElement() const
{
    return m_parent && m_parent->isElement() ? static_cast<DOMElement *>(m_parent) : nullptr;
}

DOMNodeList DOMNode::childNodes() const
{
    return DOMNodeList(m_children);
}

bool DOMNode::contains(const DOMNode *other) const
{
    for (const DOMNode *node = other; node; node = node->m_parent) {
        if (node == this)
            return true;
    }
    return false;
}

bool DOMNode::isConnected() const
{
    const DOMNode *node = this;
    while (node->m_parent)
        node = node->m_parent;
    return node->isDocument();
}

QString DOMNode::textContent() const
{
    switch (m_nodeType) {
    case TEXT_NODE:
    case COMMENT_NODE:
        return static_cast<const DOMCharacterData *>(this)->data();
    case DOCUMENT_NODE:
    case DOCUMENT_TYPE_NODE:
        return {};
    case ELEMENT_NODE:
    case DOCUMENT_FRAGMENT_NODE:
        break;
    }
    QString text(QLatin1String(""));
    for (const DOMNode *node = firstChild(); node; node = DOMTraversal::next(node, this)) {
        if (node->isText())
            text += static_cast<const DOMCharacterData *>(node)->data();
    }
    return text;
}

void DOMNode::setTextContent(const QString &text)
{
    if (isCharacterData()) {
        static_cast<DOMCharacterData *>(this)->setData(text);
        return;
    }
    if (!isElement() && !isDocumentFragment())
        return;
    removeAllChildren();
    if (!text.isEmpty() && m_document) {
        DOMTextPtr node = m_document->createTextNode(text);
        appendChild(node);
    }
}

void DOMNode::removeAllChildren()
{
    while (DOMNode *child = lastChild()) {
        if (!removeChild(child))
            break;
    }
}

Result<void> DOMNode::checkPreInsert(DOMNode *child, DOMNode *reference, const DOMNode *replaced) const
{
    if (!child)
        return domFailure("HierarchyRequestError", QStringLiteral("no node to insert"));
    if (!isElement() && !isDocument() && !isDocumentFragment())
        return domFailure("HierarchyRequestError", QStringLiteral("a %1 node cannot have children").arg(nodeName()));
    for (const DOMNode *node = this; node; node = node->m_parent) {
        if (node == child)
            return domFailure("HierarchyRequestError", QStringLiteral("the new child contains the parent"));
    }
    if (reference && reference->m_parent != this)
        return domFailure("NotFoundError", QStringLiteral("the reference node is not a child of this node"));
    if (child->isDocument())
        return domFailure("HierarchyRequestError", QStringLiteral("a document cannot be inserted"));
    if (!m_document || child->m_document != m_document)
        return domFailure("WrongDocumentError", QStringLiteral("the node belongs to another document"));
    if (child->isDocumentType() && !isDocument())
        return domFailure("HierarchyRequestError", QStringLiteral("a doctype belongs under the document"));
    if (isDocument()) {
        int elements = 0;
        int doctypes = 0;
        const auto count = [&](const DOMNode *node) {
            elements += node->isElement();
            doctypes += node->isDocumentType();
            return !node->isText();
        };
        if (child->isDocumentFragment()) {
            for (const DOMNodePtr &node : child->m_children) {
                if (!count(node.get()))
                    return domFailure("HierarchyRequestError", QStringLiteral("text cannot be a child of the document"));
            }
        } else if (!count(child)) {
            return domFailure("HierarchyRequestError", QStringLiteral("text cannot be a child of the document"));
        }
        for (const DOMNodePtr &node : m_children) {
            if (node.get() != child && node.get() != replaced)
                count(node.get());
        }
        if (elements > 1 || doctypes > 1)
            return domFailure("HierarchyRequestError", QStringLiteral("the document may hold one element and one doctype"));
    }
    return {};
}

void DOMNode::insertChildAt(int index, DOMNodePtr child)
{
    child->m_parent = this;
    m_children.insert(index, std::move(child));
    for (int i = index; i < m_children.size(); ++i)
        m_children.at(i)->m_indexInParent = i;
    if (m_document)
        m_document->noteTreeChanged();
}

DOMNodePtr DOMNode::takeChildAt(int index)
{
    DOMNodePtr child = m_children.takeAt(index);
    child->m_parent = nullptr;
    child->m_indexInParent = 0;
    for (int i = index; i < m_children.size(); ++i)
        m_children.at(i)->m_indexInParent = i;
    if (m_document)
        m_document->noteTreeChanged();
    return child;
}

Result<void> DOMNode::appendChild(DOMNode *child)
{
    return insertBefore(child, nullptr);
}

Result<void> DOMNode::insertBefore(DOMNode *child, DOMNode *reference)
{
    if (Result<void> check = checkPreInsert(child, reference); !check) {
        qCWarning(lcWeb) << "insertBefore refused:" << check.error();
        return check;
    }
    const DOMNodePtr keepChild = child->shared_from_this();
    DOMNodePtr keepReference = reference ? reference->shared_from_this() : nullptr;
    if (reference == child) {
        reference = child->nextSibling();
        keepReference = reference ? reference->shared_from_this() : nullptr;
    }
    const auto recordInsert = [this](const DOMNode *node, const DOMNode *ref) {
        DOMReplayCommand command;
        command.op = DOMReplayCommand::Op::InsertBefore;
        command.parent = m_nodeId;
        command.node = node->m_nodeId;
        command.reference = ref ? ref->m_nodeId : 0;
        m_document->replayLog().append(std::move(command));
    };

    if (child->isDocumentFragment()) {
        if (child->m_children.isEmpty())
            return {};
        // The page inserts the fragment itself, which moves its children likewise.
        recordInsert(child, reference);
        QList<DOMNodePtr> moved = std::exchange(child->m_children, {});
        int index = reference ? reference->m_indexInParent : childCount();
        for (const DOMNodePtr &node : moved)
            insertChildAt(index++, node);
        for (const DOMNodePtr &node : moved) {
            DOMMutationEvent inserted;
            inserted.type = DOMEventType::nodeInserted;
            inserted.target = node.get();
            inserted.relatedNode = this;
            dispatchMutationEvent(inserted);
        }
    } else {
        if (DOMNode *oldParent = child->m_parent) {
            DOMMutationEvent removed;
            removed.type = DOMEventType::nodeRemoved;
            removed.target = child;
            removed.relatedNode = oldParent;
            dispatchMutationEvent(removed);
            // A handler may have moved the node meanwhile; take it from where it is now.
            if (DOMNode *currentParent = child->m_parent) {
                const DOMNodePtr keepParent = currentParent->shared_from_this();
                currentParent->takeChildAt(child->m_indexInParent);
                DOMReplayCommand command;
                command.op = DOMReplayCommand::Op::RemoveChild;
                command.parent = currentParent->m_nodeId;
                command.node = child->m_nodeId;
                m_document->replayLog().append(std::move(command));
                DOMMutationEvent modified;
                modified.type = DOMEventType::subtreeModified;
                modified.target = currentParent;
                currentParent->dispatchMutationEvent(modified);
            }
            if (reference && reference->m_parent != this)
                return domFailure("NotFoundError", QStringLiteral("the reference node left during the move"));
        }
        insertChildAt(reference ? reference->m_indexInParent : childCount(), keepChild);
        recordInsert(child, reference);
        DOMMutationEvent inserted;
        inserted.type = DOMEventType::nodeInserted;
        inserted.target = child;
        inserted.relatedNode = this;
        dispatchMutationEvent(inserted);
    }
    DOMMutationEvent modified;
    modified.type = DOMEventType::subtreeModified;
    modified.target = this;
    dispatchMutationEvent(modified);
    return {};
}

Result<void> DOMNode::removeChild(DOMNode *child)
{
    if (!child || child->m_parent != this) {
        qCWarning(lcWeb) << "removeChild refused: the node is not a child of" << nodeName();
        return domFailure("NotFoundError", QStringLiteral("the node is not a child of this node"));
    }
    const DOMNodePtr keepChild = child->shared_from_this();
    DOMMutationEvent removed;
    removed.type = DOMEventType::nodeRemoved;
    removed.target = child;
    removed.relatedNode = this;
    dispatchMutationEvent(removed);
    if (child->m_parent != this)
        return domFailure("NotFoundError", QStringLiteral("the node was moved while it was being removed"));
    takeChildAt(child->m_indexInParent);
    if (m_document) {
        DOMReplayCommand command;
        command.op = DOMReplayCommand::Op::RemoveChild;
        command.parent = m_nodeId;
        command.node = child->m_nodeId;
        m_document->replayLog().append(std::move(command));
    }
    DOMMutationEvent modified;
    modified.type = DOMEventType::subtreeModified;
    modified.target = this;
    dispatchMutationEvent(modified);
    return {};
}

Result<void> DOMNode::replaceChild(DOMNode *newChild, DOMNode *oldChild)
{
    if (!oldChild || oldChild->m_parent != this)
        return domFailure("NotFoundError", QStringLiteral("the replaced node is not a child of this node"));
    if (newChild == oldChild)
        return {};
    if (Result<void> check = checkPreInsert(newChild, oldChild, oldChild); !check) {
        qCWarning(lcWeb) << "replaceChild refused:" << check.error();
        return check;
    }
    const DOMNodePtr keepNew = newChild->shared_from_this();
    DOMNode *reference = oldChild->nextSibling();
    if (reference == newChild)
        reference = newChild->nextSibling();
    const DOMNodePtr keepReference = reference ? reference->shared_from_this() : nullptr;
    if (Result<void> removed = removeChild(oldChild); !removed)
        return removed;
    return insertBefore(newChild, reference && reference->m_parent == this ? reference : nullptr);
}

DOMNodePtr DOMNode::cloneNode(bool deep) const
{
    QM_ASSERT(m_document, return nullptr);
    DOMNodePtr copy = copyTree(*m_document, deep);
    if (!copy->isDocument())
        m_document->recordNewSubtree(copy.get());
    return copy;
}

DOMNodePtr DOMNode::cloneInto(DOMDocument &document) const
{
    return copyTree(document, true);
}

DOMNodePtr DOMNode::copyTree(DOMDocument &document, bool deep) const
{
    DOMNodePtr copy = cloneShallow(document);
    DOMDocument *target = copy->isDocument() ? static_cast<DOMDocument *>(copy.get()) : &document;
    if (deep) {
        // (source, its copy) pairs whose children are still to be copied.
        std::vector<std::pair<const DOMNode *, DOMNode *>> pending{{this, copy.get()}};
        while (!pending.empty()) {
            const auto [source, parent] = pending.back();
            pending.pop_back();
            if (source->isElement()) {
                const auto *element = static_cast<const DOMElement *>(source);
                if (DOMDocumentFragment *content = element->templateContent()) {
                    DOMDocumentFragment &copyContent =
                        DOMTreeBuilder::templateContent(*static_cast<DOMElement *>(parent));
                    pending.emplace_back(content, &copyContent);
                }
            }
            for (const DOMNodePtr &child : source->m_children) {
                DOMNodePtr childCopy = child->cloneShallow(*target);
                DOMNode *raw = childCopy.get();
                DOMTreeBuilder::append(*parent, std::move(childCopy));
                pending.emplace_back(child.get(), raw);
            }
        }
    }
    return copy;
}

DOMElement *DOMNode::querySelector(const QString &selectors) const
{
    return DOMSelectorEngine::querySelector(*this, selectors);
}

DOMNodeList DOMNode::querySelectorAll(const QString &selectors) const
{
    return DOMSelectorEngine::querySelectorAll(*this, selectors);
}

DOMNodeList DOMNode::elementsByTagName(const QString &qualifiedName) const
{
    QList<DOMNodePtr> found;
    const QString lower = qualifiedName.toLower();
    const bool all = qualifiedName == QLatin1String("*");
    for (DOMElement *element = DOMTraversal::nextElement(this, this); element;
         element = DOMTraversal::nextElement(element, this)) {
        if (all)
            found.append(element->shared_from_this());
        else {
            const QString name = element->prefix().isEmpty()
                ? element->localName()
                : element->prefix() + QLatin1Char(':') + element->localName();
            if (name == (element->isHTMLElement() ? lower : qualifiedName))
                found.append(element->shared_from_this());
        }
    }
    return DOMNodeList(std::move(found));
}

void DOMNode::addEventListener(const QString &type, const void *owner, DOMEventListener listener)
{
    QM_ASSERT(listener, return);
    if (!m_listeners)
        m_listeners = std::make_unique<QList<Listener>>();
    m_listeners->append({type, owner, std::make_shared<DOMEventListener>(std::move(listener))});
    if (m_document)
        ++m_document->m_listenerCount;
}

void DOMNode::removeEventListener(const QString &type, const void *owner)
{
    if (!m_listeners)
        return;
    const qsizetype removed = m_listeners->removeIf([&](const Listener &listener) {
        return listener.owner == owner && listener.type == type;
    });
    if (m_document)
        m_document->m_listenerCount -= int(removed);
}

void DOMNode::removeEventListeners(const void *owner)
{
    if (!m_listeners)
        return;
    const qsizetype removed = m_listeners->removeIf([&](const Listener &listener) {
        return listener.owner == owner;
    });
    if (m_document)
        m_document->m_listenerCount -= int(removed);
}

void DOMNode::dispatchMutationEvent(DOMMutationEvent event)
{
    if (!m_document || !m_document->hasListeners())
        return;
    if (!event.target)
        event.target = this;
    // The path is fixed, and kept alive, before delivery, so that handlers may
    // change the tree.
    QList<DOMNodePtr> path;
    for (DOMNode *node = event.target; node; node = node->m_parent) {
        if (node->m_listeners && !node->m_listeners->isEmpty())
            path.append(node->shared_from_this());
    }
    for (const DOMNodePtr &node : path) {
        event.currentTarget = node.get();
        const QList<Listener> listeners = *node->m_listeners;
        for (const Listener &listener : listeners) {
            if (listener.type != event.type)
                continue;
            // Skip listeners removed by an earlier handler of this event.
            const bool present = std::any_of(node->m_listeners->cbegin(), node->m_listeners->cend(),
                                             [&](const Listener &l) { return l.handler == listener.handler; });
            if (present)
                (*listener.handler)(event);
        }
    }
}

void DOMNode::setAssociatedObject(const QString &key, std::shared_ptr<void> object)
{
    if (!m_associatedObjects)
        m_associatedObjects = std::make_unique<QHash<QString, std::shared_ptr<void>>>();
    m_associatedObjects->insert(key, std::move(object));
}

std::shared_ptr<void> DOMNode::associatedObject(const QString &key) const
{
    return m_associatedObjects ? m_associatedObjects->value(key) : nullptr;
}

void DOMNode::removeAssociatedObjects()
{
    m_associatedObjects.reset();
}

namespace {

QString quotedForDump(const QString &text)
{
    QString quoted = text;
    quoted.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    quoted.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    quoted.replace(QLatin1Char('\t'), QLatin1String("\\t"));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString namespaceLabel(DOMNamespace ns)
{
    switch (ns) {
    case DOMNamespace::SVG:
        return QStringLiteral("svg ");
    case DOMNamespace::MathML:
        return QStringLiteral("math ");
    case DOMNamespace::XLink:
        return QStringLiteral("xlink ");
    case DOMNamespace::XML:
        return QStringLiteral("xml ");
    case DOMNamespace::XMLNS:
        return QStringLiteral("xmlns ");
    default:
        return {};
    }
}

QString dumpLine(const DOMNode &node)
{
    switch (node.nodeType()) {
    case DOMNode::ELEMENT_NODE: {
        const auto &element = static_cast<const DOMElement &>(node);
        QString line = QLatin1Char('<') + namespaceLabel(element.namespaceId()) + element.localName();
        for (int i = 0; i < element.attributeCount(); ++i) {
            const DOMAttr *attribute = element.attributeAt(i);
            line += QLatin1Char(' ') + namespaceLabel(attribute->namespaceId());
            line += attribute->namespaceId() == DOMNamespace::None ? attribute->name() : attribute->localName();
            line += QLatin1Char('=') + quotedForDump(attribute->value());
        }
        return line + QLatin1Char('>');
    }
    case DOMNode::TEXT_NODE:
        return quotedForDump(node.nodeValue());
    case DOMNode::COMMENT_NODE:
        return QStringLiteral("<!-- %1 -->").arg(node.nodeValue());
    case DOMNode::DOCUMENT_TYPE_NODE: {
        const auto &doctype = static_cast<const DOMDocumentType &>(node);
        QString line = QStringLiteral("<!DOCTYPE ") + doctype.name();
        if (!doctype.publicId().isEmpty() || !doctype.systemId().isEmpty())
            line += QStringLiteral(" \"%1\" \"%2\"").arg(doctype.publicId(), doctype.systemId());
        return line + QLatin1Char('>');
    }
    case DOMNode::DOCUMENT_NODE:
    case DOMNode::DOCUMENT_FRAGMENT_NODE:
        return node.nodeName();
    }
    return {};
}

} // namespace

QString DOMNode::debugDump(WithIds withIds) const
{
    QString dump;
    // (node, depth); a template's content is listed as "content" under it.
    std::vector<std::pair<const DOMNode *, int>> pending{{this, 0}};
    while (!pending.empty()) {
        const auto [node, depth] = pending.back();
        pending.pop_back();
        if (withIds == WithIds::Yes)
            dump += QLatin1Char('[') + QString::number(node->m_nodeId) + QLatin1String("] ");
        dump += QString(depth * 2, QLatin1Char(' '));
        // A fragment below the root can only be a template's content.
        dump += node != this && node->isDocumentFragment() ? QStringLiteral("content") : dumpLine(*node);
        dump += QLatin1Char('\n');
        for (qsizetype i = node->m_children.size() - 1; i >= 0; --i)
            pending.emplace_back(node->m_children.at(i).get(), depth + 1);
        if (node->isElement()) {
            if (const DOMDocumentFragment *content = static_cast<const DOMElement *>(node)->templateContent())
                pending.emplace_back(content, depth + 1);
        }
    }
    return dump;
}
