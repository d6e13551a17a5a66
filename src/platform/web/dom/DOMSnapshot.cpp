#include "DOMSnapshot.h"

#include "DOMComment.h"
#include "DOMDocument.h"
#include "DOMDocumentFragment.h"
#include "DOMDocumentType.h"
#include "DOMElement.h"
#include "DOMJsonReader.h"
#include "DOMLog.h"
#include "DOMSnapshot_p.h"
#include "DOMText.h"
#include "DOMTreeBuilder.h"

#include <QHash>
#include <QJsonDocument>
#include <QJsonValue>
#include <QSet>

#include <optional>
#include <vector>

namespace {

const QString kId = QStringLiteral("id");
const QString kType = QStringLiteral("type");
const QString kName = QStringLiteral("name");
const QString kPrefix = QStringLiteral("prefix");
const QString kNamespace = QStringLiteral("ns");
const QString kAttributes = QStringLiteral("attrs");
const QString kText = QStringLiteral("text");
const QString kChildren = QStringLiteral("children");
const QString kContent = QStringLiteral("content");
const QString kPublicId = QStringLiteral("publicId");
const QString kSystemId = QStringLiteral("systemId");

// The node of a record, not yet in a tree; null (logged) for a record that makes none.
DOMNodePtr createSnapshotElement(DOMDocument &document, const DOMSnapshotRecord &record)
{
    if (record.name.isEmpty()) {
        qCWarning(lcWeb) << "snapshot element" << record.id << "has no name";
        return nullptr;
    }
    const QString &namespaceURI = record.hasNamespace ? record.namespaceURI : DOMNamespaces::html;
    const DOMNamespace ns = DOMNamespaces::fromUri(namespaceURI);
    DOMElementPtr element = DOMTreeBuilder::element(document, record.id, ns, namespaceURI, record.prefix, record.name);
    for (const DOMSnapshotRecord::Attribute &attribute : record.attributes) {
        if (attribute.name.isEmpty()) {
            qCWarning(lcWeb) << "snapshot element" << record.id << "has an attribute without a name";
            continue;
        }
        const DOMNamespace attributeNs = DOMNamespaces::fromUri(attribute.namespaceURI);
        QString prefix;
        QString localName = attribute.name;
        const qsizetype colon = attribute.name.indexOf(QLatin1Char(':'));
        if (attributeNs != DOMNamespace::None && colon > 0) {
            prefix = attribute.name.left(colon);
            localName = attribute.name.mid(colon + 1);
        }
        DOMTreeBuilder::appendAttribute(*element, attributeNs, attribute.namespaceURI, prefix, localName,
                                        attribute.value);
    }
    return element;
}

DOMNodePtr createSnapshotNode(DOMDocument &document, const DOMSnapshotRecord &record)
{
    switch (record.type) {
    case DOMNode::ELEMENT_NODE:
        return createSnapshotElement(document, record);
    case DOMNode::TEXT_NODE:
        return DOMTreeBuilder::text(document, record.id, record.text);
    case DOMNode::COMMENT_NODE:
        return DOMTreeBuilder::comment(document, record.id, record.text);
    case DOMNode::DOCUMENT_TYPE_NODE:
        return DOMTreeBuilder::doctype(document, record.id, record.name, record.publicId, record.systemId);
    case DOMNode::DOCUMENT_FRAGMENT_NODE:
        return DOMTreeBuilder::fragment(document, record.id);
    default:
        qCWarning(lcWeb) << "snapshot record" << record.id << "has an unknown type" << record.type;
        return nullptr;
    }
}

// Whether child may go under parent in a snapshot's tree; logged when not.
bool isSnapshotChildAllowed(const DOMNode &parent, const DOMNode &child)
{
    if (!(parent.isElement() || parent.isDocument() || parent.isDocumentFragment())) {
        qCWarning(lcWeb) << "snapshot node" << parent.nodeId() << "cannot have children";
        return false;
    }
    if (child.isDocumentFragment() || (child.isDocumentType() && !parent.isDocument())) {
        qCWarning(lcWeb) << "snapshot node" << child.nodeId() << "cannot be a child of" << parent.nodeId();
        return false;
    }
    return true;
}

// Builds the nodes of snapshot records, then joins them into trees walking
// down from a root, so that each node is placed at most once: cycles and
// nodes claimed by two parents are cut.
class SnapshotBuilder
{
public:
    SnapshotBuilder(DOMDocument &document, std::vector<DOMSnapshotRecord> &records)
        : m_document(document), m_records(records), m_nodes(records.size()), m_placed(records.size(), false)
    {
    }

    // Makes the node of every record but the one with skipId.
    void createNodes(qint64 skipId = 0)
    {
        m_indexById.reserve(qsizetype(m_records.size()));
        DOMTreeBuilder::reserveNodes(m_document, qsizetype(m_records.size()));
        for (size_t i = 0; i < m_records.size(); ++i) {
            DOMSnapshotRecord &record = m_records[i];
            if (record.id == 0) {
                qCWarning(lcWeb) << "snapshot record without a valid id skipped";
                continue;
            }
            if (record.id == skipId)
                continue;
            if (m_indexById.contains(record.id) || m_document.nodeForId(record.id)) {
                qCWarning(lcWeb) << "snapshot id" << record.id << "is used twice; the later record is skipped";
                continue;
            }
            m_nodes[i] = createSnapshotNode(m_document, record);
            if (m_nodes[i])
                m_indexById.insert(record.id, i);
        }
    }

    void attachBelow(DOMNode &root, const DOMSnapshotRecord &rootRecord)
    {
        std::vector<std::pair<DOMNode *, const DOMSnapshotRecord *>> pending{{&root, &rootRecord}};
        while (!pending.empty()) {
            const auto [parent, record] = pending.back();
            pending.pop_back();
            if (record->content && parent->isElement()) {
                auto *element = static_cast<DOMElement *>(parent);
                const std::optional<size_t> index = take(record->content, parent);
                if (index && m_nodes[*index]->isDocumentFragment() && !element->templateContent()) {
                    DOMTreeBuilder::setTemplateContent(
                        *element, std::static_pointer_cast<DOMDocumentFragment>(m_nodes[*index]));
                    pending.emplace_back(m_nodes[*index].get(), &m_records[*index]);
                } else if (index) {
                    qCWarning(lcWeb) << "snapshot content" << record->content << "is not a fragment of a template";
                }
            }
            if (record->children.empty())
                continue;
            if (!(parent->isElement() || parent->isDocument() || parent->isDocumentFragment())) {
                qCWarning(lcWeb) << "snapshot node" << parent->nodeId() << "cannot have children";
                continue;
            }
            for (const qint64 childId : record->children) {
                const std::optional<size_t> index = take(childId, parent);
                if (!index)
                    continue;
                const DOMNodePtr &child = m_nodes[*index];
                if (!isSnapshotChildAllowed(*parent, *child))
                    continue;
                DOMTreeBuilder::append(*parent, child);
                pending.emplace_back(child.get(), &m_records[*index]);
            }
        }
    }

    size_t count() const { return m_records.size(); }
    const DOMNodePtr &node(size_t index) const { return m_nodes[index]; }
    const DOMSnapshotRecord &record(size_t index) const { return m_records[index]; }
    bool isPlaced(size_t index) const { return m_placed[index]; }
    void markPlaced(size_t index) { m_placed[index] = true; }
    int unplacedCount() const
    {
        int count = 0;
        for (size_t i = 0; i < m_nodes.size(); ++i)
            count += m_nodes[i] && !m_placed[i];
        return count;
    }

private:
    // The index of id's record for parent, once; nullopt (logged) when unknown or placed.
    std::optional<size_t> take(qint64 id, const DOMNode *parent)
    {
        const auto it = m_indexById.constFind(id);
        if (it == m_indexById.cend() || m_placed[it.value()]) {
            qCWarning(lcWeb) << "snapshot child" << id << "of" << parent->nodeId() << "is unknown or already placed";
            return std::nullopt;
        }
        m_placed[it.value()] = true;
        return it.value();
    }

    DOMDocument &m_document;
    std::vector<DOMSnapshotRecord> &m_records;
    std::vector<DOMNodePtr> m_nodes;
    std::vector<bool> m_placed;
    QHash<qint64, size_t> m_indexById;
};

// Builds the tree of a compact snapshot as its records are read: each
// record's node goes under its parent's at once, so nothing is kept per
// record but its node. A node whose parent was left out is left out too.
class SnapshotTreeBuilder final : public DOMSnapshotTreeSink
{
public:
    void begin(qint64 documentId, qsizetype expected) override
    {
        m_documentId = documentId;
        m_expected = expected;
    }

    void take(DOMSnapshotRecord &record, std::optional<size_t> parent, Place place) override
    {
        if (!parent) {
            // The first record: the document.
            if (m_documentId == 0 || record.type != DOMNode::DOCUMENT_NODE)
                return;
            m_document = DOMTreeBuilder::document(m_documentId);
            DOMTreeBuilder::reserveNodes(*m_document, m_expected);
            m_nodes.reserve(size_t(m_expected));
            m_nodes.push_back(m_document.get());
            return;
        }
        m_nodes.push_back(nullptr);
        if (!m_document)
            return;
        if (record.id == 0) {
            qCWarning(lcWeb) << "snapshot record without a valid id skipped";
            return;
        }
        const DOMNodePtr node = createSnapshotNode(*m_document, record);
        if (!node)
            return;
        DOMNode *parentNode = *parent < m_nodes.size() ? m_nodes[*parent] : nullptr;
        if (!parentNode) {
            ++m_unplaced;
            return;
        }
        if (place == Place::Content) {
            auto *element = parentNode->isElement() ? static_cast<DOMElement *>(parentNode) : nullptr;
            if (!element || !node->isDocumentFragment() || element->templateContent()) {
                qCWarning(lcWeb) << "snapshot content" << record.id << "is not a fragment of a template";
                ++m_unplaced;
                return;
            }
            DOMTreeBuilder::setTemplateContent(*element, std::static_pointer_cast<DOMDocumentFragment>(node));
        } else if (isSnapshotChildAllowed(*parentNode, *node)) {
            DOMTreeBuilder::append(*parentNode, node);
        } else {
            ++m_unplaced;
            return;
        }
        m_nodes.back() = node.get();
    }

    Result<std::shared_ptr<DOMDocument>> finish(const DOMSnapshotData &data)
    {
        using R = Result<std::shared_ptr<DOMDocument>>;
        if (!m_document)
            return R::failure(QStringLiteral("The snapshot has no document record %1").arg(data.document));
        m_document->setQuirksMode(data.mode == QLatin1String("BackCompat"));
        if (m_unplaced)
            qCWarning(lcWeb) << m_unplaced << "snapshot nodes are not in the document's tree and were dropped";
        return m_document;
    }

private:
    qint64 m_documentId = 0;
    qsizetype m_expected = 0;
    std::shared_ptr<DOMDocument> m_document;
    std::vector<DOMNode *> m_nodes; // By record index; null where a record has no node in the tree. Not owned.
    int m_unplaced = 0;
};

Result<std::shared_ptr<DOMDocument>> buildDocument(DOMSnapshotData &data)
{
    using R = Result<std::shared_ptr<DOMDocument>>;
    if (data.version != DOMSnapshot::s_version && data.version != DOMSnapshot::s_treeVersion)
        return R::failure(QStringLiteral("The snapshot has version %1, not %2").arg(data.version).arg(DOMSnapshot::s_version));
    const auto documentRecord = std::find_if(data.records.cbegin(), data.records.cend(), [&](const auto &record) {
        return data.document != 0 && record.id == data.document;
    });
    if (documentRecord == data.records.cend() || documentRecord->type != DOMNode::DOCUMENT_NODE)
        return R::failure(QStringLiteral("The snapshot has no document record %1").arg(data.document));

    std::shared_ptr<DOMDocument> document = DOMTreeBuilder::document(data.document);
    document->setQuirksMode(data.mode == QLatin1String("BackCompat"));
    SnapshotBuilder builder(*document, data.records);
    builder.createNodes(data.document);
    builder.attachBelow(*document, *documentRecord);
    if (const int unplaced = builder.unplacedCount())
        qCWarning(lcWeb) << unplaced << "snapshot nodes are not in the document's tree and were dropped";
    return document;
}

QJsonObject recordOf(const DOMNode &node)
{
    QJsonObject record;
    record.insert(kId, double(node.nodeId()));
    record.insert(kType, int(node.nodeType()));
    switch (node.nodeType()) {
    case DOMNode::ELEMENT_NODE: {
        const auto &element = static_cast<const DOMElement &>(node);
        record.insert(kName, element.localName());
        if (!element.prefix().isEmpty())
            record.insert(kPrefix, element.prefix());
        if (element.namespaceId() != DOMNamespace::HTML)
            record.insert(kNamespace, element.namespaceURI());
        if (element.hasAttributes()) {
            QJsonArray attributes;
            for (int i = 0; i < element.attributeCount(); ++i) {
                const DOMAttr *attribute = element.attributeAt(i);
                QJsonArray entry{attribute->name(), attribute->value()};
                if (attribute->namespaceId() != DOMNamespace::None)
                    entry.append(attribute->namespaceURI());
                attributes.append(entry);
            }
            record.insert(kAttributes, attributes);
        }
        if (const DOMDocumentFragment *content = element.templateContent())
            record.insert(kContent, double(content->nodeId()));
        break;
    }
    case DOMNode::TEXT_NODE:
    case DOMNode::COMMENT_NODE:
        record.insert(kText, node.nodeValue());
        break;
    case DOMNode::DOCUMENT_TYPE_NODE: {
        const auto &doctype = static_cast<const DOMDocumentType &>(node);
        record.insert(kName, doctype.name());
        record.insert(kPublicId, doctype.publicId());
        record.insert(kSystemId, doctype.systemId());
        break;
    }
    case DOMNode::DOCUMENT_NODE:
    case DOMNode::DOCUMENT_FRAGMENT_NODE:
        break;
    }
    if (node.hasChildNodes()) {
        QJsonArray children;
        for (DOMNode *child = node.firstChild(); child; child = child->nextSibling())
            children.append(double(child->nodeId()));
        record.insert(kChildren, children);
    }
    return record;
}

} // namespace

Result<std::shared_ptr<DOMDocument>> DOMSnapshot::readDocument(const QByteArray &json)
{
    SnapshotTreeBuilder tree;
    Result<DOMSnapshotData> data = DOMSnapshotJson::read(json, &tree);
    if (!data)
        return Result<std::shared_ptr<DOMDocument>>::failure(data.error());
    if (data.value().version == s_treeVersion)
        return tree.finish(data.value());
    return buildDocument(data.value());
}

Result<std::shared_ptr<DOMDocument>> DOMSnapshot::readDocument(const QJsonObject &snapshot)
{
    DOMSnapshotData data;
    data.version = snapshot.value(QStringLiteral("version")).toInt(s_version);
    data.document = DOMJsonReader::idOf(snapshot.value(QStringLiteral("document")).toDouble(0));
    data.mode = snapshot.value(QStringLiteral("mode")).toString();
    data.records = DOMSnapshotJson::readRecords(snapshot.value(QStringLiteral("nodes")).toArray());
    return buildDocument(data);
}

QList<std::shared_ptr<DOMNode>> DOMSnapshot::readNodes(DOMDocument &document, const QJsonArray &records)
{
    std::vector<DOMSnapshotRecord> data = DOMSnapshotJson::readRecords(records);
    SnapshotBuilder builder(document, data);
    builder.createNodes();
    QSet<qint64> listedAsChild;
    for (const DOMSnapshotRecord &record : data) {
        listedAsChild.unite(QSet<qint64>(record.children.cbegin(), record.children.cend()));
        if (record.content)
            listedAsChild.insert(record.content);
    }
    QList<DOMNodePtr> roots;
    for (size_t i = 0; i < builder.count(); ++i) {
        const DOMNodePtr &root = builder.node(i);
        if (!root || builder.isPlaced(i) || listedAsChild.contains(builder.record(i).id))
            continue;
        builder.markPlaced(i);
        builder.attachBelow(*root, builder.record(i));
        roots.append(root);
    }
    return roots;
}

QJsonObject DOMSnapshot::write(const DOMDocument &document)
{
    QJsonObject snapshot;
    snapshot.insert(QStringLiteral("version"), s_version);
    snapshot.insert(QStringLiteral("document"), double(document.nodeId()));
    snapshot.insert(QStringLiteral("mode"), document.isQuirksMode() ? QStringLiteral("BackCompat")
                                                                     : QStringLiteral("CSS1Compat"));
    snapshot.insert(QStringLiteral("nodes"), writeNodes(document));
    return snapshot;
}

QJsonArray DOMSnapshot::writeNodes(const DOMNode &root)
{
    QJsonArray records;
    std::vector<const DOMNode *> pending{&root};
    while (!pending.empty()) {
        const DOMNode *node = pending.back();
        pending.pop_back();
        records.append(recordOf(*node));
        for (int i = node->childCount() - 1; i >= 0; --i)
            pending.push_back(node->childAt(i));
        if (node->isElement()) {
            if (const DOMDocumentFragment *content = static_cast<const DOMElement *>(node)->templateContent())
                pending.push_back(content);
        }
    }
    return records;
}
