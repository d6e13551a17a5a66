#include "toolkit/RBLPopover.h"
#include "toolkit/RBLPopoverBackgroundView.h"
#include "toolkit/RBLPopoverWindow.h"

#include "platform/kit/EventMonitor.h"
#include "platform/kit/ViewController.h"

#include "TestUtil.h"

#include <QLineEdit>
#include <QMouseEvent>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// Counts the mouse presses it receives.
class Target : public QWidget
{
public:
    int presses = 0;

protected:
    void mousePressEvent(QMouseEvent *) override { ++presses; }
};

class RBLPopoverTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window.setGeometry(100, 100, 400, 300);
        anchor = new Target;
        anchor->setParent(&window);
        anchor->setGeometry(150, 50, 100, 20);
        window.show();
        content.view()->resize(120, 80);
        popover = std::make_unique<RBLPopover>(&content);
        popover->setAnimates(false);
        popover->setWillShowBlock([this](RBLPopover *) { told << "willShow"; });
        popover->setDidShowBlock([this](RBLPopover *) { told << "didShow"; });
        popover->setWillCloseBlock([this](RBLPopover *) { told << "willClose"; });
        popover->setDidCloseBlock([this](RBLPopover *) { told << "didClose"; });
    }

    void TearDown() override { popover.reset(); }

    void clickOutside()
    {
        QTest::mouseClick(&window, Qt::LeftButton, {}, QPoint(10, 280));
    }
    void clickInside()
    {
        QTest::mouseClick(content.view(), Qt::LeftButton, {}, QPoint(10, 10));
    }
    void pressEscape() { QTest::keyClick(&window, Qt::Key_Escape); }

    Target window;
    Target *anchor = nullptr;
    ViewController content;
    std::unique_ptr<RBLPopover> popover;
    QStringList told;
};

TEST_F(RBLPopoverTest, ShowsTheContentAtItsOwnSizeBelowTheWholeView)
{
    popover->showRelativeToRect(QRectF(), anchor, RectEdge::Below);
    ASSERT_TRUE(popover->isShown());
    const QRect frame = popover->popoverWindow()->geometry();
    EXPECT_EQ(frame.size(), QSize(122, 82));
    const QRect anchorOnScreen(anchor->mapToGlobal(QPoint(0, 0)), anchor->size());
    EXPECT_EQ(frame.top(), anchorOnScreen.top() + anchorOnScreen.height());
    EXPECT_EQ(frame.left(), anchorOnScreen.left() + 50 - 61);
    EXPECT_EQ(content.view()->geometry(), QRect(1, 1, 120, 80));
    EXPECT_EQ(told, (QStringList{"willShow", "didShow"}));
}

TEST_F(RBLPopoverTest, ShowingAgainOnTheSameSideOnlyMovesTheWindow)
{
    popover->showRelativeToRect(QRectF(0, 0, 10, 10), anchor, RectEdge::Below);
    RBLPopoverWindow *first = popover->popoverWindow();
    told.clear();
    popover->showRelativeToRect(QRectF(50, 0, 10, 10), anchor, RectEdge::Below);
    EXPECT_EQ(popover->popoverWindow(), first);
    EXPECT_TRUE(told.isEmpty());
    EXPECT_EQ(first->geometry().left(), anchor->mapToGlobal(QPoint(55, 0)).x() - 61);
}

TEST_F(RBLPopoverTest, ShowingOnAnotherSideReplacesTheWindowWithoutTheCloseBlocks)
{
    popover->showRelativeToRect(QRectF(), anchor, RectEdge::Below);
    QPointer<RBLPopoverWindow> first = popover->popoverWindow();
    told.clear();
    popover->showRelativeToRect(QRectF(), anchor, RectEdge::Right);
    EXPECT_NE(popover->popoverWindow(), first.data());
    EXPECT_EQ(popover->backgroundView()->popoverEdge(), RectEdge::Right);
    EXPECT_EQ(told, (QStringList{"willShow", "didShow"}));
    EXPECT_TRUE(popover->isShown());
    EXPECT_EQ(content.view()->window(), popover->popoverWindow());
}

TEST_F(RBLPopoverTest, ClosingANotShownPopoverRunsNoBlock)
{
    popover->close();
    EXPECT_TRUE(told.isEmpty());
    popover->showRelativeToRect(QRectF(), anchor, RectEdge::Below);
    popover->close();
    popover->close();
    EXPECT_EQ(told, (QStringList{"willShow", "didShow", "willClose", "didClose"}));
    EXPECT_FALSE(popover->isShown());
    // The window is kept after closing.
    EXPECT_NE(popover->popoverWindow(), nullptr);
}

TEST_F(RBLPopoverTest, GivesTheContentItsSizeFromTheLastShowBack)
{
    popover->setContentSize(QSizeF(200, 150));
    popover->showRelativeToRect(QRectF(), anchor, RectEdge::Below);
    EXPECT_EQ(content.view()->size(), QSize(200, 150));
    EXPECT_EQ(popover->originalViewSize(), QSizeF(120, 80));
    // A second show while shown records the size the view has inside.
    popover->showRelativeToRect(QRectF(), anchor, RectEdge::Below);
    EXPECT_EQ(popover->originalViewSize(), QSizeF(200, 150));
    popover->close();
    EXPECT_EQ(content.view()->size(), QSize(200, 150));
}

TEST_F(RBLPopoverTest, ApplicationDefinedBehaviourIgnoresClicksAndEscape)
{
    popover->showRelativeToRect(QRectF(), anchor, RectEdge::Below);
    EXPECT_EQ(popover->transientEventMonitor(), 0);
    clickOutside();
    pressEscape();
    EXPECT_TRUE(popover->isShown());
}

TEST_F(RBLPopoverTest, TransientBehaviourClosesOnAClickOutsideAndPassesTheClickOn)
{
    popover->setBehavior(RBLPopover::Transient);
    popover->showRelativeToRect(QRectF(), anchor, RectEdge::Below);
    EXPECT_NE(popover->transientEventMonitor(), 0);
    clickInside();
    EXPECT_TRUE(popover->isShown());
    clickOutside();
    EXPECT_FALSE(popover->isShown());
    EXPECT_EQ(window.presses, 1);
    EXPECT_EQ(popover->transientEventMonitor(), 0);
    EXPECT_EQ(EventMonitor::monitorCount(), 0);
}

TEST_F(RBLPopoverTest, TransientBehaviourClosesOnEscape)
{
    popover->setBehavior(RBLPopover::Transient);
    popover->showRelativeToRect(QRectF(), anchor, RectEdge::Below);
    pressEscape();
    EXPECT_FALSE(popover->isShown());
}

TEST_F(RBLPopoverTest, SemitransientBehaviourClosesOnlyOnEscape)
{
    popover->setBehavior(RBLPopover::Semitransient);
    popover->showRelativeToRect(QRectF(), anchor, RectEdge::Below);
    clickOutside();
    EXPECT_TRUE(popover->isShown());
    pressEscape();
    EXPECT_FALSE(popover->isShown());
}

TEST_F(RBLPopoverTest, APopoverThatMayNotBecomeKeyLeavesTheFocusWhereItWas)
{
    auto *field = new QLineEdit(&window);
    field->setGeometry(10, 10, 100, 20);
    field->show();
    window.activateWindow();
    field->setFocus();
    ASSERT_TRUE(TestUtil::waitUntil([&] { return field->hasFocus(); }, 1000));
    popover->showRelativeToRect(QRectF(), field, RectEdge::Below);
    EXPECT_TRUE(popover->popoverWindow()->testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_TRUE(popover->popoverWindow()->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
    TestUtil::spin(20);
    EXPECT_EQ(QApplication::focusWidget(), field);
    QTest::keyClicks(field, QStringLiteral("abc"));
    EXPECT_EQ(field->text(), QStringLiteral("abc"));
}

TEST_F(RBLPopoverTest, FadesInAndStaysShownUntilTheFadeOutEnds)
{
    popover->setAnimates(true);
    popover->setFadeDuration(0.05);
    popover->showRelativeToRect(QRectF(), anchor, RectEdge::Below);
    EXPECT_EQ(told, QStringList{"willShow"});
    ASSERT_TRUE(TestUtil::waitUntil([&] { return told.contains("didShow"); }, 2000));
    EXPECT_DOUBLE_EQ(popover->popoverWindow()->windowOpacity(), 1.0);
    popover->close();
    EXPECT_TRUE(popover->isShown());
    popover->close();
    ASSERT_TRUE(TestUtil::waitUntil([&] { return !popover->isShown(); }, 2000));
    EXPECT_EQ(told.count("willClose"), 1);
    EXPECT_EQ(told.count("didClose"), 1);
}

TEST_F(RBLPopoverTest, ShowingDuringTheFadeOutLeavesThePopoverShown)
{
    popover->setAnimates(true);
    popover->setFadeDuration(0.05);
    popover->showRelativeToRect(QRectF(), anchor, RectEdge::Below);
    ASSERT_TRUE(TestUtil::waitUntil([&] { return told.contains("didShow"); }, 2000));
    popover->close();
    popover->showRelativeToRect(QRectF(), anchor, RectEdge::Below);
    TestUtil::spin(150);
    EXPECT_TRUE(popover->isShown());
    EXPECT_EQ(told.count("didClose"), 1);
}

} // namespace

namespace {

TEST_F(RBLPopoverTest, MovesAlongWithItsWindow)
{
    popover->showRelativeToRect(QRectF(), anchor, RectEdge::Below);
    const QPoint before = popover->popoverWindow()->pos();
    window.move(window.pos() + QPoint(30, 20));
    QCoreApplication::processEvents();
    EXPECT_EQ(popover->popoverWindow()->pos(), before + QPoint(30, 20));
}

} // namespace
