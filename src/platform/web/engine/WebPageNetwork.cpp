// WebPage: the network traffic of the page's frames, resource bodies and
// requests served from local files.

#include "WebPage.h"

#include "DevToolsConnection.h"
#include "WebDownloads.h"

#include <QFutureWatcher>
#include <QJsonArray>
#include <QtConcurrent/QtConcurrentRun>

namespace {

// A header the server sent more than once comes as one value with a line
// per copy: each line is an entry of its own.
WebHeaders headersOf(const QJsonObject &object)
{
    WebHeaders headers;
    for (auto it = object.constBegin(); it != object.constEnd(); ++it) {
        const QStringList lines = it.value().toString().split(QLatin1Char('\n'));
        for (const QString &line : lines)
            headers.append({it.key(), line});
    }
    return headers;
}

} // namespace

void WebPage::handleNetworkEvent(const QString &sessionId, const QString &method, const QJsonObject &params)
{
    const QString requestId = params.value(QStringLiteral("requestId")).toString();
    if (method == QLatin1String("Network.requestWillBeSent")) {
        m_sessionOfRequest.insert(requestId, sessionId);
        m_loaderOfRequest.insert(requestId, params.value(QStringLiteral("loaderId")).toString());
        const QJsonObject request = params.value(QStringLiteral("request")).toObject();
        WebRequestInfo info;
        info.requestId = requestId;
        info.frameId = params.value(QStringLiteral("frameId")).toString();
        info.loaderId = params.value(QStringLiteral("loaderId")).toString();
        info.url = QUrl(request.value(QStringLiteral("url")).toString());
        info.method = request.value(QStringLiteral("method")).toString();
        info.resourceType = params.value(QStringLiteral("type")).toString();
        info.initiatorType = params.value(QStringLiteral("initiator")).toObject().value(QStringLiteral("type")).toString();
        info.headers = headersOf(request.value(QStringLiteral("headers")).toObject());
        info.timestamp = params.value(QStringLiteral("timestamp")).toDouble();
        info.isRedirect = params.contains(QStringLiteral("redirectResponse"));
        Q_EMIT requestSent(info);
    } else if (method == QLatin1String("Network.responseReceived")) {
        const QJsonObject response = params.value(QStringLiteral("response")).toObject();
        WebResponseInfo info;
        info.requestId = requestId;
        info.frameId = params.value(QStringLiteral("frameId")).toString();
        info.url = QUrl(response.value(QStringLiteral("url")).toString());
        info.status = response.value(QStringLiteral("status")).toInt();
        info.statusText = response.value(QStringLiteral("statusText")).toString();
        info.mimeType = response.value(QStringLiteral("mimeType")).toString();
        info.resourceType = params.value(QStringLiteral("type")).toString();
        info.headers = headersOf(response.value(QStringLiteral("headers")).toObject());
        info.fromDiskCache = response.value(QStringLiteral("fromDiskCache")).toBool();
        info.timestamp = params.value(QStringLiteral("timestamp")).toDouble();
        // A document's answer may turn its navigation into a download.
        if (info.resourceType == QLatin1String("Document"))
            m_downloads->documentResponseReceived(info.url, info.mimeType);
        Q_EMIT responseReceived(info);
    } else if (method == QLatin1String("Network.responseReceivedExtraInfo")) {
        WebResponseExtraInfo info;
        info.requestId = requestId;
        info.status = params.value(QStringLiteral("statusCode")).toInt();
        info.headers = headersOf(params.value(QStringLiteral("headers")).toObject());
        Q_EMIT responseExtraInfoReceived(info);
    } else if (method == QLatin1String("Network.loadingFinished")) {
        // The body is asked of the session that saw the request finish: a
        // frame that moved into a process of its own keeps it there until
        // its body is asked or the frame goes. The main session needs no entry.
        if (sessionId == m_session)
            m_sessionOfRequest.remove(requestId);
        else
            m_sessionOfRequest.insert(requestId, sessionId);
        Q_EMIT requestFinished(requestId, qint64(params.value(QStringLiteral("encodedDataLength")).toDouble()),
                               params.value(QStringLiteral("timestamp")).toDouble());
    } else if (method == QLatin1String("Network.loadingFailed")) {
        m_sessionOfRequest.remove(requestId);
        Q_EMIT requestFailed(requestId, params.value(QStringLiteral("errorText")).toString(),
                             params.value(QStringLiteral("canceled")).toBool());
    } else if (method == QLatin1String("Fetch.requestPaused")) {
        const QJsonObject request = params.value(QStringLiteral("request")).toObject();
        if (refuseLocalDocument(sessionId, requestId, QUrl(request.value(QStringLiteral("url")).toString()),
                                params.value(QStringLiteral("resourceType")).toString()))
            return;
        m_sessionOfIntercept.insert(requestId, sessionId);
        WebInterceptedRequest info;
        info.interceptId = requestId;
        info.frameId = params.value(QStringLiteral("frameId")).toString();
        info.url = QUrl(request.value(QStringLiteral("url")).toString());
        info.method = request.value(QStringLiteral("method")).toString();
        info.resourceType = params.value(QStringLiteral("resourceType")).toString();
        Q_EMIT resourceIntercepted(info);
    }
}

namespace {

// Past this many bytes a body is decoded on a worker thread.
constexpr qsizetype s_decodeAsideMinimum = 256 * 1024;

} // namespace

void WebPage::responseBody(const QString &requestId, std::function<void(std::optional<QByteArray>)> done)
{
    const QString session = m_sessionOfRequest.take(requestId);
    DevToolsConnection *browser = connection();
    if (!browser) {
        done(std::nullopt);
        return;
    }
    // The body comes as raw bytes beside the answer: a large one is never
    // taken through a JSON tree and a UTF-16 copy on the main thread.
    browser->sendWithBulk(QStringLiteral("Network.getResponseBody"), {{QStringLiteral("requestId"), requestId}},
                          session.isEmpty() ? m_session : session, QStringLiteral("body"),
                          [this, done](const DevToolsReply &reply) {
        if (!reply.isOk()) {
            done(std::nullopt);
            return;
        }
        const bool base64 = reply.result.value(QStringLiteral("base64Encoded")).toBool();
        if (reply.bulk.isEmpty()) {
            const QString body = reply.result.value(QStringLiteral("body")).toString();
            done(base64 ? QByteArray::fromBase64(body.toLatin1()) : body.toUtf8());
            return;
        }
        const auto decode = [base64](const QByteArray &text) {
            if (!base64)
                return DevToolsConnection::unescapedString(text);
            // Base64 has no characters JSON escapes but '/', which it may.
            return QByteArray::fromBase64(text.contains('\\') ? DevToolsConnection::unescapedString(text) : text);
        };
        if (reply.bulk.size() < s_decodeAsideMinimum) {
            done(decode(reply.bulk));
            return;
        }
        auto *watcher = new QFutureWatcher<QByteArray>(this);
        connect(watcher, &QFutureWatcher<QByteArray>::finished, this, [watcher, done] {
            watcher->deleteLater();
            done(watcher->result());
        });
        watcher->setFuture(QtConcurrent::run(decode, reply.bulk));
    }, this);
}

void WebPage::forgetRequestsBefore(const QString &loaderId)
{
    // A request the old document left unended (the browser's own request
    // for the site's icon, to a server that went) is never ended now.
    for (auto it = m_loaderOfRequest.begin(); it != m_loaderOfRequest.end();) {
        if (it.value() != loaderId || !m_sessionOfRequest.contains(it.key())) {
            m_sessionOfRequest.remove(it.key());
            it = m_loaderOfRequest.erase(it);
        } else {
            ++it;
        }
    }
}

void WebPage::forgetRequestsOf(const QString &sessionId)
{
    m_sessionOfRequest.removeIf([&sessionId](const auto &entry) { return entry.value() == sessionId; });
    m_sessionOfIntercept.removeIf([&sessionId](const auto &entry) { return entry.value() == sessionId; });
}

QString WebPage::urlPatternFor(const QUrl &url)
{
    QString pattern;
    for (const QChar c : url.toString(QUrl::FullyEncoded)) {
        if (c == QLatin1Char('*') || c == QLatin1Char('?') || c == QLatin1Char('\\'))
            pattern += QLatin1Char('\\');
        pattern += c;
    }
    return pattern;
}

QJsonArray WebPage::fetchPatterns() const
{
    QJsonArray patterns;
    if (m_holdLocalDocuments)
        patterns.append(WebFileAccess::documentPattern());
    for (const QString &pattern : m_interceptPatterns)
        patterns.append(QJsonObject{{QStringLiteral("urlPattern"), pattern}});
    return patterns;
}

void WebPage::renewFetch()
{
    // Held requests cost every request a detour: none are held when nothing need be.
    const QJsonArray patterns = fetchPatterns();
    // A session being set up gets them after what it was given.
    QStringList sessions(m_childSessions.begin(), m_childSessions.end());
    if (!m_session.isEmpty())
        sessions.prepend(m_session);
    for (const QString &session : std::as_const(sessions)) {
        if (patterns.isEmpty())
            sendToSession(session, QStringLiteral("Fetch.disable"));
        else
            sendToSession(session, QStringLiteral("Fetch.enable"), {{QStringLiteral("patterns"), patterns}});
    }
}

void WebPage::interceptRequests(const QStringList &urlPatterns)
{
    m_interceptPatterns = urlPatterns;
    renewFetch();
}

void WebPage::fulfillRequest(const QString &interceptId, const QByteArray &body, const QString &mimeType, int status)
{
    const QString session = m_sessionOfIntercept.take(interceptId);
    const QJsonArray headers{QJsonObject{{QStringLiteral("name"), QStringLiteral("Content-Type")}, {QStringLiteral("value"), mimeType}},
                             QJsonObject{{QStringLiteral("name"), QStringLiteral("Cache-Control")}, {QStringLiteral("value"), QStringLiteral("no-store")}}};
    sendToSession(session, QStringLiteral("Fetch.fulfillRequest"),
                  {{QStringLiteral("requestId"), interceptId}, {QStringLiteral("responseCode"), status},
                   {QStringLiteral("responseHeaders"), headers}, {QStringLiteral("body"), QString::fromLatin1(body.toBase64())}});
}

void WebPage::continueRequest(const QString &interceptId)
{
    sendToSession(m_sessionOfIntercept.take(interceptId), QStringLiteral("Fetch.continueRequest"),
                  {{QStringLiteral("requestId"), interceptId}});
}
