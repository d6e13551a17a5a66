#pragma once

#include "toolkit/PatternView.h"

// A soft shadow falling from a pane's top edge: the "shadow.png" pattern at
// 30 % opacity.
class ShadowTopToBottom : public PatternView
{
    Q_OBJECT

public:
    explicit ShadowTopToBottom(QWidget *parent = nullptr);
    ~ShadowTopToBottom() override;
};
