#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

class QObject;

namespace TestUtil {

// Runs the event loop until the condition holds or the time-out passes;
// answers the condition's last value. The time-out only bounds a hang: on a
// loaded machine what a test waits for may take long.
bool waitUntil(const std::function<bool()> &condition, int timeoutMs = 30000);

// Like waitUntil, but the condition must hold again after one more turn of
// the event loop: what the turn that made it hold posted has run too.
bool waitUntilSettled(const std::function<bool()> &condition, int timeoutMs = 30000);

// Whether the object has a delayed call pending (DelayedPerform) of at most
// that delay: work a step left for a moment later. Longer ones are idle-time
// work (a refresh after seconds), which no step waits for.
bool hasShortDelayedCall(const QObject *target, int maxDelayMs = 300);

// Runs the event loop for the given time.
void spin(int ms);

QByteArray readFile(const QString &path);
bool writeFile(const QString &path, const QByteArray &data);

} // namespace TestUtil
