#pragma once

class GradientSlider;

// What the gradient slider tells its owner: a stop was added, moved or
// removed, and the selected stop changed.
class GradientSliderDelegate
{
public:
    virtual ~GradientSliderDelegate() = default;
    virtual void ratioColorDidChanged(GradientSlider *slider) = 0;
    virtual void selectionChanged(GradientSlider *slider) = 0;
};
