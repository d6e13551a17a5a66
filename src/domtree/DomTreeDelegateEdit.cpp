// DomTreeDelegate: removing and adding nodes, each with its inverse on the
// shared undo manager.

#include "DomTreeDelegate.h"

#include "DomTreeOutlineView.h"

#include "foundation/InspectUndoManager.h"
#include "platform/foundation/Log.h"
#include "platform/web/dom/DOMDocument.h"
#include "workspace/File.h"

InspectUndoManager *DomTreeDelegate::undoManager()
{
    return File::sharedUndoManager();
}

TargetRef DomTreeDelegate::undoTarget(const DOMNodePtr &node) const
{
    // An undo step of a page that is no longer shown does nothing: its nodes
    // belong to a document nobody edits any more.
    const std::weak_ptr<DOMDocument> document = m_document;
    const std::weak_ptr<DOMNode> weakNode = node;
    const QPointer<const DomTreeDelegate> guard(this);
    return TargetRef::withCheck(
        node.get(),
        [guard, document, weakNode] {
            const std::shared_ptr<DOMDocument> shown = document.lock();
            return guard && shown && guard->m_document == shown && !weakNode.expired();
        },
        this);
}

void DomTreeDelegate::noteEdit(const DOMNode *node, const std::function<void(DOMEditRecord &)> &note)
{
    if (!node)
        return;
    InspectUndoManager *undo = undoManager();
    if (undo && (undo->isUndoing() || undo->isRedoing()))
        return;
    const DOMEditRecord::NodeEdits before = m_edits.editsOf(node);
    note(m_edits);
    if (undo && !(m_edits.editsOf(node) == before))
        registerEditsRestore(const_cast<DOMNode *>(node)->shared_from_this(), before);
}

void DomTreeDelegate::registerEditsRestore(const DOMNodePtr &node, const DOMEditRecord::NodeEdits &edits)
{
    InspectUndoManager *undo = undoManager();
    if (!undo)
        return;
    undo->prepareWithInvocationTarget(undoTarget(node), [this, node, edits] {
        registerEditsRestore(node, m_edits.editsOf(node.get()));
        m_edits.restoreEdits(node.get(), edits);
    });
}

void DomTreeDelegate::doRemoveNode(const DOMNodePtr &node, bool reselect)
{
    if (!node || !canEdit(node.get()))
        return;
    const DOMNodePtr parent = node->parentNode() ? node->parentNode()->shared_from_this() : nullptr;
    const DOMNodePtr next = node->nextSibling() ? node->nextSibling()->shared_from_this() : nullptr;
    if (InspectUndoManager *undo = undoManager()) {
        undo->prepareWithInvocationTarget(undoTarget(node), [this, node, parent, next, reselect] {
            doAddNode(node, parent, next, reselect);
        });
    }
    if (!parent)
        return;
    m_edits.noteRemoved(node.get(), parent.get());
    m_treeMovedNodes = true;
    m_domModifyNow = true;
    parent->removeChild(node.get());
    m_domModifyNow = false;
    reloadSVGUseNodeWithElement(nullptr);
    applyContentToFile();
}

void DomTreeDelegate::doAddNode(const DOMNodePtr &node, const DOMNodePtr &parent, const DOMNodePtr &ref,
                                bool reselect)
{
    if (!node)
        return;
    // An element of the file the tree took out of what a page script put
    // around it (a table in its widget's frame) goes back there, its text
    // where it stood in the file.
    InspectUndoManager *undo = undoManager();
    const bool putBack = undo && (undo->isUndoing() || undo->isRedoing()) && m_edits.isRemoved(node.get()) && parent
                         && isScriptsNode(parent.get()) && canEdit(node.get());
    if (parent && !putBack && !canEdit(parent.get()))
        return;
    if (undo)
        undo->prepareWithInvocationTarget(undoTarget(node), [this, node, reselect] { doRemoveNode(node, reselect); });
    if (!parent)
        return;
    m_domModifyNow = true;
    // A reference that left the parent meanwhile puts the node last.
    const Result<void> inserted = ref && ref->parentNode() == parent.get() ? parent->insertBefore(node, ref.get())
                                                                            : parent->appendChild(node);
    m_domModifyNow = false;
    if (!inserted) {
        QM_ERROR(QStringLiteral("the node could not be put back: %1").arg(inserted.error()));
        return;
    }
    // Noted where it now stands, before page scripts can see it.
    m_edits.noteInserted(node.get());
    m_treeMovedNodes = true;
    if (reselect)
        selectNode(node.get());
    applyContentToFile();
}

void DomTreeDelegate::removeNode()
{
    if (!m_outlineView)
        return;
    const QList<int> selected = m_outlineView->selectedRowIndexes();
    if (selected.isEmpty())
        return;
    QList<DOMNodeExPtr> rows;
    int anchor = selected.constFirst();
    for (const int index : selected) {
        auto *row = static_cast<DOMNodeEx *>(m_outlineView->itemAtRow(index));
        if (!row || !row->node() || row->isReferenceNode() || row->isInReference())
            continue;
        if (row->node()->nodeName().toLower() == QLatin1String("html"))
            continue;
        // A closing row stands for its element.
        if (row->isCloseNode()) {
            DOMNodeEx *opening = row->original();
            if (!opening)
                continue;
            if (index == selected.constFirst()) {
                const int openingRow = m_outlineView->rowForItem(searchNodeFromRoot(opening));
                if (openingRow >= 0)
                    anchor = openingRow;
            }
            row = opening;
        }
        const DOMNodeExPtr shared = row->shared_from_this();
        if (!rows.contains(shared))
            rows.append(shared);
    }
    removeNodes(rows);
    if (rows.isEmpty())
        return;
    if (anchor > 0)
        m_outlineView->selectRowIndexes({anchor - 1}, false);
    else
        m_outlineView->deselectAll();
}

void DomTreeDelegate::removeNodes(const QList<DOMNodeExPtr> &rows)
{
    if (rows.isEmpty() || !canWriteEditsOf(nodesOf(rows)))
        return;
    if (InspectUndoManager *undo = undoManager())
        undo->setActionName(QStringLiteral("Remove Element"));
    for (const DOMNodeExPtr &row : rows)
        doRemoveNode(row->sharedNode(), false);
}
