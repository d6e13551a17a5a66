#pragma once

#include "DraggingInfo.h"

#include <QList>
#include <QVariant>

class QMimeData;
class TableView;

// Where a drop on a table lands: onto a row, or above it (row == row count
// for the end).
enum class TableViewDropOperation { On = 0, Above = 1 };

// What a table view asks of the object that supplies its rows.
class TableDataSource
{
public:
    virtual ~TableDataSource() = default;

    virtual int numberOfRowsInTableView(TableView *tableView) = 0;
    virtual QVariant objectValueForTableColumn(TableView *tableView, int column, int row, int role)
    {
        return {};
    }
    virtual bool setObjectValue(TableView *tableView, const QVariant &value, int column, int row)
    {
        return false;
    }

    // Dragging; the defaults refuse.
    virtual bool writeRowsWithIndexes(TableView *tableView, const QList<int> &rows,
                                      QMimeData *pasteboard)
    {
        return false;
    }
    virtual Qt::DropAction validateDrop(TableView *tableView, const DraggingInfo &info, int row,
                                        TableViewDropOperation operation)
    {
        return Qt::IgnoreAction;
    }
    virtual bool acceptDrop(TableView *tableView, const DraggingInfo &info, int row,
                            TableViewDropOperation operation)
    {
        return false;
    }
};
