// PreviewDelegate: what is loaded (a project page, a typed address, a reload
// in place, a step in the history) and the address field, the back/forward
// control and the file tree kept in step with it.

#include "PreviewDelegate.h"

#include "BackgroundView.h"
#include "BypassResponder.h"
#include "ExWebView.h"
#include "WebContentMap.h"

#include "foundation/InspectUndoManager.h"
#include "interfaces/AnimationManagerInterface.h"
#include "interfaces/CSSOutlineDelegateInterface.h"
#include "interfaces/PreviewDomTreeInterface.h"
#include "interfaces/ProjectDelegateInterface.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/kit/Alert.h"
#include "platform/kit/OutlineView.h"
#include "platform/kit/SegmentedControl.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/engine/ChromiumProcess.h"
#include "platform/web/engine/WebPage.h"
#include "toolkit/SearchFieldEx.h"
#include "workspace/File.h"
#include "workspace/ProjectUtil.h"

#include <QFileInfo>
#include <QLabel>
#include <QRegularExpression>
#include <QTimer>

namespace {

const QString s_lastURL = QStringLiteral("lastURL");
const QString s_clearUndoAlert = QStringLiteral("clearUndoAlert");

void saveURLToUserDefaults(const QString &url, const QString &key)
{
    UserDefaults &defaults = UserDefaults::standardUserDefaults();
    defaults.setObject(url, key);
    defaults.synchronize();
}

} // namespace

bool PreviewDelegate::checkOnline(const QString &url) const
{
    return !m_checkOnline || m_checkOnline(url);
}

File *PreviewDelegate::projectFileOf(const QString &path) const
{
    if (!m_projectDelegate || path.isEmpty())
        return nullptr;
    // The project of the page shown first.
    if (File *root = rootOfLastPreviewedFile()) {
        if (File *file = m_projectDelegate->searchDirectory(path, {root}))
            return file;
    }
    return m_projectDelegate->searchDirectory(path, m_projectDelegate->projects());
}

File *PreviewDelegate::rootOfLastPreviewedFile() const
{
    if (!m_lastPreviewedFile)
        return nullptr;
    return m_lastPreviewedFile->rootFile() ? m_lastPreviewedFile->rootFile() : m_lastPreviewedFile.data();
}

void PreviewDelegate::setLastPreviewedFile(File *file)
{
    m_lastPreviewedFile = file;
    if (m_projectDelegate)
        m_projectDelegate->setLastPreviewedFile(file);
}

void PreviewDelegate::setStatus(const QString &text)
{
    m_loadStatus = text;
    if (m_loadStatusTextField) {
        m_loadStatusTextField->setText(text);
        m_loadStatusTextField->setToolTip(text);
    }
}

void PreviewDelegate::clearDomNodeMap()
{
    if (m_domTreeDelegate)
        m_domTreeDelegate->clearDomNodeMap();
}

void PreviewDelegate::dropDocument(const QString &reason)
{
    m_domTreeDocument.reset();
    m_chosenFrame.clear();
    if (m_webview) {
        m_webview->setSelectedElement(nullptr);
        m_webview->resetDetectView();
        m_webview->hideDetectLayer();
    }
    if (m_domTreeDelegate)
        m_domTreeDelegate->dropDocument(reason);
    if (m_cssOutlineDelegate)
        m_cssOutlineDelegate->dropPageDocument(reason);
    if (m_animationManager) {
        m_animationManager->resetDomSelection();
        m_animationManager->reset();
    }
}

// --- A project file ----------------------------------------------------------------------------

void PreviewDelegate::setURL(File *file)
{
    if (!m_webview)
        return;
    if (!file) {
        // Nothing to show: the page goes, and with it the page remembered.
        setLastPreviewedFile(nullptr);
        UserDefaults::standardUserDefaults().removeObjectForKey(s_lastURL);
        m_webview->setMainFrameURL(QStringLiteral("about:blank"));
        return;
    }
    const QString address = file->absolutePath();
    if (!checkOnline(address))
        return;
    setDownloadButtonsEnabled(false);
    prepareLoad();
    m_webview->setMainFrameURL(address);
    saveURLToUserDefaults(address, s_lastURL);
    setLastPreviewedFile(file);
    ProjectUtil::setCurrentProjectPath(file->rootProject());
    clearDomNodeMap();
}

void PreviewDelegate::setMainFrameURL(const QString &address)
{
    if (m_webview)
        m_webview->setMainFrameURL(address);
}

// --- The address field -------------------------------------------------------------------------

void PreviewDelegate::urlEnter(const QString &address)
{
    if (!m_webview)
        return;
    const QString typed = address.trimmed();
    if (m_selectedURLPath)
        m_selectedURLPath->setStringValue(address);
    if (typed.isEmpty())
        return;
    QString entered = typed;
    if (!entered.startsWith(QLatin1String("http://")) && !entered.startsWith(QLatin1String("https://"))
        && !entered.startsWith(QLatin1String("file://")))
        entered.prepend(QLatin1String("http://"));
    m_enteredURL = entered;
    // The address as it will be loaded is the one checked: a bare host name
    // goes to the network too.
    // A folder typed in loads its index page, never the browser's listing.
    QUrl url(entered, QUrl::TolerantMode);
    if (url.isLocalFile())
        url = folderIndexURL(url, projectFileOf(url.toLocalFile()));
    if (!url.isValid() || (url.scheme() != QLatin1String("file") && url.host().isEmpty())) {
        const QString message = QStringLiteral("\"%1\" is not an address that can be loaded.").arg(typed);
        QM_ERROR(message);
        setStatus(message);
        Q_EMIT loadFailed(message);
        return;
    }
    if (!checkOnline(url.toString()) || !confirmHistoryLoss())
        return;
    setDownloadButtonsEnabled(false);
    prepareLoad();
    m_webview->load(url);
    syncronizFinderViewWitURL(url);
    QTimer::singleShot(100, this, &PreviewDelegate::clearURLInputSelection);
}

void PreviewDelegate::clearURLInputSelection()
{
    if (m_selectedURLPath)
        m_selectedURLPath->deselect();
}

void PreviewDelegate::checkAndEnableNextURL()
{
    // There is no second address field to hide here.
}

QString PreviewDelegate::encodeURIComponent(const QString &text)
{
    return QString::fromLatin1(text.toUtf8().toPercentEncoding(QByteArray(), "!*'();@&=+$,?%#[]"));
}

void PreviewDelegate::wanlanCheck(const QString &url)
{
    static const QRegularExpression network(QStringLiteral("http://|https://|ftp://"));
    NotificationCenter::defaultCenter().postNotificationName(
        url.contains(network) ? QStringLiteral("viewWebFile") : QStringLiteral("viewLocalFile"), this);
}

// --- Reload ------------------------------------------------------------------------------------

void PreviewDelegate::refreshWebview()
{
    if (!m_webview)
        return;
    if (!checkOnline(m_webview->mainFrameURL()))
        return;
    if (!confirmHistoryLoss())
        return;
    UserDefaults &defaults = UserDefaults::standardUserDefaults();
    if (m_cssOutlineDelegate)
        m_cssOutlineDelegate->reset();

    File *selected = m_projectDelegate ? m_projectDelegate->selectedFile() : nullptr;
    static const QRegularExpression page(QStringLiteral(".htm"));
    if (!selected) {
        doReloadPreview();
        m_reloadedInPlace = true;
    } else if (selected->displayName().isEmpty() || selected->displayName().startsWith(QLatin1Char('.'))) {
        // Nothing is loaded for a hidden file.
    } else if (selected->displayName().contains(page)) {
        const QString address = selected->absolutePath();
        // After a load that failed, the browser may not yet have told the
        // failed address: its page is loaded anew, never reloaded.
        // A script's move within the page (a deck's slide, a section of a
        // one-page site, set in the address's fragment) leaves it the same page.
        const QString shown = QUrl(m_webview->mainFrameURL()).adjusted(QUrl::RemoveFragment).toString(QUrl::FullyEncoded);
        if (!m_loadFailed && defaults.stringForKey(s_lastURL) == address && shown == address) {
            doReloadPreview();
            m_reloadedInPlace = true;
        } else {
            setURL(selected);
            m_reloadedInPlace = false;
            m_webview->setDetectState(ExWebViewInterface::DetectOff);
        }
        setLastPreviewedFile(selected);
    } else {
        doReloadPreview();
        m_reloadedInPlace = true;
        // The tree shows the page's project again.
        if (m_lastPreviewedFile && selected->rootFile() != m_lastPreviewedFile->rootFile())
            syncronizFinderViewWitURL(QUrl(m_lastPreviewedFile->absolutePath()));
    }

    checkAndEnableNextURL();
    cleanStyle();
    m_webview->resetDetectView();
    m_webview->hideDetectLayer();
    if (m_lastPreviewedFile)
        ProjectUtil::setCurrentProjectPath(m_lastPreviewedFile->rootProject());
    if (!m_reloadedInPlace) {
        clearUndo();
        if (m_cssOutlineDelegate)
            m_cssOutlineDelegate->resetWithProjectChange();
    }
}

bool PreviewDelegate::confirmHistoryLoss()
{
    if (!m_projectDelegate || !m_projectDelegate->hasModified())
        return true;
    UserDefaults &defaults = UserDefaults::standardUserDefaults();
    if (defaults.boolForKey(s_clearUndoAlert)) {
        QM_DEBUG(QStringLiteral("clearUndoAlert suppressed"));
        return true;
    }
    Alert alert;
    alert.setMessageText(QStringLiteral("Reload HTML File"));
    alert.addButtonWithTitle(QStringLiteral("OK"));
    alert.addButtonWithTitle(QStringLiteral("Cancel"));
    alert.setInformativeText(
        QStringLiteral("Once you reload the preview, all your history will be lost.\nDo you want to reload the preview?"));
    alert.setShowsSuppressionButton(true);
    const int response = alert.runModal(m_window);
    if (response == Alert::SecondButtonReturn)
        return false;
    if (alert.suppressionButtonChecked()) {
        defaults.setBool(true, s_clearUndoAlert);
        defaults.synchronize();
    }
    return true;
}

void PreviewDelegate::doReloadPreview()
{
    if (!m_webview)
        return;
    WebContentMap::getInstance()->clear();
    setDownloadButtonsEnabled(false);
    // The page comes back from its file: the tree's steps, their edits
    // written first, stay as their changes of its text (#84).
    File::runPendingWrites();
    if (m_domTreeDelegate)
        m_domTreeDelegate->willReloadPage();
    if (m_cssOutlineDelegate)
        m_cssOutlineDelegate->willReloadPage();
    clearUndo();
    clearDomNodeMap();
    prepareLoad();
    m_webview->reload();
}

void PreviewDelegate::reloadChangedPage()
{
    if (!m_webview || m_webview->mainFrameURL().isEmpty())
        return;
    if (m_cssOutlineDelegate)
        m_cssOutlineDelegate->reset();
    cleanStyle();
    m_reloadedInPlace = true;
    doReloadPreview();
    m_webview->resetDetectView();
    m_webview->hideDetectLayer();
}

void PreviewDelegate::prepareLoad()
{
    // What the preview said of the page before is said of it no more.
    if (m_webview)
        m_webview->hideNotice();
    m_noticeOnceShown.clear();
    File::runPendingWrites();
    m_unsavedTextsTimer.stop();
    if (m_bypassResponder)
        m_bypassResponder->renewPatterns();
}

QStringList PreviewDelegate::unsavedPaths() const
{
    QStringList paths;
    if (!m_projectDelegate)
        return paths;
    for (File *root : m_projectDelegate->projects()) {
        for (File *file : root->editedFiles()) {
            if (file->isLocalFile() && file->isModified())
                paths.append(file->path());
        }
    }
    return paths;
}

void PreviewDelegate::pageRenewed()
{
    const ChromiumProcess::Start start = ChromiumProcess::instance().lastStart();
    QString what;
    switch (start) {
    case ChromiumProcess::Start::AfterNoAnswer:
        what = QStringLiteral("The preview's browser did not answer after it was started, so it was ended and started "
                              "again.");
        break;
    case ChromiumProcess::Start::AfterSilence:
        what = QStringLiteral("The preview's browser stopped answering, so it was ended and started again.");
        break;
    default:
        what = QStringLiteral("The preview's browser ended unexpectedly and was started again.");
        break;
    }
    // A start the user asked for (a page opened, Reload) needs no word.
    pageLost(what, start != ChromiumProcess::Start::AsAsked);
}

void PreviewDelegate::rendererCrashed()
{
    // The same as a death of the whole browser, and said the same way (#78).
    pageLost(QStringLiteral("The page's process in the preview's browser ended unexpectedly."), true);
}

void PreviewDelegate::pageLost(const QString &what, bool tell)
{
    // The page comes back as a save would write it: unsaved edits and all
    // (#64); the edits waiting for their write-back are written first.
    prepareLoad();
    m_reloadedInPlace = true;
    // The page before died: its document leaves every inspector now, and
    // with it every undo step made on it, whatever the user does before the
    // page is back. The message says so only when a step went, and Undo
    // offers none of them from then on.
    dropDocument(what);
    const bool stepsWent = clearUndo();
    if (!tell || !m_webview)
        return;
    // What the user is left with comes last, where the view keeps it
    // readable however narrow it is (#88).
    const QString undone = stepsWent ? QStringLiteral(" The edits made in the page before can no longer be undone.")
                                    : QString();
    QString message = what;
    const QUrl url = m_webview->webPage()->url();
    if (url.isValid() && url != QUrl(QStringLiteral("about:blank"))) {
        // That the page is back is said once it is (#80): a browser that
        // does not answer again never shows it.
        message += QStringLiteral(" The page is being loaded again.");
        m_noticeOnceShown = what
                            + (unsavedPaths().isEmpty() ? QStringLiteral(" The page is shown again.")
                                                        : QStringLiteral(" The page is shown again with your unsaved "
                                                                         "changes."))
                            + undone;
    }
    message += undone;
    // The view logs what it says.
    m_webview->showNotice(message);
}

void PreviewDelegate::dropEndedPage(const QString &message)
{
    // What is left of the page is no page: no tree is built from it and
    // nothing of it stays where it could be edited.
    m_loadFailed = true;
    letPageGo(message);
    setStatus(message);
    if (m_webview)
        m_webview->showNotice(message);
    Q_EMIT loadFailed(message);
}

void PreviewDelegate::letPageGo(const QString &reason)
{
    m_loadingTimeoutTimer.stop();
    m_resourceTreeTimer.stop();
    listResourcesOfEndedPage();
    setDownloadButtonsEnabled(false);
    // The panels say why they are empty.
    dropDocument(reason);
    clearDomNodeMap();
    m_styleFiles.clear();
    if (m_cssOutlineDelegate) {
        m_cssOutlineDelegate->updateRulesByElement(nullptr);
        m_cssOutlineDelegate->setStyleFiles({});
        m_cssOutlineDelegate->refreshStyleFiles();
    }
    clearUndo();
    m_noticeOnceShown.clear();
}

bool PreviewDelegate::clearUndo()
{
    InspectUndoManager *manager = File::sharedUndoManager();
    if (!manager)
        return false;
    // A step that edited one of them goes whole: the rest of it (a file's
    // text written back) would take back only half of the edit.
    int removed = 0;
    for (const QPointer<QObject> &target : std::as_const(m_clearUndoTargets)) {
        if (target)
            removed += manager->removeAllStepsWithTarget(target.data());
    }
    removed += manager->removeStepsOfDestroyedTargets();
    return removed > 0;
}

void PreviewDelegate::cleanStyle()
{
    File *root = rootOfLastPreviewedFile();
    if (!root)
        return;
    for (File *sheet : root->getFilesWithExt(QStringLiteral("css"))) {
        // The name finds folders ("css", "scss") and other files too (#80).
        if (sheet->fileType() != File::StyleSheet)
            continue;
        // Rules the panel keeps in step with the text stay the same objects.
        if (m_cssOutlineDelegate && m_cssOutlineDelegate->keepsRulesOf(sheet))
            continue;
        sheet->setStyleDeclarations(std::nullopt);
    }
}

// --- History -----------------------------------------------------------------------------------

void PreviewDelegate::goAndBackcontrol(int segment)
{
    if (!m_webview || m_webview->mainFrameURL().isEmpty() || !confirmHistoryLoss())
        return;
    WebPage *page = m_webview->webPage();
    if (m_selectedURLPath)
        m_selectedURLPath->setStringValue(page->url().toString());
    // The history as it is now: a page whose load just began is in it.
    QPointer<PreviewDelegate> guard(this);
    page->historyEntry(segment == 1 ? 1 : -1, [guard, page](std::optional<WebHistoryEntry> entry) {
        if (!guard || !entry)
            return;
        const QUrl url = entry->url;
        if (url.isValid()) {
            if (!guard->checkOnline(url.toString()))
                return;
            guard->setLastPreviewedFile(url.isLocalFile() ? guard->projectFileOf(url.toLocalFile()) : nullptr);
        }
        guard->prepareLoad();
        page->navigateToHistoryEntry(entry->id);
        guard->maintainbackForwardButton();
        guard->syncronizFinderViewWitURL(url);
        // The page remembered is the one gone to.
        saveURLToUserDefaults(url.toString(QUrl::FullyEncoded), s_lastURL);
        guard->clearDomNodeMap();
    });
}

void PreviewDelegate::maintainbackForwardButton()
{
    if (!m_backfowadControl)
        return;
    const WebPage *page = m_webview ? m_webview->webPage() : nullptr;
    m_backfowadControl->setEnabled(page && page->canGoBack(), 0);
    m_backfowadControl->setEnabled(page && page->canGoForward(), 1);
}

// --- The file tree ------------------------------------------------------------------------------

void PreviewDelegate::syncronizFinderViewWitURL()
{
    if (m_webview)
        syncronizFinderViewWitURL(m_webview->webPage()->url());
}

void PreviewDelegate::syncronizFinderViewWitURL(const QUrl &url)
{
    auto *tree = m_projectDelegate ? qobject_cast<OutlineView *>(m_projectDelegate->finderView()) : nullptr;
    if (!tree)
        return;
    const QString extension = QFileInfo(url.path()).suffix();
    File *file = nullptr;
    if (url.isLocalFile() && (extension == QLatin1String("html") || extension == QLatin1String("htm")))
        file = projectFileOf(url.toLocalFile());
    if (!file) {
        tree->deselectAll();
        return;
    }
    // The tree opens down to the page, root first.
    QList<File *> ancestors;
    for (File *parent = file->parentFile(); parent; parent = parent->parentFile())
        ancestors.prepend(parent);
    for (File *ancestor : std::as_const(ancestors))
        tree->expandItem(ancestor);
    const int row = tree->rowForItem(file);
    if (row < 0)
        return;
    m_projectDelegate->setIgnoreOpenFile(true);
    tree->selectRowIndexes({row}, false);
    tree->scrollRowToVisible(row);
    m_projectDelegate->setIgnoreOpenFile(false);
}
