#pragma once

#include <QPointer>
#include <QTimer>
#include <QWidget>

class ProgressAnimation;
class ProgressBar;

// The load-progress display: a thin bar (ProgressBar) laid over the address
// field (textField, whose width is the bar's full length) that grows from the
// left as the page's resources arrive and, once the page is complete, slides
// out to the right and fades away. The box lets every click through to what
// lies under it. Its frames follow the kit's y-up numbers: a bar frame
// (x, y, w, h) lies h + y above the box's bottom edge.
//
// Within one load the bar never moves back; a load begins again with initBar().
class ProgressiveBox : public QWidget
{
    Q_OBJECT

public:
    explicit ProgressiveBox(QWidget *parent = nullptr);
    ~ProgressiveBox() override;

    // The field that measures the bar. A box that is a child of its field
    // covers it whole.
    QWidget *textField() const { return m_textField; }
    void setTextField(QWidget *field);

    ProgressBar *bar() const { return m_bar; }
    ProgressAnimation *animation() const { return m_animation; }

    // An empty bar at the left: reached 0, not finished, no animation.
    void initBar();
    // The counts of a load: completed and failed of total. The bar follows
    // the percentage (failed count as done; truncated, never lower than
    // before); at the full width it finishes and slides out 0.6 s later.
    void setProgressValue(qint64 value, qint64 resourceFailedCount, qint64 resourceCount);
    // Slides the bar out at the field's right end while it fades.
    void updateFill2();
    // Moves the bar to (x, 3) with width w - 2 (y-up numbers), 0.4 s ease-in.
    void setTweenWidth(qint64 width, qint64 x, bool fadeOut);

    // The highest percentage of the load so far, and whether it finished.
    qint64 reached() const { return m_reached; }
    bool isFinished() const { return m_finished; }
    qint64 lastPercentage() const { return m_lastPercentage; }
    qint64 doneCount() const { return m_doneCount; }
    qint64 targetWidth() const { return m_targetWidth; }
    // Whether the slide-out is due (0.6 s after the bar was full).
    bool isFill2Pending() const { return m_fill2Timer.isActive(); }

    // A frame in the kit's y-up numbers, as a frame of this widget.
    QRect flipped(const QRectF &frame) const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    ProgressBar *m_bar;             // Owned (child).
    ProgressAnimation *m_animation; // Owned (child).
    QPointer<QWidget> m_textField;
    QTimer m_fill2Timer;
    qint64 m_reached = 0;
    bool m_finished = false;
    qint64 m_lastPercentage = 0;
    qint64 m_doneCount = 0;
    qint64 m_targetWidth = 0;
};
