#pragma once

#include "platform/kit/SplitView.h"

// The split view of the style inspector: a 6-point divider filled dark grey.
class InspectorSplitView : public SplitView
{
    Q_OBJECT

public:
    explicit InspectorSplitView(Qt::Orientation orientation = Qt::Vertical, QWidget *parent = nullptr);
    ~InspectorSplitView() override;

    double dividerThickness() const override { return 6.0; }
    void drawDividerInRect(QPainter &painter, const QRect &rect) override;
};
