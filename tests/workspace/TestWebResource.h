#pragma once

#include "workspace/WebResource.h"

// A loaded style sheet as the preview would hand it to the file model: its
// address and bytes.
class TestWebResource : public WebResource
{
public:
    TestWebResource(QString url, QByteArray data) : m_url(std::move(url)), m_data(std::move(data)) {}
    QUrl url() const override { return m_url; }
    QByteArray data() const override { return m_data; }
    QString mimeType() const override { return QStringLiteral("text/css"); }

private:
    QUrl m_url;
    QByteArray m_data;
};
