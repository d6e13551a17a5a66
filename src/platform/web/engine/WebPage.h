#pragma once

#include "WebDownloads.h"
#include "WebFileAccess.h"
#include "WebNetworkEvents.h"

#include <QElapsedTimer>
#include <QImage>
#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QSet>
#include <QTimer>
#include <QString>
#include <QUrl>
#include <QVariant>

#include <functional>
#include <optional>

class DevToolsConnection;
class WebBridge;
class WebPreferences;

// Where a screencast frame's page was when it was drawn: overlays drawn over
// the frame are placed with these, not with a later state.
struct WebFrameMetadata
{
    double scrollX = 0;
    double scrollY = 0;
    double pageScale = 1;
    double deviceWidth = 0;  // CSS pixels
    double deviceHeight = 0; // CSS pixels
    double offsetTop = 0;
};

// One entry of the page's history.
struct WebHistoryEntry
{
    int id = 0;
    QUrl url;
    QString title;
};

// The preview's page: one target (tab) of the browser, attached with a
// session of its own, with the preview bridge installed in every frame (the
// frames of other sites are targets of their own, attached automatically and
// held until their bridge is in). It carries the page's console lines,
// screencast frames, dialogs, history and network traffic as signals. When the
// browser is started again after a crash, the page is opened anew at its URL;
// when the page's renderer crashes, the page is reloaded, unless it died right
// after each of its last kCrashReloads reloads (crashLimitReached()). When the
// browser itself keeps dying at once, the page is left the same way; the next
// load() or reload() starts the browser again.
//
// Page dialogs and file choosers are asked with signals: the view answers
// them (answerDialog(), chooseFiles()).
class WebPage : public QObject
{
    Q_OBJECT

public:
    // Shared: the browser's default context (cookies shared with the other
    // pages); Own: a context of its own, as a second browser window has.
    enum class BrowserContext { Shared, Own };
    explicit WebPage(QObject *parent = nullptr, BrowserContext context = BrowserContext::Shared);
    ~WebPage() override;

    WebBridge &bridge() const { return *m_bridge; }
    WebPreferences &preferences() const { return *m_preferences; }

    // A load or reload asked for starts the count of crash reloads anew.
    void load(const QUrl &url);
    void reload();
    void stop();
    QUrl url() const { return m_url; }
    QString title() const { return m_title; }
    // The browser's id of the main frame; empty until the page is attached.
    QString mainFrameId() const { return m_targetId; }

    // Where a download of a zip archive (a navigation or link that turns
    // into a download) puts its file, under a name free there, once the user
    // said yes to downloadQuestion() (or at once, with Consent::Given);
    // other downloads are cancelled. Without one, the browser's own default holds.
    void setDownloadFolder(const QString &path, WebDownloads::Consent consent = WebDownloads::Consent::AskFirst);
    QString downloadFolder() const;
    // The answer to downloadQuestion(): take the download or cancel it.
    void answerDownload(const QString &guid, bool take);

    // The folders a page at an address may read local files from (its
    // project's), asked at each load the program makes; without it, the
    // folder of the page's own file. The program's resources are readable
    // too; any other local file the page asks for is refused (WebFileAccess).
    void setReadableFolders(std::function<QStringList(const QUrl &)> foldersOf) { m_foldersOf = std::move(foldersOf); }
    QStringList readableFolders() const { return m_fileAccess.folders(); }

    // History, as of the last navigation.
    const QList<WebHistoryEntry> &history() const { return m_history; }
    int currentHistoryIndex() const { return m_historyIndex; }
    bool canGoBack() const { return m_historyIndex > 0; }
    bool canGoForward() const { return m_historyIndex + 1 < m_history.size(); }
    // The entry that far from the current one in the history as it is now
    // (asked of the browser, so a navigation just begun counts); nullopt
    // when there is none.
    void historyEntry(int offset, std::function<void(std::optional<WebHistoryEntry>)> done);
    void navigateToHistoryEntry(int entryId);
    void back();
    void forward();

    // Runs a script in the main frame's own world (Page; nothing when the
    // page's JavaScript is off) or in the bridge's; done gets its result.
    enum class World { Page, Bridge };
    void runJavaScript(const QString &script, World world = World::Page,
                       std::function<void(const QVariant &)> done = {});

    // The page as a PNG image, the whole page or what the view shows.
    enum class Capture { Viewport, WholePage };
    void capture(Capture what, std::function<void(const QImage &)> done);

    // The view's size and the device pixel ratio of the screen.
    void setViewport(const QSize &size, double devicePixelRatio);
    // The page drawn that many times larger: the viewport (in CSS pixels) is
    // the view's size divided by it, each CSS pixel that many device pixels.
    void setZoomFactor(double factor);
    double zoomFactor() const { return m_zoomFactor; }
    // The viewport in CSS pixels.
    QSize viewportSize() const;

    // Input, in CSS pixels of the viewport (the Input domain's events).
    void sendInput(const QString &method, const QJsonObject &params);

    // Answers the dialog that dialogRequested() announced.
    void answerDialog(bool accept, const QString &promptText = {});
    // The page's dialogs are answered without asking until another document
    // is shown: an alert is accepted, a confirm and a prompt cancelled, a
    // question before leaving accepted.
    void stopDialogs();
    // Answers a file chooser of fileChooserRequested(); no files cancels.
    void chooseFiles(int backendNodeId, const QString &sessionId, const QStringList &files);

    // The body of a loaded resource (base64-decoded), from the browser's own
    // copy: nothing is fetched twice. done gets nullopt when it is gone.
    void responseBody(const QString &requestId, std::function<void(std::optional<QByteArray>)> done);
    // Requests whose session is still kept: those under way, held back, or
    // finished in a frame of its own with their body not asked yet.
    qsizetype requestsFollowed() const { return m_sessionOfRequest.size() + m_sessionOfIntercept.size(); }
    // Resources of these URL patterns ("*" wildcards) are held back before
    // they are sent (resourceIntercepted()), in every frame's session; an
    // empty list stops that.
    void interceptRequests(const QStringList &urlPatterns);
    // The pattern that matches this address alone (its wildcard characters
    // escaped).
    static QString urlPatternFor(const QUrl &url);
    // Answers a held request with these bytes, as if the server had sent them.
    void fulfillRequest(const QString &interceptId, const QByteArray &body, const QString &mimeType, int status = 200);
    // Lets a held request go on to the network.
    void continueRequest(const QString &interceptId);

    // The engine folder's access to the target.
    DevToolsConnection *connection() const;
    QString sessionId() const { return m_session; }
    // Attached, with the bridge and the hooks in place.
    bool isAttached() const { return m_ready; }
    // Sends on the page's own session (queued until it is attached).
    void send(const QString &method, const QJsonObject &params = {},
              std::function<void(const QJsonObject &result, const QString &error)> done = {});
    // The same, blocking: nullopt after timeoutMs or when the browser refuses.
    std::optional<QJsonObject> sendAndWait(const QString &sessionId, const QString &method, const QJsonObject &params,
                                           int timeoutMs);

    // The browser's DOM of a session must be asked for once before its node
    // ids mean anything; asking again makes the earlier ids void. done (or
    // the answer) tells whether the ids may be used.
    void requestDomDocument(const QString &sessionId, std::function<void(bool)> done);
    bool requestDomDocumentNow(const QString &sessionId, int timeoutMs);

    // A renderer that has not answered a question within this long does not
    // respond: the preview says so, and the next load ends it first.
    static constexpr int kAnswerMs = 2000;
    static constexpr int kAskEveryMs = 1000; // how often the shown page is asked
    bool isResponding() const { return m_responding; }
    // Ends the renderer of a page that does not respond (stoppedUnresponsive()).
    void stopUnresponsivePage();

    // A renderer that dies within this long of a reload after a crash died at
    // once; the page is reloaded that many times in a row, then left.
    static constexpr qint64 kQuickCrashMs = 5000;
    static constexpr int kCrashReloads = 3;

    static inline const QString s_bridgeWorld = QStringLiteral("quillmark");
    static inline const QString s_bindingName = QStringLiteral("quillmarkBridgePost");

Q_SIGNALS:
    // A line the page's scripts wrote with console.log (and its siblings);
    // level 0 information, 1 warning, 2 error.
    void consoleMessage(int level, const QString &message, int lineNumber, const QString &sourceId);
    void loadStarted();
    void loadFinished(bool ok);
    void urlChanged(const QUrl &url);
    void titleChanged(const QString &title);
    void historyChanged();
    // A new frame of the view; its device pixel ratio makes it as large as the view.
    void frameArrived(const QImage &image, const WebFrameMetadata &metadata);
    // alert, confirm, prompt or beforeunload; answer with answerDialog().
    // From the second dialog of a document on, the user is to be offered
    // stopDialogs() (offerToStop).
    void dialogRequested(const QString &type, const QString &message, const QString &defaultPrompt, bool offerToStop);
    // The dialog announced is answered or gone (a load dismissed it): whoever
    // shows it closes it.
    void dialogClosed();
    // A file input was clicked: answer with chooseFiles().
    void fileChooserRequested(bool multiple, int backendNodeId, const QString &sessionId);
    // The browser was started anew: the page opens again at its address
    // right after this (handlers may set up first what that load needs,
    // such as the requests to hold back).
    void renewed();
    // The page's renderer died (the browser lives on) and the page is
    // loaded again right after this, as after renewed(); not when it is
    // left instead (crashLimitReached()) or was ended as asked.
    void rendererCrashed();
    // The page's renderer stopped, or started again, answering within kAnswerMs.
    void respondingChanged(bool responding);
    // The page that did not respond was ended as asked; it is not loaded again.
    void stoppedUnresponsive();
    // The page's renderer died right after each of the last kCrashReloads
    // reloads and once more, or the browser kept dying right after its start:
    // the page is not loaded again until load() or reload() asks. The
    // message (logged already) says which, and what loads it again. The
    // page has no title then (titleChanged() says so first).
    void crashLimitReached(const QString &message);
    // The main frame's renderer is gone (crashed, ended, or its browser
    // left): what it drew is no picture of the page any more, and may be one
    // of the page before it.
    void rendererGone();
    // The frames of every session, by the browser's frame id: one was put
    // into its parent, began loading, or has loaded (or failed).
    void frameAttached(const QString &frameId, const QString &parentFrameId);
    void frameStartedLoading(const QString &frameId);
    void frameStoppedLoading(const QString &frameId);
    // load() could not go to the address (a navigation that became a
    // download is no failure): errorText is the browser's own
    // ("net::ERR_CONNECTION_REFUSED"), loaderId names that load.
    void navigationFailed(const QUrl &url, const QString &errorText, const QString &loaderId);
    // A download is complete in the download folder.
    void downloadFinished(const QString &path);
    // A download was cancelled, or could not be put in the download folder.
    void downloadRefused(const QUrl &url, const QString &reason);
    // Whether to take a download the page started: its name, size in bytes
    // (-1 when not known) and address. Answer with answerDownload().
    void downloadQuestion(const QString &guid, const QString &name, qint64 size, const QUrl &url);
    // The network traffic of every frame.
    void requestSent(const WebRequestInfo &request);
    void responseReceived(const WebResponseInfo &response);
    void responseExtraInfoReceived(const WebResponseExtraInfo &info);
    void requestFinished(const QString &requestId, qint64 encodedLength, double timestamp);
    void requestFailed(const QString &requestId, const QString &errorText, bool canceled);
    void resourceIntercepted(const WebInterceptedRequest &request);

private:
    void open();
    void attach(const QString &targetId);
    void navigate(const QUrl &url);
    void reloadShown();
    void goToHistoryEntry(int entryId);
    void mainTargetCrashed();
    void configureSession(const QString &sessionId, bool isMainTarget, std::function<void()> ready);
    void forgetRequestsBefore(const QString &loaderId);
    void forgetRequestsOf(const QString &sessionId);
    void handleEvent(const QString &sessionId, const QString &method, const QJsonObject &params, const QByteArray &bulk);
    void handleNetworkEvent(const QString &sessionId, const QString &method, const QJsonObject &params);
    void handleTargetEvent(const QString &method, const QJsonObject &params);
    void refreshHistory(std::function<void()> done = {});
    void startScreencast();
    void decodeFrame(const QByteArray &base64, const WebFrameMetadata &metadata);
    void applyViewport();
    void sendToSession(const QString &sessionId, const QString &method, const QJsonObject &params = {},
                       std::function<void(const QJsonObject &, const QString &)> done = {});
    void browserRestarted();
    void browserRestartsStopped(const QString &message);
    // Leaves the page: it has no title, and crashLimitReached() tells why.
    void giveUp(const QString &message);
    bool startBrowserAgain();
    void applyDownloadFolder();
    void cancelDownload(const QString &guid);
    void dialogOpening(const QString &sessionId, const QJsonObject &params);
    bool dismissDialogs();
    // Responding (WebPageResponding.cpp).
    bool showsDocument() const;
    // The open question is held up by the renderer, not by the browser.
    bool rendererIsSilent() const;
    void askIfResponding();
    // The open question ends: the page responds or not, and what waited
    // for the answer goes ahead.
    void endQuestion(bool responding);
    void setResponding(bool responding);
    void whenResponding(std::function<void()> then);
    void endRenderer(std::function<void()> then);
    void answerTimeOut(int question);
    void applyReadableFolders(const QUrl &url, std::function<void()> then);
    QJsonArray fetchPatterns() const;
    void renewFetch();
    bool refuseLocalDocument(const QString &sessionId, const QString &interceptId, const QUrl &url,
                             const QString &resourceType);
    void configureWorker(const QString &sessionId);

    WebBridge *m_bridge;                          // Owned (QObject child).
    std::unique_ptr<WebPreferences> m_preferences;
    BrowserContext m_contextKind;
    QString m_browserContextId;
    QString m_targetId;
    QString m_session;
    QSet<QString> m_childSessions; // frames of other sites
    QSet<QString> m_domRequested;  // sessions whose DOM node ids are valid
    QMap<QString, QString> m_sessionOfRequest; // network request id -> the session that saw it last
    QMap<QString, QString> m_loaderOfRequest;  // network request id -> the document's loader that made it
    QList<std::function<void()>> m_waitingForSession;
    QSet<int> m_bridgeContexts; // execution ids of the bridge's world in the main session
    QUrl m_url;
    QString m_title;
    QList<WebHistoryEntry> m_history;
    int m_historyIndex = -1;
    QSize m_viewport{800, 600};
    double m_devicePixelRatio = 1;
    QString m_dialogSession;
    QString m_dialogType;          // of the dialog open, empty when none is
    int m_dialogsOfDocument = 0;   // dialogs the shown document asked for
    bool m_dialogsStopped = false; // answered without asking until the next document
    bool m_leaving = false;        // a load or reload is asked: dialogs are dismissed
    int m_dialogsUnseen = 0;       // answered without asking since the renderer last answered
    bool m_ready = false;
    bool m_navigationPending = false; // load() asked, the browser has not answered yet
    quint64 m_navigations = 0;        // loads asked for: only the last one goes ahead
    int m_crashReloads = 0;           // reloads in a row after a crash, each died at once
    bool m_reloadStopped = false;     // left after the browser kept dying: not opened again by itself
    int m_renewals = 0;               // times the page was opened in a new browser
    QElapsedTimer m_sinceCrashReload;
    bool m_decoding = false;
    std::optional<std::pair<QByteArray, WebFrameMetadata>> m_waitingFrame;
    double m_zoomFactor = 1;
    WebDownloads *m_downloads; // Owned (QObject child).
    QStringList m_interceptPatterns;
    QTimer *m_respondingCheck;      // Owned (QObject child).
    QElapsedTimer m_questionAsked;  // the open question to the renderer, if valid
    int m_questions = 0;            // the number of the last question asked
    int m_folderQuestions = 0;      // the number of the last list of folders sent
    bool m_responding = true;
    bool m_rendererGone = false;    // crashed or ended, until the next document
    bool m_documentShown = false;   // the top frame holds a document (not about:blank)
    bool m_endingRenderer = false;  // a crash asked for, not to be reloaded
    bool m_endWaitRanOut = false;    // the crash asked for did not come within its wait
    bool m_loadedWhileEnding = false; // a load sent since, before the crash came
    std::function<void()> m_afterAnswer; // the load that waits for the renderer's answer
    WebFileAccess m_fileAccess;
    bool m_holdLocalDocuments = false; // the page is local: its frames' documents are checked
    std::function<QStringList(const QUrl &)> m_foldersOf;
    QSet<QString> m_workerSessions; // workers of the page's frames, and theirs
    QMap<QString, QString> m_sessionOfIntercept;
};
