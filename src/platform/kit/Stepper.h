#pragma once

#include <QWidget>

class QToolButton;

// The kit's stepper: two small arrow buttons that raise or lower a number
// between a minimum and a maximum by an increment. Holding a button repeats
// the step; each step sends the action (stepped()). A disabled stepper shows
// no number and ignores clicks.
class Stepper : public QWidget
{
    Q_OBJECT

public:
    explicit Stepper(QWidget *parent = nullptr);

    double doubleValue() const { return m_value; }
    int intValue() const;
    // Clamped to the range.
    void setDoubleValue(double value);
    double minValue() const { return m_minValue; }
    void setMinValue(double value) { m_minValue = value; }
    double maxValue() const { return m_maxValue; }
    void setMaxValue(double value) { m_maxValue = value; }
    double increment() const { return m_increment; }
    void setIncrement(double increment) { m_increment = increment; }

    QToolButton *upButton() const { return m_up; }     // Owned (child).
    QToolButton *downButton() const { return m_down; } // Owned (child).

    QSize sizeHint() const override;

Q_SIGNALS:
    void stepped();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void step(double delta);

    QToolButton *m_up = nullptr;   // Owned (child).
    QToolButton *m_down = nullptr; // Owned (child).
    double m_value = 0;
    double m_minValue = -100000;
    double m_maxValue = 100000;
    double m_increment = 1;
};
