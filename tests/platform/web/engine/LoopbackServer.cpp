#include "LoopbackServer.h"

#include <QDir>
#include <QFileInfo>
#include <QTcpSocket>
#include <QUrl>

LoopbackServer::LoopbackServer(const QString &folder, QObject *parent)
    : QTcpServer(parent)
    , m_folder(folder)
{
    connect(this, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *socket = nextPendingConnection()) {
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readFrom(socket); });
            connect(socket, &QTcpSocket::disconnected, socket, [this, socket] {
                m_buffers.remove(socket);
                socket->deleteLater();
            });
        }
    });
}

LoopbackServer::~LoopbackServer()
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

bool LoopbackServer::start()
{
    return listen(QHostAddress::LocalHost, 0);
}

void LoopbackServer::readFrom(QTcpSocket *socket)
{
    QByteArray &buffer = m_buffers[socket];
    buffer += socket->readAll();
    const qsizetype end = buffer.indexOf("\r\n\r\n");
    if (end < 0)
        return;
    const QByteArray head = buffer.left(end);
    buffer.remove(0, end + 4);
    serveRequest(socket, head);
}

std::optional<QString> LoopbackServer::askedPath(const QByteArray &head)
{
    const QList<QByteArray> request = head.split('\n').value(0).trimmed().split(' ');
    if (request.size() < 2 || request.at(0) != "GET")
        return std::nullopt;
    return QUrl::fromPercentEncoding(request.at(1).split('?').value(0)).mid(1);
}

QString LoopbackServer::fileInFolder(const QString &path) const
{
    const QString file = QDir(m_folder).filePath(path);
    const QFileInfo info(file);
    if (!info.isFile() || !info.canonicalFilePath().startsWith(QDir(m_folder).canonicalPath()))
        return {};
    return file;
}
