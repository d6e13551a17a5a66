#pragma once

#include "platform/web/engine/WebNetworkEvents.h"
#include "workspace/WebResource.h"

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <optional>

// One request a frame of the page made, with what came of it: the response
// (status and headers as the browser reports them, and the headers as the
// server sent them when the browser tells those apart), the body the browser
// kept, and how the load ended. The web nodes of the resource tree and the
// frames' documents read their address, bytes and type from it.
class LoadedResource final : public WebResource
{
public:
    enum class State { Loading, Finished, Failed };

    explicit LoadedResource(const WebRequestInfo &request);
    ~LoadedResource() override;

    // WebResource: the answering address (after redirects), the body, and
    // the type it was served with.
    QUrl url() const override;
    QByteArray data() const override { return m_data; }
    QString mimeType() const override;
    bool hasData() const override { return m_hasBody; }

    QString requestId() const { return m_request.requestId; }
    QString frameId() const { return m_request.frameId; }
    QString loaderId() const { return m_request.loaderId; }
    QString resourceType() const { return m_request.resourceType; }
    QUrl requestURL() const { return m_request.url; }
    // A redirect sends the same request on to another address.
    void redirect(const WebRequestInfo &request);

    const std::optional<WebResponseInfo> &response() const { return m_response; }
    void setResponse(const WebResponseInfo &response) { m_response = response; }
    // The headers as sent, when the browser reported them apart.
    void setRawHeaders(const WebHeaders &headers) { m_rawHeaders = headers; }
    // The headers to show: those sent when known, else the response's; none
    // without a response.
    WebHeaders headers() const;
    int status() const { return m_response ? m_response->status : 0; }

    State state() const { return m_state; }
    // Whether all that will come of the load is here: it failed, or it
    // finished and its body (when one was asked for) came or is known lost.
    bool hasEnded() const { return m_ended; }
    void markEnded() { m_ended = true; }
    void finish(qint64 encodedLength);
    void fail(const QString &errorText);
    QString errorText() const { return m_errorText; }
    qint64 encodedLength() const { return m_encodedLength; }

    // The body: whether it was asked of the browser and came.
    bool hasBody() const { return m_hasBody; }
    void setBody(const QByteArray &data);

private:
    WebRequestInfo m_request;
    std::optional<WebResponseInfo> m_response;
    std::optional<WebHeaders> m_rawHeaders;
    QByteArray m_data;
    bool m_hasBody = false;
    State m_state = State::Loading;
    bool m_ended = false;
    QString m_errorText;
    qint64 m_encodedLength = 0;
};
