#pragma once

#include "ShadowListView.h"

// The popover editor of "text-shadow": the shadow list without spread and
// inset.
class TextShadowView : public ShadowListView
{
    Q_OBJECT

public:
    explicit TextShadowView(QWidget *parent = nullptr);
};
