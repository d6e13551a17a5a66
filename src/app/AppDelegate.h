#pragma once

#include "DesktopApplications.h"
#include "MainInterface.h"

#include "foundation/TargetRef.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QVariantMap>

#include <functional>
#include <memory>

class BalkInvocationManager;
class CSSOutlineDelegateInterface;
class DomTreeDelegateInterface;
class File;
class FileViewControllerInterface;
class InspectUndoManager;
class ProjectDelegateInterface;
class QAbstractButton;
class QMenu;
class QThreadPool;
class Reachability;
class StyleSheetsManagerDelegateInterface;
struct Notification;

// The application delegate: the user-defaults fallbacks, launching and
// quitting, the online state, the main interface and its windows (the main
// window, the style-inspector panel and the navigator, whose delegate it is),
// the rules of the main window's panes, the menus' commands, the shared undo
// manager and the deferred-write batcher. There is one; every part of the
// program reaches it through instance().
//
// The topics live in AppDelegate.cpp (start-up and shut-down, windows),
// AppDelegatePanes.cpp (split views and pane toggles), AppDelegateInspector.cpp
// (the style-inspector panel and the navigator) and AppDelegateMenus.cpp
// (menus and their commands).
class AppDelegate : public QObject
{
    Q_OBJECT

public:
    // Starts the reachability monitor; the interface is loaded separately.
    AppDelegate();
    ~AppDelegate() override;

    // Registers the user-defaults fallbacks; runs before anything else reads them.
    static void initialize();
    static QVariantMap defaultValues();

    static AppDelegate *instance();

    // Builds the windows and menus, wires them to this delegate, places the
    // windows at their saved frames and shows the main window.
    void loadInterface();
    MainInterface &ui() { return m_ui; }
    QWidget *window() const;

    // --- Controllers ---------------------------------------------------------
    // The controllers of the later subsystems, installed when they are built;
    // none is owned. Until one is installed the shell skips its calls and
    // keeps the commands that need it disabled.
    ProjectDelegateInterface *projectController() const { return m_projectController; }
    void setProjectController(ProjectDelegateInterface *controller);
    DomTreeDelegateInterface *domTreeController() const { return m_domTreeController; }
    void setDomTreeController(DomTreeDelegateInterface *controller) { m_domTreeController = controller; }
    CSSOutlineDelegateInterface *cssOutlineDelegate() const { return m_cssOutlineDelegate; }
    void setCssOutlineDelegate(CSSOutlineDelegateInterface *controller) { m_cssOutlineDelegate = controller; }
    FileViewControllerInterface *fileViewController() const { return m_fileViewController; }
    void setFileViewController(FileViewControllerInterface *controller);
    StyleSheetsManagerDelegateInterface *styleSheetsManager() const { return m_styleSheetsManager; }
    void setStyleSheetsManager(StyleSheetsManagerDelegateInterface *manager) { m_styleSheetsManager = manager; }
    QObject *compilerViewController() const { return m_compilerViewController; }
    void setCompilerViewController(QObject *controller) { m_compilerViewController = controller; }
    QObject *domInfoDelegate() const { return m_domInfoDelegate; }
    void setDomInfoDelegate(QObject *delegate) { m_domInfoDelegate = delegate; }
    // The project controller's file tree, else the place it will fill.
    QWidget *finderView() const;

    // --- Online state ----------------------------------------------------------
    bool isInternetAvail() const { return m_isOnline; }
    // Re-reads the reachability monitor's answer.
    void networkStatusChange();

    // --- Launching and quitting -------------------------------------------------
    void applicationDidFinishLaunching();
    void applicationDidBecomeActive() {}
    void applicationDidResignActive() {}
    // The quit confirmation of the main window; any other window may close.
    bool windowShouldClose(QWidget *window);
    // Records the pane sizes; always answers true.
    bool applicationShouldTerminateAfterLastWindowClosed();
    void applicationWillTerminate();
    // Set once the program has decided to quit.
    bool isTerminating() const { return m_isTerminating; }
    // Tells the user what became of a settings file that could not be used
    // (SettingsFile): those told together share one alert over the window.
    void tellSettingsFileProblem(const QString &message);

    void saveFloatToUserDefaults(float value, const QString &key);
    float loadFloatFromUserDefaultsForKey(const QString &key) const;

    // --- Undo and deferred writes -------------------------------------------------
    // The application's one undo manager, made on first use.
    InspectUndoManager *sharedUndoManager();
    // The shared undo manager for the windows of this delegate, else null.
    InspectUndoManager *windowWillReturnUndoManager(QWidget *window);
    // The deferred-write batcher, made at launch (or on first use before that).
    BalkInvocationManager *balkInvocationManager();
    // Queues the target's write-back of the file (`lazyWrite`, the target's
    // regeneration of the file's text) in the batcher: equal requests run
    // once, 0.1 s after the last new one, and the undo group of the edits is
    // closed at the end of the turn in which the writes ran. The call is
    // skipped when the target or the file is gone by then.
    void reserveWrite(const TargetRef &target, const TargetRef &file, std::function<void()> lazyWrite);

    // --- Panes (AppDelegatePanes.cpp) -------------------------------------------------
    // The split views' delegate answers.
    bool canCollapseSubview(SplitView *splitView, QWidget *subview);
    bool shouldCollapseSubviewForDoubleClickOnDividerAtIndex(SplitView *splitView, QWidget *subview, int index);
    double constrainMinCoordinate(SplitView *splitView, double proposed, int dividerIndex) const;
    double constrainMaxCoordinate(SplitView *splitView, double proposed, int dividerIndex) const;
    void splitViewDidResizeSubviews(SplitView *splitView);
    void windowDidResize(QWidget *window);

    // Index 0 the left column, 1 the centre bottom pane, 3 the centre top
    // pane, 4 the left bottom pane, 5 the right bottom pane: a collapsed pane
    // is shown at its remembered size, a shown one collapsed.
    void toggleSlide(int index);
    void toggleLeftview() { toggleSlide(0); }
    void toggleInspector() { toggleSlide(1); }
    void toggleCenterBottomView() { toggleSlide(3); }
    void toggleCenterBottomLeftView() { toggleSlide(4); }
    void toggleCenterBottomRightView() { toggleSlide(5); }
    // The segment of the pane expander that was clicked.
    void toggleProjectControllerView(SegmentedControl *sender);
    int lastToggleIndex() const { return m_lastToggleIndex; }

    // The full-size preview hides everything around the preview in the
    // main window, and the element overlay; the selection and the other
    // windows stay as they are.
    void togglePreviewMode();
    bool isFullSizePreview() const { return m_isFullSizePreview; }
    // Leaves the full-size preview mode (an element is being selected):
    // while the preview waits for a click on an element, once that click
    // has picked one ("elementPicked").
    void selectNodeMode();
    void elementPicked();

    // At launch, once the main window stands at its frame: on the screen
    // the last run ran on, every divider where that run left it (the
    // inspectors beside the code view too, the preview above them taking
    // the rest); at a first launch and on another screen, the proportions
    // of the window's height: the preview's pane at least 40% of a window
    // 800 high and 45% of one 1080 high, the inspectors beside the code
    // view (the DOM tree, the attributes and the style attribute) room for
    // at least four, two and three rows there and eight, three and five
    // here, the preview the rest. Quitting keeps every divider's place.
    void sizePanesAtLaunch();
    void savePanes();
    // Set once launching has sized the panes.
    bool arePanesPlaced() const { return m_panesPlaced; }

    // After the keyframe button changed its state: shows or collapses the
    // keyframe pane below the DOM tree, opened at half the DOM tree's height
    // or, where that is less, at the height the pane asks for; where the
    // tree's area is too short for that, it grows into the attributes
    // below it until the pane is hidden again.
    void toggleKeyframeEditor();
    // Sets the keyframe button from the pane's state.
    void setKeyframepane();
    void bottomContentChanged() { setKeyframepane(); }

    // Move the preview's divider (or the inspector's, when it is key) by 100.
    void verticalRangeUp() { verticalRange(-100); }
    void verticalRangeDown() { verticalRange(100); }

    void centeringSegmentControl();
    void createRuleLabel();
    // The bottom area's tab switches.
    void changeBottomContent(SegmentedControl *sender);
    void changeProjectSettingContent(SegmentedControl *sender);

    // The remembered sizes that restoring uses.
    QRect leftPaneRestoreFrame() const { return m_leftPaneRestoreFrame; }
    QRect centerBottomRestoreFrame() const { return m_centerBottomRestoreFrame; }
    int leftBottomPaneRestoreWidth() const { return m_leftBottomPaneRestoreWidth; }
    int rightBottomDividerRestorePosition() const { return m_rightBottomDividerRestorePosition; }

    // --- Style inspector and navigator (AppDelegateInspector.cpp) ------------------------
    // 1 while the inspector panel sits in its docked frame beside the main
    // window, else 0.
    int detectionMode() const { return m_detectionMode; }
    // The layouts for the usable part of the primary screen, or for `screen`.
    void layoutTwocolumns(const QRect &screen = {});
    void layoutHover(const QRect &screen = {});
    void toggleDetectionMode();
    // The panel's frame when docked, and the main window's beside it. Each
    // window's frame, its decoration included, stays on the screen; neither
    // layout puts the panel over the main window.
    QRect dockedInspectorFrame(const QRect &screen = {}) const;
    QRect dockedMainWindowFrame(const QRect &screen = {}) const;
    QRect hoverInspectorFrame(const QRect &screen = {}) const;
    QRect hoverMainWindowFrame(const QRect &screen = {}) const;
    // The docked frames with their decorations, and whether two frames (the
    // main window's and the panel's, decorations included) stand docked on
    // a screen of that geometry.
    static QRect dockedMainWindowOuterFrame(const QRect &screen = {});
    static QRect dockedInspectorOuterFrame(const QRect &screen = {});
    static bool isDockedLayout(const QRect &main, const QRect &panel, const QRect &screen);
    // Checks the docking at the next turn of the event loop.
    void moveOrResizeInspector();
    void moveOrResizeInspectorCheck();
    void updateDetectionButtonState();
    // Fade the panel out and back in (while Alt and Ctrl are held).
    void invisibleCSSInspector();
    void visibleCSSInspector();
    bool isInspectorFaded() const { return m_inspectorFaded; }
    void updateStyleInspectorButtonState();
    void lockMainWindowForStyleManager(bool lock);
    // Makes the panel a child window of the main window, ordered above it.
    void attachInspectorToMainWindow();
    bool isInspectorAttached() const;

    void windowWillClose(QWidget *window);
    void windowDidMove(QWidget *window);
    void windowDidBecomeKey(QWidget *window);
    void windowDidResignKey(QWidget *window);

    // The project controller's handlers of the style-inspector button, the
    // navigator item and the clicks in the outlines, kept with the windows
    // they drive.
    void openCSSInspector(QAbstractButton *button);
    void openSidewebview();
    void outlineviewActuallyMouseDown(const Notification &notification);

    // --- Menus (AppDelegateMenus.cpp) ------------------------------------------------
    void menuWillOpen(QMenu *menu);
    // The applications able to open the file, without those in a trash
    // folder, sorted by name; empty for a file without a path.
    QList<DesktopApplication> getHTMLPreviewableApplications(File *file) const;
    void previewAction(QAction *item);
    void openFileWithApp(QAction *item);
    void fullWebView(QObject *sender);
    // Asks the DOM tree and the rules panel to save the page and its style sheets.
    void save();
    void captureImage();
    // Writes a capture of the preview as PNG; false when it could not.
    static bool writeCapture(const QImage &image, const QString &path);
    void makeMainfirstResponder();
    void showHelp();
    void openHelpIgnore();
    // The "font-family" values of the page's style sheets, unquoted, each
    // once, sorted by the user's locale.
    QStringList getUsedFontFamilies() const;
    // The font-family values of a list of declarations, as getUsedFontFamilies
    // gathers them.
    static QStringList usedFontFamilies(const QStringList &fontFamilyValues);

    static QString helpPageURL();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void connectInterface();
    void connectPanes();
    void connectMenus();
    void placeWindows();
    void saveWindowFrame(QWidget *window);
    QWidget *inspectorPanel() const { return m_ui.cssInspector; }
    void verticalRange(int delta);
    void placeProjectSettingScroller();
    void rememberRestoreFrames();
    // Where the centre's divider shows the bottom pane at its remembered height.
    double centerBottomRestorePosition() const;
    void sizePanesForWindow();
    void restorePanes();
    // The heights of the DOM tree's area, the attributes and the style
    // attribute that show that many rows and editors.
    QList<int> inspectorHeightsShowing(int treeRows, int attributeRows, int styleEditors) const;
    // Gives the inspectors beside the code view the heights wanted (the DOM
    // tree's area, the attributes, the style attribute) and the preview
    // above them the rest, at least previewLeast: where the window is too
    // short, each pane gives up part of what it has over its least height.
    void placeInspectorColumn(const QList<int> &wanted, int previewLeast);
    // The panes of a split view at these sizes, past the limits of a drag.
    void setPaneSizes(SplitView *splitView, const QList<int> &sizes);
    // The lowest place of the preview's divider: where the DOM tree is at
    // its least height.
    double previewDividerLimit() const;
    // Moves a divider as far towards the position as its limits let it.
    void placeDivider(SplitView *splitView, double position, int dividerIndex);
    void installKeyMonitor();
    bool isCollapsed(SplitView *splitView, QWidget *subview) const;
    void moveDivider(SplitView *splitView, double position, int dividerIndex);
    // Moves the window to the decorated frame `frame`, animated when it is shown.
    void animateFrame(QWidget *window, const QRect &frame, std::function<void()> completion = {});
    void terminate();
    // Remembers that the user settled on quitting; answers true.
    bool confirmQuit();
    void showSettingsFileProblems();

    MainInterface m_ui;
    bool m_interfaceLoaded = false;

    std::unique_ptr<Reachability> m_reachability;
    bool m_isOnline = true;
    std::unique_ptr<QThreadPool> m_validatorQueue;
    bool m_isTerminating = false;
    // Set once the user answered the quit question with Quit, or with Save
    // And Quit and every file was saved.
    bool m_quitConfirmed = false;
    // Settings file problems not yet shown, and whether their alert is up.
    QStringList m_settingsFileProblems;
    bool m_settingsFileAlertShown = false;

    ProjectDelegateInterface *m_projectController = nullptr;            // Not owned.
    DomTreeDelegateInterface *m_domTreeController = nullptr;            // Not owned.
    CSSOutlineDelegateInterface *m_cssOutlineDelegate = nullptr;        // Not owned.
    FileViewControllerInterface *m_fileViewController = nullptr;        // Not owned.
    StyleSheetsManagerDelegateInterface *m_styleSheetsManager = nullptr; // Not owned.
    QPointer<QObject> m_compilerViewController;
    QPointer<QObject> m_domInfoDelegate;

    InspectUndoManager *m_sharedUndoManager = nullptr;        // Owned (child).
    BalkInvocationManager *m_balkInvocationManager = nullptr; // Owned (child).

    // Pane state.
    QRect m_leftPaneRestoreFrame;
    QRect m_centerPaneRestoreFrame;
    QRect m_rightPaneRestoreFrame;
    QRect m_centerTopRestoreFrame;
    QRect m_centerBottomRestoreFrame;
    int m_leftBottomPaneRestoreWidth = 0;
    int m_rightBottomDividerRestorePosition = 0;
    // Set at launch when the windows stand on the screen the last run ran on.
    bool m_panesKept = false;
    bool m_panesPlaced = false;
    bool m_isFullSizePreview = false;
    bool m_leavesFullSizeAfterPick = false;
    // The DOM tree's area before the keyframe pane grew it, none when it did not.
    int m_treeAreaBeforeKeyframes = 0;
    bool m_leftPaneWasOpen = false;
    bool m_centerBottomWasOpen = false;
    int m_lastToggleIndex = -1;

    // Inspector state.
    int m_detectionMode = 0;
    QRect m_settledDockedFrame;
    // Where the window system put the panel when asked for the docked frame
    // (it may keep the window's border on the screen); its report of that
    // may reach the panel late.
    QRect m_placedDockedFrame;
    // Runs from the end of the docking animation while the desktop may still
    // be adjusting the frame it was given.
    QElapsedTimer m_dockSettling;
    bool m_inspectorFaded = false;
    int m_keyMonitor = 0;
};
