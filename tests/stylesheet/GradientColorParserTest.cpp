#include "StyleSheetTestUtil.h"

#include "stylesheet/GradientColorParser.h"
#include "stylesheet/NSScannerUtil.h"

#include <gtest/gtest.h>

namespace {

using S = CSSStructure;

QString toFormal(const QString &value)
{
    return GradientColorParser::convertVendarPrefixToFormal(value);
}

QString toPrefixed(const QString &value, const QString &prefix = u"-webkit-"_qs)
{
    return GradientColorParser::convertFormalToVendarPrefix(value, prefix);
}

} // namespace

TEST(NSScannerUtil, ScansFunctionCallsIntoNodes)
{
    using NSScannerUtil::cssFunctionStructure;
    using NSScannerUtil::cssStructureToString;
    EXPECT_EQ(
        cssFunctionStructure(u"linear-gradient(to right, red, blue)"_qs),
        S::function(u"linear-gradient"_qs, {S::list({S::word(u"to"_qs), S::word(u"right"_qs)}),
                                            S::word(u"red"_qs), S::word(u"blue"_qs)}));
    const S rgba = S::function(
        u"rgba"_qs, {S::word(u"0"_qs), S::word(u"0"_qs), S::word(u"0"_qs), S::word(u"0.5"_qs)});
    EXPECT_EQ(cssFunctionStructure(u"linear-gradient(rgba(0,0,0,0.5) 10%, red)"_qs),
              S::function(u"linear-gradient"_qs,
                          {S::list({rgba, S::word(u"10%"_qs)}), S::word(u"red"_qs)}));
    EXPECT_EQ(cssFunctionStructure(u"linear-gradient(red, rgba(0,0,0,0.5) 10%)"_qs),
              S::function(u"linear-gradient"_qs,
                          {S::word(u"red"_qs), S::list({rgba, S::word(u"10%"_qs)})}));
    EXPECT_EQ(cssFunctionStructure(u"url(a.png)"_qs),
              S::function(u"url"_qs, {S::word(u"a.png"_qs)}));
    EXPECT_EQ(cssFunctionStructure(u"red"_qs), S::word(u"red"_qs));

    EXPECT_EQ(
        cssStructureToString(cssFunctionStructure(u"linear-gradient(to right, red, blue)"_qs)),
        u"linear-gradient(to right, red, blue)"_qs);
    EXPECT_EQ(cssStructureToString(cssFunctionStructure(u"linear-gradient(red,blue)"_qs)),
              u"linear-gradient(red, blue)"_qs);
    // Calls left open are closed; words after the call stay with it.
    EXPECT_EQ(cssStructureToString(cssFunctionStructure(u"a(b, c(d"_qs)), u"a(b, c(d))"_qs);
    EXPECT_EQ(cssStructureToString(cssFunctionStructure(u"url(a.png) no-repeat"_qs)),
              u"url(a.png) no-repeat"_qs);
    // Calls nested beyond any real value stay one word.
    const QString deep = u"f("_qs.repeated(1000) + u")"_qs.repeated(1000);
    EXPECT_EQ(cssFunctionStructure(deep), S::word(deep));
    EXPECT_TRUE(NSScannerUtil::isInvalidValue(u","_qs));
    EXPECT_FALSE(NSScannerUtil::isInvalidValue(u"a"_qs));
}

TEST(GradientColorParser, ReadsPrefixedGradientsIntoTheStandardSyntax)
{
    EXPECT_EQ(toFormal(u"-webkit-linear-gradient(top, #fff, #000)"_qs),
              u"linear-gradient(to bottom, #fff, #000)"_qs);
    EXPECT_EQ(toFormal(u"-webkit-linear-gradient(left top, red, blue)"_qs),
              u"linear-gradient(to right bottom, red, blue)"_qs);
    EXPECT_EQ(toFormal(u"-webkit-linear-gradient(45deg, red, blue)"_qs),
              u"linear-gradient(45deg, red, blue)"_qs);
    EXPECT_EQ(toFormal(u"-moz-repeating-linear-gradient(top, red 0, blue 10px)"_qs),
              u"repeating-linear-gradient(to bottom, red 0, blue 10px)"_qs);
    EXPECT_EQ(toFormal(u"-webkit-radial-gradient(center, circle cover, red, blue)"_qs),
              u"radial-gradient(circle cover at center, red, blue)"_qs);
    EXPECT_EQ(toFormal(u"-WEBKIT-Linear-Gradient(TOP, Red, Blue)"_qs),
              u"linear-gradient(to bottom, red, blue)"_qs);
    EXPECT_EQ(toFormal(u"linear-gradient(red,blue)"_qs), u"linear-gradient(red, blue)"_qs);
    EXPECT_EQ(toFormal(u"None"_qs), u"none"_qs);
    // A url() keeps its case: file names depend on it here.
    EXPECT_EQ(toFormal(u"url(Images/A.png)"_qs), u"url(Images/A.png)"_qs);
    // Layers are converted one by one.
    EXPECT_EQ(toFormal(u"url(a.png), -webkit-linear-gradient(top, red, blue)"_qs),
              u"url(a.png), linear-gradient(to bottom, red, blue)"_qs);
}

TEST(GradientColorParser, WritesStandardGradientsInThePrefixedSyntax)
{
    EXPECT_EQ(toPrefixed(u"linear-gradient(to right, red, blue)"_qs),
              u"-webkit-linear-gradient(left, red, blue)"_qs);
    EXPECT_EQ(toPrefixed(u"radial-gradient(circle at center, red, blue)"_qs),
              u"-webkit-radial-gradient(center, circle, red, blue)"_qs);
    EXPECT_EQ(toPrefixed(u"radial-gradient(ellipse farthest-corner at left top, red, blue)"_qs),
              u"-webkit-radial-gradient(left top, ellipse farthest-corner, red, blue)"_qs);
    EXPECT_EQ(toPrefixed(u"linear-gradient(45deg, red, blue)"_qs, QString()),
              u"linear-gradient(45deg, red, blue)"_qs);
    EXPECT_EQ(toPrefixed(u"None"_qs), u"none"_qs);
    EXPECT_EQ(toPrefixed(u"URL(a.PNG)"_qs), u"URL(a.PNG)"_qs);
    EXPECT_EQ(toPrefixed(u"url(B.png), Linear-Gradient(to right, red, blue)"_qs),
              u"url(B.png), -webkit-linear-gradient(left, red, blue)"_qs);
    // Converting back gives the standard form again.
    EXPECT_EQ(toFormal(toPrefixed(u"linear-gradient(to bottom, #fff 0, #e0e0e0 100%)"_qs)),
              u"linear-gradient(to bottom, #fff 0, #e0e0e0 100%)"_qs);
}

TEST(GradientColorParser, TellsColourStopsFromOtherArguments)
{
    const S rgba = S::function(u"rgba"_qs, {S::word(u"0"_qs)});
    EXPECT_TRUE(GradientColorParser::isColor(S::word(u"red"_qs)));
    EXPECT_TRUE(GradientColorParser::isColor(rgba));
    EXPECT_TRUE(GradientColorParser::isColor(S::list({S::word(u"#fff"_qs), S::word(u"10%"_qs)})));
    EXPECT_TRUE(GradientColorParser::isColor(S::list({rgba, S::word(u"10%"_qs)})));
    EXPECT_FALSE(GradientColorParser::isColor(S::word(u"top"_qs)));
    EXPECT_FALSE(GradientColorParser::isColor(S::list({S::word(u"to"_qs), S::word(u"right"_qs)})));
    EXPECT_EQ(GradientColorParser::invertDirection(u"top"_qs), u"bottom"_qs);
    EXPECT_EQ(GradientColorParser::invertDirection(u"center"_qs), u"center"_qs);
}

TEST(GradientColorParser, DecodesGradientsIntoRecords)
{
    const GradientColorParser parser;
    const std::optional<GradientRecord> plain = parser.decode(u"linear-gradient(red, blue)"_qs);
    ASSERT_TRUE(plain.has_value());
    EXPECT_EQ(plain->type, u"linear"_qs);
    EXPECT_EQ(plain->degree, (QStringList{u"to"_qs, u"bottom"_qs}));
    ASSERT_EQ(plain->colorRatios.size(), 2);
    EXPECT_EQ(plain->colorRatios[0].ratio, u"none"_qs);
    EXPECT_EQ(plain->colorRatios[0].unit, -1);

    const std::optional<GradientRecord> stops
        = parser.decode(u"linear-gradient(to right, #ff0000 0%, rgba(0,0,255,0.5) 100%)"_qs);
    ASSERT_TRUE(stops.has_value());
    EXPECT_EQ(stops->degree, (QStringList{u"to"_qs, u"right"_qs}));
    ASSERT_EQ(stops->colorRatios.size(), 2);
    EXPECT_EQ(stops->colorRatios[0].unit, 0);
    EXPECT_EQ(stops->colorRatios[0].ratio, u"0%"_qs);
    EXPECT_EQ(stops->colorRatios[1].unit, 2);
    EXPECT_EQ(stops->colorRatios[1].ratio, u"100%"_qs);
    ASSERT_TRUE(stops->colorRatios[1].color.has_value());
    EXPECT_EQ(*stops->colorRatios[1].color, (RGBAColor{0, 0, 1, 0.5}));
    EXPECT_EQ(
        parser.encode(*stops),
        u"linear-gradient(to right, rgba(255, 0, 0, 1.00) 0%, rgba(0, 0, 255, 0.50) 100%);"_qs);

    const std::optional<GradientRecord> radial
        = parser.decode(u"radial-gradient(circle closest-side at top, red, transparent)"_qs);
    ASSERT_TRUE(radial.has_value());
    EXPECT_EQ(radial->shape, u"circle"_qs);
    EXPECT_EQ(radial->size, u"closest-side"_qs);
    EXPECT_EQ(radial->degree, (QStringList{u"at"_qs, u"top"_qs}));
    ASSERT_EQ(radial->colorRatios.size(), 2);
    EXPECT_EQ(radial->colorRatios[0].unit, 3);
    EXPECT_EQ(radial->colorRatios[1].unit, 2);

    EXPECT_FALSE(parser.decode(u"-webkit-linear-gradient(top, red, blue)"_qs).has_value());
    EXPECT_FALSE(parser.decode(u"url(a.png)"_qs).has_value());
}

TEST(GradientColorParser, ReadsRadialFirstArgumentsOfEveryKind)
{
    const GradientColorParser parser;
    const std::optional<GradientRecord> shape
        = parser.decode(u"radial-gradient(circle, #f00, blue 50%)"_qs);
    ASSERT_TRUE(shape.has_value());
    EXPECT_EQ(shape->shape, u"circle"_qs);
    EXPECT_EQ(shape->size, std::nullopt);
    ASSERT_EQ(shape->colorRatios.size(), 2);
    EXPECT_EQ(shape->colorRatios[1].ratio, u"50%"_qs);

    const std::optional<GradientRecord> stop
        = parser.decode(u"repeating-radial-gradient(#f00, blue)"_qs);
    ASSERT_TRUE(stop.has_value());
    ASSERT_EQ(stop->colorRatios.size(), 2);
    EXPECT_EQ(stop->colorRatios[0].unit, 0);
    EXPECT_EQ(stop->colorRatios[0].color, (RGBAColor{1, 0, 0, 1}));

    // A colour with its position as the first argument is a stop too.
    const std::optional<GradientRecord> positioned
        = parser.decode(u"radial-gradient(red 10%, blue)"_qs);
    ASSERT_TRUE(positioned.has_value());
    ASSERT_EQ(positioned->colorRatios.size(), 2);
    EXPECT_EQ(positioned->colorRatios[0].ratio, u"10%"_qs);
    EXPECT_EQ(positioned->shape, QString());

    GradientRecord record = *shape;
    record.position = u"center"_qs;
    EXPECT_EQ(
        parser.encode(record),
        u"radial-gradient(center, circle, rgba(255, 0, 0, 1.00), rgba(0, 0, 255, 1.00) 50%);"_qs);
    record.type = u"conic"_qs;
    EXPECT_EQ(parser.encode(record), QString());
}

TEST(GradientColorParser, TheGivenPrefixGoesBeforeTheName)
{
    EXPECT_EQ(
        toPrefixed(u"repeating-linear-gradient(to top left, red 0, blue 10px)"_qs, u"-moz-"_qs),
        u"-moz-repeating-linear-gradient(bottom right, red 0, blue 10px)"_qs);
    EXPECT_EQ(toPrefixed(u"radial-gradient(red, blue)"_qs, u"-o-"_qs),
              u"-o-radial-gradient(red, blue)"_qs);
}
