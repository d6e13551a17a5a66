#pragma once

#include <QList>
#include <QString>

#include <functional>

class OutlineView;
class QDragLeaveEvent;
class QKeyEvent;
class QMouseEvent;
class QObject;
class RowView;

// The optional questions and messages an outline view sends to its delegate.
// Each is a function the controller fills in; an empty one is a question the
// delegate does not answer, and the view then does what it does by itself.
// Asking whether the delegate answers is a test of the function:
//
//   if (delegate().keyDown)
//       delegate().keyDown(event);
struct OutlineDelegate
{
    // Cells and rows.
    //
    // The identifier of the cell that shows a column of an item; the cell is
    // the item delegate registered under it (TableViewBase::registerCell). An
    // empty identifier, or an unregistered one, gives the plain text cell.
    std::function<QString(OutlineView *, int column, void *item)> cellIdentifierForTableColumn;
    // A new row view for an item; the outline view owns it.
    std::function<RowView *(OutlineView *, void *item)> rowViewForItem;
    std::function<double(OutlineView *, void *item)> heightOfRowByItem;
    // Whether a cell may be edited in place (Return, editColumn()).
    std::function<bool(OutlineView *, int column, void *item)> shouldEditTableColumn;

    // Expansion. The "should" questions may refuse; the others are told.
    std::function<bool(OutlineView *, void *item)> shouldExpandItem;
    std::function<bool(OutlineView *, void *item)> shouldCollapseItem;
    std::function<void(OutlineView *, void *item)> itemWillExpand;
    std::function<void(OutlineView *, void *item)> itemDidExpand;
    std::function<void(OutlineView *, void *item)> itemWillCollapse;
    std::function<void(OutlineView *, void *item)> itemDidCollapse;

    // Selection. The proposal and the answer are sorted row numbers.
    std::function<QList<int>(OutlineView *, const QList<int> &proposed)>
        selectionIndexesForProposedSelection;
    std::function<void(OutlineView *)> selectionDidChange;
    // After a mouse-down in the view: the column under the click.
    std::function<void(OutlineView *, int column)> didClickTableColumn;

    // Events and commands handed on by the outline views of the program
    // (OutlineViewEx, ExOutlineView); the plain outline view sends none.
    std::function<void(QMouseEvent *)> mouseDown;
    std::function<void(QKeyEvent *)> keyDown;
    std::function<void(QKeyEvent *)> focusToInput;
    // The edit commands; "delete" is a keyword, hence the underscore.
    std::function<void(QObject *sender)> cut;
    std::function<void(QObject *sender)> copy;
    std::function<void(QObject *sender)> paste;
    std::function<void(QObject *sender)> delete_;
    std::function<void(QObject *sender)> saveOutlineview;
    std::function<void(OutlineView *)> tableViewDidRecieveDeleteKey;
    std::function<void(OutlineView *)> tableDidRecieveSpaceKey;
    std::function<void(OutlineView *)> tableDidRecieveEnterKey;
    std::function<void(QDragLeaveEvent *)> draggingExited;
};
