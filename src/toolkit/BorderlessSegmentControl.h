#pragma once

#include "platform/kit/SegmentedControl.h"

// A segmented control that draws nothing: its segments keep their state and
// action, and what shows them lies elsewhere.
class BorderlessSegmentControl : public SegmentedControl
{
    Q_OBJECT

public:
    using SegmentedControl::SegmentedControl;
    ~BorderlessSegmentControl() override;

protected:
    void paintEvent(QPaintEvent *event) override;
};
