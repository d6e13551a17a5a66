#include "DOMDocument.h"

#include "DOMComment.h"
#include "DOMDocumentFragment.h"
#include "DOMDocumentIndex.h"
#include "DOMDocumentType.h"
#include "DOMElement.h"
#include "DOMLog.h"
#include "DOMNodeList.h"
#include "DOMStrings.h"
#include "DOMText.h"
#include "DOMTraversal_p.h"
#include "DOMTreeBuilder.h"

#include "platform/foundation/Assert.h"

#include <vector>

DOMDocumentPtr DOMDocument::create()
{
    return DOMTreeBuilder::document();
}

DOMDocument::DOMDocument(DOMNodeKey, qint64 nodeId)
    : DOMNode(DOCUMENT_NODE, nullptr, nodeId)
{
    setDocument(this);
    if (nodeId < 0)
        m_nextMirrorId = nodeId - 1;
    registerNode(this);
}

DOMDocument::~DOMDocument()
{
    // Nodes held elsewhere outlive the document and become inert; the others
    // die with their parents below and need not leave the registry one by one.
    for (DOMNode *node : std::as_const(m_nodesById)) {
        if (node != this)
            node->setDocument(nullptr);
    }
    m_nodesById.clear();
    releaseChildren();
}

QString DOMDocument::nodeName() const
{
    return QStringLiteral("#document");
}

DOMNodePtr DOMDocument::cloneShallow(DOMDocument &) const
{
    DOMDocumentPtr copy = DOMTreeBuilder::document();
    copy->m_quirksMode = m_quirksMode;
    return copy;
}

void DOMDocument::registerNode(DOMNode *node)
{
    // One lookup: a new id finds an empty slot.
    DOMNode *&slot = m_nodesById[node->nodeId()];
    QM_ASSERT(!slot, return);
    slot = node;
}

void DOMDocument::unregisterNode(DOMNode *node)
{
    const auto it = m_nodesById.constFind(node->nodeId());
    if (it != m_nodesById.cend() && it.value() == node) {
        m_nodesById.erase(it);
        if (m_nodeReleased)
            m_nodeReleased(node->nodeId());
    }
}

DOMDocumentType *DOMDocument::doctype() const
{
    for (DOMNode *child = firstChild(); child; child = child->nextSibling()) {
        if (child->isDocumentType())
            return static_cast<DOMDocumentType *>(child);
    }
    return nullptr;
}

DOMElement *DOMDocument::documentElement() const
{
    for (DOMNode *child = firstChild(); child; child = child->nextSibling()) {
        if (child->isElement())
            return static_cast<DOMElement *>(child);
    }
    return nullptr;
}

DOMElement *DOMDocument::head() const
{
    DOMElement *root = documentElement();
    if (!root || !root->isHTML(u"html"))
        return nullptr;
    for (DOMElement *child = root->firstElementChild(); child; child = child->nextElementSibling()) {
        if (child->isHTML(u"head"))
            return child;
    }
    return nullptr;
}

DOMElement *DOMDocument::body() const
{
    DOMElement *root = documentElement();
    if (!root || !root->isHTML(u"html"))
        return nullptr;
    for (DOMElement *child = root->firstElementChild(); child; child = child->nextElementSibling()) {
        if (child->isHTML(u"body") || child->isHTML(u"frameset"))
            return child;
    }
    return nullptr;
}

namespace {

void appendCreation(DOMReplayLog &log, const DOMNode &node)
{
    DOMReplayCommand command;
    command.node = node.nodeId();
    switch (node.nodeType()) {
    case DOMNode::ELEMENT_NODE: {
        const auto &element = static_cast<const DOMElement &>(node);
        command.op = DOMReplayCommand::Op::CreateElement;
        command.name = element.prefix().isEmpty() ? element.localName()
                                                  : element.prefix() + QLatin1Char(':') + element.localName();
        command.namespaceURI = element.namespaceURI();
        if (const DOMDocumentFragment *content = element.templateContent())
            command.content = content->nodeId();
        log.append(std::move(command));
        for (int i = 0; i < element.attributeCount(); ++i) {
            const DOMAttr *attribute = element.attributeAt(i);
            DOMReplayCommand set;
            set.op = DOMReplayCommand::Op::SetAttribute;
            set.node = node.nodeId();
            set.name = attribute->name();
            set.namespaceURI = attribute->namespaceURI();
            set.value = attribute->value();
            log.append(std::move(set));
        }
        return;
    }
    case DOMNode::TEXT_NODE:
        command.op = DOMReplayCommand::Op::CreateTextNode;
        command.value = node.nodeValue();
        break;
    case DOMNode::COMMENT_NODE:
        command.op = DOMReplayCommand::Op::CreateComment;
        command.value = node.nodeValue();
        break;
    case DOMNode::DOCUMENT_FRAGMENT_NODE:
        command.op = DOMReplayCommand::Op::CreateDocumentFragment;
        break;
    case DOMNode::DOCUMENT_NODE:
    case DOMNode::DOCUMENT_TYPE_NODE:
        qCWarning(lcWeb) << "a" << node.nodeName() << "node cannot be made in the page";
        return;
    }
    log.append(std::move(command));
}

} // namespace

void DOMDocument::recordNewSubtree(const DOMNode *root)
{
    if (m_replayLog.isSuspended())
        return;
    // Tree order: every node is made after its parent and appended after its
    // earlier siblings.
    std::vector<const DOMNode *> pending{root};
    while (!pending.empty()) {
        const DOMNode *node = pending.back();
        pending.pop_back();
        appendCreation(m_replayLog, *node);
        if (node != root && node->parentNode()) {
            DOMReplayCommand insert;
            insert.op = DOMReplayCommand::Op::InsertBefore;
            insert.parent = node->parentNode()->nodeId();
            insert.node = node->nodeId();
            m_replayLog.append(std::move(insert));
        }
        for (int i = node->childCount() - 1; i >= 0; --i)
            pending.push_back(node->childAt(i));
        if (node->isElement()) {
            if (const DOMDocumentFragment *content = static_cast<const DOMElement *>(node)->templateContent()) {
                for (int i = content->childCount() - 1; i >= 0; --i)
                    pending.push_back(content->childAt(i));
            }
        }
    }
}

DOMElementPtr DOMDocument::createElement(const QString &tagName)
{
    if (!DOMNames::isValidName(tagName)) {
        qCWarning(lcWeb) << "createElement refused the name" << tagName;
        return nullptr;
    }
    DOMElementPtr element =
        DOMTreeBuilder::element(*this, 0, DOMNamespace::HTML, QString(), QString(), DOMStrings::asciiLower(tagName));
    if (DOMTreeBuilder::isTemplate(DOMNamespace::HTML, element->localName()))
        DOMTreeBuilder::templateContent(*element);
    appendCreation(m_replayLog, *element);
    return element;
}

DOMElementPtr DOMDocument::createElementNS(const QString &namespaceURI, const QString &qualifiedName)
{
    QString error;
    const std::optional<DOMNames::QualifiedName> name =
        DOMNames::validateAndExtract(namespaceURI, qualifiedName, &error);
    if (!name) {
        qCWarning(lcWeb) << "createElementNS refused:" << error;
        return nullptr;
    }
    DOMElementPtr element =
        DOMTreeBuilder::element(*this, 0, name->ns, name->namespaceURI, name->prefix, name->localName);
    if (DOMTreeBuilder::isTemplate(name->ns, name->localName))
        DOMTreeBuilder::templateContent(*element);
    appendCreation(m_replayLog, *element);
    return element;
}

DOMTextPtr DOMDocument::createTextNode(const QString &data)
{
    DOMTextPtr text = DOMTreeBuilder::text(*this, 0, data);
    appendCreation(m_replayLog, *text);
    return text;
}

DOMCommentPtr DOMDocument::createComment(const QString &data)
{
    DOMCommentPtr comment = DOMTreeBuilder::comment(*this, 0, data);
    appendCreation(m_replayLog, *comment);
    return comment;
}

DOMDocumentFragmentPtr DOMDocument::createDocumentFragment()
{
    DOMDocumentFragmentPtr fragment = DOMTreeBuilder::fragment(*this, 0);
    appendCreation(m_replayLog, *fragment);
    return fragment;
}

DOMAttrPtr DOMDocument::createAttribute(const QString &name)
{
    if (!DOMNames::isValidName(name)) {
        qCWarning(lcWeb) << "createAttribute refused the name" << name;
        return nullptr;
    }
    return std::make_shared<DOMAttr>(DOMNodeKey(), DOMNamespace::None, QString(), QString(),
                                     DOMStrings::asciiLower(name), QStringLiteral(""));
}

DOMAttrPtr DOMDocument::createAttributeNS(const QString &namespaceURI, const QString &qualifiedName)
{
    QString error;
    const std::optional<DOMNames::QualifiedName> name =
        DOMNames::validateAndExtract(namespaceURI, qualifiedName, &error);
    if (!name) {
        qCWarning(lcWeb) << "createAttributeNS refused:" << error;
        return nullptr;
    }
    return std::make_shared<DOMAttr>(DOMNodeKey(), name->ns, name->namespaceURI, name->prefix, name->localName,
                                     QStringLiteral(""));
}

DOMElement *DOMDocument::getElementById(const QString &elementId) const
{
    if (elementId.isEmpty())
        return nullptr;
    // The tables are used only when they are current; rebuilding them costs
    // more than one walk.
    if (m_index && m_index->isCurrent(*this)) {
        const QList<DOMElement *> &found = m_index->elementsWithId(elementId);
        return found.isEmpty() ? nullptr : found.constFirst();
    }
    for (DOMElement *element = DOMTraversal::nextElement(this, this); element;
         element = DOMTraversal::nextElement(element, this)) {
        if (element->getAttribute(QStringLiteral("id")) == elementId)
            return element;
    }
    return nullptr;
}

DOMNodeList DOMDocument::getElementsByTagName(const QString &qualifiedName) const
{
    return elementsByTagName(qualifiedName);
}

DOMComputedStyle DOMDocument::getComputedStyle(const DOMElement *element, const QString &pseudoElement) const
{
    if (!element || !m_engineQueries)
        return {};
    return m_engineQueries->computedStyle(*element, pseudoElement);
}

QList<DOMMatchedRule> DOMDocument::getMatchedCSSRules(const DOMElement *element, const QString &pseudoElement,
                                                      bool authorOnly) const
{
    if (!element || !m_engineQueries)
        return {};
    return m_engineQueries->matchedCSSRules(*element, pseudoElement,
                                            authorOnly ? DOMEngineQueries::Origin::AuthorOnly
                                                       : DOMEngineQueries::Origin::All);
}

const DOMDocumentIndex &DOMDocument::index() const
{
    if (!m_index)
        m_index = std::make_unique<DOMDocumentIndex>();
    m_index->update(*this);
    return *m_index;
}
