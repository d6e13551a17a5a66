#pragma once

#include "PatternView.h"

// A vertical shadow painted with the "shadow-left-active.png" pattern.
class VerticalShadow : public PatternView
{
    Q_OBJECT

public:
    explicit VerticalShadow(QWidget *parent = nullptr);
    ~VerticalShadow() override;
};
