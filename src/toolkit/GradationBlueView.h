#pragma once

#include "PatternView.h"

// A background painted with the "bg" pattern.
class GradationBlueView : public PatternView
{
    Q_OBJECT

public:
    explicit GradationBlueView(QWidget *parent = nullptr);
    ~GradationBlueView() override;
};
