#include "PopoverTestSupport.h"

#include "editors/ColorTextEditor.h"
#include "editors/FieldMark.h"
#include "editors/HexColorTextInput.h"
#include "editors/StepNumberTextField.h"
#include "editors/popover/ColorEditorView.h"
#include "editors/popover/NumberEditor.h"
#include "editors/popover/SingleSizeEditorView.h"
#include "editors/popover/StyleEditorViewController.h"
#include "editors/popover/TimeEditorView.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/ButtonMatrix.h"
#include "platform/kit/ColorWell.h"
#include "platform/kit/SegmentedControl.h"
#include "platform/kit/Stepper.h"
#include "stylesheet/ColorUtil.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QSlider>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <memory>

namespace {

void clickSegment(SegmentedControl *control, int segment)
{
    QTest::mouseClick(control, Qt::LeftButton, {}, control->rectForSegment(segment).center());
}

} // namespace

TEST(StyleEditorViewController, ChoosesTheEditorByTheExactPropertyName)
{
    EXPECT_EQ(StyleEditorViewController::tableTypeByProp(QStringLiteral("font-size")), QStringLiteral("singleSize"));
    EXPECT_EQ(StyleEditorViewController::tableTypeByProp(QStringLiteral("transform")), QStringLiteral("degree"));
    EXPECT_EQ(StyleEditorViewController::tableTypeByProp(QStringLiteral("opacity")), QStringLiteral("number"));
    EXPECT_EQ(StyleEditorViewController::tableTypeByProp(QStringLiteral("animation-delay")), QStringLiteral("time"));
    EXPECT_EQ(StyleEditorViewController::tableTypeByProp(QStringLiteral("transform-origin")), QStringLiteral("transformOrigin"));
    EXPECT_EQ(StyleEditorViewController::tableTypeByProp(QStringLiteral("tap-highlight-color")), QStringLiteral("color"));
    EXPECT_EQ(StyleEditorViewController::tableTypeByProp(QStringLiteral("Color")), QStringLiteral("noEditor"));
    EXPECT_EQ(StyleEditorViewController::tableTypeByProp(QStringLiteral("-webkit-transform")), QStringLiteral("noEditor"));
    EXPECT_EQ(StyleEditorViewController::tableTypeByProp(QStringLiteral(" color")), QStringLiteral("noEditor"));

    // Every built editor answers its type; the others "noEditor".
    StyleEditorViewController controller;
    EXPECT_TRUE(controller.isEditable(QStringLiteral("border-top-color")));
    EXPECT_FALSE(controller.isEditable(QStringLiteral("display")));
}

TEST(StyleEditorViewController, EachOpeningInstallsAFreshEditorSizedView)
{
    StyleEditorViewController controller;
    Posts posts;
    controller.initializeEditorView(QStringLiteral("color"), QStringLiteral("red"));
    QPointer<StyleEditorView> first = controller.editorView();
    ASSERT_TRUE(first);
    EXPECT_EQ(first->type(), QStringLiteral("color"));
    EXPECT_EQ(controller.view()->size(), first->size());
    controller.initializeEditorView(QStringLiteral("width"), QStringLiteral("10px"));
    EXPECT_FALSE(first);
    ASSERT_TRUE(controller.editorView());
    EXPECT_EQ(controller.editorView()->type(), QStringLiteral("singleSize"));
    EXPECT_EQ(controller.view()->size(), controller.editorView()->size());
    // An editor without a type leaves the view empty.
    controller.initializeEditorView(QStringLiteral("display"), QStringLiteral("block"));
    EXPECT_FALSE(controller.editorView());
    EXPECT_TRUE(posts.values.isEmpty());
}

TEST(StyleEditorView, ReadsTheValueWithoutImportantAndSendsItBackWithEveryChange)
{
    Posts posts;
    auto editor = opened<ColorEditorView>(QStringLiteral("color"), QStringLiteral("  RED !important\t"));
    EXPECT_EQ(editor->value(), QStringLiteral("red"));
    EXPECT_TRUE(editor->isImportant());
    EXPECT_TRUE(posts.values.isEmpty());
    editor->handleRadioClick(0);
    EXPECT_TRUE(posts.last().endsWith(QStringLiteral(" !important")));
    // Without "!important" nothing is trimmed.
    auto size = opened<SingleSizeEditorView>(QStringLiteral("width"), QStringLiteral(" 12px"));
    EXPECT_EQ(size->value(), QStringLiteral(" 12px"));
}

TEST(ColorEditorView, WritesTheColourInTheChosenNotationAndKeepsAnAlpha)
{
    Posts posts;
    auto editor = opened<ColorEditorView>(QStringLiteral("color"), QStringLiteral("#FFF"));
    EXPECT_EQ(editor->radioGroup()->selectedTag(), 0);
    editor->unitChange(1);
    EXPECT_EQ(posts.last(), QStringLiteral("rgb(255, 255, 255)"));
    editor->radioGroup()->cellWithTag(2)->click();
    EXPECT_EQ(posts.last(), QStringLiteral("rgba(255, 255, 255, 1.00)"));

    // hsla() reads as notation 2 and is written as rgba().
    editor = opened<ColorEditorView>(QStringLiteral("color"), QStringLiteral("hsla(120, 100%, 50%, 0.5)"));
    EXPECT_EQ(editor->radioGroup()->selectedTag(), 2);
    EXPECT_EQ(editor->colorTextEditor()->getUnit(), 2);
    editor->unitChange(2);
    EXPECT_EQ(posts.last(), QStringLiteral("rgba(0, 255, 0, 0.50)"));

    // "transparent" stays transparent.
    editor = opened<ColorEditorView>(QStringLiteral("background-color"), QStringLiteral("transparent"));
    ASSERT_TRUE(editor->color());
    EXPECT_EQ(editor->color()->alpha, 0.0);
    editor->colorChange();
    EXPECT_EQ(posts.last(), QStringLiteral("rgba(0, 0, 0, 0.00)"));

    // A swatch writes its colour.
    editor = opened<ColorEditorView>(QStringLiteral("color"), QStringLiteral("red"));
    editor->swatch()->cellWithTag(5)->click();
    EXPECT_EQ(posts.last().size(), 7);
    EXPECT_TRUE(posts.last().startsWith(QLatin1Char('#')));
}

TEST(ColorEditorView, AnUnreadableColourShowsAnEmptyWellAndWritesNothingUntilOneIsPicked)
{
    Posts posts;
    for (const QString &value : {QStringLiteral("inherit"), QString(), QStringLiteral("none"), QStringLiteral("rgb(1,2"),
                                 QStringLiteral("#"), QStringLiteral("hsla(")}) {
        auto editor = opened<ColorEditorView>(QStringLiteral("color"), value);
        EXPECT_FALSE(editor->colorWell()->color()) << value.toStdString();
        editor->unitChange(1);
        EXPECT_TRUE(posts.values.isEmpty()) << value.toStdString();
    }
    auto editor = opened<ColorEditorView>(QStringLiteral("color"), QStringLiteral("inherit"));
    editor->unitChange(0);
    editor->swatch()->cellWithTag(0)->click();
    EXPECT_EQ(posts.values.size(), 1);
}

TEST(ColorEditorView, TypingAHexColourShowsTheTypedTextAndSendsEachCompleteColour)
{
    Posts posts;
    auto editor = opened<ColorEditorView>(QStringLiteral("color"), QStringLiteral("#000000"));
    QLineEdit *hex = editor->colorTextEditor()->hexInput()->hexTextInput();
    typeInto(hex, QStringLiteral("f"));
    QTest::keyClicks(hex, QStringLiteral("ff"));
    EXPECT_EQ(hex->text(), QStringLiteral("fff"));
    EXPECT_EQ(posts.values, QStringList{QStringLiteral("#ffffff")});
    EXPECT_EQ(editor->colorWell()->color(), QColor(Qt::white));
}

TEST(ColorEditorView, AColourTypedAsANameIsWrittenAsTyped)
{
    Posts posts;
    auto editor = opened<ColorEditorView>(QStringLiteral("color"), QStringLiteral("#000000"));
    QLineEdit *hex = editor->colorTextEditor()->hexInput()->hexTextInput();
    typeInto(hex, QStringLiteral("antiquewhite"));
    EXPECT_EQ(posts.last(), QStringLiteral("antiquewhite"));
    EXPECT_EQ(editor->colorWell()->color(), QColor(250, 235, 215));
    typeInto(hex, QStringLiteral("currentcolor"));
    QTest::keyClick(hex, Qt::Key_Return);
    EXPECT_EQ(posts.last(), QStringLiteral("currentcolor"));
    EXPECT_FALSE(editor->colorWell()->color());
    // A notation chosen writes the colour in it again.
    typeInto(hex, QStringLiteral("tomato"));
    editor->unitChange(1);
    EXPECT_EQ(posts.last(), QStringLiteral("rgb(255, 99, 71)"));
}

TEST(SingleSizeEditorView, ReadsNumberAndUnitAndWritesStepsTypedNumbersAndUnits)
{
    Posts posts;
    auto editor = opened<SingleSizeEditorView>(QStringLiteral("width"), QStringLiteral("12px"));
    EXPECT_EQ(editor->textField()->text(), QStringLiteral("12.0"));
    EXPECT_EQ(editor->radioGroup()->selectedTag(), 0);
    EXPECT_EQ(editor->stepper()->increment(), 1.0);
    EXPECT_TRUE(posts.values.isEmpty());
    editor->stepper()->setDoubleValue(13);
    editor->stepperChange();
    EXPECT_EQ(posts.last(), QStringLiteral("13px"));

    // Typed numbers go out as typed.
    typeInto(editor->textField(), QStringLiteral("1.26"));
    EXPECT_EQ(posts.last(), QStringLiteral("1.26px"));
    // What is no size is refused: nothing goes out, and the field says so (#66).
    const qsizetype sent = posts.values.size();
    typeInto(editor->textField(), QStringLiteral("abc"));
    QTest::keyClick(editor->textField(), Qt::Key_Return);
    EXPECT_EQ(posts.values.size(), sent);
    EXPECT_TRUE(FieldMark::isRefused(editor->textField()));
    // A negative decimal with a unit typed takes that unit.
    typeInto(editor->textField(), QStringLiteral("-.5rem"));
    EXPECT_EQ(posts.last(), QStringLiteral("-.5rem"));
    EXPECT_EQ(editor->radioGroup()->selectedTag(), 3);
    EXPECT_FALSE(FieldMark::isRefused(editor->textField()));

    // 1.5em steps by 0.1.
    editor = opened<SingleSizeEditorView>(QStringLiteral("font-size"), QStringLiteral("1.5em"));
    EXPECT_EQ(editor->radioGroup()->selectedTag(), 1);
    editor->stepper()->upButton()->click();
    EXPECT_EQ(posts.last(), QStringLiteral("1.6em"));

    // Each unit cell read sets its own unit again.
    for (const QString &unit : {QStringLiteral("px"), QStringLiteral("em"), QStringLiteral("rem"), QStringLiteral("%")}) {
        editor = opened<SingleSizeEditorView>(QStringLiteral("width"), QStringLiteral("2") + unit);
        editor->radioGroup()->cellWithTag(editor->radioGroup()->selectedTag())->click();
        EXPECT_EQ(posts.last(), QStringLiteral("2.0") + unit);
    }

    // "0" has no unit until one is chosen; "auto" reads as 0px.
    editor = opened<SingleSizeEditorView>(QStringLiteral("margin"), QStringLiteral("0"));
    editor->stepper()->upButton()->click();
    EXPECT_EQ(posts.last(), QStringLiteral("1"));
    editor = opened<SingleSizeEditorView>(QStringLiteral("margin"), QStringLiteral("auto !important"));
    editor->stepper()->upButton()->click();
    EXPECT_EQ(posts.last(), QStringLiteral("1px !important"));
}

TEST(PopoverEditors, ReadAnyValueWithoutACrashAndPostNothing)
{
    Posts posts;
    const QStringList values = awkwardValues(QStringLiteral("0123456789.-+e%pxm(),# !importantrgbahsl"), QStringLiteral("rotate(%1deg) "), 7);
    StyleEditorViewController controller;
    for (const QString &value : values) {
        controller.initializeEditorView(QStringLiteral("color"), value);
        controller.initializeEditorView(QStringLiteral("width"), value);
        controller.initializeEditorView(QStringLiteral("animation-delay"), value);
        controller.initializeEditorView(QStringLiteral("opacity"), value);
    }
    EXPECT_TRUE(posts.values.isEmpty());
}

TEST(TimeEditorView, StepsSlidesAndTypingKeepTheUnitRead)
{
    Posts posts;
    auto editor = opened<TimeEditorView>(QStringLiteral("animation-duration"), QStringLiteral("0.5s"));
    EXPECT_EQ(editor->textField()->text(), QStringLiteral("0.5"));
    EXPECT_EQ(editor->unit(), QStringLiteral("s"));
    editor->stepper()->upButton()->click();
    EXPECT_EQ(posts.last(), QStringLiteral("0.6s"));
    EXPECT_EQ(editor->slider()->value(), 6);
    editor->slider()->setValue(25);
    EXPECT_EQ(posts.last(), QStringLiteral("2.5s"));
    EXPECT_EQ(editor->stepper()->doubleValue(), 2.5);

    editor = opened<TimeEditorView>(QStringLiteral("animation-delay"), QStringLiteral("200ms"));
    EXPECT_EQ(editor->textField()->text(), QStringLiteral("200.0"));
    typeInto(editor->textField(), QStringLiteral("250"));
    EXPECT_EQ(posts.last(), QStringLiteral("250ms"));
    editor->stepper()->upButton()->click();
    EXPECT_EQ(posts.last(), QStringLiteral("260.0ms"));
    editor->slider()->setValue(editor->slider()->value() + 1);
    EXPECT_TRUE(posts.last().endsWith(QStringLiteral("ms")));
    const qsizetype sent = posts.values.size();
    typeInto(editor->textField(), QStringLiteral("abc"));
    EXPECT_EQ(posts.values.size(), sent);
    typeInto(editor->textField(), QStringLiteral("0.5s"));
    EXPECT_EQ(posts.last(), QStringLiteral("0.5s"));
}

TEST(NumberEditor, TypedNumbersGoOutAsTypedAndTheDecimalsStartFromThoseShown)
{
    Posts posts;
    auto editor = opened<NumberEditor>(QStringLiteral("opacity"), QStringLiteral("0.25"));
    EXPECT_EQ(editor->decimalStepStr(), QStringLiteral("%.2f"));
    EXPECT_EQ(editor->textField()->text(), QStringLiteral("0.25"));
    EXPECT_EQ(editor->decimalStep(), 2);
    editor->stepper()->upButton()->click();
    EXPECT_EQ(posts.last(), QStringLiteral("0.26"));
    clickSegment(editor->decimalStepper(), 0);
    EXPECT_EQ(posts.last(), QStringLiteral("0.260"));
    clickSegment(editor->decimalStepper(), 1);
    clickSegment(editor->decimalStepper(), 1);
    EXPECT_EQ(posts.last(), QStringLiteral("0.3"));
    typeInto(editor->textField(), QStringLiteral("0.35"));
    EXPECT_EQ(posts.last(), QStringLiteral("0.35"));
    const qsizetype sent = posts.values.size();
    typeInto(editor->textField(), QStringLiteral("x"));
    typeInto(editor->textField(), QStringLiteral("2px"));
    EXPECT_EQ(posts.values.size(), sent + 1); // "2" went out; "2px" is no number.
    EXPECT_EQ(posts.last(), QStringLiteral("2"));

    // "0.4" shows as "%g" does; one decimal less shows none.
    editor = opened<NumberEditor>(QStringLiteral("opacity"), QStringLiteral("0.4 !important"));
    EXPECT_EQ(editor->textField()->text(), QStringLiteral("0.4"));
    clickSegment(editor->decimalStepper(), 1);
    EXPECT_EQ(posts.last(), QStringLiteral("0 !important"));
    editor = opened<NumberEditor>(QStringLiteral("z-index"), QStringLiteral("3"));
    editor->stepper()->upButton()->click();
    EXPECT_EQ(posts.last(), QStringLiteral("4"));
}

namespace PopoverNamedColours {

TEST(ColorEditorView, ReadsEveryNamedColourAndShowsCurrentcolorAsNoColour)
{
    Posts posts;
    struct Row
    {
        const char *value;
        const char *hex;
    };
    for (const Row &row : {Row{"antiquewhite", "faebd7"}, Row{"AliceBlue", "f0f8ff"}, Row{"rebeccapurple", "663399"},
                           Row{"slategrey", "708090"}, Row{"hsl(120, 100%, 50%)", "00ff00"}, Row{"red", "ff0000"}}) {
        auto editor = opened<ColorEditorView>(QStringLiteral("color"), QString::fromLatin1(row.value));
        ASSERT_TRUE(editor->color()) << row.value;
        EXPECT_EQ(ColorUtil::hexadecimalValue(*editor->color()), QString::fromLatin1(row.hex)) << row.value;
        EXPECT_EQ(editor->color()->alpha, 1.0) << row.value;
    }
    auto none = opened<ColorEditorView>(QStringLiteral("color"), QStringLiteral("currentcolor"));
    EXPECT_FALSE(none->color());
    auto unknown = opened<ColorEditorView>(QStringLiteral("color"), QStringLiteral("inherit"));
    EXPECT_FALSE(unknown->color());
    auto clear = opened<ColorEditorView>(QStringLiteral("color"), QStringLiteral("Transparent"));
    ASSERT_TRUE(clear->color());
    EXPECT_EQ(clear->color()->alpha, 0.0);
    // Reading writes nothing.
    EXPECT_TRUE(posts.values.isEmpty());
}

} // namespace PopoverNamedColours
