// DomTreeDelegate: the outline's rows, their heights and expansion, and the
// tree's keys.

#include "DomTreeDelegate.h"

#include "DOMRowCell.h"
#include "DomInfoDelegate.h"
#include "DomTreeOutlineView.h"

#include "interfaces/CSSOutlineDelegateInterface.h"
#include "interfaces/FileViewControllerInterface.h"
#include "platform/foundation/DelayedPerform.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/KeyCodes.h"
#include "preview/ExWebView.h"
#include "workspace/File.h"

#include <QApplication>
#include <QKeyEvent>
#include <QScrollBar>

#include <cmath>

namespace {

QStringList tagsOf(DOMNodeEx *row)
{
    QStringList tags;
    if (!row)
        return tags;
    for (const DOMPathInfo &info : row->getPathInfosWithNode())
        tags.append(info.tag);
    return tags;
}

} // namespace

int DomTreeDelegate::numberOfChildrenOfItem(OutlineView *, void *item)
{
    if (!item)
        return int(m_domNodeList.size());
    const auto *row = static_cast<DOMNodeEx *>(item);
    return row->isLeaf() ? 0 : row->numberOfChildren();
}

void *DomTreeDelegate::childOfItem(OutlineView *, int index, void *item)
{
    const QList<DOMNodeExPtr> &children = item ? static_cast<DOMNodeEx *>(item)->children() : m_domNodeList;
    return index >= 0 && index < children.size() ? children.at(index).get() : nullptr;
}

bool DomTreeDelegate::isItemExpandable(OutlineView *, void *item)
{
    const auto *row = static_cast<DOMNodeEx *>(item);
    return row && !row->isCloseNode() && !row->isLeaf();
}

QVariant DomTreeDelegate::objectValueForTableColumn(OutlineView *, int, void *item, int role)
{
    const auto *row = static_cast<DOMNodeEx *>(item);
    if (!row)
        return {};
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
        return DOMRowCell::textOf(*row);
    if (role == Qt::ToolTipRole && row->ignore())
        return DOMRowCell::ignoreToolTip();
    return {};
}

double DomTreeDelegate::heightOfRow(const DOMNodeEx *row, double outlineWidth, const DOMRowMetrics &metrics)
{
    const double line = metrics.lineHeight;
    if (!row || !metrics.widthOf)
        return line;
    // The width the row's cell draws its text in: the outline's, less the
    // indentation of its level (and of the disclosure column) and the
    // cell's margins. The text wraps anywhere, so that a line holds as much
    // as that width does.
    const double available = std::floor(outlineWidth) - metrics.indentation * double(row->level() + 1) - 4.0;
    if (available <= 0)
        return line;
    const QString text = row->displayName();
    const DOMNode *node = row->node();
    const DOMNode *parent = node ? node->parentNode() : nullptr;
    const bool multiLine = (parent && parent->isElement()
                            && parent->nodeName().compare(QLatin1String("script"), Qt::CaseInsensitive) == 0)
        || (node && node->isComment());
    double lines = 0;
    if (multiLine) {
        for (const QString &each : text.split(QLatin1Char('\n')))
            lines += std::max(1.0, std::ceil(metrics.widthOf(each) / available));
    } else {
        lines = std::max(1.0, std::ceil(std::floor(metrics.widthOf(text)) / available));
    }
    return lines * line;
}

bool DomTreeDelegate::shouldExpandItem(DOMNodeEx *row)
{
    // Only the row under a drag waits; the program's own expansions do not.
    if (!row || !m_outlineView || m_outlineView->dragHoverItem() != row)
        return true;
    if (m_outlineView->dragModifiers() & Qt::ControlModifier)
        return true;
    if (std::exchange(m_timedExpansion, false))
        return true;
    // The row hovered before and this one wait no longer; this one waits anew.
    DelayedPerform::cancel(this, "timerExpand", {});
    m_hoverExpandItem = row->shared_from_this();
    DelayedPerform::perform(this, "timerExpand", {}, 1.8, [this] {
        if (const DOMNodeExPtr waiting = m_hoverExpandItem.lock())
            timerExpand(waiting.get());
    });
    return false;
}

void DomTreeDelegate::timerExpand(DOMNodeEx *row)
{
    // A drag that has left the row, or the tree, opens nothing.
    if (!m_outlineView || m_outlineView->dragHoverItem() != row)
        return;
    m_timedExpansion = true;
    m_outlineView->expandItem(row);
    m_timedExpansion = false;
}

void DomTreeDelegate::itemDidExpand(DOMNodeEx *row)
{
    // Expanding the whole tree lays out and draws the rows once, at the end.
    if (m_bulkExpansion)
        return;
    const DOMNodeExPtr shared = row->shared_from_this();
    if (!m_expandedRows.contains(shared))
        m_expandedRows.append(shared);
    updateStyleRowView(row);
    for (const DOMNodeExPtr &child : row->children()) {
        const DOMNode *node = child->node();
        if (!child->isCloseNode() && node && !node->isCharacterData())
            child->createStartNode();
    }
}

void DomTreeDelegate::itemDidCollapse(DOMNodeEx *row)
{
    if (m_bulkExpansion)
        return;
    m_expandedRows.removeAll(row->shared_from_this());
    updateStyleRowView(row);
}

bool DomTreeDelegate::isSameNode(DOMNodeEx *row, DOMNodeEx *other)
{
    const QStringList a = tagsOf(row);
    return !a.isEmpty() && a == tagsOf(other);
}

bool DomTreeDelegate::isInList(DOMNodeEx *row) const
{
    const QStringList tags = tagsOf(row);
    if (tags.isEmpty())
        return false;
    for (const DOMNodeExPtr &kept : m_tempExpandedItems) {
        if (tagsOf(kept.get()) == tags)
            return true;
    }
    return false;
}

void DomTreeDelegate::expandItem()
{
    if (!m_outlineView)
        return;
    auto *top = static_cast<DOMNodeEx *>(m_outlineView->itemAtRow(0));
    if (top) {
        m_selectionRestored = false;
        m_tempExpandedItems.clear();
        if (!m_lastSelectionPath.isEmpty())
            m_tempExpandedItems = m_lastSelectionPath.mid(0, m_lastSelectionPath.size() - 1);
        m_expandedRows.clear();
        QList<DOMNodeEx *> items;
        for (const DOMNodeExPtr &child : top->children())
            items.append(child.get());
        expandedFile(items);
    }
    File *main = m_fileViewController ? m_fileViewController->mainFile() : nullptr;
    if (main && main->isDomTreeView()) {
        m_outlineView->setFocus();
        m_outlineView->verticalScrollBar()->setValue(int(m_savedScroll.y()));
    }
}

void DomTreeDelegate::expandedFile(const QList<DOMNodeEx *> &items)
{
    // Along the path of the last selection, one level at a time, so that
    // a deep page needs no deep recursion.
    QList<DOMNodeEx *> level = items;
    while (!level.isEmpty()) {
        QList<DOMNodeEx *> next;
        for (DOMNodeEx *item : std::as_const(level)) {
            if (!m_selectionRestored && m_lastSelection && isSameNode(item, m_lastSelection.get())) {
                m_selectionRestored = true;
                const DOMNodeExPtr found = item->shared_from_this();
                DelayedPerform::perform(this, "selectInExpand", {}, 0.1, [this, found] { selectInExpand(found.get()); });
            }
            if (item->children().isEmpty() || !isInList(item))
                continue;
            QList<DOMNodeEx *> path;
            for (DOMNodeEx *up = item; up; up = up->parentNodeEx())
                path.prepend(up);
            for (DOMNodeEx *step : std::as_const(path)) {
                if (isItemExpandable(m_outlineView, step) && !m_outlineView->isItemExpanded(step))
                    m_outlineView->expandItem(step);
            }
            for (const DOMNodeExPtr &child : item->children())
                next.append(child.get());
        }
        level = next;
    }
}

void DomTreeDelegate::selectInExpand(DOMNodeEx *item)
{
    if (!m_outlineView)
        return;
    const int row = m_outlineView->rowForItem(item);
    if (row < 0)
        return;
    m_ignoreChangeSelection = true;
    m_outlineView->selectRowIndexes({row}, false);
    m_ignoreChangeSelection = false;
    m_outlineView->noteHeightOfRowsWithIndexesChanged({row});
    // The row found again stands for an element of the new document: the
    // rules panel, the inspector and the overlay follow it, never the
    // element of the document before.
    lazySelection(item->shared_from_this());
}

void DomTreeDelegate::keyDown(QKeyEvent *event)
{
    const int key = KeyCodes::keyCode(event);
    const quint64 flags = KeyCodes::modifierFlags(event);
    DOMNodeEx *row = selectedDomNodeEx();
    if (key == KeyCodes::Return) {
        if (row && row->node() && !row->node()->nodeName().startsWith(QLatin1Char('#')) && !row->isCloseNode()
            && !row->isReferenceNode()) {
            if (m_outlineView && isItemExpandable(m_outlineView, row))
                m_outlineView->expandItem(row);
            beginSelectedNodeEdit();
        }
        return;
    }
    // Backspace reaches the delete command by itself; the Delete key of a
    // PC keyboard is the forward delete.
    if (key == KeyCodes::ForwardDelete) {
        removeNode();
        return;
    }
    if (flags & KeyCodes::AlternateKeyMask) {
        if (key == KeyCodes::DownArrow)
            moveNodeToAfter();
        else if (key == KeyCodes::UpArrow)
            moveNodeToBefore();
    }
}

void DomTreeDelegate::doubleClick()
{
    DOMNodeEx *row = selectedDomNodeEx();
    if (!row || !row->node())
        return;
    m_selectedItem = row->shared_from_this();
    if (row->isCloseNode() || row->isReferenceNode())
        return;
    // A text or comment is edited in place; an element opens and edits its
    // attributes.
    if (!row->node()->nodeName().startsWith(QLatin1Char('#')) && m_outlineView && isItemExpandable(m_outlineView, row))
        m_outlineView->expandItem(row);
    beginSelectedNodeEdit();
}

void DomTreeDelegate::focusToAttrEditor()
{
    if (m_domInfoDelegate)
        m_domInfoDelegate->activeateAttributeEditor();
}

void DomTreeDelegate::escapeEdit()
{
    // A row's editor ends its edit when it loses the keyboard.
    if (m_outlineView && m_outlineView->isAncestorOf(QApplication::focusWidget()))
        m_outlineView->setFocus();
}

void DomTreeDelegate::contentChange()
{
    DOMNodeEx *row = selectedDomNodeEx();
    if (!row)
        return;
    m_selectedItem = row->shared_from_this();
    setLastSelection(row);
    NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("domTreeChanged"), this);
    if (m_domInfoDelegate)
        m_domInfoDelegate->initDomInfo(row);
    ExWebView *preview = webview();
    if (preview && !preview->isDetectViewShown())
        preview->showDetectLayer();
    if (preview && preview->detectState() == ExWebView::ElementLocked && m_cssOutlineDelegate)
        m_cssOutlineDelegate->reloadRuleList(1);
}

void DomTreeDelegate::setLastSelection(DOMNodeEx *row)
{
    m_lastSelectionPath.clear();
    m_lastSelection = row ? row->shared_from_this() : nullptr;
    if (!row)
        return;
    for (DOMNodeEx *up = row; up; up = up->parentNodeEx())
        m_lastSelectionPath.prepend(up->shared_from_this());
}
