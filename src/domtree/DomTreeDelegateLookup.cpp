// DomTreeDelegate: between the page's nodes, the rows and the outline's items
// (an item is the row the outline shows), and selecting a node from elsewhere.

#include "DomTreeDelegate.h"

#include "DomNodeMap.h"
#include "DomTreeOutlineView.h"

#include "interfaces/CSSOutlineDelegateInterface.h"
#include "platform/foundation/DelayedPerform.h"
#include "platform/foundation/Log.h"
#include "platform/web/dom/DOMElement.h"
#include "preview/ExWebView.h"

#include <QMouseEvent>

DOMNodeEx *DomTreeDelegate::searchFile(const DOMNode *node) const
{
    return DomNodeMap::getInstance().nodeExforNode(node).get();
}

DOMNodeEx *DomTreeDelegate::searchDomNodeFromRoot(const DOMNode *node) const
{
    if (!node)
        return nullptr;
    QList<const DOMNode *> path;
    for (const DOMNode *up = node; up && !up->isDocument(); up = up->parentNode())
        path.prepend(up);
    const QList<DOMNodeExPtr> *level = &m_domNodeList;
    for (const DOMNode *step : std::as_const(path)) {
        for (const DOMNodeExPtr &item : *level) {
            if (item->node() == node)
                return item.get();
            if (item->node() == step) {
                level = &item->children();
                break;
            }
        }
    }
    return nullptr;
}

DOMNodeEx *DomTreeDelegate::searchNodeFromRoot(const DOMNodeEx *row) const
{
    if (!row)
        return nullptr;
    QList<qsizetype> indexes;
    for (const DOMNodeEx *step = row; step; step = step->parentNodeEx()) {
        const DOMNodeEx *parent = step->parentNodeEx();
        if (!parent) {
            indexes.prepend(0);
            break;
        }
        const qsizetype found = parent->children().indexOf(const_cast<DOMNodeEx *>(step)->shared_from_this());
        // A row its parent does not hold (made for a node not yet shown) has no item.
        if (found < 0)
            return nullptr;
        indexes.prepend(found);
    }
    const QList<DOMNodeExPtr> *level = &m_domNodeList;
    DOMNodeEx *item = nullptr;
    for (const qsizetype index : std::as_const(indexes)) {
        if (index >= level->size())
            return nullptr;
        item = level->at(index).get();
        level = &item->children();
    }
    return item;
}

DOMNodeEx *DomTreeDelegate::searchDisplaiedNode(const DOMNode *node) const
{
    if (!m_outlineView || !node)
        return nullptr;
    // The node's row is its item when the tree holds it.
    if (DOMNodeEx *row = searchFile(node); row && m_outlineView->isItemShown(row))
        return row;
    DOMNodeEx *item = searchDomNodeFromRoot(node);
    return item && m_outlineView->isItemShown(item) ? item : nullptr;
}

DOMNodeEx *DomTreeDelegate::searchNode(const QList<DOMNodeExPtr> &items, const DOMNodeEx *row)
{
    return row ? searchDomNode(items, row->node()) : nullptr;
}

DOMNodeEx *DomTreeDelegate::searchDomNode(const QList<DOMNodeExPtr> &items, const DOMNode *node)
{
    if (!node)
        return nullptr;
    QList<DOMNodeEx *> pending;
    for (qsizetype i = items.size() - 1; i >= 0; --i)
        pending.append(items.at(i).get());
    while (!pending.isEmpty()) {
        DOMNodeEx *item = pending.takeLast();
        if (item->node() == node && !item->isCloseNode())
            return item;
        for (qsizetype i = item->children().size() - 1; i >= 0; --i)
            pending.append(item->children().at(i).get());
    }
    return nullptr;
}

DOMNodeEx *DomTreeDelegate::searchDomNodeFromRoot2(const DOMNode *node) const
{
    return searchDomNode(m_domNodeList, node);
}

DOMNodeEx *DomTreeDelegate::searchNodeByName(const QList<DOMNodeExPtr> &items)
{
    return items.isEmpty() ? nullptr : items.constFirst().get();
}

DOMNodeEx *DomTreeDelegate::selectedDomNodeEx() const
{
    if (!m_outlineView)
        return nullptr;
    const int row = m_outlineView->selectedRow();
    return row < 0 ? nullptr : static_cast<DOMNodeEx *>(m_outlineView->itemAtRow(row));
}

QList<DOMNodeEx *> DomTreeDelegate::selectedDomNodeExs() const
{
    QList<DOMNodeEx *> rows;
    if (!m_outlineView)
        return rows;
    for (const int row : m_outlineView->selectedRowIndexes()) {
        if (auto *item = static_cast<DOMNodeEx *>(m_outlineView->itemAtRow(row)))
            rows.append(item);
    }
    return rows;
}

DOMNodeEx *DomTreeDelegate::nextDomNodeExFromParent(const DOMNodeEx *row)
{
    const DOMNodeEx *parent = row ? row->parentNodeEx() : nullptr;
    if (!parent)
        return nullptr;
    const QList<DOMNodeExPtr> &children = parent->children();
    const qsizetype count = children.size();
    qsizetype index = -1;
    for (qsizetype i = 0; i < count; ++i) {
        if (children.at(i)->node() == row->node()) {
            index = i;
            break;
        }
    }
    if (index < 0 || count == 2 || index >= count - 2)
        return nullptr;
    return children.at(index + 1).get();
}

DOMNode *DomTreeDelegate::getPaticulerElement(DOMNode *node)
{
    // A short text alone in its element is picked as the element.
    DOMElement *parent = node ? node->parentElement() : nullptr;
    if (parent && parent->childCount() == 1 && !parent->firstChild()->isElement()) {
        const QString text = parent->firstChild()->textContent();
        if (!text.contains(QLatin1Char('\n')) && text.size() <= 20)
            return parent;
    }
    return node;
}

int DomTreeDelegate::countOfLines(const QString &text)
{
    return DOMNodeEx::countOfLines(text);
}

int DomTreeDelegate::countOfString(const QString &text)
{
    return DOMNodeEx::countOfString(text);
}

DOMNode *DomTreeDelegate::selectedElement() const
{
    ExWebView *preview = webview();
    return preview ? preview->selectedElement() : m_selectedElement.get();
}

void DomTreeDelegate::selectNode(DOMNode *node)
{
    // The node asked for now wins over the one an edit was about to select,
    // and over the last selection of the page before, about to be found again.
    DelayedPerform::cancel(this, "selectByNode", {});
    DelayedPerform::cancel(this, "selectInExpand", {});
    DOMNodeEx *row = searchFile(node);
    m_selectedElement = node ? node->shared_from_this() : nullptr;
    ExWebView *preview = webview();
    if (preview)
        preview->setSelectedElement(m_selectedElement);
    if (row) {
        if (DOMNodeEx *item = searchNodeFromRoot(row))
            selectItem(item);
        return;
    }
    // The preview's own mode shows no element: the tree keeps its row.
    if (!preview || !preview->previewMode())
        selectItem(nullptr);
}

void DomTreeDelegate::reloadSelectedRow()
{
    if (!m_outlineView)
        return;
    if (DOMNodeEx *row = selectedDomNodeEx())
        updateStyleRowView(row);
    m_outlineView->setFocus();
}

void DomTreeDelegate::selectItem(DOMNodeEx *item)
{
    if (!m_outlineView)
        return;
    if (!item) {
        m_outlineView->deselectAll();
        return;
    }
    int row = m_outlineView->rowForItem(item);
    if (row < 0) {
        expandParentsOfItem(item);
        row = m_outlineView->rowForItem(item);
        if (row < 0)
            return;
    }
    m_outlineView->selectRowIndexes({row}, false);
    m_outlineView->scrollRowToVisible(row);
}

void DomTreeDelegate::expandParentsOfItem(DOMNodeEx *item)
{
    if (!m_outlineView || !item)
        return;
    QList<DOMNodeEx *> ancestors;
    for (DOMNodeEx *up = item->parentNodeEx(); up; up = up->parentNodeEx())
        ancestors.prepend(up);
    // Each row opened is measured again as it opens (itemDidExpand).
    for (DOMNodeEx *each : std::as_const(ancestors))
        m_outlineView->expandItem(each);
}

void DomTreeDelegate::reselectNodeWithClickedNode(QMouseEvent *event)
{
    DOMNodeEx *row = selectedDomNodeEx();
    if (m_cssOutlineDelegate)
        m_cssOutlineDelegate->setDisplaySelectorType(0);
    if (!m_outlineView || !row)
        return;
    const QPoint at = m_outlineView->viewport()->mapFromGlobal(event->globalPosition().toPoint());
    if (m_outlineView->itemAtRow(m_outlineView->rowAtPoint(at)) == row && m_cssOutlineDelegate) {
        DOMNode *element = row->node();
        if (element && element->nodeName().startsWith(QLatin1Char('#')))
            element = element->parentElement();
        m_cssOutlineDelegate->updateRulesByElement(element);
    }
    if (m_cssOutlineDelegate)
        m_cssOutlineDelegate->selectFirstRuleOnceListed();
    ExWebView *preview = webview();
    if (preview && row->node() && !row->node()->nodeName().startsWith(QLatin1Char('#'))) {
        preview->setDetectState(ExWebView::ElementLocked);
        preview->drawDetectLayer(row->node());
        preview->hideRelatedElementsBounds();
        preview->showDetectLayer();
        preview->scrollIntoView(row->node());
    }
}
