#include "TestPrinters.h"

#include "editors/FilterValue.h"

#include <gtest/gtest.h>

namespace FilterValueTest {

namespace {

using F = FilterValue;

QString rewrite(const QString &in, F::Options options = F::panelOptions())
{
    F value(options);
    value.read(in);
    return value.write();
}

} // namespace

TEST(FilterValue, ReadsEachSliderAndWritesInTheEditorsOrder)
{
    F value;
    value.read("blur(3px) saturate(50%)");
    EXPECT_EQ(value.value(F::Blur), 3);
    EXPECT_EQ(value.value(F::Saturate), 50);
    EXPECT_EQ(value.value(F::Contrast), 100);
    EXPECT_EQ(value.write(), "saturate(50%) blur(3px) ");
    EXPECT_EQ(rewrite("saturate(50%) blur(3px)", F::popoverOptions()), "blur(3px) saturate(50%) ");
    EXPECT_EQ(rewrite(""), "");
}

TEST(FilterValue, BrightnessAndContrastAreNeutralAtOneHundred)
{
    EXPECT_EQ(rewrite("brightness(100%) contrast(100%)"), "");
    EXPECT_EQ(rewrite("brightness(0%)"), "brightness(0%) ");
    F value;
    value.read("contrast(20%)");
    value.reset();
    EXPECT_EQ(value.value(F::Brightness), 100);
    EXPECT_EQ(value.value(F::Contrast), 100);
    EXPECT_EQ(value.write(), "");
}

TEST(FilterValue, ReadsUnitLessFactorsAsFractionsAndAnglesInDegrees)
{
    EXPECT_EQ(rewrite("contrast(1.5)"), "contrast(150%) ");
    EXPECT_EQ(rewrite("contrast(1.1) sepia(0.07)"), "contrast(110%) sepia(7%) ");
    EXPECT_EQ(rewrite("grayscale(1)"), "grayscale(100%) ");
    EXPECT_EQ(rewrite("hue-rotate(0.5turn)"), "hue-rotate(180deg) ");
    EXPECT_EQ(rewrite("blur(0)"), "");
}

TEST(FilterValue, KeepsDecimalsAndWhatNoSliderHolds)
{
    EXPECT_EQ(rewrite("blur(0.5px)"), "blur(0.5px) ");
    EXPECT_EQ(rewrite("drop-shadow(1px 1px red) blur(2px) blur(4px) url(#f)"),
              "blur(2px) drop-shadow(1px 1px red) blur(4px) url(#f) ");
    EXPECT_EQ(rewrite("blur(1em) opacity(50%)"), "blur(1em) opacity(50%) ");
    EXPECT_EQ(rewrite("none"), "none");
    F value;
    value.read("none");
    value.setValue(F::Sepia, 20);
    EXPECT_EQ(value.write(), "sepia(20%) ");
}

TEST(FilterValue, WhatIsWrittenReadsBackToTheSameState)
{
    for (const char *in : {"blur(3px) saturate(50%)", "contrast(1.5) url(x)", "hue-rotate(2rad)", "blur(", "none",
                           "sepia(1e400%)", "brightness(-0)", "blur(0px) blur(1px)", "hue-rotate(0turn) hue-rotate(0deg)"}) {
        F first;
        first.read(QString::fromUtf8(in));
        F second;
        second.read(first.write());
        EXPECT_EQ(second.debugDump(), first.debugDump()) << in;
    }
}

} // namespace FilterValueTest
