#include "cssvalues/DropShadowValue.h"

#include <QLocale>

#include <gtest/gtest.h>

#include <clocale>

namespace DropShadowValueTest {

namespace {

void expectLength(const QVariant &value, const QString &unit, const char *expected)
{
    EXPECT_EQ(LengthValue(value, unit).stringValue().toStdString(), expected);
}

DropShadowValue shadow(double x, double y, std::optional<double> blur, std::optional<double> spread,
                       std::optional<RGBAColor> color, bool inset = false)
{
    DropShadowValue layer;
    layer.setX(LengthValue(x, QStringLiteral("px")));
    layer.setY(LengthValue(y, QStringLiteral("px")));
    if (blur)
        layer.setBlur(LengthValue(*blur, QStringLiteral("px")));
    if (spread)
        layer.setSpread(LengthValue(*spread, QStringLiteral("px")));
    layer.setColor(color);
    layer.setInset(inset);
    return layer;
}

} // namespace

TEST(LengthValue, PrintsNumbersTheWayPrintfPercentGDoes)
{
    expectLength(1, QStringLiteral("px"), "1px");
    expectLength(0, QString(), "0");
    expectLength(0.5, QStringLiteral("em"), "0.5em");
    expectLength(2.25, QStringLiteral("%"), "2.25%");
    expectLength(-3, QStringLiteral("rem"), "-3rem");
    expectLength(1234567, QString(), "1.23457e+06");
    expectLength(0.00001, QStringLiteral("px"), "1e-05px");
    expectLength(1.0 / 3.0, QStringLiteral("em"), "0.333333em");
}

TEST(LengthValue, PrintsNumbersInTheCLocaleWhateverTheDesktopLanguage)
{
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const char *previousNumeric = std::setlocale(LC_NUMERIC, nullptr);
    const std::string savedNumeric = previousNumeric ? previousNumeric : "C";
    std::setlocale(LC_NUMERIC, "de_DE.UTF-8");

    expectLength(0.5, QStringLiteral("em"), "0.5em");
    expectLength(1234567.0, QStringLiteral("px"), "1.23457e+06px");

    std::setlocale(LC_NUMERIC, savedNumeric.c_str());
    QLocale::setDefault(previous);
}

TEST(LengthValue, PrintsAKeywordValueAsItselfAndNothingWithoutAValue)
{
    expectLength(QStringLiteral("auto"), QStringLiteral("px"), "auto");
    EXPECT_TRUE(LengthValue().stringValue().isNull());
    EXPECT_FALSE(LengthValue().isValid());
    EXPECT_EQ(LengthValue::defaultValue().stringValue(), QStringLiteral("1px"));
}

TEST(DropShadowValue, WritesInsetFirstAndTheColourLast)
{
    const RGBAColor red{1, 0, 0, 1};
    EXPECT_EQ(DropShadowValue::defaultValue().stringValue(), QStringLiteral("1px 1px #000000"));
    EXPECT_EQ(shadow(2, 3, 4, 1, red, true).stringValue(), QStringLiteral("inset 2px 3px 4px 1px #ff0000"));
    EXPECT_EQ(shadow(1, 1, {}, {}, {}).stringValue(), QStringLiteral("1px 1px"));
    // Without blur the spread follows y directly.
    EXPECT_EQ(shadow(1, 2, {}, 5, {}).stringValue(), QStringLiteral("1px 2px 5px"));
    EXPECT_EQ(shadow(0, 0, 3, {}, RGBAColor{0, 0, 0, 0.5}).stringValue(),
              QStringLiteral("0px 0px 3px rgba(0, 0, 0, 0.50)"));
}

} // namespace DropShadowValueTest
