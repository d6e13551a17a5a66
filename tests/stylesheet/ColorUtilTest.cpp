#include "stylesheet/ColorUtil.h"
#include "stylesheet/CSSValueKeywords.h"

#include <QLocale>

#include <clocale>

#include "StyleSheetTestUtil.h"

#include <gtest/gtest.h>

namespace {

QString css(const QString &text)
{
    const std::optional<RGBAColor> color = ColorUtil::createNSColorWithString(text);
    return color ? ColorUtil::cssColorValue(*color) : u"nil"_qs;
}

} // namespace

// QColor keeps 16-bit channels: a lightness of 25% stored there reads back as
// 0x80, not 0x7f. Colour texts are computed from the float components.
TEST(ColorUtil, ChannelRoundingUsesTheFloatComponents)
{
    EXPECT_EQ(css(u"hsla(0, 100%, 25%, 1)"_qs), u"#7f0000"_qs);
    EXPECT_EQ(ColorUtil::hexadecimalValue(RGBAColor{0.5, 0.5, 0.5, 1}), u"7f7f7f"_qs);
    EXPECT_EQ(ColorUtil::hexadecimalValue(RGBAColor{1, 0, 0, 1}), u"ff0000"_qs);
    EXPECT_EQ(css(u"hsla(120, 100%, 50%, 1)"_qs), u"#00ff00"_qs);
    EXPECT_EQ(css(u"hsla(210, 50%, 40%, 0.25)"_qs), u"rgba(51, 102, 153, 0.25)"_qs);
    EXPECT_EQ(css(u"hsla(0, 0%, 60%, 1)"_qs), u"#999999"_qs);
}

TEST(ColorUtil, ReadsHexTextsAsThePlatformScannerDoes)
{
    EXPECT_EQ(ColorUtil::colorFromHexadecimalValue(u"#abc"_qs),
              ColorUtil::colorFromHexadecimalValue(u"aabbcc"_qs));
    EXPECT_EQ(ColorUtil::hexadecimalValue(ColorUtil::colorFromHexadecimalValue(u"#12345"_qs)),
              u"012345"_qs);
    EXPECT_EQ(ColorUtil::colorFromHexadecimalValue(u"#xyz"_qs), (RGBAColor{0, 0, 0, 1}));
    EXPECT_EQ(ColorUtil::hexadecimalValue(ColorUtil::colorFromHexadecimalValue(u"0x11223344"_qs)),
              u"223344"_qs);
    EXPECT_EQ(ColorUtil::hexadecimalValue(ColorUtil::colorFromHexadecimalValue(u"fffffffff"_qs)),
              u"ffffff"_qs);
}

TEST(ColorUtil, WritesOpaqueColoursAsHexAndOthersAsRgba)
{
    EXPECT_EQ(ColorUtil::cssColorValue(RGBAColor{1, 0, 0, 0.5}), u"rgba(255, 0, 0, 0.50)"_qs);
    EXPECT_EQ(ColorUtil::cssColorValueRGB(RGBAColor{0, 0.5, 1, 0.5}), u"rgb(0, 127, 255)"_qs);
    EXPECT_EQ(ColorUtil::cssColorValueRGBA(RGBAColor{0, 0, 0, 1}), u"rgba(0, 0, 0, 1.00)"_qs);
}

TEST(ColorUtil, ReadsColourTextsCaseSensitively)
{
    EXPECT_EQ(css(u"rgb(255, 0, 0)"_qs), u"#ff0000"_qs);
    EXPECT_EQ(css(u"rgba(0, 0, 255, 0.5)"_qs), u"rgba(0, 0, 255, 0.50)"_qs);
    EXPECT_EQ(css(u"red"_qs), u"#ff0000"_qs);
    EXPECT_EQ(css(u"#FFF"_qs), u"#ffffff"_qs);
    EXPECT_EQ(css(u"hsl(0, 100%, 50%)"_qs), u"nil"_qs);
    EXPECT_EQ(css(u"RGB(1, 2, 3)"_qs), u"nil"_qs);
    EXPECT_EQ(css(u"Red"_qs), u"nil"_qs);
    EXPECT_EQ(css(u"rgb(1, 2)"_qs), u"nil"_qs);
    EXPECT_EQ(css(u"rgb(1, x, 3)"_qs), u"nil"_qs);
    EXPECT_EQ(css(u"blu"_qs), u"nil"_qs);
    const std::optional<RGBAColor> transparent
        = ColorUtil::createNSColorWithString(u"transparent"_qs);
    ASSERT_TRUE(transparent.has_value());
    EXPECT_EQ(transparent->alpha, 0.0);
}

TEST(ColorUtil, TellsTheNotationOfAColourText)
{
    EXPECT_EQ(ColorUtil::getUnitWithString(u"red"_qs), 0);
    EXPECT_EQ(ColorUtil::getUnitWithString(u"#fff"_qs), 0);
    EXPECT_EQ(ColorUtil::getUnitWithString(u"rgb(1,2,3)"_qs), 1);
    EXPECT_EQ(ColorUtil::getUnitWithString(u"rgba(1,2,3,0.5)"_qs), 2);
    EXPECT_EQ(ColorUtil::getUnitWithString(u"hsla(1,2%,3%,0.5)"_qs), 2);
    EXPECT_EQ(ColorUtil::getUnitWithString(u"abc"_qs), 0);
}

TEST(ColorUtil, NamedColoursAndSwatches)
{
    EXPECT_EQ(ColorUtil::colorNameToHex(u"grey"_qs), u"#808080"_qs);
    EXPECT_EQ(ColorUtil::colorNameToHex(u"gray"_qs), u"#808080"_qs);
    EXPECT_EQ(ColorUtil::colorNameToHex(u"transparent"_qs), u"#000000"_qs);
    EXPECT_EQ(ColorUtil::colorNameToHex(u"-webkit-link"_qs), u"#3D02F2"_qs);
    EXPECT_EQ(ColorUtil::colorNameToHex(u"Red"_qs), QString());
    EXPECT_EQ(ColorUtil::colorNameToHex(u"aliceblue"_qs), QString());
    EXPECT_EQ(CSSValueKeywords::colorNameToHex(u"aliceblue"_qs), u"#000000"_qs);
    EXPECT_EQ(CSSValueKeywords::colorNameToHex(u"rebeccapurple"_qs), u"#000000"_qs);
    EXPECT_EQ(CSSValueKeywords::colorNameToHex(u"lightgoldenrodyellow"_qs), u"#FAFAD2"_qs);
    const QStringList swatches = ColorUtil::pantoneColors();
    ASSERT_EQ(swatches.size(), 112);
    EXPECT_EQ(swatches.first(), u"#000000"_qs);
    EXPECT_EQ(swatches.last(), u"#FEDEFA"_qs);
}

TEST(ColorUtil, NumbersAreReadAndWrittenInTheCLocale)
{
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const char *cLocale = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = cLocale ? cLocale : "C";
    std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
    EXPECT_EQ(css(u"rgba(10, 20, 30, 0.5)"_qs), u"rgba(10, 20, 30, 0.50)"_qs);
    EXPECT_EQ(css(u"hsla(0, 100%, 50%, .75)"_qs), u"rgba(255, 0, 0, 0.75)"_qs);
    std::setlocale(LC_NUMERIC, saved.c_str());
    QLocale::setDefault(previous);
}
