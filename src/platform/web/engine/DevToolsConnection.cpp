#include "DevToolsConnection.h"

#include "WebBlockingCall.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QLoggingCategory>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <csignal>
#include <charconv>
#include <cstring>
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

// Messages are handled for this long a turn of the event loop.
constexpr qint64 s_deliveryBudgetMs = 5;
// Past this many bytes read and not handled, the pipe is read no more until
// they are: the program's memory stays bounded whatever the browser sends.
// A message is always read to its end, however long: only whole messages
// waiting to be handled stop the reading.
constexpr qsizetype s_backlogLimit = 32 * 1024 * 1024;
// Only a string this long is set aside as bulk; only a message this long is scanned for one.
constexpr qsizetype s_bulkMinimum = 16 * 1024;

// What a scan of one message found: its method and the long values (strings,
// arrays, objects) of its params or result.
struct BulkScan
{
    struct Candidate
    {
        QByteArrayView key;
        qsizetype begin = 0; // contents, without the quotes or brackets: [begin, end)
        qsizetype end = 0;   // -1 while the brackets are open
    };
    QByteArrayView method;
    int id = -1; // of an answer
    QList<Candidate> candidates;
};

// The position of the quote that closes the string whose contents start at from; -1 if none.
qsizetype closingQuote(const char *data, qsizetype size, qsizetype from)
{
    while (from < size) {
        const auto *quote = static_cast<const char *>(std::memchr(data + from, '"', size_t(size - from)));
        if (!quote)
            return -1;
        const qsizetype at = quote - data;
        qsizetype backslashes = 0;
        while (at - backslashes > from && data[at - backslashes - 1] == '\\')
            ++backslashes;
        if (backslashes % 2 == 0)
            return at;
        from = at + 1;
    }
    return -1;
}

// One pass over the text, keys told from values by the colon after them;
// nothing is built.
BulkScan scanForBulk(QByteArrayView text)
{
    BulkScan scan;
    const char *data = text.data();
    const qsizetype size = text.size();
    int depth = 0;
    QByteArrayView keys[3];
    bool isObject[3] = {false, false, false};
    BulkScan::Candidate container;
    for (qsizetype i = 0; i < size; ++i) {
        const char c = data[i];
        if (c == '"') {
            const qsizetype begin = i + 1;
            const qsizetype end = closingQuote(data, size, begin);
            if (end < 0)
                break;
            i = end;
            qsizetype next = end + 1;
            while (next < size && (data[next] == ' ' || data[next] == '\n' || data[next] == '\r' || data[next] == '\t'))
                ++next;
            const QByteArrayView content(data + begin, end - begin);
            if (next < size && data[next] == ':') {
                if (depth >= 1 && depth <= 2)
                    keys[depth] = content;
            } else if (depth == 1 && keys[1] == "method") {
                scan.method = content;
            } else if (depth == 2 && isObject[2] && isObject[1] && (keys[1] == "params" || keys[1] == "result")
                       && content.size() >= s_bulkMinimum) {
                scan.candidates.append({keys[2], begin, end});
            }
            if (depth == 1 && content == "id" && next < size && data[next] == ':') {
                qsizetype digit = next + 1;
                while (digit < size && data[digit] == ' ')
                    ++digit;
                int id = 0;
                const auto [stop, error] = std::from_chars(data + digit, data + size, id);
                if (error == std::errc()) {
                    scan.id = id;
                    i = stop - data - 1;
                }
            }
        } else if (c == '{' || c == '[') {
            ++depth;
            if (depth <= 2) {
                isObject[depth] = c == '{';
                keys[depth] = {};
            } else if (depth == 3 && isObject[2] && isObject[1] && (keys[1] == "params" || keys[1] == "result")) {
                // An array or object field (the nodes of DOM.setChildNodes),
                // set aside without its brackets.
                container = {keys[2], i + 1, -1};
            }
        } else if (c == '}' || c == ']') {
            if (depth == 3 && container.end < 0) {
                container.end = i;
                if (container.end - container.begin >= s_bulkMinimum)
                    scan.candidates.append(container);
                container = {};
            }
            --depth;
        }
    }
    return scan;
}

void appendUtf8(QByteArray &out, char32_t code)
{
    if (code < 0x80) {
        out += char(code);
    } else if (code < 0x800) {
        out += char(0xC0 | (code >> 6));
        out += char(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += char(0xE0 | (code >> 12));
        out += char(0x80 | ((code >> 6) & 0x3F));
        out += char(0x80 | (code & 0x3F));
    } else {
        out += char(0xF0 | (code >> 18));
        out += char(0x80 | ((code >> 12) & 0x3F));
        out += char(0x80 | ((code >> 6) & 0x3F));
        out += char(0x80 | (code & 0x3F));
    }
}

// Four hex digits at data; -1 when they are not.
int hexQuad(const char *data)
{
    int value = 0;
    for (int i = 0; i < 4; ++i) {
        const char c = data[i];
        const int digit = c >= '0' && c <= '9' ? c - '0'
            : c >= 'a' && c <= 'f'             ? c - 'a' + 10
            : c >= 'A' && c <= 'F'             ? c - 'A' + 10
                                               : -1;
        if (digit < 0)
            return -1;
        value = value * 16 + digit;
    }
    return value;
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
    // A snapshot or a frame is a megabyte or two: with the pipe's default
    // 64 KiB the browser would wait for the program a few dozen times per message.
    for (const int fd : {writeFd, readFd})
        ::fcntl(fd, F_SETPIPE_SZ, 1 << 20);
    m_writeNotifier->setEnabled(false);
    m_lastRead.start();
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
        m_bulkReplies.clear();
        for (const Callback &callback : callbacks) {
            if (callback)
                callback({{}, s_gone, {}});
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
            QTimer::singleShot(0, this, [done] { done({{}, s_gone, {}}); });
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
    // Closed, send() would answer in a later turn, into this frame gone,
    // and no command of this call would have the id taken below.
    if (!m_open)
        return std::nullopt;
    std::optional<DevToolsReply> reply;
    send(method, params, sessionId, [&reply](const DevToolsReply &answer) { reply = answer; });
    const int id = m_nextId - 1;
    const WebBlockingCall blocking;
    ++m_waiting;
    QDeadlineTimer deadline(timeoutMs);
    while (m_open && !reply) {
        // The answer may be among the messages read already but not delivered.
        parseMessages();
        for (qsizetype i = 0; i < m_inbox.size(); ++i) {
            if (m_inbox.at(i).message.value(QStringLiteral("id")).toInt(-1) == id) {
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
        }
    }
    --m_waiting;
    if (!reply) {
        // A late answer finds no one waiting.
        m_callbacks.remove(id);
        qCWarning(lcDevTools) << method << "got no answer within" << timeoutMs << "ms";
    }
    // What came meanwhile runs in a later turn, in order.
    scheduleDelivery();
    if (!reply || !reply->isOk())
        return std::nullopt;
    return reply->result;
}

void DevToolsConnection::sendWithBulk(const QString &method, const QJsonObject &params, const QString &sessionId,
                                      const QString &key, Callback done, const QObject *receiver)
{
    // The command's id is the next one send() takes.
    if (m_open)
        m_bulkReplies.insert(m_nextId, key.toUtf8());
    send(method, params, sessionId, std::move(done), receiver);
}

void DevToolsConnection::setBulkField(const QString &method, const QString &key)
{
    m_bulkFields.insert(method.toUtf8(), key.toUtf8());
}

QByteArray DevToolsConnection::unescapedString(QByteArrayView escaped)
{
    QByteArray out;
    out.reserve(escaped.size());
    const char *data = escaped.data();
    const qsizetype size = escaped.size();
    qsizetype from = 0;
    while (from < size) {
        const auto *slash = static_cast<const char *>(std::memchr(data + from, '\\', size_t(size - from)));
        const qsizetype at = slash ? slash - data : size;
        out.append(data + from, at - from);
        if (at + 1 >= size)
            break;
        const char kind = data[at + 1];
        from = at + 2;
        switch (kind) {
        case 'n': out += '\n'; break;
        case 't': out += '\t'; break;
        case 'r': out += '\r'; break;
        case 'b': out += '\b'; break;
        case 'f': out += '\f'; break;
        case 'u': {
            int code = at + 6 <= size ? hexQuad(data + at + 2) : -1;
            if (code < 0) {
                out += '?';
                break;
            }
            from = at + 6;
            // A surrogate pair is one character in two escapes.
            if (code >= 0xD800 && code < 0xDC00 && from + 6 <= size && data[from] == '\\' && data[from + 1] == 'u') {
                const int low = hexQuad(data + from + 2);
                if (low >= 0xDC00 && low < 0xE000) {
                    code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                    from += 6;
                }
            }
            appendUtf8(out, code >= 0xD800 && code < 0xE000 ? 0xFFFD : char32_t(code));
            break;
        }
        default: out += kind; break; // '"', '\\' and '/'
        }
    }
    return out;
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
    constexpr qsizetype chunk = 1 << 20;
    for (;;) {
        // Read straight into the buffer's end.
        const qsizetype used = m_readBuffer.size();
        m_readBuffer.resize(used + chunk);
        const ssize_t count = ::read(m_readFd, m_readBuffer.data() + used, size_t(chunk));
        m_readBuffer.resize(used + std::max<qsizetype>(count, 0));
        if (count > 0) {
            m_lastRead.start();
            m_browserWrote = true;
            if (count < chunk)
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
    // A message longer than the limit stops nothing until it is whole:
    // waiting for its handling, which waits for its end, would wait for ever.
    if (m_open && m_readBuffer.size() - m_readOffset > s_backlogLimit && nextMessageEnd() >= 0)
        m_readNotifier->setEnabled(false);
    scheduleDelivery();
}

void DevToolsConnection::readWaiting()
{
    if (m_open && m_readNotifier->isEnabled())
        readAvailable();
}

bool DevToolsConnection::hasUnhandledMessages()
{
    return !m_inbox.isEmpty() || nextMessageEnd() >= 0;
}

qsizetype DevToolsConnection::nextMessageEnd()
{
    // The text up to m_scannedTo holds no end of a message: a long message
    // that comes in many pieces is not searched again from its start.
    const qsizetype end = m_readBuffer.indexOf('\0', std::max(m_readOffset, m_scannedTo));
    m_scannedTo = end < 0 ? m_readBuffer.size() : end;
    return end;
}

bool DevToolsConnection::parseNext()
{
    const qsizetype end = nextMessageEnd();
    if (end < 0) {
        // Only the start of a message is left: the buffer begins with it.
        m_readBuffer.remove(0, m_readOffset);
        m_scannedTo -= m_readOffset;
        m_readOffset = 0;
        return false;
    }
    if (std::optional<Incoming> incoming =
            parseMessage(QByteArrayView(m_readBuffer.constData() + m_readOffset, end - m_readOffset)))
        m_inbox.append(std::move(*incoming));
    m_readOffset = end + 1;
    if (m_readOffset == m_readBuffer.size()) {
        m_readBuffer.clear();
        m_readOffset = 0;
        m_scannedTo = 0;
    }
    return true;
}

void DevToolsConnection::parseMessages()
{
    while (parseNext()) {
    }
}

std::optional<DevToolsConnection::Incoming> DevToolsConnection::parseMessage(QByteArrayView text) const
{
    QJsonParseError error;
    if ((!m_bulkFields.isEmpty() || !m_bulkReplies.isEmpty()) && text.size() >= s_bulkMinimum) {
        const BulkScan scan = scanForBulk(text);
        QByteArray key = m_bulkFields.value(scan.method.toByteArray());
        if (scan.method.isEmpty() && scan.id >= 0)
            key = m_bulkReplies.value(scan.id);
        for (const BulkScan::Candidate &candidate : scan.candidates) {
            if (key.isEmpty() || candidate.key != key)
                continue;
            // The message without the field's contents is small: that is what is parsed.
            QByteArray rest;
            rest.reserve(text.size() - (candidate.end - candidate.begin));
            rest.append(text.first(candidate.begin));
            rest.append(text.sliced(candidate.end));
            const QJsonDocument document = QJsonDocument::fromJson(rest, &error);
            if (!document.isObject())
                break;
            return Incoming{document.object(), text.sliced(candidate.begin, candidate.end - candidate.begin).toByteArray()};
        }
    }
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromRawData(text.data(), text.size()), &error);
    if (document.isObject())
        return Incoming{document.object(), {}};
    qCWarning(lcDevTools) << "the browser sent a message that is not JSON:" << error.errorString();
    return std::nullopt;
}

void DevToolsConnection::scheduleDelivery()
{
    if (m_deliveryScheduled || (m_inbox.isEmpty() && nextMessageEnd() < 0))
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
    // what is still here; the loop takes it in turn. Past the budget the rest
    // waits for the next turn, so that input, timers and painting go between.
    QElapsedTimer budget;
    budget.start();
    while (m_waiting == 0 && budget.elapsed() < s_deliveryBudgetMs) {
        if (m_inbox.isEmpty() && !parseNext())
            break;
        if (!m_inbox.isEmpty())
            dispatch(m_inbox.takeFirst());
    }
    m_delivering = false;
    if (m_open && !m_readNotifier->isEnabled()
        && (m_readBuffer.size() - m_readOffset <= s_backlogLimit / 2 || nextMessageEnd() < 0))
        m_readNotifier->setEnabled(true);
    scheduleDelivery();
}

void DevToolsConnection::dispatch(const Incoming &incoming)
{
    const QJsonObject &message = incoming.message;
    const QJsonValue id = message.value(QStringLiteral("id"));
    if (!id.isUndefined()) {
        const Callback callback = m_callbacks.take(id.toInt());
        m_bulkReplies.remove(id.toInt());
        qCDebug(lcDevTools) << "<-" << id.toInt() << (callback ? "answered" : "unawaited");
        const QJsonObject error = message.value(QStringLiteral("error")).toObject();
        if (!error.isEmpty())
            qCDebug(lcDevTools) << "command" << id.toInt() << "failed:" << error.value(QStringLiteral("message")).toString();
        if (callback) {
            callback({message.value(QStringLiteral("result")).toObject(),
                      error.isEmpty() ? QString() : error.value(QStringLiteral("message")).toString(QStringLiteral("error")),
                      incoming.bulk});
        }
        return;
    }
    Q_EMIT eventReceived(message.value(QStringLiteral("sessionId")).toString(),
                         message.value(QStringLiteral("method")).toString(),
                         message.value(QStringLiteral("params")).toObject(), incoming.bulk);
}
