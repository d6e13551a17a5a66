// WebPage: the local files a page may read (WebFileAccess), applied to the
// page's frames and workers.

#include "WebPage.h"

#include "platform/foundation/Log.h"

void WebPage::applyReadableFolders(const QUrl &url)
{
    // Only a local page can have local frames (a page from the network may
    // not load local files at all): only its documents are held back.
    if (url.isLocalFile() != m_holdLocalDocuments) {
        m_holdLocalDocuments = url.isLocalFile();
        renewFetch();
    }
    const QStringList folders = m_foldersOf ? m_foldersOf(url) : WebFileAccess::ownFolderOf(url);
    if (!m_fileAccess.setFolders(folders))
        return;
    // Sessions made from now on are given the folders as they are set up;
    // one being set up gets them after what it was given.
    const QJsonObject blocked = m_fileAccess.blockedUrls();
    QStringList sessions(m_childSessions.begin(), m_childSessions.end());
    sessions += QStringList(m_workerSessions.begin(), m_workerSessions.end());
    if (!m_session.isEmpty())
        sessions.prepend(m_session);
    for (const QString &session : std::as_const(sessions))
        sendToSession(session, QStringLiteral("Network.setBlockedURLs"), blocked);
}

bool WebPage::refuseLocalDocument(const QString &sessionId, const QString &interceptId, const QUrl &url,
                                  const QString &resourceType)
{
    if (!url.isLocalFile() || resourceType != QLatin1String("Document"))
        return false;
    if (m_fileAccess.allows(url)) {
        // A document the program serves itself goes on to its answerer.
        if (m_interceptPatterns.contains(urlPatternFor(url)))
            return false;
        sendToSession(sessionId, QStringLiteral("Fetch.continueRequest"), {{QStringLiteral("requestId"), interceptId}});
        return true;
    }
    QM_INFO(QStringLiteral("the page %1 may not open %2: it is outside the page's project")
                .arg(m_url.toString(), url.toString()));
    sendToSession(sessionId, QStringLiteral("Fetch.failRequest"),
                  {{QStringLiteral("requestId"), interceptId}, {QStringLiteral("errorReason"), QStringLiteral("BlockedByClient")}});
    return true;
}

void WebPage::configureWorker(const QString &sessionId)
{
    // A worker has no Fetch: the renderer's list of blocked addresses is all
    // that holds it. Its own workers wait to be set up the same way.
    m_workerSessions.insert(sessionId);
    sendToSession(sessionId, QStringLiteral("Network.enable"),
                  {{QStringLiteral("maxTotalBufferSize"), 1024}, {QStringLiteral("maxResourceBufferSize"), 1024}});
    sendToSession(sessionId, QStringLiteral("Network.setBlockedURLs"), m_fileAccess.blockedUrls());
    sendToSession(sessionId, QStringLiteral("Target.setAutoAttach"),
                  {{QStringLiteral("autoAttach"), true},
                   {QStringLiteral("waitForDebuggerOnStart"), true},
                   {QStringLiteral("flatten"), true}});
    sendToSession(sessionId, QStringLiteral("Runtime.runIfWaitingForDebugger"));
}
