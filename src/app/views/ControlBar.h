#pragma once

#include "toolkit/PatternView.h"

// A pane's header bar, 22 high, painted with the "object.png" pattern.
class ControlBar : public PatternView
{
    Q_OBJECT

public:
    explicit ControlBar(QWidget *parent = nullptr);
    ~ControlBar() override;

protected:
    ControlBar(const QString &imageName, QWidget *parent);
};
