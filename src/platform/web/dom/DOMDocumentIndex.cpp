#include "DOMDocumentIndex.h"

#include "DOMDocument.h"
#include "DOMElement.h"
#include "DOMStrings.h"
#include "DOMTraversal_p.h"

#include <vector>

namespace {

const QList<DOMElement *> &emptyList()
{
    static const QList<DOMElement *> empty;
    return empty;
}

} // namespace

bool DOMDocumentIndex::isCurrent(const DOMDocument &document) const
{
    return m_version == document.treeVersion() && m_quirks == document.isQuirksMode();
}

const QList<DOMElement *> &DOMDocumentIndex::elementsWithId(const QString &elementId) const
{
    const auto it = m_byId.constFind(m_quirks ? DOMStrings::asciiLower(elementId) : elementId);
    return it == m_byId.cend() ? emptyList() : it.value();
}

const QList<DOMElement *> &DOMDocumentIndex::elementsWithClass(const QString &className) const
{
    const auto it = m_byClass.constFind(m_quirks ? DOMStrings::asciiLower(className) : className);
    return it == m_byClass.cend() ? emptyList() : it.value();
}

const QList<DOMElement *> &DOMDocumentIndex::elementsWithLocalName(const QString &lowerCaseName) const
{
    const auto it = m_byName.constFind(lowerCaseName);
    return it == m_byName.cend() ? emptyList() : it.value();
}

void DOMDocumentIndex::update(const DOMDocument &document)
{
    if (isCurrent(document))
        return;
    m_version = document.treeVersion();
    m_quirks = document.isQuirksMode();
    m_elements.clear();
    m_byId.clear();
    m_byClass.clear();
    m_byName.clear();

    const QString idName = QStringLiteral("id");
    for (DOMElement *element = DOMTraversal::nextElement(&document, &document); element;
         element = DOMTraversal::nextElement(element, &document)) {
        element->m_position.version = m_version;
        element->m_position.ordinal = int(m_elements.size());
        element->m_position.lastDescendant = element->m_position.ordinal;
        m_elements.append(element);
        m_byName[DOMStrings::asciiLower(element->localName())].append(element);
        const QString elementId = element->getAttributeNS(QString(), idName);
        if (!elementId.isEmpty())
            m_byId[m_quirks ? DOMStrings::asciiLower(elementId) : elementId].append(element);
        for (const QString &className : element->classList()) {
            QList<DOMElement *> &list = m_byClass[m_quirks ? DOMStrings::asciiLower(className) : className];
            // A class written twice lists its element once.
            if (list.isEmpty() || list.constLast() != element)
                list.append(element);
        }
    }
    // Children come after their parents in tree order, so one backward pass
    // carries each subtree's last ordinal up to its root.
    for (qsizetype i = m_elements.size() - 1; i >= 0; --i) {
        const DOMElement *element = m_elements.at(i);
        if (DOMElement *parent = element->parentElement())
            parent->m_position.lastDescendant = std::max(parent->m_position.lastDescendant, element->m_position.lastDescendant);
    }
    // Sibling positions, one parent at a time (the document counts as a parent).
    QList<DOMElement *> children;
    const auto indexParent = [&](const DOMNode &parent) {
        children.clear();
        for (DOMNode *child = parent.firstChild(); child; child = child->nextSibling()) {
            if (child->isElement())
                children.append(static_cast<DOMElement *>(child));
        }
        indexChildren(children);
    };
    indexParent(document);
    for (const DOMElement *element : std::as_const(m_elements))
        indexParent(*element);
}

void DOMDocumentIndex::indexChildren(const QList<DOMElement *> &children)
{
    const int count = int(children.size());
    if (count == 0)
        return;
    // Same-type counting: a short list for the usual handful of names, a hash
    // for long runs of children.
    std::vector<std::pair<const DOMElement *, int>> seen; // first element of a type, count so far
    QHash<QString, int> seenByName;
    const bool useHash = count > 32;
    const auto typeKey = [](const DOMElement *element) {
        return element->namespaceURI() + QLatin1Char(' ') + element->localName();
    };
    for (int i = 0; i < count; ++i) {
        DOMElement *element = children.at(i);
        element->m_position.elementIndex = i;
        element->m_position.elementCount = count;
        int typeIndex = 0;
        if (useHash) {
            typeIndex = seenByName[typeKey(element)]++;
        } else {
            auto it = std::find_if(seen.begin(), seen.end(), [element](const auto &entry) {
                return entry.first->localName() == element->localName()
                    && entry.first->namespaceId() == element->namespaceId()
                    && entry.first->namespaceURI() == element->namespaceURI();
            });
            if (it == seen.end())
                seen.emplace_back(element, 1);
            else
                typeIndex = it->second++;
        }
        element->m_position.typeIndex = typeIndex;
    }
    for (DOMElement *element : children) {
        if (useHash) {
            element->m_position.typeCount = seenByName.value(typeKey(element));
        } else {
            for (const auto &entry : seen) {
                if (entry.first->localName() == element->localName()
                    && entry.first->namespaceId() == element->namespaceId()
                    && entry.first->namespaceURI() == element->namespaceURI()) {
                    element->m_position.typeCount = entry.second;
                    break;
                }
            }
        }
    }
}
