#include "TableViewEx.h"

#include "platform/kit/KeyCodes.h"

#include <QKeyEvent>

TableViewEx::TableViewEx(QWidget *parent)
    : TableView(parent)
{
}

TableViewEx::~TableViewEx() = default;

void TableViewEx::keyPressEvent(QKeyEvent *event)
{
    if (KeyCodes::keyCode(event) == KeyCodes::Delete && delegate().delete_) {
        delegate().delete_(this);
        event->accept();
        return;
    }
    TableView::keyPressEvent(event);
}
