#include "TestPrinters.h"
#include "TestUtil.h"

#include "editors/ColorPalletTip.h"
#include "editors/ColorPalletViewController.h"
#include "editors/QuickColorPicker.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/ColorPanel.h"
#include "platform/kit/PopUpButton.h"
#include "platform/kit/Stepper.h"
#include "platform/kit/ViewController.h"
#include "toolkit/RBLPopover.h"
#include "toolkit/RBLPopoverWindow.h"

#include <QColorDialog>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

#include <gtest/gtest.h>

TEST(EditorsKit, APopUpButtonShowsATitleThatIsNoItemUntilAnItemIsChosen)
{
    PopUpButton button;
    button.addItemsWithTitles({QStringLiteral("-"), QStringLiteral("block"), QStringLiteral("flex")});
    button.setTitle(QStringLiteral("-webkit-box"));
    EXPECT_EQ(button.titleOfSelectedItem(), QStringLiteral("-webkit-box"));
    EXPECT_EQ(button.itemTitles(), (QStringList{"-", "block", "flex"}));
    button.setTitle(QStringLiteral("flex"));
    EXPECT_EQ(button.count(), 3);
    EXPECT_EQ(button.currentIndex(), 2);
    QStringList chosen;
    QObject::connect(&button, &PopUpButton::activatedTitle, [&chosen](const QString &title) { chosen.append(title); });
    button.setTitle(QStringLiteral("grid"));
    Q_EMIT button.activated(1);
    EXPECT_EQ(chosen, QStringList{"block"});
    EXPECT_EQ(button.count(), 3);
}

TEST(EditorsKit, TheSharedColourPanelReportsToTheTargetThatOpenedItLast)
{
    ColorPanel &panel = ColorPanel::sharedColorPanel();
    QObject first;
    QList<QColor> firstColours;
    QList<QColor> secondColours;
    panel.openForTarget(&first, Qt::red, [&](const QColor &c) { firstColours.append(c); });
    EXPECT_TRUE(panel.isVisible());
    EXPECT_EQ(panel.color(), QColor(Qt::red)); // shown, not reported
    EXPECT_TRUE(firstColours.isEmpty());
    panel.dialog()->setCurrentColor(Qt::blue);
    ASSERT_EQ(firstColours.size(), 1);
    {
        QObject second;
        panel.openForTarget(&second, Qt::green, [&](const QColor &c) { secondColours.append(c); });
        panel.dialog()->setCurrentColor(Qt::yellow);
        EXPECT_EQ(firstColours.size(), 1);
        EXPECT_EQ(secondColours.size(), 1);
    }
    // The target is gone: nobody is called.
    panel.dialog()->setCurrentColor(Qt::black);
    EXPECT_EQ(secondColours.size(), 1);
    EXPECT_EQ(panel.target(), nullptr);
    EXPECT_TRUE(panel.dialog()->testOption(QColorDialog::ShowAlphaChannel));
    EXPECT_TRUE(panel.dialog()->testOption(QColorDialog::NoButtons));
    panel.close();
}

TEST(EditorsKit, ThePaletteReportsItsSwatchOrNoColourToItsOwnPickerOnly)
{
    QuickColorPicker picker;
    QuickColorPicker other;
    int actions = 0;
    QObject::connect(&picker, &QuickColorPicker::colorAction, [&actions] { ++actions; });
    QList<QVariantMap> reports;
    QObject observer;
    NotificationCenter::defaultCenter().addObserver(&observer, QStringLiteral("QuickColorPickerChanged"), &picker,
                                                    [&reports](const Notification &n) { reports.append(n.userInfo); });
    picker.show();
    other.show();
    picker.colorPalletButton()->click();
    other.colorPalletButton()->click();
    ASSERT_TRUE(picker.popover()->isShown());
    // Opened twice, one choice: one report.
    picker.colorPalletButton()->click();
    ColorPalletViewController *palette = picker.colorPalletViewController();
    ASSERT_EQ(palette->tips().size(), 112);
    QTest::mouseClick(palette->tips().first(), Qt::LeftButton);
    ASSERT_EQ(reports.size(), 1);
    EXPECT_EQ(reports[0].value(QStringLiteral("color")).value<QColor>(), QColor(0, 0, 0));
    ASSERT_TRUE(picker.getColor());
    EXPECT_EQ(picker.getColor()->toQColor(), QColor(0, 0, 0));
    EXPECT_TRUE(palette->tips().first()->isSelected());
    // The other picker's palette leaves this one alone.
    other.colorPalletViewController()->selectColorAt(20);
    EXPECT_EQ(picker.getColor()->toQColor(), QColor(0, 0, 0));
    palette->noColorButton()->click();
    EXPECT_FALSE(picker.getColor());
    ASSERT_EQ(reports.size(), 2);
    EXPECT_TRUE(reports[1].isEmpty());
    EXPECT_EQ(actions, 2);
    // Setting a colour shows it without a report.
    picker.setColor(RGBAColor{1, 0, 0, 1});
    EXPECT_EQ(reports.size(), 2);
    NotificationCenter::defaultCenter().removeObserver(&observer);
}

TEST(EditorsKit, ASwatchPickedInATransientPopoverLeavesThePopoverOpen)
{
    QWidget window;
    window.resize(400, 300);
    auto *anchor = new QPushButton(QStringLiteral("anchor"), &window);
    window.show();
    ViewController content;
    auto *view = new QWidget;
    auto *layout = new QVBoxLayout(view);
    auto *picker = new QuickColorPicker(view);
    layout->addWidget(picker);
    content.setView(view);
    RBLPopover popover(&content);
    popover.setAnimates(false);
    popover.setBehavior(RBLPopover::Transient);
    popover.setContentSize(QSizeF(240, 120));
    popover.showRelativeToRect(QRectF(), anchor, RectEdge::Right);
    ASSERT_TRUE(popover.isShown());

    picker->colorPalletButton()->click();
    ASSERT_TRUE(picker->popover()->isShown());
    QTest::mouseClick(picker->colorPalletViewController()->tips()[30], Qt::LeftButton);
    TestUtil::spin(20);
    EXPECT_TRUE(popover.isShown());
    EXPECT_TRUE(picker->getColor());
    // A click in the shared colour panel keeps it open too.
    picker->colorPickerButton()->click();
    QTest::mouseClick(ColorPanel::sharedColorPanel().dialog(), Qt::LeftButton, {}, QPoint(5, 5));
    TestUtil::spin(20);
    EXPECT_TRUE(popover.isShown());
    ColorPanel::sharedColorPanel().close();
    // Escape in the palette closes the palette only; then the popover.
    picker->colorPalletButton()->click();
    ASSERT_TRUE(picker->popover()->isShown());
    picker->colorPalletViewController()->tips()[3]->setFocus();
    QTest::keyClick(picker->colorPalletViewController()->tips()[3], Qt::Key_Escape);
    EXPECT_TRUE(TestUtil::waitUntil([&] { return !picker->popover()->isShown(); }));
    EXPECT_TRUE(popover.isShown());
    picker->colorPalletButton()->setFocus();
    QTest::keyClick(picker->colorPalletButton(), Qt::Key_Escape);
    EXPECT_TRUE(TestUtil::waitUntil([&] { return !popover.isShown(); }));
    // A click elsewhere closes it.
    popover.showRelativeToRect(QRectF(), anchor, RectEdge::Right);
    QTest::mouseClick(anchor, Qt::LeftButton);
    EXPECT_TRUE(TestUtil::waitUntil([&] { return !popover.isShown(); }));
}

TEST(EditorsKit, AStepperStaysInItsRangeAndStepsOnlyWhenEnabled)
{
    Stepper stepper;
    stepper.setMinValue(0);
    stepper.setMaxValue(1);
    stepper.setIncrement(0.5);
    int steps = 0;
    QObject::connect(&stepper, &Stepper::stepped, [&steps] { ++steps; });
    stepper.upButton()->click();
    stepper.upButton()->click();
    stepper.upButton()->click();
    EXPECT_EQ(stepper.doubleValue(), 1);
    EXPECT_EQ(steps, 3);
    stepper.setEnabled(false);
    stepper.downButton()->click();
    EXPECT_EQ(steps, 3);
}
