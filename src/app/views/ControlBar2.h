#pragma once

#include "ControlBar.h"

// A pane's header bar, 22 high, painted with the "ControllerHeader.pdf" pattern.
class ControlBar2 : public ControlBar
{
    Q_OBJECT

public:
    explicit ControlBar2(QWidget *parent = nullptr);
    ~ControlBar2() override;
};
