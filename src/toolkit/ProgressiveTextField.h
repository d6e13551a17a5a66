#pragma once

#include "platform/kit/TextField.h"

#include <QPointer>

class QPropertyAnimation;
class QTimer;

// A simpler load-progress display that takes the progress box's counts: a
// fill that eases half-way towards the percentage every 10 ms and, once
// full, decays back to nothing; each update fades the field out over a
// second. The field draws as a plain text field: the fill is its state only.
class ProgressiveTextField : public TextField
{
    Q_OBJECT

public:
    explicit ProgressiveTextField(QWidget *parent = nullptr);
    ~ProgressiveTextField() override;

    // The counts of a load, as ProgressiveBox::setProgressValue() takes them.
    void setProgressValue(qint64 value, qint64 resourceFailedCount, qint64 resourceCount);
    // One step towards the target; past 99.9 % the fill is full and decays.
    void updateFill();
    // One step of the decay; at 0 the timer stops.
    void updateFill2();

    double target() const { return m_target; }
    double currentFill() const { return m_current; }
    bool isTimerRunning() const;

private:
    enum class Step { Fill, Decay };
    void startTimer(Step step);

    QTimer *m_timer = nullptr;                 // Owned (child).
    QPointer<QPropertyAnimation> m_fadeOut;
    Step m_step = Step::Fill;
    double m_target = 0;
    double m_current = 0;
};
