// DomTreeDelegate: which selections the tree takes, what a selection tells the
// rest of the window, and the breadcrumb.

#include "DomTreeDelegate.h"

#include "DOMPathComponentCell.h"
#include "DomInfoDelegate.h"
#include "DomTreeOutlineView.h"

#include "interfaces/CSSOutlineDelegateInterface.h"
#include "platform/foundation/DelayedPerform.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/PathControl.h"
#include "platform/web/dom/DOMElement.h"
#include "preview/ExWebView.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QMenu>

QList<int> DomTreeDelegate::selectionIndexesForProposedSelection(const QList<int> &proposed)
{
    if (!m_outlineView)
        return proposed;
    const QList<int> selected = m_outlineView->selectedRowIndexes();
    if (selected.isEmpty() || (selected.size() == 1 && proposed.size() == 1))
        return proposed;
    // Several rows are only ever siblings, and never an end tag.
    void *anchor = m_outlineView->itemAtRow(selected.constFirst());
    const int level = m_outlineView->levelForItem(anchor);
    void *parent = m_outlineView->parentForItem(anchor);
    QList<int> accepted;
    for (const int row : proposed) {
        void *item = m_outlineView->itemAtRow(row);
        if (item && m_outlineView->levelForItem(item) == level && m_outlineView->parentForItem(item) == parent
            && !static_cast<DOMNodeEx *>(item)->isCloseNode())
            accepted.append(row);
    }
    return accepted;
}

void DomTreeDelegate::outlineViewSelectionDidChange()
{
    ExWebView *preview = webview();
    if (m_domInfoDelegate)
        m_domInfoDelegate->setWebview(preview);
    DOMNodeEx *row = selectedDomNodeEx();
    DelayedPerform::cancel(this, "lazySelection", {});
    if (row) {
        m_selectedItem = row->shared_from_this();
        m_lastSelectedNode = m_selectedItem;
        setLastSelection(row);
        QM_DEBUG(QStringLiteral("dom selection changed:%1").arg(row->displayName()));
        if (m_ignoreChangeSelection) {
            QM_DEBUG(QString::number(preview ? preview->detectState() : 0));
        } else if (const DOMNode *node = row->node()) {
            DOMNodeExPtr target;
            if (node->isElement() || node->isText())
                target = m_selectedItem;
            else if (node->isComment() && row->parentNodeEx())
                target = row->parentNodeEx()->shared_from_this();
            const int modeThen = preview ? preview->detectState() : -1;
            if (target) {
                DelayedPerform::perform(this, "lazySelection", {}, 0.1,
                                        [this, target, modeThen] { lazySelection(target, modeThen); });
                if (m_cssOutlineDelegate)
                    m_cssOutlineDelegate->askAheadForElement(target->node());
            }
        }
    } else {
        DelayedPerform::perform(this, "lazySelection", {}, 0.1, [this] { lazySelection(nullptr); });
    }
    if (preview)
        preview->hideRelatedElementsBounds();
}

void DomTreeDelegate::lazySelection(const DOMNodeExPtr &row, int modeThen)
{
    setElementInformation(row.get());
    setDombreadcrambPath(row.get());
    if (!row)
        return;
    ExWebView *preview = webview();
    // Pick mode turned on or off after the selection stays as the user left it.
    const bool changedSince = preview && modeThen >= 0 && preview->detectState() != modeThen;
    if (preview && !changedSince) {
        preview->showDetectLayer();
        preview->setDetectState(ExWebView::ElementLocked);
    }
    NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("domTreeChanged"), this);
    if (m_domInfoDelegate)
        m_domInfoDelegate->initDomInfo(row.get());
}

void DomTreeDelegate::setElementInformation(DOMNodeEx *row)
{
    DOMNode *element = row ? row->node() : nullptr;
    if (element && element->nodeName().startsWith(QLatin1Char('#')))
        element = element->parentElement();
    m_selectedElement = row && row->node() ? row->sharedNode() : nullptr;
    Q_EMIT selectedNodeChanged(m_selectedElement.get());
    if (m_cssOutlineDelegate) {
        m_cssOutlineDelegate->setDisplaySelectorType(0);
        m_cssOutlineDelegate->updateRulesByElement(element);
        m_cssOutlineDelegate->selectFirstRuleOnceListed();
    }
    // The overlay marks the row's node and the other selected rows' nodes.
    if (ExWebView *preview = webview()) {
        preview->setSelectedElement(m_selectedElement);
        QList<DOMNodePtr> others;
        for (DOMNode *node : getSubElements(row))
            others.append(node->shared_from_this());
        preview->setSubElements(others);
        preview->drawDetectLayer(row ? row->node() : nullptr);
    }
    if (element && row)
        drawCurrentShiftPosition(row->node());
}

void DomTreeDelegate::relistRulesOf(const DOMNode *element)
{
    const DOMNode *shown = selectedElement();
    if (shown && shown->isCharacterData())
        shown = shown->parentNode();
    if (element && shown == element && m_cssOutlineDelegate)
        m_cssOutlineDelegate->reloadRuleList(1);
}

QList<DOMNode *> DomTreeDelegate::getSubElements(DOMNodeEx *row) const
{
    QList<DOMNode *> nodes;
    for (DOMNodeEx *each : selectedDomNodeExs()) {
        if (each != row && each->node())
            nodes.append(each->node());
    }
    return nodes;
}

void DomTreeDelegate::drawCurrentShiftPosition(DOMNode *node)
{
    if (!node || node->isComment())
        return;
    if (ExWebView *preview = webview()) {
        preview->scrollIntoView(node->isText() ? node->parentNode() : node);
        preview->drawDetectLayer(node);
    }
    doScroll();
}

void DomTreeDelegate::doScroll()
{
    if (!m_outlineView || !m_selectedItem)
        return;
    const int row = m_outlineView->rowForItem(m_selectedItem.get());
    if (row >= 0)
        m_outlineView->scrollRowToVisible(row);
}

// --- Breadcrumb ------------------------------------------------------------------------------

void DomTreeDelegate::setDombreadcrambPath(DOMNodeEx *row)
{
    if (!m_dombreadcramb)
        return;
    std::vector<std::shared_ptr<PathCell>> cells;
    if (row) {
        for (DOMNodeEx *step : row->getPath())
            cells.push_back(step->pathComponentCell());
    }
    m_dombreadcramb->setPathComponentCells(std::move(cells));
}

namespace {

QAction *menuItemFor(DOMNodeEx *row, QMenu *menu, const std::function<void(DOMNodeEx *)> &selected,
                     const std::function<QMenu *(DOMNodeEx *, QWidget *)> &submenu)
{
    const DOMNodeExPtr kept = row->shared_from_this();
    auto *action = menu->addAction(row->getPathImage(),
                                   row->getPathTitle(row->node() ? row->node()->nodeName() : QString()));
    QObject::connect(action, &QAction::triggered, menu, [kept, selected] { selected(kept.get()); });
    if (!row->isLeaf())
        action->setMenu(submenu(row, menu));
    return action;
}

} // namespace

QMenu *DomTreeDelegate::createMenu(DOMNodeEx *row, QWidget *parent)
{
    auto *menu = new QMenu(parent);
    QFont font = menu->font();
    font.setPointSizeF(font.pointSizeF() * 10.0 / 11.0);
    menu->setFont(font);
    // Filled when it opens: a deep tree makes no menus it does not show.
    const DOMNodeExPtr kept = row->shared_from_this();
    connect(menu, &QMenu::aboutToShow, menu, [this, menu, kept] {
        if (!menu->isEmpty())
            return;
        for (const DOMNodeExPtr &child : kept->children()) {
            if (!child->isCloseNode())
                menuItemFor(child.get(), menu, [this](DOMNodeEx *each) { menuSelected(each); },
                            [this](DOMNodeEx *each, QWidget *owner) { return createMenu(each, owner); });
        }
    });
    return menu;
}

void DomTreeDelegate::didSelectPath(PathControl *control)
{
    if (!control)
        control = m_dombreadcramb;
    if (!control)
        return;
    auto *cell = dynamic_cast<DOMPathComponentCell *>(control->clickedPathComponentCell());
    DOMNodeEx *row = cell ? cell->row().get() : nullptr;
    if (!row)
        return;
    auto *menu = new QMenu(control);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const auto selected = [this](DOMNodeEx *each) { menuSelected(each); };
    const auto submenu = [this](DOMNodeEx *each, QWidget *owner) { return createMenu(each, owner); };
    if (row->node() && row->node()->nodeName() == QLatin1String("HTML"))
        menuItemFor(row, menu, selected, submenu);
    if (DOMNodeEx *parent = row->parentNodeEx()) {
        for (const DOMNodeExPtr &sibling : parent->children()) {
            if (!sibling->isCloseNode())
                menuItemFor(sibling.get(), menu, selected, submenu);
        }
    }
    int index = 0;
    for (const auto &each : control->pathComponentCells()) {
        if (each.get() == cell)
            break;
        ++index;
    }
    const QRect cellRect = control->rectForCell(index);
    menu->popup(control->mapToGlobal(QPoint(cellRect.left(), control->height())));
}

QWidget *DomTreeDelegate::domBreadCrambPopover() const
{
    return m_domBreadCrambPopover && m_domBreadCrambPopover->isVisible() ? m_domBreadCrambPopover.data() : nullptr;
}

void DomTreeDelegate::detectToOuter(DOMNode *node, const QRectF &rect)
{
    ExWebView *preview = webview();
    if (preview)
        preview->setDetectState(ExWebView::ElementLocked);
    NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("domTreeChanged"), this);
    DOMNodeEx *row = searchFile(node);
    if (!row || !preview)
        return;
    if (!m_domBreadCrambPopover) {
        // A transient popover: it closes when the user clicks elsewhere.
        m_domBreadCrambPopover = new QFrame(preview, Qt::Popup);
        m_domBreadCrambPopover->setObjectName(QStringLiteral("domBreadCrambPopover"));
        auto *layout = new QHBoxLayout(m_domBreadCrambPopover);
        layout->setContentsMargins(4, 0, 4, 0);
        m_popoverBreadcrumb = new PathControl(m_domBreadCrambPopover);
        layout->addWidget(m_popoverBreadcrumb);
        connect(m_popoverBreadcrumb, &PathControl::activated, this, [this] { didSelectPath(m_popoverBreadcrumb); });
    }
    std::vector<std::shared_ptr<PathCell>> cells;
    int width = 0;
    for (DOMNodeEx *step : row->getPath()) {
        cells.push_back(step->pathComponentCell());
        width += cells.back()->cellSize().width() + 10;
    }
    m_popoverBreadcrumb->setPathComponentCells(std::move(cells));
    m_domBreadCrambPopover->resize(qMax(1, width), 32);
    updateOuterPosition(rect);
    m_domBreadCrambPopover->show();
}

void DomTreeDelegate::updateOuterPosition(const QRectF &rect)
{
    ExWebView *preview = webview();
    if (!m_domBreadCrambPopover || !preview)
        return;
    // Above the button, as the page's own outline is below it.
    const QPoint anchor = preview->mapToGlobal(rect.topLeft().toPoint());
    m_domBreadCrambPopover->move(anchor.x(), anchor.y() - m_domBreadCrambPopover->height());
}

void DomTreeDelegate::menuSelected(DOMNodeEx *row)
{
    if (!row)
        return;
    selectNode(row->node());
    if (m_outlineView)
        m_outlineView->setFocus();
    if (m_domBreadCrambPopover)
        m_domBreadCrambPopover->close();
}
