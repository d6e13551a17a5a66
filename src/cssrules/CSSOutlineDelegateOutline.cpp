// CSSOutlineDelegate: the rules outline as its data source and delegate: the
// rows and their cells, the selection kept within one rule, the tint of the
// selected rule's rows, and the collapsed restyling of the rows on screen.

#include "CSSOutlineDelegate.h"
#include "CSSRules_p.h"

#include "CSSRuleRowCell.h"
#include "CSSRuleRowView.h"
#include "RuleHeaderCell.h"
#include "RuleHeaderCellForNoFile.h"

#include "interfaces/AddStylePropertyInterface.h"
#include "interfaces/StyleSheetsManagerDelegateInterface.h"
#include "platform/foundation/DelayedPerform.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/OutlineDelegate.h"
#include "platform/web/cssom/DOMCSSRule.h"
#include "toolkit/OutlineViewEx.h"
#include "workspace/File.h"

#include <QBoxLayout>

namespace {

constexpr double kRowHeight = 18.0;

using CSSRulesPrivate::hasLiveType;

int kindOf(const CSSRulePtr &row)
{
    return row ? row->type() : RuleType::Other;
}

} // namespace

CSSRulePtr CSSOutlineDelegate::rowOf(void *item) const
{
    return item ? static_cast<CSSRule *>(item)->shared_from_this() : nullptr;
}

int CSSOutlineDelegate::numberOfChildrenOfItem(OutlineView *, void *item)
{
    if (!item)
        return int(m_rules.size());
    return rowOf(item)->numberOfChildren();
}

void *CSSOutlineDelegate::childOfItem(OutlineView *, int index, void *item)
{
    const QList<CSSRulePtr> children = item ? rowOf(item)->children() : m_rules;
    return index >= 0 && index < children.size() ? children.at(index).get() : nullptr;
}

bool CSSOutlineDelegate::isItemExpandable(OutlineView *, void *item)
{
    if (!item)
        return true;
    const CSSRulePtr row = rowOf(item);
    return !row->isLeaf() && row->numberOfChildren() > 0;
}

QVariant CSSOutlineDelegate::objectValueForTableColumn(OutlineView *, int, void *item, int role)
{
    const CSSRulePtr row = rowOf(item);
    if (!row || (role != Qt::DisplayRole && role != Qt::AccessibleTextRole))
        return {};
    if (!row->decLine().isNull() && !row->isRule())
        return row->propName() + QStringLiteral(": ") + row->valueName();
    return row->computedStyleDec() ? QStringLiteral("computed") : row->displayName();
}

bool CSSOutlineDelegate::isValueEditable(const CSSRulePtr &row) const
{
    if (!row || row->decLine().isNull() || row->isRule() || row->isVenderPrefix() || !row->relatedFile())
        return false;
    if (!row->property())
        return false;
    // The computed style and the browser's rules are not typed in.
    const CSSRulePtr owner = row->ownerRule();
    return !owner || (!owner->computedStyleDec() && !owner->isWebKitStyle());
}

OutlineDelegate CSSOutlineDelegate::outlineDelegate()
{
    OutlineDelegate delegate;
    delegate.cellIdentifierForTableColumn = [](OutlineView *, int, void *item) {
        return CSSRuleRowCell::identifierOf(*static_cast<CSSRule *>(item));
    };
    delegate.rowViewForItem = [this](OutlineView *, void *item) -> RowView * {
        const CSSRulePtr row = rowOf(item);
        const std::weak_ptr<CSSRule> weak = row;
        const auto inGroup = [this, weak] { return isGroupWithSelection(weak.lock()); };
        if (hasLiveType(row, DOMCSSRule::KEYFRAMES_RULE))
            return new RuleHeaderCell(inGroup);
        if (hasLiveType(row, DOMCSSRule::KEYFRAME_RULE))
            return new CSSRuleRowView(inGroup);
        if (row->isShortHand() || (!row->isRule() && !row->isWebKitStyle() && !row->decLine().isNull()))
            return new CSSRuleRowView(inGroup);
        if (row->relatedFile() && !row->isWebKitStyle())
            return kindOf(row) == RuleType::MediaStyle ? static_cast<RowView *>(new CSSRuleRowView(inGroup))
                                                       : new RuleHeaderCell(inGroup);
        return new RuleHeaderCellForNoFile;
    };
    // Every row is as high as the others: the outline places them as rows
    // of one height, and a reload of many rows does not measure each one (#68).
    m_outlineView->setRowHeight(int(kRowHeight));
    // The value is typed in the selected row only: the outline starts editing
    // on a click into the selected row, on Return and on F2.
    delegate.shouldEditTableColumn = [this](OutlineView *, int, void *item) { return isValueEditable(rowOf(item)); };
    delegate.shouldCollapseItem = [](OutlineView *, void *) { return true; };
    delegate.selectionIndexesForProposedSelection = [this](OutlineView *, const QList<int> &proposed) {
        // Several rows are selected among the declarations of one rule only.
        const QList<int> selected = m_outlineView->selectedRowIndexes();
        if (selected.isEmpty() || proposed.size() <= 1)
            return proposed;
        void *first = m_outlineView->itemAtRow(selected.first());
        const int level = m_outlineView->levelForItem(first);
        void *parent = m_outlineView->parentForItem(first);
        QList<int> kept;
        for (int row : proposed) {
            void *item = m_outlineView->itemAtRow(row);
            if (m_outlineView->levelForItem(item) == level && m_outlineView->parentForItem(item) == parent)
                kept.append(row);
        }
        return kept;
    };
    delegate.selectionDidChange = [this](OutlineView *) { outlineViewSelectionDidChange(); };
    // The value list and the popover editor belong to the rows as they stood.
    delegate.itemDidExpand = [this](OutlineView *, void *) { hideReferenceList(); };
    delegate.itemDidCollapse = [this](OutlineView *, void *) {
        doCloseStyleEditor();
        hideReferenceList();
    };
    delegate.keyDown = [this](QKeyEvent *event) { keyDown(event); };
    delegate.saveOutlineview = [this](QObject *sender) { saveOutlineview(sender); };
    delegate.delete_ = [this](QObject *) { removeStyle(); };
    delegate.copy = [this](QObject *sender) { copy(sender); };
    delegate.paste = [this](QObject *sender) { paste(sender); };
    delegate.focusToInput = [this](QKeyEvent *) { focusToInput(); };
    delegate.tableViewDidRecieveDeleteKey = [this](OutlineView *) { removeStyle(); };
    delegate.tableDidRecieveSpaceKey = [this](OutlineView *) {
        // Space switches the selected declarations on or off.
        for (const CSSRulePtr &row : getSelectedCSSRules()) {
            if (!isValueEditable(row))
                continue;
            const bool on = !row->property()->isEnabled();
            row->setShouldIncludInRule(on);
            row->property()->setEnabled(on);
            NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("enabledStyle"), this,
                                                                     {{QStringLiteral("rule"), QVariant::fromValue(row)}});
        }
    };
    return delegate;
}

void CSSOutlineDelegate::outlineViewSelectionDidChange()
{
    doCloseStyleEditor();
    m_selectionTree.clear();
    const CSSRulePtr selected = getSelectedCSSRule();
    for (void *item = selected.get(); item; item = m_outlineView->parentForItem(item))
        m_selectionTree.prepend(rowOf(item));
    if (!m_ignoreRemoveAfterSelectionChange)
        m_removeAfterSelection.reset();
    if (!selected) {
        updatePropertyCanAdd(nullptr);
        updateDisplayOutline();
        return;
    }
    const int kind = kindOf(selected);
    if (kind == RuleType::Style || kind == RuleType::Media || kind == RuleType::Keyframes || kind == RuleType::Keyframe
        || kind == RuleType::MediaStyle) {
        if (m_styleSheetsManagerDelegate && selected->styleDeclaration())
            m_styleSheetsManagerDelegate->selectItemFromRule(selected->styleDeclaration());
    } else if (selected->property()) {
        const CSSRulePtr parent = rowOf(m_outlineView->parentForItem(selected.get()));
        if (m_styleSheetsManagerDelegate && parent && parent->styleDeclaration())
            m_styleSheetsManagerDelegate->selectItemFromRule(parent->styleDeclaration());
        if (!m_ignoreRemoveAfterSelectionChange && parent)
            m_removeAfterSelection = selected->isShortHandChild() && parent->ownerRule() ? parent->ownerRule() : parent;
    }
    updatePropertyCanAdd(selected);
    updateDisplayOutline();
}

bool CSSOutlineDelegate::isGroupWithSelection(const CSSRulePtr &row) const
{
    const CSSRulePtr selected = getSelectedCSSRule();
    if (!row || !selected || row->computedStyleDec() || selected->computedStyleDec())
        return false;
    if (hasLiveType(selected, DOMCSSRule::MEDIA_RULE))
        return false;
    const CSSRulePtr rowOwner = row->ownerRule();
    const CSSRulePtr selectedOwner = selected->ownerRule();
    if (hasLiveType(selected, DOMCSSRule::STYLE_RULE)) {
        if (selected->styleDeclaration() && hasLiveType(selectedOwner, DOMCSSRule::MEDIA_RULE))
            return row == selected || (row->property() && rowOwner == selected);
        if (!selected->styleDeclaration() && selected->property() && selected->mediaOwner()) {
            if (rowOwner == selectedOwner)
                return true;
            if (selectedOwner != row)
                return false;
        }
    }
    if (row == selected || (row->rule() && row->rule() == selected->rule()))
        return true;
    if (rowOwner && rowOwner == selectedOwner)
        return true;
    if (rowOwner && rowOwner == selected->mediaOwner())
        return true;
    const CSSRulePtr rowOwnerOwner = rowOwner ? rowOwner->ownerRule() : nullptr;
    if (rowOwnerOwner && rowOwnerOwner == selectedOwner)
        return true;
    if (rowOwner == selected)
        return true;
    if (row->isShortHandChild() && rowOwnerOwner == selected)
        return true;
    return false;
}

void CSSOutlineDelegate::updatePropertyCanAdd(const CSSRulePtr &row)
{
    const int kind = kindOf(row);
    m_propertyCanAdd = row
                       && (kind == RuleType::Style || kind == RuleType::Keyframe || kind == RuleType::MediaStyle
                           || kind == RuleType::Declaration || kind == RuleType::ShortHandDeclaration);
    NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("propertyCanAdd"), this,
                                                             {{QStringLiteral("propertyCanAdd"), m_propertyCanAdd}});
    if (m_addStylePropertyPanel) {
        m_addStylePropertyPanel->setTargetSelector(m_propertyCanAdd ? (row->styleDeclaration() ? row : row->ownerRule()) : nullptr);
        m_addStylePropertyPanel->setPropertyCanAdd(m_propertyCanAdd);
    }
}

void CSSOutlineDelegate::setAddStylePropertyPanel(AddStylePropertyInterface *panel)
{
    m_addStylePropertyPanel = panel;
    if (!panel)
        return;
    // Below the rules, where the panel's own input would stand.
    if (auto *layout = m_view ? qobject_cast<QBoxLayout *>(m_view->layout()) : nullptr)
        layout->addWidget(panel->view());
    updatePropertyCanAdd(getSelectedCSSRule());
}

void CSSOutlineDelegate::updateDisplayOutline()
{
    // Many requests in one turn cost one pass, on the next turn.
    DelayedPerform::cancel(this, "lazyUpdateDisplayOutline", {});
    DelayedPerform::perform(this, "lazyUpdateDisplayOutline", {}, 0.0, [this] { lazyUpdateDisplayOutline(); });
}

void CSSOutlineDelegate::lazyUpdateDisplayOutline()
{
    for (RowView *view : m_outlineView->availableRowViews()) {
        if (auto *styled = dynamic_cast<StyledRowView *>(view))
            styled->updateStyle();
    }
    m_outlineView->viewport()->update();
}
