#include "LoadedResource.h"

LoadedResource::LoadedResource(const WebRequestInfo &request) : m_request(request)
{
}

LoadedResource::~LoadedResource() = default;

QUrl LoadedResource::url() const
{
    return m_response && m_response->url.isValid() ? m_response->url : m_request.url;
}

QString LoadedResource::mimeType() const
{
    return m_response ? m_response->mimeType : QString();
}

void LoadedResource::redirect(const WebRequestInfo &request)
{
    m_request.url = request.url;
    m_response.reset();
    m_rawHeaders.reset();
}

WebHeaders LoadedResource::headers() const
{
    if (m_rawHeaders)
        return *m_rawHeaders;
    return m_response ? m_response->headers : WebHeaders();
}

void LoadedResource::finish(qint64 encodedLength)
{
    m_state = State::Finished;
    m_encodedLength = encodedLength;
}

void LoadedResource::fail(const QString &errorText)
{
    m_state = State::Failed;
    m_errorText = errorText;
    m_ended = true;
}

void LoadedResource::setBody(const QByteArray &data)
{
    m_data = data;
    m_hasBody = true;
    m_ended = true;
}
