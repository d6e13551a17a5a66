#pragma once

#include <QList>

class RowView;
class OutlineView;

// Operations on every outline view.
namespace OutlineViewUtils {

// The items of the selected rows, in row order.
QList<void *> selectedItems(const OutlineView *view);
// The row views that exist for the shown rows, in row order; none is made.
QList<RowView *> allRowView(const OutlineView *view);

} // namespace OutlineViewUtils
