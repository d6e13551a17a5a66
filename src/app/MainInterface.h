#pragma once

#include <QList>

class BlockSheet;
class EXWindow;
class FileViewController;
class MainMenu;
class MainView;
class OutlineView;
class PanePlaceholder;
class PathControl;
class ProgressiveBox;
class ProjectDelegate;
class QAbstractButton;
class QMenu;
class QAction;
class QComboBox;
class QLabel;
class QScrollArea;
class QSlider;
class QStackedWidget;
class QToolButton;
class QWidget;
class RightPaneControlView;
class RespponsiveRuler;
class RollbackDelegate;
class RulerSlider;
class SearchFieldEx;
class SegmentedControl;
class SplitView;
class TextField;

// The program's main interface: the main window with its nest of split views,
// pane headers and controls, the style-inspector panel, the navigator window
// and the menus. setupUi() builds them and fills the members; what they do is
// wired by AppDelegate. The panes of the controllers (file tree, preview, code
// viewer, DOM tree, rules panel...) are named placeholders that each
// controller fills with its view.
//
// Nesting of the main window (below its tool bar):
//   globalSplitView, side by side:
//     leftPaneSplitView, stacked: leftTopPane (file tree), the bottom area
//       (project settings, animations and scripts, switched by
//       nodeSegmentControl, shown in bottomTabView)
//     centerPaneSplitView, stacked: centerTopPane (ruler and preview),
//       centerBottomPane, side by side: leftBottomPane (loaded resources and
//       file history), mainView (code viewer), rightBottomPane:
//         rightPaneSplitView, stacked: rightTopPane holding
//           domTreePaneSplitView (domTreeView above keyframePane), then
//           rightPaneDomSplitView (attributes and style attribute)
// The style-inspector panel holds styleSplitView: styleListPane (the
// style-sheet manager's selector list) above the rules panel.
class MainInterface
{
public:
    MainInterface();
    ~MainInterface();
    MainInterface(const MainInterface &) = delete;
    MainInterface &operator=(const MainInterface &) = delete;

    // Builds every window. The main window owns its widgets; the panel is a
    // child window of the main window; the navigator is owned here.
    void setupUi();

    // Windows.
    EXWindow *window = nullptr;
    QWidget *cssInspector = nullptr;
    QWidget *navigator = nullptr;

    // Split views and panes.
    SplitView *globalSplitView = nullptr;
    SplitView *leftPaneSplitView = nullptr;
    SplitView *centerPaneSplitView = nullptr;
    SplitView *centerBottomPane = nullptr;
    SplitView *rightPaneSplitView = nullptr;
    SplitView *rightPaneDomSplitView = nullptr;
    SplitView *domTreePaneSplitView = nullptr;
    SplitView *styleSplitView = nullptr;
    QWidget *leftTopPane = nullptr;
    QWidget *leftBottomPane = nullptr;
    QWidget *centerTopPane = nullptr;
    MainView *mainView = nullptr;
    QWidget *rightTopPane = nullptr;
    QWidget *rightBottomPane = nullptr;
    QWidget *domTreeView = nullptr;
    QWidget *keyframePane = nullptr;
    QWidget *styleListPane = nullptr;

    // Controls.
    QToolButton *styleInspectorButton = nullptr;
    QToolButton *deepDetectionButton = nullptr;
    QToolButton *fullWebViewButton = nullptr;
    QToolButton *leftPaneExpandButton = nullptr;
    QToolButton *centerPaneExpandButton = nullptr;
    QToolButton *rightPaneExpandButton = nullptr;
    QToolButton *keyframePaneExpandButton = nullptr;
    // The file breadcrumb in the code pane's header.
    PathControl *breadcramb = nullptr;
    // In the code pane's header: segment 0 the code alone, segment 1 the DOM
    // tree beside it.
    SegmentedControl *showSourceCodebtn = nullptr;
    SegmentedControl *splitViewExpander = nullptr;
    SegmentedControl *nodeSegmentControl = nullptr;
    SegmentedControl *resouceSegmentControl = nullptr;
    SegmentedControl *rightSegmentControl = nullptr;
    SegmentedControl *projectMainSettingSegmentControl = nullptr;
    QWidget *rightSegment = nullptr;
    // The ruler bar over the preview: the tick strip (rulerLabelView on it
    // holds the labels), the size pop-up and orientation button at its end,
    // and the width slider below.
    RespponsiveRuler *responsiveRuler = nullptr;
    QWidget *rulerLabelView = nullptr;
    QComboBox *previewSizePopUpButton = nullptr;
    QToolButton *orientationButton = nullptr;
    RulerSlider *responsiveSlider = nullptr;
    QScrollArea *projectSettingScroller = nullptr;
    QWidget *projectSettingContent = nullptr;
    QStackedWidget *bottomTabView = nullptr;
    QStackedWidget *bottomControllerTabview = nullptr;
    QStackedWidget *projectsettingTabview = nullptr;
    RightPaneControlView *resourcePaneControlView = nullptr;
    RightPaneControlView *rightPaneControlView = nullptr;

    // The preview's controls, disabled until it is installed: element
    // detection, back and forward (segments 0 and 1), the address field
    // with its history and the load's progress along it, reload, and the
    // load's counts and size.
    QToolButton *detectButton = nullptr;
    SegmentedControl *backfowadControl = nullptr;
    SearchFieldEx *selectedURLPath = nullptr;
    ProgressiveBox *progressiveBox = nullptr;
    QToolButton *reloadButton = nullptr;
    // Saving the page with its resources: on the tool bar, and in the
    // loaded resources' header; enabled while a page is complete.
    QToolButton *downloadToolbarButton = nullptr;
    QToolButton *downloadButton = nullptr;
    QLabel *loadStatusTextField = nullptr;
    QLabel *totalFileSizeTextField = nullptr;

    // Menus.
    MainMenu *mainMenu = nullptr;
    QMenu *previewMenu = nullptr;
    QAction *downloadTurtorialMenuItem = nullptr;
    QAction *navigatorItem = nullptr;
    QAction *showDomtreeMenuItem = nullptr;
    // The DOM tree's find bar and expand-all toggles, titled by the tree.
    QAction *showFindbarMenuItem = nullptr;
    QAction *expandTreeMenuItem = nullptr;
    QAction *chromedPreview = nullptr;
    QAction *responsiveRulerMenuItem = nullptr;
    QAction *downloadPageMenuItem = nullptr;
    // The file tree's context menu, titled "fileMenu": its commands act on
    // the clicked row.
    QMenu *fileMenu = nullptr;
    QMenu *openWithMenu = nullptr;
    QMenu *userTemplateMenu = nullptr;

    // The long-lived controllers the interface creates (owned by the main
    // window).
    ProjectDelegate *projectController = nullptr;       // Made by Controllers::install().
    FileViewController *fileViewController = nullptr;   // Made by Controllers::install().
    RollbackDelegate *rollbackDelegate = nullptr;

    // The history list of the selected file and its count.
    OutlineView *rolebackview = nullptr;
    QLabel *historyCountLabel = nullptr;

    // The places of the controllers' views.
    PanePlaceholder *fileTreePane = nullptr;
    PanePlaceholder *previewPane = nullptr;
    PanePlaceholder *fileViewerPane = nullptr;
    PanePlaceholder *loadedResourcePane = nullptr;
    PanePlaceholder *fileHistoryPane = nullptr;
    PanePlaceholder *domTreePane = nullptr;
    PanePlaceholder *keyframeEditorPane = nullptr;
    PanePlaceholder *attributePane = nullptr;
    PanePlaceholder *styleAttributePane = nullptr;
    PanePlaceholder *elementPalettePane = nullptr;
    PanePlaceholder *projectSettingsPane = nullptr;
    PanePlaceholder *ignoreOptionPane = nullptr;
    PanePlaceholder *animationListPane = nullptr;
    PanePlaceholder *compilerPane = nullptr;
    PanePlaceholder *styleListPlaceholder = nullptr;
    PanePlaceholder *cssRulesPane = nullptr;
    PanePlaceholder *navigatorPane = nullptr;

    // The out-of-sync overlays over the rules panel, the DOM tree and the
    // attributes.
    BlockSheet *cssUIBlock = nullptr;
    BlockSheet *domUIBlock = nullptr;
    BlockSheet *nodeUIBlock = nullptr;

    // Every split view of the interface.
    QList<SplitView *> splitViews() const;

private:
    QWidget *makeToolBar();
    QWidget *makeLeftColumn();
    QWidget *makeCenterColumn();
    QWidget *makeCenterTopPane();
    QWidget *makeLeftBottomPane();
    QWidget *makeMainView();
    QWidget *makeRightBottomPane();
    void makeInspectorPanel();
    void makeNavigator();
    void makeMenus();
};
