#pragma once

#include "platform/kit/RowView.h"

// The row view of every row of the keyframe timeline's list.
class TimelineRowView : public RowView
{
public:
    TimelineRowView() = default;
};
