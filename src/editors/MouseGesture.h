#pragma once

#include <QObject>

// Whether a mouse button is held anywhere in the program, told from the
// mouse events themselves (so that synthetic events count as real ones),
// and when the last one is let go. The style-attribute panel uses it to turn
// a drag on a slider, a stepper or the colour panel into one undo step.
class MouseGesture : public QObject
{
    Q_OBJECT

public:
    static MouseGesture &shared();

    bool isButtonHeld() const { return m_held; }

Q_SIGNALS:
    // The last held button was let go; sent before the release reaches its widget.
    void released();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    MouseGesture();

    bool m_held = false;
};
