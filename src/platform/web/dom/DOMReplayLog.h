#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QString>

#include <functional>

// One program edit of the mirror, to be carried out on the live page in the
// same order. Nodes are named by their ids; 0 names none.
//
// JSON form (toJson()), the keys present for each op:
//   {"seq", "op": "createElement", "node", "name" (qualified), "ns"?, "content"? (a template's content fragment)}
//   {"seq", "op": "createTextNode" | "createComment", "node", "value"}
//   {"seq", "op": "createDocumentFragment", "node"}
//   {"seq", "op": "insertBefore", "parent", "node", "ref" (null appends)}   moves the node when attached
//   {"seq", "op": "removeChild", "parent", "node"}
//   {"seq", "op": "setAttribute", "node", "name" (qualified), "ns"?, "value"}   setAttributeNS(ns or null, name, value)
//   {"seq", "op": "removeAttribute", "node", "name" (local), "ns"?}            removeAttributeNS(ns or null, name)
//   {"seq", "op": "setData", "node", "value"}                                   text or comment data
struct DOMReplayCommand
{
    enum class Op {
        CreateElement,
        CreateTextNode,
        CreateComment,
        CreateDocumentFragment,
        InsertBefore,
        RemoveChild,
        SetAttribute,
        RemoveAttribute,
        SetData,
    };

    quint64 sequence = 0;
    Op op = Op::CreateElement;
    qint64 node = 0;
    qint64 parent = 0;
    qint64 reference = 0;
    qint64 content = 0;
    QString name;
    QString namespaceURI;
    QString value;

    static QString opName(Op op);
    QJsonObject toJson() const;
    // "insertBefore parent=3 node=-2 ref=0": compact, for logs and tests.
    QString toString() const;
};

// The ordered commands of a document's program edits, waiting to be sent to
// the page. Changes that came from the page itself are applied while the log
// is suspended, so that they are not sent back.
class DOMReplayLog
{
public:
    void append(DOMReplayCommand command);

    const QList<DOMReplayCommand> &commands() const { return m_commands; }
    QList<DOMReplayCommand> takeCommands();
    void clear() { m_commands.clear(); }
    static QJsonArray toJson(const QList<DOMReplayCommand> &commands);

    // Called after each appended command (the page bridge schedules its flush).
    void setAppendedHandler(std::function<void()> handler) { m_appended = std::move(handler); }

    bool isSuspended() const { return m_suspended > 0; }

    // Keeps the log from recording while it lives.
    class Suspension
    {
    public:
        explicit Suspension(DOMReplayLog &log) : m_log(log) { ++m_log.m_suspended; }
        ~Suspension() { --m_log.m_suspended; }
        Suspension(const Suspension &) = delete;
        Suspension &operator=(const Suspension &) = delete;

    private:
        DOMReplayLog &m_log;
    };

private:
    QList<DOMReplayCommand> m_commands;
    quint64 m_nextSequence = 1;
    int m_suspended = 0;
    std::function<void()> m_appended;
};
