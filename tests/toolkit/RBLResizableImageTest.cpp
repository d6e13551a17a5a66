#include "toolkit/RBLResizableImage.h"

#include <QPainter>

#include <gtest/gtest.h>

namespace {

QPixmap solid(int w, int h)
{
    QPixmap pixmap(w, h);
    pixmap.fill(Qt::gray);
    return pixmap;
}

RBLResizableImage::Pieces piecesOf(EdgeInsets insets, QRectF source = {}, QSize size = {30, 30})
{
    return *RBLResizableImage(solid(size.width(), size.height()), insets).piecesForSource(source);
}

int count(const RBLResizableImage::Pieces &pieces)
{
    int made = 0;
    for (const auto &slot : pieces.slots)
        made += slot.has_value();
    return made;
}

TEST(RBLResizableImage, WithoutInsetsOnlyTheCentreIsDrawn)
{
    const auto pieces = piecesOf({});
    EXPECT_EQ(count(pieces), 1);
    EXPECT_EQ(*pieces.slots[RBLResizableImage::Centre], QRectF(0, 0, 30, 30));
    EXPECT_EQ(pieces.drawing, RBLResizableImage::Drawing::ThreePartVertical);
}

TEST(RBLResizableImage, SideInsetsAloneDrawThreePartsAcross)
{
    const auto pieces = piecesOf({0, 5, 0, 7});
    EXPECT_EQ(pieces.drawing, RBLResizableImage::Drawing::ThreePartHorizontal);
    EXPECT_FALSE(pieces.slots[RBLResizableImage::TopLeft]);
    EXPECT_EQ(*pieces.slots[RBLResizableImage::Left], QRectF(0, 0, 5, 30));
    EXPECT_EQ(*pieces.slots[RBLResizableImage::Right], QRectF(23, 0, 7, 30));
}

TEST(RBLResizableImage, TopAndBottomInsetsDrawThreePartsDown)
{
    const auto pieces = piecesOf({4, 0, 6, 0});
    EXPECT_EQ(pieces.drawing, RBLResizableImage::Drawing::ThreePartVertical);
    EXPECT_EQ(*pieces.slots[RBLResizableImage::Top], QRectF(0, 0, 30, 4));
    EXPECT_EQ(*pieces.slots[RBLResizableImage::Bottom], QRectF(0, 24, 30, 6));
}

TEST(RBLResizableImage, CornersMakeNinePartsAndOversizedInsetsDropTheMiddle)
{
    EXPECT_EQ(piecesOf({5, 5, 5, 5}).drawing, RBLResizableImage::Drawing::NinePart);
    EXPECT_EQ(count(piecesOf({5, 5, 5, 5})), 9);
    const auto oversized = piecesOf({20, 20, 20, 20});
    EXPECT_FALSE(oversized.slots[RBLResizableImage::Centre]);
    EXPECT_FALSE(oversized.slots[RBLResizableImage::Top]);
    EXPECT_EQ(count(oversized), 4);
}

TEST(RBLResizableImage, ASourceRectangleShrinksTheInsetsAndIsCutFromItsOwnSize)
{
    // The right half of the image: its left inset is no longer inside.
    const auto pieces = piecesOf({0, 5, 0, 5}, QRectF(15, 0, 15, 30));
    EXPECT_EQ(pieces.source, QRectF(15, 0, 15, 30));
    EXPECT_FALSE(pieces.slots[RBLResizableImage::Left]);
    EXPECT_EQ(*pieces.slots[RBLResizableImage::Right], QRectF(10, 0, 5, 30));
    EXPECT_FALSE(RBLResizableImage(solid(30, 30), {}).piecesForSource(QRectF(20, 0, 20, 30)));
}

TEST(RBLResizableImage, KeepsEachBorderOnItsOwnSide)
{
    // Red top rows (4), blue bottom rows (8), grey between: drawn four times
    // taller, the red band stays 4 high at the top and the blue 8 at the bottom.
    QPixmap striped(10, 20);
    striped.fill(Qt::gray);
    {
        QPainter painter(&striped);
        painter.fillRect(0, 0, 10, 4, Qt::red);
        painter.fillRect(0, 12, 10, 8, Qt::blue);
    }
    const RBLResizableImage image(striped, {4, 0, 8, 0});
    QImage target(10, 80, QImage::Format_ARGB32);
    target.fill(Qt::transparent);
    QPainter painter(&target);
    image.drawInRect(painter, QRectF(0, 0, 10, 80));
    painter.end();
    EXPECT_EQ(target.pixelColor(5, 3), QColor(Qt::red));
    EXPECT_EQ(target.pixelColor(5, 5), QColor(Qt::gray));
    EXPECT_EQ(target.pixelColor(5, 71), QColor(Qt::gray));
    EXPECT_EQ(target.pixelColor(5, 72), QColor(Qt::blue));
}

TEST(RBLResizableImage, IsEqualWithinATenthOfAPoint)
{
    const QPixmap pixmap = solid(10, 10);
    const RBLResizableImage a(pixmap, {1, 1, 1, 1});
    EXPECT_TRUE(a.isEqual(RBLResizableImage(pixmap, {1.05, 1, 1, 1})));
    EXPECT_FALSE(a.isEqual(RBLResizableImage(pixmap, {1.2, 1, 1, 1})));
    EXPECT_FALSE(a.isEqual(RBLResizableImage(solid(11, 10), {1, 1, 1, 1})));
}

TEST(RBLResizableImage, ArchivesItsInsetsAndReadsMissingOnesAsZero)
{
    const RBLResizableImage original(solid(8, 8), {1, 2, 3, 4});
    const RBLResizableImage decoded = RBLResizableImage::decode(original.encode());
    EXPECT_TRUE(decoded.isEqual(original));
    EXPECT_EQ(decoded.capInsets().right, 4.0);
    QVariantMap partial = original.encode();
    partial.remove(QStringLiteral("capInsetLeft"));
    EXPECT_EQ(RBLResizableImage::decode(partial).capInsets().left, 0.0);
    EXPECT_TRUE(original.description().contains(QStringLiteral("capInsets = (1.000000, 2.000000, 3.000000, 4.000000)")));
}

} // namespace
