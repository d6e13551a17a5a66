#pragma once

#include <QHash>
#include <QString>
#include <QTcpServer>

#include <optional>

class QTcpSocket;

// What the tests' loopback HTTP servers share: the connections and what
// each has sent so far, a request handed on once its head is whole, and the
// files of one folder, nothing outside it.
class LoopbackServer : public QTcpServer
{
    Q_OBJECT

public:
    ~LoopbackServer() override;

    Q_INVOKABLE bool start();

protected:
    LoopbackServer(const QString &folder, QObject *parent);

    // A request whose head (up to the blank line) has come.
    virtual void serveRequest(QTcpSocket *socket, const QByteArray &head) = 0;
    // The path a GET head asks for, decoded, without its query or leading
    // "/"; nothing for anything but a GET.
    static std::optional<QString> askedPath(const QByteArray &head);
    // The path's file when it lies inside the folder, else empty.
    QString fileInFolder(const QString &path) const;

private:
    void readFrom(QTcpSocket *socket);

    QString m_folder;
    QHash<QTcpSocket *, QByteArray> m_buffers;
};
