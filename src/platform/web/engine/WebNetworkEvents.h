#pragma once

#include <QList>
#include <QString>
#include <QUrl>

#include <utility>

// What the page's frames load, as the browser reports it (times in seconds
// of the browser's monotonic clock).
using WebHeaders = QList<std::pair<QString, QString>>;

struct WebRequestInfo
{
    QString requestId;
    QString frameId;      // the browser's id of the frame that asked
    QString loaderId;     // the document load it belongs to
    QUrl url;
    QString method;
    QString resourceType; // Document, Stylesheet, Image, Script, Font, ...
    QString initiatorType; // parser, script, other (the browser's own, an icon's), ...
    WebHeaders headers;
    double timestamp = 0;
    bool isRedirect = false; // the same request again, sent on after a redirect
};

struct WebResponseInfo
{
    QString requestId;
    QString frameId;
    QUrl url;
    int status = 0;
    QString statusText;
    QString mimeType;
    QString resourceType;
    WebHeaders headers;
    bool fromDiskCache = false;
    double timestamp = 0;
};

// The headers of a response as the server sent them (Set-Cookie among them,
// one entry per line of a repeated header), reported apart from the response
// and before or after it.
struct WebResponseExtraInfo
{
    QString requestId;
    int status = 0;
    WebHeaders headers;
};

// A request held back before it was sent (WebPage::interceptRequests()).
struct WebInterceptedRequest
{
    QString interceptId;
    QString frameId;
    QUrl url;
    QString method;
    QString resourceType;
};
