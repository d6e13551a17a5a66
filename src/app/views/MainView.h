#pragma once

#include "toolkit/PatternView.h"

// The centre pane's background, painted with the "linen_blue_light.png"
// pattern; after each resize it posts "mainResized" with itself as object.
// The project settings view is one.
class MainView : public PatternView
{
    Q_OBJECT

public:
    explicit MainView(QWidget *parent = nullptr);
    ~MainView() override;

protected:
    void resizeEvent(QResizeEvent *event) override;
};
