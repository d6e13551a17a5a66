#include "app/BlockSheet.h"

#include "platform/foundation/NotificationCenter.h"

#include "TestUtil.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>

#include <gtest/gtest.h>

namespace {

class Panel : public QWidget
{
public:
    int presses = 0;
    int releases = 0;
    QPoint pressedAt;

protected:
    void mousePressEvent(QMouseEvent *event) override
    {
        ++presses;
        pressedAt = event->position().toPoint();
    }
    void mouseReleaseEvent(QMouseEvent *) override { ++releases; }
};

class BlockSheetTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        panel.resize(300, 200);
        panel.show();
        NotificationCenter::defaultCenter().addObserver(this, QStringLiteral("NeedSaveAndRefresh"), nullptr,
                                                        [this](const Notification &n) {
                                                            ++requests;
                                                            EXPECT_EQ(n.object, static_cast<const void *>(sheet));
                                                        });
    }
    void TearDown() override { NotificationCenter::defaultCenter().removeObserver(this); }

    void click(QWidget *target)
    {
        const QPointF point(150, 100);
        QMouseEvent event(QEvent::MouseButtonPress, point, target->mapToGlobal(point), Qt::LeftButton,
                          Qt::LeftButton, {});
        QApplication::sendEvent(target, &event);
    }
    void release(QWidget *target)
    {
        const QPointF point(150, 100);
        QMouseEvent event(QEvent::MouseButtonRelease, point, target->mapToGlobal(point), Qt::LeftButton, Qt::NoButton, {});
        QApplication::sendEvent(target, &event);
    }

    Panel panel;
    BlockSheet *sheet = new BlockSheet(&panel);
    int requests = 0;
};

TEST_F(BlockSheetTest, StartsHiddenAndCoversItsPanelWithTheSymbolCentred)
{
    EXPECT_TRUE(sheet->isHidden());
    EXPECT_FALSE(sheet->isActive());
    EXPECT_EQ(sheet->geometry(), panel.rect());
    panel.resize(500, 420);
    EXPECT_EQ(sheet->geometry(), QRect(0, 0, 500, 420));
    EXPECT_EQ(sheet->imageView()->geometry(), QRect(200, 160, 100, 100));
}

// A click on the overlay is meant for the panel below as much as for the
// page: it asks once to bring the page in step, the overlay goes, and the
// panel's widget under the pointer takes the press and its release.
TEST_F(BlockSheetTest, AClickOnTheActiveOverlayAsksOnceToSaveAndGoesOnToThePanel)
{
    Panel *row = new Panel;
    row->setParent(&panel);
    row->setGeometry(100, 80, 120, 40);
    row->show();
    sheet->raise();
    sheet->active();
    EXPECT_TRUE(sheet->isVisible());
    click(sheet);
    EXPECT_EQ(requests, 1);
    EXPECT_FALSE(sheet->isActive());
    EXPECT_EQ(row->presses, 1);
    EXPECT_EQ(row->pressedAt, QPoint(50, 20));
    release(sheet);
    EXPECT_EQ(row->releases, 1);
    EXPECT_EQ(panel.presses, 0);

    // The next click finds the panel itself.
    EXPECT_EQ(panel.childAt(150, 100), row);
}

TEST_F(BlockSheetTest, AClickOnAnInactiveOverlayGoesToThePanel)
{
    sheet->show();
    click(sheet);
    EXPECT_EQ(requests, 0);
    EXPECT_EQ(panel.presses, 1);
}

TEST_F(BlockSheetTest, FadesInSlowlyOnceAndOutQuickly)
{
    sheet->active();
    QPropertyAnimation *fadeIn = sheet->anim();
    ASSERT_NE(fadeIn, nullptr);
    EXPECT_EQ(fadeIn->duration(), 1800);
    sheet->active();
    EXPECT_EQ(sheet->anim(), fadeIn);

    sheet->deactive();
    EXPECT_FALSE(sheet->isActive());
    ASSERT_NE(sheet->anim(), nullptr);
    EXPECT_EQ(sheet->anim()->duration(), 250);
    EXPECT_TRUE(TestUtil::waitUntil([&] { return sheet->isHidden(); }, 1000));
}

TEST_F(BlockSheetTest, DeactivatingAnInactiveOverlayOnlyHidesIt)
{
    sheet->show();
    sheet->deactive();
    EXPECT_TRUE(sheet->isHidden());
    EXPECT_EQ(sheet->anim(), nullptr);
}

} // namespace
