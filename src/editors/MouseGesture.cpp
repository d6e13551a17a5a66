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

bool MouseGesture::eventFilter(QObject *, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
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
