#include "DOMReplayLog.h"

#include <QJsonValue>

QString DOMReplayCommand::opName(Op op)
{
    switch (op) {
    case Op::CreateElement:
        return QStringLiteral("createElement");
    case Op::CreateTextNode:
        return QStringLiteral("createTextNode");
    case Op::CreateComment:
        return QStringLiteral("createComment");
    case Op::CreateDocumentFragment:
        return QStringLiteral("createDocumentFragment");
    case Op::InsertBefore:
        return QStringLiteral("insertBefore");
    case Op::RemoveChild:
        return QStringLiteral("removeChild");
    case Op::SetAttribute:
        return QStringLiteral("setAttribute");
    case Op::RemoveAttribute:
        return QStringLiteral("removeAttribute");
    case Op::SetData:
        return QStringLiteral("setData");
    }
    return {};
}

QJsonObject DOMReplayCommand::toJson() const
{
    QJsonObject json;
    json.insert(QStringLiteral("seq"), double(sequence));
    json.insert(QStringLiteral("op"), opName(op));
    json.insert(QStringLiteral("node"), double(node));
    const auto putNamespace = [&] {
        if (!namespaceURI.isEmpty())
            json.insert(QStringLiteral("ns"), namespaceURI);
    };
    switch (op) {
    case Op::CreateElement:
        json.insert(QStringLiteral("name"), name);
        putNamespace();
        if (content)
            json.insert(QStringLiteral("content"), double(content));
        break;
    case Op::CreateTextNode:
    case Op::CreateComment:
    case Op::SetData:
        json.insert(QStringLiteral("value"), value);
        break;
    case Op::CreateDocumentFragment:
        break;
    case Op::InsertBefore:
        json.insert(QStringLiteral("parent"), double(parent));
        json.insert(QStringLiteral("ref"), reference ? QJsonValue(double(reference)) : QJsonValue());
        break;
    case Op::RemoveChild:
        json.insert(QStringLiteral("parent"), double(parent));
        break;
    case Op::SetAttribute:
        json.insert(QStringLiteral("name"), name);
        putNamespace();
        json.insert(QStringLiteral("value"), value);
        break;
    case Op::RemoveAttribute:
        json.insert(QStringLiteral("name"), name);
        putNamespace();
        break;
    }
    return json;
}

QString DOMReplayCommand::toString() const
{
    QString text = opName(op);
    const auto add = [&text](const QString &key, const QString &v) {
        text += QLatin1Char(' ') + key + QLatin1Char('=') + v;
    };
    switch (op) {
    case Op::InsertBefore:
        add(QStringLiteral("parent"), QString::number(parent));
        add(QStringLiteral("node"), QString::number(node));
        add(QStringLiteral("ref"), QString::number(reference));
        break;
    case Op::RemoveChild:
        add(QStringLiteral("parent"), QString::number(parent));
        add(QStringLiteral("node"), QString::number(node));
        break;
    default:
        add(QStringLiteral("node"), QString::number(node));
        if (!name.isEmpty())
            add(QStringLiteral("name"), name);
        if (!namespaceURI.isEmpty())
            add(QStringLiteral("ns"), namespaceURI);
        if (op == Op::CreateElement && content)
            add(QStringLiteral("content"), QString::number(content));
        if (op == Op::SetAttribute || op == Op::SetData || op == Op::CreateTextNode
            || op == Op::CreateComment)
            add(QStringLiteral("value"), QLatin1Char('"') + value + QLatin1Char('"'));
        break;
    }
    return text;
}

void DOMReplayLog::append(DOMReplayCommand command)
{
    if (isSuspended())
        return;
    command.sequence = m_nextSequence++;
    m_commands.append(std::move(command));
    if (m_appended)
        m_appended();
}

QList<DOMReplayCommand> DOMReplayLog::takeCommands()
{
    return std::exchange(m_commands, {});
}

QJsonArray DOMReplayLog::toJson(const QList<DOMReplayCommand> &commands)
{
    QJsonArray array;
    for (const DOMReplayCommand &command : commands)
        array.append(command.toJson());
    return array;
}
