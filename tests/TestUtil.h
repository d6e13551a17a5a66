#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

namespace TestUtil {

// Runs the event loop until the condition holds or the time-out passes;
// answers the condition's last value. The time-out only bounds a hang: on a
// loaded machine what a test waits for may take long.
bool waitUntil(const std::function<bool()> &condition, int timeoutMs = 30000);

// Runs the event loop for the given time.
void spin(int ms);

QByteArray readFile(const QString &path);
bool writeFile(const QString &path, const QByteArray &data);

} // namespace TestUtil
