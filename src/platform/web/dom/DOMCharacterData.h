#pragma once

#include "DOMNode.h"

// The common part of text and comment nodes: their data. Changing it fires
// DOMCharacterDataModified and replays "setData".
class DOMCharacterData : public DOMNode
{
public:
    const QString &data() const { return m_data; }
    void setData(const QString &data);
    int length() const { return int(m_data.size()); }

    QString nodeValue() const override { return m_data; }

protected:
    DOMCharacterData(NodeType type, DOMDocument *document, qint64 nodeId, QString data);

private:
    friend class DOMTreeBuilder;
    QString m_data;
};
