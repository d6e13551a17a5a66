#pragma once

#include <QSplitter>

// A split view of the kit over QSplitter: subclasses choose the divider's
// thickness and draw it; panes are moved by divider position and may be
// collapsed to nothing.
class SplitView : public QSplitter
{
    Q_OBJECT

public:
    explicit SplitView(Qt::Orientation orientation = Qt::Horizontal, QWidget *parent = nullptr);
    ~SplitView() override;

    // "Vertical" in the kit's sense: the dividers are vertical lines and the
    // panes lie side by side.
    bool isVertical() const { return orientation() == Qt::Horizontal; }

    virtual double dividerThickness() const;
    // Draws the divider; the default is the desktop style's handle.
    virtual void drawDividerInRect(QPainter &painter, const QRect &rect);

    // Moves a divider so that it starts at the given position (from the left
    // or top of the split view).
    void setPositionOfDividerAtIndex(int position, int dividerIndex);
    int positionOfDividerAtIndex(int dividerIndex) const;
    bool isSubviewCollapsed(QWidget *subview) const;

    // Applies dividerThickness(); subclasses call it from their constructor.
    void updateDividerThickness();

protected:
    QSplitterHandle *createHandle() override;
};
