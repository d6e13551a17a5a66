#pragma once

#include <QWidget>

// A view whose y axis grows downwards, which every Qt view does; kept for the
// code that asks.
class FlippedView : public QWidget
{
    Q_OBJECT

public:
    using QWidget::QWidget;
    ~FlippedView() override;

    bool isFlipped() const { return true; }
};
