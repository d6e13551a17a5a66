#include "PopoverTestSupport.h"
#include "TestPrinters.h"

#include "editors/ColorTextEditor.h"
#include "editors/FieldMark.h"
#include "editors/HexColorTextInput.h"
#include "editors/StepNumberTextField.h"
#include "editors/popover/BackgrouImageEditor.h"
#include "editors/popover/DropShadowView.h"
#include "editors/popover/GradientSlider.h"
#include "editors/popover/StyleEditorViewController.h"
#include "platform/kit/ButtonMatrix.h"
#include "platform/kit/PopUpButton.h"

#include <QAbstractButton>
#include <QLineEdit>

#include <gtest/gtest.h>

namespace {

std::unique_ptr<BackgrouImageEditor> gradient(const QString &value)
{
    return opened<BackgrouImageEditor>(QStringLiteral("background-image"), value);
}

QList<float> ratios(const BackgrouImageEditor &editor)
{
    QList<float> list;
    for (const RatioColorPtr &stop : editor.gradientSlider()->ratioColors())
        list.append(stop->ratio());
    return list;
}

} // namespace

TEST(BackgrouImageEditor, StopsWithoutPositionSpreadAndAChangedStopAloneIsWrittenAnew)
{
    EXPECT_EQ(StyleEditorViewController().typeByProp(QStringLiteral("background-image")), QStringLiteral("backgroundImage"));
    Posts posts;
    auto editor = gradient(QStringLiteral("linear-gradient(#ff0000 0%, #00ff00, #0000ff 100%)"));
    EXPECT_EQ(ratios(*editor), (QList<float>{0, 0.5f, 1}));
    EXPECT_TRUE(posts.values.isEmpty());
    // A notation the stop has already changes nothing.
    editor->unitChange(0);
    EXPECT_EQ(posts.last(), QStringLiteral("linear-gradient(#ff0000 0%, #00ff00, #0000ff 100%)"));

    editor = gradient(QStringLiteral("linear-gradient(red, blue 20%, lime, yellow, rgba(0, 0, 0, 0.5))"));
    EXPECT_EQ(ratios(*editor).size(), 5);
    EXPECT_FLOAT_EQ(ratios(*editor).at(2), 0.2f + 0.8f / 3);
    // A stop moved gets its position; a name written over in another notation.
    editor->gradientSlider()->selectRatioColor(editor->gradientSlider()->ratioColors().at(2));
    editor->ratioInput()->setText(QStringLiteral("50"));
    editor->controlTextDidChange(editor->ratioInput());
    EXPECT_EQ(posts.last(), QStringLiteral("linear-gradient(red, blue 20%, lime 50%, yellow, rgba(0, 0, 0, 0.5))"));
    editor->unitChange(1);
    EXPECT_EQ(posts.last(), QStringLiteral("linear-gradient(red, blue 20%, rgb(0, 255, 0) 50%, yellow, rgba(0, 0, 0, 0.5))"));

    // One colour alone is no gradient to edit.
    editor = gradient(QStringLiteral("linear-gradient(red)"));
    EXPECT_TRUE(editor->gradientSlider()->ratioColors().isEmpty());
}

// A framework's gradients, as minified sheets write them (#66).
TEST(BackgrouImageEditor, OneStopsColourChangesOnlyThatStopAndTheOtherLayersStay)
{
    Posts posts;
    auto editor = gradient(QStringLiteral("linear-gradient(180deg,#4E73DF 10%,#224abe 100%)"));
    ASSERT_EQ(ratios(*editor), (QList<float>{0.1f, 1}));
    editor->gradientSlider()->selectRatioColor(editor->gradientSlider()->ratioColors().at(0));
    editor->colorDidChange(RGBAColor{1, 0, 0, 1});
    EXPECT_EQ(posts.last(), QStringLiteral("linear-gradient(180deg,#ff0000 10%,#224abe 100%)"));
    // A colour typed as a name is written as typed.
    editor->colorTextEditor()->commitColorText(QStringLiteral("antiquewhite"), RGBAColor{250 / 255.0, 235 / 255.0, 215 / 255.0, 1},
                                               nullptr);
    EXPECT_EQ(posts.last(), QStringLiteral("linear-gradient(180deg,antiquewhite 10%,#224abe 100%)"));

    editor = gradient(QStringLiteral("linear-gradient(to right, rgba(255,255,255,.15) 0%, rgba(255,255,255,0) 25%, "
                                     "rgba(0,0,0,.1) 75%, rgba(0,0,0,.2) 100%), url(bg.png)"));
    ASSERT_EQ(ratios(*editor).size(), 4);
    editor->gradientSlider()->selectRatioColor(editor->gradientSlider()->ratioColors().at(3));
    editor->colorDidChange(RGBAColor{0, 0, 1, 0.5});
    EXPECT_EQ(posts.last(), QStringLiteral("linear-gradient(to right, rgba(255,255,255,.15) 0%, rgba(255,255,255,0) 25%, "
                                           "rgba(0,0,0,.1) 75%, rgba(0, 0, 255, 0.50) 100%), url(bg.png)"));
    // The direction changed: that part alone is written anew.
    editor->hAngleDescribe()->setTitle(QStringLiteral("left"));
    editor->angleDescribeChange();
    EXPECT_TRUE(posts.last().startsWith(QStringLiteral("linear-gradient(to left, rgba(255,255,255,.15) 0%,")))
        << posts.last().toStdString();
}

// "36b9cc" typed into the gradient's hex field became "3366bb" at its
// third digit: the field a colour is typed in keeps what is typed (#77).
TEST(BackgrouImageEditor, TheHexFieldsOfTheGradientAndShadowEditorsTakeWhatIsTyped)
{
    Posts posts;
    auto editor = gradient(QStringLiteral("linear-gradient(to bottom, #0a5cc4, #042951)"));
    auto shadow = opened<DropShadowView>(QStringLiteral("box-shadow"), QStringLiteral("1px 1px 2px #000000"));
    for (QLineEdit *hex : {editor->colorTextEditor()->hexInput()->hexTextInput(), shadow->colorTextEditor()->hexInput()->hexTextInput()}) {
        typeInto(hex, QStringLiteral("36b9cc"));
        EXPECT_EQ(hex->text(), QStringLiteral("36b9cc"));
        EXPECT_TRUE(posts.last().contains(QStringLiteral("#36b9cc"))) << posts.last().toStdString();
    }
    EXPECT_EQ(posts.last(), QStringLiteral("1px 1px 2px #36b9cc"));
    // A colour picked elsewhere shows in the field.
    editor->swatch()->cellWithTag(0)->click();
    EXPECT_NE(editor->colorTextEditor()->hexInput()->hexTextInput()->text(), QStringLiteral("36b9cc"));
}

TEST(BackgrouImageEditor, NumberFieldsTakeDecimalsAndUnitsAndRefuseOtherText)
{
    Posts posts;
    auto editor = gradient(QStringLiteral("linear-gradient(45deg, red 10%, blue)"));
    typeInto(editor->degreeInput(), QStringLiteral("-22.5"));
    EXPECT_EQ(posts.last(), QStringLiteral("linear-gradient(-22.5deg, red 10%, blue)"));
    typeInto(editor->degreeInput(), QStringLiteral("90deg"));
    EXPECT_EQ(posts.last(), QStringLiteral("linear-gradient(90deg, red 10%, blue)"));
    const qsizetype sent = posts.values.size();
    typeInto(editor->degreeInput(), QStringLiteral("abc"));
    QTest::keyClick(editor->degreeInput(), Qt::Key_Return);
    EXPECT_EQ(posts.values.size(), sent);
    EXPECT_TRUE(FieldMark::isRefused(editor->degreeInput()));
    typeInto(editor->ratioInput(), QStringLiteral("12.5%"));
    EXPECT_EQ(posts.last(), QStringLiteral("linear-gradient(90deg, red 12.5%, blue)"));
}

TEST(BackgrouImageEditor, ReadsAndWritesDirectionsAnglesAndRadialPositions)
{
    Posts posts;
    auto editor = gradient(QStringLiteral("linear-gradient(to bottom, red, blue)"));
    EXPECT_EQ(editor->angleDescribe()->selectedTag(), 0);
    EXPECT_EQ(editor->hAngleDescribe()->titleOfSelectedItem(), QStringLiteral("bottom"));
    editor->angleDescribeChange();
    EXPECT_EQ(posts.last(), QStringLiteral("linear-gradient(to bottom, red, blue)"));

    editor = gradient(QStringLiteral("linear-gradient(90deg, red, blue)"));
    EXPECT_EQ(editor->angleDescribe()->selectedTag(), 1);
    EXPECT_EQ(editor->degreeInput()->text(), QStringLiteral("90.0"));
    EXPECT_FALSE(editor->hAngleDescribe()->isEnabled());
    editor->angleDescribeChange();
    EXPECT_EQ(posts.last(), QStringLiteral("linear-gradient(90deg, red, blue)"));

    editor = gradient(QStringLiteral("radial-gradient(circle at center, red, blue)"));
    EXPECT_TRUE(editor->shapeSelector()->isEnabled());
    EXPECT_EQ(editor->hAngleDescribe()->titleOfSelectedItem(), QString());
    editor->angleDescribeChange();
    EXPECT_EQ(posts.last(), QStringLiteral("radial-gradient(circle, red, blue)"));
    // An empty shape empties the size, and the direction part goes.
    editor->sizeSelector()->setTitle(QStringLiteral("cover"));
    editor->shapeSelector()->setTitle(QString());
    editor->gradientShapeSizeChanged();
    EXPECT_EQ(posts.last(), QStringLiteral("radial-gradient(red, blue)"));
}

TEST(BackgrouImageEditor, PositionsInOtherUnitsThanPercentAreShownButNeverRewritten)
{
    Posts posts;
    auto editor = gradient(QStringLiteral("linear-gradient(red 20px, blue 80px)"));
    EXPECT_TRUE(editor->isReadOnly());
    EXPECT_FALSE(editor->gradientSlider()->isEnabled());
    editor->unitChange(1);
    editor->backgroundTypeChange();
    EXPECT_TRUE(posts.values.isEmpty());
}

TEST(BackgrouImageEditor, AnyTextLoadsWithoutACrash)
{
    Posts posts;
    for (const QString &value : awkwardValues(QStringLiteral("lineargradient(),% #0123456789abcdefredtoatcircle"),
                                              QStringLiteral("red %1%,"), 8)) {
        auto editor = gradient(QStringLiteral("linear-gradient(") + value + QLatin1Char(')'));
        editor->backgroundTypeChange();
        editor = gradient(value);
        editor->backgroundTypeChange();
    }
}
