#include "PopoverTestSupport.h"
#include "TestPrinters.h"

#include "editors/StepNumberTextField.h"
#include "editors/popover/BackgrouImageEditor.h"
#include "editors/popover/GradientSlider.h"
#include "editors/popover/StyleEditorViewController.h"
#include "platform/kit/ButtonMatrix.h"
#include "platform/kit/PopUpButton.h"

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

TEST(BackgrouImageEditor, StopsWithoutPositionSpreadAndEndsAreWrittenWithoutOne)
{
    EXPECT_EQ(StyleEditorViewController().typeByProp(QStringLiteral("background-image")), QStringLiteral("backgroundImage"));
    Posts posts;
    auto editor = gradient(QStringLiteral("linear-gradient(#ff0000 0%, #00ff00, #0000ff 100%)"));
    EXPECT_EQ(ratios(*editor), (QList<float>{0, 0.5f, 1}));
    EXPECT_TRUE(posts.values.isEmpty());
    editor->unitChange(0);
    EXPECT_EQ(posts.last(), QStringLiteral("linear-gradient(#ff0000, #00ff00 50%, #0000ff)"));

    editor = gradient(QStringLiteral("linear-gradient(red, blue 20%, lime, yellow, rgba(0, 0, 0, 0.5))"));
    EXPECT_EQ(ratios(*editor).size(), 5);
    EXPECT_FLOAT_EQ(ratios(*editor).at(2), 0.2f + 0.8f / 3);
    editor->backgroundTypeChange();
    // Named colours are written as hex; an alpha keeps rgba().
    EXPECT_EQ(posts.last(),
              QStringLiteral("linear-gradient(#ff0000, #0000ff 20%, #00ff00 47%, #ffff00 73%, rgba(0, 0, 0, 0.50))"));

    // One colour alone is no gradient to edit.
    editor = gradient(QStringLiteral("linear-gradient(red)"));
    EXPECT_TRUE(editor->gradientSlider()->ratioColors().isEmpty());
}

TEST(BackgrouImageEditor, ReadsAndWritesDirectionsAnglesAndRadialPositions)
{
    Posts posts;
    auto editor = gradient(QStringLiteral("linear-gradient(to bottom, red, blue)"));
    EXPECT_EQ(editor->angleDescribe()->selectedTag(), 0);
    EXPECT_EQ(editor->hAngleDescribe()->titleOfSelectedItem(), QStringLiteral("bottom"));
    editor->angleDescribeChange();
    EXPECT_EQ(posts.last(), QStringLiteral("linear-gradient(to bottom,#ff0000, #0000ff)"));

    editor = gradient(QStringLiteral("linear-gradient(90deg, red, blue)"));
    EXPECT_EQ(editor->angleDescribe()->selectedTag(), 1);
    EXPECT_EQ(editor->degreeInput()->text(), QStringLiteral("90.0"));
    EXPECT_FALSE(editor->hAngleDescribe()->isEnabled());
    editor->angleDescribeChange();
    EXPECT_EQ(posts.last(), QStringLiteral("linear-gradient(90deg,#ff0000, #0000ff)"));

    editor = gradient(QStringLiteral("radial-gradient(circle at center, red, blue)"));
    EXPECT_TRUE(editor->shapeSelector()->isEnabled());
    EXPECT_EQ(editor->hAngleDescribe()->titleOfSelectedItem(), QString());
    editor->angleDescribeChange();
    EXPECT_EQ(posts.last(), QStringLiteral("radial-gradient(circle, #ff0000, #0000ff)"));
    // An empty shape empties the size.
    editor->sizeSelector()->setTitle(QStringLiteral("cover"));
    editor->shapeSelector()->setTitle(QString());
    editor->gradientShapeSizeChanged();
    EXPECT_EQ(posts.last(), QStringLiteral("radial-gradient(#ff0000, #0000ff)"));
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
