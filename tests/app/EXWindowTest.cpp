#include "ShellTestSupport.h"

#include "app/EXWindow.h"

#include "platform/foundation/NotificationCenter.h"

#include "TestUtil.h"

#include <QApplication>
#include <QMouseEvent>
#include <QVBoxLayout>

namespace {

// A main window holding a preview and a widget beside it that records the
// mouse events it gets.
class Recorder : public QWidget
{
public:
    using QWidget::QWidget;
    int presses = 0;

protected:
    void mousePressEvent(QMouseEvent *) override { ++presses; }
};

class EXWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        auto *content = new QWidget;
        auto *layout = new QHBoxLayout(content);
        layout->setContentsMargins(0, 0, 0, 0);
        preview.widget.setParent(content);
        layout->addWidget(&preview.widget);
        // Clicks that reach the page land here.
        page = new Recorder(&preview.widget);
        page->setGeometry(0, 0, 300, 300);
        beside = new Recorder(content);
        layout->addWidget(beside);
        window.setCentralWidget(content);
        window.resize(600, 300);
        window.show();
        QApplication::setActiveWindow(&window);
        TestUtil::spin(1);
        project.preview = &preview;
        window.setProjectDelegate(&project);
        preview.element = QRectF(10, 10, 100, 100);
        NotificationCenter::defaultCenter().addObserver(this, QStringLiteral("windowMouseDown"), nullptr,
                                                        [this](const Notification &) { ++announced; });
    }

    void TearDown() override
    {
        NotificationCenter::defaultCenter().removeObserver(this);
        preview.widget.setParent(nullptr);
    }

    // Sends a press (or release) to the widget under the point, as the
    // desktop does: the window's filter sees it first.
    void mouse(QWidget *target, QPoint point, Qt::MouseButton button = Qt::LeftButton,
               QEvent::Type type = QEvent::MouseButtonPress)
    {
        QMouseEvent event(type, QPointF(point), QPointF(target->mapToGlobal(point)), button,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : button, {});
        event.setTimestamp(++time);
        QApplication::sendEvent(target, &event);
    }

    FakePreview preview;
    FakeProjectController project;
    EXWindow window;
    Recorder *page = nullptr;
    Recorder *beside = nullptr;
    int announced = 0;
    quint64 time = 100;
};

TEST(EXWindow, APointOnTheBorderOfARectangleIsOutside)
{
    const QRectF rect(0, 0, 100, 50);
    EXPECT_TRUE(EXWindow::includeInRect(rect, QPointF(50, 25)));
    EXPECT_FALSE(EXWindow::includeInRect(rect, QPointF(0, 25)));
    EXPECT_FALSE(EXWindow::includeInRect(rect, QPointF(100, 25)));
    EXPECT_FALSE(EXWindow::includeInRect(rect, QPointF(50, 0)));
    EXPECT_FALSE(EXWindow::includeInRect(rect, QPointF(50, 50)));
    EXPECT_TRUE(EXWindow::includeInRect(rect, QPointF(99.5, 49.5)));
}

TEST_F(EXWindowTest, EveryMouseDownIsAnnouncedOnceInsideOrOutsideThePreview)
{
    mouse(beside, QPoint(5, 5));
    mouse(page, QPoint(200, 200), Qt::RightButton);
    mouse(page, QPoint(200, 200), Qt::LeftButton, QEvent::MouseButtonRelease);
    mouse(page, QPoint(200, 200), Qt::MiddleButton);
    EXPECT_EQ(announced, 2);
    EXPECT_EQ(beside->presses, 1);
}

TEST_F(EXWindowTest, WithHoverDetectTheFirstClickLocksTheElementAndDoesNotReachThePage)
{
    preview.state = ExWebViewInterface::HoverDetect;
    mouse(page, QPoint(50, 50));
    EXPECT_EQ(preview.state, ExWebViewInterface::ElementLocked);
    EXPECT_EQ(project.calls, QStringList{QStringLiteral("detectLockDownHandler")});
    EXPECT_EQ(page->presses, 0);
    mouse(page, QPoint(50, 50), Qt::LeftButton, QEvent::MouseButtonRelease);
    EXPECT_EQ(project.calls.last(), QStringLiteral("detectLockCommitHandler"));
}

TEST_F(EXWindowTest, AClickInThePreviewOfAnInactiveWindowIsStillDispatched)
{
    QWidget other;
    other.show();
    QApplication::setActiveWindow(&other);
    ASSERT_FALSE(window.isActiveWindow());
    preview.state = ExWebViewInterface::HoverDetect;
    mouse(page, QPoint(50, 50));
    EXPECT_EQ(preview.state, ExWebViewInterface::ElementLocked);
    EXPECT_EQ(page->presses, 1);
}

TEST_F(EXWindowTest, ARightClickOnALockedElementOpensItsMenu)
{
    preview.state = ExWebViewInterface::ElementLocked;
    preview.overlayShown = true;
    mouse(page, QPoint(50, 50), Qt::RightButton);
    EXPECT_EQ(preview.calls, QStringList{QStringLiteral("displayElementMenu")});
    EXPECT_EQ(page->presses, 0);
    // A left click hides the overlay.
    mouse(page, QPoint(50, 50));
    EXPECT_EQ(preview.calls.last(), QStringLiteral("hideDetectLayer"));
    EXPECT_EQ(page->presses, 0);
    // Without an overlay the click reaches the page.
    mouse(page, QPoint(50, 50));
    EXPECT_EQ(page->presses, 1);
}

TEST_F(EXWindowTest, AClickOnThePreviewsEdgeCountsAsOutside)
{
    preview.state = ExWebViewInterface::HoverDetect;
    preview.element = QRectF(-10, -10, 400, 400);
    mouse(page, QPoint(0, 50));
    EXPECT_EQ(preview.state, ExWebViewInterface::HoverDetect);
    EXPECT_EQ(page->presses, 1);
}

// A message bar over the page takes its clicks whatever the preview's
// state: its Close closes it at the first click (#79).
TEST_F(EXWindowTest, AClickOnAMessageOverThePageIsTheMessages)
{
    preview.covered = QRectF(0, 0, 300, 30);
    for (const int state : {ExWebViewInterface::ElementLocked, ExWebViewInterface::HoverDetect}) {
        preview.state = state;
        preview.overlayShown = true;
        mouse(page, QPoint(50, 15));
        EXPECT_EQ(preview.state, state);
    }
    EXPECT_EQ(preview.calls, QStringList());
    EXPECT_EQ(page->presses, 2);
}

TEST_F(EXWindowTest, WithDetectOffAClickOnAnElementHidesTheOverlayAndGoesOn)
{
    preview.overlayShown = true;
    mouse(page, QPoint(50, 50));
    EXPECT_EQ(preview.calls, QStringList{QStringLiteral("hideDetectLayer")});
    EXPECT_EQ(page->presses, 1);
    mouse(page, QPoint(200, 200));
    EXPECT_EQ(preview.calls.size(), 1);
}

} // namespace
