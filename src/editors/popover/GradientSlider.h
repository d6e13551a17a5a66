#pragma once

#include "RatioColor.h"

#include <QList>
#include <QWidget>

class GradientSliderDelegate;
class SliderKnob;

// The colour-stop strip of the gradient editor: each stop a knob at its
// position over the gradient drawn on a checkerboard. A click on a knob
// selects its stop, a click beside the knobs adds a black stop there;
// dragging moves the selected stop, and releasing it more than 20 points off
// the strip removes it, while more than two remain. The arrow keys move the
// selected stop.
class GradientSlider : public QWidget
{
    Q_OBJECT

public:
    explicit GradientSlider(QWidget *parent = nullptr);

    static QSize knobSize() { return {20, 20}; }
    // The track line: from the centre of a knob at 0 to that of one at 1.
    QRectF draggableRect() const;

    const QList<RatioColorPtr> &ratioColors() const { return m_ratioColors; }
    void addRatioColor(const RatioColorPtr &ratioColor);
    void removeRatioColor(const RatioColorPtr &ratioColor);
    RatioColorPtr selectedRatioColor() const { return m_selectedRatioColor; }
    SliderKnob *selectedKnob() const { return m_selectedKnob; }
    void selectRatioColor(const RatioColorPtr &ratioColor);
    // Every knob redraws (after a stop's colour changed).
    void updateColors();
    // Places the knobs and sorts the stops by ratio.
    void updateLayout();
    SliderKnob *knobWithRatioColor(const RatioColorPtr &ratioColor) const;

    float ratioOfPoint(const QPointF &point) const;
    bool isDragToRemoveArea(const QPointF &point) const;
    QPointF limitPointInDraggableRect(const QPointF &point) const;

    GradientSliderDelegate *delegate() const { return m_delegate; }
    void setDelegate(GradientSliderDelegate *delegate) { m_delegate = delegate; }

    QSize sizeHint() const override { return {200, 28}; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void setSelection(SliderKnob *knob);
    void tellColorsChanged();
    void tellSelectionChanged();

    QList<RatioColorPtr> m_ratioColors;
    QList<SliderKnob *> m_knobs;             // Owned (children), front-most last.
    SliderKnob *m_selectedKnob = nullptr;    // Not owned: one of m_knobs.
    RatioColorPtr m_selectedRatioColor;
    GradientSliderDelegate *m_delegate = nullptr; // Not owned.
};
