#include "MouseGesture.h"

#include <QCoreApplication>
#include <QMouseEvent>

MouseGesture &MouseGesture::shared()
{
    static MouseGesture *gesture = new MouseGesture; // Lives as long as the program.
    return *gesture;
}

MouseGesture::MouseGesture()
{
    if (QCoreApplication *app = QCoreApplication::instance())
        app->installEventFilter(this);
}

bool MouseGesture::isButtonHeldIn(const QWidget *widget) const
{
    const QWidget *pressed = pressedWidget();
    return pressed && widget && (pressed == widget || widget->isAncestorOf(pressed));
}

bool MouseGesture::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        // The first widget to get a press is the one under the pointer; its
        // parents get it after, when it passes it on.
        if (!m_held)
            m_pressedWidget = nullptr;
        if (!m_pressedWidget && watched->isWidgetType())
            m_pressedWidget = static_cast<QWidget *>(watched);
        m_held = true;
        break;
    case QEvent::MouseMove:
        // A release that went elsewhere (another application, a closed
        // window) is noticed at the next move without buttons.
        if (m_held && static_cast<QMouseEvent *>(event)->buttons() == Qt::NoButton) {
            m_held = false;
            Q_EMIT released();
        }
        break;
    case QEvent::MouseButtonRelease:
        // A release is delivered to each widget that passes it on to its
        // parent; the first one ends the gesture.
        if (m_held && static_cast<QMouseEvent *>(event)->buttons() == Qt::NoButton) {
            m_held = false;
            Q_EMIT released();
        }
        break;
    default:
        break;
    }
    return false;
}
