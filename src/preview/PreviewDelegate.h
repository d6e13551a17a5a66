#pragma once

#include "ExWebView.h"

#include "interfaces/PreviewHalfInterface.h"
#include "platform/web/dom/DOMEngineQueries.h"
#include "platform/web/engine/WebNetworkEvents.h"
#include "toolkit/ProgressiveBox.h"

#include <QByteArray>
#include <QHash>
#include <QLabel>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QTimer>
#include <QUrl>
#include <QVariant>

#include <array>
#include <functional>
#include <memory>

class BypassResponder;
class AnimationManagerInterface;
class CSSOutlineDelegateInterface;
class DownloaderDelegate;
class DOMDocument;
class DOMElement;
class DOMNode;
class File;
class LoadedPage;
class LoadedResource;
class LoadedResourceDelegate;
class PreviewDomTreeInterface;
class ProjectDelegateInterface;
class QAbstractButton;
class QAction;
class QComboBox;
class QNetworkAccessManager;
class QSlider;
class QWidget;
class SearchFieldEx;
class SegmentedControl;
class WebFrameEx;
struct DOMMutationEvent;

// One record of the page's mutation observer as the bridge hands it on: its
// type ("attributes") and the node it concerns.
struct ScriptMutationRecord
{
    QString type;
    DOMNode *target = nullptr; // Not owned.
};

// The preview half of the project controller: it makes the preview and sets
// its preferences; decides what is loaded (a project page, a typed address,
// a reload in place, a step back or forward) and keeps the address field,
// the back/forward control and the file tree in step with the page; follows
// the frames and requests of every load to show its progress and to build
// the DOM tree once the page is complete; and drives element detection
// (hover, lock click, the selected element). It also listens to the page's
// document through the bridge and keeps the JavaScript switch.
//
// The project controller owns it and calls it through PreviewHalfInterface;
// it calls the project controller, the DOM tree and the rules panel through
// their interfaces, each skipped while it is not installed. The controls are
// the main window's (not owned, any may be missing).
//
// The topics live in PreviewDelegate.cpp (set-up, the bridge, JavaScript),
// PreviewDelegateLoading.cpp (addresses, reload, history, the file tree),
// PreviewDelegateProgress.cpp (following a load), PreviewDelegateResources.cpp
// (the frames and resources of the page, local substitutes),
// PreviewDelegateDetect.cpp (element detection), PreviewDelegateSizes.cpp
// (device sizes, the responsive slider, zoom and the ruler) and
// PreviewDelegateLibrary.cpp (the library download sheet).
class PreviewDelegate : public QObject, public PreviewHalfInterface
{
    Q_OBJECT

public:
    explicit PreviewDelegate(QObject *parent = nullptr);
    ~PreviewDelegate() override;

    // --- Wiring ----------------------------------------------------------------------------
    void setProjectDelegate(ProjectDelegateInterface *delegate) { m_projectDelegate = delegate; }
    void setDomTreeDelegate(PreviewDomTreeInterface *delegate) { m_domTreeDelegate = delegate; }
    PreviewDomTreeInterface *domTreeDelegate() const { return m_domTreeDelegate; }
    void setCssOutlineDelegate(CSSOutlineDelegateInterface *delegate) { m_cssOutlineDelegate = delegate; }
    CSSOutlineDelegateInterface *cssOutlineDelegate() const { return m_cssOutlineDelegate; }
    // The keyframe timeline, told when a page starts loading and when it is complete; may stay unset.
    void setAnimationManager(AnimationManagerInterface *manager) { m_animationManager = manager; }
    // The project controller's online check: false (after its alert) for a
    // network address while offline. Without one every address is tried.
    void setOnlineCheck(std::function<bool(const QString &)> check) { m_checkOnline = std::move(check); }
    // The window whose title follows the page.
    void setWindow(QWidget *window) { m_window = window; }
    // The controls (any may be null): the address field with its history,
    // the back/forward control (segment 0 back, 1 forward), the reload
    // button, the two detect buttons, the progress box along the address
    // field, and the labels of the counts and of the loaded size.
    void setSelectedURLPath(SearchFieldEx *field);
    void setBackForwardControl(SegmentedControl *control);
    void setReloadButton(QAbstractButton *button);
    void setDetectButtons(QAbstractButton *detectButton, QAbstractButton *detectButton2);
    void setProgressiveBox(ProgressiveBox *box) { m_progressiveBox = box; }
    void setLoadStatusTextField(QLabel *label) { m_loadStatusTextField = label; }
    void setTotalFileSizeTextField(QLabel *label) { m_totalFileSizeTextField = label; }
    // Where downloads started from the page go.
    void setDownloadFolder(const QString &path);
    // The controllers whose undo steps a reload of another page drops.
    void addClearUndoTarget(QObject *target)
    {
        if (target && !m_clearUndoTargets.contains(target))
            m_clearUndoTargets.append(target);
    }

    // --- Set-up (PreviewDelegate.cpp) -----------------------------------------------
    ExWebView *webview() override { return m_webview; }
    // Makes a new preview filling the container (none without one), dropping the old one.
    void initWebView(QWidget *container) override;
    // The preview's preferences: JavaScript as the switch says, windows opened
    // by script, images loaded at once, local pages reading local files.
    void initWebPreference();
    // The two buttons that save the page with its resources (either may be
    // null): enabled only while a page is complete.
    void setDownloadButtons(QAbstractButton *downloadButton, QAbstractButton *downloadToolbarButton);
    void setDownloadButtonsEnabled(bool enabled) override;
    bool downloadButtonsEnabled() const { return m_downloadButtonsEnabled; }

    // --- The page's document and the bridge (PreviewDelegate.cpp) --------------------
    bool javascriptEnable() const { return m_javascriptEnable; }
    // The document the inspectors show: the main frame's after every load,
    // or that of the frame the user chose in the resource list since.
    DOMDocument *shownDocument() const;
    // Whether the DOM tree was built for the document shown.
    bool domTreeInitialised() const;
    void setDomTreeInitialised(bool initialised);
    // The two switch buttons that show the JavaScript state (either may be null).
    void setJavascriptStatusButtons(QAbstractButton *first, QAbstractButton *second);
    // "DOMContentLoaded" and "DOMSubtreeModified" of the main frame reach handleEvent().
    void initDomListeners();
    void removeDomListeners();
    void handleEvent(const DOMMutationEvent &event);
    // Builds the DOM tree for the document; the bridge is in the page already.
    // A document of a load that failed builds nothing.
    void initDomTree(DOMDocument *document);
    // What the page may call: a console line, and its attribute records.
    void consoleFromJS(const QVariant &value);
    void domAttributeChangeListener(const QList<ScriptMutationRecord> &records);
    static bool isSelectorExcludedFromWebScript(const QByteArray &selector);
    void chageJavascriptStatus();
    void startJavascript() override;
    void pauseJavascript();

    // --- Addresses, reload and history (PreviewDelegateLoading.cpp) -------------------
    // Shows a project file (null shows nothing and forgets the page).
    void setURL(File *file) override;
    // Loads the address as typed in the address field: "http://" goes in
    // front of an address without "http://", "https://" or "file://"; an
    // address that cannot be loaded is said so in the status and the log.
    void urlEnter(const QString &address) override;
    void setMainFrameURL(const QString &address) override;
    // Loads the selected project page, or reloads the page shown (asking
    // first when a project has unsaved changes, unless "clearUndoAlert").
    void refreshWebview() override;
    bool isReloadOnly() const override { return m_reloadedInPlace; }
    void reloadPage() override { refreshWebview(); }
    // The page shown is loaded again in place without asking: the files it
    // is made of changed (another program's version taken in, edits
    // discarded). Its style sheets are read again; the DOM tree selects the
    // element selected again where it still stands.
    void reloadChangedPage() override;
    void doReloadPreview();
    // The "Reload HTML File" question, asked before a load drops the undo
    // steps of the page shown while a project has unsaved changes (unless
    // "clearUndoAlert"): false when the user cancels.
    bool confirmHistoryLoss();
    // The page crashed its renderer right after each reload: the status says
    // so, and the DOM tree, the rules panel and the selection let it go.
    void dropEndedPage(const QString &message);
    // The page shown is gone from the preview: its document leaves every
    // inspector with the reason, and its undo steps go.
    void letPageGo(const QString &reason);
    // The page's downloads (PreviewDelegateDownloads.cpp).
    void connectDownloads();
    void askAboutDownload();
    // Drops the undo steps of the rules panel, the DOM tree and the
    // style-sheet manager, and those of the nodes of a page no longer shown;
    // answers whether any step went.
    bool clearUndo();
    // The style sheets of the previewed project are parsed again when next read.
    void cleanStyle();
    // Back (segment 0) or forward (segment 1) in the page's history.
    void goAndBackcontrol(int segment);
    void maintainbackForwardButton();
    // Selects the row of the page shown in the file tree (a project page),
    // or no row (anything else).
    void syncronizFinderViewWitURL();
    void syncronizFinderViewWitURL(const QUrl &url);
    void clearURLInputSelection();
    void checkAndEnableNextURL() override;
    static QString encodeURIComponent(const QString &text);
    // Posts "viewWebFile" for a network address, "viewLocalFile" otherwise.
    void wanlanCheck(const QString &url);

    // --- Following a load (PreviewDelegateProgress.cpp) -------------------------------------
    int resourceCount() const { return m_resourceCount; }
    int resourceCompletedCount() const { return m_resourceCompletedCount; }
    int resourceFailedCount() const { return m_resourceFailedCount; }
    int frameCount() const { return m_frameCount; }
    int frameCompleteCount() const { return m_frameCompleteCount; }
    bool lateResourceLoaded() const { return m_lateResourceLoaded; }
    // The page's style sheets: the project's Files of the local ones.
    QList<File *> styleFiles() const;
    // Whether the last load failed, and what the status said.
    bool isLoadFailed() const { return m_loadFailed; }
    QString loadStatus() const { return m_loadStatus; }
    // The counts and the progress box follow the load; when every counted
    // request and frame is done the page is complete.
    void updateUserInterface();
    void loadingTimeout();
    void preinitializeDomtree();
    // How long a load may count nothing before it is taken as timed out.
    int loadingTimeoutInterval() const { return m_loadingTimeoutTimer.interval(); }
    void setLoadingTimeoutInterval(int ms) { m_loadingTimeoutTimer.setInterval(ms); }

    // --- Frames and resources (PreviewDelegateResources.cpp) --------------------------------
    // The records of the page shown: a frame record per frame (the main
    // frame's first), the Files of the resources whose loads ended (by
    // request, and the last by address), and the roots of the resource list
    // (the main frame's index File). Owned by the preview; they last until
    // the next page's list is shown.
    QList<WebFrameEx *> webframes() const;
    WebFrameEx *mainFrame() const;
    QList<File *> responseFiles() const;
    File *responseFileWithURL(const QUrl &url) const;
    QList<File *> resourceRoots() override;
    bool pageFileCameOrWent(const QString &folder) override;
    LoadedPage *loadedPage() const { return m_page.get(); }
    // The resource list the records go to (not owned; may be null).
    void setLoadedResourceDelegate(LoadedResourceDelegate *delegate);
    LoadedResourceDelegate *loadedResourceDelegate() const;
    BypassResponder *bypassResponder() const;
    // The document a frame record shows, or null before it is mirrored.
    DOMDocument *documentOfFrame(const WebFrameEx *frame) const;
    // The user chose the frame in the resource list: the inspectors show its
    // document, written back into its own file, until the next load.
    void showFrameDocument(WebFrameEx *frame);
    // The summed size of every frame's resources.
    qint64 totalFileSize() const { return m_loadedBytes; }
    // Sorts every frame's resources into groups and hands the page's style
    // sheets and index File on; run once per turn after resources ended.
    void regroupResources();
    // The resource list takes the new roots.
    void updateResourceTree();
    // The project file of each resource (the groups walked) forgets why it
    // was last changed, unless it has unsaved changes.
    void resetFileChangeReason(const QList<File *> &files);
    std::shared_ptr<Operation> removeBypassOperation(File *root) override;
    std::shared_ptr<Operation> autoBypassOperation(File *root) override;

    // --- Element detection (PreviewDelegateDetect.cpp) ---------------------------------------
    void doDetectPreview(bool on) override;
    // Frames of the page are still loading (its end switches pick mode off).
    bool isLoading() const { return !m_loadingFrames.isEmpty(); }
    bool isDetectButtonOn() const override;
    void detectPreview(QAbstractButton *button);
    void updateDetectButtonState();
    DOMNode *selectedElement() const;
    void detectLockDownHandler(QMouseEvent *event) override;
    void detectLockCommitHandler(QMouseEvent *event) override;
    // The element selected in the DOM tree, its rows reloaded and its rules listed.
    void lockElement(DOMNode *element);
    // The element the DOM tree shows for a node under the pointer.
    DOMNode *pickableElement(DOMNode *node) const;
    bool elementIsEditable() const;
    void clearDetectLayer() override;
    void clearDetectLayerWithNode(DOMNode *node);
    void updateDetectLayer() override;
    void invalidateElementInformation() override;
    void webViewMouseDidMoveOverElement(DOMNode *node, Qt::KeyboardModifiers modifiers);
    void webViewDidScroll();
    void setDetectCursor();
    static bool includeInRect(const QRectF &rect, const QPointF &point);
    void setElementInformation(DOMNode *element);
    void createAllRuleList(DOMElement *element, const QString &presudeElement, QList<DOMMatchedRule> &allRules);

    // --- Device sizes, the responsive slider, zoom and the ruler (PreviewDelegateSizes.cpp) ---
    // The breakpoint markers on the ruler.
    enum Marker { BreakIPhoneV, BreakIPhoneH, BreakIPhoneOldH, BreakIPadV, BreakIPadH, BreakDesktop, MarkerCount };
    // Where a slider value lands: its snapped value and the marker lit (MarkerCount: none).
    struct SliderSnap
    {
        int value = 0;
        Marker marker = MarkerCount;
    };
    // The size of a device preset (tags 1 to 4) in an orientation, its
    // height with or without the browser's chrome; tag 0 (fit) has none.
    static QSize presetSize(int tag, bool landscape, bool chromed);
    // The pop-up's title of a preset in an orientation.
    static QString presetTitle(int tag, bool landscape);
    static Marker presetMarker(int tag, bool landscape);
    // The slider's value snapped to the breakpoint whose window holds it, or
    // to the maximum within 20 of it.
    static SliderSnap snapResponsiveWidth(int value, int maximum);

    // The controls (any may be null): the size pop-up (tags 0 to 4 as item
    // data), the orientation button, the chrome item, the width slider, the
    // ruler above the preview (the breakpoint markers go on it) and the
    // ruler's menu item.
    void setPreviewSizePopUpButton(QComboBox *popUp);
    void setOrientationButton(QAbstractButton *button);
    void setChromedPreview(QAction *item);
    void setResponsiveSlider(QSlider *slider);
    void setResponsiveRuler(QWidget *ruler);
    void setResponsiveRulerMenuItem(QAction *item) { m_responsiveRulerMenuItem = item; }

    // The view the preview lies in, over the grid; null before initWebView().
    QWidget *mainView() const { return m_mainView; }
    QWidget *gridView() const { return m_gridView; }
    QWidget *sizeBox() const { return m_sizeBox; }
    QWidget *webviewBorderShadow() const { return m_webviewBorderShadow; }
    QLabel *wLabel() const { return m_wLabel; }
    QLabel *hLabel() const { return m_hLabel; }
    // The preset applied last, the orientation and the chrome switch.
    int lastPresetTag() const { return m_lastPresetTag; }
    bool isLandscapePreview() const { return m_landscapePreview; }
    bool isChromedPreviewOn() const { return m_chromedPreviewOn; }
    double markerAlpha(Marker marker) const { return m_markerAlpha.at(marker); }
    // The width of the preview as the slider sets it.
    int responsiveWidth() const;

    // Puts the preview at the preset's size at the top of its pane (tag 0
    // fills the pane; keepSlider keeps the slider's width where it can).
    void doSetPreviewSize(int index, bool keepSlider) override;
    void changePreviewSize(int tag);
    void goBiggerSize();
    void goSmallerrSize();
    void previewRotation();
    void previewChrome();
    void updateOrientationButtonState();
    void doSetPreviewWithLastIndex() override;
    // The slider moved: the preview takes its (snapped) width.
    void changeWebviewWidth();
    // The user let go of the slider: the matched rules follow the new width.
    void commitResponsiveSliderChange();
    void setWebviewLabelSize(const QRect &rect);
    void setBorderShadow(const QRect &rect);

    // The page is drawn √level times larger.
    qint64 zoomLevel() const { return m_zoomLevel; }
    void zoomIn();
    void zoomOut();
    void resetScaling();
    void zoom(qint64 level);

    // Shows the ruler or hides it, and remembers the choice in "rulerActive".
    void activateResponsiveRuler(bool active) override;
    void toggleResponsiveRuler() { activateResponsiveRuler(m_rulerHidden); }
    bool isRulerHidden() const { return m_rulerHidden; }

    // --- The library download sheet (PreviewDelegateLibrary.cpp) ------------------------
    // Asks the first library index page; when it answers, the sheet opens
    // over the window for the project folder clicked or selected in the file
    // tree; when it cannot be reached, its error is shown instead.
    void downloadLib();
    void closeDownloadLib();
    DownloaderDelegate *downloaderDelegate() const { return m_downloaderDelegate; }

Q_SIGNALS:
    // initDomTree() has rebuilt the DOM tree for the page's document.
    void domTreeInitialized(DOMDocument *document);
    // The page of a load is complete (once per load).
    void loadCompleted();
    // A load failed; the status says why.
    void loadFailed(const QString &message);

private:
    // The resource list of a page given up: what it loaded, if anything.
    void listResourcesOfEndedPage();
    // A request of the main frame's document load, as counted.
    struct CountedRequest
    {
        int identifier = 0;
        bool icon = false;
        // Finished or failed: it counts once, whatever the browser reports after.
        bool done = false;
        QUrl url;
        QString resourceType;
    };

    // Notes the text of the page or sheet the page was given now: a
    // code-view edit of it undone back to that text leaves the page in step.
    static void noteShownText(File *file);
    void connectPage();
    void showJavascriptStatus(bool on);
    // Before the program loads a page: edits waiting for their write-back
    // are written, and the page is given the program's unsaved texts.
    void prepareLoad();
    // The browser died and was started again: the page comes back from the
    // program's texts; the user is told that its undo steps go.
    void pageRenewed();
    // The page's renderer died and the page is loaded again: the same.
    void rendererCrashed();
    // The page shown died with its browser or renderer (`what` says which):
    // its document and undo steps go at once, and it is loaded again from
    // the program's texts; `tell` says it over the page.
    void pageLost(const QString &what, bool tell);
    // The paths of the project files whose text holds edits not on disk.
    QStringList unsavedPaths() const;

    bool checkOnline(const QString &url) const;
    File *rootOfLastPreviewedFile() const;
    // The project's node of a file-system path, the page's project first.
    File *projectFileOf(const QString &path) const;
    void setLastPreviewedFile(File *file);
    void setStatus(const QString &text);
    void clearDomNodeMap();
    // The document before goes from every inspector and the overlay at
    // once (a load began or failed); they say why in one line.
    void dropDocument(const QString &reason);

    // PreviewDelegateSizes.cpp
    void makeMainView(QWidget *container);
    void setMarkerAlpha(Marker marker, double alpha);
    void resetMarkers();
    void placeMarkers();
    void showActualSizeTitle(const QSize &size);
    QRect previewFrame() const;

    // PreviewDelegateProgress.cpp
    void frameStartedLoading(const QString &frameId);
    void frameStoppedLoading(const QString &frameId);
    void requestSent(const WebRequestInfo &request);
    void responseReceived(const WebResponseInfo &response);
    void requestFinished(const QString &requestId, qint64 encodedLength);
    void requestFailed(const QString &requestId, const QString &errorText, bool canceled);
    void mainFrameStarted();
    // A local folder without a suffix stands for its index.html.
    static QUrl folderIndexURL(const QUrl &url, File *file);
    void mainFrameRequested(const QUrl &url);
    void failLoad(const QUrl &url, const QString &errorText);
    // The load became a download or was given up: the page before it, still
    // shown, is the inspectors' again.
    void keepPageBeforeLoad();
    void addStyleFile(const QUrl &url);
    bool isCurrentDocument(const DOMDocument *document) const;

    // PreviewDelegateResources.cpp
    void connectResources();
    void startLoadedPage();
    void resourceRequested(const WebRequestInfo &request);
    void resourceResponded(const WebResponseInfo &response);
    void resourceExtraInfoReceived(const WebResponseExtraInfo &info);
    void resourceFinished(const QString &requestId, qint64 encodedLength);
    void resourceFailed(const QString &requestId, const QString &errorText);
    void frameRecordStarted(const QString &frameId);
    DOMDocument *documentOfBrowserFrame(const QString &frameId) const;
    // The File a frame's document is written back into: the project's file
    // of a local page, else the frame's index File.
    File *fileToWrite(WebFrameEx *frame) const;
    WebFrameEx *frameRecord(const QString &frameId);
    void takeBody(const std::shared_ptr<LoadedResource> &load);
    void askNextBodies();
    void resourceEnded(LoadedResource *load);
    void makeNodesOfPendingResources();

    QPointer<ExWebView> m_webview;
    ProjectDelegateInterface *m_projectDelegate = nullptr;       // Not owned.
    PreviewDomTreeInterface *m_domTreeDelegate = nullptr;        // Not owned.
    CSSOutlineDelegateInterface *m_cssOutlineDelegate = nullptr; // Not owned.
    AnimationManagerInterface *m_animationManager = nullptr; // Not owned.
    std::function<bool(const QString &)> m_checkOnline;
    QPointer<QWidget> m_window;
    QPointer<SearchFieldEx> m_selectedURLPath;
    QPointer<SegmentedControl> m_backfowadControl;
    QPointer<QAbstractButton> m_reloadButton;
    QPointer<QAbstractButton> m_detectButton;
    QPointer<QAbstractButton> m_detectButton2;
    QPointer<ProgressiveBox> m_progressiveBox;
    QPointer<QLabel> m_loadStatusTextField;
    QPointer<QLabel> m_totalFileSizeTextField;
    QPointer<QAbstractButton> m_javascriptStatusButton;
    QPointer<QAbstractButton> m_downloadButton;
    QPointer<QAbstractButton> m_downloadToolbarButton;
    QPointer<QAbstractButton> m_javascriptStatusButton2;
    QList<QPointer<QObject>> m_clearUndoTargets;
    QString m_downloadFolder;
    struct DownloadQuestion
    {
        QString guid;
        QString name;
        qint64 size = -1;
        QUrl url;
    };
    QList<DownloadQuestion> m_downloadQuestions; // the first is asked
    bool m_javascriptEnable = true;
    std::weak_ptr<DOMDocument> m_domTreeDocument; // the document the DOM tree was built for
    // The main frame's document the inspectors showed last: another one is a
    // new page, and the undo steps of the page before can never run again.
    std::weak_ptr<DOMDocument> m_shownMainDocument;
    QString m_chosenFrame; // the browser's id of the frame chosen in the resource list; empty: the main frame
    bool m_downloadButtonsEnabled = false;
    bool m_reloadedInPlace = false;
    QTimer m_unsavedTextsTimer; // the page's held-back files follow the edits
    QPointer<File> m_lastPreviewedFile;

    // The load under way.
    QString m_lastMainFrameURL;
    QString m_enteredURL;
    QString m_mainLoaderId;
    QHash<QString, CountedRequest> m_countedRequests; // request id -> its record
    QSet<QString> m_loadingFrames;                    // the browser's frame ids
    int m_resourceCount = 0;
    int m_resourceCompletedCount = 0;
    int m_resourceFailedCount = 0;
    int m_frameCount = 0;
    int m_frameCompleteCount = 0;
    bool m_mainFrameCounted = false; // the page's main frame is in frameCount
    qint64 m_loadedBytes = 0;
    bool m_lateResourceLoaded = false;
    bool m_loadFailed = false;
    bool m_completed = false;
    // What the preview says over the page once the load under way completes.
    QString m_noticeOnceShown;
    QString m_loadStatus;
    std::weak_ptr<DOMDocument> m_documentBeforeLoad;
    QList<QPointer<File>> m_styleFiles;
    QList<QPointer<File>> m_styleFilesBeforeLoad;
    bool m_pageKept = false; // the load was given up: the page before it is shown still
    QTimer m_resourceTreeTimer;
    QTimer m_loadingTimeoutTimer;

    // Device sizes, the slider, zoom and the ruler.
    QPointer<QWidget> m_mainView;            // Owned by the container.
    QPointer<QObject> m_mainViewFilter;      // Owned (QObject child).
    QPointer<QWidget> m_gridView;            // Owned by the main view.
    QPointer<QWidget> m_webviewBorderShadow; // Owned by the main view.
    QPointer<QWidget> m_sizeBox;             // Owned by the main view.
    QPointer<QLabel> m_wLabel;
    QPointer<QLabel> m_hLabel;
    QPointer<QComboBox> m_previewSizePopUpButton;
    QPointer<QAbstractButton> m_orientationButton;
    QPointer<QAction> m_chromedPreview;
    QPointer<QSlider> m_responsiveSlider;
    QPointer<QWidget> m_responsiveRuler;
    QPointer<QAction> m_responsiveRulerMenuItem;
    std::array<QPointer<QWidget>, MarkerCount> m_markers;
    std::array<double, MarkerCount> m_markerAlpha{};
    bool m_landscapePreview = false;
    bool m_chromedPreviewOn = false;
    int m_lastPresetTag = 0;
    qint64 m_zoomLevel = 1;
    bool m_rulerHidden = false;
    bool m_applyingSize = false;

    // The library download sheet.
    DownloaderDelegate *m_downloaderDelegate = nullptr; // Owned (QObject child).
    QNetworkAccessManager *m_libraryNetwork = nullptr;  // Owned (QObject child).
    bool m_libraryRequestPending = false;

    // The frames and resources of the page (PreviewDelegateResources.cpp):
    // the page being recorded, and the previous one while the resource list
    // still shows it.
    std::unique_ptr<LoadedPage> m_page;
    std::unique_ptr<LoadedPage> m_listedPage;
    const LoadedPage *m_pageInList = nullptr; // the page the list shows
    QHash<QString, QString> m_frameParents;   // browser frame id -> its parent's, as attached
    QSet<QString> m_pageFrames;               // the frames attached since the page began
    QList<std::weak_ptr<LoadedResource>> m_bodyQueue;
    QHash<QString, WebHeaders> m_earlyHeaders; // request id -> the headers sent, told before the request
    int m_bodiesAsked = 0;
    QTimer m_regroupTimer;
    QList<QPointer<File>> m_resourceTreeRoots;
    QString m_listedIndexPath; // the address of the page the roots were last made for
    QPointer<LoadedResourceDelegate> m_loadedResourceDelegate;
    QPointer<BypassResponder> m_bypassResponder; // a child of the view's page
};
