#include "RBLPopoverWindow.h"

#include <QEvent>

RBLPopoverWindow::RBLPopoverWindow(QWidget *parentWindow)
    : QWidget(parentWindow, Qt::Tool | Qt::FramelessWindowHint)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setCanBeKey(false);
    if (parentWindow) {
        m_parentPosition = parentWindow->pos();
        parentWindow->installEventFilter(this);
    }
}

bool RBLPopoverWindow::eventFilter(QObject *watched, QEvent *event)
{
    // A child window travels with its parent window.
    if (watched == parentWidget() && event->type() == QEvent::Move) {
        const QPoint now = parentWidget()->pos();
        if (isVisible())
            move(pos() + (now - m_parentPosition));
        m_parentPosition = now;
    }
    return QWidget::eventFilter(watched, event);
}

RBLPopoverWindow::~RBLPopoverWindow() = default;

void RBLPopoverWindow::setCanBeKey(bool canBeKey)
{
    m_canBeKey = canBeKey;
    setAttribute(Qt::WA_ShowWithoutActivating, !canBeKey);
    // A window that may not become key is of the kind window systems never
    // activate (on X11 it bypasses the window manager, as tool tips do);
    // asking a tool window not to take the focus is not honoured everywhere.
    Qt::WindowFlags flags = Qt::FramelessWindowHint;
    flags |= canBeKey ? Qt::Tool : (Qt::ToolTip | Qt::WindowDoesNotAcceptFocus);
    setWindowFlags(flags);
}

void RBLPopoverWindow::makeKeyAndOrderFront()
{
    show();
    raise();
    if (m_canBeKey)
        activateWindow();
}
