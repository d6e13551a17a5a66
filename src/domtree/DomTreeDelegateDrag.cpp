// DomTreeDelegate: drags of rows, drops on the tree (rows, palette items,
// class names, rules and image files) and the preview's drag notifications.

#include "DomTreeDelegate.h"
#include "DomTreeDelegate_p.h"

#include "DomTreeOutlineView.h"

#include "foundation/InspectUndoManager.h"
#include "platform/foundation/DelayedPerform.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/DraggingInfo.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMNode.h"
#include "platform/web/html/HTMLNesting.h"
#include "platform/web/html/StringDOM.h"
#include "preview/ExWebView.h"
#include "toolkit/DragPayload.h"

#include <QFileInfo>
#include <QMimeData>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QUrl>

namespace {

using DomTreeDelegatePrivate::lowerNameOf;
using DomTreeDelegatePrivate::setActionName;

bool hasFormat(const QMimeData *mime, const char *type)
{
    return mime && mime->hasFormat(QString::fromLatin1(type));
}

// The class name a class-name patching drag carries; empty when none.
QString patchingClassName(const QMimeData *mime)
{
    if (!hasFormat(mime, DragPayload::kClassSelectorPatching))
        return {};
    QString name = QString::fromUtf8(mime->data(QString::fromLatin1(DragPayload::kClassSelectorPatching))).trimmed();
    if (name.startsWith(QLatin1Char('.')))
        name.remove(0, 1);
    return name;
}

// The first class of a selector that begins with one (".note.wide p" gives
// "note"); empty for any other selector.
QString classNameOfSelector(const QString &selector)
{
    static const QRegularExpression s_class(QStringLiteral("^\\s*\\.(-?[_a-zA-Z\\x{80}-\\x{10FFFF}][\\w\\-\\x{80}-\\x{10FFFF}]*)"));
    const QRegularExpressionMatch match = s_class.match(selector);
    return match.hasMatch() ? match.captured(1) : QString();
}

bool isImagePath(const QString &path)
{
    static const QStringList s_extensions{QStringLiteral("jpeg"), QStringLiteral("jpg"), QStringLiteral("png"),
                                          QStringLiteral("gif")};
    return s_extensions.contains(QFileInfo(path).suffix().toLower());
}

// The dropped files that are pictures; the others are left out.
QStringList imagePathsOf(const QMimeData *mime)
{
    QStringList paths;
    if (!mime)
        return paths;
    for (const QUrl &url : mime->urls()) {
        if (url.isLocalFile() && isImagePath(url.toLocalFile()))
            paths.append(url.toLocalFile());
    }
    return paths;
}

// A copy on Linux is a drag with Ctrl held (the window manager takes Alt),
// or one whose source offers nothing but a copy.
bool isCopyDrag(const DraggingInfo &info)
{
    return info.modifiers.testFlag(Qt::ControlModifier) || info.sourceOperationMask == Qt::CopyAction;
}

bool isInSubtreeOf(const DOMNodeEx *row, const QList<DOMNodeExPtr> &roots)
{
    for (const DOMNodeEx *up = row; up; up = up->parentNodeEx()) {
        for (const DOMNodeExPtr &root : roots) {
            if (root.get() == up || (root->node() && root->node() == up->node()))
                return true;
        }
    }
    return false;
}

} // namespace

// --- Dragging rows --------------------------------------------------------------------------------------

bool DomTreeDelegate::writeItems(OutlineView *, const QList<void *> &items, QMimeData *pasteboard)
{
    QList<DOMNodeExPtr> rows;
    for (void *item : items) {
        auto *row = static_cast<DOMNodeEx *>(item);
        if (!row)
            continue;
        // A row shown through a reference belongs to another element.
        if (row->isReferenceNode() || row->isInReference())
            return false;
        if (row->isCloseNode())
            row = row->original();
        if (!row || !row->node() || !row->node()->parentNode() || row->node()->isDocument()
            || lowerNameOf(row) == QLatin1String("html"))
            return false;
        const DOMNodeExPtr shared = row->shared_from_this();
        if (!rows.contains(shared))
            rows.append(shared);
    }
    if (rows.isEmpty())
        return false;
    askNestingFor(nullptr);
    m_dragNodes = rows;
    pasteboard->setData(QString::fromLatin1(DragPayload::kInnerDomNodeDrag), QByteArrayLiteral("drag"));
    return true;
}

// --- Over the tree ---------------------------------------------------------------------------------------

Qt::DropAction DomTreeDelegate::validateDrop(OutlineView *outline, const DraggingInfo &info, void *proposedItem,
                                             int proposedChildIndex)
{
    const QMimeData *mime = info.pasteboard;
    auto *target = static_cast<DOMNodeEx *>(proposedItem);
    int index = proposedChildIndex;
    askNestingFor(mime);
    const bool classDrag = hasFormat(mime, DragPayload::kClassSelectorPatching);
    if (!target || !mime) {
        if (classDrag)
            removePreviewedClass(patchingClassName(mime));
        return Qt::IgnoreAction;
    }
    if (lowerNameOf(target) == QLatin1String("use") || target->isReferenceNode() || target->isInReference()
        || target->isCloseNode() || !target->node())
        return Qt::IgnoreAction;

    if (classDrag) {
        const QString name = patchingClassName(mime);
        if (name.isEmpty())
            return Qt::IgnoreAction;
        // The pointer resting over the row it was already over keeps its pause.
        if (target == m_pendingClassRow && index == -1 && DelayedPerform::isPending(this, "lazyApplyClassToNode"))
            return Qt::MoveAction;
        DelayedPerform::cancel(this, "lazyApplyClassToNode", {});
        m_pendingClassRow = nullptr;
        if (m_classPreviewRow && m_classPreviewRow.get() != target)
            removePreviewedClass(name);
        if (!target->node()->isElement() || index != -1)
            return Qt::IgnoreAction;
        if (target->hasClassSelector(name))
            return Qt::MoveAction;
        m_pendingClassName = name;
        m_pendingClassRow = target;
        const DOMNodeExPtr row = target->shared_from_this();
        DelayedPerform::perform(this, "lazyApplyClassToNode", {}, 0.5, [this, row] { lazyApplyClassToNode(row.get()); });
        return Qt::MoveAction;
    }

    if (const std::optional<QString> rule = DragPayload::cssRuleDrag(mime)) {
        // A class selector names a class to add; a declaration's empty drag
        // and any other selector add nothing.
        if (index != -1 || !target->node()->isElement() || classNameOfSelector(*rule).isEmpty())
            return Qt::IgnoreAction;
    } else if (index == -1) {
        // Dropped onto an element that cannot hold the nodes, they go right after it.
        DOMNodeEx *parent = nullptr;
        DOMNodeEx *ref = nullptr;
        if (!placeForDropOn(target, nodesOf(nodesOfDrop(mime)), parent, ref))
            return Qt::IgnoreAction;
        if (parent != target) {
            const qsizetype at = parent->children().indexOf(target->shared_from_this());
            outline->setDropItem(parent, int(at + 1));
            target = parent;
            index = int(at + 1);
        }
    } else if (lowerNameOf(target).startsWith(QLatin1Char('#'))
               || !keepsNodes(target, nodesOf(nodesOfDrop(mime)),
                              refForDropAt(target, index, hasFormat(mime, DragPayload::kInnerDomNodeDrag)))) {
        // Between the children of an element that would not keep the nodes there (#84).
        return Qt::IgnoreAction;
    }

    const bool treeDrag = hasFormat(mime, DragPayload::kInnerDomNodeDrag);
    if (treeDrag) {
        if (m_dragNodes.isEmpty())
            return Qt::IgnoreAction;
        if (isCopyDrag(info)) {
            highlightOnPreview(target);
            return Qt::CopyAction;
        }
        // No row goes into itself or its own subtree.
        if (isInSubtreeOf(target, m_dragNodes))
            return Qt::IgnoreAction;
    }
    if (mime->hasUrls() && !treeDrag && !hasFormat(mime, DragPayload::kDomNodeDragCopy) && imagePathsOf(mime).isEmpty())
        return Qt::IgnoreAction;
    if (hasFormat(mime, DragPayload::kDomNodeDragCopy)) {
        const std::optional<QVariant> payload = DragPayload::domNodeDragCopy(mime);
        if (!payload) {
            QM_DEBUG(QStringLiteral("the dragged element is of an unknown kind; it is not dropped"));
            return Qt::IgnoreAction;
        }
        // A whole document cannot be dropped into the page.
        if (payload->typeId() == QMetaType::QVariantMap
            && StringDOM::firstNodeName(payload->toMap().value(QStringLiteral("content")).toString())
                == QLatin1String("html"))
            return Qt::IgnoreAction;
    }
    highlightOnPreview(target);
    return treeDrag ? Qt::MoveAction : Qt::CopyAction;
}

void DomTreeDelegate::draggingExited()
{
    askNestingFor(nullptr);
    DelayedPerform::cancel(this, "lazyApplyClassToNode", {});
    m_lastHighlightedRow = nullptr;
    if (!m_pendingClassName.isEmpty())
        removePreviewedClass(m_pendingClassName);
}

void DomTreeDelegate::lazyApplyClassToNode(DOMNodeEx *row)
{
    if (!row || m_pendingClassName.isEmpty())
        return;
    m_ignoreDomModify = true;
    if (m_classPreviewRow && m_classPreviewRow.get() != row && m_classPreviewRow->hasClassSelector(m_pendingClassName))
        m_classPreviewRow->removeClass(m_pendingClassName);
    m_classPreviewRow = row->shared_from_this();
    row->setClass(m_pendingClassName);
    m_ignoreDomModify = false;
    if (ExWebView *preview = webview())
        preview->scrollIntoView(row->node());
}

void DomTreeDelegate::removePreviewedClass(const QString &name)
{
    if (!m_classPreviewRow || name.isEmpty() || !m_classPreviewRow->hasClassSelector(name))
        return;
    m_ignoreDomModify = true;
    m_classPreviewRow->removeClass(name);
    m_ignoreDomModify = false;
}

void DomTreeDelegate::highlightOnPreview(DOMNodeEx *row)
{
    if (row == m_lastHighlightedRow)
        return;
    m_lastHighlightedRow = row;
    ExWebView *preview = webview();
    if (!preview || !row || !row->node())
        return;
    preview->drawDetectLayer(row->node());
    preview->showDetectLayer();
    preview->setDetectState(ExWebView::ElementLocked);
}

bool DomTreeDelegate::placeForDropOn(DOMNodeEx *row, const QList<const DOMNode *> &nodes, DOMNodeEx *&parent,
                                     DOMNodeEx *&ref) const
{
    if (!row || !row->node() || nodes.isEmpty())
        return false;
    if (row->node()->isElement() && keepsNodes(row, nodes, nullptr)) {
        parent = row;
        ref = nullptr;
        return true;
    }
    DOMNodeEx *up = row->parentNodeEx();
    if (!up || !up->node() || !up->node()->isElement())
        return false;
    DOMNodeEx *next = nextDomNodeExFromParent(row);
    if (!keepsNodes(up, nodes, next))
        return false;
    parent = up;
    ref = next;
    return true;
}

bool DomTreeDelegate::keepsNodes(const DOMNodeEx *parent, const QList<const DOMNode *> &nodes, const DOMNodeEx *ref) const
{
    if (!parent || !parent->node())
        return false;
    const DOMNode *refNode = ref ? ref->node() : nullptr;
    for (const NestingAnswer &answer : std::as_const(m_nestingAnswers)) {
        if (answer.parent == parent->node() && answer.ref == refNode)
            return answer.keeps;
    }
    // What the parser would not keep as the tree shows it (a button in a
    // button, a block in a p, a row out of its table) a save would not
    // either: the page edited would not be the page saved (#84).
    const bool keeps = HTMLNesting::keepsInsertion(*parent->node(), nodes, refNode);
    if (m_nestingDrag)
        m_nestingAnswers.append({parent->node(), refNode, keeps});
    return keeps;
}

void DomTreeDelegate::askNestingFor(const QMimeData *drag) const
{
    if (drag == m_nestingDrag)
        return;
    m_nestingDrag = drag;
    m_nestingAnswers.clear();
}

DOMNodeEx *DomTreeDelegate::refForDropAt(DOMNodeEx *target, int childIndex, bool treeDrag) const
{
    // The first child row at or after the index that is not dragged; the
    // closing row and the end of the list append.
    const QList<DOMNodeExPtr> &children = target->children();
    for (qsizetype i = childIndex; i < children.size(); ++i) {
        const DOMNodeExPtr &child = children.at(i);
        if (child->isCloseNode())
            break;
        if (!treeDrag || !m_dragNodes.contains(child))
            return child.get();
    }
    return nullptr;
}

QList<DOMNodePtr> DomTreeDelegate::nodesOfDrop(const QMimeData *mime) const
{
    if (hasFormat(mime, DragPayload::kInnerDomNodeDrag) && !m_dragNodes.isEmpty()) {
        QList<DOMNodePtr> nodes;
        for (const DOMNodeExPtr &row : m_dragNodes)
            nodes.append(row->sharedNode());
        return nodes;
    }
    if (hasFormat(mime, DragPayload::kDomNodeDragCopy)) {
        const std::optional<QVariant> payload = DragPayload::domNodeDragCopy(mime);
        if (!payload)
            return {};
        if (payload->typeId() != QMetaType::QString)
            return nodesOfMarkup(payload->toMap().value(QStringLiteral("content")).toString());
        const QString tag = payload->toString();
        return nodesOfMarkup(markupOfTag(tag, tag != QLatin1String("table")));
    }
    return nodesOfMarkup(QStringLiteral("<img>").repeated(imagePathsOf(mime).size()));
}

QList<DOMNodePtr> DomTreeDelegate::nodesOfMarkup(const QString &html) const
{
    if (html.trimmed().isEmpty())
        return {};
    // Made in a document of their own: the page's hears nothing of them.
    const DOMDocumentPtr scratch = DOMDocument::create();
    scratch->setScripting(m_document ? m_document->scripting() : Scripting::Enabled);
    QList<DOMNodePtr> nodes;
    for (const DOMNodePtr &node : scratch->createNodesFromString(html)) {
        if (!node->isText() || !node->textContent().trimmed().isEmpty())
            nodes.append(node);
    }
    return nodes;
}

// --- Dropped on the tree -----------------------------------------------------------------------------------

bool DomTreeDelegate::acceptDrop(OutlineView *outline, const DraggingInfo &info, void *item, int childIndex)
{
    // The answers of the drag go with it: the page changes now.
    const auto forget = qScopeGuard([this] { askNestingFor(nullptr); });
    const QMimeData *mime = info.pasteboard;
    auto *target = static_cast<DOMNodeEx *>(item);
    if (target && target->isCloseNode())
        target = target->original();
    m_lastHighlightedRow = nullptr;
    if (!mime || !target || !target->node())
        return false;
    const DOMNodeExPtr keepTarget = target->shared_from_this();

    if (hasFormat(mime, DragPayload::kClassSelectorPatching)) {
        DelayedPerform::cancel(this, "lazyApplyClassToNode", {});
        const QString name = patchingClassName(mime);
        m_pendingClassName.clear();
        if (childIndex != -1 || name.isEmpty() || !target->node()->isElement()) {
            removePreviewedClass(name);
            m_classPreviewRow.reset();
            return false;
        }
        // The live preview of the class gives way to the one undoable edit.
        removePreviewedClass(name);
        m_classPreviewRow.reset();
        if (!target->hasClassSelector(name)) {
            setActionName(QStringLiteral("Add Class Name"));
            doAddClassSelector(target->sharedNode(), name);
        }
        return true;
    }

    if (const std::optional<QString> rule = DragPayload::cssRuleDrag(mime)) {
        const QString name = classNameOfSelector(*rule);
        if (childIndex != -1 || name.isEmpty() || !target->node()->isElement())
            return false;
        if (!target->hasClassSelector(name)) {
            setActionName(QStringLiteral("Add Class Name"));
            doAddClassSelector(target->sharedNode(), name);
        }
        const int row = outline->rowForItem(target);
        if (row >= 0)
            outline->selectRowIndexes({row}, false);
        return true;
    }

    const bool treeDrag = hasFormat(mime, DragPayload::kInnerDomNodeDrag) && !m_dragNodes.isEmpty();
    const QList<DOMNodePtr> dropped = nodesOfDrop(mime);
    DOMNodeEx *parent = target;
    DOMNodeEx *ref = nullptr;
    if (childIndex == -1) {
        if (!placeForDropOn(target, nodesOf(dropped), parent, ref))
            return false;
    } else {
        ref = refForDropAt(target, childIndex, treeDrag);
        if (!keepsNodes(target, nodesOf(dropped), ref))
            return false;
    }
    const DOMNodeExPtr keepParent = parent->shared_from_this();

    if (treeDrag) {
        const bool copy = isCopyDrag(info);
        if (!copy && isInSubtreeOf(parent, m_dragNodes))
            return false;
        if (!canWriteEditsOf(nodesOf(m_dragNodes) << parent->node()))
            return false;
        QList<DOMNodeExPtr> rows;
        if (copy) {
            setActionName(QStringLiteral("Copy Element"));
            for (const DOMNodeExPtr &row : std::as_const(m_dragNodes)) {
                if (DOMNodeExPtr clone = copyOf(*row))
                    rows.append(clone);
            }
        } else {
            setActionName(QStringLiteral("Move Element"));
            rows = m_dragNodes;
            for (const DOMNodeExPtr &row : std::as_const(rows))
                doRemoveNode(row->sharedNode(), false);
        }
        if (rows.isEmpty())
            return false;
        insertRows(rows, parent, ref);
        selectByNode(rows.constLast()->node());
        return true;
    }

    // A palette item or image files.
    const DOMNodePtr last = insertDropped(mime, parent, ref);
    if (!last)
        return false;
    outline->setFocus();
    selectByNode(last.get());
    return true;
}

DOMNodePtr DomTreeDelegate::insertDropped(const QMimeData *mime, DOMNodeEx *parent, DOMNodeEx *ref)
{
    if (hasFormat(mime, DragPayload::kDomNodeDragCopy)) {
        const std::optional<QVariant> payload = DragPayload::domNodeDragCopy(mime);
        if (!payload) {
            QM_DEBUG(QStringLiteral("the dragged element is of an unknown kind; it is not dropped"));
            return nullptr;
        }
        setActionName(QStringLiteral("Add Element"));
        if (payload->typeId() != QMetaType::QString)
            return insertFragment(payload->toMap().value(QStringLiteral("content")).toString(), parent, ref);
        const QString tag = payload->toString();
        // An empty table shows no text of its own.
        const DOMNodeExPtr row = domNodeExByTagName(tag, parent, tag != QLatin1String("table"));
        if (!row)
            return nullptr;
        insertRows({row}, parent, ref);
        return row->sharedNode();
    }
    if (mime->hasUrls()) {
        QList<DOMNodeExPtr> rows;
        for (const QString &path : imagePathsOf(mime)) {
            if (DOMNodeExPtr row = domNodeExByImagePath(path, parent, false))
                rows.append(row);
        }
        if (rows.isEmpty()) {
            QM_DEBUG(QStringLiteral("no picture among the dropped files; nothing is added"));
            return nullptr;
        }
        setActionName(QStringLiteral("Add Image Element"));
        insertRows(rows, parent, ref);
        return rows.constLast()->sharedNode();
    }
    QM_DEBUG(QStringLiteral("dropped data of no known kind: %1").arg(mime->formats().join(QLatin1String(", "))));
    return nullptr;
}

// --- Over and onto the preview ------------------------------------------------------------------------------

void DomTreeDelegate::webViewDragging(const Notification &notification)
{
    auto *node = notification.userInfo.value(QStringLiteral("target")).value<DOMNode *>();
    const DraggingInfo info = notification.userInfo.value(QStringLiteral("info")).value<DraggingInfo>();
    DOMNodeEx *row = node ? searchFile(node) : nullptr;
    if (!row)
        return;
    if (hasFormat(info.pasteboard, DragPayload::kClassSelectorPatching)) {
        const QString name = lowerNameOf(row);
        if (name == QLatin1String("body") || name == QLatin1String("html"))
            return;
        if (row->node()->isCharacterData() && row->parentNodeEx())
            row = row->parentNodeEx();
        // The tree follows only once the pointer rests.
        const DOMNodePtr element = row->sharedNode();
        DelayedPerform::cancel(this, "lazySelectNode", {});
        DelayedPerform::perform(this, "lazySelectNode", {}, 0.5, [this, element] { lazySelectNode(element.get()); });
        return;
    }
    selectNode(row->node());
}

void DomTreeDelegate::dropToWebView(const Notification &notification)
{
    auto *node = notification.userInfo.value(QStringLiteral("target")).value<DOMNode *>();
    const DraggingInfo info = notification.userInfo.value(QStringLiteral("info")).value<DraggingInfo>();
    const QMimeData *mime = info.pasteboard;
    askNestingFor(nullptr);
    DOMNodeEx *row = node ? searchFile(node) : nullptr;
    if (row && row->node()->isCharacterData())
        row = row->parentNodeEx();
    row = editableRow(row);
    if (!mime)
        return;

    if (hasFormat(mime, DragPayload::kClassSelectorPatching)) {
        const QString className = patchingClassName(mime);
        removePreviewedClass(className);
        m_classPreviewRow.reset();
        m_pendingClassName.clear();
        const QString name = lowerNameOf(row);
        if (!row || className.isEmpty() || name == QLatin1String("body") || name == QLatin1String("html"))
            return;
        const DOMNodePtr element = row->sharedNode();
        if (!row->hasClassSelector(className)) {
            setActionName(QStringLiteral("Add Class Name"));
            doAddClassSelector(element, className);
        }
        if (ExWebView *preview = webview())
            preview->scrollIntoView(element.get());
        m_ignoreChangeSelection = true;
        selectNode(element.get());
        m_ignoreChangeSelection = false;
        return;
    }

    DOMNodeEx *parent = nullptr;
    DOMNodeEx *ref = nullptr;
    if (!placeForDropOn(row, nodesOf(nodesOfDrop(mime)), parent, ref))
        return;
    const DOMNodeExPtr keepParent = parent->shared_from_this();
    const DOMNodePtr last = insertDropped(mime, parent, ref);
    if (!last)
        return;
    if (m_outlineView)
        m_outlineView->setFocus();
    selectByNode(last.get());
}

void DomTreeDelegate::observeDragNotifications()
{
    NotificationCenter &center = NotificationCenter::defaultCenter();
    center.addObserver(this, QStringLiteral("webViewDragging"), nullptr,
                       [this](const Notification &notification) { webViewDragging(notification); });
    center.addObserver(this, QStringLiteral("dropToWebView"), nullptr,
                       [this](const Notification &notification) { dropToWebView(notification); });
}
