#pragma once

#include <QIcon>
#include <QList>
#include <QWidget>

// A row of segments (the kit's segmented control): each has a label or an
// image and a width (0: fitted to its content); one segment, several or none
// are selected depending on the tracking mode. A click or Space on the focused
// segment changes the selection and sends the action (activated()); Left and
// Right move the focus between segments.
class SegmentedControl : public QWidget
{
    Q_OBJECT

public:
    enum class TrackingMode { SelectOne = 0, SelectAny = 1, Momentary = 2 };

    explicit SegmentedControl(QWidget *parent = nullptr);
    ~SegmentedControl() override;

    int segmentCount() const { return int(m_segments.size()); }
    void setSegmentCount(int count);
    QString labelForSegment(int segment) const;
    void setLabel(const QString &label, int segment);
    QIcon imageForSegment(int segment) const;
    void setImage(const QIcon &image, int segment);
    double widthForSegment(int segment) const;
    void setWidth(double width, int segment);
    QString toolTipForSegment(int segment) const;
    void setToolTip(const QString &toolTip, int segment);
    bool isEnabledForSegment(int segment) const;
    void setEnabled(bool enabled, int segment);
    using QWidget::setEnabled;

    TrackingMode trackingMode() const { return m_trackingMode; }
    void setTrackingMode(TrackingMode mode) { m_trackingMode = mode; }

    // The last segment selected, or -1.
    int selectedSegment() const;
    void setSelectedSegment(int segment);
    bool isSelectedForSegment(int segment) const;
    void setSelected(bool selected, int segment);

    // The width a segment takes: its set width, else its content's.
    double layoutWidthForSegment(int segment) const;
    // The rectangle a segment is drawn in.
    virtual QRect rectForSegment(int segment) const;

    QSize sizeHint() const override;
    // The segments are drawn at their own widths: a narrower control cuts them.
    QSize minimumSizeHint() const override { return sizeHint(); }

Q_SIGNALS:
    void activated();

protected:
    // Draws one segment; the default draws a desktop button panel with the
    // image and label centred.
    virtual void drawSegment(QPainter &painter, int segment, const QRect &rect);
    // Draws the segments; the default draws each in rectForSegment().
    virtual void drawSegments(QPainter &painter);
    // The width of a segment's image and label, drawn together.
    double contentWidthForSegment(int segment) const;

    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool event(QEvent *event) override;

    int segmentAt(const QPoint &point) const;
    int focusedSegment() const { return m_focused; }
    int pressedSegment() const { return m_pressed; }

private:
    struct Segment
    {
        QString label;
        QIcon image;
        double width = 0.0;
        QString toolTip;
        bool enabled = true;
        bool selected = false;
    };

    void click(int segment);

    QList<Segment> m_segments;
    TrackingMode m_trackingMode = TrackingMode::SelectOne;
    int m_lastSelected = -1;
    int m_pressed = -1;
    int m_focused = 0;
};
