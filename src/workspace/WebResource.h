#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

// A resource the preview loaded (a style sheet, a script, an image, a font):
// its address, its bytes and the MIME type it was served with. The preview
// makes these; the file model only reads them.
class WebResource
{
public:
    virtual ~WebResource() = default;

    virtual QUrl url() const = 0;
    virtual QByteArray data() const = 0;
    virtual QString mimeType() const = 0;
    // Whether the bytes came: a resource whose load failed, or whose body
    // was not kept, has none (not even an empty text).
    virtual bool hasData() const { return true; }
};

// The answer that delivered a resource, as far as the file model needs it.
class URLResponse
{
public:
    URLResponse() = default;
    URLResponse(QUrl url, QString mimeType) : m_url(std::move(url)), m_mimeType(std::move(mimeType)) {}

    QUrl url() const { return m_url; }
    QString mimeType() const { return m_mimeType; }

private:
    QUrl m_url;
    QString m_mimeType;
};
