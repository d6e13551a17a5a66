#pragma once

#include <QString>

// One column of a table or outline view: its identifier, header title and width.
struct TableColumn
{
    QString identifier;
    QString title;
    double width = 100.0;
    double minWidth = 10.0;
    bool editable = false;
};
