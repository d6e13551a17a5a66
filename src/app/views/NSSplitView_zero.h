#pragma once

#include "platform/kit/SplitView.h"

// A split view with a one-point divider in light grey.
class NSSplitView_zero : public SplitView
{
    Q_OBJECT

public:
    explicit NSSplitView_zero(Qt::Orientation orientation = Qt::Horizontal, QWidget *parent = nullptr);
    ~NSSplitView_zero() override;

    double dividerThickness() const override { return 1.0; }
    void drawDividerInRect(QPainter &painter, const QRect &rect) override;
};
