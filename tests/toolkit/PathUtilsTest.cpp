#include "toolkit/PathUtils.h"

#include <algorithm>

#include <gtest/gtest.h>

TEST(PathUtils, RoundedRectPathStartsAtTheMiddleOfTheMinimumEdgeAndRoundsEachCorner)
{
    const QRectF rect(10, 20, 100, 40);
    const QPainterPath path = PathUtils::createRoundedRectPath(rect, 5);
    EXPECT_EQ(path.elementAt(0), QPointF(60, 20));
    EXPECT_EQ(path.boundingRect(), rect);
    EXPECT_FALSE(path.contains(QPointF(10.5, 20.5)));
    EXPECT_TRUE(path.contains(QPointF(15, 25)));
    // A radius of 0 leaves that corner square.
    const QPainterPath square = PathUtils::createRoundedRectPathWithRadii(rect, 0, 5, 5, 5);
    EXPECT_TRUE(square.contains(QPointF(10.5, 20.5)));
    EXPECT_FALSE(square.contains(QPointF(109.5, 20.5)));
}

TEST(PathUtils, GlossArcDipsBelowTheTopBetweenTheUpperCorners)
{
    const QRectF rect(0, 0, 40, 20);
    const QPainterPath gloss = PathUtils::createGlossPath(rect, 4);
    EXPECT_NEAR(gloss.elementAt(0).x, 0, 1e-6);
    EXPECT_NEAR(gloss.elementAt(0).y, 20, 1e-6);
    EXPECT_NEAR(gloss.pointAtPercent(0.0).y(), 20, 1e-6);
    EXPECT_NEAR(gloss.boundingRect().top(), 0, 1e-6);
    // The arc's middle lies glossHeight below the top (maxY in these numbers).
    double lowest = 20;
    for (int i = 0; i <= 100; ++i) {
        const QPointF point = gloss.pointAtPercent(0.3 * i / 100.0);
        if (point.x() > 0 && point.x() < 40)
            lowest = std::min(lowest, point.y());
    }
    EXPECT_NEAR(lowest, 16, 0.2);
}

TEST(PathUtils, AspectScaleCentringAndStrokeInset)
{
    EXPECT_FLOAT_EQ(PathUtils::aspectScale(true, QSizeF(100, 50), QSizeF(50, 50)), 0.5f);
    EXPECT_FLOAT_EQ(PathUtils::aspectScale(false, QSizeF(100, 50), QSizeF(50, 50)), 1.0f);
    EXPECT_FLOAT_EQ(PathUtils::aspectScale(true, QSizeF(100, 50), QSizeF(-50, -50)), 1.0f);
    EXPECT_EQ(PathUtils::centeringOffset(QRectF(0, 0, 10, 10), QRectF(0, 0, 30, 20)), QPointF(10, 5));
    EXPECT_EQ(PathUtils::rectForStroke(QRectF(0, 0, 10, 10)), QRectF(0.5, 0.5, 9, 9));
}
