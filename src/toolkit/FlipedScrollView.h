#pragma once

#include <QScrollArea>

// A scroll view whose y axis grows downwards (as every Qt view's does).
class FlipedScrollView : public QScrollArea
{
    Q_OBJECT

public:
    using QScrollArea::QScrollArea;
    ~FlipedScrollView() override;

    bool isFlipped() const { return true; }
};
