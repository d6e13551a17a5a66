#pragma once

#include "ShadowListView.h"

// The popover editor of "box-shadow": the shadow list with spread and inset.
class DropShadowView : public ShadowListView
{
    Q_OBJECT

public:
    explicit DropShadowView(QWidget *parent = nullptr);
};
