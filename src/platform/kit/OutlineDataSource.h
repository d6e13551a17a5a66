#pragma once

#include "DraggingInfo.h"

#include <QList>
#include <QVariant>

class OutlineView;
class QMimeData;

// What an outline view asks of the object that supplies its rows. Items are
// opaque pointers to the program's own objects; the null item is the
// invisible root. An item must appear at most once in the tree, and must stay
// alive until the view has been told of its removal (reloadItem).
class OutlineDataSource
{
public:
    virtual ~OutlineDataSource() = default;

    virtual int numberOfChildrenOfItem(OutlineView *outlineView, void *item) = 0;
    virtual void *childOfItem(OutlineView *outlineView, int index, void *item) = 0;
    virtual bool isItemExpandable(OutlineView *outlineView, void *item) = 0;

    // The object value of a cell, by Qt role (display text, icon, tool tip...).
    virtual QVariant objectValueForTableColumn(OutlineView *outlineView, int column, void *item,
                                               int role)
    {
        return {};
    }

    // An edited cell's new value; answers whether it was taken.
    virtual bool setObjectValue(OutlineView *outlineView, const QVariant &value, int column,
                                void *item)
    {
        return false;
    }

    // Dragging. The defaults make the view neither a drag source nor a drop
    // target for this data source.
    //
    // Writes the dragged items to the pasteboard; false cancels the drag.
    virtual bool writeItems(OutlineView *outlineView, const QList<void *> &items,
                            QMimeData *pasteboard)
    {
        return false;
    }
    // The operation a drop at (item, childIndex) would do; childIndex -1 means
    // onto the item itself. The answer may retarget the drop with
    // OutlineView::setDropItem().
    virtual Qt::DropAction validateDrop(OutlineView *outlineView, const DraggingInfo &info,
                                        void *proposedItem, int proposedChildIndex)
    {
        return Qt::IgnoreAction;
    }
    virtual bool acceptDrop(OutlineView *outlineView, const DraggingInfo &info, void *item,
                            int childIndex)
    {
        return false;
    }
};
