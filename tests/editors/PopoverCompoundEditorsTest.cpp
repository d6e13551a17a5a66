#include "PopoverTestSupport.h"

#include "editors/StepNumberTextField.h"
#include "editors/popover/StyleEditorViewController.h"
#include "editors/popover/TransformOriginEditorView.h"
#include "editors/popover/TransformStyleEditor.h"
#include "editors/popover/WebkitFilterView.h"
#include "platform/kit/PopUpButton.h"
#include "platform/kit/Stepper.h"

#include <QPushButton>
#include <QSlider>
#include <QToolButton>

#include <gtest/gtest.h>

namespace PopoverCompoundEditorsTest {

namespace {

using T = TransformValue;

void chooseTitle(PopUpButton *popUp, const QString &title)
{
    popUp->setTitle(title);
    Q_EMIT popUp->activatedTitle(title);
}

} // namespace

TEST(TransformStyleEditor, AFieldChangeRewritesTheListKeepingOrderAndWhatNoFieldHolds)
{
    Posts posts;
    auto editor = opened<TransformStyleEditor>(QStringLiteral("transform"),
                                               QStringLiteral("rotate(10deg) matrix(1, 0, 0, 1, 5, 5) translatex(calc(1px + 2px)) !important"));
    EXPECT_EQ(editor->textField(T::Rotate)->text(), QStringLiteral("10"));
    EXPECT_TRUE(posts.values.isEmpty());
    typeInto(editor->textField(T::Rotate), QStringLiteral("20"));
    EXPECT_EQ(posts.last(), QStringLiteral("rotate(20.0deg) matrix(1, 0, 0, 1, 5, 5) translatex(calc(1px + 2px)) !important"));

    // A new group follows the ones read.
    typeInto(editor->textField(T::X), QStringLiteral("4"));
    EXPECT_EQ(editor->textField(T::Y)->text(), QStringLiteral("0"));
    EXPECT_TRUE(posts.last().contains(QStringLiteral("translate3d(4.0px, 0.0px, 0.0px)")));
    EXPECT_TRUE(posts.last().startsWith(QStringLiteral("rotate(20.0deg) matrix(")));
    editor->clearTranslate();
    EXPECT_EQ(editor->textField(T::X)->text(), QString());
    EXPECT_FALSE(posts.last().contains(QStringLiteral("translate3d")));
}

TEST(TransformStyleEditor, ScaleFieldsCompleteAndPerspectiveKeepsItsUnitOnce)
{
    Posts posts;
    auto editor = opened<TransformStyleEditor>(QStringLiteral("transform"), QStringLiteral("none"));
    typeInto(editor->textField(T::ScaleZ), QStringLiteral("3"));
    EXPECT_EQ(posts.last(), QStringLiteral("scale3d(3.0, 3.0, 3.0)"));
    EXPECT_EQ(editor->textField(T::ScaleX)->text(), QStringLiteral("3"));
    EXPECT_EQ(editor->textField(T::ScaleY)->text(), QStringLiteral("3"));
    editor->clearScale();
    typeInto(editor->textField(T::ScaleY), QStringLiteral("2"));
    EXPECT_EQ(posts.last(), QStringLiteral("scale(1.0, 2.0)"));

    editor = opened<TransformStyleEditor>(QStringLiteral("transform"), QStringLiteral("perspective(500px) rotate(1.25deg)"));
    typeInto(editor->textField(T::Perspective), QStringLiteral("12px"));
    EXPECT_EQ(posts.last(), QStringLiteral("perspective(12px) rotate(1.25deg)"));
    // A step keeps the field's decimals.
    editor->stepper(T::Rotate)->upButton()->click();
    EXPECT_EQ(editor->textField(T::Rotate)->text(), QStringLiteral("2.25"));
    EXPECT_EQ(posts.last(), QStringLiteral("perspective(12px) rotate(2.25deg)"));
    // Emptying every field posts the empty text.
    editor = opened<TransformStyleEditor>(QStringLiteral("transform"), QStringLiteral("skewx(10deg)"));
    editor->clearSkew();
    EXPECT_EQ(posts.last(), QString());
}

TEST(WebkitFilterView, ASliderRewritesTheListKeepingOtherFunctionsAndDecimals)
{
    Posts posts;
    auto editor = opened<WebkitFilterView>(QStringLiteral("filter"),
                                           QStringLiteral("brightness(100%) contrast(1.5) blur(2.5px) drop-shadow(0 0 2px red)"));
    EXPECT_EQ(editor->slider(FilterValue::Contrast)->value(), 150);
    EXPECT_EQ(editor->slider(FilterValue::Brightness)->value(), 100);
    EXPECT_TRUE(posts.values.isEmpty());
    editor->slider(FilterValue::Sepia)->setValue(30);
    const QString written = posts.last();
    EXPECT_TRUE(written.contains(QStringLiteral("blur(2.5px)"))) << written.toStdString();
    EXPECT_TRUE(written.contains(QStringLiteral("contrast(150%)"))) << written.toStdString();
    EXPECT_TRUE(written.contains(QStringLiteral("sepia(30%)"))) << written.toStdString();
    EXPECT_TRUE(written.contains(QStringLiteral("drop-shadow(0 0 2px red)"))) << written.toStdString();
    EXPECT_FALSE(written.contains(QStringLiteral("brightness"))) << written.toStdString();
}

TEST(TransformOriginEditorView, KeywordsGoToTheirAxisAndALoneOneCentresTheOther)
{
    Posts posts;
    const QList<std::pair<QString, QString>> cases = {
        {QStringLiteral("left"), QStringLiteral("left center 0px")},
        {QStringLiteral("top"), QStringLiteral("center top 0px")},
        {QStringLiteral("top left"), QStringLiteral("left top 0px")},
        {QStringLiteral("50%  100%"), QStringLiteral("50% 100% 0px")},
        {QStringLiteral("10px 20px 5px"), QStringLiteral("10px 20px 5px")},
        {QStringLiteral("-12.5px\tbottom"), QStringLiteral("-12.5px bottom 0px")},
        {QStringLiteral("garbage"), QStringLiteral("0px 0px 0px")},
    };
    for (const auto &[in, out] : cases) {
        auto editor = opened<TransformOriginEditorView>(QStringLiteral("transform-origin"), in);
        editor->setValue();
        EXPECT_EQ(posts.last(), out) << in.toStdString();
    }
    // A keyword axis switched to "%" writes the keyword's number; a step reaches the field.
    auto editor = opened<TransformOriginEditorView>(QStringLiteral("transform-origin"), QStringLiteral("center top"));
    EXPECT_TRUE(editor->isKeywordMode(TransformOriginEditorView::X));
    chooseTitle(editor->unitSelector(TransformOriginEditorView::X), QStringLiteral("%"));
    EXPECT_FALSE(editor->isKeywordMode(TransformOriginEditorView::X));
    EXPECT_EQ(posts.last(), QStringLiteral("50% top 0px"));
    editor->stepper(TransformOriginEditorView::Z)->upButton()->click();
    EXPECT_EQ(editor->textField(TransformOriginEditorView::Z)->text(), QStringLiteral("1"));
    EXPECT_EQ(posts.last(), QStringLiteral("50% top 1px"));
    chooseTitle(editor->keywordSelector(TransformOriginEditorView::Y), QStringLiteral("bottom"));
    EXPECT_EQ(posts.last(), QStringLiteral("50% bottom 1px"));
}

TEST(PopoverCompoundEditors, ReadAnyValueWithoutACrashAndPostNothing)
{
    Posts posts;
    const QStringList values = awkwardValues(QStringLiteral("0123456789.-+e%px ()translatecenterbottom,"), QStringLiteral("rotate(%1deg) blur(%1px) "), 11);
    StyleEditorViewController controller;
    for (const QString &value : values) {
        for (const char *property : {"transform", "filter", "transform-origin"})
            controller.initializeEditorView(QString::fromLatin1(property), value);
    }
    EXPECT_TRUE(posts.values.isEmpty());
}

} // namespace PopoverCompoundEditorsTest
