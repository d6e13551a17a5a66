#pragma once

#include <QList>
#include <QString>

#include <functional>

class QDragLeaveEvent;
class QKeyEvent;
class QObject;
class RowView;
class TableView;

// The optional questions and messages of a table view's delegate; an empty
// function is a question the delegate does not answer (see OutlineDelegate).
struct TableDelegate
{
    std::function<QString(TableView *, int column, int row)> cellIdentifierForTableColumn;
    // A new row view; the table view owns it.
    std::function<RowView *(TableView *, int row)> rowViewForRow;
    std::function<double(TableView *, int row)> heightOfRow;
    std::function<bool(TableView *, int column, int row)> shouldEditTableColumn;
    std::function<QList<int>(TableView *, const QList<int> &proposed)>
        selectionIndexesForProposedSelection;
    std::function<void(TableView *)> selectionDidChange;

    // Handed on by the table views of the program (TableViewEx).
    std::function<void(QKeyEvent *)> keyDown;
    // "delete" is a keyword, hence the underscore.
    std::function<void(QObject *sender)> delete_;
    std::function<void(QDragLeaveEvent *)> draggingExited;
};
