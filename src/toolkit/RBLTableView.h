#pragma once

#include "platform/kit/TableView.h"

// A table view that scrolls only vertically to show a rectangle.
class RBLTableView : public TableView
{
    Q_OBJECT

public:
    using TableView::TableView;
    ~RBLTableView() override;

    // Scrolls so that a rectangle above the visible part comes to its top and
    // one below to its bottom; the horizontal position becomes 0. Answers
    // whether it scrolled.
    bool scrollRectToVisible(const QRect &rect);
};
