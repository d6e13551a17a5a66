#include "editors/popover/GradientSlider.h"
#include "editors/popover/GradientSliderDelegate.h"
#include "editors/popover/SliderKnob.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// What the slider tells its delegate, in order.
struct Heard : GradientSliderDelegate
{
    void ratioColorDidChanged(GradientSlider *) override { calls.append(QStringLiteral("colors")); }
    void selectionChanged(GradientSlider *) override { calls.append(QStringLiteral("selection")); }
    QStringList calls;
};

// A 220-point slider (a 200-point track from x 10) with stops at 0 and 1.
struct SliderHarness
{
    SliderHarness()
    {
        slider.resize(220, 28);
        slider.addRatioColor(std::make_shared<RatioColor>(0.0f, RGBAColor{1, 0, 0, 1}));
        slider.addRatioColor(std::make_shared<RatioColor>(1.0f, RGBAColor{0, 0, 1, 1}));
        slider.setDelegate(&heard);
        slider.show();
    }
    QPoint atRatio(double ratio) const { return QPoint(int(10 + ratio * 200), 14); }
    QList<float> ratios() const
    {
        QList<float> list;
        for (const RatioColorPtr &stop : slider.ratioColors())
            list.append(stop->ratio());
        return list;
    }

    GradientSlider slider;
    Heard heard;
};

} // namespace

TEST(GradientSlider, AClickBesideTheKnobsAddsABlackStopThereAndSelectsIt)
{
    SliderHarness h;
    QTest::mouseClick(&h.slider, Qt::LeftButton, {}, h.atRatio(0.5));
    ASSERT_EQ(h.slider.ratioColors().size(), 3);
    ASSERT_TRUE(h.slider.selectedRatioColor());
    EXPECT_FLOAT_EQ(h.slider.selectedRatioColor()->ratio(), 0.5f);
    EXPECT_EQ(h.slider.selectedRatioColor()->color(), (RGBAColor{0, 0, 0, 1}));
    EXPECT_TRUE(h.slider.selectedKnob()->selected());
    EXPECT_EQ(h.heard.calls, (QStringList{QStringLiteral("colors"), QStringLiteral("selection")}));
    // Left of the track the stop goes to 0.
    QTest::mouseClick(&h.slider, Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_EQ(h.ratios().first(), 0.0f);
}

TEST(GradientSlider, DraggingReordersTheStopsAndFarOffTheStripRemovesOneButNeverBelowTwo)
{
    SliderHarness h;
    QTest::mouseClick(&h.slider, Qt::LeftButton, {}, h.atRatio(0.3));
    const RatioColorPtr middle = h.slider.selectedRatioColor();
    // The first stop dragged past the middle one.
    QTest::mousePress(&h.slider, Qt::LeftButton, {}, h.atRatio(0));
    const RatioColorPtr first = h.slider.selectedRatioColor();
    QMouseEvent move(QEvent::MouseMove, h.atRatio(0.6), h.slider.mapToGlobal(h.atRatio(0.6)), Qt::NoButton,
                     Qt::LeftButton, {});
    QApplication::sendEvent(&h.slider, &move);
    QTest::mouseRelease(&h.slider, Qt::LeftButton, {}, h.atRatio(0.6));
    EXPECT_FLOAT_EQ(first->ratio(), 0.6f);
    EXPECT_EQ(h.slider.ratioColors().first(), middle);

    // Released 30 points below the strip: removed.
    QTest::mousePress(&h.slider, Qt::LeftButton, {}, h.atRatio(0.6));
    QTest::mouseRelease(&h.slider, Qt::LeftButton, {}, h.atRatio(0.6) + QPoint(0, 30));
    EXPECT_EQ(h.slider.ratioColors().size(), 2);
    EXPECT_FALSE(h.slider.ratioColors().contains(first));
    EXPECT_FALSE(h.slider.selectedRatioColor());
    // With two left, none goes.
    QTest::mousePress(&h.slider, Qt::LeftButton, {}, h.atRatio(0.3));
    QTest::mouseRelease(&h.slider, Qt::LeftButton, {}, h.atRatio(0.3) + QPoint(0, -30));
    EXPECT_EQ(h.slider.ratioColors().size(), 2);
}

TEST(GradientSlider, TheArrowKeysMoveTheSelectedStop)
{
    SliderHarness h;
    QTest::mouseClick(&h.slider, Qt::LeftButton, {}, h.atRatio(0.5));
    QTest::keyClick(&h.slider, Qt::Key_Right);
    EXPECT_NEAR(h.slider.selectedRatioColor()->ratio(), 0.51, 1e-6);
    QTest::keyClick(&h.slider, Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_NEAR(h.slider.selectedRatioColor()->ratio(), 0.41, 1e-6);
    EXPECT_EQ(h.heard.calls.last(), QStringLiteral("colors"));
}
