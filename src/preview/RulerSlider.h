#pragma once

#include <QSlider>

class SlidecCellEx;

// The responsive width slider: a horizontal slider whose track is the
// "trasparent" art drawn at half opacity, with the style's knob over it. Its
// style (a SlidecCellEx, owned) posts "SliderEndTracking" once when the user
// lets go of it.
class RulerSlider : public QSlider
{
    Q_OBJECT

public:
    explicit RulerSlider(QWidget *parent = nullptr);
    ~RulerSlider() override;

    SlidecCellEx *cell() const { return m_cell; }
    // Draws the bar art into the rectangle.
    void drawBarInside(QPainter &painter, const QRectF &rect) const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    SlidecCellEx *m_cell; // Owned (child).
};
