#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

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
    // The widget the held button went down on; null when none is held.
    QWidget *pressedWidget() const { return m_held ? m_pressedWidget.data() : nullptr; }
    // A button is held that went down inside the widget (or one of its children).
    bool isButtonHeldIn(const QWidget *widget) const;

Q_SIGNALS:
    // The last held button was let go; sent before the release reaches its widget.
    void released();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    MouseGesture();

    bool m_held = false;
    QPointer<QWidget> m_pressedWidget;
};
