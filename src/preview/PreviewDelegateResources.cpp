// PreviewDelegate: the frames and resources of the page shown. Every request
// of every frame of the page (the frames of other sites too) is recorded with
// its response and the headers the server sent; when its load ends the body
// the browser kept is taken (a few at a time, for documents, style sheets,
// scripts, images and fonts; files stay on disk) and the resource becomes a
// File. Once per turn after that, every frame's resources are sorted into
// groups under the frame's index File, remote style sheets join the page's
// style sheets, and the resource list is brought up to date 0.4 s after the
// last change. Requests for local files with unsaved edits, and for remote
// resources tied to local files, are answered with the program's texts of
// those files (BypassResponder).

#include "PreviewDelegate.h"

#include "AutoBypassOperation.h"
#include "BypassResponder.h"
#include "ExWebView.h"
#include "LoadedPage.h"
#include "LoadedResourceDelegate.h"
#include "RemoveBypassOperation.h"
#include "WebContentMap.h"
#include "WebFrameEx.h"

#include "foundation/DataUtils.h"
#include "foundation/TreeUtil.h"
#include "interfaces/CSSOutlineDelegateInterface.h"
#include "interfaces/PreviewDomTreeInterface.h"
#include "interfaces/ProjectDelegateInterface.h"
#include "platform/foundation/Log.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/engine/WebBridge.h"
#include "platform/web/engine/WebFrameMirror.h"
#include "platform/web/engine/WebPage.h"
#include "workspace/BypassMap.h"
#include "workspace/File.h"

#include <QFile>
#include <QFileInfo>
#include <QLabel>

namespace {

// At most this many bodies are asked of the browser at once.
constexpr int kBodiesAtOnce = 4;
// At most this many headers wait for their requests.
constexpr int kEarlyHeadersKept = 256;

// The kinds whose bodies are kept for the resource list.
bool keepsBody(const LoadedResource &load)
{
    static const QStringList kinds{QStringLiteral("Document"), QStringLiteral("Stylesheet"), QStringLiteral("Script"),
                                   QStringLiteral("Image"), QStringLiteral("Font")};
    const QString scheme = load.url().scheme();
    return (scheme == u"http" || scheme == u"https") && kinds.contains(load.resourceType());
}

// Resources that get no File: inline data, and the style sheets asked again
// with ".css?=" to refresh them.
bool makesNoFile(const QUrl &url)
{
    return url.scheme() == u"data" || url.toString(QUrl::FullyEncoded).contains(QLatin1String(".css?="));
}

} // namespace

// --- Set-up ----------------------------------------------------------------------------------------

void PreviewDelegate::connectResources()
{
    WebContentMap::getInstance();
    connect(&m_regroupTimer, &QTimer::timeout, this, &PreviewDelegate::regroupResources, Qt::UniqueConnection);
    m_regroupTimer.setSingleShot(true);
    m_regroupTimer.setInterval(0);
    connect(&m_loadingTimeoutTimer, &QTimer::timeout, this, &PreviewDelegate::makeNodesOfPendingResources,
            Qt::UniqueConnection);

    WebPage *page = m_webview->webPage();
    // After the load's own counting (connected first): a new page is known then.
    connect(page, &WebPage::requestSent, this, &PreviewDelegate::resourceRequested);
    connect(page, &WebPage::responseReceived, this, &PreviewDelegate::resourceResponded);
    connect(page, &WebPage::responseExtraInfoReceived, this, &PreviewDelegate::resourceExtraInfoReceived);
    connect(page, &WebPage::requestFinished, this,
            [this](const QString &requestId, qint64 encodedLength, double) { resourceFinished(requestId, encodedLength); });
    connect(page, &WebPage::requestFailed, this,
            [this](const QString &requestId, const QString &errorText, bool) { resourceFailed(requestId, errorText); });
    connect(page, &WebPage::frameAttached, this, [this](const QString &frameId, const QString &parentFrameId) {
        m_frameParents.insert(frameId, parentFrameId);
        if (m_page)
            m_pageFrames.insert(frameId);
    });
    connect(page, &WebPage::frameStartedLoading, this, &PreviewDelegate::frameRecordStarted);
    m_bypassResponder = new BypassResponder(page, BypassMap::getInstance(), page);
    m_bypassResponder->setUnsavedTexts([this] { return unsavedPaths(); },
                                       [this](const QString &path) -> std::optional<QByteArray> {
                                           File *file = projectFileOf(path);
                                           return file ? file->unsavedBytes() : std::nullopt;
                                       });
    if (m_loadedResourceDelegate)
        m_loadedResourceDelegate->setWebview(m_webview);
}

void PreviewDelegate::setLoadedResourceDelegate(LoadedResourceDelegate *delegate)
{
    m_loadedResourceDelegate = delegate;
    if (!delegate)
        return;
    delegate->setPreviewDelegate(this);
    delegate->setWebview(m_webview);
}

LoadedResourceDelegate *PreviewDelegate::loadedResourceDelegate() const
{
    return m_loadedResourceDelegate.data();
}

BypassResponder *PreviewDelegate::bypassResponder() const
{
    return m_bypassResponder.data();
}

// --- The records of the page ------------------------------------------------------------------------

QList<WebFrameEx *> PreviewDelegate::webframes() const
{
    return m_page ? m_page->frames() : QList<WebFrameEx *>();
}

WebFrameEx *PreviewDelegate::mainFrame() const
{
    return m_page ? m_page->mainFrame() : nullptr;
}

QList<File *> PreviewDelegate::responseFiles() const
{
    return m_page ? m_page->responseFiles() : QList<File *>();
}

File *PreviewDelegate::responseFileWithURL(const QUrl &url) const
{
    return m_page ? m_page->responseFileWithURL(url.toString(QUrl::FullyEncoded)) : nullptr;
}

QList<File *> PreviewDelegate::resourceRoots()
{
    QList<File *> roots;
    for (const QPointer<File> &root : std::as_const(m_resourceTreeRoots)) {
        if (root)
            roots.append(root.data());
    }
    return roots;
}

bool PreviewDelegate::pageFileCameOrWent(const QString &folder)
{
    if (!m_page)
        return false;
    for (const LoadedResource *load : m_page->loads()) {
        const QUrl url = load->requestURL();
        if (!url.isLocalFile())
            continue;
        const QString path = url.toLocalFile();
        if (QFileInfo(path).absolutePath() != folder)
            continue;
        // What the load tells of the file then: a load under way, or one
        // that failed for another reason, tells nothing. (The browser's page
        // about a document not found finishes the document's failed request.)
        bool existed = false;
        if (load->errorText().contains(QLatin1String("ERR_FILE_NOT_FOUND")))
            existed = false;
        else if (load->state() == LoadedResource::State::Finished)
            existed = true;
        else
            continue;
        if (File *file = projectFileOf(path); file && (file->isMissingOnDisk() || file->isModified()))
            continue;
        if (QFileInfo::exists(path) != existed)
            return true;
    }
    return false;
}

DOMDocument *PreviewDelegate::documentOfFrame(const WebFrameEx *frame) const
{
    if (!m_webview || !frame)
        return nullptr;
    if (frame->isMainFrame()) {
        DOMDocument *document = m_webview->mainFrameDocument();
        return isCurrentDocument(document) ? document : nullptr;
    }
    return documentOfBrowserFrame(frame->frame());
}

DOMDocument *PreviewDelegate::documentOfBrowserFrame(const QString &frameId) const
{
    const WebBridge &bridge = m_webview->bridge();
    for (WebFrameMirror *mirror : bridge.frames()) {
        const std::optional<WebBridge::Target> target = bridge.targetOf(mirror->frameId());
        if (!mirror->isMainFrame() && target && target->frame == frameId)
            return mirror->document();
    }
    return nullptr;
}

void PreviewDelegate::showFrameDocument(WebFrameEx *frame)
{
    DOMDocument *document = documentOfFrame(frame);
    if (!document || m_loadFailed)
        return;
    m_chosenFrame = frame->isMainFrame() ? QString() : frame->frame();
    // Chosen again: the tree stays as it is, its selection with it.
    if (domTreeInitialised())
        return;
    initDomTree(document);
    if (m_domTreeDelegate)
        m_domTreeDelegate->setIndexFile(fileToWrite(frame));
}

File *PreviewDelegate::fileToWrite(WebFrameEx *frame) const
{
    File *index = frame ? frame->indexFile() : nullptr;
    File *project = index && index->isLocalFile() ? projectFileOf(index->path()) : nullptr;
    return project ? project : index;
}

void PreviewDelegate::startLoadedPage()
{
    // The list may still show the page before: it is kept until the list
    // takes the new one.
    if (m_page && m_page.get() == m_pageInList)
        m_listedPage = std::move(m_page);
    m_page = std::make_unique<LoadedPage>(m_mainLoaderId);
    m_pageFrames.clear();
    m_bodyQueue.clear();
    m_resourceTreeRoots.clear();
    if (m_domTreeDelegate)
        m_domTreeDelegate->setIndexFile(nullptr);
    m_page->addFrame(m_webview->webPage()->mainFrameId(), {});
}

WebFrameEx *PreviewDelegate::frameRecord(const QString &frameId)
{
    if (!m_page)
        return nullptr;
    if (WebFrameEx *known = m_page->frame(frameId))
        return known;
    if (!m_pageFrames.contains(frameId))
        return nullptr;
    // The parent's record first, so that the child is among its children.
    const QString parent = m_frameParents.value(frameId);
    if (!parent.isEmpty() && parent != frameId)
        frameRecord(parent);
    return m_page->addFrame(frameId, parent);
}

void PreviewDelegate::frameRecordStarted(const QString &frameId)
{
    frameRecord(frameId);
}

// --- Requests and their ends --------------------------------------------------------------------------

void PreviewDelegate::resourceRequested(const WebRequestInfo &request)
{
    if (!m_webview)
        return;
    if (request.frameId == m_webview->webPage()->mainFrameId()) {
        // What the document before this one still asks for is not this page's.
        if (m_mainLoaderId.isEmpty() || request.loaderId != m_mainLoaderId)
            return;
        if (!m_page || m_page->loaderId() != m_mainLoaderId)
            startLoadedPage();
    } else if (!m_page || !m_pageFrames.contains(request.frameId)) {
        return;
    }
    if (request.url.scheme() == u"data")
        return;
    if (request.isRedirect) {
        if (LoadedResource *load = m_page->load(request.requestId))
            load->redirect(request);
        return;
    }
    auto load = std::make_shared<LoadedResource>(request);
    if (const auto early = m_earlyHeaders.constFind(request.requestId); early != m_earlyHeaders.cend()) {
        load->setRawHeaders(*early);
        m_earlyHeaders.erase(early);
    }
    m_page->addLoad(load);
    WebFrameEx *frame = frameRecord(request.frameId);
    if (frame && request.resourceType == u"Document")
        frame->setDocument(load);
}

void PreviewDelegate::resourceResponded(const WebResponseInfo &response)
{
    if (LoadedResource *load = m_page ? m_page->load(response.requestId) : nullptr)
        load->setResponse(response);
}

void PreviewDelegate::resourceExtraInfoReceived(const WebResponseExtraInfo &info)
{
    if (LoadedResource *load = m_page ? m_page->load(info.requestId) : nullptr) {
        load->setRawHeaders(info.headers);
        return;
    }
    // The network may tell the headers sent before the page tells of the
    // request: they wait for it (a few, for requests that never come).
    if (m_earlyHeaders.size() >= kEarlyHeadersKept)
        m_earlyHeaders.clear();
    m_earlyHeaders.insert(info.requestId, info.headers);
}

void PreviewDelegate::resourceFinished(const QString &requestId, qint64 encodedLength)
{
    const std::shared_ptr<LoadedResource> load = m_page ? m_page->sharedLoad(requestId) : nullptr;
    if (!load)
        return;
    load->finish(encodedLength);
    if (keepsBody(*load))
        takeBody(load);
    else
        resourceEnded(load.get());
}

void PreviewDelegate::resourceFailed(const QString &requestId, const QString &errorText)
{
    LoadedResource *load = m_page ? m_page->load(requestId) : nullptr;
    if (!load)
        return;
    // The browser drops the body of what it did not take (a sheet or a
    // script answered with an error status among them): the node keeps the
    // status and headers that came, without bytes.
    load->fail(errorText);
    resourceEnded(load);
}

void PreviewDelegate::takeBody(const std::shared_ptr<LoadedResource> &load)
{
    m_bodyQueue.append(load);
    askNextBodies();
}

void PreviewDelegate::askNextBodies()
{
    while (m_bodiesAsked < kBodiesAtOnce && !m_bodyQueue.isEmpty() && m_webview) {
        const std::weak_ptr<LoadedResource> waiting = m_bodyQueue.takeFirst();
        const std::shared_ptr<LoadedResource> load = waiting.lock();
        if (!load)
            continue;
        ++m_bodiesAsked;
        QPointer<PreviewDelegate> self(this);
        m_webview->webPage()->responseBody(load->requestId(), [self, waiting](std::optional<QByteArray> body) {
            if (!self)
                return;
            --self->m_bodiesAsked;
            if (const std::shared_ptr<LoadedResource> load = waiting.lock()) {
                if (body)
                    load->setBody(*body);
                else
                    QM_INFO(QStringLiteral("the browser kept no body of %1; it is listed without its bytes")
                                .arg(load->url().toString()));
                self->resourceEnded(load.get());
            }
            self->askNextBodies();
        });
    }
}

void PreviewDelegate::resourceEnded(LoadedResource *load)
{
    load->markEnded();
    // A load of a page gone meanwhile is forgotten.
    if (!m_page || m_page->load(load->requestId()) != load)
        return;
    m_regroupTimer.start();
    WebFrameEx *frame = frameRecord(load->frameId());
    const QUrl url = load->url();
    if (frame && frame->document().get() == load) {
        // A frame's document: its text is decoded once, a local one from disk.
        QByteArray bytes = load->data();
        if (url.isLocalFile()) {
            QFile file(url.toLocalFile());
            bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        } else if (!load->hasData()) {
            return;
        }
        frame->setFrameSourceFileSize(bytes.size());
        if (!frame->htmlString())
            frame->setHtmlString(DataUtils::stringWithAutoEncode(bytes));
        return;
    }
    if (makesNoFile(url))
        return;
    if (File *file = m_page->fileOfRequest(load->requestId())) {
        // Listed before its load ended (the page timed out): what came now.
        if (!file->isLocalFile()) {
            file->setResponse(URLResponse(url, load->mimeType()));
            file->setFileSize(load->data().size());
            file->loadWebContent();
        }
        return;
    }
    std::unique_ptr<File> made;
    if (url.isLocalFile()) {
        made = std::make_unique<File>(url.toLocalFile(), false, nullptr);
    } else {
        made = std::make_unique<File>(std::shared_ptr<WebResource>(m_page->sharedLoad(load->requestId())));
        made->setResponse(URLResponse(url, load->mimeType()));
        // A style sheet of another site than its frame's page.
        if (QFileInfo(url.path()).suffix() == u"css" && frame && frame->request().host() != url.host())
            made->setIsRemoteCSS(true);
    }
    const auto counted = m_countedRequests.constFind(load->requestId());
    made->setWebresouceId(counted != m_countedRequests.cend() ? QVariant(counted->identifier) : QVariant(load->requestId()));
    m_page->addResponseFile(load->requestId(), url, std::move(made));
}

void PreviewDelegate::makeNodesOfPendingResources()
{
    if (!m_page)
        return;
    // What never answered is listed with what came of it so far.
    for (LoadedResource *load : m_page->loads()) {
        if (load->state() != LoadedResource::State::Loading || makesNoFile(load->url())
            || m_page->fileOfRequest(load->requestId()) || load->resourceType() == u"Document")
            continue;
        auto made = std::make_unique<File>(std::shared_ptr<WebResource>(m_page->sharedLoad(load->requestId())));
        if (load->response())
            made->setResponse(URLResponse(load->url(), load->mimeType()));
        made->setWebresouceId(load->requestId());
        m_page->addResponseFile(load->requestId(), load->url(), std::move(made));
        m_regroupTimer.start();
    }
}

// --- Groups and the resource list ----------------------------------------------------------------------

void PreviewDelegate::regroupResources()
{
    if (!m_page)
        return;
    File *previewed = m_lastPreviewedFile.data();
    File *root = rootOfLastPreviewedFile();
    const QList<WebFrameEx *> frames = m_page->frames();
    for (WebFrameEx *frame : frames) {
        // The frame's resources in the order they were asked for; an address
        // asked twice is one resource.
        QList<File *> resources;
        QSet<QString> seen;
        for (const QString &requestId : m_page->requestsOfFrame(frame->frame())) {
            File *file = m_page->fileOfRequest(requestId);
            if (!file || seen.contains(file->absolutePath()))
                continue;
            seen.insert(file->absolutePath());
            resources.append(file);
        }
        frame->setResources(resources);
        frame->setRootFile(root);
        frame->setProjectFileLookup([this](const QString &path) { return projectFileOf(path); });
    }
    // Twice: a child frame's index File is made in the first pass, and its
    // parent's frame group takes it in the second.
    for (int pass = 0; pass < 2; ++pass) {
        for (WebFrameEx *frame : frames)
            frame->createResouceGroup(previewed);
    }

    // The page's style sheets: the project's Files of local ones, the
    // loaded ones of remote sheets.
    QSet<QString> known;
    for (const QPointer<File> &sheet : std::as_const(m_styleFiles)) {
        if (sheet)
            known.insert(sheet->path());
    }
    bool added = false;
    qint64 total = 0;
    for (WebFrameEx *frame : frames) {
        for (File *sheet : frame->cssArr()) {
            // A sheet that did not come is no style sheet of the page.
            const auto load = std::dynamic_pointer_cast<LoadedResource>(sheet->webresource());
            if (known.contains(sheet->path()) || (load && (!load->hasData() || load->status() >= 400)))
                continue;
            known.insert(sheet->path());
            m_styleFiles.append(sheet);
            added = true;
        }
        for (File *resource : frame->resources())
            total += resource->fileSize();
    }
    if (added && m_cssOutlineDelegate)
        m_cssOutlineDelegate->setAndRefreshStyleFiles(styleFiles());

    WebFrameEx *main = m_page->mainFrame();
    File *index = main ? main->indexFile() : nullptr;
    if (index) {
        index->setRootFile(root);
        // The tree writes into the file of the frame it shows; the page of
        // a load that failed or was given up is not shown.
        WebFrameEx *shown = m_chosenFrame.isEmpty() ? main : m_page->frame(m_chosenFrame);
        if (m_domTreeDelegate && shown && !m_loadFailed && !m_pageKept)
            m_domTreeDelegate->setIndexFile(fileToWrite(shown));
        m_resourceTreeRoots = {index};
        // Another remote page is shown in the code pane unless it is there
        // already; the same page loaded again leaves the pane to the list,
        // which opens the resource chosen before once it is listed. A page
        // that failed to load is shown too, local or not: it has no text,
        // and the pane no longer shows the page before.
        if (index->path() != m_listedIndexPath) {
            m_listedIndexPath = index->path();
            if ((!index->isLocalFile() || m_loadFailed) && m_loadedResourceDelegate
                && m_loadedResourceDelegate->lastSelectionPath() != index->path())
                m_loadedResourceDelegate->contentChange(index, false);
        }
    }
    m_loadedBytes = total;
    if (m_totalFileSizeTextField)
        m_totalFileSizeTextField->setText(File::readableValueWithBytes(double(total)));
    // The list follows 0.4 s after the last change.
    m_resourceTreeTimer.start();
}

void PreviewDelegate::updateResourceTree()
{
    setDownloadButtonsEnabled(true);
    if (m_loadedResourceDelegate) {
        m_loadedResourceDelegate->setResources(resourceRoots());
        m_loadedResourceDelegate->expandItem();
    }
    // The page before is shown no more.
    m_pageInList = m_page.get();
    m_listedPage.reset();
}

void PreviewDelegate::listResourcesOfEndedPage()
{
    // What the page given up loaded, never what the page before it did (#80).
    if (m_page && !m_mainLoaderId.isEmpty() && m_page->loaderId() == m_mainLoaderId) {
        updateResourceTree();
        return;
    }
    if (m_loadedResourceDelegate)
        m_loadedResourceDelegate->setResources({});
    m_pageInList = nullptr;
    m_listedPage.reset();
}

void PreviewDelegate::resetFileChangeReason(const QList<File *> &files)
{
    if (!m_projectDelegate)
        return;
    const auto children = [](File *node) { return node->isResourceGroup() ? node->tempChildren() : QList<File *>(); };
    TreeUtil::enumrate(files, static_cast<File *>(nullptr), children, [this](File *node, File *) {
        File *project = node->isLocalFile() ? m_projectDelegate->searchFileInProjects(node->path()) : nullptr;
        if (!project || project->isModified())
            return true;
        project->setLastContentChangeReason(File::NoPendingChange);
        // The page shows the disk's text, which the file holds. (A file
        // with edits keeps what was noted when the page was given it.)
        noteShownText(project);
        return true;
    });
}

void PreviewDelegate::noteShownText(File *file)
{
    static const QStringList checked{QStringLiteral("html"), QStringLiteral("htm"), QStringLiteral("css")};
    if (file && checked.contains(QFileInfo(file->path()).suffix()) && file->currentContent())
        file->noteContentShown();
}

// --- Local substitutes -----------------------------------------------------------------------------------

std::shared_ptr<Operation> PreviewDelegate::removeBypassOperation(File *root)
{
    return root ? std::make_shared<RemoveBypassOperation>(root) : nullptr;
}

std::shared_ptr<Operation> PreviewDelegate::autoBypassOperation(File *root)
{
    return root ? std::make_shared<AutoBypassOperation>(root) : nullptr;
}
