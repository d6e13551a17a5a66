#pragma once

#include "platform/kit/RowView.h"

class DOMNodeEx;

// The row background of the DOM tree: a row left out of the saved page (its
// "ignore" mark) is drawn on grey.
class DOMRowView : public RowView
{
public:
    explicit DOMRowView(DOMNodeEx *row);
    ~DOMRowView() override;

    void drawBackgroundInRect(QPainter &painter, const QRect &dirtyRect) override;

private:
    DOMNodeEx *m_row; // Not owned; the outline drops the view with its item.
};
