#include "TestPrinters.h"

#include "editors/FilterValue.h"
#include "editors/TransformValue.h"

#include <gtest/gtest.h>

#include <functional>

namespace TransformValueTest {

namespace {

using T = TransformValue;

// Reads the text, lets the user change the fields, answers what is written.
QString rewrite(const QString &in, const std::function<void(T &)> &change = {}, T::Options options = T::panelOptions())
{
    T value(options);
    value.read(in);
    if (change)
        change(value);
    return value.write();
}

struct Case
{
    const char *name;
    const char *in;
    std::function<void(T &)> change;
    const char *out;
};

} // namespace

TEST(TransformValue, RewritesEachGroupOnceInTheOrderRead)
{
    const QList<Case> cases{
        {"rotation then translation", "rotate(45deg) translate3d(10px, 0px, 0px)", {},
         "rotate(45.0deg) translate3d(10.0px, 0.0px, 0.0px)"},
        {"translateX stays in em", "translateX(2em)", {}, "translate3d(2.0em, 0.0px, 0.0px)"},
        {"a plain translate", "translate(5px, 6px)", {}, "translate3d(5.0px, 6.0px, 0.0px)"},
        {"single axes keep their own units", "translatey(5%) rotate(10deg) translatex(3em)", {},
         "rotate(10.0deg) translate3d(3.0em, 5.0%, 0.0px)"},
        {"a unit-less zero", "translatex(0)", {}, "translate3d(0.0, 0.0px, 0.0px)"},
        {"scale with one factor", "scale(2)", {}, "scale(2.0)"},
        {"scale with two", "scale(2, 3)", {}, "scale(2.0, 3.0)"},
        {"skewX alone", "skewx(10deg)", {}, "skewX(10.0deg)"},
        {"skewX then skewY stay two functions", "skewX(10deg) rotate(5deg) skewY(20deg)", {},
         "skewX(10.0deg) rotate(5.0deg) skewY(20.0deg)"},
        {"skewY before skewX keeps its place", "skewY(1deg) skewX(2deg)", {}, "skewY(1.0deg) skewX(2.0deg)"},
        {"skew keeps both angles", "skew(3deg, 4deg)", {}, "skew(3.0deg, 4.0deg)"},
        {"other angle units", "rotate(0.5turn) rotateZ(45DEG)", {}, "rotate(0.5turn) rotateZ(45.0deg)"},
        {"decimals kept, one at least", "rotate(12.345deg) rotateX(0.25deg)", {},
         "rotate(12.345deg) rotateX(0.25deg)"},
        {"perspective keeps its number", "perspective(500px)", {}, "perspective(500px)"},
        {"nothing known", "", {}, ""},
    };
    for (const Case &c : cases)
        EXPECT_EQ(rewrite(QString::fromUtf8(c.in)), QString::fromUtf8(c.out)) << c.name;
}

TEST(TransformValue, KeepsFunctionsWithoutAFieldVerbatimInPlace)
{
    const QList<Case> cases{
        {"matrix survives an edit of rotate", "matrix(1, 0, 0, 1, 5, 5) rotate(10deg)",
         [](T &v) { v.setField(T::Rotate, "20"); }, "matrix(1, 0, 0, 1, 5, 5) rotate(20.0deg)"},
        {"rotate3d stays where it was", "rotate(10deg) rotate3d(1, 1, 0, 45deg) scale(2)", {},
         "rotate(10.0deg) rotate3d(1, 1, 0, 45deg) scale(2.0)"},
        {"calc arguments stay", "translateX(calc(10px + 5px)) rotate(5deg)", {},
         "translateX(calc(10px + 5px)) rotate(5.0deg)"},
        {"a second occurrence stays", "rotate(5deg) scale(2) rotate(10deg)", {},
         "rotate(5.0deg) scale(2.0) rotate(10deg)"},
        {"an unread translate stays beside the group", "translatex(5px) translate(1px, 2px)", {},
         "translate3d(5.0px, 0.0px, 0.0px) translate(1px, 2px)"},
        {"an axis given twice keeps the later as written", "translate3d(1px, 2px, 3px) translatex(5px)", {},
         "translate3d(1.0px, 2.0px, 3.0px) translatex(5px)"},
        {"none stands alone", "none", {}, "none"},
        {"none gives way to a function", "none", [](T &v) { v.setField(T::Rotate, "5"); }, "rotate(5.0deg)"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(rewrite(QString::fromUtf8(c.in), c.change), QString::fromUtf8(c.out)) << c.name;
}

TEST(TransformValue, NewGroupsFollowTheReadOnesInListOrder)
{
    EXPECT_EQ(rewrite("rotate(10deg)", [](T &v) { v.setField(T::X, "4"); }),
              "rotate(10.0deg) translate3d(4.0px, 0.0px, 0.0px)");
    EXPECT_EQ(rewrite("rotate(10deg)",
                      [](T &v) {
                          v.setField(T::X, "4");
                          v.setField(T::Perspective, "100");
                      }),
              "rotate(10.0deg) perspective(100px) translate3d(4.0px, 0.0px, 0.0px)");
    // A member of a read group stands with it.
    EXPECT_EQ(rewrite("rotateX(5deg) scale(2)", [](T &v) { v.setField(T::RotateZ, "7"); }),
              "rotateX(5.0deg) rotateZ(7.0deg) scale(2.0)");
    EXPECT_EQ(rewrite("", [](T &v) {
                  v.setField(T::SkewY, "3");
                  v.setField(T::Rotate, "1");
                  v.setField(T::Perspective, "9");
              }),
              "perspective(9px) rotate(1.0deg) skew(0.0deg, 3.0deg)");
}

TEST(TransformValue, CompletesScaleAndTranslationFieldsAsWritten)
{
    T value;
    value.setField(T::ScaleY, "3");
    EXPECT_EQ(value.write(), "scale(1.0, 3.0)");
    EXPECT_EQ(value.field(T::ScaleX), "1");

    value.clearScale();
    value.setField(T::ScaleZ, "2");
    EXPECT_EQ(value.write(), "scale3d(2.0, 2.0, 2.0)");
    EXPECT_EQ(value.field(T::ScaleY), "2");

    value.clearScale();
    value.setField(T::SkewY, "4");
    EXPECT_EQ(value.write(), "skew(0.0deg, 4.0deg)");
    EXPECT_EQ(value.field(T::SkewX), "0");
}

TEST(TransformValue, AUnitChosenForTheTranslationAppliesToAllThreeAxes)
{
    EXPECT_EQ(rewrite("translate(1em, 2%)", [](T &v) { v.setTranslateUnit("rem"); }),
              "translate3d(1.0rem, 2.0rem, 0.0rem)");
}

TEST(TransformValue, ClearRotateKeepsThePlaneRotation)
{
    EXPECT_EQ(rewrite("rotate(1deg) rotateX(2deg) rotateY(3deg)", [](T &v) { v.clearRotate(); }), "rotate(1.0deg)");
    EXPECT_EQ(rewrite("translate(1px) skew(2deg)",
                      [](T &v) {
                          v.clearTranslate();
                          v.clearSkew();
                      }),
              "");
}

TEST(TransformValue, FillRangesGivesAbsentMembersTheFirstFoundPlace)
{
    const qsizetype none = T::NotFound;
    EXPECT_EQ(T::fillRanges({none, 7, 3, none}), (QList<qsizetype>{7, 7, 3, 7}));
    EXPECT_EQ(T::fillRanges({none, none}), (QList<qsizetype>{none, none}));
}

TEST(TransformValue, ThePopoverShowsZeroForAMissingArgument)
{
    const T popover(T::popoverOptions());
    EXPECT_EQ(popover.inputXYZ({"1"}, 2), "0");
    EXPECT_EQ(T().inputXYZ({"1"}, 2), "");
}

TEST(TransformValue, WhatIsWrittenReadsBackToTheSameState)
{
    for (const char *in : {"rotate(45deg) translate3d(10px, 0px, 0px)", "matrix(1,0,0,1,0,0) scale(2) none",
                           "translatey(5%) rotate(10deg) translatex(3em)", "rotate(", "skew(1deg, 2deg, 3deg)",
                           "scale(2px)", ")))(((", "perspective(1e3px)", "skewX(20deg) skewX(20deg)",
                           "skewX(20deg) skewY(10deg)", "skew(1deg) skewY(2deg) skewY(3deg)"}) {
        T first;
        first.read(QString::fromUtf8(in));
        const QString written = first.write();
        T second;
        second.read(written);
        EXPECT_EQ(second.write(), written) << in;
    }
}

TEST(TransformValue, AnyTextIsReadAndWhatIsWrittenIsAFixedPoint)
{
    // Pieces of transform and filter lists, glued at random.
    const QStringList pieces{"rotate(", "translate(", "scale3d(", "skew(", "blur(", "contrast(", "hue-rotate(",
                             "matrix(", ")", "(", ",", " ", "1", "-2.5", ".5", "e3", "px", "%", "deg", "turn",
                             "calc(", "none", "X", "Y", "z", "0", "1e400", "var(--a)"};
    quint32 seed = 12345;
    const auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) & 0x7fff;
    };
    for (int round = 0; round < 3000; ++round) {
        QString text;
        const int count = int(next() % 12);
        for (int i = 0; i < count; ++i)
            text += pieces[int(next() % pieces.size())];
        T transform;
        transform.read(text);
        const QString written = transform.write();
        T again;
        again.read(written);
        ASSERT_EQ(again.write(), written) << text.toStdString();
        FilterValue filter;
        filter.read(text);
        FilterValue filterAgain;
        filterAgain.read(filter.write());
        ASSERT_EQ(filterAgain.write(), filter.write()) << text.toStdString();
    }
}

} // namespace TransformValueTest
