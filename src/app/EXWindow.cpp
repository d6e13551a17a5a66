#include "EXWindow.h"

#include "interfaces/ExWebViewInterface.h"
#include "interfaces/ProjectDelegateInterface.h"
#include "platform/foundation/NotificationCenter.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWindow>

EXWindow::EXWindow(QWidget *parent)
    : QMainWindow(parent)
{
    qApp->installEventFilter(this);
}

EXWindow::~EXWindow() = default;

bool EXWindow::includeInRect(const QRectF &rect, const QPointF &point)
{
    return point.x() > rect.left() && point.x() < rect.left() + rect.width() && point.y() > rect.top()
        && point.y() < rect.top() + rect.height();
}

bool EXWindow::isFirstDelivery(const QObject *receiver, const QMouseEvent *event)
{
    // Qt hands a mouse event to the window, then to the widget under the
    // pointer, then to its parents while it is ignored: each delivery after
    // the first has the same type, time and place.
    const bool repeat = int(event->type()) == m_lastType && event->timestamp() == m_lastTimestamp
        && event->globalPosition() == m_lastGlobal && event->button() == m_lastButton;
    if (repeat)
        return false;
    m_lastType = int(event->type());
    m_lastTimestamp = event->timestamp();
    m_lastGlobal = event->globalPosition();
    m_lastButton = event->button();
    Q_UNUSED(receiver);
    return true;
}

bool EXWindow::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease:
        break;
    default:
        return false;
    }
    bool mine = false;
    if (watched->isWidgetType())
        mine = static_cast<QWidget *>(watched)->window() == this;
    else if (watched->isWindowType())
        mine = windowHandle() && watched == windowHandle();
    if (!mine)
        return false;
    auto *mouse = static_cast<QMouseEvent *>(event);
    if (!isFirstDelivery(watched, mouse))
        return false;
    return sendEvent(mouse);
}

bool EXWindow::sendEvent(QMouseEvent *event)
{
    const bool isDown = event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick;
    const bool isUp = event->type() == QEvent::MouseButtonRelease;
    const bool isLeftOrRight = event->button() == Qt::LeftButton || event->button() == Qt::RightButton;
    if (!isLeftOrRight)
        return false;

    if (isDown)
        NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("windowMouseDown"), this);

    ExWebViewInterface *preview = m_projectDelegate ? m_projectDelegate->webview() : nullptr;
    QWidget *previewView = preview ? preview->view() : nullptr;
    if (!previewView)
        return false;
    const int state = preview->detectState();
    const QPointF point = previewView->mapFromGlobal(event->globalPosition());
    // A click on a message over the page (its Close) is the message's (#79).
    if (!includeInRect(QRectF(previewView->rect()), point) || !preview->isPageShownAt(point))
        return false;

    if (isDown) {
        switch (state) {
        case ExWebViewInterface::ElementLocked:
            if (preview->hasElementAtPoint(point) && preview->isDetectViewShown()) {
                if (event->button() == Qt::RightButton) {
                    preview->displayElementMenu();
                    return true;
                }
                preview->hideDetectLayer();
                return isActiveWindow();
            }
            return false;
        case ExWebViewInterface::HoverDetect:
            preview->setDetectState(ExWebViewInterface::ElementLocked);
            m_projectDelegate->detectLockDownHandler(event);
            return isActiveWindow();
        default:
            if (preview->hasElementAtPoint(point))
                preview->hideDetectLayer();
            return false;
        }
    }
    if (isUp && state == ExWebViewInterface::ElementLocked)
        m_projectDelegate->detectLockCommitHandler(event);
    return false;
}
