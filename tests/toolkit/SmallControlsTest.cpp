#include "toolkit/BorderlessSegmentCell.h"
#include "toolkit/CSSOutlineViewHeader.h"
#include "toolkit/FinderViewTextField.h"
#include "toolkit/FocusTextField.h"
#include "toolkit/ImageUtils.h"
#include "toolkit/InspectorSplitView.h"
#include "toolkit/MDVerticallyCenteredTextFieldCell.h"
#include "toolkit/OpenPanl.h"
#include "toolkit/TableViewEx.h"
#include "toolkit/ViewUtils.h"

#include "platform/foundation/NotificationCenter.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

TEST(BorderlessSegmentCell, CentresTheFirstSegmentsContentAndStepsOnByWidths)
{
    BorderlessSegmentCell cell;
    cell.setSegmentCount(2);
    cell.setWidth(100, 0);
    cell.setWidth(60, 1);
    QPixmap icon(16, 16);
    icon.fill(Qt::black);
    cell.setImage(QIcon(icon), 0);
    cell.resize(160, 22);
    const QList<QRectF> frames = cell.segmentFrames();
    ASSERT_EQ(frames.size(), 2);
    EXPECT_EQ(frames[0].x(), 42.0);
    EXPECT_EQ(frames[1].x(), 142.0);
    // Every frame keeps the control's width.
    EXPECT_EQ(frames[1].width(), 160.0);
    // A label adds its width and ten.
    cell.setLabel(QStringLiteral("Tree"), 0);
    EXPECT_GT(cell.layoutContentWidth(0), 26.0);
    EXPECT_LT(cell.segmentFrames()[0].x(), 42.0);
}

TEST(MDVerticallyCenteredTextFieldCell, InsetsTheFrameToCentreTheText)
{
    const QRect low = MDVerticallyCenteredTextFieldCell::adjustedFrameToVerticallyCenterText(QRect(0, 0, 50, 20), 11, 3);
    EXPECT_EQ(low, QRect(0, 0, 50, 20));
    const QRect tall = MDVerticallyCenteredTextFieldCell::adjustedFrameToVerticallyCenterText(QRect(0, 0, 50, 40), 11, 3);
    EXPECT_EQ(tall, QRect(0, 10, 50, 20));
}

TEST(OpenPanl, StandsFlushRightAtTheBottomHalfTheVisibleHeightTall)
{
    // A screen of 1440 x 900 whose visible part leaves 25 points at the bottom.
    const QRect frame = OpenPanl::centeredFrame(QRect(0, 0, 1440, 900), QRect(0, 0, 1440, 875), 600);
    EXPECT_EQ(frame.height(), 438);
    EXPECT_EQ(frame.left() + frame.width(), 1440);
    EXPECT_EQ(frame.top() + frame.height(), 900);
}

TEST(TableViewEx, HandsDeleteToADelegateThatAnswersIt)
{
    TableViewEx table;
    int deletes = 0;
    QKeyEvent backspace(QEvent::KeyPress, Qt::Key_Backspace, {});
    QCoreApplication::sendEvent(&table, &backspace);
    EXPECT_EQ(deletes, 0);
    TableDelegate delegate;
    delegate.delete_ = [&](QObject *) { ++deletes; };
    table.setDelegate(delegate);
    QKeyEvent again(QEvent::KeyPress, Qt::Key_Backspace, {});
    QCoreApplication::sendEvent(&table, &again);
    EXPECT_EQ(deletes, 1);
    EXPECT_TRUE(again.isAccepted());
}

TEST(FocusTextField, AnnouncesItsFocusWithOrWithoutADelegate)
{
    QWidget window;
    auto *field = new FocusTextField(&window);
    auto *other = new QLineEdit(&window);
    window.show();
    QStringList heard;
    NotificationCenter::defaultCenter().addObserver(&window, QStringLiteral("ControlDidBecomeFirstResponder"),
                                                    field, [&](const Notification &) { heard << "posted"; });
    other->setFocus();
    QFocusEvent in(QEvent::FocusIn, Qt::TabFocusReason);
    QCoreApplication::sendEvent(field, &in);
    TextFieldDelegate delegate;
    delegate.controlDidBecomeFirstResponder = [&](const Notification &n) {
        heard << (n.object == field ? "delegate" : "wrong object");
    };
    field->setDelegate(delegate);
    QCoreApplication::sendEvent(field, &in);
    EXPECT_EQ(heard, (QStringList{"posted", "delegate", "posted"}));
}

TEST(FinderViewTextField, PostsItsTextWhenEditingEnds)
{
    FinderViewTextField field;
    QString posted;
    NotificationCenter::defaultCenter().addObserver(&field, QStringLiteral("finderViewTextFieldTextDidEndEditing"),
                                                    &field, [&](const Notification &n) {
                                                        posted = n.userInfo.value(QStringLiteral("stringValue")).toString();
                                                    });
    QTest::keyClicks(&field, QStringLiteral("new.css"));
    QTest::keyClick(&field, Qt::Key_Return);
    EXPECT_EQ(posted, QStringLiteral("new.css"));
}

TEST(CSSOutlineViewHeader, IsTwentyOneHighWithASeparatorAfterTheFirstColumn)
{
    CSSOutlineViewHeader header;
    EXPECT_EQ(header.sizeHint().height(), 21);
    EXPECT_EQ(header.height(), 21);
    header.setModel(nullptr);
    const QLineF line = header.separatorLine(QRectF(10, 0, 200, 21));
    EXPECT_EQ(line.p1(), QPointF(10 + header.sectionSize(0), 1));
    EXPECT_EQ(line.p2(), QPointF(10 + header.sectionSize(0), 25));
}

TEST(InspectorSplitView, HasASixPointDarkDivider)
{
    InspectorSplitView split;
    split.addWidget(new QWidget);
    split.addWidget(new QWidget);
    EXPECT_EQ(split.handleWidth(), 6);
    QImage image(6, 6, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    split.drawDividerInRect(painter, image.rect());
    painter.end();
    EXPECT_LT(image.pixelColor(3, 3).red(), 90);
}

TEST(ViewUtils, ReachesControlsNestedInPlainViewsAtAnyDepth)
{
    QWidget root;
    auto *outer = new QWidget(&root);
    auto *inner = new QWidget(outer);
    auto *check = new QCheckBox(inner);
    auto *button = new QPushButton(&root);
    ViewUtils::disableSubViews(&root);
    EXPECT_FALSE(check->isEnabled());
    EXPECT_FALSE(button->isEnabled());
    // Plain views are walked through, not switched off themselves.
    EXPECT_TRUE(outer->isEnabledTo(&root));
    EXPECT_TRUE(inner->isEnabledTo(outer));
    ViewUtils::enableSubViews(&root);
    EXPECT_TRUE(check->isEnabled());
}

TEST(ImageUtils, StretchesTheWholeImageIntoTheNewSize)
{
    QImage source(2, 1, QImage::Format_ARGB32);
    source.setPixelColor(0, 0, Qt::red);
    source.setPixelColor(1, 0, Qt::blue);
    const QImage resized = ImageUtils::resizeTo(QPixmap::fromImage(source), QSize(20, 10)).toImage();
    EXPECT_EQ(resized.size(), QSize(20, 10));
    EXPECT_GT(resized.pixelColor(1, 5).red(), 200);
    EXPECT_GT(resized.pixelColor(18, 5).blue(), 200);
    EXPECT_TRUE(ImageUtils::resizeTo(QPixmap::fromImage(source), QSize()).isNull());
}

} // namespace
