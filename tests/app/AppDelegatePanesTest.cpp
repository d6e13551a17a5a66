#include "ShellTestSupport.h"
#include "TestUtil.h"

#include "app/EXWindow.h"
#include "app/SplitViewDelegation.h"
#include "app/views/MainView.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/SegmentedControl.h"
#include "platform/kit/SplitView.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QSlider>
#include <QSplitterHandle>
#include <QStackedWidget>
#include <QToolButton>

namespace {

class PanesTest : public ShellTest
{
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        UserDefaults::standardUserDefaults().setObject(QStringLiteral("0 0 1280 800 0 0 1280 800"),
                                                       QStringLiteral("NSWindow Frame mainWindow"));
        launch();
        ui().window->resize(1280, 800);
        TestUtil::spin(10);
    }

    void move(SplitView *splitView, double position, int divider = 0)
    {
        SplitViewDelegation::setPositionOfDividerAtIndex(splitView, position, divider);
    }
    int position(SplitView *splitView, int divider = 0) { return splitView->positionOfDividerAtIndex(divider); }
};

struct Limits
{
    const char *name;
    SplitView *MainInterface::*splitView;
    int smallest;
    int fromEnd; // the largest position is the extent less this
};

TEST_F(PanesTest, DividersStopAtTheirSmallestAndLargestPositions)
{
    const Limits rows[] = {
        {"styleSplitView", &MainInterface::styleSplitView, 52, 68},
        {"domTreePaneSplitView", &MainInterface::domTreePaneSplitView, 40, 40},
        {"rightPaneDomSplitView", &MainInterface::rightPaneDomSplitView, 80, 80},
        {"rightPaneSplitView", &MainInterface::rightPaneSplitView, 120, 120},
        {"leftPaneSplitView", &MainInterface::leftPaneSplitView, 120, 100},
        {"globalSplitView", &MainInterface::globalSplitView, 120, 120},
    };
    ui().window->resize(1280, 1200);
    ui().cssInspector->resize(280, 700);
    delegate->toggleKeyframeEditor(); // nothing: the button is off
    ui().keyframePaneExpandButton->click();
    TestUtil::spin(10);
    // Room for every split view: the centre bottom area tall, the DOM tree short.
    move(ui().centerPaneSplitView, 300);
    move(ui().rightPaneSplitView, 150);
    for (const Limits &row : rows) {
        SplitView *splitView = ui().*row.splitView;
        const int extent = splitView->isVertical() ? splitView->width() : splitView->height();
        ASSERT_GT(extent - row.fromEnd, row.smallest + 20) << row.name;
        move(splitView, row.smallest - 5);
        EXPECT_EQ(position(splitView), row.smallest) << row.name;
        move(splitView, extent - row.fromEnd + 5);
        EXPECT_EQ(position(splitView), extent - row.fromEnd) << row.name;
    }
}

// The preview's divider goes down as far as the DOM tree gives: the
// attributes and the style attribute keep their heights, and the window's
// own height changes the tree's alone (#88).
TEST_F(PanesTest, ThePreviewGrowsOnlyAsFarAsTheDomTreeGivesAndTheAttributesKeepTheirRows)
{
    SplitView *center = ui().centerPaneSplitView;
    SplitView *inspectors = ui().rightPaneSplitView;
    ui().window->resize(1280, 1000);
    TestUtil::spin(10);
    move(center, 300);
    move(inspectors, 220);
    const int attributes = ui().rightPaneDomSplitView->widget(0)->height();
    const int styleAttribute = ui().rightPaneDomSplitView->widget(1)->height();
    const int least = int(delegate->constrainMinCoordinate(inspectors, 0, 0));
    EXPECT_EQ(int(delegate->constrainMaxCoordinate(center, 0, 0)), 300 + 220 - least);
    EXPECT_EQ(int(delegate->constrainMinCoordinate(center, 0, 0)), 120);

    move(center, 350);
    EXPECT_EQ(position(center), 350);
    EXPECT_EQ(ui().rightTopPane->height(), 220 - 50);
    move(center, 900);
    EXPECT_EQ(position(center), 300 + 220 - least);
    EXPECT_EQ(ui().rightTopPane->height(), least);
    EXPECT_EQ(ui().rightPaneDomSplitView->widget(0)->height(), attributes);
    EXPECT_EQ(ui().rightPaneDomSplitView->widget(1)->height(), styleAttribute);

    // A taller window: the preview takes the height, the tree keeps its own.
    ui().window->resize(1280, 1100);
    TestUtil::spin(10);
    EXPECT_EQ(ui().rightTopPane->height(), least);
    EXPECT_EQ(ui().rightPaneDomSplitView->widget(0)->height(), attributes);
    // Back up, the tree takes what the preview gives.
    move(center, 300);
    EXPECT_GT(ui().rightTopPane->height(), least);
    EXPECT_EQ(ui().rightPaneDomSplitView->widget(0)->height(), attributes);
    EXPECT_EQ(ui().rightPaneDomSplitView->widget(1)->height(), styleAttribute);
}

TEST_F(PanesTest, TheCodeViewKeepsFourHundredPointsAndTheRightPaneTwoHundredTen)
{
    SplitView *area = ui().centerBottomPane;
    const int width = area->width();
    // Divider 1 stops 400 right of the left pane and 210 left of the area's end.
    move(area, ui().leftBottomPane->width() + 100, 1);
    EXPECT_EQ(position(area, 1), ui().leftBottomPane->width() + 400);
    move(area, width - 150, 1);
    EXPECT_EQ(position(area, 1), width - 210);
    // Divider 0 stops 400 left of the right pane.
    move(area, width, 0);
    EXPECT_EQ(position(area, 0), width - ui().rightBottomPane->width() - 400);
    // With the left pane collapsed, divider 1 may come to 400.
    delegate->toggleCenterBottomLeftView();
    ASSERT_TRUE(area->isSubviewCollapsed(ui().leftBottomPane));
    move(area, 300, 1);
    EXPECT_EQ(position(area, 1), 400);
}

TEST_F(PanesTest, APaneCollapsesOnlyWhenItsDividerReachesItsEdgeExceptTheCodeView)
{
    // Short of the edge a pane keeps its smallest size.
    move(ui().centerPaneSplitView, 40);
    EXPECT_FALSE(ui().centerPaneSplitView->isSubviewCollapsed(ui().centerTopPane));
    EXPECT_EQ(position(ui().centerPaneSplitView), 120);
    move(ui().centerPaneSplitView, 2);
    EXPECT_TRUE(ui().centerPaneSplitView->isSubviewCollapsed(ui().centerTopPane));
    move(ui().centerBottomPane, ui().centerBottomPane->width() - 20, 1);
    EXPECT_FALSE(ui().centerBottomPane->isSubviewCollapsed(ui().rightBottomPane));
    move(ui().centerBottomPane, ui().centerBottomPane->width(), 1);
    EXPECT_TRUE(ui().centerBottomPane->isSubviewCollapsed(ui().rightBottomPane));
    // The code view never collapses, however far its divider goes.
    move(ui().centerBottomPane, 0, 1);
    EXPECT_FALSE(ui().centerBottomPane->isSubviewCollapsed(ui().mainView));
}

TEST_F(PanesTest, CollapseAndRestoreReturnEachPaneToItsSize)
{
    struct Toggle
    {
        int index;
        SplitView *MainInterface::*splitView;
        int pane; // its place in the split view
    };
    const Toggle toggles[] = {
        {0, &MainInterface::globalSplitView, 0},    // the left column
        {1, &MainInterface::centerPaneSplitView, 1}, // the centre bottom pane
        {3, &MainInterface::centerPaneSplitView, 0}, // the centre top pane
        {4, &MainInterface::centerBottomPane, 0},    // the left bottom pane
        {5, &MainInterface::centerBottomPane, 2},    // the right bottom pane
    };
    for (const Toggle &toggle : toggles) {
        SplitView *splitView = ui().*toggle.splitView;
        QWidget *pane = splitView->widget(toggle.pane);
        const QList<int> sizes = splitView->sizes();
        delegate->toggleSlide(toggle.index);
        EXPECT_TRUE(splitView->isSubviewCollapsed(pane)) << toggle.index;
        delegate->toggleSlide(toggle.index);
        EXPECT_FALSE(splitView->isSubviewCollapsed(pane)) << toggle.index;
        const QList<int> restored = splitView->sizes();
        ASSERT_EQ(restored.size(), sizes.size());
        for (qsizetype i = 0; i < sizes.size(); ++i)
            EXPECT_NEAR(restored[i], sizes[i], 1) << "toggle " << toggle.index << " pane " << i;
    }
}

TEST_F(PanesTest, PaneButtonsAndTheExpanderFollowThePanes)
{
    delegate->toggleSlide(0);
    delegate->toggleSlide(1);
    EXPECT_TRUE(ui().splitViewExpander->isSelectedForSegment(0));
    EXPECT_TRUE(ui().splitViewExpander->isSelectedForSegment(1));
    delegate->toggleSlide(1);
    delegate->toggleSlide(4);
    delegate->toggleSlide(5);
    EXPECT_FALSE(ui().splitViewExpander->isSelectedForSegment(1));
    EXPECT_TRUE(ui().leftPaneExpandButton->isChecked());
    EXPECT_TRUE(ui().rightPaneExpandButton->isChecked());
    delegate->toggleSlide(3);
    EXPECT_TRUE(ui().centerPaneExpandButton->isChecked());

    // A click on a segment of the expander toggles the pane of that segment.
    ui().splitViewExpander->setSelected(false, 0);
    delegate->toggleProjectControllerView(ui().splitViewExpander);
    EXPECT_FALSE(ui().globalSplitView->isSubviewCollapsed(ui().leftPaneSplitView));
    EXPECT_EQ(delegate->lastToggleIndex(), 0);
}

TEST_F(PanesTest, ShowingTheLeftColumnWithoutARememberedWidthTakesAFifthOfTheWindow)
{
    delegate.reset();
    clearDefaults();
    launch(false);
    ui().window->resize(1000, 800);
    TestUtil::spin(10);
    move(ui().globalSplitView, 0); // collapsed before launching finishes
    delegate->applicationDidFinishLaunching();
    ASSERT_LE(delegate->leftPaneRestoreFrame().width(), 10);
    delegate->toggleSlide(0);
    EXPECT_EQ(ui().leftPaneSplitView->width(), 200);
    EXPECT_EQ(delegate->leftPaneRestoreFrame().width(), 200);
}

TEST_F(PanesTest, ToggleTwoOnlyLeavesTheFullSizePreview)
{
    delegate->togglePreviewMode();
    ASSERT_TRUE(delegate->isFullSizePreview());
    const QList<int> global = ui().globalSplitView->sizes();
    const QList<int> center = ui().centerPaneSplitView->sizes();
    delegate->toggleSlide(2);
    EXPECT_FALSE(delegate->isFullSizePreview());
    EXPECT_FALSE(ui().fullWebViewButton->isChecked());
    EXPECT_EQ(ui().globalSplitView->sizes(), global);
    EXPECT_EQ(ui().centerPaneSplitView->sizes(), center);
}

// The mode changes the main window's panes and hides the overlay; the
// element stays selected and the inspector where it was (#79).
TEST_F(PanesTest, FullSizePreviewHidesThePanesAroundThePreviewAndBringsBackOnlyThoseThatWereOpen)
{
    FakePreview preview;
    project.preview = &preview;
    delegate->toggleSlide(0); // the left column is closed before
    const QList<int> center = ui().centerPaneSplitView->sizes();
    const QRect window = ui().window->geometry();
    const QRect inspector = ui().cssInspector->geometry();
    const QList<int> styleList = ui().styleSplitView->sizes();

    delegate->togglePreviewMode();
    EXPECT_TRUE(ui().globalSplitView->isSubviewCollapsed(ui().leftPaneSplitView));
    EXPECT_TRUE(ui().centerPaneSplitView->isSubviewCollapsed(ui().centerBottomPane));
    EXPECT_TRUE(preview.calls.contains(QStringLiteral("hideDetectLayer")));
    EXPECT_FALSE(project.calls.contains(QStringLiteral("clearDetectLayer")));
    QCoreApplication::processEvents();
    EXPECT_EQ(ui().window->geometry(), window);
    EXPECT_EQ(ui().cssInspector->geometry(), inspector);
    EXPECT_EQ(ui().styleSplitView->sizes(), styleList);

    delegate->togglePreviewMode();
    EXPECT_FALSE(delegate->isFullSizePreview());
    EXPECT_TRUE(ui().globalSplitView->isSubviewCollapsed(ui().leftPaneSplitView));
    EXPECT_NEAR(ui().centerPaneSplitView->sizes()[1], center[1], 1);
    EXPECT_TRUE(preview.calls.contains(QStringLiteral("showDetectLayer")));
}

// Select an Element leaves the mode; while the preview waits for the click
// on an element, once that click is made, so that it lands on the page as
// it stood (#79).
TEST_F(PanesTest, SelectingAnElementLeavesTheFullSizePreviewOnceThePickIsMade)
{
    FakePreview preview;
    project.preview = &preview;
    const QList<int> center = ui().centerPaneSplitView->sizes();
    NotificationCenter &notifications = NotificationCenter::defaultCenter();
    notifications.postNotificationName(QStringLiteral("selectNodeMode"), &project);
    EXPECT_FALSE(delegate->isFullSizePreview());
    delegate->togglePreviewMode();
    notifications.postNotificationName(QStringLiteral("selectNodeMode"), &project);
    EXPECT_FALSE(delegate->isFullSizePreview());
    EXPECT_NEAR(ui().centerPaneSplitView->sizes()[1], center[1], 1);

    delegate->togglePreviewMode();
    preview.state = ExWebViewInterface::HoverDetect;
    notifications.postNotificationName(QStringLiteral("selectNodeMode"), &project);
    EXPECT_TRUE(delegate->isFullSizePreview());
    preview.state = ExWebViewInterface::ElementLocked;
    notifications.postNotificationName(QStringLiteral("elementPicked"), &project);
    EXPECT_FALSE(delegate->isFullSizePreview());
    EXPECT_NEAR(ui().centerPaneSplitView->sizes()[1], center[1], 1);
    // A pick without the mode waiting for it changes nothing.
    delegate->togglePreviewMode();
    notifications.postNotificationName(QStringLiteral("elementPicked"), &project);
    EXPECT_TRUE(delegate->isFullSizePreview());
}

TEST_F(PanesTest, ADoubleClickOnADividerCollapsesThePaneBesideIt)
{
    for (SplitView *splitView : ui().splitViews()) {
        if (splitView == ui().centerBottomPane || splitView == ui().styleSplitView
            || splitView == ui().domTreePaneSplitView)
            continue;
        SplitViewDelegation::of(splitView)->collapseForDoubleClick(0);
        EXPECT_TRUE(splitView->isSubviewCollapsed(splitView->widget(0))) << splitView->objectName().toStdString();
    }
    // Beside the code view it is the other pane that collapses, through the
    // divider's own double click.
    SplitView *area = ui().centerBottomPane;
    QSplitterHandle *handle = area->handle(2);
    QMouseEvent doubleClick(QEvent::MouseButtonDblClick, QPointF(0, 5), handle->mapToGlobal(QPointF(0, 5)),
                            Qt::LeftButton, Qt::LeftButton, {});
    QApplication::sendEvent(handle, &doubleClick);
    EXPECT_TRUE(area->isSubviewCollapsed(ui().rightBottomPane));
    EXPECT_FALSE(area->isSubviewCollapsed(ui().mainView));
}

TEST_F(PanesTest, DraggingADividerFollowsThePointerWithinTheLimitsAndCollapsesNoInspector)
{
    // Drags divider 0 of the split view from where it is to each place in turn.
    auto drag = [](SplitView *split, const QList<int> &places) {
        QSplitterHandle *handle = split->handle(1);
        auto send = [&](QEvent::Type type, int y, Qt::MouseButtons buttons) {
            const QPointF global = split->mapToGlobal(QPointF(10, y));
            QMouseEvent event(type, handle->mapFromGlobal(global), global, Qt::LeftButton, buttons, {});
            QApplication::sendEvent(handle, &event);
        };
        send(QEvent::MouseButtonPress, split->positionOfDividerAtIndex(0), Qt::LeftButton);
        for (const int y : places)
            send(QEvent::MouseMove, y, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, places.constLast(), Qt::NoButton);
    };
    SplitView *center = ui().centerPaneSplitView;
    move(center, 300);
    drag(center, {250});
    EXPECT_EQ(position(center), 250);
    const double lowest = delegate->constrainMaxCoordinate(center, 0, 0);
    drag(center, {center->height() - 150});
    EXPECT_EQ(position(center), int(lowest));
    // Taken to its pane's edge, the preview's divider collapses the preview.
    drag(center, {2});
    EXPECT_TRUE(center->isSubviewCollapsed(ui().centerTopPane));
    move(center, 250);
    move(ui().rightPaneSplitView, 200);
    ASSERT_GT(ui().rightPaneDomSplitView->height(), 250);

    // The inspectors' dividers stop at their smallest places, and come back.
    for (SplitView *split : {ui().rightPaneSplitView, ui().rightPaneDomSplitView}) {
        const int start = position(split);
        drag(split, {start / 2, 0});
        EXPECT_FALSE(split->isSubviewCollapsed(split->widget(0))) << split->objectName().toStdString();
        EXPECT_EQ(position(split), delegate->constrainMinCoordinate(split, 0, 0)) << split->objectName().toStdString();
        drag(split, {start + 10, split->height()});
        EXPECT_FALSE(split->isSubviewCollapsed(split->widget(1))) << split->objectName().toStdString();
        EXPECT_EQ(position(split), delegate->constrainMaxCoordinate(split, 0, 0)) << split->objectName().toStdString();
        move(split, start);
    }
}

TEST_F(PanesTest, TheKeyframeButtonShowsTheKeyframePaneBelowTheDomTree)
{
    ui().keyframePaneExpandButton->click();
    EXPECT_FALSE(ui().domTreePaneSplitView->isSubviewCollapsed(ui().keyframePane));
    EXPECT_TRUE(ui().nodeSegmentControl->isSelectedForSegment(1));
    EXPECT_FALSE(ui().nodeSegmentControl->isSelectedForSegment(0));
    EXPECT_EQ(ui().bottomTabView->currentIndex(), 1);
    EXPECT_TRUE(ui().keyframePaneExpandButton->isChecked());
    EXPECT_EQ(ui().keyframePaneExpandButton->toolTip(), QStringLiteral("Hide Keyframe Pane"));
    // The Animation tab says where the animations are instead of standing empty.
    auto *note = ui().bottomTabView->currentWidget()->findChild<QLabel *>(QStringLiteral("animationNote"));
    ASSERT_TRUE(note);
    EXPECT_TRUE(note->isVisibleTo(ui().bottomTabView));
    EXPECT_TRUE(note->text().contains(QStringLiteral("keyframe pane")));

    ui().keyframePaneExpandButton->click();
    EXPECT_TRUE(ui().domTreePaneSplitView->isSubviewCollapsed(ui().keyframePane));
    EXPECT_EQ(ui().keyframePaneExpandButton->toolTip(), QStringLiteral("Show Keyframe Pane"));

    // Shown, but with another bottom tab chosen, the button reads "show".
    ui().keyframePaneExpandButton->click();
    ui().nodeSegmentControl->setSelected(true, 0);
    delegate->changeBottomContent(ui().nodeSegmentControl);
    EXPECT_FALSE(ui().keyframePaneExpandButton->isChecked());
}

TEST_F(PanesTest, TheBottomSegmentsPickTheirTabsAndAnnounceIt)
{
    int announced = 0;
    NotificationCenter::defaultCenter().addObserver(this, QStringLiteral("bottomContentChanged"), nullptr,
                                                    [&](const Notification &n) {
                                                        ++announced;
                                                        EXPECT_EQ(n.object, static_cast<const void *>(&project));
                                                    });
    const int expected[][2] = {{0, 0}, {1, 0}, {2, 1}};
    for (int segment = 2; segment >= 0; --segment) {
        ui().nodeSegmentControl->setSelected(true, segment);
        delegate->changeBottomContent(ui().nodeSegmentControl);
        EXPECT_EQ(ui().bottomTabView->currentIndex(), expected[segment][0]);
        EXPECT_EQ(ui().bottomControllerTabview->currentIndex(), expected[segment][1]);
        for (int other = 0; other < 3; ++other)
            EXPECT_EQ(ui().nodeSegmentControl->isSelectedForSegment(other), other == segment);
    }
    EXPECT_EQ(announced, 3);
    NotificationCenter::defaultCenter().removeObserver(this);

    ui().projectMainSettingSegmentControl->setSelected(true, 1);
    delegate->changeProjectSettingContent(ui().projectMainSettingSegmentControl);
    EXPECT_EQ(ui().projectsettingTabview->currentIndex(), 1);
}

TEST_F(PanesTest, VerticalRangeMovesThePreviewDividerOrTheInspectorsWhenItIsKey)
{
    int resized = 0;
    NotificationCenter::defaultCenter().addObserver(this, QStringLiteral("mainResized"), nullptr,
                                                    [&](const Notification &n) {
                                                        // The code view's pane announces its own resizes.
                                                        resized += n.object == delegate.get();
                                                    });
    QApplication::setActiveWindow(ui().window);
    // Room for the preview to lose 200 above its smallest height.
    move(ui().centerPaneSplitView, 400);
    const int top = ui().centerTopPane->height();
    delegate->verticalRangeUp();
    EXPECT_EQ(ui().centerTopPane->height(), top - 100);
    EXPECT_EQ(resized, 1);

    ui().cssInspector->resize(280, 600);
    move(ui().styleSplitView, 200);
    QApplication::setActiveWindow(ui().cssInspector);
    const int list = ui().styleListPane->height();
    delegate->verticalRangeDown();
    EXPECT_EQ(ui().styleListPane->height(), list + 100);
    EXPECT_EQ(ui().centerTopPane->height(), top - 100);
    EXPECT_EQ(resized, 1);
    // With the inspector's list closed, Up would move nothing there: the
    // preview's divider moves instead.
    move(ui().styleSplitView, 0);
    const int closed = ui().styleListPane->height();
    ASSERT_LE(closed, 1);
    delegate->verticalRangeUp();
    EXPECT_EQ(ui().styleListPane->height(), closed);
    EXPECT_EQ(ui().centerTopPane->height(), top - 200);
    EXPECT_EQ(resized, 2);
    NotificationCenter::defaultCenter().removeObserver(this);
}

} // namespace
