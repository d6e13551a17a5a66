#include "WindowPlacement.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace {

// Sizes a window to its decorated frame once, when the window is first
// exposed: the window system has decorated it by then. A window resized
// meanwhile keeps its new size. Owned by the window's handle.
class DecorationWatcher final : public QObject
{
public:
    static constexpr const char *kName = "DecorationWatcher";

    DecorationWatcher(QWidget *window, const QRect &frame)
        : QObject(window->windowHandle()), m_window(window), m_frame(frame), m_size(window->size())
    {
        setObjectName(QLatin1String(kName));
        window->windowHandle()->installEventFilter(this);
    }

    void setFrame(const QRect &frame)
    {
        m_frame = frame;
        m_size = m_window ? m_window->size() : QSize();
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::Expose || !m_window || !static_cast<QWindow *>(watched)->isExposed())
            return false;
        watched->removeEventFilter(this);
        setObjectName(QString());
        if (m_window->size() == m_size)
            m_window->setGeometry(WindowPlacement::insideDecoration(m_window, m_frame));
        deleteLater();
        return false;
    }

private:
    QPointer<QWidget> m_window;
    QRect m_frame;
    // The size the window was given with the frame.
    QSize m_size;
};

} // namespace

QRect WindowPlacement::fitted(const QRect &frame, const QRect &area)
{
    if (area.isEmpty())
        return frame;
    const QSize size = frame.size().boundedTo(area.size());
    const int x = qBound(area.left(), frame.x(), area.left() + area.width() - size.width());
    const int y = qBound(area.top(), frame.y(), area.top() + area.height() - size.height());
    return QRect(QPoint(x, y), size);
}

QScreen *WindowPlacement::screenWithGeometry(const QRect &geometry)
{
    for (QScreen *screen : QGuiApplication::screens()) {
        if (screen->geometry() == geometry)
            return screen;
    }
    return QGuiApplication::primaryScreen();
}

// The decoration the window system has put around the window, as far as
// it has told it.
static QMargins decoration(const QWidget *window)
{
    const QWindow *handle = window ? window->windowHandle() : nullptr;
    return handle ? handle->frameMargins() : QMargins();
}

QRect WindowPlacement::decoratedFrame(const QWidget *window)
{
    return window->geometry().marginsAdded(decoration(window));
}

QRect WindowPlacement::insideDecoration(const QWidget *window, const QRect &frame)
{
    return frame.marginsRemoved(decoration(window));
}

void WindowPlacement::place(QWidget *window, const QRect &frame)
{
    if (!window || frame.isEmpty())
        return;
    window->winId();
    QWindow *handle = window->windowHandle();
    if (!decoration(window).isNull() || !handle || handle->isExposed()) {
        window->setGeometry(insideDecoration(window, frame));
        return;
    }
    // A move places the decorated frame's corner; the size is the window's
    // own, so the window may stand taller than the frame until it is sized
    // again with its decoration.
    window->move(frame.topLeft());
    window->resize(frame.size());
    if (auto *watcher = handle->findChild<DecorationWatcher *>(QLatin1String(DecorationWatcher::kName),
                                                                Qt::FindDirectChildrenOnly))
        watcher->setFrame(frame);
    else
        new DecorationWatcher(window, frame);
}
