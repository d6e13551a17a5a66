#include "TestPrinters.h"
#include "PanelTestSupport.h"

#include "editors/EditorNumber.h"
#include "editors/StyleValueMap.h"

#include <gtest/gtest.h>

TEST(EditorNumber, NumbersAreWrittenShortestWithoutExponentOrLocale)
{
    EXPECT_EQ(EditorNumber::cssNumber(0.5), QStringLiteral("0.5"));
    EXPECT_EQ(EditorNumber::cssNumber(33.7), QStringLiteral("33.7"));
    EXPECT_EQ(EditorNumber::cssNumber(-0.0), QStringLiteral("0"));
    EXPECT_EQ(EditorNumber::cssNumber(1e-7), QStringLiteral("0.0000001"));
    EXPECT_EQ(EditorNumber::cssNumber(12345678), QStringLiteral("12345678"));
    EXPECT_EQ(EditorNumber::cssNumber(EditorNumber::stepped(0.1 + 0.2)), QStringLiteral("0.3"));
    const auto scanned = EditorNumber::scanNumber(u" -.5em");
    ASSERT_TRUE(scanned);
    EXPECT_EQ(scanned->value, -0.5);
    EXPECT_EQ(scanned->rest, QStringLiteral("em"));
    EXPECT_FALSE(EditorNumber::scanNumber(u"auto"));
    EXPECT_FALSE(EditorNumber::scanNumber(u"-.px"));
}

TEST(StyleValueMap, TheValueInEffectComesFromTheLastDeclarationUnlessAnEarlierOneIsImportant)
{
    StyleValueMap map = StyleValueMap::fromStyleText(
        QStringLiteral("margin: 1px 2px; margin-top: 5px; width: 1px !important; width: 2px; font: 12px serif"));
    EXPECT_EQ(map.lookup(QStringLiteral("margin-top")).value.text, QStringLiteral("5px"));
    EXPECT_EQ(map.lookup(QStringLiteral("margin-left")).value.text, QStringLiteral("2px"));
    const auto width = map.lookup(QStringLiteral("width"));
    EXPECT_EQ(width.value.text, QStringLiteral("1px"));
    EXPECT_TRUE(width.value.important);
    EXPECT_EQ(map.lookup(QStringLiteral("font-size")).state, StyleValueMap::State::Opaque);
    EXPECT_EQ(map.lookup(QStringLiteral("height")).state, StyleValueMap::State::Absent);
    // Taking the four sides takes the shorthand and the longhand.
    map.take({QStringLiteral("margin-top"), QStringLiteral("margin-right"), QStringLiteral("margin-bottom"),
              QStringLiteral("margin-left")});
    QStringList left;
    for (const auto &entry : map.remaining())
        left.append(entry.name);
    EXPECT_EQ(left, (QStringList{"width", "width", "font"}));
}

TEST(StyleValueMap, PrefixedCopiesAndRepeatedImagesAreNotFolded)
{
    const StyleValueMap map = StyleValueMap::fromStyleText(QStringLiteral(
        "background-image: -webkit-linear-gradient(red, blue); background-image: linear-gradient(red, blue);"
        " -webkit-transform: none; transform: none"));
    QStringList written;
    for (const auto &entry : map.declarations())
        written.append(entry.name + u'=' + entry.writtenValue);
    EXPECT_EQ(written, (QStringList{"background-image=-webkit-linear-gradient(red, blue)",
                                    "background-image=linear-gradient(red, blue)", "-webkit-transform=none",
                                    "transform=none"}));
}

TEST(StyleValueMap, BadStyleTextKeepsEveryPieceNoEditorTook)
{
    PanelHarness harness;
    // An unclosed string swallows the rest of the text into its declaration.
    harness.show(QStringLiteral("content: 'abc; width: 1px; color:"));
    EXPECT_EQ(harness.panel.valueFromEditors(), QStringLiteral("content:'abc; width: 1px; color:;"));
    harness.show(QStringLiteral("width:1px;;;  ;color:;/* note */height"));
    EXPECT_EQ(harness.panel.valueFromEditors(), QStringLiteral("color:; height; width:1px;"));

    // Ten thousand declarations: the editors take theirs, the rest stays in order.
    QStringList many;
    QStringList expected;
    for (int i = 0; i < 10000; ++i) {
        many.append(QStringLiteral("--v%1: %1").arg(i));
        expected.append(QStringLiteral("--v%1:%1;").arg(i));
    }
    many.append(QStringLiteral("width: 3px"));
    expected.append(QStringLiteral("width:3px;"));
    harness.show(many.join(QStringLiteral("; ")));
    EXPECT_EQ(harness.panel.originals().size(), 10000);
    EXPECT_EQ(harness.panel.valueFromEditors(), expected.join(u' '));
}
