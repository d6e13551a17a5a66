#pragma once

#include <QObject>
#include <QString>

// The one object the bridge script sees over the web channel ("quillmark"):
// a slot for the script's messages and a signal for the program's. It exposes
// nothing else, and only the bridge's isolated script world can reach it.
class WebBridgeEndpoint : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

public Q_SLOTS:
    // message: a JSON object; payload: a document snapshot's JSON text or empty.
    void post(const QString &message, const QString &payload) { Q_EMIT received(message, payload); }

Q_SIGNALS:
    // To the script.
    void message(const QString &json);
    // From the script; not for the channel (the script only connects "message").
    void received(const QString &message, const QString &payload);
};
