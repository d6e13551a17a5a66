#pragma once

#include "toolkit/PatternView.h"

// The ruler strip above the preview: 19 points high whatever it is given,
// tiled with the "ruler_pettern" art anchored at its own top-left corner,
// so its ticks never move against its edges when it moves or resizes. The
// shell puts the labels (one per hundred points) and the preview controller
// the breakpoint markers on it.
class RespponsiveRuler : public PatternView
{
    Q_OBJECT

public:
    static constexpr int kHeight = 19;

    explicit RespponsiveRuler(QWidget *parent = nullptr);
    ~RespponsiveRuler() override;
};
