#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

namespace TestUtil {

// Runs the event loop until the condition holds or the time-out passes;
// answers the condition's last value.
bool waitUntil(const std::function<bool()> &condition, int timeoutMs = 5000);

// Runs the event loop for the given time.
void spin(int ms);

QByteArray readFile(const QString &path);
bool writeFile(const QString &path, const QByteArray &data);

} // namespace TestUtil
