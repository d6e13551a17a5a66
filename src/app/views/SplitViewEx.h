#pragma once

#include "platform/kit/SplitView.h"

// The split view of the side panes: a one-point divider in mid grey.
class SplitViewEx : public SplitView
{
    Q_OBJECT

public:
    explicit SplitViewEx(Qt::Orientation orientation = Qt::Horizontal, QWidget *parent = nullptr);
    ~SplitViewEx() override;

    double dividerThickness() const override { return 1.0; }
    void drawDividerInRect(QPainter &painter, const QRect &rect) override;
};
