#include "DevToolsConnection.h"

#include "WebBlockingCall.h"

#include <QDeadlineTimer>
#include <QJsonDocument>
#include <QLoggingCategory>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcDevTools, "quillmark.web.devtools", QtWarningMsg)

namespace {

const QString s_gone = QStringLiteral("the browser is gone");

void setNonBlocking(int fd)
{
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
}

} // namespace

DevToolsConnection::DevToolsConnection(int writeFd, int readFd, QObject *parent)
    : QObject(parent), m_writeFd(writeFd), m_readFd(readFd),
      m_readNotifier(new QSocketNotifier(readFd, QSocketNotifier::Read, this)),
      m_writeNotifier(new QSocketNotifier(writeFd, QSocketNotifier::Write, this))
{
    // A write to a browser that has ended fails with EPIPE (and closes the
    // connection) instead of ending the program.
    static const bool s_pipeSignalIgnored = [] {
        std::signal(SIGPIPE, SIG_IGN);
        return true;
    }();
    Q_UNUSED(s_pipeSignalIgnored);
    setNonBlocking(writeFd);
    setNonBlocking(readFd);
    m_writeNotifier->setEnabled(false);
    connect(m_readNotifier, &QSocketNotifier::activated, this, &DevToolsConnection::readAvailable);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, &DevToolsConnection::writePending);
}

DevToolsConnection::~DevToolsConnection()
{
    m_announceClose = false;
    close();
}

void DevToolsConnection::close()
{
    if (!m_open)
        return;
    m_open = false;
    m_readNotifier->setEnabled(false);
    m_writeNotifier->setEnabled(false);
    ::close(m_writeFd);
    ::close(m_readFd);
    m_writeBuffer.clear();
    if (!m_announceClose)
        return;
    // In a later turn, whoever waits for an answer hears that none will come,
    // then everyone that the browser is gone.
    QTimer::singleShot(0, this, [this] {
        const auto callbacks = std::exchange(m_callbacks, {});
        for (const Callback &callback : callbacks) {
            if (callback)
                callback({{}, s_gone});
        }
        Q_EMIT closed();
    });
}

void DevToolsConnection::send(const QString &method, const QJsonObject &params, const QString &sessionId,
                              Callback done, const QObject *receiver)
{
    if (done && receiver) {
        done = [guard = QPointer<const QObject>(receiver), done = std::move(done)](const DevToolsReply &reply) {
            if (guard)
                done(reply);
        };
    }
    if (!m_open) {
        if (done) {
            // Answered in the next turn, as an answer from the browser would be.
            QTimer::singleShot(0, this, [done] { done({{}, s_gone}); });
        }
        return;
    }
    const int id = m_nextId++;
    QJsonObject message{{QStringLiteral("id"), id}, {QStringLiteral("method"), method}};
    if (!params.isEmpty())
        message.insert(QStringLiteral("params"), params);
    if (!sessionId.isEmpty())
        message.insert(QStringLiteral("sessionId"), sessionId);
    if (done)
        m_callbacks.insert(id, std::move(done));
    qCDebug(lcDevTools).noquote() << "->" << id << method << sessionId;
    m_writeBuffer += QJsonDocument(message).toJson(QJsonDocument::Compact);
    m_writeBuffer += '\0';
    writePending();
}

std::optional<QJsonObject> DevToolsConnection::sendAndWait(const QString &method, const QJsonObject &params,
                                                           const QString &sessionId, int timeoutMs)
{
    std::optional<DevToolsReply> reply;
    send(method, params, sessionId, [&reply](const DevToolsReply &answer) { reply = answer; });
    const int id = m_nextId - 1;
    const WebBlockingCall blocking;
    ++m_waiting;
    QDeadlineTimer deadline(timeoutMs);
    while (m_open && !reply) {
        // The answer may be among the messages read already but not delivered.
        for (qsizetype i = 0; i < m_inbox.size(); ++i) {
            if (m_inbox.at(i).value(QStringLiteral("id")).toInt(-1) == id) {
                dispatch(m_inbox.takeAt(i));
                break;
            }
        }
        if (reply)
            break;
        const qint64 remaining = deadline.remainingTime();
        if (remaining == 0)
            break;
        pollfd fds[2] = {{m_readFd, POLLIN, 0}, {m_writeFd, short(m_writeBuffer.isEmpty() ? 0 : POLLOUT), 0}};
        const int ready = ::poll(fds, 2, int(remaining));
        if (ready < 0 && errno != EINTR)
            break;
        if (fds[1].revents & (POLLOUT | POLLERR))
            writeSome();
        if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) {
            if (!readChunk())
                break;
            parseMessages();
        }
    }
    --m_waiting;
    if (!reply) {
        // A late answer finds no one waiting.
        m_callbacks.remove(id);
        qCWarning(lcDevTools) << method << "got no answer within" << timeoutMs << "ms";
    }
    // What came meanwhile runs in a later turn, in order.
    if (!m_inbox.isEmpty())
        scheduleDelivery();
    if (!reply || !reply->isOk())
        return std::nullopt;
    return reply->result;
}

void DevToolsConnection::writePending()
{
    if (!writeSome())
        return;
    m_writeNotifier->setEnabled(m_open && !m_writeBuffer.isEmpty());
}

bool DevToolsConnection::writeSome()
{
    while (m_open && !m_writeBuffer.isEmpty()) {
        const ssize_t written = ::write(m_writeFd, m_writeBuffer.constData(), size_t(m_writeBuffer.size()));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK)
                return true;
            qCWarning(lcDevTools) << "writing to the browser failed:" << strerror(errno);
            close();
            return false;
        }
        m_writeBuffer.remove(0, written);
    }
    return true;
}

bool DevToolsConnection::readChunk()
{
    char chunk[65536];
    for (;;) {
        const ssize_t count = ::read(m_readFd, chunk, sizeof chunk);
        if (count > 0) {
            m_readBuffer.append(chunk, count);
            if (count < qsizetype(sizeof chunk))
                return true;
            continue;
        }
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return true;
        // End of file: the browser is gone.
        close();
        return false;
    }
}

void DevToolsConnection::readAvailable()
{
    readChunk();
    parseMessages();
    scheduleDelivery();
}

void DevToolsConnection::parseMessages()
{
    qsizetype start = 0;
    for (;;) {
        const qsizetype end = m_readBuffer.indexOf('\0', start);
        if (end < 0)
            break;
        QJsonParseError error;
        const QJsonDocument document =
            QJsonDocument::fromJson(QByteArray::fromRawData(m_readBuffer.constData() + start, end - start), &error);
        if (document.isObject())
            m_inbox.append(document.object());
        else
            qCWarning(lcDevTools) << "the browser sent a message that is not JSON:" << error.errorString();
        start = end + 1;
    }
    m_readBuffer.remove(0, start);
}

void DevToolsConnection::scheduleDelivery()
{
    if (m_deliveryScheduled || m_inbox.isEmpty())
        return;
    m_deliveryScheduled = true;
    QTimer::singleShot(0, this, [this] {
        m_deliveryScheduled = false;
        deliver();
    });
}

void DevToolsConnection::deliver()
{
    if (m_delivering || m_waiting > 0)
        return;
    m_delivering = true;
    // A handler may make a blocking call, which queues what it reads behind
    // what is still here; the loop takes it in turn.
    while (!m_inbox.isEmpty() && m_waiting == 0)
        dispatch(m_inbox.takeFirst());
    m_delivering = false;
}

void DevToolsConnection::dispatch(const QJsonObject &message)
{
    const QJsonValue id = message.value(QStringLiteral("id"));
    if (!id.isUndefined()) {
        const Callback callback = m_callbacks.take(id.toInt());
        qCDebug(lcDevTools) << "<-" << id.toInt() << (callback ? "answered" : "unawaited");
        const QJsonObject error = message.value(QStringLiteral("error")).toObject();
        if (!error.isEmpty())
            qCDebug(lcDevTools) << "command" << id.toInt() << "failed:" << error.value(QStringLiteral("message")).toString();
        if (callback) {
            callback({message.value(QStringLiteral("result")).toObject(),
                      error.isEmpty() ? QString() : error.value(QStringLiteral("message")).toString(QStringLiteral("error"))});
        }
        return;
    }
    Q_EMIT eventReceived(message.value(QStringLiteral("sessionId")).toString(),
                         message.value(QStringLiteral("method")).toString(),
                         message.value(QStringLiteral("params")).toObject());
}
