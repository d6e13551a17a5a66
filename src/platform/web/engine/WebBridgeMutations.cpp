// WebBridge: the page's own mutations, applied to the mirror.

#include "WebBridge.h"
#include "WebBridge_p.h"
#include "WebEngineCache.h"

#include "platform/web/dom/DOMCharacterData.h"
#include "platform/web/dom/DOMElement.h"
#include "platform/web/dom/DOMLog.h"
#include "platform/web/dom/DOMSnapshot.h"

#include <QJsonDocument>
#include <QSet>

using WebBridgePrivate::idOf;

namespace {

// The node with that id when it is a child of parent.
DOMNode *childWithId(DOMDocument &document, const DOMNode &parent, const QJsonValue &id)
{
    if (!id.isDouble() || idOf(id) == 0)
        return nullptr;
    DOMNode *node = document.nodeForId(idOf(id));
    return node && node->parentNode() == &parent ? node : nullptr;
}

} // namespace

void WebBridge::applyMutations(WebFrameMirror &frame, const QJsonObject &message)
{
    DOMDocument &document = *frame.document();
    // The page has these changes already.
    const DOMReplayLog::Suspension suspension(document.replayLog());
    frame.engine()->invalidate();

    // New subtrees first: the records name them by id. They are held here
    // until a record places them.
    const QJsonArray nodeRecords = message.value(QStringLiteral("nodes")).toArray();
    const QList<DOMNodePtr> newRoots = DOMSnapshot::readNodes(document, nodeRecords);
    QList<DOMNodePtr> held = newRoots;
    QSet<qint64> freshIds;
    for (const QJsonValue &record : nodeRecords)
        freshIds.insert(idOf(record.toObject().value(QStringLiteral("id"))));

    qCDebug(lcWebBridge).noquote() << "mutations" << QJsonDocument(message).toJson(QJsonDocument::Compact);
    for (const QJsonValue &value : message.value(QStringLiteral("records")).toArray()) {
        const QJsonObject record = value.toObject();
        const QString type = record.value(QStringLiteral("t")).toString();
        if (type == QLatin1String("c")) {
            DOMNode *parent = document.nodeForId(idOf(record.value(QStringLiteral("p"))));
            if (!parent)
                continue;
            for (const QJsonValue &removed : record.value(QStringLiteral("r")).toArray()) {
                if (DOMNode *child = childWithId(document, *parent, removed)) {
                    // A move is a removal, then an insertion in a later record.
                    held.append(child->shared_from_this());
                    parent->removeChild(child);
                }
            }
            const QJsonArray added = record.value(QStringLiteral("a")).toArray();
            if (added.isEmpty())
                continue;
            // Where the nodes went: before their next sibling, else after their
            // previous one; null means there was none on that side.
            DOMNode *reference = nullptr;
            const QJsonValue next = record.value(QStringLiteral("ns"));
            const QJsonValue previous = record.value(QStringLiteral("ps"));
            if (DOMNode *nextNode = childWithId(document, *parent, next)) {
                reference = nextNode;
            } else if (previous.isNull()) {
                reference = parent->firstChild();
            } else if (DOMNode *previousNode = childWithId(document, *parent, previous)) {
                reference = previousNode->nextSibling();
            }
            for (const QJsonValue &id : added) {
                DOMNode *child = document.nodeForId(idOf(id));
                if (!child || child == reference)
                    continue;
                if (const Result<void> inserted = parent->insertBefore(child, reference); !inserted)
                    qCWarning(lcWeb) << "a page insertion could not be mirrored:" << inserted.error();
            }
        } else if (type == QLatin1String("a")) {
            DOMNode *node = document.nodeForId(idOf(record.value(QStringLiteral("n"))));
            if (!node || !node->isElement())
                continue;
            auto *element = static_cast<DOMElement *>(node);
            const QString ns = record.value(QStringLiteral("ns")).toString();
            const QString local = record.value(QStringLiteral("local")).toString();
            const QJsonValue newValue = record.value(QStringLiteral("v"));
            if (newValue.isNull()) {
                element->removeAttributeNS(ns, local);
            } else if (!element->hasAttributeNS(ns, local) || element->getAttributeNS(ns, local) != newValue.toString()) {
                if (const Result<void> set = element->setAttributeNS(ns, record.value(QStringLiteral("name")).toString(),
                                                                      newValue.toString());
                    !set)
                    qCWarning(lcWeb) << "a page attribute could not be mirrored:" << set.error();
            }
        } else if (type == QLatin1String("d")) {
            DOMNode *node = document.nodeForId(idOf(record.value(QStringLiteral("n"))));
            if (node && node->isCharacterData()) {
                auto *data = static_cast<DOMCharacterData *>(node);
                const QString text = record.value(QStringLiteral("v")).toString();
                if (data->data() != text)
                    data->setData(text);
            }
        }
    }

    // Child lists as the page has them now: always for new nodes, and for the
    // others when no edit of the program is under way (it would be undone).
    const QJsonObject finals = message.value(QStringLiteral("finals")).toObject();
    const bool settled = !hasPendingCommands();
    for (auto it = finals.constBegin(); it != finals.constEnd(); ++it) {
        const qint64 parentId = it.key().toLongLong();
        if (!settled && !freshIds.contains(parentId))
            continue;
        if (DOMNode *parent = document.nodeForId(parentId))
            reconcileChildren(document, *parent, it.value().toArray(), held);
    }

    QList<DOMNode *> attributeTargets;
    for (const QJsonValue &id : message.value(QStringLiteral("attrs")).toArray()) {
        if (DOMNode *node = document.nodeForId(idOf(id)))
            attributeTargets.append(node);
    }
    Q_EMIT mirrorChanged(&frame);
    if (!attributeTargets.isEmpty())
        Q_EMIT attributesChanged(&frame, attributeTargets);
}

void WebBridge::reconcileChildren(DOMDocument &document, DOMNode &parent, const QJsonArray &childIds,
                                  QList<DOMNodePtr> &held)
{
    int index = 0;
    for (const QJsonValue &id : childIds) {
        DOMNode *child = document.nodeForId(idOf(id));
        if (!child)
            continue;
        if (parent.childAt(index) != child) {
            qCDebug(lcWeb) << "the mirror follows the page's children of" << parent.nodeId();
            if (const Result<void> moved = parent.insertBefore(child, parent.childAt(index)); !moved) {
                qCWarning(lcWeb) << "a child could not be put in place:" << moved.error();
                continue;
            }
        }
        ++index;
    }
    while (parent.childCount() > index) {
        held.append(parent.lastChild()->shared_from_this());
        parent.removeChild(parent.lastChild());
    }
}

void WebBridge::resynchronize(WebFrameMirror &frame, const QByteArray &payload)
{
    DOMDocument &document = *frame.document();
    const DOMReplayLog::Suspension suspension(document.replayLog());
    frame.engine()->invalidate();
    const QJsonArray records = QJsonDocument::fromJson(payload).object().value(QStringLiteral("nodes")).toArray();
    qCInfo(lcWeb) << "the page refused an edit; the mirror follows the page's" << records.size() << "nodes";

    // Nodes the mirror no longer has are made first, without children: the
    // child lists below put every node in place.
    QJsonArray missing;
    for (const QJsonValue &value : records) {
        const QJsonObject record = value.toObject();
        if (!document.nodeForId(idOf(record.value(QStringLiteral("id"))))) {
            QJsonObject bare = record;
            bare.remove(QStringLiteral("children"));
            bare.remove(QStringLiteral("content"));
            missing.append(bare);
        }
    }
    // Nodes taken out of one parent live until every list is done: another may take them.
    QList<DOMNodePtr> held = DOMSnapshot::readNodes(document, missing);

    for (const QJsonValue &value : records) {
        const QJsonObject record = value.toObject();
        DOMNode *node = document.nodeForId(idOf(record.value(QStringLiteral("id"))));
        if (!node)
            continue;
        if (node->isElement() || node->isDocument() || node->isDocumentFragment())
            reconcileChildren(document, *node, record.value(QStringLiteral("children")).toArray(), held);
        if (node->isCharacterData()) {
            auto *data = static_cast<DOMCharacterData *>(node);
            const QString text = record.value(QStringLiteral("text")).toString();
            if (data->data() != text)
                data->setData(text);
        }
        if (!node->isElement())
            continue;
        auto *element = static_cast<DOMElement *>(node);
        const QJsonArray attributes = record.value(QStringLiteral("attrs")).toArray();
        QSet<QString> wanted;
        for (const QJsonValue &entry : attributes) {
            const QJsonArray attribute = entry.toArray();
            const QString name = attribute.at(0).toString();
            const QString ns = attribute.at(2).toString();
            const QString local = name.contains(QLatin1Char(':')) && !ns.isEmpty() ? name.section(QLatin1Char(':'), 1) : name;
            wanted.insert(ns + QLatin1Char('|') + local);
            if (!element->hasAttributeNS(ns, local) || element->getAttributeNS(ns, local) != attribute.at(1).toString())
                element->setAttributeNS(ns, name, attribute.at(1).toString());
        }
        for (int i = element->attributeCount() - 1; i >= 0; --i) {
            const DOMAttr *attribute = element->attributeAt(i);
            if (!wanted.contains(attribute->namespaceURI() + QLatin1Char('|') + attribute->localName()))
                element->removeAttributeNS(attribute->namespaceURI(), attribute->localName());
        }
    }
    Q_EMIT mirrorChanged(&frame);
}
