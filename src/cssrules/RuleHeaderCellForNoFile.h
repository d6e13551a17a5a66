#pragma once

#include "RuleHeaderCell.h"

// The row view of a row without a file: the computed style and the
// browser's default rules, on a faintly grey ground.
class RuleHeaderCellForNoFile : public RuleHeaderCell
{
public:
    RuleHeaderCellForNoFile();
    ~RuleHeaderCellForNoFile() override;

    void drawBackgroundInRect(QPainter &painter, const QRect &dirtyRect) override;
};
