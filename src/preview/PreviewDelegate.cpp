// PreviewDelegate: set-up, the controls, the page's document and what the
// bridge reports, and the JavaScript switch.

#include "PreviewDelegate.h"

#include "BypassResponder.h"
#include "ExWebView.h"
#include "LoadedPage.h"

#include "foundation/InspectUndoManager.h"
#include "interfaces/CSSOutlineDelegateInterface.h"
#include "interfaces/PreviewDomTreeInterface.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/SegmentedControl.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/engine/WebBridge.h"
#include "platform/web/engine/WebFileAccess.h"
#include "platform/web/engine/WebFrameMirror.h"
#include "platform/web/engine/WebPage.h"
#include "platform/web/engine/WebPreferences.h"
#include "toolkit/ReloadButtonCell.h"
#include "toolkit/SearchFieldEx.h"
#include "workspace/File.h"

#include <QAbstractButton>
#include <QIcon>
#include <QVBoxLayout>
#include <QWidget>

PreviewDelegate::PreviewDelegate(QObject *parent) : QObject(parent)
{
    m_resourceTreeTimer.setSingleShot(true);
    m_resourceTreeTimer.setInterval(400);
    connect(&m_resourceTreeTimer, &QTimer::timeout, this, &PreviewDelegate::updateResourceTree);
    m_loadingTimeoutTimer.setSingleShot(true);
    m_loadingTimeoutTimer.setInterval(10000);
    connect(&m_loadingTimeoutTimer, &QTimer::timeout, this, &PreviewDelegate::loadingTimeout);

    NotificationCenter &center = NotificationCenter::defaultCenter();
    center.addObserver(this, QStringLiteral("setDetectModeOFF"), nullptr, [this](const Notification &) {
        if (m_webview)
            m_webview->setDetectState(ExWebViewInterface::DetectOff);
        updateDetectButtonState();
    });
    center.addObserver(this, QStringLiteral("domTreeChanged"), nullptr,
                       [this](const Notification &) { updateDetectButtonState(); });
    // Whatever the page loads next gets the texts of the files as they are
    // edited: the files held back follow the edits, once a turn.
    m_unsavedTextsTimer.setSingleShot(true);
    m_unsavedTextsTimer.setInterval(0);
    connect(&m_unsavedTextsTimer, &QTimer::timeout, this, [this] {
        if (m_bypassResponder)
            m_bypassResponder->renewPatterns();
    });
    center.addObserver(this, QStringLiteral("fileContentChanged"), nullptr,
                       [this](const Notification &) { m_unsavedTextsTimer.start(); });
}

PreviewDelegate::~PreviewDelegate()
{
    NotificationCenter::defaultCenter().removeObserver(this);
    removeDomListeners();
}

// --- The controls --------------------------------------------------------------------------

void PreviewDelegate::setSelectedURLPath(SearchFieldEx *field)
{
    m_selectedURLPath = field;
    if (!field)
        return;
    connect(field, &TextField::activated, this, [this, field] { urlEnter(field->text()); });
    // The reload button stands in the field in place of its clear button.
    auto *reload = new ReloadButtonCell(field);
    reload->setObjectName(QStringLiteral("reloadButtonCell"));
    field->setCancelButtonCell(reload);
    connect(reload, &QAction::triggered, this, &PreviewDelegate::refreshWebview);
}

void PreviewDelegate::setBackForwardControl(SegmentedControl *control)
{
    m_backfowadControl = control;
    if (!control)
        return;
    connect(control, &SegmentedControl::activated, this, [this, control] {
        goAndBackcontrol(control->selectedSegment());
    });
    maintainbackForwardButton();
}

void PreviewDelegate::setReloadButton(QAbstractButton *button)
{
    m_reloadButton = button;
    if (button)
        connect(button, &QAbstractButton::clicked, this, &PreviewDelegate::reloadPage);
}

void PreviewDelegate::setDetectButtons(QAbstractButton *detectButton, QAbstractButton *detectButton2)
{
    m_detectButton = detectButton;
    m_detectButton2 = detectButton2;
    for (QAbstractButton *button : {detectButton, detectButton2}) {
        if (!button)
            continue;
        button->setCheckable(true);
        connect(button, &QAbstractButton::clicked, this, [this, button] { detectPreview(button); });
    }
    updateDetectButtonState();
}

void PreviewDelegate::setDownloadButtons(QAbstractButton *downloadButton, QAbstractButton *downloadToolbarButton)
{
    m_downloadButton = downloadButton;
    m_downloadToolbarButton = downloadToolbarButton;
    setDownloadButtonsEnabled(m_downloadButtonsEnabled);
}

void PreviewDelegate::setDownloadButtonsEnabled(bool enabled)
{
    m_downloadButtonsEnabled = enabled;
    for (QAbstractButton *button : {m_downloadButton.data(), m_downloadToolbarButton.data()}) {
        if (button)
            button->setEnabled(enabled);
    }
}

void PreviewDelegate::setDownloadFolder(const QString &path)
{
    m_downloadFolder = path;
    if (m_webview)
        m_webview->webPage()->setDownloadFolder(path);
}

// --- Set-up --------------------------------------------------------------------------------

void PreviewDelegate::initWebView(QWidget *container)
{
    if (m_webview) {
        // The new view shows no page: the one shown before leaves the
        // inspectors and the undo history with its view (#78).
        letPageGo(QStringLiteral("No page is shown"));
        removeDomListeners();
        delete m_webview;
    }
    makeMainView(container);
    m_webview = new ExWebView(m_mainView);
    if (m_mainView) {
        m_webview->show();
        doSetPreviewSize(m_lastPresetTag, false);
    }
    connectPage();
    initDomListeners();
    initWebPreference();
    if (!m_downloadFolder.isEmpty())
        m_webview->webPage()->setDownloadFolder(m_downloadFolder);
    maintainbackForwardButton();
}

void PreviewDelegate::initWebPreference()
{
    if (!m_webview)
        return;
    // The engine has no switch for web security, the page cache, the cache
    // model or Java: those preferences are not set.
    WebPreferences &preferences = m_webview->preferences();
    preferences.setJavaScriptEnabled(m_javascriptEnable);
    preferences.setJavaScriptCanOpenWindowsAutomatically(true);
    preferences.setLoadsImagesAutomatically(true);
    preferences.setAllowFileAccessFromFileURLs(true);
}

void PreviewDelegate::connectPage()
{
    WebPage *page = m_webview->webPage();
    connect(page, &WebPage::consoleMessage, this,
            [this](int level, const QString &message, int lineNumber, const QString &sourceId) {
                if (level == 0) {
                    consoleFromJS(message);
                    return;
                }
                QM_INFO(QStringLiteral("page: %1 (%2:%3)").arg(message, sourceId).arg(lineNumber));
            });
    connect(&m_webview->bridge(), &WebBridge::attributesChanged, this,
            [this](WebFrameMirror *frame, const QList<DOMNode *> &elements) {
                if (!frame->isMainFrame())
                    return;
                QList<ScriptMutationRecord> records;
                for (DOMNode *element : elements)
                    records.append({QStringLiteral("attributes"), element});
                domAttributeChangeListener(records);
            });
    // Linked sheets reach the page after its document, and may reach it after
    // their responses: the rules panel pairs and lists them once they are there.
    connect(&m_webview->bridge(), &WebBridge::styleSheetsChanged, this, [this] {
        if (m_cssOutlineDelegate && !styleFiles().isEmpty())
            m_cssOutlineDelegate->setAndRefreshStyleFiles(styleFiles());
    });

    // A page reads the local files of its project, or of its own folder
    // when it is in none.
    page->setReadableFolders([this](const QUrl &url) {
        if (!url.isLocalFile())
            return QStringList();
        if (File *file = projectFileOf(url.toLocalFile())) {
            File *root = file->rootFile() ? file->rootFile() : file;
            return QStringList{root->path()};
        }
        return WebFileAccess::ownFolderOf(url);
    });

    // Following each load.
    connect(page, &WebPage::frameStartedLoading, this, &PreviewDelegate::frameStartedLoading);
    connect(page, &WebPage::frameStoppedLoading, this, &PreviewDelegate::frameStoppedLoading);
    connect(page, &WebPage::requestSent, this, &PreviewDelegate::requestSent);
    connect(page, &WebPage::responseReceived, this, &PreviewDelegate::responseReceived);
    connect(page, &WebPage::requestFinished, this,
            [this](const QString &requestId, qint64 encodedLength, double) { requestFinished(requestId, encodedLength); });
    connect(page, &WebPage::requestFailed, this, &PreviewDelegate::requestFailed);
    connect(page, &WebPage::navigationFailed, this,
            [this](const QUrl &url, const QString &errorText, const QString &) { failLoad(url, errorText); });
    connect(page, &WebPage::crashLimitReached, this, &PreviewDelegate::dropEndedPage);
    connect(page, &WebPage::stoppedUnresponsive, this,
            [this] { dropEndedPage(QStringLiteral("The page did not respond and was stopped.")); });
    connect(page, &WebPage::renewed, this, &PreviewDelegate::pageRenewed);
    connect(page, &WebPage::rendererCrashed, this, &PreviewDelegate::rendererCrashed);
    connect(page, &WebPage::historyChanged, this, &PreviewDelegate::maintainbackForwardButton);
    connect(page, &WebPage::titleChanged, this, [this](const QString &title) {
        if (m_window)
            m_window->setWindowTitle(title.isEmpty() ? QStringLiteral("Quillmark") : title);
    });
    connectDownloads();

    // Element detection.
    connect(m_webview, &ExWebView::mouseDidMoveOverElement, this, &PreviewDelegate::webViewMouseDidMoveOverElement);
    connect(m_webview, &ExWebView::didScroll, this, &PreviewDelegate::webViewDidScroll);
    connect(m_webview, &ExWebView::detectCancelled, this, [this] { doDetectPreview(false); });

    // The frames and resources of each page, and the local substitutes.
    connectResources();
}

// --- The page's document ---------------------------------------------------------------

void PreviewDelegate::initDomListeners()
{
    if (!m_webview)
        return;
    WebFrameMirror &frame = m_webview->mainFrame();
    const auto handler = [this](const DOMMutationEvent &event) { handleEvent(event); };
    frame.addEventListener(WebFrameMirror::s_contentLoaded, this, handler);
    frame.addEventListener(QStringLiteral("DOMSubtreeModified"), this, handler);
}

void PreviewDelegate::removeDomListeners()
{
    if (!m_webview)
        return;
    WebFrameMirror &frame = m_webview->mainFrame();
    frame.removeEventListener(WebFrameMirror::s_contentLoaded, this);
    frame.removeEventListener(QStringLiteral("DOMSubtreeModified"), this);
}

DOMDocument *PreviewDelegate::shownDocument() const
{
    if (!m_webview)
        return nullptr;
    return m_chosenFrame.isEmpty() ? m_webview->mainFrameDocument() : documentOfBrowserFrame(m_chosenFrame);
}

bool PreviewDelegate::domTreeInitialised() const
{
    const DOMDocumentPtr document = m_domTreeDocument.lock();
    return document && document.get() == shownDocument();
}

void PreviewDelegate::setDomTreeInitialised(bool initialised)
{
    m_domTreeDocument.reset();
    if (initialised && m_webview)
        m_domTreeDocument = m_webview->mainFrame().sharedDocument();
}

void PreviewDelegate::handleEvent(const DOMMutationEvent &event)
{
    if (event.type == WebFrameMirror::s_contentLoaded) {
        // The elements of the document before are gone with it.
        if (m_webview) {
            m_webview->setSelectedElement(nullptr);
            m_webview->resetDetectView();
        }
        initDomTree(static_cast<DOMDocument *>(event.target));
        return;
    }
    if (m_domTreeDelegate && domTreeInitialised())
        m_domTreeDelegate->domModified(event);
}

void PreviewDelegate::initDomTree(DOMDocument *document)
{
    // The browser's page about a load that failed is not the page: no tree
    // is built from it, so nothing of it can reach the project's files.
    if (m_loadFailed || (m_webview && m_webview->mainFrame().url().scheme() == QLatin1String("chrome-error"))) {
        QM_DEBUG(QStringLiteral("no DOM tree for a page that did not load"));
        return;
    }
    // The main frame's document takes the inspectors back from a frame chosen before.
    if (m_webview && document == m_webview->mainFrameDocument())
        m_chosenFrame.clear();
    m_domTreeDocument = document ? std::static_pointer_cast<DOMDocument>(document->shared_from_this()) : nullptr;
    // The page was parsed with the JavaScript switch as it is now: markup the
    // program parses into it (noscript content above all) must parse alike.
    if (document)
        document->setScripting(m_javascriptEnable ? Scripting::Enabled : Scripting::Disabled);
    if (m_domTreeDelegate)
        m_domTreeDelegate->domNodeLists(document);
    // A new page: the steps of the one before (and of its frames) go, with
    // what they hold of it: the panels' and those of its nodes. The same
    // page kept after a load that went elsewhere, or shown again after a
    // frame, keeps them.
    const bool mainDocument = document && m_webview && document == m_webview->mainFrameDocument();
    if (mainDocument && document != m_shownMainDocument.lock().get()) {
        m_shownMainDocument = m_domTreeDocument;
        clearUndo();
    }
    Q_EMIT domTreeInitialized(document);
}

void PreviewDelegate::consoleFromJS(const QVariant &value)
{
    QM_DEBUG(value.toString());
}

void PreviewDelegate::domAttributeChangeListener(const QList<ScriptMutationRecord> &records)
{
    const qsizetype length = records.size();
    for (qsizetype i = 0; i < length; ++i) {
        const ScriptMutationRecord &record = records.at(i);
        if (record.type == QLatin1String("attributes") && record.target && m_domTreeDelegate)
            m_domTreeDelegate->domAttributeModified(record.target);
    }
}

bool PreviewDelegate::isSelectorExcludedFromWebScript(const QByteArray &selector)
{
    return selector != "consoleFromJS:" && selector != "domAttributeChangeListener:";
}

// --- JavaScript -------------------------------------------------------------------------------

void PreviewDelegate::chageJavascriptStatus()
{
    if (m_javascriptEnable)
        pauseJavascript();
    else
        startJavascript();
}

void PreviewDelegate::startJavascript()
{
    m_javascriptEnable = true;
    if (m_webview)
        m_webview->preferences().setJavaScriptEnabled(true);
    showJavascriptStatus(true);
}

void PreviewDelegate::pauseJavascript()
{
    m_javascriptEnable = false;
    if (m_webview)
        m_webview->preferences().setJavaScriptEnabled(false);
    showJavascriptStatus(false);
}

void PreviewDelegate::setJavascriptStatusButtons(QAbstractButton *first, QAbstractButton *second)
{
    m_javascriptStatusButton = first;
    m_javascriptStatusButton2 = second;
    showJavascriptStatus(m_javascriptEnable);
}

void PreviewDelegate::showJavascriptStatus(bool on)
{
    const auto show = [on](QAbstractButton *button, const QString &image) {
        if (!button)
            return;
        button->setCheckable(true);
        button->setChecked(on);
        button->setProperty("imageName", image);
        for (const char *type : {"svg", "png"}) {
            const QString path = Bundle::pathForResource(image, QString::fromLatin1(type), QStringLiteral("images"));
            if (!path.isEmpty()) {
                button->setIcon(QIcon(path));
                break;
            }
        }
    };
    show(m_javascriptStatusButton, on ? QStringLiteral("jsOn_Template") : QStringLiteral("jsOff_Template"));
    show(m_javascriptStatusButton2, on ? QStringLiteral("jsOn2_Template") : QStringLiteral("jsOff2_Template"));
}
