// StyleSheetsManagerDelegate: edits of the listed rules.

#include "StyleSheetsManagerDelegate.h"

#include "ControlSelectorValidator.h"

#include "cssrules/CSSOutlineDelegate.h"
#include "platform/foundation/Log.h"
#include "foundation/InspectUndoManager.h"
#include "toolkit/OutlineViewEx.h"
#include "workspace/File.h"

#include <QMenu>

QList<StyleDeclarationPtr> StyleSheetsManagerDelegate::selectedDeclarations() const
{
    QList<StyleDeclarationPtr> list;
    if (!m_view)
        return list;
    for (int index : m_selectorListView->selectedRowIndexes()) {
        if (const auto *row = static_cast<Row *>(m_selectorListView->itemAtRow(index)))
            list.append(row->declaration);
    }
    return list;
}

void StyleSheetsManagerDelegate::removeSelected(const QString &actionName)
{
    const QList<StyleDeclarationPtr> chosen = selectedDeclarations();
    if (chosen.isEmpty() || !m_rules)
        return;
    // One undo step for every rule removed: the group stays open to the end of this turn.
    if (InspectUndoManager *undo = File::sharedUndoManager())
        undo->setActionName(!actionName.isEmpty() ? actionName
                            : chosen.size() > 1 ? QStringLiteral("Remove Selectors")
                                                : QStringLiteral("Remove Selector"));
    for (const StyleDeclarationPtr &declaration : chosen)
        m_rules->doRemoveSelectorByStyleDeclaration(declaration);
    refreshSelectorList();
}

QList<StyleSheetsManagerDelegate::CopiedRule> StyleSheetsManagerDelegate::copiesOfSelection() const
{
    QList<CopiedRule> copies;
    for (const StyleDeclarationPtr &declaration : selectedDeclarations()) {
        StyleDeclarationPtr copied = declaration->copy();
        copies.append({copied, declaration->getInnerSelectors().value_or(QList<QVariantMap>())});
    }
    return copies;
}

void StyleSheetsManagerDelegate::copy()
{
    const QList<CopiedRule> copies = copiesOfSelection();
    if (!copies.isEmpty())
        m_copiedRules = copies;
}

void StyleSheetsManagerDelegate::cut()
{
    const QList<CopiedRule> copies = copiesOfSelection();
    if (copies.isEmpty())
        return;
    m_copiedRules = copies;
    removeSelected(QStringLiteral("Cut"));
}

void StyleSheetsManagerDelegate::paste()
{
    const QList<StyleDeclarationPtr> selected = selectedDeclarations();
    if (!selected.isEmpty())
        pasteAfter(m_copiedRules, selected.last(), QStringLiteral("Paste"));
}

void StyleSheetsManagerDelegate::duplicate()
{
    const QList<StyleDeclarationPtr> selected = selectedDeclarations();
    if (!selected.isEmpty())
        pasteAfter(copiesOfSelection(), selected.last(), QStringLiteral("Duplicate"));
}

bool StyleSheetsManagerDelegate::pasteAfter(const QList<CopiedRule> &copies, const StyleDeclarationPtr &target,
                                            const QString &actionName)
{
    File *file = target ? target->parentFile() : nullptr;
    if (copies.isEmpty() || !file || !m_rules)
        return false;
    // Into the block of a rule inside one, after the rule at the top otherwise;
    // each pasted rule follows the one before, so they keep their order.
    const StyleDeclarationPtr block = target->isInBraket() ? file->getMediaOwner(*target) : nullptr;
    if (InspectUndoManager *undo = File::sharedUndoManager())
        undo->setActionName(actionName);
    StyleDeclarationPtr after = target;
    bool pasted = false;
    for (const CopiedRule &copied : copies) {
        if (block && copied.declaration->type() != RuleType::Style)
            continue;
        if (const StyleDeclarationPtr made = m_rules->doAddSelectorInParentAfterAtInnerSelectors(
                copied.declaration, block ? nullptr : file, block, after, copied.inner)) {
            after = made;
            pasted = true;
        }
    }
    refreshSelectorList();
    if (pasted)
        selectItemFromRule(after);
    return pasted;
}

bool StyleSheetsManagerDelegate::renameRule(const StyleDeclarationPtr &declaration, const QString &text)
{
    File *file = declaration ? declaration->parentFile() : nullptr;
    if (!file || !m_rules || declaration->type() != RuleType::Style)
        return false;
    const QString name = ControlSelectorValidator::normalizedSelector(text.simplified());
    if (name.isEmpty() || name == declaration->selector())
        return false;
    // The renamed rule goes in first, just before the old one (after the item
    // before it): when the page refuses it (the panel says why), the old rule
    // is still there untouched.
    const StyleDeclarationPtr block = declaration->isInBraket() ? file->getMediaOwner(*declaration) : nullptr;
    const StyleDeclarationPtr before = itemBefore(declaration);
    if (InspectUndoManager *undo = File::sharedUndoManager())
        undo->setActionName(QStringLiteral("Rename Selector"));
    const QString body = declaration->generateBodyForDom();
    const StyleDeclarationPtr renamed = block ? m_rules->createSelectorBodyInMediaAfterAt(name, body, block, before)
                                              : m_rules->createSelector(name, body, file, before);
    if (!renamed) {
        QM_INFO(QStringLiteral("%1 was not renamed to %2: the page refused it").arg(declaration->selector(), name));
        refreshSelectorList();
        return false;
    }
    m_rules->doRemoveSelector(declaration);
    refreshSelectorList();
    selectItemFromRule(renamed);
    return true;
}

StyleDeclarationPtr StyleSheetsManagerDelegate::itemBefore(const StyleDeclarationPtr &declaration) const
{
    File *file = declaration ? declaration->parentFile() : nullptr;
    if (!file || !m_rules)
        return nullptr;
    const StyleDeclarationPtr block = declaration->isInBraket() ? file->getMediaOwner(*declaration) : nullptr;
    const QList<StyleDeclarationPtr> siblings = block ? file->getMediaChildren(*block) : m_rules->styleDeclarationsOf(file);
    StyleDeclarationPtr before;
    for (const StyleDeclarationPtr &item : siblings) {
        if (item == declaration)
            break;
        if (!item->isRemoved() && (block || !item->isInBraket()) && item->type() != RuleType::Comment)
            before = item;
    }
    return before;
}

void StyleSheetsManagerDelegate::buildContextMenu()
{
    auto *menu = new QMenu(m_selectorListView);
    menu->setObjectName(QStringLiteral("styleSheetsManagerMenu"));
    QAction *cutItem = menu->addAction(QStringLiteral("Cut"));
    QAction *copyItem = menu->addAction(QStringLiteral("Copy"));
    QAction *pasteItem = menu->addAction(QStringLiteral("Paste"));
    QAction *duplicateItem = menu->addAction(QStringLiteral("Duplicate"));
    menu->addSeparator();
    QAction *remove = menu->addAction(QStringLiteral("Remove"));
    connect(cutItem, &QAction::triggered, this, [this] { cut(); });
    connect(copyItem, &QAction::triggered, this, [this] { copy(); });
    connect(pasteItem, &QAction::triggered, this, [this] { paste(); });
    connect(duplicateItem, &QAction::triggered, this, [this] { duplicate(); });
    connect(menu, &QMenu::aboutToShow, this, [this, remove, cutItem, copyItem, pasteItem, duplicateItem] {
        // The row under the click joins the selection it is not in.
        const int clicked = m_selectorListView->clickedRow();
        if (clicked >= 0 && !m_selectorListView->selectedRowIndexes().contains(clicked))
            m_selectorListView->selectRowIndexes({clicked}, false);
        const bool any = !selectedDeclarations().isEmpty();
        for (QAction *item : {remove, cutItem, copyItem, duplicateItem})
            item->setEnabled(any);
        pasteItem->setEnabled(any && !m_copiedRules.isEmpty());
    });
    connect(remove, &QAction::triggered, this, [this] { removeSelected(); });
    m_selectorListView->setMenu(menu);
}
