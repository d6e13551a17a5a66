// StyleSheetsManagerDelegate: edits of the listed rules.

#include "StyleSheetsManagerDelegate.h"

#include "cssrules/CSSOutlineDelegate.h"
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

void StyleSheetsManagerDelegate::removeSelected()
{
    const QList<StyleDeclarationPtr> chosen = selectedDeclarations();
    if (chosen.isEmpty() || !m_rules)
        return;
    // One undo step for every rule removed: the group stays open to the end of this turn.
    if (InspectUndoManager *undo = File::sharedUndoManager())
        undo->setActionName(chosen.size() > 1 ? QStringLiteral("Remove Selectors") : QStringLiteral("Remove Selector"));
    for (const StyleDeclarationPtr &declaration : chosen)
        m_rules->doRemoveSelectorByStyleDeclaration(declaration);
    refreshSelectorList();
}

void StyleSheetsManagerDelegate::buildContextMenu()
{
    auto *menu = new QMenu(m_selectorListView);
    menu->setObjectName(QStringLiteral("styleSheetsManagerMenu"));
    QAction *remove = menu->addAction(QStringLiteral("Remove"));
    connect(menu, &QMenu::aboutToShow, this, [this, remove] {
        // The row under the click joins the selection it is not in.
        const int clicked = m_selectorListView->clickedRow();
        if (clicked >= 0 && !m_selectorListView->selectedRowIndexes().contains(clicked))
            m_selectorListView->selectRowIndexes({clicked}, false);
        remove->setEnabled(!selectedDeclarations().isEmpty());
    });
    connect(remove, &QAction::triggered, this, [this] { removeSelected(); });
    m_selectorListView->setMenu(menu);
}
