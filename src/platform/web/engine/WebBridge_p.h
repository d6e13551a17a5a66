#pragma once

#include <QJsonValue>

// Internals shared by WebBridge's topic files.
namespace WebBridgePrivate {

// The bridge sends ids as JSON numbers.
inline qint64 idOf(const QJsonValue &value)
{
    return qint64(value.toDouble());
}

} // namespace WebBridgePrivate
