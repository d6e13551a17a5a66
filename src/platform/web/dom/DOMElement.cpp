#include "DOMElement.h"

#include "DOMDocument.h"
#include "DOMDocumentFragment.h"
#include "DOMLog.h"
#include "DOMNamedNodeMap.h"
#include "DOMNodeList.h"
#include "DOMSelectorEngine.h"
#include "DOMStrings.h"
#include "DOMTreeBuilder.h"

DOMElement::DOMElement(DOMNodeKey, DOMDocument *document, qint64 nodeId, DOMNamespace ns, QString namespaceURI,
                       QString prefix, QString localName)
    : DOMNode(ELEMENT_NODE, document, nodeId)
    , m_namespace(ns)
    , m_namespaceURI(ns == DOMNamespace::Other ? std::move(namespaceURI) : QString())
    , m_prefix(std::move(prefix))
    , m_localName(std::move(localName))
{
}

DOMElement::~DOMElement()
{
    for (const DOMAttrPtr &attribute : std::as_const(m_attributes))
        attribute->m_ownerElement = nullptr;
}

QString DOMElement::tagName() const
{
    QString name = m_prefix.isEmpty() ? m_localName : m_prefix + QLatin1Char(':') + m_localName;
    return isHTMLElement() ? DOMStrings::asciiUpper(name) : name;
}

QString DOMElement::namespaceURI() const
{
    return m_namespace == DOMNamespace::Other ? m_namespaceURI : DOMNamespaces::uri(m_namespace);
}

DOMAttr *DOMElement::attributeAt(int index) const
{
    return index >= 0 && index < m_attributes.size() ? m_attributes.at(index).get() : nullptr;
}

DOMNamedNodeMap DOMElement::attributes()
{
    return DOMNamedNodeMap(sharedAs<DOMElement>());
}

int DOMElement::indexOfQualifiedName(const QString &name) const
{
    const QString wanted = isHTMLElement() ? DOMStrings::asciiLower(name) : name;
    for (int i = 0; i < m_attributes.size(); ++i) {
        if (m_attributes.at(i)->hasQualifiedName(wanted))
            return i;
    }
    return -1;
}

int DOMElement::indexOfNamespaced(DOMNamespace ns, const QString &namespaceURI, const QString &localName) const
{
    for (int i = 0; i < m_attributes.size(); ++i) {
        if (m_attributes.at(i)->hasNamespaceAndLocalName(ns, namespaceURI, localName))
            return i;
    }
    return -1;
}

bool DOMElement::hasAttribute(const QString &name) const
{
    return indexOfQualifiedName(name) >= 0;
}

QString DOMElement::getAttribute(const QString &name) const
{
    const int index = indexOfQualifiedName(name);
    return index >= 0 ? m_attributes.at(index)->value() : QString();
}

DOMAttr *DOMElement::getAttributeNode(const QString &name) const
{
    return attributeAt(indexOfQualifiedName(name));
}

Result<void> DOMElement::setAttribute(const QString &name, const QString &value)
{
    if (!DOMNames::isValidName(name)) {
        qCWarning(lcWeb) << "setAttribute refused the name" << name;
        return domFailure("InvalidCharacterError", QStringLiteral("\"%1\" is not a valid attribute name").arg(name));
    }
    const int index = indexOfQualifiedName(name);
    if (index >= 0) {
        changeAttributeValue(m_attributes.at(index).get(), value);
        return {};
    }
    const QString localName = isHTMLElement() ? DOMStrings::asciiLower(name) : name;
    appendAttribute(std::make_shared<DOMAttr>(DOMNodeKey(), DOMNamespace::None, QString(), QString(), localName,
                                              value.isNull() ? QStringLiteral("") : value));
    return {};
}

bool DOMElement::removeAttribute(const QString &name)
{
    const int index = indexOfQualifiedName(name);
    if (index < 0)
        return false;
    removeAttributeAt(index);
    return true;
}

bool DOMElement::hasAttributeNS(const QString &namespaceURI, const QString &localName) const
{
    return indexOfNamespaced(DOMNamespaces::fromUri(namespaceURI), namespaceURI, localName) >= 0;
}

QString DOMElement::getAttributeNS(const QString &namespaceURI, const QString &localName) const
{
    const int index = indexOfNamespaced(DOMNamespaces::fromUri(namespaceURI), namespaceURI, localName);
    return index >= 0 ? m_attributes.at(index)->value() : QString();
}

DOMAttr *DOMElement::getAttributeNodeNS(const QString &namespaceURI, const QString &localName) const
{
    return attributeAt(indexOfNamespaced(DOMNamespaces::fromUri(namespaceURI), namespaceURI, localName));
}

Result<void> DOMElement::setAttributeNS(const QString &namespaceURI, const QString &qualifiedName,
                                       const QString &value)
{
    QString error;
    const std::optional<DOMNames::QualifiedName> name =
        DOMNames::validateAndExtract(namespaceURI, qualifiedName, &error);
    if (!name) {
        qCWarning(lcWeb) << "setAttributeNS refused:" << error;
        return Result<void>::failure(error);
    }
    const int index = indexOfNamespaced(name->ns, name->namespaceURI, name->localName);
    if (index >= 0) {
        changeAttributeValue(m_attributes.at(index).get(), value);
        return {};
    }
    appendAttribute(std::make_shared<DOMAttr>(DOMNodeKey(), name->ns, name->namespaceURI, name->prefix,
                                              name->localName, value.isNull() ? QStringLiteral("") : value));
    return {};
}

bool DOMElement::removeAttributeNS(const QString &namespaceURI, const QString &localName)
{
    const int index = indexOfNamespaced(DOMNamespaces::fromUri(namespaceURI), namespaceURI, localName);
    if (index < 0)
        return false;
    removeAttributeAt(index);
    return true;
}

Result<void> DOMElement::setAttributeNode(const DOMAttrPtr &attribute)
{
    // As in today's DOM, both forms replace the attribute of the same namespace and local name.
    return setAttributeNodeNS(attribute);
}

Result<void> DOMElement::setAttributeNodeNS(const DOMAttrPtr &attribute)
{
    if (!attribute)
        return domFailure("TypeError", QStringLiteral("no attribute"));
    if (attribute->m_ownerElement == this)
        return {};
    if (attribute->m_ownerElement)
        return domFailure("InUseAttributeError", QStringLiteral("the attribute belongs to another element"));
    const int index = indexOfNamespaced(attribute->namespaceId(), attribute->namespaceURI(), attribute->localName());
    if (index >= 0)
        replaceAttributeAt(index, attribute);
    else
        appendAttribute(attribute);
    return {};
}

Result<void> DOMElement::removeAttributeNode(DOMAttr *attribute)
{
    for (int i = 0; i < m_attributes.size(); ++i) {
        if (m_attributes.at(i).get() == attribute) {
            removeAttributeAt(i);
            return {};
        }
    }
    return domFailure("NotFoundError", QStringLiteral("the attribute does not belong to this element"));
}

void DOMElement::recordSetAttribute(const DOMAttr &attribute)
{
    if (DOMDocument *doc = document()) {
        DOMReplayCommand command;
        command.op = DOMReplayCommand::Op::SetAttribute;
        command.node = nodeId();
        command.name = attribute.name();
        command.namespaceURI = attribute.namespaceURI();
        command.value = attribute.value();
        doc->replayLog().append(std::move(command));
    }
}

void DOMElement::appendAttribute(const DOMAttrPtr &attribute)
{
    attribute->m_ownerElement = this;
    m_attributes.append(attribute);
    recordSetAttribute(*attribute);
    attributeChanged(*attribute, QString(), DOMMutationEvent::ADDITION);
}

void DOMElement::replaceAttributeAt(int index, const DOMAttrPtr &attribute)
{
    const DOMAttrPtr old = m_attributes.at(index);
    old->m_ownerElement = nullptr;
    attribute->m_ownerElement = this;
    m_attributes[index] = attribute;
    recordSetAttribute(*attribute);
    attributeChanged(*attribute, old->value(), DOMMutationEvent::MODIFICATION);
}

void DOMElement::changeAttributeValue(DOMAttr *attribute, const QString &value)
{
    if (attribute->m_value == value)
        return;
    const QString previous = std::exchange(attribute->m_value, value.isNull() ? QStringLiteral("") : value);
    recordSetAttribute(*attribute);
    attributeChanged(*attribute, previous, DOMMutationEvent::MODIFICATION);
}

void DOMElement::removeAttributeAt(int index)
{
    const DOMAttrPtr attribute = m_attributes.takeAt(index);
    attribute->m_ownerElement = nullptr;
    if (DOMDocument *doc = document()) {
        DOMReplayCommand command;
        command.op = DOMReplayCommand::Op::RemoveAttribute;
        command.node = nodeId();
        command.name = attribute->localName();
        command.namespaceURI = attribute->namespaceURI();
        doc->replayLog().append(std::move(command));
    }
    attributeChanged(*attribute, attribute->value(), DOMMutationEvent::REMOVAL);
}

void DOMElement::attributeChanged(const DOMAttr &attribute, const QString &previous, int change)
{
    if (DOMDocument *doc = document())
        doc->noteContentChanged();
    if (attribute.namespaceId() == DOMNamespace::None) {
        const bool isClass = attribute.localName() == QLatin1String("class");
        if (isClass)
            m_classListValid = false;
        if (isClass || attribute.localName() == QLatin1String("id")) {
            if (DOMDocument *doc = document())
                doc->noteTreeChanged();
        }
    }
    const DOMNodePtr keepAlive = shared_from_this();
    DOMMutationEvent event;
    event.type = DOMEventType::attrModified;
    event.target = this;
    event.attrName = attribute.name();
    event.prevValue = previous;
    event.newValue = change == DOMMutationEvent::REMOVAL ? QString() : attribute.value();
    event.attrChange = change;
    dispatchMutationEvent(event);
    DOMMutationEvent subtree;
    subtree.type = DOMEventType::subtreeModified;
    subtree.target = this;
    dispatchMutationEvent(subtree);
}

const QStringList &DOMElement::classList() const
{
    if (!m_classListValid) {
        m_classList.clear();
        const int index = indexOfNamespaced(DOMNamespace::None, QString(), QStringLiteral("class"));
        if (index >= 0)
            m_classList = DOMStrings::splitAsciiWhitespace(m_attributes.at(index)->value());
        m_classListValid = true;
    }
    return m_classList;
}

bool DOMElement::matches(const QString &selectors) const
{
    return DOMSelectorEngine::matches(*this, selectors);
}

DOMNodeList DOMElement::getElementsByTagName(const QString &qualifiedName) const
{
    return elementsByTagName(qualifiedName);
}

DOMElement *DOMElement::firstElementChild() const
{
    for (DOMNode *child = firstChild(); child; child = child->nextSibling()) {
        if (child->isElement())
            return static_cast<DOMElement *>(child);
    }
    return nullptr;
}

DOMElement *DOMElement::lastElementChild() const
{
    for (DOMNode *child = lastChild(); child; child = child->previousSibling()) {
        if (child->isElement())
            return static_cast<DOMElement *>(child);
    }
    return nullptr;
}

int DOMElement::childElementCount() const
{
    int count = 0;
    for (DOMNode *child = firstChild(); child; child = child->nextSibling())
        count += child->isElement();
    return count;
}

DOMNodePtr DOMElement::cloneShallow(DOMDocument &document) const
{
    DOMElementPtr copy = DOMTreeBuilder::element(document, 0, m_namespace, m_namespaceURI, m_prefix, m_localName);
    for (const DOMAttrPtr &attribute : m_attributes) {
        DOMTreeBuilder::appendAttribute(*copy, attribute->namespaceId(), attribute->namespaceURI(),
                                        attribute->prefix(), attribute->localName(), attribute->value());
    }
    if (m_templateContent)
        DOMTreeBuilder::templateContent(*copy);
    return copy;
}
