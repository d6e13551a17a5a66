#pragma once

#include "StyledRowView.h"

// The row view of a rule and of a keyframes rule: a faint line above it
// parts it from the rule before.
class RuleHeaderCell : public StyledRowView
{
public:
    using StyledRowView::StyledRowView;
    ~RuleHeaderCell() override;

    void drawBackgroundInRect(QPainter &painter, const QRect &dirtyRect) override;
};
