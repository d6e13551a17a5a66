#pragma once

#include "DOMNode.h"

// The document type node ("<!DOCTYPE html>"): its name and identifiers.
class DOMDocumentType : public DOMNode
{
public:
    DOMDocumentType(DOMNodeKey, DOMDocument *document, qint64 nodeId, QString name, QString publicId,
                    QString systemId);

    QString nodeName() const override { return m_name; }
    const QString &name() const { return m_name; }
    const QString &publicId() const { return m_publicId; }
    const QString &systemId() const { return m_systemId; }

private:
    DOMNodePtr cloneShallow(DOMDocument &document) const override;

    QString m_name;
    QString m_publicId;
    QString m_systemId;
};
