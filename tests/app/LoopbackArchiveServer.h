#pragma once

#include "LoopbackServer.h"

#include <QPointer>
#include <QString>
#include <QUrl>

class QTcpSocket;

// A loopback HTTP server for the download tests and benchmarks: GET of the
// files of a folder, anything else 404. It answers whole, throttled (the
// body in small chunks with a pause after each) or stalling (the head and
// the first half of the body, then nothing while the connection stays open).
// It may run on a thread of its own: make it there, or move it there and
// call start() on that thread.
class LoopbackArchiveServer : public LoopbackServer
{
    Q_OBJECT

public:
    enum class Mode { Whole, Throttled, Stalling };

    explicit LoopbackArchiveServer(const QString &folder, QObject *parent = nullptr);

    QUrl url(const QString &path) const;
    void setMode(Mode mode) { m_mode = mode; }
    // Throttled: so many bytes, then a pause of so many milliseconds.
    void setThrottle(int chunkBytes, int intervalMs);
    int requestCount() const { return m_requests; }

private:
    void serveRequest(QTcpSocket *socket, const QByteArray &head) override;
    void sendChunks(QPointer<QTcpSocket> socket, QByteArray rest);

    Mode m_mode = Mode::Whole;
    int m_chunkBytes = 4096;
    int m_intervalMs = 10;
    int m_requests = 0;
};
