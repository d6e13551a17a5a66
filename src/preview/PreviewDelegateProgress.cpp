// PreviewDelegate: following a load. Every frame's start and end, reported
// by each frame's session and placed by the browser's frame id, counts in
// frameCount and frameCompleteCount; only the requests of the main frame's
// document load are numbered and counted. Each count shows in the progress
// box and in "%d / %d Files"; when every counted request and frame is done
// the page is complete and its DOM tree is built. A load that counts nothing
// for the time-out is marked late and its bar finished.

#include "PreviewDelegate.h"

#include "BackgroundView.h"
#include "ExWebView.h"

#include "interfaces/AnimationManagerInterface.h"
#include "interfaces/CSSOutlineDelegateInterface.h"
#include "interfaces/PreviewDomTreeInterface.h"
#include "interfaces/ProjectDelegateInterface.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/engine/WebFrameMirror.h"
#include "platform/web/engine/WebPage.h"
#include "toolkit/ProgressiveBox.h"
#include "toolkit/SearchFieldEx.h"
#include "workspace/File.h"
#include "workspace/StyleSheetAddress.h"

#include <QFileInfo>
#include <QLabel>

namespace {

// A readable form of the browser's error ("net::ERR_CONNECTION_REFUSED" is
// "connection refused").
QString readableError(const QString &errorText)
{
    QString text = errorText;
    text.remove(QLatin1String("net::ERR_"));
    return text.replace(QLatin1Char('_'), QLatin1Char(' ')).toLower();
}

bool isLateKind(const WebResponseInfo &response)
{
    static const QStringList extensions{QStringLiteral("jpg"),  QStringLiteral("jpeg"),     QStringLiteral("gif"),
                                        QStringLiteral("png"),  QStringLiteral("svg"),      QStringLiteral("woff"),
                                        QStringLiteral("eot"),  QStringLiteral("opentype"), QStringLiteral("truetype"),
                                        QStringLiteral("otf")};
    return response.mimeType.startsWith(QLatin1String("image"))
        || extensions.contains(QFileInfo(response.url.path()).suffix());
}

} // namespace

// --- Frames ------------------------------------------------------------------------------------

void PreviewDelegate::frameStartedLoading(const QString &frameId)
{
    // A frame reported by two sessions (one of another site, before and
    // after it moved into a process of its own) counts once. The main
    // frame's page begins with its document's request (mainFrameStarted()):
    // the browser also says the main frame started loading for the page it
    // shows about a failed load, interleaved with the next load.
    const bool main = m_webview && frameId == m_webview->webPage()->mainFrameId();
    if (m_loadingFrames.contains(frameId))
        return;
    m_loadingFrames.insert(frameId);
    // The main frame counts once its page began; loading again without a
    // document of its own (a navigation given up, a download) counts anew.
    if (!main || m_mainFrameCounted)
        ++m_frameCount;
    if (m_webview)
        m_webview->appendWebFrame(frameId);
}

void PreviewDelegate::mainFrameStarted()
{
    m_documentBeforeLoad = m_webview->mainFrame().sharedDocument();
    m_mainLoaderId.clear();
    m_countedRequests.clear();
    m_loadingFrames.clear();
    m_resourceCount = 0;
    m_resourceCompletedCount = 0;
    m_resourceFailedCount = 0;
    m_frameCount = 1;
    m_mainFrameCounted = true;
    m_frameCompleteCount = 0;
    m_loadedBytes = 0;
    m_lateResourceLoaded = false;
    m_loadFailed = false;
    m_pageKept = false;
    m_completed = false;
    m_resourceTreeTimer.stop();
    m_loadingTimeoutTimer.stop();
    m_webview->setWebFrames({});
    if (m_progressiveBox)
        m_progressiveBox->initBar();
    clearDomNodeMap();
    m_styleFilesBeforeLoad = std::exchange(m_styleFiles, {});
    dropDocument(QStringLiteral("The page is loading"));
    setStatus(QStringLiteral("Loading"));
}

void PreviewDelegate::frameStoppedLoading(const QString &frameId)
{
    if (!m_loadingFrames.remove(frameId))
        return;
    ++m_frameCompleteCount;
    updateUserInterface();
    if (!m_webview || frameId != m_webview->webPage()->mainFrameId())
        return;
    if (m_webview->detectState() == ExWebViewInterface::HoverDetect)
        m_webview->setDetectState(ExWebViewInterface::ElementLocked);
    updateDetectButtonState();
    resetFileChangeReason(resourceRoots());
    if (m_projectDelegate)
        m_projectDelegate->checkOutOfSynchronization();
}

// --- Requests ----------------------------------------------------------------------------------

void PreviewDelegate::requestSent(const WebRequestInfo &request)
{
    // Only the main frame's requests are numbered; a redirect is the same request.
    if (!m_webview || request.frameId != m_webview->webPage()->mainFrameId() || request.isRedirect)
        return;
    if (request.resourceType == QLatin1String("Document") && request.loaderId != m_mainLoaderId) {
        // A new page: its document's request is its first.
        mainFrameStarted();
        m_loadingFrames.insert(request.frameId);
        m_webview->appendWebFrame(request.frameId);
        m_mainLoaderId = request.loaderId;
        mainFrameRequested(request.url);
        if (m_mainLoaderId.isEmpty())
            return; // Replaced by another address.
    }
    // What the document before this one still asks for is not this page's.
    if (request.loaderId != m_mainLoaderId)
        return;
    CountedRequest counted;
    counted.url = request.url;
    counted.resourceType = request.resourceType;
    // An icon is not counted: the browser asks for the page's icons itself
    // (of any type, and not on every load), as requests of no kind that
    // nothing in the page started.
    const QString address = QUrl::fromPercentEncoding(request.url.toString(QUrl::FullyEncoded).toUtf8());
    const bool browsersOwn =
        request.resourceType == QLatin1String("Other") && request.initiatorType == QLatin1String("other");
    if (address.toLower().contains(QLatin1String(".ico")) || browsersOwn) {
        counted.identifier = m_resourceCount + 1;
        counted.icon = true;
    } else {
        counted.identifier = ++m_resourceCount;
    }
    m_countedRequests.insert(request.requestId, counted);
}

QUrl PreviewDelegate::folderIndexURL(const QUrl &url, File *file)
{
    const QString path = url.toLocalFile();
    if (!url.isLocalFile() || !QFileInfo(path).suffix().isEmpty() || (file && !QFileInfo(path).isDir()))
        return url;
    QUrl index = url;
    index.setPath(url.path().endsWith(QLatin1Char('/')) ? url.path() + QStringLiteral("index.html")
                                                          : url.path() + QStringLiteral("/index.html"));
    return index;
}

void PreviewDelegate::mainFrameRequested(const QUrl &url)
{
    const QString address = url.toString(QUrl::FullyEncoded);
    QM_DEBUG(QStringLiteral("open URL:%1").arg(address));
    if (address == m_lastMainFrameURL) {
        QM_DEBUG(QStringLiteral("reload"));
    } else {
        QM_DEBUG(QStringLiteral("url changed"));
        File *file = url.isLocalFile() ? projectFileOf(url.toLocalFile()) : nullptr;
        // A folder shows its index.html.
        const QUrl index = folderIndexURL(url, file);
        if (index != url) {
            m_mainLoaderId.clear();
            m_webview->setMainFrameURL(index.toString(QUrl::FullyEncoded));
            return;
        }
        if (file) {
            setLastPreviewedFile(file);
            syncronizFinderViewWitURL(url);
        }
    }
    if (m_selectedURLPath) {
        // A reload's address, the same again, leaves the field as it is:
        // showing the address from its start (#79).
        m_selectedURLPath->setStringValue(url.toString());
        m_selectedURLPath->addHistory(url.toString());
    }
    m_lastMainFrameURL = address;
}

void PreviewDelegate::responseReceived(const WebResponseInfo &response)
{
    if (!m_countedRequests.contains(response.requestId))
        return;
    // An image or a font that comes after every frame finished loads late.
    m_lateResourceLoaded = m_frameCount == m_frameCompleteCount && isLateKind(response);
}

void PreviewDelegate::requestFinished(const QString &requestId, qint64)
{
    const auto it = m_countedRequests.find(requestId);
    if (it == m_countedRequests.end() || it->done)
        return;
    it->done = true;
    const CountedRequest counted = it.value();
    m_webview->show();
    // The page now has the file's text, the program's unsaved one included.
    if (counted.url.isLocalFile())
        noteShownText(projectFileOf(counted.url.toLocalFile()));
    if (counted.resourceType == QLatin1String("Stylesheet"))
        addStyleFile(counted.url);
    if (!counted.icon)
        ++m_resourceCompletedCount;
    updateUserInterface();
}

void PreviewDelegate::requestFailed(const QString &requestId, const QString &errorText, bool canceled)
{
    const auto it = m_countedRequests.find(requestId);
    if (it == m_countedRequests.end() || it->done)
        return;
    it->done = true;
    const CountedRequest counted = it.value();
    // The page's own document failed: the load failed. A canceled one was
    // replaced by another load, or became a download; an aborted one was
    // given up: the page before stays.
    if (counted.resourceType == QLatin1String("Document") && counted.identifier == 1) {
        if (canceled || errorText == QLatin1String("net::ERR_ABORTED"))
            keepPageBeforeLoad();
        else
            failLoad(counted.url, errorText);
    }
    QM_DEBUG(QStringLiteral("%1 did not load: %2").arg(counted.url.toString(), errorText));
    // An icon's failure counts no more than its completion: it is no file of the total.
    if (!counted.icon)
        ++m_resourceFailedCount;
}

void PreviewDelegate::failLoad(const QUrl &url, const QString &errorText)
{
    // A load given up for another one is no failure.
    if (m_loadFailed || errorText == QLatin1String("net::ERR_ABORTED"))
        return;
    m_loadFailed = true;
    m_noticeOnceShown.clear();
    QM_ERROR(QStringLiteral("could not load %1: %2").arg(url.toString(), errorText));
    // The browser takes a file it may not read for one not there (#80).
    const std::optional<QString> unreadable = url.isLocalFile() ? File::whyUnreadable(url.toLocalFile()) : std::nullopt;
    const QString message = QStringLiteral("Could not load the page: %1").arg(unreadable ? *unreadable
                                                                                         : readableError(errorText));
    setStatus(message);
    // Whatever the browser shows now, the page before is no longer shown,
    // and its undo steps can never run again.
    m_styleFiles.clear();
    dropDocument(message);
    clearUndo();
    Q_EMIT loadFailed(message);
}

void PreviewDelegate::keepPageBeforeLoad()
{
    const DOMDocumentPtr before = m_documentBeforeLoad.lock();
    if (m_loadFailed || !before || !m_webview || m_webview->mainFrameDocument() != before.get())
        return;
    m_pageKept = true;
    m_documentBeforeLoad.reset();
    m_styleFiles = m_styleFilesBeforeLoad;
    initDomTree(before.get());
    if (m_cssOutlineDelegate)
        m_cssOutlineDelegate->setAndRefreshStyleFiles(styleFiles());
}

void PreviewDelegate::addStyleFile(const QUrl &url)
{
    // Local sheets are the project's Files; remote ones come with the resources.
    if (!url.isLocalFile() || !m_projectDelegate)
        return;
    File *file = projectFileOf(StyleSheetAddress::keyOf(url.toString(QUrl::FullyEncoded)));
    if (!file || m_styleFiles.contains(file))
        return;
    m_styleFiles.append(file);
    if (m_cssOutlineDelegate)
        m_cssOutlineDelegate->setAndRefreshStyleFiles(styleFiles());
}

QList<File *> PreviewDelegate::styleFiles() const
{
    QList<File *> files;
    for (const QPointer<File> &file : m_styleFiles) {
        if (file)
            files.append(file.data());
    }
    return files;
}

// --- Progress ----------------------------------------------------------------------------------

void PreviewDelegate::updateUserInterface()
{
    const double ratio = double(m_resourceCompletedCount + m_resourceFailedCount) / double(m_resourceCount);
    if (ratio == 0.0)
        return;
    if (m_resourceCount != 0) {
        if (m_progressiveBox)
            m_progressiveBox->setProgressValue(m_resourceCompletedCount, m_resourceFailedCount, m_resourceCount);
        m_resourceTreeTimer.start();
        m_loadingTimeoutTimer.stop();
        if (ratio >= 1.0 && m_frameCount == m_frameCompleteCount)
            preinitializeDomtree();
        else
            m_loadingTimeoutTimer.start();
    } else if (m_progressiveBox) {
        m_progressiveBox->setProgressValue(0, 0, 0);
    }
    // A failed load keeps saying why.
    if (!m_loadFailed)
        setStatus(QStringLiteral("%1 / %2 Files").arg(m_resourceCompletedCount + m_resourceFailedCount).arg(m_resourceCount));
    if (m_totalFileSizeTextField)
        m_totalFileSizeTextField->setText(File::readableValueWithBytes(double(m_loadedBytes)));
}

void PreviewDelegate::loadingTimeout()
{
    QM_DEBUG(QStringLiteral("web load timeout."));
    if (m_progressiveBox)
        m_progressiveBox->updateFill2();
    m_lateResourceLoaded = true;
}

bool PreviewDelegate::isCurrentDocument(const DOMDocument *document) const
{
    // The mirror may still hold the document before this load.
    return document && document != m_documentBeforeLoad.lock().get();
}

void PreviewDelegate::preinitializeDomtree()
{
    setDownloadButtonsEnabled(true);
    DOMDocument *document = m_webview ? m_webview->mainFrameDocument() : nullptr;
    if (!domTreeInitialised() && isCurrentDocument(document)) {
        initDomListeners();
        initDomTree(document);
    }
    if (!m_completed) {
        m_completed = true;
        // A page loaded again after its browser's restart is back now.
        if (!m_noticeOnceShown.isEmpty() && !m_loadFailed && m_webview)
            m_webview->showNotice(std::exchange(m_noticeOnceShown, {}));
        Q_EMIT loadCompleted();
    }
    if (m_lateResourceLoaded || m_loadFailed)
        return;
    if (m_cssOutlineDelegate && m_webview && m_webview->webPage()->url().isLocalFile())
        m_cssOutlineDelegate->checkVendorPrefixSetting();
    // The keyframe timeline lists the page's animations; a page reloaded in
    // place keeps its selection there.
    if (m_animationManager) {
        if (m_reloadedInPlace) {
            m_animationManager->setIgnoreSelectionChange(true);
            m_animationManager->refresh();
        } else {
            m_animationManager->reset();
        }
    }
}
