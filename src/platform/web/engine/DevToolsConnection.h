#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QHash>
#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <optional>

class QSocketNotifier;

// The answer to one command: its result, or the browser's error message
// (also "the browser is gone" when the pipe closed first).
struct DevToolsReply
{
    QJsonObject result;
    QString error;
    // The field of result set aside by sendWithBulk(), as it stands in the
    // message (escapes not undone); the result has an empty string there.
    QByteArray bulk;

    bool isOk() const { return error.isEmpty(); }
};

// The program's end of the browser's debugging pipe: JSON messages separated
// by NUL bytes, written to one descriptor and read from the other (both owned,
// closed with the connection). Commands are sent with a completion callback
// and a session id (one session per target, flattened); events and answers are
// delivered on the main thread in the order they arrived.
//
// A question that must be answered at once (sendAndWait) writes its command
// and blocks reading the pipe until its answer or a time-out; whatever else is
// read meanwhile is queued and delivered afterwards, in order, so no handler
// ever runs inside another.
//
// Messages are parsed as they are delivered, a few milliseconds' worth a turn
// of the event loop: a browser that sends faster than the program handles
// never holds the window up; the rest waits, in order, for the next turn.
// One large field of an event (setBulkField(): a screencast frame's picture,
// a binding's payload, the sibling lists of DOM.setChildNodes) or of an answer
// (sendWithBulk(): a response body) is not parsed as JSON at all: the message
// has an empty string, array or object there and the field's raw text comes
// beside it.
class DevToolsConnection : public QObject
{
    Q_OBJECT

public:
    using Callback = std::function<void(const DevToolsReply &)>;

    DevToolsConnection(int writeFd, int readFd, QObject *parent = nullptr);
    ~DevToolsConnection() override;

    bool isOpen() const { return m_open; }

    // Sends a command; done (if any) runs with the answer, or with an error
    // once the connection closes, unless receiver (when given) is gone by then.
    void send(const QString &method, const QJsonObject &params = {}, const QString &sessionId = {},
              Callback done = {}, const QObject *receiver = nullptr);
    // send(), with the answer's long string result field key kept out of the
    // JSON parse and handed over as the reply's bulk.
    void sendWithBulk(const QString &method, const QJsonObject &params, const QString &sessionId, const QString &key,
                      Callback done, const QObject *receiver = nullptr);
    // Sends a command and blocks for its answer; nullopt on an error or after timeoutMs.
    std::optional<QJsonObject> sendAndWait(const QString &method, const QJsonObject &params = {},
                                           const QString &sessionId = {}, int timeoutMs = 1000);

    int commandsSent() const { return m_nextId - 1; }

    // Reads what the browser has written so far without handling it (that
    // follows in a later turn), and tells how long it has been silent: a
    // program busy elsewhere for a while reads first, and does not take its
    // own delay for the browser's.
    void readWaiting();
    qint64 msSinceBrowserWrote() const { return m_lastRead.elapsed(); }
    // Whether the browser has written anything at all.
    bool hasBrowserWritten() const { return m_browserWrote; }
    // Whether messages read wait to be handled.
    bool hasUnhandledMessages();

    // Events of method whose params hold a long string, array or object under
    // key deliver it as bulk: its text as it stands in the message (a string's
    // escapes not undone, an array or object without its brackets); the params
    // hold an empty one in its place.
    void setBulkField(const QString &method, const QString &key);
    // The text of a JSON string's contents (without its quotes) with its escapes undone, as UTF-8.
    static QByteArray unescapedString(QByteArrayView escaped);

Q_SIGNALS:
    // An event of the browser, for the session it names (empty for the browser's own).
    // bulk is the field set aside for that method (see setBulkField()), if it was.
    void eventReceived(const QString &sessionId, const QString &method, const QJsonObject &params,
                       const QByteArray &bulk);
    // The browser closed its end of the pipe (it ended or crashed).
    void closed();

private:
    void readAvailable();
    bool readChunk();
    void writePending();
    bool writeSome();
    struct Incoming
    {
        QJsonObject message;
        QByteArray bulk;
    };

    qsizetype nextMessageEnd();
    bool parseNext();
    void parseMessages();
    std::optional<Incoming> parseMessage(QByteArrayView text) const;
    void scheduleDelivery();
    void deliver();
    void dispatch(const Incoming &incoming);
    void close();

    int m_writeFd;
    int m_readFd;
    bool m_open = true;
    bool m_announceClose = true;
    QSocketNotifier *m_readNotifier;  // Owned (QObject child).
    QSocketNotifier *m_writeNotifier; // Owned (QObject child).
    QByteArray m_readBuffer;
    qsizetype m_readOffset = 0; // where the first message not parsed yet starts
    qsizetype m_scannedTo = 0;  // no message ends before this
    QByteArray m_writeBuffer;
    QList<Incoming> m_inbox;
    QHash<QByteArray, QByteArray> m_bulkFields; // method -> key of params
    QHash<int, QByteArray> m_bulkReplies;       // command id -> key of result
    bool m_delivering = false;
    bool m_deliveryScheduled = false;
    int m_waiting = 0;
    int m_nextId = 1;
    QHash<int, Callback> m_callbacks;
    QElapsedTimer m_lastRead; // since the browser last wrote
    bool m_browserWrote = false;
};
