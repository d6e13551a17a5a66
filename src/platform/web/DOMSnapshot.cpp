#include "DOMSnapshot.h"

#include "DOMDocument.h"
#include "DOMDocumentFragment.h"
#include "DOMDocumentType.h"
#include "DOMElement.h"
#include "DOMComment.h"
#include "DOMLog_p.h"
#include "DOMText.h"
#include "DOMTreeBuilder.h"

#include <QHash>
#include <QJsonDocument>
#include <QJsonValue>
#include <QSet>

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

qint64 idOf(const QJsonValue &value)
{
    const double number = value.toDouble(0);
    // Ids are integers well inside a double's exact range.
    if (number != double(qint64(number)) || number > 9.0e15 || number < -9.0e15)
        return 0;
    return qint64(number);
}

// The nodes of a snapshot by id, made before they are joined into a tree.
class SnapshotReader
{
public:
    explicit SnapshotReader(DOMDocument &document) : m_document(document) {}

    // Makes the node of every record; answers how many records were refused.
    void createNodes(const QJsonArray &records, qint64 skipId = 0)
    {
        for (const QJsonValue &value : records) {
            const QJsonObject record = value.toObject();
            const qint64 id = idOf(record.value(kId));
            if (id == 0) {
                qCWarning(lcWeb) << "snapshot record without a valid id skipped";
                continue;
            }
            if (id == skipId)
                continue;
            if (m_nodes.contains(id) || m_document.nodeForId(id)) {
                qCWarning(lcWeb) << "snapshot id" << id << "is used twice; the later record is skipped";
                continue;
            }
            DOMNodePtr node = createNode(id, record);
            if (!node)
                continue;
            m_nodes.insert(id, node);
            m_records.insert(id, record);
            m_order.append(id);
        }
    }

    // Joins the children (and template contents) below root, walking down
    // from it; a node can be joined once, so cycles and shared children are cut.
    void attachBelow(DOMNode &root, const QJsonObject &rootRecord)
    {
        std::vector<std::pair<DOMNode *, QJsonObject>> pending{{&root, rootRecord}};
        while (!pending.empty()) {
            auto [parent, record] = std::move(pending.back());
            pending.pop_back();
            if (parent->isElement() && record.contains(kContent)) {
                auto *element = static_cast<DOMElement *>(parent);
                const qint64 contentId = idOf(record.value(kContent));
                DOMNodePtr content = take(contentId, parent);
                if (content && content->isDocumentFragment() && !element->templateContent()) {
                    DOMTreeBuilder::setTemplateContent(*element, std::static_pointer_cast<DOMDocumentFragment>(content));
                    pending.emplace_back(content.get(), m_records.value(contentId));
                } else if (content) {
                    qCWarning(lcWeb) << "snapshot content" << contentId << "is not a fragment of a template";
                }
            }
            const QJsonArray children = record.value(kChildren).toArray();
            if (!children.isEmpty() && !(parent->isElement() || parent->isDocument() || parent->isDocumentFragment())) {
                qCWarning(lcWeb) << "snapshot node" << parent->nodeId() << "cannot have children";
                continue;
            }
            for (const QJsonValue &childValue : children) {
                const qint64 childId = idOf(childValue);
                DOMNodePtr child = take(childId, parent);
                if (!child)
                    continue;
                if (child->isDocumentFragment() || (child->isDocumentType() && !parent->isDocument())) {
                    qCWarning(lcWeb) << "snapshot node" << childId << "cannot be a child of" << parent->nodeId();
                    continue;
                }
                DOMNode *raw = child.get();
                DOMTreeBuilder::append(*parent, std::move(child));
                pending.emplace_back(raw, m_records.value(childId));
            }
        }
    }

    // The node of id for parent, once; null (logged) when unknown or taken.
    DOMNodePtr take(qint64 id, const DOMNode *parent)
    {
        if (m_attached.contains(id) || !m_nodes.contains(id)) {
            qCWarning(lcWeb) << "snapshot child" << id << "of" << parent->nodeId() << "is unknown or already placed";
            return nullptr;
        }
        m_attached.insert(id);
        return m_nodes.value(id);
    }

    const QList<qint64> &order() const { return m_order; }
    const QHash<qint64, DOMNodePtr> &nodes() const { return m_nodes; }
    const QJsonObject record(qint64 id) const { return m_records.value(id); }
    bool isAttached(qint64 id) const { return m_attached.contains(id); }
    void markAttached(qint64 id) { m_attached.insert(id); }

private:
    DOMNodePtr createNode(qint64 id, const QJsonObject &record)
    {
        switch (record.value(kType).toInt()) {
        case DOMNode::ELEMENT_NODE:
            return createElement(id, record);
        case DOMNode::TEXT_NODE:
            return DOMTreeBuilder::text(m_document, id, record.value(kText).toString());
        case DOMNode::COMMENT_NODE:
            return DOMTreeBuilder::comment(m_document, id, record.value(kText).toString());
        case DOMNode::DOCUMENT_TYPE_NODE:
            return DOMTreeBuilder::doctype(m_document, id, record.value(kName).toString(),
                                           record.value(kPublicId).toString(), record.value(kSystemId).toString());
        case DOMNode::DOCUMENT_FRAGMENT_NODE:
            return DOMTreeBuilder::fragment(m_document, id);
        default:
            qCWarning(lcWeb) << "snapshot record" << id << "has an unknown type" << record.value(kType);
            return nullptr;
        }
    }

    DOMNodePtr createElement(qint64 id, const QJsonObject &record)
    {
        const QString name = record.value(kName).toString();
        if (name.isEmpty()) {
            qCWarning(lcWeb) << "snapshot element" << id << "has no name";
            return nullptr;
        }
        const QString namespaceURI = record.contains(kNamespace) ? record.value(kNamespace).toString()
                                                                 : DOMNamespaces::html;
        const DOMNamespace ns = DOMNamespaces::fromUri(namespaceURI);
        DOMElementPtr element = DOMTreeBuilder::element(m_document, id, ns, namespaceURI,
                                                        record.value(kPrefix).toString(), name);
        for (const QJsonValue &value : record.value(kAttributes).toArray()) {
            const QJsonArray attribute = value.toArray();
            const QString qualifiedName = attribute.at(0).toString();
            if (qualifiedName.isEmpty()) {
                qCWarning(lcWeb) << "snapshot element" << id << "has an attribute without a name";
                continue;
            }
            const QString attributeNamespace = attribute.at(2).toString();
            const DOMNamespace attributeNs = DOMNamespaces::fromUri(attributeNamespace);
            QString prefix;
            QString localName = qualifiedName;
            const qsizetype colon = qualifiedName.indexOf(QLatin1Char(':'));
            if (attributeNs != DOMNamespace::None && colon > 0) {
                prefix = qualifiedName.left(colon);
                localName = qualifiedName.mid(colon + 1);
            }
            DOMTreeBuilder::appendAttribute(*element, attributeNs, attributeNamespace, prefix, localName,
                                            attribute.at(1).toString());
        }
        return element;
    }

    DOMDocument &m_document;
    QHash<qint64, DOMNodePtr> m_nodes;
    QHash<qint64, QJsonObject> m_records;
    QList<qint64> m_order;
    QSet<qint64> m_attached;
};

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
    QJsonParseError error;
    const QJsonDocument parsed = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !parsed.isObject()) {
        return Result<std::shared_ptr<DOMDocument>>::failure(
            QStringLiteral("The snapshot is not a JSON object: %1 at %2").arg(error.errorString()).arg(error.offset));
    }
    return readDocument(parsed.object());
}

Result<std::shared_ptr<DOMDocument>> DOMSnapshot::readDocument(const QJsonObject &snapshot)
{
    using R = Result<std::shared_ptr<DOMDocument>>;
    const int version = snapshot.value(QStringLiteral("version")).toInt(s_version);
    if (version != s_version)
        return R::failure(QStringLiteral("The snapshot has version %1, not %2").arg(version).arg(s_version));
    const qint64 documentId = idOf(snapshot.value(QStringLiteral("document")));
    const QJsonArray records = snapshot.value(QStringLiteral("nodes")).toArray();
    QJsonObject documentRecord;
    for (const QJsonValue &value : records) {
        const QJsonObject record = value.toObject();
        if (idOf(record.value(kId)) == documentId && documentId != 0) {
            documentRecord = record;
            break;
        }
    }
    if (documentRecord.isEmpty() || documentRecord.value(kType).toInt() != DOMNode::DOCUMENT_NODE)
        return R::failure(QStringLiteral("The snapshot has no document record %1").arg(documentId));

    std::shared_ptr<DOMDocument> document = DOMTreeBuilder::document(documentId);
    document->setQuirksMode(snapshot.value(QStringLiteral("mode")).toString() == QLatin1String("BackCompat"));
    SnapshotReader reader(*document);
    reader.createNodes(records, documentId);
    reader.attachBelow(*document, documentRecord);
    const int unplaced = int(std::count_if(reader.order().cbegin(), reader.order().cend(),
                                           [&](qint64 id) { return !reader.isAttached(id); }));
    if (unplaced > 0)
        qCWarning(lcWeb) << unplaced << "snapshot nodes are not in the document's tree and were dropped";
    return document;
}

QList<std::shared_ptr<DOMNode>> DOMSnapshot::readNodes(DOMDocument &document, const QJsonArray &records)
{
    SnapshotReader reader(document);
    reader.createNodes(records);
    QSet<qint64> listedAsChild;
    for (qint64 id : reader.order()) {
        const QJsonObject record = reader.record(id);
        for (const QJsonValue &child : record.value(kChildren).toArray())
            listedAsChild.insert(idOf(child));
        if (record.contains(kContent))
            listedAsChild.insert(idOf(record.value(kContent)));
    }
    QList<DOMNodePtr> roots;
    for (qint64 id : reader.order()) {
        if (listedAsChild.contains(id))
            continue;
        const DOMNodePtr root = reader.nodes().value(id);
        if (root->isDocument())
            continue;
        reader.markAttached(id);
        reader.attachBelow(*root, reader.record(id));
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
