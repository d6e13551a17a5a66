#pragma once

#include "PatternView.h"

// A dark control bar, 26 high, painted with the "ControllerHeaderBlack.pdf"
// pattern and nothing else.
class ControlBar3 : public PatternView
{
    Q_OBJECT

public:
    explicit ControlBar3(QWidget *parent = nullptr);
    ~ControlBar3() override;
};
