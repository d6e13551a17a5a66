#pragma once

#include <QtGlobal>

#include <functional>

class QEvent;

// Local event monitors (the kit's addLocalMonitorForEventsMatchingMask): a
// handler sees every input event of the application of the kinds it asked
// for, before the widget it is meant for, once per event however far the event
// travels up the widget tree. A handler answering false swallows the event.
namespace EventMonitor {

// The kit's event type numbers.
enum EventType : int {
    LeftMouseDown = 1,
    LeftMouseUp = 2,
    RightMouseDown = 3,
    RightMouseUp = 4,
    MouseMoved = 5,
    LeftMouseDragged = 6,
    KeyDown = 10,
    KeyUp = 11,
    FlagsChanged = 12,
    ScrollWheel = 22,
    OtherMouseDown = 25,
    OtherMouseUp = 26,
};

using EventMask = quint64;
constexpr EventMask maskFor(EventType type) { return EventMask(1) << type; }

// Answers true to let the event go on.
using Handler = std::function<bool(QEvent *event)>;

// Answers the monitor's token (never 0).
int addLocalMonitorForEventsMatchingMask(EventMask mask, Handler handler);
// Removing an unknown token (or 0) does nothing.
void removeMonitor(int token);
int monitorCount();

// The kit's type of an event; 0 for events the monitors do not see.
int eventType(const QEvent *event);

} // namespace EventMonitor
