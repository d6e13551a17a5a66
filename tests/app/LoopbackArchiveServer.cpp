#include "LoopbackArchiveServer.h"

#include <QFile>
#include <QTcpSocket>
#include <QTimer>

LoopbackArchiveServer::LoopbackArchiveServer(const QString &folder, QObject *parent)
    : LoopbackServer(folder, parent)
{
}

QUrl LoopbackArchiveServer::url(const QString &path) const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1/%2").arg(serverPort()).arg(path));
}

void LoopbackArchiveServer::setThrottle(int chunkBytes, int intervalMs)
{
    m_chunkBytes = chunkBytes;
    m_intervalMs = intervalMs;
}

void LoopbackArchiveServer::serveRequest(QTcpSocket *socket, const QByteArray &head)
{
    ++m_requests;
    QByteArray status = "404 Not Found";
    QByteArray body = "not found";
    if (const std::optional<QString> path = askedPath(head)) {
        // Nothing outside the folder is served.
        QFile source(fileInFolder(*path));
        if (!source.fileName().isEmpty() && source.open(QIODevice::ReadOnly)) {
            body = source.readAll();
            status = "200 OK";
        }
    }
    const QByteArray header = "HTTP/1.1 " + status + "\r\nContent-Type: application/zip\r\nContent-Length: "
        + QByteArray::number(body.size()) + "\r\nCache-Control: no-store\r\nConnection: close\r\n\r\n";
    switch (m_mode) {
    case Mode::Whole:
        socket->write(header + body);
        socket->disconnectFromHost();
        break;
    case Mode::Throttled:
        socket->write(header);
        sendChunks(socket, body);
        break;
    case Mode::Stalling:
        // Half the body, and then silence with the connection open.
        socket->write(header + body.left(body.size() / 2));
        break;
    }
}

void LoopbackArchiveServer::sendChunks(QPointer<QTcpSocket> socket, QByteArray rest)
{
    if (!socket)
        return;
    socket->write(rest.left(m_chunkBytes));
    rest.remove(0, m_chunkBytes);
    if (rest.isEmpty()) {
        socket->disconnectFromHost();
        return;
    }
    QTimer::singleShot(m_intervalMs, this, [this, socket, rest] { sendChunks(socket, rest); });
}
