#include "EventMonitor.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QWidget>

#include <vector>

namespace EventMonitor {

namespace {

struct Monitor
{
    int token;
    EventMask mask;
    Handler handler;
};

// The application-wide filter behind every monitor. Qt hands a mouse or key
// event to the window, then to the widget, then up its parents while it is
// ignored; the monitors see it at the first widget only.
class MonitorFilter : public QObject
{
public:
    std::vector<Monitor> monitors;
    int nextToken = 1;

    bool eventFilter(QObject *receiver, QEvent *event) override
    {
        const int type = eventType(event);
        if (type == 0 || !receiver->isWidgetType() || monitors.empty())
            return false;
        if (isRepeatOfLast(static_cast<QWidget *>(receiver), event))
            return false;
        const EventMask bit = maskFor(EventType(type));
        // A handler may add or remove monitors.
        const std::vector<Monitor> current = monitors;
        bool passOn = true;
        for (const Monitor &monitor : current) {
            if (!(monitor.mask & bit) || !stillInstalled(monitor.token))
                continue;
            if (!monitor.handler(event))
                passOn = false;
        }
        return !passOn;
    }

private:
    bool stillInstalled(int token) const
    {
        for (const Monitor &monitor : monitors) {
            if (monitor.token == token)
                return true;
        }
        return false;
    }

    bool isRepeatOfLast(QWidget *receiver, QEvent *event)
    {
        const auto *input = static_cast<QInputEvent *>(event);
        QPointF global;
        if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease
            || event->type() == QEvent::MouseMove || event->type() == QEvent::MouseButtonDblClick)
            global = static_cast<QMouseEvent *>(event)->globalPosition();
        const bool same = m_lastReceiver && event->type() == m_lastType
            && input->timestamp() == m_lastTimestamp
            && (event == m_lastEvent || global == m_lastGlobal)
            && isAncestorOf(receiver, m_lastReceiver);
        if (same)
            return true;
        m_lastReceiver = receiver;
        m_lastType = event->type();
        m_lastTimestamp = input->timestamp();
        m_lastEvent = event;
        m_lastGlobal = global;
        return false;
    }

    static bool isAncestorOf(const QWidget *ancestor, const QWidget *widget)
    {
        for (const QWidget *w = widget; w; w = w->parentWidget()) {
            if (w == ancestor)
                return true;
        }
        return false;
    }

    QPointer<QWidget> m_lastReceiver;
    QEvent::Type m_lastType = QEvent::None;
    quint64 m_lastTimestamp = 0;
    const QEvent *m_lastEvent = nullptr;
    QPointF m_lastGlobal;
};

MonitorFilter *filter(bool create)
{
    static QPointer<MonitorFilter> s_filter;
    if (!s_filter && create && qApp) {
        s_filter = new MonitorFilter;
        s_filter->setParent(qApp);
        qApp->installEventFilter(s_filter);
    }
    return s_filter;
}

bool isModifierKey(int key)
{
    return key == Qt::Key_Shift || key == Qt::Key_Control || key == Qt::Key_Alt
        || key == Qt::Key_Meta || key == Qt::Key_CapsLock || key == Qt::Key_AltGr;
}

} // namespace

int addLocalMonitorForEventsMatchingMask(EventMask mask, Handler handler)
{
    MonitorFilter *f = filter(true);
    if (!f || !handler)
        return 0;
    const int token = f->nextToken++;
    f->monitors.push_back({token, mask, std::move(handler)});
    return token;
}

void removeMonitor(int token)
{
    MonitorFilter *f = filter(false);
    if (!f || token == 0)
        return;
    std::erase_if(f->monitors, [token](const Monitor &m) { return m.token == token; });
}

int monitorCount()
{
    MonitorFilter *f = filter(false);
    return f ? int(f->monitors.size()) : 0;
}

int eventType(const QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        const auto button = static_cast<const QMouseEvent *>(event)->button();
        return button == Qt::LeftButton ? LeftMouseDown
             : button == Qt::RightButton ? RightMouseDown
                                         : OtherMouseDown;
    }
    case QEvent::MouseButtonRelease: {
        const auto button = static_cast<const QMouseEvent *>(event)->button();
        return button == Qt::LeftButton ? LeftMouseUp
             : button == Qt::RightButton ? RightMouseUp
                                         : OtherMouseUp;
    }
    case QEvent::MouseMove:
        return static_cast<const QMouseEvent *>(event)->buttons() & Qt::LeftButton ? LeftMouseDragged
                                                                                    : MouseMoved;
    case QEvent::KeyPress:
        return isModifierKey(static_cast<const QKeyEvent *>(event)->key()) ? FlagsChanged : KeyDown;
    case QEvent::KeyRelease:
        return isModifierKey(static_cast<const QKeyEvent *>(event)->key()) ? FlagsChanged : KeyUp;
    case QEvent::Wheel:
        return ScrollWheel;
    default:
        return 0;
    }
}

} // namespace EventMonitor
