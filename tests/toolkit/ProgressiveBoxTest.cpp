#include "TestUtil.h"

#include "toolkit/ProgressAnimation.h"
#include "toolkit/ProgressBar.h"
#include "toolkit/ProgressiveBox.h"
#include "toolkit/ProgressiveTextField.h"

#include <QLineEdit>

#include <gtest/gtest.h>

namespace {

// A box laid over a field 200 points wide, as the address field has it.
struct LaidOverField
{
    LaidOverField()
    {
        field.resize(200, 26);
        box = new ProgressiveBox(&field);
        box->setTextField(&field);
    }
    QLineEdit field;
    ProgressiveBox *box; // Owned by the field.

    // The frame the bar is moving to.
    QRect target() const { return box->animation()->endFrame(); }
};

} // namespace

TEST(ProgressiveBox, GrowsWithTheTruncatedPercentageAndNeverMovesBack)
{
    LaidOverField laid;
    ProgressiveBox &box = *laid.box;
    EXPECT_EQ(box.geometry(), laid.field.rect());

    box.setProgressValue(2, 0, 3);
    // Truncated, not rounded.
    EXPECT_EQ(box.reached(), 66);
    EXPECT_EQ(box.targetWidth(), 132);
    EXPECT_EQ(laid.target(), QRect(1, 26 - 3 - 20, 130, 20));
    EXPECT_TRUE(box.bar()->isLoading());
    EXPECT_EQ(box.bar()->value(), 66);

    // The total grew: a lower percentage leaves the bar where it is.
    box.setProgressValue(2, 0, 5);
    EXPECT_EQ(box.reached(), 66);
    EXPECT_EQ(box.targetWidth(), 132);
}

TEST(ProgressiveBox, FailedResourcesCountAsDoneAndTheFullBarFinishesThenSlidesOut)
{
    LaidOverField laid;
    ProgressiveBox &box = *laid.box;
    box.setProgressValue(3, 1, 4);
    EXPECT_EQ(box.reached(), 100);
    EXPECT_TRUE(box.isFinished());
    EXPECT_FALSE(box.bar()->isLoading());
    ASSERT_TRUE(box.isFill2Pending());

    // Further calls update the value only.
    box.setProgressValue(5, 1, 6);
    EXPECT_EQ(box.bar()->value(), 100);
    EXPECT_TRUE(box.isFinished());

    // 0.6 s later the bar slides out at the field's right end, fading.
    ASSERT_TRUE(TestUtil::waitUntil([&] { return laid.target().x() == 201; }, 2000));
    EXPECT_TRUE(box.animation()->fadesOut());
    EXPECT_EQ(laid.target().width(), 0);
    ASSERT_TRUE(TestUtil::waitUntil([&] { return box.bar()->isHidden(); }, 2000));
}

TEST(ProgressiveBox, NoCountsResetTheBarAndNoTotalResetsOnlyTheReachedPercentage)
{
    LaidOverField laid;
    ProgressiveBox &box = *laid.box;
    box.setProgressValue(3, 1, 4);
    ASSERT_TRUE(box.isFinished());
    box.setProgressValue(0, 0, 0);
    EXPECT_FALSE(box.isFinished());
    EXPECT_EQ(box.reached(), 0);
    EXPECT_EQ(box.bar()->geometry().width(), 0);

    box.setProgressValue(1, 0, 2);
    ASSERT_EQ(box.reached(), 50);
    const QRect moving = laid.target();
    box.setProgressValue(1, 0, 0);
    EXPECT_EQ(box.reached(), 0);
    EXPECT_EQ(laid.target(), moving);
}

TEST(ProgressiveBox, AFieldNarrowerThanTheBoxFinishesOnlyWhenTold)
{
    QWidget window;
    window.resize(300, 26);
    ProgressiveBox box(&window);
    box.setGeometry(0, 0, 300, 26);
    QLineEdit field(&window);
    field.resize(200, 26);
    box.setTextField(&field);
    box.setProgressValue(4, 0, 4);
    EXPECT_EQ(box.reached(), 100);
    EXPECT_FALSE(box.isFinished());
    box.updateFill2();
    EXPECT_EQ(box.animation()->endFrame().x(), 201);
    EXPECT_TRUE(box.animation()->fadesOut());
}

TEST(ProgressBar, CornersFollowTheLoad)
{
    ProgressBar bar;
    const QSizeF size(100, 20);
    const auto corner = [&](const QPointF &point) { return bar.clipPath(size).contains(point); };
    bar.setIsLoading(true);
    bar.setValue(40);
    // Left corners rounded, right ones square.
    EXPECT_FALSE(corner(QPointF(0.3, 0.3)));
    EXPECT_TRUE(corner(QPointF(99.7, 0.3)));
    bar.setValue(100);
    EXPECT_FALSE(corner(QPointF(99.7, 0.3)));
    bar.setIsLoading(false);
    EXPECT_TRUE(corner(QPointF(0.3, 0.3)));
    EXPECT_FALSE(corner(QPointF(99.7, 19.7)));
}

TEST(ProgressiveTextField, FillsTowardsTheTargetAndDecaysOnceFull)
{
    ProgressiveTextField field;
    field.setProgressValue(1, 0, 2);
    EXPECT_DOUBLE_EQ(field.target(), 50.0);
    field.updateFill();
    EXPECT_DOUBLE_EQ(field.currentFill(), 25.0);
    // A lower percentage changes nothing.
    field.setProgressValue(1, 0, 4);
    EXPECT_DOUBLE_EQ(field.target(), 50.0);
    field.setProgressValue(2, 0, 2);
    ASSERT_TRUE(TestUtil::waitUntil([&] { return !field.isTimerRunning(); }, 3000));
    EXPECT_DOUBLE_EQ(field.currentFill(), 0.0);
}
