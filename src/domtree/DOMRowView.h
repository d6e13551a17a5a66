#pragma once

#include "DomRowHeader.h"

#include <QPalette>

class DOMNodeEx;

// The row background of the DOM tree: a row left out of the saved page (its
// "ignore" mark) is drawn on grey; a selected row on the tree's slate while
// the tree has the keyboard. The disclosure triangle is centred on the
// row's height by the view, however many lines the row wraps to.
class DOMRowView : public DomRowHeader
{
public:
    explicit DOMRowView(DOMNodeEx *row);
    ~DOMRowView() override;

    DOMNodeEx *item() const { return m_row; }
    // Draws the row again with its cells, which colour it afresh.
    void updateStyle() { setNeedsDisplay(); }

    void drawBackgroundInRect(QPainter &painter, const QRect &dirtyRect) override;

    // The grey of an ignored row's background, on the view's palette.
    static QColor ignoredBackgroundColor(const QPalette &palette);

private:
    DOMNodeEx *m_row; // Not owned; the outline drops the view with its item.
};
