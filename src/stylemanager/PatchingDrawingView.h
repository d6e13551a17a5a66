#pragma once

#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QWidget>

// The content of the class-patching overlay: a line from the patching button
// to the pointer, with a dot at each end. The points are in screen
// coordinates; the view covers the screen frame it was made with.
class PatchingDrawingView : public QWidget
{
    Q_OBJECT

public:
    explicit PatchingDrawingView(const QRect &screenFrame, QWidget *parent = nullptr);

    QPointF start() const { return m_start; }
    QPointF end() const { return m_end; }

    // Sets both points and repaints at once.
    void drawLine(const QPointF &start, const QPointF &end);
    // Moves the end point; the repaint follows with the next paint.
    void drawLineTo(const QPointF &end);

    // (x - r, y - r, 2r, 2r).
    static QRectF rectForEllipse(const QPointF &center, float radius);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void updateMask();
    // What the line and its dots cover on the view, shadow included.
    QRect dirtyRect(const QPointF &start, const QPointF &end) const;

    QPoint m_origin; // The view's top left on the screen.
    QPointF m_start;
    QPointF m_end;
};
