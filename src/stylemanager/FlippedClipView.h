#pragma once

#include <QWidget>

// The view the timeline's list is shown in. Its coordinates run downwards,
// as every Qt widget's do.
class FlippedClipView : public QWidget
{
    Q_OBJECT

public:
    using QWidget::QWidget;

    bool isFlipped() const { return true; }
};
