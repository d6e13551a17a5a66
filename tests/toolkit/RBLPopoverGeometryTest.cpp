#include "toolkit/RBLPopover.h"
#include "toolkit/RBLPopoverBackgroundView.h"

#include <gtest/gtest.h>

namespace {

const QRectF s_screen(0, 0, 800, 600);
const QSizeF s_size(200, 100);

RBLPopover::Placement place(const QRectF &rect, RectEdge preferred, QSizeF size = s_size,
                            QRectF visible = s_screen)
{
    return RBLPopover::placement(rect, visible, preferred, [size](RectEdge) { return size; });
}

TEST(RBLPopoverGeometry, PlacesTheFrameCentredBesideEachSide)
{
    const QRectF rect(300, 200, 100, 21);
    EXPECT_EQ(RBLPopover::popoverFrameForEdge(RectEdge::Left, rect, s_size), QRectF(100, 160.5, 200, 100));
    EXPECT_EQ(RBLPopover::popoverFrameForEdge(RectEdge::Below, rect, s_size), QRectF(250, 221, 200, 100));
    EXPECT_EQ(RBLPopover::popoverFrameForEdge(RectEdge::Right, rect, s_size), QRectF(400, 160.5, 200, 100));
    EXPECT_EQ(RBLPopover::popoverFrameForEdge(RectEdge::Above, rect, s_size), QRectF(250, 100, 200, 100));
    EXPECT_EQ(RBLPopover::popoverFrameForEdge(RectEdge(7), rect, s_size), QRectF());
    // Odd sizes: the half is taken down before it is subtracted.
    EXPECT_EQ(RBLPopover::popoverFrameForEdge(RectEdge::Below, QRectF(0, 0, 11, 10), QSizeF(5, 5)).x(), 3.5);
}

TEST(RBLPopoverGeometry, TriesTheSidesInTheKitsOrder)
{
    auto order = [](RectEdge preferred) {
        QList<int> tried{int(preferred)};
        RectEdge edge = preferred;
        for (int i = 0; i < 4; ++i) {
            edge = RBLPopover::nextEdgeToTry(edge, preferred);
            tried << int(edge);
        }
        return tried;
    };
    EXPECT_EQ(order(RectEdge::Left), (QList<int>{0, 2, 3, 1, 3}));
    EXPECT_EQ(order(RectEdge::Below), (QList<int>{1, 3, 2, 0, 2}));
    EXPECT_EQ(order(RectEdge::Right), (QList<int>{2, 0, 3, 1, 3}));
    EXPECT_EQ(order(RectEdge::Above), (QList<int>{3, 1, 2, 0, 2}));
}

TEST(RBLPopoverGeometry, TakesThePreferredSideWheneverItFits)
{
    const QRectF middle(300, 250, 100, 20);
    for (RectEdge edge : {RectEdge::Left, RectEdge::Below, RectEdge::Right, RectEdge::Above})
        EXPECT_EQ(place(middle, edge).edge, edge);
}

TEST(RBLPopoverGeometry, TurnsAwayFromEachScreenEdge)
{
    // Against the bottom: above instead of below.
    EXPECT_EQ(place(QRectF(300, 550, 100, 20), RectEdge::Below).edge, RectEdge::Above);
    // Against the top: below instead of above.
    EXPECT_EQ(place(QRectF(300, 0, 100, 20), RectEdge::Above).edge, RectEdge::Below);
    // Against the left: right instead of left.
    EXPECT_EQ(place(QRectF(0, 300, 20, 20), RectEdge::Left).edge, RectEdge::Right);
    // Against the right: left instead of right.
    EXPECT_EQ(place(QRectF(780, 300, 20, 20), RectEdge::Right).edge, RectEdge::Left);
    // A tall rectangle with no room above or below: to its right.
    const RBLPopover::Placement beside = place(QRectF(100, 50, 100, 520), RectEdge::Below);
    EXPECT_EQ(beside.edge, RectEdge::Right);
    EXPECT_EQ(beside.frame, QRectF(200, 260, 200, 100));
    // In the bottom-right corner, where neither side nor below fits: above.
    EXPECT_EQ(place(QRectF(600, 560, 200, 40), RectEdge::Right).edge, RectEdge::Above);
}

TEST(RBLPopoverGeometry, PushesTheFrameInWhenNoSideFits)
{
    // Room nowhere: the preferred side, moved up from below the screen and in
    // from the left.
    const RBLPopover::Placement pushed = place(QRectF(10, 580, 10, 10), RectEdge::Below, QSizeF(300, 590));
    EXPECT_EQ(pushed.edge, RectEdge::Below);
    EXPECT_EQ(pushed.frame, QRectF(0, 10, 300, 590));
    // Larger than the screen: aligned to its top and right.
    const RBLPopover::Placement huge = place(QRectF(300, 250, 10, 10), RectEdge::Left, QSizeF(900, 700));
    EXPECT_EQ(huge.edge, RectEdge::Left);
    EXPECT_EQ(huge.frame, QRectF(-100, 0, 900, 700));
    // Without a screen nothing fits and the frame goes into the zero rectangle.
    const RBLPopover::Placement none = place(QRectF(), RectEdge::Below, s_size, QRectF());
    EXPECT_EQ(none.edge, RectEdge::Below);
    EXPECT_EQ(none.frame, QRectF(-200, 0, 200, 100));
}

TEST(RBLPopoverGeometry, AnEmptyFrameNeverFits)
{
    EXPECT_FALSE(RBLPopover::fits(QRectF(10, 10, 0, 0), s_screen));
    EXPECT_TRUE(RBLPopover::fits(QRectF(0, 0, 800, 600), s_screen));
    EXPECT_FALSE(RBLPopover::fits(QRectF(0, 0, 800.5, 600), s_screen));
}

TEST(RBLPopoverGeometry, TheBackgroundAddsABorderOfOneAroundTheContent)
{
    EXPECT_EQ(RBLPopoverBackgroundView::sizeForBackgroundViewWithContentSize(QSizeF(120, 80), RectEdge::Below),
              QSizeF(122, 82));
    EXPECT_EQ(RBLPopoverBackgroundView::contentViewFrameForBackgroundFrame(QRectF(0, 0, 122, 82), RectEdge::Left),
              QRectF(1, 1, 120, 80));
    EXPECT_EQ(RBLPopoverBackgroundView::arrowEdgeForPopoverEdge(RectEdge::Left), RectEdge::Right);
    EXPECT_EQ(RBLPopoverBackgroundView::arrowEdgeForPopoverEdge(RectEdge::Below), RectEdge::Above);
    EXPECT_EQ(RBLPopoverBackgroundView::arrowEdgeForPopoverEdge(RectEdge(9)), RectEdge::Above);
}

TEST(RBLPopoverGeometry, TheOutlineIsTheContentFrameWithRoundedCorners)
{
    RBLPopoverBackgroundView view(QRectF(0, 0, 122, 82), RectEdge::Below, QRectF(40, -20, 40, 20));
    const QPainterPath path = view.newPopoverPathForEdge(RectEdge::Below, QRectF(0, 0, 122, 82));
    EXPECT_EQ(path.boundingRect(), QRectF(1, 1, 120, 80));
    EXPECT_TRUE(path.contains(QPointF(61, 41)));
    EXPECT_TRUE(path.contains(QPointF(2, 41)));
    // The corner is cut by the radius of five.
    EXPECT_FALSE(path.contains(QPointF(1.5, 1.5)));
    EXPECT_TRUE(path.contains(QPointF(6, 6)));
}

} // namespace
