// The rules of the main window's panes: divider limits, collapsing and
// restoring, the full-size preview, the keyframe pane, the header controls and
// the bottom area's tabs.

#include "AppDelegate.h"
#include "EXWindow.h"
#include "SplitViewDelegation.h"

#include "app/views/MainView.h"
#include "interfaces/DomTreeDelegateInterface.h"
#include "interfaces/ExWebViewInterface.h"
#include "interfaces/FileViewControllerInterface.h"
#include "interfaces/ProjectDelegateInterface.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/kit/SegmentedControl.h"
#include "platform/kit/SplitView.h"
#include "workspace/File.h"


#include <QApplication>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QStackedWidget>
#include <QToolButton>

#include <algorithm>

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
        return height - 200;
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

void AppDelegate::toggleSlide(int index)
{
    m_lastToggleIndex = index;
    m_isFullSizePreview = false;
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
            moveDivider(m_ui.centerPaneSplitView, globalHeight - m_centerBottomRestoreFrame.height(), 0);
        } else {
            m_centerTopRestoreFrame = m_ui.centerTopPane->geometry();
            m_centerBottomRestoreFrame = m_ui.centerBottomPane->geometry();
            moveDivider(m_ui.centerPaneSplitView, globalHeight, 0);
        }
        break;
    case 3:
        if (isCollapsed(m_ui.centerPaneSplitView, m_ui.centerTopPane)) {
            moveDivider(m_ui.centerPaneSplitView, globalHeight - m_centerBottomRestoreFrame.height(), 0);
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
    const double globalHeight = m_ui.globalSplitView->height();
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
        if (m_projectController)
            m_projectController->clearDetectLayer();
        layoutHover();
    } else {
        if (m_leftPaneWasOpen)
            moveDivider(m_ui.globalSplitView, m_leftPaneRestoreFrame.width(), 0);
        if (m_centerBottomWasOpen)
            moveDivider(m_ui.centerPaneSplitView, globalHeight - m_centerBottomRestoreFrame.height(), 0);
        m_isFullSizePreview = false;
        ExWebViewInterface *preview = m_projectController ? m_projectController->webview() : nullptr;
        if (preview)
            preview->showDetectLayer();
    }
}

void AppDelegate::selectNodeMode()
{
    if (m_isFullSizePreview)
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
    if (!m_ui.keyframePaneExpandButton->isChecked()) {
        moveDivider(split, split->height(), 0);
        return;
    }
    // Half the tree is one track on a short pane: the keyframe pane has room
    // at least for its ruler and three tracks, as far as the tree's limit lets.
    const int wanted = m_ui.keyframePane->sizeHint().height();
    moveDivider(split, std::min(m_ui.domTreeView->height() / 2.0, double(split->height() - split->handleWidth() - wanted)), 0);
    for (int i = 0; i < m_ui.nodeSegmentControl->segmentCount(); ++i)
        m_ui.nodeSegmentControl->setSelected(false, i);
    m_ui.nodeSegmentControl->setSelected(true, 1);
    m_ui.bottomTabView->setCurrentIndex(1);
    // The segment changed after the pane moved: the button follows both.
    setKeyframepane();
}

// --- The inspectors' heights ---------------------------------------------------------------

void AppDelegate::sizeInspectorPanes()
{
    UserDefaults &defaults = UserDefaults::standardUserDefaults();
    SplitView *inspectors = m_ui.rightPaneSplitView;
    SplitView *attributeSplit = m_ui.rightPaneDomSplitView;
    // The height the last run left a pane at (none when it was collapsed),
    // else the height it asks for.
    const auto heightOf = [&defaults](const QString &key, int wanted) {
        if (!defaults.hasStoredValue(key))
            return wanted;
        const float kept = defaults.floatForKey(key);
        return kept > 1.0f ? int(kept) : 0;
    };
    // The tree's area holds the keyframe pane's divider too, the pane
    // collapsed below it.
    const int tree = heightOf(QStringLiteral("lastRightPaneHeight"),
                              m_ui.domTreeView->sizeHint().height() + m_ui.domTreePaneSplitView->handleWidth());
    const int attributes = heightOf(QStringLiteral("lastAttributePaneHeight"), attributeSplit->widget(0)->sizeHint().height());
    const int styleAttribute = heightOf(QStringLiteral("lastStyleAttributePaneHeight"), attributeSplit->widget(1)->sizeHint().height());
    // The pane's header stands above the split views.
    const int header = inspectors->mapTo(m_ui.rightBottomPane, QPoint()).y();
    const int bottom = header + tree + inspectors->handleWidth() + attributes + attributeSplit->handleWidth() + styleAttribute;
    // Each divider within its limits, so that sizing collapses no pane but
    // one that was collapsed: where the window is too small for the panes,
    // the preview keeps its smallest height, and the last pane gives way.
    const auto place = [this](SplitView *split, double position, QWidget *collapsed) {
        if (collapsed) {
            moveDivider(split, split->indexOf(collapsed) == 0 ? 0 : split->height(), 0);
            return;
        }
        const double min = constrainMinCoordinate(split, position, 0);
        moveDivider(split, std::clamp(position, min, std::max(min, constrainMaxCoordinate(split, position, 0))), 0);
    };
    SplitView *center = m_ui.centerPaneSplitView;
    place(center, center->height() - center->handleWidth() - bottom, nullptr);
    place(inspectors, tree, tree > 0 ? nullptr : m_ui.rightTopPane);
    QWidget *collapsed = nullptr;
    if (attributes == 0)
        collapsed = attributeSplit->widget(0);
    else if (styleAttribute == 0)
        collapsed = attributeSplit->widget(1);
    place(attributeSplit, attributes, collapsed);
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
