#pragma once

#include "toolkit/PatternView.h"

// The grid behind the preview, tiled with the "grid" art anchored at its own
// top-left corner; the preview and its size labels lie on it.
class GridView : public PatternView
{
    Q_OBJECT

public:
    explicit GridView(QWidget *parent = nullptr);
    ~GridView() override;
};
