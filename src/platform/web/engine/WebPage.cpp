#include "WebPage.h"

#include "ChromiumProcess.h"
#include "DevToolsConnection.h"
#include "FrameDecoder.h"
#include "WebBridge.h"
#include "WebDownloads.h"
#include "WebNewTargets.h"
#include "WebPreferences.h"

#include "platform/foundation/Log.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLoggingCategory>
#include <QPointer>
#include <QThreadPool>

#include <algorithm>
#include <cmath>

Q_LOGGING_CATEGORY(lcWebPage, "quillmark.web.page", QtWarningMsg)

namespace {

QString consoleText(const QJsonArray &arguments)
{
    QStringList parts;
    for (const QJsonValue &value : arguments) {
        const QJsonObject argument = value.toObject();
        const QJsonValue primitive = argument.value(QStringLiteral("value"));
        if (primitive.isString())
            parts.append(primitive.toString());
        else if (!primitive.isUndefined())
            parts.append(QString::fromUtf8(QJsonDocument(QJsonArray{primitive}).toJson(QJsonDocument::Compact)).mid(1).chopped(1));
        else
            parts.append(argument.value(QStringLiteral("description")).toString(argument.value(QStringLiteral("type")).toString()));
    }
    return parts.join(QLatin1Char(' '));
}

int consoleLevel(const QString &type)
{
    if (type == QLatin1String("warning"))
        return 1;
    if (type == QLatin1String("error") || type == QLatin1String("assert"))
        return 2;
    return 0;
}

// Whether the picture shows the viewport of its metadata at one scale across
// and down, a pixel off at most. Right after the viewport changes shape, the
// browser may send the page as drawn for the old viewport, fitted into the
// new size under the new size's metadata: stretched over the view, it would
// show the page where it is not.
bool hasViewportShape(const QImage &image, const WebFrameMetadata &metadata)
{
    const double width = metadata.deviceWidth;
    const double height = metadata.deviceHeight;
    if (width <= 0 || height <= 0)
        return true;
    return std::abs(image.width() * height - image.height() * width) <= std::max(width, height);
}

} // namespace

WebPage::WebPage(QObject *parent, BrowserContext context)
    : QObject(parent), m_bridge(new WebBridge(this, this)), m_contextKind(context), m_downloads(new WebDownloads(this))
{
    connect(m_downloads, &WebDownloads::finished, this, &WebPage::downloadFinished);
    connect(m_downloads, &WebDownloads::refused, this, &WebPage::downloadRefused);
    connect(m_downloads, &WebDownloads::questionAsked, this, &WebPage::downloadQuestion);
    m_preferences = std::make_unique<WebPreferences>([this] {
        const QJsonObject params{{QStringLiteral("value"), !m_preferences->isJavaScriptEnabled()}};
        if (isAttached())
            sendToSession(m_session, QStringLiteral("Emulation.setScriptExecutionDisabled"), params);
        for (const QString &child : std::as_const(m_childSessions))
            sendToSession(child, QStringLiteral("Emulation.setScriptExecutionDisabled"), params);
    });
    m_respondingCheck = new QTimer(this);
    connect(m_respondingCheck, &QTimer::timeout, this, &WebPage::askIfResponding);
    connect(&ChromiumProcess::instance(), &ChromiumProcess::restarted, this, &WebPage::browserRestarted);
    connect(&ChromiumProcess::instance(), &ChromiumProcess::restartsStopped, this, &WebPage::browserRestartsStopped);
    open();
}

WebPage::~WebPage()
{
    if (DevToolsConnection *browser = connection()) {
        if (!m_targetId.isEmpty())
            browser->send(QStringLiteral("Target.closeTarget"), {{QStringLiteral("targetId"), m_targetId}});
        if (!m_browserContextId.isEmpty()) {
            browser->send(QStringLiteral("Target.disposeBrowserContext"),
                          {{QStringLiteral("browserContextId"), m_browserContextId}});
        }
    }
}

DevToolsConnection *WebPage::connection() const
{
    return ChromiumProcess::instance().connection();
}

void WebPage::open()
{
    if (!ChromiumProcess::instance().start())
        return;
    DevToolsConnection *browser = connection();
    connect(browser, &DevToolsConnection::eventReceived, this, &WebPage::handleEvent, Qt::UniqueConnection);
    // Pictures and snapshots are read from the message's own bytes, never built as JSON strings.
    browser->setBulkField(QStringLiteral("Page.screencastFrame"), QStringLiteral("data"));
    browser->setBulkField(QStringLiteral("Runtime.bindingCalled"), QStringLiteral("payload"));
    // The nodes the browser sends along with a node asked for (every sibling
    // of its ancestors: tens of MB in a long list) are never read.
    browser->setBulkField(QStringLiteral("DOM.setChildNodes"), QStringLiteral("nodes"));
    const auto create = [this, browser] {
        WebNewTargets::of(browser).expectOwnPage();
        QJsonObject params{{QStringLiteral("url"), QStringLiteral("about:blank")},
                           // Each page is the front tab of a window of its own:
                           // only front tabs paint.
                           {QStringLiteral("newWindow"), true}};
        if (!m_browserContextId.isEmpty())
            params.insert(QStringLiteral("browserContextId"), m_browserContextId);
        browser->send(QStringLiteral("Target.createTarget"), params, {},
                      [page = QPointer<WebPage>(this), browser = QPointer<DevToolsConnection>(browser)](const DevToolsReply &reply) {
            if (!reply.isOk()) {
                if (browser)
                    WebNewTargets::of(browser).ownPageFailed();
                QM_ERROR(QStringLiteral("the preview's page could not be made: %1").arg(reply.error));
                return;
            }
            const QString targetId = reply.result.value(QStringLiteral("targetId")).toString();
            // A view closed meanwhile leaves no tab behind.
            if (!page) {
                if (browser)
                    browser->send(QStringLiteral("Target.closeTarget"), {{QStringLiteral("targetId"), targetId}});
                return;
            }
            page->attach(targetId);
        });
    };
    if (m_contextKind == BrowserContext::Own) {
        browser->send(QStringLiteral("Target.createBrowserContext"), {{QStringLiteral("disposeOnDetach"), true}}, {},
                      [this, create](const DevToolsReply &reply) {
                          m_browserContextId = reply.result.value(QStringLiteral("browserContextId")).toString();
                          create();
                      },
                      this);
    } else {
        create();
    }
}

void WebPage::attach(const QString &targetId)
{
    m_targetId = targetId;
    connection()->send(QStringLiteral("Target.attachToTarget"),
                       {{QStringLiteral("targetId"), targetId}, {QStringLiteral("flatten"), true}}, {},
                       [this](const DevToolsReply &reply) {
                           if (!reply.isOk()) {
                               QM_ERROR(QStringLiteral("the preview's page could not be attached: %1").arg(reply.error));
                               return;
                           }
                           m_session = reply.result.value(QStringLiteral("sessionId")).toString();
                           applyDownloadFolder();
                           configureSession(m_session, true, [this] {
                               m_ready = true;
                               m_respondingCheck->start(kAskEveryMs);
                               const auto waiting = std::exchange(m_waitingForSession, {});
                               for (const auto &run : waiting)
                                   run();
                           });
                       },
                       this);
}

void WebPage::configureSession(const QString &sessionId, bool isMainTarget, std::function<void()> ready)
{
    // The browser answers these in an order of its own: nothing is loaded or
    // resumed before every one of them is in place, or the first document
    // could come without its bridge.
    auto pending = std::make_shared<int>(0);
    const auto command = [this, sessionId, pending, ready](const QString &method, const QJsonObject &params = {}) {
        ++*pending;
        sendToSession(sessionId, method, params, [method, pending, ready](const QJsonObject &, const QString &error) {
            if (!error.isEmpty())
                qCWarning(lcWebPage) << method << "failed:" << error;
            if (--*pending == 0)
                ready();
        });
    };
    command(QStringLiteral("Page.enable"));
    command(QStringLiteral("Inspector.enable"));
    command(QStringLiteral("Runtime.enable"));
    // The browser keeps the bodies of what the page loaded for the preview's
    // resource list (documents, style sheets, scripts, images and fonts):
    // its buffers are raised so that a large page keeps them all.
    command(QStringLiteral("Network.enable"), {{QStringLiteral("maxTotalBufferSize"), 256 * 1024 * 1024},
                                               {QStringLiteral("maxResourceBufferSize"), 64 * 1024 * 1024}});
    // The preview shows the files as they are now, never a cached copy.
    command(QStringLiteral("Network.setCacheDisabled"), {{QStringLiteral("cacheDisabled"), true}});
    // Local files outside the page's folders are not loaded; the documents
    // of frames are held back below (refuseLocalDocument()).
    command(QStringLiteral("Network.setBlockedURLs"), m_fileAccess.blockedUrls());
    command(QStringLiteral("DOM.enable"));
    command(QStringLiteral("CSS.enable"));
    command(QStringLiteral("Runtime.addBinding"),
            {{QStringLiteral("name"), s_bindingName}, {QStringLiteral("executionContextName"), s_bridgeWorld}});
    command(QStringLiteral("Page.addScriptToEvaluateOnNewDocument"),
            {{QStringLiteral("source"), WebBridge::scriptSource()}, {QStringLiteral("worldName"), s_bridgeWorld}});
    command(QStringLiteral("Page.setInterceptFileChooserDialog"), {{QStringLiteral("enabled"), true}});
    command(QStringLiteral("Emulation.setScriptExecutionDisabled"),
            {{QStringLiteral("value"), !m_preferences->isJavaScriptEnabled()}});
    if (const QJsonArray patterns = fetchPatterns(); !patterns.isEmpty())
        command(QStringLiteral("Fetch.enable"), {{QStringLiteral("patterns"), patterns}});
    // Frames of other sites come as targets of their own, held until they are set up.
    command(QStringLiteral("Target.setAutoAttach"), {{QStringLiteral("autoAttach"), true},
                                                     {QStringLiteral("waitForDebuggerOnStart"), true},
                                                     {QStringLiteral("flatten"), true}});
    if (isMainTarget) {
        // In a headless browser, frames are drawn only for a focused front page.
        command(QStringLiteral("Emulation.setFocusEmulationEnabled"), {{QStringLiteral("enabled"), true}});
        command(QStringLiteral("Page.bringToFront"));
        applyViewport();
        startScreencast();
    }
}

void WebPage::sendToSession(const QString &sessionId, const QString &method, const QJsonObject &params,
                            std::function<void(const QJsonObject &, const QString &)> done)
{
    DevToolsConnection *browser = connection();
    if (!browser) {
        if (done)
            done({}, QStringLiteral("the browser is not running"));
        return;
    }
    DevToolsConnection::Callback callback;
    if (done)
        callback = [done](const DevToolsReply &reply) { done(reply.result, reply.error); };
    browser->send(method, params, sessionId, std::move(callback), this);
}

void WebPage::send(const QString &method, const QJsonObject &params,
                   std::function<void(const QJsonObject &, const QString &)> done)
{
    if (!isAttached()) {
        m_waitingForSession.append([this, method, params, done] { sendToSession(m_session, method, params, done); });
        return;
    }
    sendToSession(m_session, method, params, std::move(done));
}

std::optional<QJsonObject> WebPage::sendAndWait(const QString &sessionId, const QString &method,
                                                const QJsonObject &params, int timeoutMs)
{
    DevToolsConnection *browser = connection();
    if (!browser || sessionId.isEmpty())
        return std::nullopt;
    return browser->sendAndWait(method, params, sessionId, timeoutMs);
}

void WebPage::load(const QUrl &url)
{
    m_crashReloads = 0;
    m_sinceCrashReload.invalidate();
    m_reloadStopped = false;
    m_url = url;
    if (startBrowserAgain())
        return;
    // A reload meanwhile would load the page before it.
    m_navigationPending = true;
    const quint64 navigation = ++m_navigations;
    const auto go = [this, url, navigation] {
        if (navigation == m_navigations)
            navigate(url);
    };
    if (dismissDialogs())
        endRenderer(go);
    else
        whenResponding(go);
}

bool WebPage::startBrowserAgain()
{
    // A browser that had stopped being started again starts now: the page
    // opens anew and goes to its address (browserRestarted()).
    ChromiumProcess &browser = ChromiumProcess::instance();
    if (browser.isRunning())
        return false;
    const int renewals = m_renewals;
    browser.start();
    return m_renewals != renewals;
}

void WebPage::navigate(const QUrl &url)
{
    m_url = url;
    m_navigationPending = true;
    // Only the last load asked for goes ahead. The address the page reports
    // meanwhile is no later load: the browser's page about the failure of
    // the one before may come after this one was asked for.
    const quint64 navigation = ++m_navigations;
    const auto isLast = [this, navigation] { return navigation == m_navigations; };
    if (!isAttached()) {
        applyReadableFolders(url, [] {});
        m_waitingForSession.append([this, url, isLast] {
            if (isLast())
                navigate(url);
        });
        return;
    }
    Q_EMIT loadStarted();
    applyReadableFolders(url, [this, url, isLast] {
        if (!isLast())
            return;
        m_loadedWhileEnding = m_loadedWhileEnding || (m_endingRenderer && m_endWaitRanOut);
        sendToSession(m_session, QStringLiteral("Page.navigate"), {{QStringLiteral("url"), url.toString(QUrl::FullyEncoded)}},
                      [this, url, isLast](const QJsonObject &result, const QString &error) {
                          if (isLast())
                              m_navigationPending = false;
                          if (result.value(QStringLiteral("isDownload")).toBool()) {
                              // The page stays: its dialogs are shown again.
                              m_leaving = false;
                              QM_INFO(QStringLiteral("%1 is downloaded, not shown").arg(url.toString()));
                              return;
                          }
                          const QString failure = error.isEmpty() ? result.value(QStringLiteral("errorText")).toString() : error;
                          if (!failure.isEmpty()) {
                              m_leaving = false;
                              // The browser's page about the failure comes in
                              // place of the page shown; a load given up
                              // leaves that page.
                              if (failure != QLatin1String("net::ERR_ABORTED"))
                                  m_documentShown = false;
                              QM_INFO(QStringLiteral("the page %1 did not load: %2").arg(url.toString(), failure));
                              Q_EMIT navigationFailed(url, failure, result.value(QStringLiteral("loaderId")).toString());
                              Q_EMIT loadFinished(false);
                          }
                      });
    });
}

void WebPage::reload()
{
    m_crashReloads = 0;
    m_sinceCrashReload.invalidate();
    m_reloadStopped = false;
    if (startBrowserAgain() || m_navigationPending)
        return;
    if (dismissDialogs())
        endRenderer([this] { reloadShown(); });
    else
        whenResponding([this] { reloadShown(); });
}

void WebPage::reloadShown()
{
    // A load that has not begun yet, or that the browser has not answered,
    // reads everything anew anyway (nothing is cached); reloading would only
    // load the document before it.
    if (m_navigationPending)
        return;
    if (!isAttached()) {
        if (m_url.isValid())
            navigate(m_url);
        return;
    }
    Q_EMIT loadStarted();
    m_loadedWhileEnding = m_loadedWhileEnding || (m_endingRenderer && m_endWaitRanOut);
    sendToSession(m_session, QStringLiteral("Page.reload"), {{QStringLiteral("ignoreCache"), true}});
}

void WebPage::stop()
{
    if (isAttached())
        sendToSession(m_session, QStringLiteral("Page.stopLoading"));
}

void WebPage::navigateToHistoryEntry(int entryId)
{
    if (dismissDialogs())
        endRenderer([this, entryId] { goToHistoryEntry(entryId); });
    else
        whenResponding([this, entryId] { goToHistoryEntry(entryId); });
}

void WebPage::goToHistoryEntry(int entryId)
{
    QUrl url = m_url;
    for (const WebHistoryEntry &entry : std::as_const(m_history)) {
        if (entry.id == entryId)
            url = entry.url;
    }
    applyReadableFolders(url, [this, entryId] {
        sendToSession(m_session, QStringLiteral("Page.navigateToHistoryEntry"), {{QStringLiteral("entryId"), entryId}});
    });
}

void WebPage::historyEntry(int offset, std::function<void(std::optional<WebHistoryEntry>)> done)
{
    refreshHistory([this, offset, done] {
        const int index = m_historyIndex + offset;
        done(index >= 0 && index < m_history.size() ? std::optional(m_history.at(index)) : std::nullopt);
    });
}

void WebPage::back()
{
    historyEntry(-1, [this](std::optional<WebHistoryEntry> entry) {
        if (entry)
            navigateToHistoryEntry(entry->id);
    });
}

void WebPage::forward()
{
    historyEntry(1, [this](std::optional<WebHistoryEntry> entry) {
        if (entry)
            navigateToHistoryEntry(entry->id);
    });
}

void WebPage::refreshHistory(std::function<void()> done)
{
    sendToSession(m_session, QStringLiteral("Page.getNavigationHistory"), {},
                  [this, done](const QJsonObject &result, const QString &error) {
                      if (error.isEmpty()) {
                          m_history.clear();
                          for (const QJsonValue &value : result.value(QStringLiteral("entries")).toArray()) {
                              const QJsonObject entry = value.toObject();
                              m_history.append({entry.value(QStringLiteral("id")).toInt(),
                                                QUrl(entry.value(QStringLiteral("url")).toString()),
                                                entry.value(QStringLiteral("title")).toString()});
                          }
                          m_historyIndex = result.value(QStringLiteral("currentIndex")).toInt(-1);
                          Q_EMIT historyChanged();
                      }
                      if (done)
                          done();
                  });
}

void WebPage::runJavaScript(const QString &script, World world, std::function<void(const QVariant &)> done)
{
    QJsonObject params{{QStringLiteral("expression"), script}, {QStringLiteral("returnByValue"), true},
                       {QStringLiteral("awaitPromise"), true}};
    if (world == World::Bridge) {
        const int context = m_bridge->mainContextId();
        if (context == 0) {
            if (done)
                done({});
            return;
        }
        params.insert(QStringLiteral("contextId"), context);
    }
    send(QStringLiteral("Runtime.evaluate"), params, [done](const QJsonObject &result, const QString &error) {
        if (!done)
            return;
        if (!error.isEmpty() || result.contains(QStringLiteral("exceptionDetails"))) {
            done({});
            return;
        }
        done(result.value(QStringLiteral("result")).toObject().value(QStringLiteral("value")).toVariant());
    });
}

void WebPage::capture(Capture what, std::function<void(const QImage &)> done)
{
    send(QStringLiteral("Page.captureScreenshot"),
         {{QStringLiteral("format"), QStringLiteral("png")}, {QStringLiteral("captureBeyondViewport"), what == Capture::WholePage}},
         [done](const QJsonObject &result, const QString &error) {
             QImage image;
             if (error.isEmpty())
                 image.loadFromData(QByteArray::fromBase64(result.value(QStringLiteral("data")).toString().toLatin1()), "PNG");
             done(image);
         });
}

void WebPage::setViewport(const QSize &size, double devicePixelRatio)
{
    if (size == m_viewport && qFuzzyCompare(devicePixelRatio, m_devicePixelRatio))
        return;
    m_viewport = size;
    m_devicePixelRatio = devicePixelRatio;
    if (!m_session.isEmpty()) {
        applyViewport();
        startScreencast();
    }
}

void WebPage::setZoomFactor(double factor)
{
    if (factor <= 0 || qFuzzyCompare(factor, m_zoomFactor))
        return;
    m_zoomFactor = factor;
    if (!m_session.isEmpty())
        applyViewport();
}

QSize WebPage::viewportSize() const
{
    return QSize(qMax(1, qRound(m_viewport.width() / m_zoomFactor)), qMax(1, qRound(m_viewport.height() / m_zoomFactor)));
}

void WebPage::applyViewport()
{
    // The frames stay as large as the view: a larger page is fewer CSS
    // pixels drawn with more device pixels each.
    const QSize css = viewportSize();
    sendToSession(m_session, QStringLiteral("Emulation.setDeviceMetricsOverride"),
                  {{QStringLiteral("width"), css.width()},
                   {QStringLiteral("height"), css.height()},
                   {QStringLiteral("deviceScaleFactor"), m_devicePixelRatio * m_zoomFactor},
                   {QStringLiteral("mobile"), false}});
}

void WebPage::startScreencast()
{
    sendToSession(m_session, QStringLiteral("Page.stopScreencast"));
    sendToSession(m_session, QStringLiteral("Page.startScreencast"),
                  {{QStringLiteral("format"), QStringLiteral("png")},
                   {QStringLiteral("maxWidth"), qRound(m_viewport.width() * m_devicePixelRatio)},
                   {QStringLiteral("maxHeight"), qRound(m_viewport.height() * m_devicePixelRatio)},
                   {QStringLiteral("everyNthFrame"), 1}});
}

void WebPage::decodeFrame(const QByteArray &base64, const WebFrameMetadata &metadata)
{
    // Decoding a frame takes milliseconds: it is done on a worker thread, so
    // that the page's answers are not held up behind it. A frame that waits
    // for the worker is replaced by a newer one.
    if (m_decoding) {
        m_waitingFrame = {base64, metadata};
        return;
    }
    m_decoding = true;
    // The frame shows deviceWidth CSS pixels, each zoomFactor() points wide
    // in the view. The headless browser sends one pixel a CSS pixel whatever
    // the device scale factor, so the frame's pixels a point are taken from
    // its size: a ratio assumed from the screen would draw it too small on
    // a high-density screen or zoomed, off the page's own coordinates.
    const double shownWidth = metadata.deviceWidth * m_zoomFactor;
    const double fallbackRatio = m_devicePixelRatio;
    QPointer<WebPage> page(this);
    QThreadPool::globalInstance()->start([page, base64, metadata, shownWidth, fallbackRatio] {
        QImage image = FrameDecoder::decode(QByteArray::fromBase64(base64));
        image.setDevicePixelRatio(shownWidth > 0 && !image.isNull() ? image.width() / shownWidth : fallbackRatio);
        // Left out: the frames drawn for the new viewport are shown (#64).
        if (!image.isNull() && !hasViewportShape(image, metadata))
            image = QImage();
        QMetaObject::invokeMethod(QCoreApplication::instance(), [page, image, metadata] {
            if (!page)
                return;
            page->m_decoding = false;
            if (!image.isNull())
                Q_EMIT page->frameArrived(image, metadata);
            if (auto waiting = std::exchange(page->m_waitingFrame, std::nullopt))
                page->decodeFrame(waiting->first, waiting->second);
        }, Qt::QueuedConnection);
    });
}

void WebPage::sendInput(const QString &method, const QJsonObject &params)
{
    if (isAttached())
        sendToSession(m_session, method, params);
}

void WebPage::dialogOpening(const QString &sessionId, const QJsonObject &params)
{
    m_dialogSession = sessionId;
    const QString type = params.value(QStringLiteral("type")).toString();
    if (m_dialogsStopped || m_leaving) {
        // Nothing is shown: the page waits for no one.
        ++m_dialogsUnseen;
        answerDialog(type == QLatin1String("alert") || type == QLatin1String("beforeunload"));
        return;
    }
    m_dialogType = type;
    ++m_dialogsOfDocument;
    Q_EMIT dialogRequested(type, params.value(QStringLiteral("message")).toString(),
                           params.value(QStringLiteral("defaultPrompt")).toString(), m_dialogsOfDocument > 1);
}

void WebPage::stopDialogs()
{
    m_dialogsStopped = true;
}

bool WebPage::dismissDialogs()
{
    // Until the next document, what the page asks is dismissed unasked.
    m_leaving = true;
    // A page that asks (or was asking until it was stopped) may ask again at
    // once, for ever, and a renderer inside its script takes no new
    // document: it is ended, which answers what is open.
    const bool end = (!m_dialogType.isEmpty() || m_dialogsStopped) && showsDocument();
    if (!m_dialogType.isEmpty()) {
        if (end)
            m_dialogType.clear();
        else
            answerDialog(m_dialogType == QLatin1String("alert") || m_dialogType == QLatin1String("beforeunload"));
        Q_EMIT dialogClosed();
    }
    return end;
}

void WebPage::answerDialog(bool accept, const QString &promptText)
{
    // The time a dialog was shown is no time the renderer failed to answer.
    if (!std::exchange(m_dialogType, {}).isEmpty() && m_questionAsked.isValid())
        m_questionAsked.restart();
    QJsonObject params{{QStringLiteral("accept"), accept}};
    if (!promptText.isNull())
        params.insert(QStringLiteral("promptText"), promptText);
    sendToSession(m_dialogSession.isEmpty() ? m_session : m_dialogSession, QStringLiteral("Page.handleJavaScriptDialog"),
                  params);
}

void WebPage::chooseFiles(int backendNodeId, const QString &sessionId, const QStringList &files)
{
    // An empty list leaves the input as it was, as a cancelled dialog does.
    sendToSession(sessionId, QStringLiteral("DOM.setFileInputFiles"),
                  {{QStringLiteral("files"), QJsonArray::fromStringList(files)}, {QStringLiteral("backendNodeId"), backendNodeId}});
}

void WebPage::requestDomDocument(const QString &sessionId, std::function<void(bool)> done)
{
    if (m_domRequested.contains(sessionId)) {
        done(true);
        return;
    }
    sendToSession(sessionId, QStringLiteral("DOM.getDocument"), {{QStringLiteral("depth"), 0}},
                  [this, sessionId, done](const QJsonObject &, const QString &error) {
                      if (error.isEmpty())
                          m_domRequested.insert(sessionId);
                      done(error.isEmpty());
                  });
}

bool WebPage::requestDomDocumentNow(const QString &sessionId, int timeoutMs)
{
    if (!m_domRequested.contains(sessionId)
        && sendAndWait(sessionId, QStringLiteral("DOM.getDocument"), {{QStringLiteral("depth"), 0}}, timeoutMs))
        m_domRequested.insert(sessionId);
    return m_domRequested.contains(sessionId);
}

void WebPage::browserRestarted()
{
    m_domRequested.clear();
    m_session.clear();
    m_ready = false;
    m_targetId.clear();
    m_browserContextId.clear();
    m_childSessions.clear();
    m_workerSessions.clear();
    m_sessionOfRequest.clear();
    m_loaderOfRequest.clear();
    m_sessionOfIntercept.clear();
    m_bridge->browserRestarted();
    m_rendererGone = false;
    m_documentShown = false;
    m_endingRenderer = false;
    m_endWaitRanOut = false;
    m_loadedWhileEnding = false;
    m_afterAnswer = {};
    m_questionAsked.invalidate();
    setResponding(true);
    ++m_renewals;
    open();
    // Before the page is loaded again: what it is given (the requests held
    // back) is set up first.
    Q_EMIT renewed();
    // A page left after the browser kept dying waits for load() or reload().
    if (m_url.isValid() && !m_reloadStopped) {
        m_crashReloads = 0;
        m_sinceCrashReload.invalidate();
        navigate(m_url);
    }
}

void WebPage::browserRestartsStopped(const QString &message)
{
    m_reloadStopped = true;
    m_navigationPending = false;
    Q_EMIT rendererGone();
    giveUp(message);
}

void WebPage::giveUp(const QString &message)
{
    // Nothing of the page before stays as if it were this one's (#80).
    if (!m_title.isEmpty()) {
        m_title.clear();
        Q_EMIT titleChanged(m_title);
    }
    Q_EMIT crashLimitReached(message);
}

void WebPage::setDownloadFolder(const QString &path, WebDownloads::Consent consent)
{
    m_downloads->setDestination(path, consent);
    if (!m_session.isEmpty())
        applyDownloadFolder();
}

QString WebPage::downloadFolder() const
{
    return m_downloads->destination();
}

void WebPage::answerDownload(const QString &guid, bool take)
{
    if (m_downloads->answer(guid, take))
        cancelDownload(guid);
}

void WebPage::cancelDownload(const QString &guid)
{
    if (!connection())
        return;
    QJsonObject cancel{{QStringLiteral("guid"), guid}};
    if (!m_browserContextId.isEmpty())
        cancel.insert(QStringLiteral("browserContextId"), m_browserContextId);
    connection()->send(QStringLiteral("Browser.cancelDownload"), cancel);
}

void WebPage::applyDownloadFolder()
{
    DevToolsConnection *browser = connection();
    if (!browser)
        return;
    if (m_downloads->destination().isEmpty())
        return;
    // Each download is written under its guid in a folder of the program's
    // own: the browser never chooses a name, and never writes over a file.
    QJsonObject params{{QStringLiteral("behavior"), QStringLiteral("allowAndName")},
                       {QStringLiteral("eventsEnabled"), true},
                       {QStringLiteral("downloadPath"), WebDownloads::stagingFolder()}};
    if (!m_browserContextId.isEmpty())
        params.insert(QStringLiteral("browserContextId"), m_browserContextId);
    browser->send(QStringLiteral("Browser.setDownloadBehavior"), params);
}

void WebPage::handleEvent(const QString &sessionId, const QString &method, const QJsonObject &params,
                          const QByteArray &bulk)
{
    if (sessionId.isEmpty() && method == QLatin1String("Browser.downloadProgress")) {
        // The browser tells every page of its downloads: this page takes its own.
        m_downloads->downloadProgress(params.value(QStringLiteral("guid")).toString(),
                                      params.value(QStringLiteral("state")).toString(),
                                      params.value(QStringLiteral("filePath")).toString(),
                                      qint64(params.value(QStringLiteral("totalBytes")).toDouble()),
                                      qint64(params.value(QStringLiteral("receivedBytes")).toDouble()));
        return;
    }
    const bool main = sessionId == m_session && !m_session.isEmpty();
    if (!main && !m_childSessions.contains(sessionId)) {
        // A worker's script, asked for by the page, ends in the worker's session.
        if (method == QLatin1String("Network.loadingFinished") || method == QLatin1String("Network.loadingFailed")) {
            const auto asked = m_sessionOfRequest.constFind(params.value(QStringLiteral("requestId")).toString());
            if (asked != m_sessionOfRequest.cend())
                handleNetworkEvent(*asked, method, params);
            return;
        }
        // Workers started by workers are held as theirs are.
        if (m_workerSessions.contains(sessionId) && method.startsWith(QLatin1String("Target.")))
            handleTargetEvent(method, params);
        return;
    }
    if (method.startsWith(QLatin1String("Network.")) || method.startsWith(QLatin1String("Fetch."))) {
        handleNetworkEvent(sessionId, method, params);
        return;
    }
    if (method == QLatin1String("Runtime.bindingCalled")) {
        if (params.value(QStringLiteral("name")).toString() == s_bindingName)
            m_bridge->receive(sessionId, params.value(QStringLiteral("executionContextId")).toInt(),
                              bulk.isEmpty() ? params.value(QStringLiteral("payload")).toString().toUtf8()
                                             : DevToolsConnection::unescapedString(bulk));
    } else if (method == QLatin1String("Page.screencastFrame")) {
        sendToSession(sessionId, QStringLiteral("Page.screencastFrameAck"),
                      {{QStringLiteral("sessionId"), params.value(QStringLiteral("sessionId"))}});
        const QJsonObject data = params.value(QStringLiteral("metadata")).toObject();
        WebFrameMetadata metadata;
        metadata.scrollX = data.value(QStringLiteral("scrollOffsetX")).toDouble();
        metadata.scrollY = data.value(QStringLiteral("scrollOffsetY")).toDouble();
        metadata.pageScale = data.value(QStringLiteral("pageScaleFactor")).toDouble(1);
        metadata.deviceWidth = data.value(QStringLiteral("deviceWidth")).toDouble();
        metadata.deviceHeight = data.value(QStringLiteral("deviceHeight")).toDouble();
        metadata.offsetTop = data.value(QStringLiteral("offsetTop")).toDouble();
        decodeFrame(bulk.isEmpty() ? params.value(QStringLiteral("data")).toString().toLatin1() : bulk, metadata);
    } else if (method == QLatin1String("Runtime.executionContextCreated")) {
        const QJsonObject context = params.value(QStringLiteral("context")).toObject();
        if (context.value(QStringLiteral("name")).toString() == s_bridgeWorld) {
            m_bridge->contextCreated(sessionId, context.value(QStringLiteral("id")).toInt(),
                                     context.value(QStringLiteral("auxData")).toObject().value(QStringLiteral("frameId")).toString());
        }
    } else if (method == QLatin1String("Runtime.executionContextDestroyed")) {
        m_bridge->contextDestroyed(sessionId, params.value(QStringLiteral("executionContextId")).toInt());
    } else if (method == QLatin1String("Runtime.executionContextsCleared")) {
        m_bridge->contextsCleared(sessionId);
    } else if (method == QLatin1String("Runtime.consoleAPICalled")) {
        const int context = params.value(QStringLiteral("executionContextId")).toInt();
        const QString text = consoleText(params.value(QStringLiteral("args")).toArray());
        const QJsonObject top = params.value(QStringLiteral("stackTrace")).toObject().value(QStringLiteral("callFrames")).toArray().first().toObject();
        if (m_bridge->isBridgeContext(sessionId, context)) {
            QM_ERROR(QStringLiteral("preview bridge script: %1").arg(text));
            return;
        }
        Q_EMIT consoleMessage(consoleLevel(params.value(QStringLiteral("type")).toString()), text,
                              top.value(QStringLiteral("lineNumber")).toInt() + 1, top.value(QStringLiteral("url")).toString());
    } else if (method == QLatin1String("Runtime.exceptionThrown")) {
        const QJsonObject details = params.value(QStringLiteral("exceptionDetails")).toObject();
        const QString text = details.value(QStringLiteral("exception")).toObject().value(QStringLiteral("description")).toString(
            details.value(QStringLiteral("text")).toString());
        if (m_bridge->isBridgeContext(sessionId, details.value(QStringLiteral("executionContextId")).toInt())) {
            QM_ERROR(QStringLiteral("preview bridge script: %1 (line %2)").arg(text).arg(details.value(QStringLiteral("lineNumber")).toInt() + 1));
            return;
        }
        Q_EMIT consoleMessage(2, text, details.value(QStringLiteral("lineNumber")).toInt() + 1,
                              details.value(QStringLiteral("url")).toString());
    } else if (method == QLatin1String("DOM.documentUpdated")) {
        // Every node id of the session is void now.
        m_domRequested.remove(sessionId);
        m_bridge->domDocumentUpdated(sessionId);
    } else if (method == QLatin1String("Page.frameAttached")) {
        const QString frame = params.value(QStringLiteral("frameId")).toString();
        const QString parent = params.value(QStringLiteral("parentFrameId")).toString();
        m_bridge->frameAttached(frame, parent);
        Q_EMIT frameAttached(frame, parent);
    } else if (method == QLatin1String("Page.frameStartedLoading")) {
        Q_EMIT frameStartedLoading(params.value(QStringLiteral("frameId")).toString());
    } else if (method == QLatin1String("Page.frameStoppedLoading")) {
        Q_EMIT frameStoppedLoading(params.value(QStringLiteral("frameId")).toString());
    } else if (method == QLatin1String("Page.downloadWillBegin")) {
        const QString guid = params.value(QStringLiteral("guid")).toString();
        const bool refused = m_downloads->downloadWillBegin(guid, QUrl(params.value(QStringLiteral("url")).toString()),
                                                            params.value(QStringLiteral("suggestedFilename")).toString());
        if (refused)
            cancelDownload(guid);
    } else if (method == QLatin1String("Page.frameNavigated") || method == QLatin1String("Page.navigatedWithinDocument")) {
        const QJsonObject frame = params.value(QStringLiteral("frame")).toObject();
        const bool top = main && (method == QLatin1String("Page.navigatedWithinDocument")
                                      ? params.value(QStringLiteral("frameId")).toString() == m_targetId
                                      : !frame.contains(QStringLiteral("parentId")));
        if (!top)
            return;
        const QUrl url(method == QLatin1String("Page.navigatedWithinDocument")
                           ? params.value(QStringLiteral("url")).toString()
                           : frame.value(QStringLiteral("url")).toString() + frame.value(QStringLiteral("urlFragment")).toString());
        // The load asked for has come: the page's dialogs are shown again.
        m_leaving = false;
        if (method == QLatin1String("Page.frameNavigated")) {
            // A new document: its dialogs are its own.
            m_dialogsStopped = false;
            m_dialogsOfDocument = 0;
            m_dialogsUnseen = 0;
            m_rendererGone = false;
            // Neither a blank tab nor the browser's page about a failed
            // load runs a page's script (that page answers no question).
            m_documentShown = url != QUrl(QStringLiteral("about:blank")) && url.scheme() != QLatin1String("chrome-error");
            forgetRequestsBefore(frame.value(QStringLiteral("loaderId")).toString());
        }
        if (url != m_url && !(url == QUrl(QStringLiteral("about:blank")) && m_url.isValid())) {
            m_url = url;
            Q_EMIT urlChanged(url);
        }
        refreshHistory();
    } else if (method == QLatin1String("Page.loadEventFired")) {
        if (main) {
            // The entry of a new document may be completed only now.
            refreshHistory();
            runJavaScript(QStringLiteral("document.title"), World::Page, [this](const QVariant &title) {
                if (title.toString() != m_title) {
                    m_title = title.toString();
                    Q_EMIT titleChanged(m_title);
                }
            });
            Q_EMIT loadFinished(true);
        }
    } else if (method == QLatin1String("Page.javascriptDialogOpening")) {
        dialogOpening(sessionId, params);
    } else if (method == QLatin1String("Page.javascriptDialogClosed")) {
        if (!m_dialogType.isEmpty()) {
            m_dialogType.clear();
            Q_EMIT dialogClosed();
        }
    } else if (method == QLatin1String("Page.fileChooserOpened")) {
        Q_EMIT fileChooserRequested(params.value(QStringLiteral("mode")).toString() == QLatin1String("selectMultiple"),
                                    params.value(QStringLiteral("backendNodeId")).toInt(), sessionId);
    } else if (method.startsWith(QLatin1String("Target."))) {
        handleTargetEvent(method, params);
    } else if (method == QLatin1String("Inspector.targetCrashed")) {
        m_bridge->sessionDetached(sessionId);
        if (main)
            mainTargetCrashed();
        else
            QM_ERROR(QStringLiteral("a frame of the preview's page %1 crashed").arg(m_url.toString()));
    }
}

void WebPage::mainTargetCrashed()
{
    m_rendererGone = true;
    Q_EMIT rendererGone();
    // A renderer ended because it did not respond is not loaded again. A
    // load asked for after the end's wait ran out but before the end came
    // (a loaded machine) went to the renderer gone now: it goes again (#80).
    if (std::exchange(m_endingRenderer, false)) {
        if (std::exchange(m_loadedWhileEnding, false) && m_url.isValid()) {
            m_navigationPending = false;
            navigate(m_url);
        }
        return;
    }
    // A page that kills its renderer as it loads would be reloaded for ever.
    if (!m_sinceCrashReload.isValid() || m_sinceCrashReload.elapsed() >= kQuickCrashMs)
        m_crashReloads = 0;
    if (m_crashReloads >= kCrashReloads) {
        m_sinceCrashReload.invalidate();
        const QString message = QStringLiteral("This page stops the preview's browser each time it is loaded, so it is "
                                               "not loaded again. Reload (Ctrl+R) loads it again.");
        QM_ERROR(QStringLiteral("%1: %2").arg(m_url.toString(), message));
        giveUp(message);
        return;
    }
    QM_ERROR(QStringLiteral("the preview's page %1 crashed; it is loaded again").arg(m_url.toString()));
    ++m_crashReloads;
    Q_EMIT rendererCrashed();
    reloadShown();
    m_sinceCrashReload.start();
}

void WebPage::handleTargetEvent(const QString &method, const QJsonObject &params)
{
    if (method == QLatin1String("Target.attachedToTarget")) {
        const QString child = params.value(QStringLiteral("sessionId")).toString();
        const QString type = params.value(QStringLiteral("targetInfo")).toObject().value(QStringLiteral("type")).toString();
        if (type != QLatin1String("iframe")) {
            // Workers and the like read only what the page may.
            configureWorker(child);
            return;
        }
        m_childSessions.insert(child);
        configureSession(child, false, [this, child] { sendToSession(child, QStringLiteral("Runtime.runIfWaitingForDebugger")); });
    } else if (method == QLatin1String("Target.detachedFromTarget")) {
        const QString child = params.value(QStringLiteral("sessionId")).toString();
        m_domRequested.remove(child);
        m_workerSessions.remove(child);
        forgetRequestsOf(child);
        if (m_childSessions.remove(child))
            m_bridge->sessionDetached(child);
    }
}
