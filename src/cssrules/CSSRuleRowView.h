#pragma once

#include "StyledRowView.h"

// The row view of a declaration, a keyframe and a rule inside a media block.
class CSSRuleRowView : public StyledRowView
{
public:
    using StyledRowView::StyledRowView;
    ~CSSRuleRowView() override;
};
