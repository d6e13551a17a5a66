// WebPage: the local files a page may read (WebFileAccess), applied to the
// page's frames and workers.

#include "WebPage.h"

#include "platform/foundation/Log.h"

#include <QTimer>

void WebPage::applyReadableFolders(const QUrl &url, std::function<void()> then)
{
    // Only a local page can have local frames (a page from the network may
    // not load local files at all): only its documents are held back.
    if (url.isLocalFile() != m_holdLocalDocuments) {
        m_holdLocalDocuments = url.isLocalFile();
        renewFetch();
    }
    const QStringList folders = m_foldersOf ? m_foldersOf(url) : WebFileAccess::ownFolderOf(url);
    if (!m_fileAccess.setFolders(folders) || m_session.isEmpty()) {
        then();
        return;
    }
    // Sessions made from now on are given the folders as they are set up;
    // one being set up gets them after what it was given.
    const QJsonObject blocked = m_fileAccess.blockedUrls();
    for (const QString &session : std::as_const(m_childSessions))
        sendToSession(session, QStringLiteral("Network.setBlockedURLs"), blocked);
    for (const QString &session : std::as_const(m_workerSessions))
        sendToSession(session, QStringLiteral("Network.setBlockedURLs"), blocked);
    // The document the page goes to may start in a renderer of its own, which
    // the browser sets up with the list it holds once the page's renderer has
    // answered: until then the new page's files would be refused by the old
    // page's list. With no renderer, the list waits for the next one.
    if (m_rendererGone) {
        sendToSession(m_session, QStringLiteral("Network.setBlockedURLs"), blocked);
        then();
        return;
    }
    auto once = std::make_shared<std::function<void()>>(std::move(then));
    const int question = ++m_folderQuestions;
    sendToSession(m_session, QStringLiteral("Network.setBlockedURLs"), blocked, [once](const QJsonObject &, const QString &) {
        if (auto then = std::exchange(*once, {}))
            then();
    });
    // A renderer too busy to answer is ended, as one that does not respond.
    // One that shows no page runs no page's script: it is only slow (a
    // loaded machine), and ending it could lose the load that follows.
    if (!showsDocument())
        return;
    QTimer::singleShot(kAnswerMs, this, [this, once, question] {
        if (*once && question == m_folderQuestions)
            endRenderer(std::exchange(*once, {}));
    });
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
