#pragma once

#include <QObject>
#include <QSet>
#include <QString>

class DevToolsConnection;

// The targets the browser makes that no page of the program asked for:
// windows a page opens (they are never shown, and would read what the
// page's folders do not allow) are closed before they run; shared workers run
// with the local files of every page's folders and no others
// (WebFileAccess). The pages the program makes itself are let run. One per
// browser connection, made by the first page that opens there.
class WebNewTargets : public QObject
{
    Q_OBJECT

public:
    // Makes the browser hold every new page and shared worker until it is
    // seen here; done once per connection.
    static WebNewTargets &of(DevToolsConnection *browser);

    // The program is about to make a page of its own: the next new page that
    // no other page opened is let run.
    void expectOwnPage() { ++m_ownPagesExpected; }
    // The page could not be made after all.
    void ownPageFailed() { m_ownPagesExpected = qMax(0, m_ownPagesExpected - 1); }

private:
    explicit WebNewTargets(DevToolsConnection *browser);
    void handleEvent(const QString &sessionId, const QString &method, const QJsonObject &params);

    DevToolsConnection *m_browser; // Not owned (the parent).
    int m_ownPagesExpected = 0;
    QSet<QString> m_judged; // target ids
};
