#include "LoopbackArchiveServer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTcpSocket>
#include <QTimer>

LoopbackArchiveServer::LoopbackArchiveServer(const QString &folder, QObject *parent)
    : QTcpServer(parent)
    , m_folder(folder)
{
    connect(this, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *socket = nextPendingConnection()) {
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { serve(socket); });
            connect(socket, &QTcpSocket::disconnected, socket, [this, socket] {
                m_buffers.remove(socket);
                socket->deleteLater();
            });
        }
    });
}

LoopbackArchiveServer::~LoopbackArchiveServer()
{
    // Connections the client still holds open go first, while the buffers
    // their handlers use are still there: as children they would go after,
    // and their last signals would reach a freed table.
    const QList<QTcpSocket *> sockets = findChildren<QTcpSocket *>();
    for (QTcpSocket *socket : sockets) {
        socket->disconnect();
        delete socket;
    }
}

bool LoopbackArchiveServer::start()
{
    return listen(QHostAddress::LocalHost, 0);
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

void LoopbackArchiveServer::serve(QTcpSocket *socket)
{
    QByteArray &buffer = m_buffers[socket];
    buffer += socket->readAll();
    const qsizetype end = buffer.indexOf("\r\n\r\n");
    if (end < 0)
        return;
    const QByteArray head = buffer.left(end);
    buffer.remove(0, end + 4);
    const QList<QByteArray> request = head.split('\n').value(0).trimmed().split(' ');
    ++m_requests;

    QByteArray status = "404 Not Found";
    QByteArray body = "not found";
    if (request.size() >= 2 && request.at(0) == "GET") {
        const QString path = QUrl::fromPercentEncoding(request.at(1).split('?').value(0)).mid(1);
        const QString file = QDir(m_folder).filePath(path);
        QFile source(file);
        // Nothing outside the folder is served.
        if (QFileInfo(file).canonicalFilePath().startsWith(QDir(m_folder).canonicalPath())
            && QFileInfo(file).isFile() && source.open(QIODevice::ReadOnly)) {
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
