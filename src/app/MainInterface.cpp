#include "MainInterface.h"

#include "BlockSheet.h"
#include "EXWindow.h"
#include "PanePlaceholder.h"
#include "RollbackDelegate.h"

#include "app/views/ContainerWhite.h"
#include "app/views/ControlBar.h"
#include "app/views/ControlBar2.h"
#include "app/views/ControllerView.h"
#include "app/views/MainView.h"
#include "app/views/NSSplitView_zero.h"
#include "app/views/RightPaneControlView.h"
#include "app/views/SplitViewEx.h"
#include "app/views/SplitViewMainEx.h"
#include "platform/kit/DesktopColors.h"
#include "platform/kit/NamedImage.h"
#include "platform/kit/OutlineView.h"
#include "platform/kit/PathControl.h"
#include "platform/kit/SegmentedControl.h"
#include "platform/kit/TextField.h"
#include "preview/RespponsiveRuler.h"
#include "preview/RulerSlider.h"
#include "toolkit/ImageButton.h"
#include "toolkit/ProgressiveBox.h"
#include "toolkit/SearchFieldEx.h"
#include "workspace/File.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QSlider>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QIcon symbol(const QString &name)
{
    return NamedImage::templateImage({}, name);
}

QToolButton *toolButton(QWidget *parent, const QString &image, const QString &toolTip, bool checkable = false)
{
    auto *button = new ImageButton(parent);
    button->setIcon(symbol(image));
    button->setIconSize(QSize(16, 16));
    button->setToolTip(toolTip);
    button->setCheckable(checkable);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

// A pane's header: a 22-point bar with the pane's title at its left.
QWidget *header(QWidget *parent, const QString &title, bool light = false)
{
    QWidget *bar = light ? static_cast<QWidget *>(new ControlBar2(parent)) : new ControlBar(parent);
    auto *layout = new QHBoxLayout(bar);
    layout->setContentsMargins(8, 0, 4, 0);
    layout->setSpacing(4);
    if (!title.isEmpty()) {
        auto *label = new QLabel(title, bar);
        QFont font = label->font();
        font.setPointSizeF(font.pointSizeF() * 0.85);
        font.setBold(true);
        label->setFont(font);
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, DesktopColors::adapted(QColor(84, 92, 104), palette));
        label->setPalette(palette);
        layout->addWidget(label);
    }
    layout->addStretch(1);
    return bar;
}

SegmentedControl *segments(QWidget *parent, const QStringList &labels)
{
    auto *control = new SegmentedControl(parent);
    control->setSegmentCount(int(labels.size()));
    for (int i = 0; i < labels.size(); ++i)
        control->setLabel(labels[i], i);
    control->setSelected(true, 0);
    QFont font = control->font();
    font.setPointSizeF(font.pointSizeF() * 0.85);
    control->setFont(font);
    control->setFixedHeight(18);
    control->resize(control->sizeHint().width(), 18);
    control->setFocusPolicy(Qt::NoFocus);
    return control;
}

QVBoxLayout *stack(QWidget *widget)
{
    auto *layout = new QVBoxLayout(widget);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    return layout;
}

PanePlaceholder *place(const QString &name, QWidget *parent, const QColor &background = Qt::white)
{
    auto *placeholder = new PanePlaceholder(name, parent);
    placeholder->setBackground(background);
    return placeholder;
}

} // namespace

MainInterface::MainInterface() = default;

MainInterface::~MainInterface()
{
    // The panel is a child window of the main window and goes with it.
    delete window;
    delete navigator;
}

QList<SplitView *> MainInterface::splitViews() const
{
    return {globalSplitView, leftPaneSplitView, centerPaneSplitView, centerBottomPane,
            rightPaneSplitView, rightPaneDomSplitView, domTreePaneSplitView, styleSplitView};
}

void MainInterface::setupUi()
{
    window = new EXWindow;
    window->setObjectName(QStringLiteral("mainWindow"));
    window->setWindowTitle(QStringLiteral("Quillmark"));
    window->setWindowIcon(QIcon(NamedImage::imageNamed(QStringLiteral("Quillmark"))));

    auto *content = new QWidget(window);
    QVBoxLayout *layout = stack(content);
    layout->addWidget(makeToolBar());

    globalSplitView = new SplitViewMainEx(Qt::Horizontal, content);
    globalSplitView->setObjectName(QStringLiteral("globalSplitView"));
    globalSplitView->addWidget(makeLeftColumn());
    globalSplitView->addWidget(makeCenterColumn());
    globalSplitView->setStretchFactor(0, 0);
    globalSplitView->setStretchFactor(1, 1);
    layout->addWidget(globalSplitView, 1);
    window->setCentralWidget(content);

    makeInspectorPanel();
    makeNavigator();
    makeMenus();

    rollbackDelegate = new RollbackDelegate(rolebackview, historyCountLabel, window);
    window->setRollbackDelegate(rollbackDelegate);

    // Sizes for the main window beside the docked inspector on a 1280 by 800
    // screen, each pane at least as large as its divider's limits allow: the
    // code view 400 wide between the resources and the DOM tree. A larger
    // window gives the extra width to the code view and the extra height to
    // the preview.
    window->resize(978, 800);
    globalSplitView->setSizes({208, 765});
    leftPaneSplitView->setSizes({430, 300});
    centerPaneSplitView->setSizes({320, 430});
    centerBottomPane->setSizes({120, 400, 243});
    // Launching gives the DOM tree, the attributes and the style attribute
    // the heights they ask for, or those of the last run
    // (AppDelegate::sizePanesAtLaunch()).
    rightPaneSplitView->setSizes({121, 286});
    domTreePaneSplitView->setSizes({150, 40});
    rightPaneDomSplitView->setSizes({185, 100});
}

QWidget *MainInterface::makeToolBar()
{
    auto *bar = new ControllerView;
    bar->setObjectName(QStringLiteral("toolBar"));
    bar->setFixedHeight(34);
    auto *layout = new QHBoxLayout(bar);
    layout->setContentsMargins(8, 4, 8, 4);
    layout->setSpacing(6);

    detectButton = toolButton(bar, QStringLiteral("detect_Template"), QStringLiteral("Select an Element in the Preview"), true);
    detectButton->setObjectName(QStringLiteral("detectButton"));
    detectButton->setEnabled(false);
    layout->addWidget(detectButton);

    backfowadControl = new SegmentedControl(bar);
    backfowadControl->setObjectName(QStringLiteral("backfowadControl"));
    backfowadControl->setTrackingMode(SegmentedControl::TrackingMode::Momentary);
    backfowadControl->setSegmentCount(2);
    backfowadControl->setImage(NamedImage::templateImage(QStringLiteral("go-previous"), QStringLiteral("back_Template")), 0);
    backfowadControl->setToolTip(QStringLiteral("Back"), 0);
    backfowadControl->setImage(NamedImage::templateImage(QStringLiteral("go-next"), QStringLiteral("forward_Template")), 1);
    backfowadControl->setToolTip(QStringLiteral("Forward"), 1);
    backfowadControl->setWidth(26, 0);
    backfowadControl->setWidth(26, 1);
    backfowadControl->setFocusPolicy(Qt::NoFocus);
    backfowadControl->setEnabled(false);
    layout->addWidget(backfowadControl, 0, Qt::AlignVCenter);

    selectedURLPath = new SearchFieldEx(bar);
    selectedURLPath->setObjectName(QStringLiteral("selectedURLPath"));
    selectedURLPath->setPlaceholderText(QStringLiteral("Choose a page in the project list, or type an address"));
    selectedURLPath->setToolTip(QStringLiteral("Return loads the address"));
    selectedURLPath->setMinimumWidth(150);
    selectedURLPath->setMaximumWidth(460);
    selectedURLPath->setEnabled(false);
    progressiveBox = new ProgressiveBox(selectedURLPath);
    progressiveBox->setObjectName(QStringLiteral("progressiveBox"));
    progressiveBox->setTextField(selectedURLPath);
    layout->addWidget(selectedURLPath, 1);

    reloadButton = toolButton(bar, QStringLiteral("refresh"), QStringLiteral("Reload"));
    reloadButton->setObjectName(QStringLiteral("reloadButton"));
    reloadButton->setEnabled(false);
    layout->addWidget(reloadButton);

    downloadToolbarButton = toolButton(bar, QStringLiteral("download_Template"), QStringLiteral("Download the Page and Its Files"));
    downloadToolbarButton->setObjectName(QStringLiteral("downloadToolbarButton"));
    downloadToolbarButton->setEnabled(false);
    layout->addWidget(downloadToolbarButton);

    // The load's counts and size, small, beside the field.
    auto *counts = new QWidget(bar);
    auto *countsLayout = new QVBoxLayout(counts);
    countsLayout->setContentsMargins(0, 0, 0, 0);
    countsLayout->setSpacing(0);
    for (QLabel **label : {&loadStatusTextField, &totalFileSizeTextField}) {
        *label = new QLabel(counts);
        QFont font = (*label)->font();
        font.setPointSizeF(font.pointSizeF() * 0.8);
        (*label)->setFont(font);
        (*label)->setForegroundRole(QPalette::PlaceholderText);
        // The window may be narrower than the counts: they are cut then.
        (*label)->setMinimumWidth(1);
        (*label)->setMaximumWidth(220);
        countsLayout->addWidget(*label);
    }
    loadStatusTextField->setObjectName(QStringLiteral("loadStatusTextField"));
    totalFileSizeTextField->setObjectName(QStringLiteral("totalFileSizeTextField"));
    layout->addWidget(counts);
    layout->addSpacing(12);

    fullWebViewButton = toolButton(bar, QStringLiteral("preview_Template"), QStringLiteral("Preview"));
    fullWebViewButton->setObjectName(QStringLiteral("fullWebViewButton"));
    layout->addWidget(fullWebViewButton);

    deepDetectionButton = toolButton(bar, QStringLiteral("layout2_Template"), QStringLiteral("Dock or Float the Style Inspector"));
    deepDetectionButton->setObjectName(QStringLiteral("deepDetectionButton"));
    layout->addWidget(deepDetectionButton);

    styleInspectorButton = toolButton(bar, QStringLiteral("inspector_Template"), QStringLiteral("Style Inspector"), true);
    styleInspectorButton->setObjectName(QStringLiteral("styleInspectorButton"));
    layout->addWidget(styleInspectorButton);

    splitViewExpander = new SegmentedControl(bar);
    splitViewExpander->setObjectName(QStringLiteral("splitViewExpander"));
    splitViewExpander->setTrackingMode(SegmentedControl::TrackingMode::SelectAny);
    splitViewExpander->setSegmentCount(2);
    splitViewExpander->setImage(symbol(QStringLiteral("leftPane_Template")), 0);
    splitViewExpander->setToolTip(QStringLiteral("Hide or Show the Project Pane"), 0);
    splitViewExpander->setImage(symbol(QStringLiteral("bottomPane_Template")), 1);
    splitViewExpander->setToolTip(QStringLiteral("Hide or Show the Inspector Area"), 1);
    splitViewExpander->setWidth(30, 0);
    splitViewExpander->setWidth(30, 1);
    splitViewExpander->setFocusPolicy(Qt::NoFocus);
    layout->addWidget(splitViewExpander, 0, Qt::AlignVCenter);
    // The right end stays free: the floating inspector panel sits over it.
    layout->addStretch(1);
    return bar;
}

QWidget *MainInterface::makeLeftColumn()
{
    leftPaneSplitView = new SplitViewEx(Qt::Vertical);
    leftPaneSplitView->setObjectName(QStringLiteral("leftPaneSplitView"));

    leftTopPane = new ContainerWhite;
    leftTopPane->setObjectName(QStringLiteral("leftTopPane"));
    QVBoxLayout *top = stack(leftTopPane);
    top->addWidget(header(leftTopPane, QStringLiteral("PROJECTS"), true));
    fileTreePane = place(QStringLiteral("File Tree"), leftTopPane);
    top->addWidget(fileTreePane, 1);
    leftPaneSplitView->addWidget(leftTopPane);

    // The bottom area: project settings, animations and script packages.
    auto *bottom = new ControllerView;
    bottom->setObjectName(QStringLiteral("bottomArea"));
    QVBoxLayout *bottomLayout = stack(bottom);
    QWidget *bottomHeader = header(bottom, {}, true);
    nodeSegmentControl = segments(bottomHeader, {QStringLiteral("Project"), QStringLiteral("Animation"),
                                                 QStringLiteral("Scripts")});
    nodeSegmentControl->setObjectName(QStringLiteral("nodeSegmentControl"));
    static_cast<QHBoxLayout *>(bottomHeader->layout())->insertWidget(0, nodeSegmentControl);
    bottomLayout->addWidget(bottomHeader);

    bottomTabView = new QStackedWidget(bottom);
    bottomTabView->setObjectName(QStringLiteral("bottomTabView"));

    // Tab 0: the project settings, a scroll view hanging from the tab's top.
    auto *settingsTab = new QWidget(bottomTabView);
    rightSegment = new QWidget(settingsTab);
    rightSegment->setObjectName(QStringLiteral("rightSegment"));
    rightSegment->setGeometry(0, 0, 240, 26);
    projectMainSettingSegmentControl = segments(rightSegment, {QStringLiteral("Settings"), QStringLiteral("Ignore Rules")});
    projectMainSettingSegmentControl->setObjectName(QStringLiteral("projectMainSettingSegmentControl"));
    projectSettingScroller = new QScrollArea(settingsTab);
    projectSettingScroller->setObjectName(QStringLiteral("projectSettingScroller"));
    projectSettingScroller->setFrameShape(QFrame::NoFrame);
    projectSettingScroller->setWidgetResizable(false);
    projectSettingContent = new MainView;
    projectSettingContent->setObjectName(QStringLiteral("projectSettingContent"));
    projectSettingContent->resize(240, 200);
    QVBoxLayout *settingsLayout = stack(projectSettingContent);
    projectsettingTabview = new QStackedWidget(projectSettingContent);
    projectSettingsPane = place(QStringLiteral("Project Settings"), projectsettingTabview, Qt::transparent);
    ignoreOptionPane = place(QStringLiteral("Ignore Rules"), projectsettingTabview, Qt::transparent);
    projectsettingTabview->addWidget(projectSettingsPane);
    projectsettingTabview->addWidget(ignoreOptionPane);
    settingsLayout->addWidget(projectsettingTabview);
    projectSettingScroller->setWidget(projectSettingContent);
    bottomTabView->addWidget(settingsTab);

    // The page's animations are listed and timed in the keyframe pane, which
    // shows this segment with it; the segment says where they are.
    animationListPane = place(QStringLiteral("Animations"), bottomTabView, QColor(240, 243, 246));
    auto *animationNote =
        new QLabel(QStringLiteral("The page's keyframe animations are listed and timed in the keyframe pane "
                                  "below the DOM tree."));
    animationNote->setObjectName(QStringLiteral("animationNote"));
    animationNote->setAlignment(Qt::AlignCenter);
    animationNote->setWordWrap(true);
    animationNote->setMargin(12);
    animationNote->setForegroundRole(QPalette::PlaceholderText);
    animationListPane->setContentView(animationNote);
    bottomTabView->addWidget(animationListPane);
    compilerPane = place(QStringLiteral("Script Packages"), bottomTabView, QColor(240, 243, 246));
    bottomTabView->addWidget(compilerPane);
    bottomLayout->addWidget(bottomTabView, 1);

    bottomControllerTabview = new QStackedWidget(bottom);
    bottomControllerTabview->setObjectName(QStringLiteral("bottomControllerTabview"));
    bottomControllerTabview->setFixedHeight(22);
    bottomControllerTabview->addWidget(new ControlBar2(bottomControllerTabview));
    bottomControllerTabview->addWidget(new ControlBar2(bottomControllerTabview));
    bottomLayout->addWidget(bottomControllerTabview);
    leftPaneSplitView->addWidget(bottom);
    return leftPaneSplitView;
}

QWidget *MainInterface::makeCenterColumn()
{
    centerPaneSplitView = new SplitViewEx(Qt::Vertical);
    centerPaneSplitView->setObjectName(QStringLiteral("centerPaneSplitView"));
    centerPaneSplitView->addWidget(makeCenterTopPane());

    centerBottomPane = new NSSplitView_zero(Qt::Horizontal);
    centerBottomPane->setObjectName(QStringLiteral("centerBottomPane"));
    centerBottomPane->addWidget(makeLeftBottomPane());
    centerBottomPane->addWidget(makeMainView());
    centerBottomPane->addWidget(makeRightBottomPane());
    centerBottomPane->setStretchFactor(0, 0);
    centerBottomPane->setStretchFactor(1, 1);
    centerBottomPane->setStretchFactor(2, 0);
    centerPaneSplitView->addWidget(centerBottomPane);
    centerPaneSplitView->setStretchFactor(0, 1);
    centerPaneSplitView->setStretchFactor(1, 0);
    return centerPaneSplitView;
}

QWidget *MainInterface::makeCenterTopPane()
{
    centerTopPane = new ControllerView;
    centerTopPane->setObjectName(QStringLiteral("centerTopPane"));
    QVBoxLayout *layout = stack(centerTopPane);

    // The ruler over the preview: the tick strip with labels every 100
    // points and the device-size controls at its end, and below it the
    // slider that sets the preview's width (its maximum is the pane's width,
    // so the knob stands at the preview's right edge).
    auto *ruler = new ControlBar2(centerTopPane);
    ruler->setObjectName(QStringLiteral("ruler"));
    ruler->setFixedHeight(RespponsiveRuler::kHeight + 16);
    auto *rulerLayout = new QVBoxLayout(ruler);
    rulerLayout->setContentsMargins(0, 0, 0, 0);
    rulerLayout->setSpacing(0);
    auto *strip = new QHBoxLayout;
    strip->setContentsMargins(0, 0, 0, 0);
    strip->setSpacing(4);
    responsiveRuler = new RespponsiveRuler(ruler);
    responsiveRuler->setMinimumWidth(10);
    rulerLabelView = new QWidget(responsiveRuler);
    rulerLabelView->setObjectName(QStringLiteral("rulerLabelView"));
    rulerLabelView->setGeometry(3, -4, 5000, 20);
    rulerLabelView->setAttribute(Qt::WA_TransparentForMouseEvents);
    strip->addWidget(responsiveRuler, 1);
    previewSizePopUpButton = new QComboBox(ruler);
    previewSizePopUpButton->setObjectName(QStringLiteral("previewSizePopUpButton"));
    previewSizePopUpButton->setFixedHeight(RespponsiveRuler::kHeight);
    previewSizePopUpButton->setFocusPolicy(Qt::NoFocus);
    previewSizePopUpButton->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    QFont small = previewSizePopUpButton->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    previewSizePopUpButton->setFont(small);
    strip->addWidget(previewSizePopUpButton);
    orientationButton = toolButton(ruler, QStringLiteral("OrientalV_Template"), QStringLiteral("Portrait"));
    orientationButton->setObjectName(QStringLiteral("orientationButton"));
    orientationButton->setFixedSize(RespponsiveRuler::kHeight + 6, RespponsiveRuler::kHeight);
    strip->addWidget(orientationButton);
    strip->addSpacing(4);
    rulerLayout->addLayout(strip);
    responsiveSlider = new RulerSlider(ruler);
    responsiveSlider->setObjectName(QStringLiteral("responsiveSlider"));
    responsiveSlider->setFixedHeight(16);
    rulerLayout->addWidget(responsiveSlider);
    layout->addWidget(ruler);

    previewPane = place(QStringLiteral("Preview"), centerTopPane);
    layout->addWidget(previewPane, 1);
    return centerTopPane;
}

QWidget *MainInterface::makeLeftBottomPane()
{
    leftBottomPane = new ContainerWhite;
    leftBottomPane->setObjectName(QStringLiteral("leftBottomPane"));
    QVBoxLayout *layout = stack(leftBottomPane);
    QWidget *bar = header(leftBottomPane, {});
    resouceSegmentControl = segments(bar, {QStringLiteral("Resources"), QStringLiteral("History")});
    resouceSegmentControl->setObjectName(QStringLiteral("resouceSegmentControl"));
    layout->addWidget(bar);

    // The loaded resources with the page's download below them: the header
    // keeps the pane's narrowest width for its centred tabs.
    auto *tabs = new QStackedWidget(leftBottomPane);
    auto *resources = new QWidget;
    QVBoxLayout *resourcesLayout = stack(resources);
    loadedResourcePane = place(QStringLiteral("Loaded Resources"), resources);
    resourcesLayout->addWidget(loadedResourcePane, 1);
    QWidget *resourcesBar = header(resources, {});
    downloadButton = toolButton(resourcesBar, QStringLiteral("download_Template"), QStringLiteral("Download the Page and Its Files"));
    downloadButton->setObjectName(QStringLiteral("downloadButton"));
    downloadButton->setFixedSize(20, 20);
    downloadButton->setEnabled(false);
    static_cast<QHBoxLayout *>(resourcesBar->layout())->addWidget(downloadButton);
    resourcesLayout->addWidget(resourcesBar);
    fileHistoryPane = place(QStringLiteral("File History"), tabs);
    auto *history = new QWidget;
    QVBoxLayout *historyLayout = stack(history);
    rolebackview = new OutlineView(history);
    rolebackview->setObjectName(QStringLiteral("rolebackview"));
    rolebackview->setFrameShape(QFrame::NoFrame);
    historyLayout->addWidget(rolebackview, 1);
    QWidget *historyBar = header(history, {});
    historyCountLabel = new QLabel(historyBar);
    historyCountLabel->setObjectName(QStringLiteral("historyCountLabel"));
    static_cast<QHBoxLayout *>(historyBar->layout())->addWidget(historyCountLabel);
    historyLayout->addWidget(historyBar);
    fileHistoryPane->setContentView(history);
    tabs->addWidget(resources);
    tabs->addWidget(fileHistoryPane);
    layout->addWidget(tabs, 1);

    resourcePaneControlView = new RightPaneControlView(leftBottomPane);
    resourcePaneControlView->hide();
    resourcePaneControlView->setTabView(tabs);
    resourcePaneControlView->setSegmentedControl(resouceSegmentControl);
    return leftBottomPane;
}

QWidget *MainInterface::makeMainView()
{
    mainView = new MainView;
    mainView->setObjectName(QStringLiteral("mainView"));
    QVBoxLayout *layout = stack(mainView);
    QWidget *bar = header(mainView, QStringLiteral("CODE"), true);
    auto *barLayout = static_cast<QHBoxLayout *>(bar->layout());
    // The breadcrumb of the file shown takes the room after the title.
    breadcramb = new PathControl(bar);
    breadcramb->setObjectName(QStringLiteral("breadcramb"));
    breadcramb->setFocusPolicy(Qt::NoFocus);
    barLayout->insertWidget(barLayout->count() - 1, breadcramb, 1);
    barLayout->setStretch(barLayout->count() - 1, 0);
    leftPaneExpandButton = toolButton(bar, QStringLiteral("leftPane_Template"), QStringLiteral("Hide or Show the Resources"), true);
    leftPaneExpandButton->setObjectName(QStringLiteral("leftPaneExpandButton"));
    barLayout->insertWidget(0, leftPaneExpandButton);
    showSourceCodebtn = segments(bar, {QStringLiteral("Code"), QStringLiteral("DOM")});
    showSourceCodebtn->setObjectName(QStringLiteral("showSourceCodebtn"));
    showSourceCodebtn->setToolTip(QStringLiteral("The code alone"), 0);
    showSourceCodebtn->setToolTip(QStringLiteral("The DOM tree beside the code"), 1);
    barLayout->addWidget(showSourceCodebtn);
    centerPaneExpandButton = toolButton(bar, QStringLiteral("topPane_Template"), QStringLiteral("Hide or Show the Preview"), true);
    centerPaneExpandButton->setObjectName(QStringLiteral("centerPaneExpandButton"));
    barLayout->addWidget(centerPaneExpandButton);
    rightPaneExpandButton = toolButton(bar, QStringLiteral("rightPane_Template"), QStringLiteral("Hide or Show the DOM Tree"), true);
    rightPaneExpandButton->setObjectName(QStringLiteral("rightPaneExpandButton"));
    barLayout->addWidget(rightPaneExpandButton);
    for (QToolButton *button : {leftPaneExpandButton, centerPaneExpandButton, rightPaneExpandButton})
        button->setFixedSize(20, 20);
    layout->addWidget(bar);

    fileViewerPane = place(QStringLiteral("Code Editor"), mainView, Qt::transparent);
    layout->addWidget(fileViewerPane, 1);
    return mainView;
}

QWidget *MainInterface::makeRightBottomPane()
{
    rightBottomPane = new ContainerWhite;
    rightBottomPane->setObjectName(QStringLiteral("rightBottomPane"));
    QVBoxLayout *layout = stack(rightBottomPane);
    QWidget *bar = header(rightBottomPane, {});
    rightSegmentControl = segments(bar, {QStringLiteral("DOM"), QStringLiteral("Elements")});
    rightSegmentControl->setObjectName(QStringLiteral("rightSegmentControl"));
    keyframePaneExpandButton = toolButton(bar, QStringLiteral("keyframe_Template"), QStringLiteral("Show Keyframe Pane"), true);
    keyframePaneExpandButton->setObjectName(QStringLiteral("keyframePaneExpandButton"));
    keyframePaneExpandButton->setFixedSize(20, 20);
    static_cast<QHBoxLayout *>(bar->layout())->addWidget(keyframePaneExpandButton);
    layout->addWidget(bar);

    auto *tabs = new QStackedWidget(rightBottomPane);

    rightPaneSplitView = new SplitViewEx(Qt::Vertical, tabs);
    rightPaneSplitView->setObjectName(QStringLiteral("rightPaneSplitView"));
    rightTopPane = new ContainerWhite;
    rightTopPane->setObjectName(QStringLiteral("rightTopPane"));
    QVBoxLayout *topLayout = stack(rightTopPane);
    domTreePaneSplitView = new SplitViewEx(Qt::Vertical, rightTopPane);
    domTreePaneSplitView->setObjectName(QStringLiteral("domTreePaneSplitView"));
    domTreeView = new ContainerWhite;
    domTreeView->setObjectName(QStringLiteral("domTreeView"));
    QVBoxLayout *domLayout = stack(domTreeView);
    domTreePane = place(QStringLiteral("DOM Tree"), domTreeView);
    domLayout->addWidget(domTreePane);
    domUIBlock = new BlockSheet(domTreeView);
    domUIBlock->setObjectName(QStringLiteral("domUIBlock"));
    domTreePaneSplitView->addWidget(domTreeView);
    keyframePane = new ContainerWhite;
    keyframePane->setObjectName(QStringLiteral("keyframePane"));
    QVBoxLayout *keyframeLayout = stack(keyframePane);
    keyframeLayout->addWidget(header(keyframePane, QStringLiteral("KEYFRAMES"), true));
    keyframeEditorPane = place(QStringLiteral("Keyframe Timeline"), keyframePane);
    keyframeLayout->addWidget(keyframeEditorPane, 1);
    domTreePaneSplitView->addWidget(keyframePane);
    topLayout->addWidget(domTreePaneSplitView);
    rightPaneSplitView->addWidget(rightTopPane);

    rightPaneDomSplitView = new SplitViewEx(Qt::Vertical);
    rightPaneDomSplitView->setObjectName(QStringLiteral("rightPaneDomSplitView"));
    auto *attributes = new ContainerWhite;
    QVBoxLayout *attributeLayout = stack(attributes);
    attributeLayout->addWidget(header(attributes, QStringLiteral("ATTRIBUTES"), true));
    attributePane = place(QStringLiteral("Attributes"), attributes);
    attributeLayout->addWidget(attributePane, 1);
    nodeUIBlock = new BlockSheet(attributePane);
    nodeUIBlock->setObjectName(QStringLiteral("nodeUIBlock"));
    rightPaneDomSplitView->addWidget(attributes);
    auto *styleAttribute = new ContainerWhite;
    QVBoxLayout *styleLayout = stack(styleAttribute);
    styleLayout->addWidget(header(styleAttribute, QStringLiteral("STYLE ATTRIBUTE"), true));
    styleAttributePane = place(QStringLiteral("Style Attribute"), styleAttribute);
    styleLayout->addWidget(styleAttributePane, 1);
    rightPaneDomSplitView->addWidget(styleAttribute);
    rightPaneSplitView->addWidget(rightPaneDomSplitView);
    // The DOM tree takes what the column gains or loses in height: the
    // attributes and the style attribute below it keep their rows (#88).
    rightPaneSplitView->setStretchFactor(0, 1);
    rightPaneSplitView->setStretchFactor(1, 0);
    tabs->addWidget(rightPaneSplitView);

    elementPalettePane = place(QStringLiteral("Element Palette"), tabs);
    tabs->addWidget(elementPalettePane);
    layout->addWidget(tabs, 1);

    rightPaneControlView = new RightPaneControlView(rightBottomPane);
    rightPaneControlView->hide();
    rightPaneControlView->setTabView(tabs);
    rightPaneControlView->setSegmentedControl(rightSegmentControl);
    return rightBottomPane;
}
