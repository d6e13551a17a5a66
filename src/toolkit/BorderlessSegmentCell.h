#pragma once

#include "platform/kit/SegmentedControl.h"

// A segmented control drawn without borders: the first segment's content is
// centred in its width and every later segment starts its own width further
// on.
class BorderlessSegmentCell : public SegmentedControl
{
    Q_OBJECT

public:
    explicit BorderlessSegmentCell(QWidget *parent = nullptr);
    ~BorderlessSegmentCell() override;

    // Where each segment is drawn. Every frame keeps the control's width and
    // height; only its x differs.
    QList<QRectF> segmentFrames() const;
    // The width of a segment's image and label as the layout counts it: the
    // image's width, plus the label's width in the 11-point system font and
    // 10 when there is a label.
    double layoutContentWidth(int segment) const;

protected:
    void drawSegments(QPainter &painter) override;
    void drawSegment(QPainter &painter, int segment, const QRect &rect) override;
};
