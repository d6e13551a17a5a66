// The rules of the main window's panes: divider limits, collapsing and
// restoring, the full-size preview, the keyframe pane, the header controls and
// the bottom area's tabs.

#include "AppDelegate.h"
#include "EXWindow.h"
#include "SplitViewDelegation.h"
#include "WindowPlacement.h"

#include "app/views/MainView.h"
#include "editors/AttributeStyleEditorViewController.h"
#include "interfaces/DomTreeDelegateInterface.h"
#include "interfaces/ExWebViewInterface.h"
#include "interfaces/FileViewControllerInterface.h"
#include "interfaces/ProjectDelegateInterface.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/kit/SegmentedControl.h"
#include "platform/kit/SplitView.h"
#include "platform/kit/TableViewBase.h"
#include "workspace/File.h"


#include <QApplication>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QStackedWidget>
#include <QToolButton>

#include <algorithm>
#include <cmath>
#include <limits>

void AppDelegate::connectPanes()
{
    SplitViewDelegate delegate;
    delegate.canCollapseSubview = [this](SplitView *splitView, QWidget *subview) {
        return canCollapseSubview(splitView, subview);
    };
    // The inspectors beside the code view stop at their smallest height when
    // dragged: a pane collapsed there would leave its divider under the one
    // above it, out of reach of the pointer.
    delegate.collapsesSubviewOnDrag = [this](SplitView *splitView, QWidget *) {
        return splitView != m_ui.rightPaneSplitView && splitView != m_ui.rightPaneDomSplitView
            && splitView != m_ui.domTreePaneSplitView;
    };
    delegate.shouldCollapseSubviewForDoubleClickOnDividerAtIndex = [this](SplitView *splitView, QWidget *subview,
                                                                          int index) {
        return shouldCollapseSubviewForDoubleClickOnDividerAtIndex(splitView, subview, index);
    };
    delegate.constrainMinCoordinate = [this](SplitView *splitView, double proposed, int index) {
        return constrainMinCoordinate(splitView, proposed, index);
    };
    delegate.constrainMaxCoordinate = [this](SplitView *splitView, double proposed, int index) {
        return constrainMaxCoordinate(splitView, proposed, index);
    };
    delegate.splitViewDidResizeSubviews = [this](SplitView *splitView) { splitViewDidResizeSubviews(splitView); };
    for (SplitView *splitView : m_ui.splitViews())
        SplitViewDelegation::install(splitView, delegate);

    connect(m_ui.splitViewExpander, &SegmentedControl::activated, this,
            [this] { toggleProjectControllerView(m_ui.splitViewExpander); });
    connect(m_ui.leftPaneExpandButton, &QToolButton::clicked, this, [this] { toggleCenterBottomLeftView(); });
    connect(m_ui.centerPaneExpandButton, &QToolButton::clicked, this, [this] { toggleCenterBottomView(); });
    connect(m_ui.rightPaneExpandButton, &QToolButton::clicked, this, [this] { toggleCenterBottomRightView(); });
    connect(m_ui.keyframePaneExpandButton, &QToolButton::clicked, this, [this] { toggleKeyframeEditor(); });
    connect(m_ui.nodeSegmentControl, &SegmentedControl::activated, this,
            [this] { changeBottomContent(m_ui.nodeSegmentControl); });
    connect(m_ui.projectMainSettingSegmentControl, &SegmentedControl::activated, this,
            [this] { changeProjectSettingContent(m_ui.projectMainSettingSegmentControl); });
}

bool AppDelegate::isCollapsed(SplitView *splitView, QWidget *subview) const
{
    return splitView && splitView->isSubviewCollapsed(subview);
}

void AppDelegate::moveDivider(SplitView *splitView, double position, int dividerIndex)
{
    SplitViewDelegation::setPositionOfDividerAtIndex(splitView, position, dividerIndex);
}

// --- Split-view delegate answers -----------------------------------------------------------

bool AppDelegate::canCollapseSubview(SplitView *splitView, QWidget *subview)
{
    Q_UNUSED(splitView);
    if (subview == m_ui.mainView)
        return false;
    // A collapsed pane has no size left to remember.
    if (subview == m_ui.leftBottomPane && m_ui.leftBottomPane->width() > 0)
        m_leftBottomPaneRestoreWidth = m_ui.leftBottomPane->width();
    if (subview == m_ui.rightBottomPane && m_ui.rightBottomPane->width() > 0)
        m_rightBottomDividerRestorePosition = m_ui.centerBottomPane->width() - m_ui.rightBottomPane->width();
    return true;
}

bool AppDelegate::shouldCollapseSubviewForDoubleClickOnDividerAtIndex(SplitView *, QWidget *, int)
{
    return true;
}

double AppDelegate::constrainMinCoordinate(SplitView *splitView, double proposed, int dividerIndex) const
{
    Q_UNUSED(proposed);
    if (splitView == m_ui.styleSplitView)
        return 52;
    if (splitView == m_ui.domTreePaneSplitView)
        return 40;
    if (splitView == m_ui.rightPaneDomSplitView)
        return 80;
    if (splitView == m_ui.rightPaneSplitView || splitView == m_ui.leftPaneSplitView
        || splitView == m_ui.centerPaneSplitView)
        return 120;
    if (splitView == m_ui.centerBottomPane && dividerIndex == 1) {
        if (isCollapsed(m_ui.centerBottomPane, m_ui.leftBottomPane))
            return 400;
        return m_ui.leftBottomPane->width() + 400;
    }
    return 120;
}

double AppDelegate::constrainMaxCoordinate(SplitView *splitView, double proposed, int dividerIndex) const
{
    Q_UNUSED(proposed);
    const double height = splitView->height();
    const double width = splitView->width();
    if (splitView == m_ui.styleSplitView)
        return height - 68;
    if (splitView == m_ui.domTreePaneSplitView)
        return height - 40;
    if (splitView == m_ui.rightPaneDomSplitView)
        return height - 80;
    if (splitView == m_ui.rightPaneSplitView)
        return height - 120;
    if (splitView == m_ui.leftPaneSplitView)
        return height - 100;
    if (splitView == m_ui.centerPaneSplitView)
        return std::min(height - 200, previewDividerLimit());
    if (splitView == m_ui.centerBottomPane) {
        if (dividerIndex == 0) {
            if (isCollapsed(m_ui.centerBottomPane, m_ui.rightBottomPane))
                return width - 400;
            return width - m_ui.rightBottomPane->width() - 400;
        }
        return width - 210;
    }
    return width - 120;
}

void AppDelegate::splitViewDidResizeSubviews(SplitView *splitView)
{
    Q_UNUSED(splitView);
    m_ui.splitViewExpander->setSelected(isCollapsed(m_ui.globalSplitView, m_ui.leftPaneSplitView), 0);
    m_ui.splitViewExpander->setSelected(isCollapsed(m_ui.centerPaneSplitView, m_ui.centerBottomPane), 1);
    m_ui.centerPaneExpandButton->setChecked(isCollapsed(m_ui.centerPaneSplitView, m_ui.centerTopPane));
    centeringSegmentControl();
    if (m_projectController)
        m_projectController->updateDetectLayer();
    placeProjectSettingScroller();
    m_ui.leftPaneExpandButton->setChecked(isCollapsed(m_ui.centerBottomPane, m_ui.leftBottomPane));
    m_ui.rightPaneExpandButton->setChecked(isCollapsed(m_ui.centerBottomPane, m_ui.rightBottomPane));
    setKeyframepane();
    if (m_projectController)
        m_projectController->doSetPreviewWithLastIndex();
    if (m_domTreeController)
        m_domTreeController->escapeEdit();
}

void AppDelegate::windowDidResize(QWidget *window)
{
    centeringSegmentControl();
    if (window == m_ui.cssInspector)
        moveOrResizeInspector();
}

// --- Pane toggles ----------------------------------------------------------------------------

void AppDelegate::rememberRestoreFrames()
{
    m_leftPaneRestoreFrame = m_ui.leftPaneSplitView->geometry();
    m_centerPaneRestoreFrame = m_ui.centerPaneSplitView->geometry();
    m_rightPaneRestoreFrame = m_ui.rightPaneSplitView->geometry();
    m_centerTopRestoreFrame = m_ui.centerTopPane->geometry();
    m_centerBottomRestoreFrame = m_ui.centerBottomPane->geometry();
}

double AppDelegate::centerBottomRestorePosition() const
{
    // The divider's own thickness lies above the pane: the pane comes back
    // at the height it had, however often it is hidden and shown.
    return m_ui.globalSplitView->height() - m_ui.centerPaneSplitView->handleWidth() - m_centerBottomRestoreFrame.height();
}

void AppDelegate::toggleSlide(int index)
{
    m_lastToggleIndex = index;
    m_isFullSizePreview = false;
    m_leavesFullSizeAfterPick = false;
    m_ui.fullWebViewButton->setChecked(false);

    const double globalHeight = m_ui.globalSplitView->height();
    switch (index) {
    case 0:
        if (isCollapsed(m_ui.globalSplitView, m_ui.leftPaneSplitView)) {
            if (m_leftPaneRestoreFrame.width() <= 10)
                m_leftPaneRestoreFrame.setWidth(m_ui.window->width() / 5);
            moveDivider(m_ui.globalSplitView, m_leftPaneRestoreFrame.width(), 0);
        } else {
            m_leftPaneRestoreFrame = m_ui.leftPaneSplitView->geometry();
            m_rightPaneRestoreFrame = m_ui.rightPaneSplitView->geometry();
            moveDivider(m_ui.globalSplitView, 0, 0);
        }
        break;
    case 1:
        if (isCollapsed(m_ui.centerPaneSplitView, m_ui.centerBottomPane)) {
            moveDivider(m_ui.centerPaneSplitView, centerBottomRestorePosition(), 0);
        } else {
            m_centerTopRestoreFrame = m_ui.centerTopPane->geometry();
            m_centerBottomRestoreFrame = m_ui.centerBottomPane->geometry();
            moveDivider(m_ui.centerPaneSplitView, globalHeight, 0);
        }
        break;
    case 3:
        if (isCollapsed(m_ui.centerPaneSplitView, m_ui.centerTopPane)) {
            moveDivider(m_ui.centerPaneSplitView, centerBottomRestorePosition(), 0);
        } else {
            m_centerTopRestoreFrame = m_ui.centerTopPane->geometry();
            m_centerBottomRestoreFrame = m_ui.centerBottomPane->geometry();
            moveDivider(m_ui.centerPaneSplitView, 0, 0);
        }
        break;
    case 4:
        if (isCollapsed(m_ui.centerBottomPane, m_ui.leftBottomPane))
            moveDivider(m_ui.centerBottomPane, m_leftBottomPaneRestoreWidth, 0);
        else
            moveDivider(m_ui.centerBottomPane, 0, 0);
        break;
    case 5:
        if (isCollapsed(m_ui.centerBottomPane, m_ui.rightBottomPane))
            moveDivider(m_ui.centerBottomPane, m_rightBottomDividerRestorePosition, 1);
        else
            moveDivider(m_ui.centerBottomPane, m_ui.centerBottomPane->width(), 1);
        break;
    default:
        break;
    }
}

void AppDelegate::toggleProjectControllerView(SegmentedControl *sender)
{
    if (!sender)
        return;
    // The clicked segment is the one whose state no longer matches its pane.
    if (sender->isSelectedForSegment(0) != isCollapsed(m_ui.globalSplitView, m_ui.leftPaneSplitView))
        toggleSlide(0);
    else if (sender->isSelectedForSegment(1) != isCollapsed(m_ui.centerPaneSplitView, m_ui.centerBottomPane))
        toggleSlide(1);
}

void AppDelegate::togglePreviewMode()
{
    if (!m_isFullSizePreview) {
        m_leftPaneWasOpen = !isCollapsed(m_ui.globalSplitView, m_ui.leftPaneSplitView);
        m_centerBottomWasOpen = !isCollapsed(m_ui.centerPaneSplitView, m_ui.centerBottomPane);
        // A pane that is already collapsed keeps the size it had when it was shown.
        if (m_centerBottomWasOpen) {
            m_centerPaneRestoreFrame = m_ui.centerPaneSplitView->geometry();
            m_centerTopRestoreFrame = m_ui.centerTopPane->geometry();
            m_centerBottomRestoreFrame = m_ui.centerBottomPane->geometry();
        }
        if (m_leftPaneWasOpen) {
            m_leftPaneRestoreFrame = m_ui.leftPaneSplitView->geometry();
            m_rightPaneRestoreFrame = m_ui.rightPaneSplitView->geometry();
        }
        moveDivider(m_ui.globalSplitView, 0, 0);
        moveDivider(m_ui.centerPaneSplitView, m_ui.centerPaneSplitView->height(), 0);
        m_isFullSizePreview = true;
        // The page is shown without the overlay; the element stays selected,
        // with its rules in the style inspector, which stays where it is
        // (#79): the mode changes the main window's panes alone.
        if (ExWebViewInterface *preview = m_projectController ? m_projectController->webview() : nullptr)
            preview->hideDetectLayer();
    } else {
        if (m_leftPaneWasOpen)
            moveDivider(m_ui.globalSplitView, m_leftPaneRestoreFrame.width(), 0);
        if (m_centerBottomWasOpen)
            moveDivider(m_ui.centerPaneSplitView, centerBottomRestorePosition(), 0);
        m_isFullSizePreview = false;
        m_leavesFullSizeAfterPick = false;
        ExWebViewInterface *preview = m_projectController ? m_projectController->webview() : nullptr;
        if (preview)
            preview->showDetectLayer();
    }
}

void AppDelegate::selectNodeMode()
{
    if (!m_isFullSizePreview)
        return;
    // An element is picked in the page as it stands: the panes come back
    // once the pick is made, so that the click lands on the element under
    // the pointer, not on what the panes bring there (#79).
    const ExWebViewInterface *preview = m_projectController ? m_projectController->webview() : nullptr;
    if (preview && preview->detectState() == ExWebViewInterface::HoverDetect) {
        m_leavesFullSizeAfterPick = true;
        return;
    }
    togglePreviewMode();
}

void AppDelegate::elementPicked()
{
    // The page's element under the click is known only now: the page keeps
    // its layout until then.
    if (m_isFullSizePreview && m_leavesFullSizeAfterPick)
        togglePreviewMode();
}

// --- Keyframe pane -------------------------------------------------------------------------------

void AppDelegate::setKeyframepane()
{
    const bool shown = m_ui.nodeSegmentControl->isSelectedForSegment(1)
        && !isCollapsed(m_ui.domTreePaneSplitView, m_ui.keyframePane);
    m_ui.keyframePaneExpandButton->setChecked(shown);
    m_ui.keyframePaneExpandButton->setToolTip(shown ? QStringLiteral("Hide Keyframe Pane")
                                                    : QStringLiteral("Show Keyframe Pane"));
}

void AppDelegate::toggleKeyframeEditor()
{
    SplitView *split = m_ui.domTreePaneSplitView;
    SplitView *inspectors = m_ui.rightPaneSplitView;
    if (!m_ui.keyframePaneExpandButton->isChecked()) {
        moveDivider(split, split->height(), 0);
        // The attributes and the style attribute get back what the pane took.
        if (m_treeAreaBeforeKeyframes > 0)
            placeDivider(inspectors, m_treeAreaBeforeKeyframes, 0);
        m_treeAreaBeforeKeyframes = 0;
        return;
    }
    // Half the tree is one track on a short pane: the keyframe pane has room
    // at least for its ruler and three tracks, as far as the tree's limit lets,
    // and the tree's area grows for it as far as the panes below let it.
    const int wanted = m_ui.keyframePane->sizeHint().height();
    const int treeLeast = int(constrainMinCoordinate(split, 0, 0));
    const int area = m_ui.rightTopPane->height();
    if (area < treeLeast + split->handleWidth() + wanted) {
        m_treeAreaBeforeKeyframes = area;
        placeDivider(inspectors, treeLeast + split->handleWidth() + wanted, 0);
    }
    moveDivider(split, std::min(m_ui.domTreeView->height() / 2.0, double(split->height() - split->handleWidth() - wanted)), 0);
    for (int i = 0; i < m_ui.nodeSegmentControl->segmentCount(); ++i)
        m_ui.nodeSegmentControl->setSelected(false, i);
    m_ui.nodeSegmentControl->setSelected(true, 1);
    m_ui.bottomTabView->setCurrentIndex(1);
    // The segment changed after the pane moved: the button follows both.
    setKeyframepane();
}

// --- The panes at launch ----------------------------------------------------------------

namespace {

// The rows the inspectors beside the code view open with at least, in a
// window of that height: four of the DOM tree, two attributes and three
// editors of the style attribute at 800, eight, three and five at 1080,
// and more in taller ones, up to ten, five and five.
struct InspectorRows
{
    int tree;
    int attributes;
    int styleEditors;
};

InspectorRows inspectorRowsFor(int windowHeight)
{
    const double steps = std::max(0, windowHeight - 800) / 280.0;
    return {std::min(10, int(4 + 4 * steps)), std::min(5, int(2 + steps)), std::min(5, int(3 + 2 * steps))};
}

// The least height the preview's pane (its ruler and the page) opens with
// in a window of that height: 40% of it at 800, 45% from 1080 up.
int previewHeightFor(int windowHeight)
{
    const double share = 0.40 + 0.05 * std::clamp((windowHeight - 800) / 280.0, 0.0, 1.0);
    return int(std::ceil(windowHeight * share));
}

// The height of a pane that gives the view in it `wanted`, as the pane's
// layout adds its other parts to the view's.
int paneHeightGiving(const QWidget *pane, const QWidget *view, int wanted)
{
    if (!view)
        return pane->sizeHint().height();
    return pane->sizeHint().height() - view->sizeHint().height() + wanted;
}

const QString kLeftBottomPaneWidthKey = QStringLiteral("lastLeftBottomPaneWidth");
const QString kRightBottomPaneWidthKey = QStringLiteral("lastRightBottomPaneWidth");
const QString kStyleListPaneHeightKey = QStringLiteral("lastStyleListPaneHeight");

} // namespace

void AppDelegate::placeDivider(SplitView *splitView, double position, int dividerIndex)
{
    const double min = constrainMinCoordinate(splitView, position, dividerIndex);
    const double max = std::max(min, constrainMaxCoordinate(splitView, position, dividerIndex));
    moveDivider(splitView, std::clamp(position, min, max), dividerIndex);
}

double AppDelegate::previewDividerLimit() const
{
    // The DOM tree gives what the preview takes, down to its least height;
    // the attributes and the style attribute below it keep their rows (#88).
    // A divider already past that place stays there.
    SplitView *center = m_ui.centerPaneSplitView;
    SplitView *inspectors = m_ui.rightPaneSplitView;
    if (!m_panesPlaced || !inspectors->isVisible() || isCollapsed(inspectors, m_ui.rightTopPane)
        || isCollapsed(m_ui.centerBottomPane, m_ui.rightBottomPane) || isCollapsed(center, m_ui.centerBottomPane))
        return std::numeric_limits<double>::max();
    const int position = center->positionOfDividerAtIndex(0);
    const int treeSpare = m_ui.rightTopPane->height() - int(constrainMinCoordinate(inspectors, 0, 0));
    return position + std::max(0, treeSpare);
}

void AppDelegate::sizePanesAtLaunch()
{
    UserDefaults &defaults = UserDefaults::standardUserDefaults();
    if (m_panesKept && defaults.hasStoredValue(QStringLiteral("lastRightPaneHeight")))
        restorePanes();
    else
        sizePanesForWindow();
    m_panesPlaced = true;
}

QList<int> AppDelegate::inspectorHeightsShowing(int treeRows, int attributeRows, int styleEditors) const
{
    const auto *tree = m_domTreeController ? qobject_cast<const TableViewBase *>(m_domTreeController->outlineView()) : nullptr;
    const auto *attributeList = m_ui.attributePane->findChild<const TableViewBase *>(QStringLiteral("domInfo"));
    const auto *styleAttribute =
        m_ui.window->findChild<const AttributeStyleEditorViewController *>(QStringLiteral("styleAttributePanel"));
    SplitView *attributeSplit = m_ui.rightPaneDomSplitView;
    // The tree's area holds the keyframe pane's divider too, the pane
    // collapsed below it.
    return {paneHeightGiving(m_ui.domTreeView, tree, tree ? tree->heightShowingRows(treeRows) : 0)
                + m_ui.domTreePaneSplitView->handleWidth(),
            paneHeightGiving(attributeSplit->widget(0), attributeList,
                             attributeList ? attributeList->heightShowingRows(attributeRows) : 0),
            paneHeightGiving(attributeSplit->widget(1), styleAttribute ? styleAttribute->pageArea() : nullptr,
                             styleAttribute ? styleAttribute->pageHeightShowingEditors(styleEditors) : 0)};
}

void AppDelegate::sizePanesForWindow()
{
    const int windowHeight = WindowPlacement::decoratedFrame(m_ui.window).height();
    const InspectorRows rows = inspectorRowsFor(windowHeight);
    placeInspectorColumn(inspectorHeightsShowing(rows.tree, rows.attributes, rows.styleEditors),
                         previewHeightFor(windowHeight));
}

void AppDelegate::placeInspectorColumn(const QList<int> &wanted, int previewLeast)
{
    SplitView *center = m_ui.centerPaneSplitView;
    SplitView *inspectors = m_ui.rightPaneSplitView;
    SplitView *attributeSplit = m_ui.rightPaneDomSplitView;

    // No pane under its divider's limit, the attributes showing two rows and
    // the style attribute three editors, as far as the window lets them.
    const auto trailingLeast = [this](SplitView *split) {
        return split->height() - split->handleWidth() - int(constrainMaxCoordinate(split, 0, 0));
    };
    const QList<int> readable = inspectorHeightsShowing(0, 2, 3);
    const int least[] = {int(constrainMinCoordinate(inspectors, 0, 0)),
                         std::max(int(constrainMinCoordinate(attributeSplit, 0, 0)), readable[1]),
                         std::max(trailingLeast(attributeSplit), readable[2])};
    QList<int> panes;
    for (int i = 0; i < 3; ++i)
        panes.append(std::max(wanted.value(i), least[i]));

    // The preview takes what the inspectors leave, and never less than
    // previewLeast: where the window is too short for them, each gives up
    // part of what it has over its least height, and what does not fit
    // scrolls.
    const int header = inspectors->mapTo(m_ui.rightBottomPane, QPoint()).y();
    const int room = center->height() - center->handleWidth();
    const int inspectorsRoom = room - previewLeast - header - inspectors->handleWidth() - attributeSplit->handleWidth();
    int over = panes[0] + panes[1] + panes[2] - inspectorsRoom;
    const int spare = panes[0] + panes[1] + panes[2] - least[0] - least[1] - least[2];
    if (over > 0 && spare > 0) {
        over = std::min(over, spare);
        int taken = 0;
        for (int i = 0; i < 3; ++i) {
            const int share = i < 2 ? over * (panes[i] - least[i]) / spare : over - taken;
            panes[i] -= share;
            taken += share;
        }
    }
    const int bottom = header + panes[0] + inspectors->handleWidth() + panes[1] + attributeSplit->handleWidth() + panes[2];
    // The preview at least at its divider's limit, and the panes below as
    // far as they go in what is left.
    const int preview = std::max(room - bottom, int(constrainMinCoordinate(center, 0, 0)));
    setPaneSizes(center, {preview, room - preview});
    const int column = inspectors->height() - inspectors->handleWidth();
    setPaneSizes(inspectors, {std::min(panes[0], column), std::max(0, column - panes[0])});
    const int attributesRoom = attributeSplit->height() - attributeSplit->handleWidth();
    setPaneSizes(attributeSplit, {std::min(panes[1], attributesRoom), std::max(0, attributesRoom - panes[1])});
}

void AppDelegate::setPaneSizes(SplitView *splitView, const QList<int> &sizes)
{
    // The places a layout asks for as they stand: the limits of a drag
    // (which depend on the panes' sizes at the time) do not move them.
    splitView->setSizes(sizes);
    splitViewDidResizeSubviews(splitView);
}

void AppDelegate::restorePanes()
{
    UserDefaults &defaults = UserDefaults::standardUserDefaults();
    // A size the last run left, none when that pane was collapsed; the
    // fallback where it left none.
    const auto kept = [&defaults](const QString &key, int fallback) {
        if (!defaults.hasStoredValue(key))
            return fallback;
        const float value = defaults.floatForKey(key);
        return value > 1.0f ? int(value) : 0;
    };
    // Each split view's panes at the sizes the last run left them, all at
    // once: one divider placed before the other would be held by the limits
    // its neighbour's old place gives it (#88). The last pane takes the rest.
    const auto restore = [this](SplitView *split, QList<int> leading) {
        const int room = split->count() > 0 ? (split->isVertical() ? split->width() : split->height())
                                                  - (split->count() - 1) * split->handleWidth()
                                            : 0;
        int used = 0;
        for (int &size : leading) {
            size = std::clamp(size, 0, std::max(0, room - used));
            used += size;
        }
        leading.append(room - used);
        setPaneSizes(split, leading);
    };

    // The columns, then the rows inside them.
    restore(m_ui.globalSplitView, {kept(QStringLiteral("lastLeftPaneWidth"), m_ui.leftPaneSplitView->width())});
    restore(m_ui.leftPaneSplitView, {kept(QStringLiteral("lastLeftPaneHeight"), m_ui.leftTopPane->height())});
    SplitView *bottomRow = m_ui.centerBottomPane;
    const int resources = kept(kLeftBottomPaneWidthKey, m_ui.leftBottomPane->width());
    const int domPane = kept(kRightBottomPaneWidthKey, m_ui.rightBottomPane->width());
    const int row = bottomRow->width() - 2 * bottomRow->handleWidth();
    setPaneSizes(bottomRow, {resources, std::max(0, row - resources - domPane), domPane});
    restore(m_ui.styleSplitView, {kept(kStyleListPaneHeightKey, m_ui.styleListPane->height())});

    // The inspectors beside the code view as they were, the preview above
    // them taking the rest; where the window is too short for them now, as
    // a first launch sizes them from what they had.
    SplitView *inspectors = m_ui.rightPaneSplitView;
    SplitView *attributeSplit = m_ui.rightPaneDomSplitView;
    const int tree = kept(QStringLiteral("lastRightPaneHeight"), m_ui.rightTopPane->height());
    const int attributes = kept(QStringLiteral("lastAttributePaneHeight"), attributeSplit->widget(0)->height());
    const int styleAttribute = kept(QStringLiteral("lastStyleAttributePaneHeight"), attributeSplit->widget(1)->height());
    const int header = inspectors->mapTo(m_ui.rightBottomPane, QPoint()).y();
    const int bottom = header + tree + inspectors->handleWidth() + attributes + attributeSplit->handleWidth() + styleAttribute;
    SplitView *center = m_ui.centerPaneSplitView;
    const int room = center->height() - center->handleWidth();
    if (tree == 0 || attributes == 0 || styleAttribute == 0
        || room - bottom >= int(constrainMinCoordinate(center, 0, 0))) {
        setPaneSizes(center, {room - bottom, bottom});
        restore(inspectors, {tree});
        restore(attributeSplit, {attributes});
        return;
    }
    placeInspectorColumn({tree, attributes, styleAttribute},
                         previewHeightFor(WindowPlacement::decoratedFrame(m_ui.window).height()));
}

void AppDelegate::savePanes()
{
    const bool leftCollapsed = isCollapsed(m_ui.globalSplitView, m_ui.leftPaneSplitView);
    saveFloatToUserDefaults(leftCollapsed ? 1.0f : float(m_ui.leftPaneSplitView->width()),
                            QStringLiteral("lastLeftPaneWidth"));
    saveFloatToUserDefaults(leftCollapsed
                                ? float(m_ui.centerPaneSplitView->width())
                                : float(m_ui.leftPaneSplitView->width() + m_ui.centerPaneSplitView->width()),
                            QStringLiteral("lastCenterPaneWidth"));
    // A collapsed pane is kept as 1.
    const auto save = [this](SplitView *split, QWidget *pane, int size, const QString &key) {
        saveFloatToUserDefaults(isCollapsed(split, pane) ? 1.0f : float(size), key);
    };
    save(m_ui.leftPaneSplitView, m_ui.leftTopPane, m_ui.leftTopPane->height(), QStringLiteral("lastLeftPaneHeight"));
    save(m_ui.centerPaneSplitView, m_ui.centerTopPane, m_ui.centerTopPane->height(), QStringLiteral("lastCenterPaneHeight"));
    save(m_ui.domTreePaneSplitView, m_ui.keyframePane, m_ui.keyframePane->height(), QStringLiteral("lastKeyframePaneHeight"));
    save(m_ui.styleSplitView, m_ui.styleListPane, m_ui.styleListPane->height(), kStyleListPaneHeightKey);
    // The code view's neighbours in the row below the preview; not while
    // the row is hidden, which leaves them no width.
    if (m_ui.centerBottomPane->height() > 0) {
        save(m_ui.centerBottomPane, m_ui.leftBottomPane, m_ui.leftBottomPane->width(), kLeftBottomPaneWidthKey);
        save(m_ui.centerBottomPane, m_ui.rightBottomPane, m_ui.rightBottomPane->width(), kRightBottomPaneWidthKey);
    }
    // The DOM tree's area, the attributes and the style attribute, which
    // the next launch sizes as they are now; not while the area that holds
    // them is hidden, which leaves them no height.
    if (m_ui.rightPaneSplitView->height() > 0) {
        save(m_ui.rightPaneSplitView, m_ui.rightTopPane, m_ui.rightTopPane->height(), QStringLiteral("lastRightPaneHeight"));
        for (int pane = 0; pane < 2; ++pane) {
            QWidget *widget = m_ui.rightPaneDomSplitView->widget(pane);
            save(m_ui.rightPaneDomSplitView, widget, widget->height(),
                 pane == 0 ? QStringLiteral("lastAttributePaneHeight") : QStringLiteral("lastStyleAttributePaneHeight"));
        }
    }
}

// --- Dividers by keys ----------------------------------------------------------------------------

void AppDelegate::verticalRange(int delta)
{
    QWidget *key = QApplication::activeWindow();
    if (key && key != m_ui.window) {
        const int list = m_ui.styleListPane->height();
        moveDivider(m_ui.styleSplitView, list + delta, 0);
        // The inspector's divider may have no room that way (its list already
        // closed): the keys then move the preview's divider, which is in sight.
        if (m_ui.styleListPane->height() != list || !m_ui.window || !m_ui.window->isVisible())
            return;
    }
    if (key) {
        NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("mainResized"), this);
        moveDivider(m_ui.centerPaneSplitView, int(m_ui.centerTopPane->height()) + delta, 0);
    }
}

// --- Header controls ----------------------------------------------------------------------------

void AppDelegate::centeringSegmentControl()
{
    // The controls sit in their header bars, placed by their distance from
    // the bar's bottom edge.
    auto place = [](QWidget *control, int width, int fromBottom) {
        QWidget *bar = control->parentWidget();
        const int height = bar ? bar->height() : control->height();
        control->move((width - control->width()) / 2, height - fromBottom - control->height());
    };
    place(m_ui.resouceSegmentControl, int(m_ui.leftBottomPane->width()), 1);
    place(m_ui.rightSegmentControl, int(m_ui.rightBottomPane->width()), 2);
    place(m_ui.projectMainSettingSegmentControl, int(m_ui.rightSegment->width()), m_ui.rightSegment->height() - 22);
}

void AppDelegate::placeProjectSettingScroller()
{
    // The settings hang from the top of their tab, below its segment bar;
    // taller settings scroll, starting at their top.
    QWidget *tab = m_ui.projectSettingScroller->parentWidget();
    if (!tab)
        return;
    const int top = m_ui.rightSegment->height();
    m_ui.rightSegment->resize(tab->width(), m_ui.rightSegment->height());
    const int room = qMax(0, m_ui.bottomTabView->height() - top);
    const int contentHeight = m_ui.projectSettingContent->height();
    const int scrollerWidth = tab->width();
    if (contentHeight > room) {
        m_ui.projectSettingScroller->setGeometry(0, top, scrollerWidth, room);
        m_ui.projectSettingScroller->verticalScrollBar()->setValue(0);
    } else {
        m_ui.projectSettingScroller->setGeometry(0, top, scrollerWidth, contentHeight);
    }
    m_ui.projectSettingContent->resize(m_ui.projectSettingScroller->viewport()->width(), contentHeight);
}

void AppDelegate::createRuleLabel()
{
    QFont font(QStringLiteral("Menlo"), 9);
    font.setStyleHint(QFont::TypeWriter);
    QPalette palette;
    palette.setColor(QPalette::WindowText, Qt::gray);
    for (int x = 0; x < 5000; x += 100) {
        auto *label = new QLabel(QString::number(x), m_ui.rulerLabelView);
        label->setGeometry(x, 0, 100, 20);
        label->setFont(font);
        label->setPalette(palette);
        label->setTextInteractionFlags(Qt::NoTextInteraction);
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
        label->show();
    }
}

// --- Bottom area ------------------------------------------------------------------------------------

void AppDelegate::changeBottomContent(SegmentedControl *sender)
{
    if (!sender)
        return;
    const int chosen = sender->selectedSegment();
    for (int i = 0; i < sender->segmentCount(); ++i)
        sender->setSelected(i == chosen, i);
    switch (chosen) {
    case 0:
        m_ui.bottomTabView->setCurrentIndex(0);
        m_ui.bottomControllerTabview->setCurrentIndex(0);
        if (m_fileViewController && m_projectController) {
            File *shown = m_fileViewController->mainFile();
            if (shown && shown->isRoot())
                m_projectController->reloadProjectConfigView();
        }
        break;
    case 1:
        m_ui.bottomTabView->setCurrentIndex(1);
        m_ui.bottomControllerTabview->setCurrentIndex(0);
        break;
    case 2:
        m_ui.bottomTabView->setCurrentIndex(2);
        m_ui.bottomControllerTabview->setCurrentIndex(1);
        break;
    default:
        break;
    }
    NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("bottomContentChanged"),
                                                             m_projectController);
}

void AppDelegate::changeProjectSettingContent(SegmentedControl *sender)
{
    if (!sender)
        return;
    const int chosen = sender->selectedSegment();
    for (int i = 0; i < sender->segmentCount(); ++i)
        sender->setSelected(i == chosen, i);
    if (chosen == 0 || chosen == 1)
        m_ui.projectsettingTabview->setCurrentIndex(chosen);
}
