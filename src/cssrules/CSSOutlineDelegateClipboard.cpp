// CSSOutlineDelegate: the panel's clipboard of rows, and the drag of
// declarations within a rule or into another rule.

#include "CSSOutlineDelegate.h"

#include "CSSCopyInfo.h"
#include "StyleSheetWriter.h"

#include "foundation/InspectUndoManager.h"
#include "platform/foundation/DelayedPerform.h"
#include "platform/foundation/Log.h"
#include "platform/web/cssom/DOMCSSRule.h"
#include "stylesheet/StringVendarPrefix.h"
#include "toolkit/DragPayload.h"
#include "toolkit/OutlineViewEx.h"
#include "workspace/File.h"

#include <QMimeData>

#include <algorithm>
#include <functional>
#include <utility>

namespace {

bool isDeclarationType(int type)
{
    return type == RuleType::Declaration || type == RuleType::ShortHandDeclaration;
}

bool isStyleRuleType(int type)
{
    return type == RuleType::Style || type == RuleType::MediaStyle;
}

// A row of the browser's rules or of the computed style, or one inside them.
bool isReadOnlyRow(const CSSRulePtr &row)
{
    const CSSRulePtr owner = row->ownerRule();
    return row->isWebKitStyle() || row->computedStyleDec() || (owner && (owner->isWebKitStyle() || owner->computedStyleDec()));
}

// Whether the row takes the copied entry: declarations go into style rules
// (through one of their declarations too) and keyframes, style rules into
// media blocks.
bool takesCopy(const CSSCopyInfo &info, const CSSRulePtr &target)
{
    if (isReadOnlyRow(target))
        return false;
    const int entry = int(info.type());
    const bool declaration = isDeclarationType(entry) && info.property() && !info.property()->property().isEmpty();
    switch (target->type()) {
    case RuleType::Style:
    case RuleType::MediaStyle:
        return declaration && target->styleDeclaration();
    case RuleType::Media:
        return isStyleRuleType(entry) && !info.declarations().isEmpty() && target->styleDeclaration();
    case RuleType::Keyframe:
        return declaration;
    case RuleType::Declaration:
    case RuleType::ShortHandDeclaration: {
        const CSSRulePtr owner = target->ownerRule();
        return declaration && owner && owner->styleDeclaration();
    }
    default:
        return false;
    }
}

QStringList formalNames(const QList<CSSPropertyPtr> &properties)
{
    QStringList names;
    for (const CSSPropertyPtr &property : properties)
        names.append(property->formalName());
    return names;
}

} // namespace

// --- Clipboard ---------------------------------------------------------------------------------------

void CSSOutlineDelegate::copy(QObject *)
{
    CopyInfos infos;
    for (const CSSRulePtr &row : getSelectedCSSRules())
        infos.append(row->copyInfo());
    m_cssCopyInfos = infos;
}

void CSSOutlineDelegate::paste(QObject *)
{
    pasteInto(getSelectedCSSRule());
}

void CSSOutlineDelegate::pasteInto(const CSSRulePtr &target)
{
    if (!target)
        return;
    // Every entry's registrations fall into the one group of this turn; the
    // list is built again once.
    const CopyInfos infos = m_cssCopyInfos;
    const bool takesAny = std::any_of(infos.cbegin(), infos.cend(), [&target](const std::shared_ptr<CSSCopyInfo> &info) {
        return info && takesCopy(*info, target);
    });
    if (!takesAny)
        return;
    // Its undo and redo rebuild once too.
    holdReloads();
    registerReloadBracket(false);
    for (const std::shared_ptr<CSSCopyInfo> &info : infos)
        addCSSCopy(info, target, -1);
    registerReloadBracket(true);
    releaseReloads();
}

void CSSOutlineDelegate::registerReloadBracket(bool holdOnReplay)
{
    // Replayed in reverse order: the last registered holds first, the first releases last.
    if (InspectUndoManager *undo = undoManager())
        undo->prepareWithInvocationTarget(this, [this, holdOnReplay] {
            if (holdOnReplay)
                holdReloads();
            else
                releaseReloads();
            registerReloadBracket(!holdOnReplay);
        });
}

void CSSOutlineDelegate::releaseReloads()
{
    if (m_reloadsHeld == 0 || --m_reloadsHeld > 0)
        return;
    const int mode = std::exchange(m_heldReloadMode, -1);
    if (mode >= 0)
        reloadRuleList(mode);
}

bool CSSOutlineDelegate::addCSSCopy(const std::shared_ptr<CSSCopyInfo> &info, const CSSRulePtr &target, int)
{
    if (!info || !target || !takesCopy(*info, target))
        return false;
    QString name;
    QString value;
    if (const CSSPropertyPtr property = info->property()) {
        name = property->formalName();
        value = property->value();
        if (StringVendarPrefix::isVenderPrefixOfProject(name))
            name = QStringLiteral("-webkit-") + name;
    }
    InspectUndoManager *undo = undoManager();
    if (undo)
        undo->setActionName(target->type() == RuleType::Media ? QStringLiteral("Copy Selector") : QStringLiteral("Copy Property"));
    switch (target->type()) {
    case RuleType::Media: {
        const StyleDeclarationPtr copied = info->declarations().first();
        File *file = target->styleDeclaration()->parentFile();
        StyleSheetWriter writer(StyleSheetWriterSettings::fromConfig(settingsOf(file)));
        createSelectorBodyInMediaAfterAt(copied->selector(), writer.generatePropertyText(*copied, QString()),
                                         target->styleDeclaration(), nullptr);
        reloadRuleList(2);
        return false;
    }
    case RuleType::Keyframe:
        doAddKeyframeStyle(target, name, value);
        return true;
    case RuleType::Declaration:
    case RuleType::ShortHandDeclaration:
        doAddDeclaration(target->ownerRule()->styleDeclaration(), name, value);
        return true;
    default:
        doAddDeclaration(target->styleDeclaration(), name, value);
        return true;
    }
}

// --- Drag source ---------------------------------------------------------------------------------------

bool CSSOutlineDelegate::writeItems(OutlineView *, const QList<void *> &items, QMimeData *pasteboard)
{
    QList<CSSRulePtr> rows;
    for (void *item : items) {
        const CSSRulePtr row = rowOf(item);
        // Only a file's declarations move.
        if (!row || !row->property())
            return false;
        const CSSRulePtr owner = row->ownerRule();
        if (owner && (owner->isWebKitStyle() || owner->computedStyleDec()))
            return false;
        rows.append(row);
    }
    if (rows.isEmpty())
        return false;
    m_dragItems = rows;
    // Declarations carry no selector: a drop on the DOM tree names no class.
    DragPayload::setCSSRuleDrag(pasteboard, QString());
    return true;
}

CSSRulePtr CSSOutlineDelegate::dragSourceRule(const QList<CSSRulePtr> &rows) const
{
    CSSRulePtr source;
    for (const CSSRulePtr &row : rows) {
        const CSSRulePtr parent = rowOf(m_outlineView->parentForItem(row.get()));
        if (!parent || (source && parent != source))
            return nullptr;
        source = parent;
    }
    return source;
}

// --- Drop target ----------------------------------------------------------------------------------------

Qt::DropAction CSSOutlineDelegate::validateDrop(OutlineView *, const DraggingInfo &, void *proposedItem, int proposedChildIndex)
{
    const CSSRulePtr target = rowOf(proposedItem);
    if (!target || proposedChildIndex < 0)
        return Qt::IgnoreAction;
    const int type = target->type();
    if (type == RuleType::ShortHandDeclaration || type == RuleType::Keyframes || type == RuleType::Media)
        return Qt::IgnoreAction;
    if (isReadOnlyRow(target))
        return Qt::IgnoreAction;
    if (type == RuleType::Declaration && target->property()
        && StringVendarPrefix::isVenderPrefixOfProject(target->property()->formalName()))
        return Qt::IgnoreAction;
    // Rows of one rule only: the moved entries are taken from one rule.
    if (m_dragItems.isEmpty() || !dragSourceRule(m_dragItems))
        return Qt::IgnoreAction;
    if (m_dragItems.size() > 1)
        return Qt::CopyAction;
    const CSSRulePtr dragged = m_dragItems.first();
    if (dragged->isShortHandChild() || dragged->type() == RuleType::Style)
        return Qt::IgnoreAction;
    if (isDeclarationType(dragged->type()))
        return Qt::MoveAction;
    return dragged->ownerRule() == target ? Qt::CopyAction : Qt::IgnoreAction;
}

bool CSSOutlineDelegate::acceptDrop(OutlineView *outlineView, const DraggingInfo &info, void *item, int childIndex)
{
    const CSSRulePtr target = rowOf(item);
    if (validateDrop(outlineView, info, item, childIndex) == Qt::IgnoreAction)
        return false;
    QList<CSSRulePtr> moving;
    for (const CSSRulePtr &row : std::as_const(m_dragItems)) {
        if (row->styleDeclaration() && row->styleDeclaration()->type() == RuleType::Style)
            continue;
        if (row->isShortHandChild())
            continue;
        if (!isDeclarationType(row->type()) && row->ownerRule() != target->ownerRule())
            continue;
        moving.append(row);
    }
    const CSSRulePtr source = dragSourceRule(moving);
    const StyleDeclarationPtr sourceRule = source ? source->styleDeclaration() : nullptr;
    const bool fromKeyframe = source && source->type() == RuleType::Keyframe;
    if (!source || (!sourceRule && !fromKeyframe))
        return false;
    // The moved entries, in the order of the source rule.
    QList<CSSPropertyPtr> moved;
    if (sourceRule) {
        for (const CSSPropertyPtr &property : sourceRule->properties()) {
            const bool dragged = std::any_of(moving.cbegin(), moving.cend(),
                                             [&property](const CSSRulePtr &row) { return row->property() == property; });
            if (dragged)
                moved.append(property);
        }
    } else {
        for (const CSSRulePtr &row : std::as_const(moving))
            moved.append(row->property());
    }
    if (moved.isEmpty())
        return false;

    InspectUndoManager *undo = undoManager();
    if (undo)
        undo->setActionName(QStringLiteral("Move Property"));
    const StyleDeclarationPtr targetRule = target->styleDeclaration();
    // The drop index among the target's rows, as a place among its entries.
    const QList<CSSPropertyPtr> old = targetRule ? targetRule->properties() : QList<CSSPropertyPtr>();
    QList<CSSPropertyPtr> order = old;
    const QList<CSSRulePtr> children = target->children();
    qsizetype place = order.size();
    if (childIndex < children.size() && children.at(childIndex)->property()) {
        const qsizetype at = order.indexOf(children.at(childIndex)->property());
        if (at >= 0)
            place = at;
    }
    for (const CSSPropertyPtr &entry : std::as_const(moved)) {
        for (qsizetype i = order.size() - 1; i >= 0; --i) {
            if (order.at(i)->formalName() != entry->formalName())
                continue;
            order.removeAt(i);
            if (i < place)
                --place;
        }
    }
    for (qsizetype i = 0; i < moved.size(); ++i)
        order.insert(place + i, moved.at(i));
    order.erase(std::remove_if(order.begin(), order.end(), [](const CSSPropertyPtr &entry) { return entry->isRemoved(); }),
                order.end());

    holdReloads();
    for (const CSSPropertyPtr &entry : std::as_const(moved)) {
        const QString name = entry->property();
        const QString value = entry->value();
        if (!fromKeyframe) {
            // The very entry dragged leaves, not the first of its name.
            setDeclarationEntryRemoved(sourceRule, entry, true, QString());
            applyContentToFile(sourceRule->parentFile());
            doAddDeclaration(targetRule, name, value);
            continue;
        }
        for (const CSSRulePtr &child : source->children()) {
            if (child->propName() == entry->formalName()) {
                doRemoveKeyframeStyle(child);
                break;
            }
        }
        doAddKeyframeStyle(target, name, value);
    }
    if (targetRule)
        resort(targetRule, order, old);
    releaseReloads();
    const std::weak_ptr<StyleDeclaration> weakRule = targetRule;
    const QString first = moved.first()->property();
    DelayedPerform::perform(this, "selectMoved", {}, 0.1, [this, weakRule, first] {
        if (const StyleDeclarationPtr rule = weakRule.lock())
            selectMoved(rule, first);
    });
    return true;
}

void CSSOutlineDelegate::resort(const StyleDeclarationPtr &declaration, const QList<CSSPropertyPtr> &order,
                                const QList<CSSPropertyPtr> &old)
{
    if (!declaration)
        return;
    const QStringList names = formalNames(order);
    QList<CSSPropertyPtr> properties = declaration->properties();
    std::stable_sort(properties.begin(), properties.end(), [&names](const CSSPropertyPtr &a, const CSSPropertyPtr &b) {
        const qsizetype left = names.indexOf(a->formalName());
        const qsizetype right = names.indexOf(b->formalName());
        // A name the order does not hold goes after all others.
        return (left < 0 ? names.size() : left) < (right < 0 ? names.size() : right);
    });
    Q_UNUSED(old);
    setPropertyOrder(declaration, properties, declaration->properties());
}

void CSSOutlineDelegate::setPropertyOrder(const StyleDeclarationPtr &declaration, const QList<CSSPropertyPtr> &properties,
                                          const QList<CSSPropertyPtr> &order)
{
    // A copy: the order before may be the declaration's own list.
    const QList<CSSPropertyPtr> before = order;
    declaration->setProperties(properties);
    declaration->setModified(true);
    reloadRuleList(2);
    // The very entries back in their order: names repeat, and removed
    // entries have places too.
    if (InspectUndoManager *undo = undoManager())
        undo->prepareWithInvocationTarget(this, [this, declaration, properties, before] {
            setPropertyOrder(declaration, before, properties);
        });
    // The page's declarations again, in the new order.
    if (const DOMCSSRulePtr live = domCSSRuleByStyleDeclaration(declaration); live && live->style())
        applyProperties(properties, live->style());
    applyContentToFile(declaration->parentFile());
}

void CSSOutlineDelegate::selectMoved(const StyleDeclarationPtr &declaration, const QString &name)
{
    // Depth first, each row before its children.
    CSSRulePtr found;
    const std::function<void(const QList<CSSRulePtr> &)> walk = [&](const QList<CSSRulePtr> &rows) {
        for (const CSSRulePtr &row : rows) {
            if (found)
                return;
            if (row->styleDeclaration() == declaration) {
                for (const CSSRulePtr &child : row->children()) {
                    if (child->property() && child->property()->property() == name) {
                        found = child;
                        return;
                    }
                }
            }
            walk(row->children());
        }
    };
    walk(m_rules);
    if (!found)
        return;
    expandParentsOfItem(found);
    const int index = m_outlineView->rowForItem(found.get());
    if (index >= 0)
        m_outlineView->selectRowIndexes({index}, false);
}
