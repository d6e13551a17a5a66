#include "OutlineViewUtils.h"

#include "platform/kit/OutlineView.h"

namespace OutlineViewUtils {

QList<void *> selectedItems(const OutlineView *view)
{
    QList<void *> items;
    if (!view)
        return items;
    for (int row : view->selectedRowIndexes())
        items.append(view->itemAtRow(row));
    return items;
}

QList<RowView *> allRowView(const OutlineView *view)
{
    return view ? view->availableRowViews() : QList<RowView *>();
}

} // namespace OutlineViewUtils
