#pragma once

#include "platform/kit/SplitView.h"

// The main window's split view: a one-point divider in light grey.
class SplitViewMainEx : public SplitView
{
    Q_OBJECT

public:
    explicit SplitViewMainEx(Qt::Orientation orientation = Qt::Horizontal, QWidget *parent = nullptr);
    ~SplitViewMainEx() override;

    double dividerThickness() const override { return 1.0; }
    void drawDividerInRect(QPainter &painter, const QRect &rect) override;
};
