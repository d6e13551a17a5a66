#pragma once

#include "TransparentSlider.h"

// The track-less slider style that also tells when the user lets go of the
// slider: each drag (or click) of the mouse posts "SliderEndTracking" once,
// at mouse-up, with this style as object; moves in between and changes by
// keys post nothing. Every slider the style is set on is followed.
class SlidecCellEx : public TransparentSlider
{
    Q_OBJECT

public:
    explicit SlidecCellEx(QObject *parent = nullptr);
    ~SlidecCellEx() override;

    void polish(QWidget *widget) override;
    void unpolish(QWidget *widget) override;
    using TransparentSlider::polish;
    using TransparentSlider::unpolish;

private:
    void stopTracking();
};
