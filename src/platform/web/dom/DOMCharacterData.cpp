#include "DOMCharacterData.h"

#include "DOMDocument.h"

DOMCharacterData::DOMCharacterData(NodeType type, DOMDocument *document, qint64 nodeId, QString data)
    : DOMNode(type, document, nodeId), m_data(std::move(data))
{
}

void DOMCharacterData::setData(const QString &data)
{
    if (data == m_data)
        return;
    const QString previous = std::exchange(m_data, data.isNull() ? QStringLiteral("") : data);
    if (DOMDocument *doc = document()) {
        doc->noteContentChanged();
        DOMReplayCommand command;
        command.op = DOMReplayCommand::Op::SetData;
        command.node = nodeId();
        command.value = m_data;
        doc->replayLog().append(std::move(command));
    }
    DOMMutationEvent event;
    event.type = DOMEventType::characterDataModified;
    event.target = this;
    event.prevValue = previous;
    event.newValue = m_data;
    dispatchMutationEvent(event);
    DOMMutationEvent subtree;
    subtree.type = DOMEventType::subtreeModified;
    subtree.target = this;
    dispatchMutationEvent(subtree);
}
