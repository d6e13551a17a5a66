#pragma once

#include "LoopbackServer.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QUrl>
#include <QVariant>

class WebFrameMirror;
class WebView;

// A live page for tests: files written into a temporary folder, loaded into
// a real web view (offscreen), with waits for the mirror. One view per test
// executable (sharedView()) keeps the suite fast; a test may bring its own.
class WebTestFixture
{
public:
    explicit WebTestFixture(WebView &view);

    // A view that lives until the application ends; the preferences are reset
    // to JavaScript on before each use.
    static WebView &sharedView();

    WebView &view() const { return m_view; }
    QString folder() const { return m_dir.path(); }
    // Writes a file under the folder (sub-folders are made) and answers its path.
    QString writeFile(const QString &name, const QByteArray &content);
    QUrl urlOf(const QString &name) const;

    // Loads the page and waits until its document is mirrored.
    bool loadPage(const QString &name, int timeoutMs = 60000);
    bool loadUrl(const QUrl &url, int timeoutMs = 60000);
    // The mirror of the main frame once loaded.
    WebFrameMirror &mainFrame() const;

    enum class World { Page, Bridge };
    // Runs a script in the page's own world (needs JavaScript on) or in the
    // bridge's, and answers its result.
    QVariant evaluate(const QString &script, World world = World::Bridge, int timeoutMs = 30000);
    // Waits until the program's edits have reached the page and its answers are in.
    bool settle(int timeoutMs = 30000);

private:
    WebView &m_view;
    QTemporaryDir m_dir;
};

// Collects what is written to standard error (the log) while it lives.
class StandardErrorCapture
{
public:
    StandardErrorCapture();
    ~StandardErrorCapture();
    // What was written so far.
    QString text();

private:
    int m_savedFd = -1;
    QTemporaryFile *m_file = nullptr;
};

// A loopback HTTP server for pages served over http: GET of the files of a
// folder, with their MIME types; anything else answers 404. It listens on
// 127.0.0.1 only and stops when destroyed. The same server is a second site
// under the name "localhost" (urlOnHost()). A path may answer late, or never.
class LoopbackHttpServer : public LoopbackServer
{
    Q_OBJECT

public:
    explicit LoopbackHttpServer(const QString &folder, QObject *parent = nullptr);

    QUrl url(const QString &path) const;
    // The same path on the server under another host name ("localhost").
    QUrl urlOnHost(const QString &host, const QString &path) const;
    int requestCount() const { return m_requests; }
    // The paths asked for, in order.
    const QStringList &requestedPaths() const { return m_paths; }
    // The path answers delayMs after it was asked; a negative delay never answers.
    void setDelay(const QString &path, int delayMs) { m_delays.insert(path, delayMs); }
    // The path answers with this status line ("500 Internal Server Error"),
    // the file's bytes (or a short text when there is no file) and these
    // header lines besides the usual ones ("Set-Cookie: a=1").
    void setAnswer(const QString &path, const QByteArray &status, const QList<QByteArray> &headerLines = {});
    // The path is served as this type, whatever its name says.
    void setContentType(const QString &path, const QByteArray &type) { m_types.insert(path, type); }
    // The path's connection is closed without an answer.
    void setClosesWithoutAnswer(const QString &path) { m_unanswered.insert(path); }

private:
    void serveRequest(QTcpSocket *socket, const QByteArray &head) override;
    void answer(QTcpSocket *socket, const QByteArray &request);

    int m_requests = 0;
    QStringList m_paths;
    QHash<QString, int> m_delays;
    QHash<QString, std::pair<QByteArray, QList<QByteArray>>> m_answers;
    QHash<QString, QByteArray> m_types;
    QSet<QString> m_unanswered;
};
