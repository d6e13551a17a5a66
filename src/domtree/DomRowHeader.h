#pragma once

#include "platform/kit/RowView.h"

// A row whose selection is drawn in the tree's own dark slate while its
// view has the keyboard, and in the desktop's inactive selection colour
// otherwise. Other highlight styles draw as the kit does.
class DomRowHeader : public RowView
{
public:
    DomRowHeader();
    ~DomRowHeader() override;

    void drawSelectionInRect(QPainter &painter, const QRect &dirtyRect) override;

    // The selection colour of an emphasized row: (36, 45, 61).
    static QColor emphasizedSelectionColor();
};
