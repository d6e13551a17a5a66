#pragma once

#include "platform/kit/TableView.h"

// A table view that hands the Delete key to its delegate when the delegate
// answers delete_.
class TableViewEx : public TableView
{
    Q_OBJECT

public:
    explicit TableViewEx(QWidget *parent = nullptr);
    ~TableViewEx() override;

protected:
    void keyPressEvent(QKeyEvent *event) override;
};
