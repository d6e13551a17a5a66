#pragma once

#include <QColor>
#include <QHeaderView>

// The header of the keyframe timeline's list: a percentage ruler over the
// timeline column (its second column). The ticks rise from the bottom edge,
// 100 intervals on a column wider than 200, else 20, with a label every
// tenth of the way where the labels stand apart, else every fifth or half;
// drawn in the desktop's colours (greys on a light one).
class TimelineHeaderCell : public QHeaderView
{
    Q_OBJECT

public:
    explicit TimelineHeaderCell(QWidget *parent = nullptr);
    ~TimelineHeaderCell() override;

    // One tick of the ruler: its x (the line is the pixel column before it),
    // its length, and its label (empty for none).
    struct Tick
    {
        int x = 0;
        int length = 0;
        QString label;
    };
    // The ticks for a timeline column at x of width w, in a header of height
    // h, with labels whose digits are `digitWidth` wide (none: every tenth
    // is labelled, however narrow the column).
    static QList<Tick> ticks(double x, double w, double h, double digitWidth = 0);

    // The ruler's grey, the background and the column line, from the palette.
    QColor rulerColor() const;
    QColor backgroundColor() const;
    QColor separatorColor() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void drawBackground(QPainter &painter, const QRect &rect);
    void drawTicks(QPainter &painter, const QRect &rect);

private:
    // The header rectangle of the timeline column.
    QRect timelineSectionRect() const;
};
