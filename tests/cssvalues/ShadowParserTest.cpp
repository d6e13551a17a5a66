#include "TestUtil.h"

#include "cssvalues/BoxShadowParser.h"
#include "cssvalues/TextShadowParser.h"
#include "grammar/GrammarTestSupport.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace ShadowParserTest {

namespace {

const RGBAColor s_red{1, 0, 0, 1};

// The layers' CSS texts joined by ", "; "nil" when the text was refused.
std::string layers(const std::optional<DropShadowList> &shadows)
{
    if (!shadows)
        return "nil";
    QStringList texts;
    for (const DropShadowValuePtr &shadow : *shadows)
        texts.append(shadow->stringValue());
    return texts.join(QStringLiteral(", ")).toStdString();
}

void expectColor(const std::optional<RGBAColor> &color, RGBAColor expected)
{
    ASSERT_TRUE(color);
    EXPECT_NEAR(color->red, expected.red, 1e-6);
    EXPECT_NEAR(color->green, expected.green, 1e-6);
    EXPECT_NEAR(color->blue, expected.blue, 1e-6);
    EXPECT_NEAR(color->alpha, expected.alpha, 1e-6);
}

void expectLength(const std::optional<LengthValue> &length, double value, const char *unit)
{
    ASSERT_TRUE(length);
    EXPECT_DOUBLE_EQ(length->value().toDouble(), value);
    EXPECT_EQ(length->unit().toStdString(), unit);
}

class TextShadowParserTest : public ::testing::Test
{
protected:
    std::string texts(const char *value) { return layers(m_parser.parse(QString::fromUtf8(value))); }
    TextShadowParser m_parser;
};

class BoxShadowParserTest : public ::testing::Test
{
protected:
    std::string texts(const char *value) { return layers(m_parser.parse(QString::fromUtf8(value))); }
    BoxShadowParser m_parser;
};

} // namespace

TEST_F(TextShadowParserTest, ReadsLengthsFollowedByAColourAsOneLayer)
{
    const std::optional<DropShadowList> shadows = m_parser.parse(QStringLiteral("2px 3px 4px red"));
    ASSERT_TRUE(shadows);
    ASSERT_EQ(shadows->size(), 1);
    const DropShadowValue &layer = *shadows->first();
    expectLength(layer.x(), 2, "px");
    expectLength(layer.y(), 3, "px");
    expectLength(layer.blur(), 4, "px");
    EXPECT_FALSE(layer.spread());
    EXPECT_FALSE(layer.inset());
    expectColor(layer.color(), s_red);
}

TEST_F(TextShadowParserTest, ReadsLayersSeparatedByCommasInTextOrder)
{
    const std::optional<DropShadowList> shadows = m_parser.parse(QStringLiteral("1px 1px 2px black, 0 0 1em blue"));
    ASSERT_TRUE(shadows);
    ASSERT_EQ(shadows->size(), 2);
    expectColor(shadows->at(0)->color(), RGBAColor{0, 0, 0, 1});
    expectLength(shadows->at(1)->x(), 0, "");
    EXPECT_TRUE(shadows->at(1)->x().unit().isNull());
    expectLength(shadows->at(1)->blur(), 1, "em");
    expectColor(shadows->at(1)->color(), RGBAColor{0, 0, 1, 1});

    EXPECT_EQ(texts("rgba(0,0,0,0.5) 1px 1px"), "1px 1px rgba(0, 0, 0, 0.50)");
    EXPECT_EQ(texts("rgba(255, 0, 0, 0.25) 1px 2px, rgb(0, 128, 0) 3px 4px 5px,1px 1px 0 rgba(0,0,255,1)"),
              "1px 2px rgba(255, 0, 0, 0.25), 3px 4px 5px #008000, 1px 1px 0 #0000ff");
}

TEST_F(TextShadowParserTest, TakesBlanksWhereverCssAllowsThem)
{
    EXPECT_EQ(texts("  1px 1px red  ,  2px 2px  "), "1px 1px #ff0000, 2px 2px");
    EXPECT_EQ(texts("1px\t1px\n2px"), "1px 1px 2px");
    EXPECT_EQ(texts("rgba( 0 , 0 , 0 , 0.5 ) 1px 1px"), "1px 1px rgba(0, 0, 0, 0.50)");
    EXPECT_EQ(texts("1px 1px rgb(0,0,0 )"), "1px 1px #000000");
}

TEST_F(TextShadowParserTest, NoneGivesNoLayersAndNoColourGivesALayerWithoutOne)
{
    EXPECT_EQ(texts("none"), "");
    EXPECT_EQ(texts(" none "), "");
    const std::optional<DropShadowList> shadows = m_parser.parse(QStringLiteral("1px 1px"));
    ASSERT_TRUE(shadows);
    ASSERT_EQ(shadows->size(), 1);
    EXPECT_FALSE(shadows->first()->color());
}

TEST_F(TextShadowParserTest, HexColoursKeepAllTheirDigits)
{
    // "1e3" would read as the number 1000 and "00ff00" as 0 and a name.
    EXPECT_EQ(texts("#1e3 1px 1px"), "1px 1px #11ee33");
    EXPECT_EQ(texts("1px 1px #00ff00"), "1px 1px #00ff00");
    EXPECT_EQ(texts("1px 1px 2px #ABCDEF"), "1px 1px 2px #abcdef");
    EXPECT_EQ(texts("1px 1px #12"), "nil");
    EXPECT_EQ(texts("1px 1px #1234"), "nil");
    EXPECT_EQ(texts("1px 1px #ff0000px"), "nil");
}

TEST_F(TextShadowParserTest, ColourNamesAreCaseInsensitiveAndUnknownNamesRefuseTheValue)
{
    EXPECT_EQ(texts("1px 1px Red"), "1px 1px #ff0000");
    EXPECT_EQ(texts("transparent 1px 1px"), "1px 1px rgba(0, 0, 0, 0.00)");
    // Keeping the layer without its colour would lose the name on write-back.
    EXPECT_EQ(texts("1px 1px notacolour"), "nil");
    // The colour table has it as black, which it is not.
    EXPECT_EQ(texts("1px 1px currentColor"), "nil");
    // Channels are clamped as CSS does; the colour texts could not hold them.
    EXPECT_EQ(texts("rgb(300, 0, -5) 1px 1px"), "1px 1px #ff0000");
    EXPECT_EQ(texts("rgba(0, 0, 0, 7) 1px 1px"), "1px 1px #000000");
}

TEST_F(TextShadowParserTest, RefusesTextsThatAreNoTextShadow)
{
    for (const char *text : {"", " ", "1px", "1px 1px 1px 1px", "1pt 1pt", "1px 1px,", ", 1px 1px", "1px  , , 1px 1px",
                             "1px 1px red blue", "red", "inset 1px 1px", "pxx 1px", "1pxx 1px", "1px 1px @",
                             "rgb(1, 2) 1px 1px", "rgba(1, 2, 3) 1px 1px", "rgb(1,2,3 1px 1px", "none, 1px 1px",
                             "1e999px 1px", "1px -1e999px"})
        EXPECT_EQ(texts(text), "nil") << text;
}

TEST_F(TextShadowParserTest, EachParseAnswersNewLayers)
{
    const std::optional<DropShadowList> first = m_parser.parse(QStringLiteral("1px 1px red"));
    const std::optional<DropShadowList> second = m_parser.parse(QStringLiteral("1px 1px red"));
    ASSERT_TRUE(first && second);
    ASSERT_EQ(first->size(), 1);
    ASSERT_EQ(second->size(), 1);
    EXPECT_NE(first->first(), second->first());
    second->first()->setInset(true);
    EXPECT_FALSE(first->first()->inset());
}

TEST_F(BoxShadowParserTest, ReadsAColourFirstLayerWithSpread)
{
    const std::optional<DropShadowList> shadows = m_parser.parse(QStringLiteral("red 1px 2px 3px 4px"));
    ASSERT_TRUE(shadows);
    ASSERT_EQ(shadows->size(), 1);
    const DropShadowValue &layer = *shadows->first();
    expectLength(layer.x(), 1, "px");
    expectLength(layer.y(), 2, "px");
    expectLength(layer.blur(), 3, "px");
    expectLength(layer.spread(), 4, "px");
    expectColor(layer.color(), s_red);
    EXPECT_FALSE(layer.inset());
    EXPECT_EQ(layer.stringValue(), QStringLiteral("1px 2px 3px 4px #ff0000"));
}

TEST_F(BoxShadowParserTest, ReadsInsetAfterTheLengths)
{
    const std::optional<DropShadowList> shadows = m_parser.parse(QStringLiteral("1px 1px inset"));
    ASSERT_TRUE(shadows);
    ASSERT_EQ(shadows->size(), 1);
    EXPECT_TRUE(shadows->first()->inset());
    EXPECT_FALSE(shadows->first()->blur());
    EXPECT_EQ(shadows->first()->stringValue(), QStringLiteral("inset 1px 1px"));
    // The engine's own serialisation: colour first, every length, inset last.
    EXPECT_EQ(texts("rgb(255, 0, 0) 1px 2px 0px 0px inset"), "inset 1px 2px 0px 0px #ff0000");
}

TEST_F(BoxShadowParserTest, ReadsInsetBeforeTheLayerAndTheColourAfterTheLengths)
{
    EXPECT_EQ(texts("inset 2px 3px 4px 1px #ff0000"), "inset 2px 3px 4px 1px #ff0000");
    EXPECT_EQ(texts("inset red 1px 1px"), "inset 1px 1px #ff0000");
    EXPECT_EQ(texts("0 1px 2px rgba(0, 0, 0, 0.2)"), "0 1px 2px rgba(0, 0, 0, 0.20)");
    EXPECT_EQ(texts("1px 1px 2px 3px blue inset"), "inset 1px 1px 2px 3px #0000ff");
    EXPECT_EQ(texts("1px 1px red, inset 0 0 5px 2px #000 ,2px 2px"),
              "1px 1px #ff0000, inset 0 0 5px 2px #000000, 2px 2px");
}

// The box-shadow editor writes every layer with stringValue(); each of its
// texts must read back to the same layer.
TEST_F(BoxShadowParserTest, ReadsBackEveryLayerTheEditorWrites)
{
    const std::optional<RGBAColor> colors[] = {std::nullopt, s_red, RGBAColor{0.2, 0.4, 0.6, 0.5}};
    int checked = 0;
    for (bool inset : {false, true}) {
        for (int lengths = 2; lengths <= 4; ++lengths) {
            for (const std::optional<RGBAColor> &color : colors) {
                DropShadowValue layer;
                layer.setInset(inset);
                layer.setX(LengthValue(-1.5, QStringLiteral("px")));
                layer.setY(LengthValue(2, QStringLiteral("em")));
                if (lengths >= 3)
                    layer.setBlur(LengthValue(3, QStringLiteral("rem")));
                if (lengths >= 4)
                    layer.setSpread(LengthValue(0, QString()));
                layer.setColor(color);
                const QString written = layer.stringValue();
                const std::optional<DropShadowList> read = m_parser.parse(written);
                ASSERT_TRUE(read) << written.toStdString();
                ASSERT_EQ(read->size(), 1);
                const DropShadowValue &back = *read->first();
                EXPECT_EQ(back.inset(), inset) << written.toStdString();
                EXPECT_EQ(back.blur().has_value(), lengths >= 3) << written.toStdString();
                EXPECT_EQ(back.spread().has_value(), lengths >= 4) << written.toStdString();
                EXPECT_EQ(back.color().has_value(), color.has_value()) << written.toStdString();
                EXPECT_EQ(back.stringValue(), written);
                ++checked;
            }
        }
    }
    EXPECT_EQ(checked, 18);
}

TEST_F(BoxShadowParserTest, RefusesTextsThatAreNoBoxShadow)
{
    for (const char *text : {"", "1px", "1px 1px 1px 1px 1px", "inset", "inset 1px 1px inset", "inset inset 1px 1px",
                             "1px 1px red red", "1px 1px, none", "1px insetx 1px", "red 1px 1px blue", "1px 1px;"})
        EXPECT_EQ(texts(text), "nil") << text;
}

TEST(ShadowParser, AMissingOrBrokenGrammarRefusesEveryText)
{
    QTemporaryDir folder;
    const QString broken = folder.filePath(QStringLiteral("broken.grammar"));
    TestUtil::writeFile(broken, "ShadowGroup ::= <Shadow> <FollowShadow>*");
    // Reads, but "1px" could both end the layer and start the next one.
    const QString ambiguous = folder.filePath(QStringLiteral("ambiguous.grammar"));
    TestUtil::writeFile(ambiguous, "ShadowGroup ::= <Length>+ | <Length>+ <Length>; Length ::= 'Number' 'px';");
    for (const QString &path : {folder.filePath(QStringLiteral("missing.grammar")), broken, ambiguous}) {
        TextShadowParser parser(path);
        EXPECT_FALSE(parser.parse(QStringLiteral("1px 1px")));
        EXPECT_TRUE(parser.tokeniser()) << "set up once, even when the grammar failed";
        EXPECT_FALSE(parser.parse(QStringLiteral("1px 1px")));
    }
}

TEST(ShadowParser, BuildsItsTablesOnTheFirstParse)
{
    BoxShadowParser parser;
    EXPECT_FALSE(parser.tokeniser());
    EXPECT_FALSE(parser.parser());
    EXPECT_TRUE(parser.parse(QStringLiteral("1px 1px")));
    EXPECT_TRUE(parser.tokeniser());
    EXPECT_TRUE(parser.parser());
}

} // namespace ShadowParserTest
