// DomTreeDelegate: the outline's rows, their heights and expansion, and the
// tree's keys.

#include "DomTreeDelegate.h"

#include "DOMRowCell.h"
#include "DomTextNodeRowCell.h"
#include "DomInfoDelegate.h"
#include "DomTreeOutlineView.h"

#include "interfaces/CSSOutlineDelegateInterface.h"
#include "interfaces/FileViewControllerInterface.h"
#include "platform/foundation/DelayedPerform.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/KeyCodes.h"
#include "platform/web/dom/DOMElement.h"
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

double DomTreeDelegate::heightOfRow(const DOMNodeEx *row, double outlineWidth, const DOMRowMetrics &metrics,
                                    EditedInPlace edited)
{
    const double line = metrics.lineHeight;
    // Every row is one line, cut short where it is wider than the outline
    // (#88); only a text being edited in place shows all of its lines.
    if (edited == EditedInPlace::No || !row || !metrics.widthOf)
        return line;
    // The width the editor has: the outline's, less the indentation of the
    // row's level (and of the disclosure column) and the cell's margins.
    // Its text wraps anywhere, so that a line holds as much as that width does.
    const double available = std::floor(outlineWidth) - metrics.indentation * double(row->level() + 1) - 4.0;
    if (available <= 0)
        return line;
    // The editor's text, line by line.
    double lines = 0;
    for (const QString &each : DomTextNodeRowCell::editingText(*row).split(QLatin1Char('\n')))
        lines += std::max(1.0, std::ceil(std::floor(metrics.widthOf(each)) / available));
    return lines * line;
}

void DomTreeDelegate::setRowEditedInPlace(const DOMNodeEx *row)
{
    const DOMNodeExPtr was = m_rowEditedInPlace.lock();
    if (was.get() == row)
        return;
    m_rowEditedInPlace = row ? std::const_pointer_cast<DOMNodeEx>(row->shared_from_this()) : DOMNodeExPtr();
    m_rowEditedInPlaceAddress = row;
    if (!m_outlineView)
        return;
    QList<int> rows;
    for (const DOMNodeEx *each : {static_cast<const DOMNodeEx *>(was.get()), row}) {
        if (const int index = each ? m_outlineView->rowForItem(const_cast<DOMNodeEx *>(each)) : -1; index >= 0)
            rows.append(index);
    }
    if (!rows.isEmpty())
        m_outlineView->noteHeightOfRowsWithIndexesChanged(rows);
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
    // The children's start tags are current already (a changed attribute
    // renews its row's, shown or not): a long list opens without making
    // a text per item.
    updateStyleRowView(row);
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

DomTreeDelegate::RowPlace DomTreeDelegate::placeOf(DOMNodeEx *row)
{
    RowPlace place;
    if (!row)
        return place;
    place.tags = tagsOf(row);
    // Each level's entries: the rows before the step under its parent,
    // then the step itself.
    qsizetype end = 0;
    for (DOMNodeEx *step : row->getPath()) {
        const DOMNodeEx *parent = step->parentNodeEx();
        const qsizetype index = parent ? parent->children().indexOf(step->shared_from_this()) : 0;
        if (index < 0)
            return {};
        end += index + 1;
        place.indexes.append(index);
        place.levelEnds.append(end);
    }
    if (end != place.tags.size())
        return {};
    return place;
}

bool DomTreeDelegate::isAtPlace(DOMNodeEx *row, const QList<qsizetype> &indexes, const RowPlace &place, qsizetype levels)
{
    // The indexes tell most rows apart without a look at the names.
    if (levels <= 0 || levels > place.indexes.size() || indexes.size() != levels)
        return false;
    for (qsizetype level = 0; level < levels; ++level) {
        if (indexes.at(level) != place.indexes.at(level))
            return false;
    }
    const QStringList tags = tagsOf(row);
    const qsizetype end = place.levelEnds.at(levels - 1);
    if (tags.size() != end)
        return false;
    for (qsizetype i = 0; i < end; ++i) {
        if (tags.at(i) != place.tags.at(i))
            return false;
    }
    return true;
}

void DomTreeDelegate::expandItem()
{
    if (!m_outlineView)
        return;
    auto *top = static_cast<DOMNodeEx *>(m_outlineView->itemAtRow(0));
    if (top) {
        m_selectionRestored = false;
        m_expandedRows.clear();
        expandedFile(top);
    }
    File *main = m_fileViewController ? m_fileViewController->mainFile() : nullptr;
    if (main && main->isDomTreeView()) {
        m_outlineView->setFocus();
        m_outlineView->verticalScrollBar()->setValue(int(m_savedScroll.y()));
    }
}

void DomTreeDelegate::expandedFile(DOMNodeEx *top)
{
    // Along the path of the last selection, one level at a time, so that
    // a deep page needs no deep recursion. A row is known by where it
    // stands, its indexes first: a long list costs a comparison of
    // numbers per row.
    const RowPlace &place = m_lastSelectionPlace;
    const qsizetype depth = place.indexes.size();
    struct Step
    {
        DOMNodeEx *row;
        QList<qsizetype> indexes;
    };
    QList<Step> level;
    for (qsizetype i = 0; i < top->children().size(); ++i)
        level.append({top->children().at(i).get(), {0, i}});
    while (!level.isEmpty()) {
        QList<Step> next;
        for (const Step &step : std::as_const(level)) {
            DOMNodeEx *item = step.row;
            const qsizetype levels = step.indexes.size();
            if (!m_selectionRestored && levels == depth && isAtPlace(item, step.indexes, place, levels)) {
                m_selectionRestored = true;
                const DOMNodeExPtr found = item->shared_from_this();
                DelayedPerform::perform(this, "selectInExpand", {}, 0.1, [this, found] { selectInExpand(found.get()); });
            }
            // The ancestors of the last selection open.
            if (item->children().isEmpty() || levels >= depth || !isAtPlace(item, step.indexes, place, levels))
                continue;
            QList<DOMNodeEx *> path;
            for (DOMNodeEx *up = item; up; up = up->parentNodeEx())
                path.prepend(up);
            for (DOMNodeEx *each : std::as_const(path)) {
                if (isItemExpandable(m_outlineView, each) && !m_outlineView->isItemExpanded(each))
                    m_outlineView->expandItem(each);
            }
            for (qsizetype i = 0; i < item->children().size(); ++i) {
                QList<qsizetype> indexes = step.indexes;
                indexes.append(i);
                next.append({item->children().at(i).get(), std::move(indexes)});
            }
        }
        level = std::move(next);
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
    // Where the row stands is kept, not the rows of its path, which would
    // keep the whole tree of a page shown before.
    m_lastSelection = row ? row->weak_from_this() : std::weak_ptr<DOMNodeEx>();
    m_lastSelectionPlace = placeOf(row);
}
