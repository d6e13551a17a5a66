#include "PopoverTestSupport.h"
#include "TestPrinters.h"

#include "editors/ColorTextEditor.h"
#include "editors/FieldMark.h"
#include "editors/HexColorTextInput.h"
#include "editors/StepNumberTextField.h"
#include "editors/popover/DropShadowView.h"
#include "editors/popover/StyleEditorViewController.h"
#include "editors/popover/TextShadowView.h"
#include "foundation/InspectUndoManager.h"
#include "platform/kit/ButtonMatrix.h"
#include "platform/kit/PopUpButton.h"
#include "workspace/File.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QListWidget>

#include <gtest/gtest.h>

namespace ShadowListViewTest {

namespace {

DropShadowProp layer(float h, float v, float b, const QString &unit, const RGBAColor &color, int notation)
{
    DropShadowProp prop;
    prop.setH(h);
    prop.setV(v);
    prop.setB(b);
    prop.setNumberUnit(unit);
    prop.setColor(color);
    prop.setUnit(notation);
    return prop;
}

QStringList rows(const ShadowListView &editor)
{
    QStringList texts;
    for (int i = 0; i < editor.list()->count(); ++i)
        texts.append(editor.list()->item(i)->text());
    return texts;
}

// The shared undo manager of a test.
struct UndoHarness
{
    UndoHarness() { File::setUndoManagerProvider([this] { return &undo; }); }
    ~UndoHarness() { File::setUndoManagerProvider({}); }
    InspectUndoManager undo;
};

} // namespace

TEST(DropShadowProp, WritesZerosBareNumbersInFixedNotationAndTheColourInItsNotation)
{
    const RGBAColor black{0, 0, 0, 1};
    DropShadowProp prop = layer(2, 2, 2, QStringLiteral("px"), black, 0);
    prop.createCSSValueStrngWithoutSpread();
    EXPECT_EQ(prop.stringValue(), QStringLiteral("2px 2px 2px #000000"));
    prop.createCSSValueStrng();
    EXPECT_EQ(prop.stringValue(), QStringLiteral("2px 2px 2px 0 #000000"));
    prop.setInset(true);
    prop.createCSSValueStrng();
    EXPECT_EQ(prop.stringValue(), QStringLiteral("2px 2px 2px 0 #000000 inset"));
    // The text-shadow form ignores spread and inset.
    prop.setS(5);
    prop.createCSSValueStrngWithoutSpread();
    EXPECT_EQ(prop.stringValue(), QStringLiteral("2px 2px 2px #000000"));

    prop = layer(1.5, -3, 0, QStringLiteral("em"), RGBAColor{1, 0, 0, 0.5}, 2);
    prop.createCSSValueStrngWithoutSpread();
    EXPECT_EQ(prop.stringValue(), QStringLiteral("1.5em -3em 0 rgba(255, 0, 0, 0.50)"));
    // Notations 0 and 1 lose the alpha.
    prop.setUnit(1);
    prop.createCSSValueStrngWithoutSpread();
    EXPECT_EQ(prop.stringValue(), QStringLiteral("1.5em -3em 0 rgb(255, 0, 0)"));
    prop.setUnit(0);
    prop.createCSSValueStrngWithoutSpread();
    EXPECT_EQ(prop.stringValue(), QStringLiteral("1.5em -3em 0 #ff0000"));

    // An empty unit, negative zero, big and small numbers.
    prop = layer(2, 2, 3, QString(), black, 0);
    prop.createCSSValueStrngWithoutSpread();
    EXPECT_EQ(prop.stringValue(), QStringLiteral("2 2 3 #000000"));
    prop = layer(-0.0f, 1234567, 0.1f, QStringLiteral("px"), black, 0);
    prop.createCSSValueStrngWithoutSpread();
    EXPECT_EQ(prop.stringValue(), QStringLiteral("-0px 1234567px 0.1px #000000"));

    // Without a colour no colour is written; a colour text is kept.
    DropShadowProp bare;
    bare.setH(1);
    bare.setNumberUnit(QStringLiteral("px"));
    bare.createCSSValueStrng();
    EXPECT_EQ(bare.stringValue(), QStringLiteral("1px 0 0 0"));
    bare.setColorText(QStringLiteral("currentcolor"));
    bare.createCSSValueStrng();
    EXPECT_EQ(bare.stringValue(), QStringLiteral("1px 0 0 0 currentcolor"));
}

TEST(ShadowLayerReader, FindsTheColourAndInsetAnywhereInEachLayer)
{
    const QList<DropShadowPropPtr> layers = ShadowLayerReader::read(
        QStringLiteral("2px  2px 3px darkred, red 1em 2em, inset 0 0 5px 1px rgba(0,0,0,0.5), 1px 2px, "
                       "0 2px 3px hsla(120, 100%, 50%, 0.5)"));
    ASSERT_EQ(layers.size(), 5);
    EXPECT_EQ(layers[0]->stringValue(), QStringLiteral("2px 2px 3px darkred"));
    EXPECT_EQ(layers[0]->b(), 3);
    EXPECT_EQ(layers[0]->color(), (RGBAColor{139 / 255.0, 0, 0, 1}));
    EXPECT_EQ(layers[1]->h(), 1);
    EXPECT_EQ(layers[1]->v(), 2);
    EXPECT_EQ(layers[1]->numberUnit(), QStringLiteral("em"));
    EXPECT_TRUE(layers[2]->inset());
    EXPECT_EQ(layers[2]->s(), 1);
    EXPECT_EQ(layers[2]->unit(), 2);
    EXPECT_FALSE(layers[3]->color());
    EXPECT_EQ(layers[3]->v(), 2);
    // The unit is the first one written, not the bare zero's.
    EXPECT_EQ(layers[4]->numberUnit(), QStringLiteral("px"));
    EXPECT_EQ(layers[4]->unit(), 2);

    // Rebuilt without a change, a layer is what it was.
    layers[3]->createCSSValueStrng();
    EXPECT_EQ(layers[3]->stringValue(), QStringLiteral("1px 2px"));
    layers[4]->createCSSValueStrngWithoutSpread();
    EXPECT_EQ(layers[4]->stringValue(), QStringLiteral("0 2px 3px hsla(120, 100%, 50%, 0.5)"));
    // A part changed is written anew, in place; one the layer lacked goes after the others.
    layers[4]->setUnit(2);
    layers[4]->setB(4);
    layers[4]->createCSSValueStrngWithoutSpread();
    EXPECT_EQ(layers[4]->stringValue(), QStringLiteral("0 2px 4px hsla(120, 100%, 50%, 0.5)"));
    layers[2]->setInset(false);
    layers[2]->setS(2);
    layers[2]->createCSSValueStrng();
    EXPECT_EQ(layers[2]->stringValue(), QStringLiteral("0 0 5px 2px rgba(0,0,0,0.5)"));
    layers[1]->setB(3);
    layers[1]->setColor(RGBAColor{0, 0, 0, 1});
    layers[1]->createCSSValueStrng();
    EXPECT_EQ(layers[1]->stringValue(), QStringLiteral("#000000 1em 2em 3em"));

    EXPECT_TRUE(ShadowLayerReader::read(QStringLiteral("none")).isEmpty());
    EXPECT_TRUE(ShadowLayerReader::read(QString()).isEmpty());
}

TEST(ShadowLayerReader, TakesAnyTextAndRebuiltLayersReadBackTheSame)
{
    for (const QString &text : awkwardValues(QStringLiteral("0123456789 ,.#()-pxinsetrgbaredhsl"),
                                             QStringLiteral("%1px 1px red,"), 34)) {
        for (const DropShadowPropPtr &read : ShadowLayerReader::read(text)) {
            read->createCSSValueStrng();
            const QList<DropShadowPropPtr> again = ShadowLayerReader::read(read->stringValue());
            ASSERT_EQ(again.size(), 1) << read->stringValue().toStdString();
            again[0]->createCSSValueStrng();
            EXPECT_EQ(again[0]->stringValue(), read->stringValue());
        }
    }
}

TEST(ShadowLayerReader, ColoursPastTheirRangeAreKeptAsReadAndReadBackTheSame)
{
    for (const QString &colour : {QStringLiteral("rgb(300, 0, 0)"), QStringLiteral("rgba(0,0,0,1.5)"),
                                 QStringLiteral("rgb(1e39,0,0)"), QStringLiteral("hsla(0, 300%, 50%, 1)"),
                                 QStringLiteral("rgb(-5,0,0)")}) {
        const QList<DropShadowPropPtr> layers = ShadowLayerReader::read(QStringLiteral("1px 2px %1 inset").arg(colour));
        ASSERT_EQ(layers.size(), 1) << colour.toStdString();
        EXPECT_FALSE(layers[0]->color()) << colour.toStdString();
        layers[0]->createCSSValueStrng();
        EXPECT_EQ(layers[0]->stringValue(), QStringLiteral("1px 2px %1 inset").arg(colour));
        const QList<DropShadowPropPtr> again = ShadowLayerReader::read(layers[0]->stringValue());
        ASSERT_EQ(again.size(), 1);
        again[0]->createCSSValueStrng();
        EXPECT_EQ(again[0]->stringValue(), layers[0]->stringValue());
    }
}

TEST(TextShadowView, EditingOneLayerRebuildsItAndLeavesTheOthersAsRead)
{
    Posts posts;
    auto editor = opened<TextShadowView>(QStringLiteral("text-shadow"), QStringLiteral("2px 2px 3px red, -1px 0 blue"));
    EXPECT_EQ(rows(*editor), (QStringList{QStringLiteral("2px 2px 3px red"), QStringLiteral("-1px 0 blue")}));
    EXPECT_EQ(editor->list()->currentRow(), 0);
    EXPECT_EQ(editor->textField(ShadowListView::Blur)->stringValue(), QStringLiteral("3"));
    EXPECT_EQ(editor->unitChanger()->titleOfSelectedItem(), QStringLiteral("px"));
    EXPECT_TRUE(posts.values.isEmpty());

    typeInto(editor->textField(ShadowListView::Blur), QStringLiteral("4"));
    EXPECT_EQ(posts.last(), QStringLiteral("2px 2px 4px red,-1px 0 blue"));
    editor->list()->setCurrentRow(1);
    EXPECT_EQ(editor->textField(ShadowListView::OffsetH)->stringValue(), QStringLiteral("-1"));
    editor->unitChange(1);
    EXPECT_EQ(posts.last(), QStringLiteral("2px 2px 4px red,-1px 0 rgb(0, 0, 255)"));
    editor->swatch()->cellWithTag(0)->click();
    EXPECT_TRUE(posts.last().startsWith(QStringLiteral("2px 2px 4px red,-1px 0 rgb("))) << posts.last().toStdString();
}

// A framework's shadows: two layers, rem lengths with leading points (#66).
TEST(DropShadowView, TypedDecimalsNegativesAndUnitsChangeOnlyTheirLength)
{
    Posts posts;
    auto editor = opened<DropShadowView>(QStringLiteral("box-shadow"),
                                         QStringLiteral("0 .5rem 1rem rgba(0,0,0,.15),inset 0 1px 0 rgba(255,255,255,.15)"));
    ASSERT_EQ(editor->props().size(), 2);
    EXPECT_EQ(editor->unitChanger()->titleOfSelectedItem(), QStringLiteral("rem"));
    StepNumberTextField *blur = editor->textField(ShadowListView::Blur);
    typeInto(blur, QStringLiteral("2"));
    QTest::keyClicks(blur, QStringLiteral("."));
    EXPECT_EQ(blur->text(), QStringLiteral("2."));
    QTest::keyClicks(blur, QStringLiteral("5"));
    EXPECT_EQ(blur->text(), QStringLiteral("2.5"));
    EXPECT_EQ(posts.last(), QStringLiteral("0 .5rem 2.5rem rgba(0,0,0,.15),inset 0 1px 0 rgba(255,255,255,.15)"));

    StepNumberTextField *x = editor->textField(ShadowListView::OffsetH);
    typeInto(x, QStringLiteral("-"));
    EXPECT_EQ(posts.last(), QStringLiteral("0 .5rem 2.5rem rgba(0,0,0,.15),inset 0 1px 0 rgba(255,255,255,.15)"));
    QTest::keyClicks(x, QStringLiteral("1"));
    EXPECT_EQ(posts.last(), QStringLiteral("-1rem .5rem 2.5rem rgba(0,0,0,.15),inset 0 1px 0 rgba(255,255,255,.15)"));
    typeInto(x, QStringLiteral("3px"));
    EXPECT_EQ(posts.last(), QStringLiteral("3px .5rem 2.5rem rgba(0,0,0,.15),inset 0 1px 0 rgba(255,255,255,.15)"));

    // What is no length is refused: nothing is sent, and the field says so.
    const qsizetype sent = posts.values.size();
    typeInto(x, QStringLiteral("abc"));
    QTest::keyClick(x, Qt::Key_Return);
    EXPECT_EQ(posts.values.size(), sent);
    EXPECT_TRUE(FieldMark::isRefused(x));
    typeInto(x, QStringLiteral("4"));
    EXPECT_FALSE(FieldMark::isRefused(x));

    // A colour name typed is written as typed.
    editor->colorTextEditor()->hexInput()->hexTextInput()->setFocus();
    typeInto(editor->colorTextEditor()->hexInput()->hexTextInput(), QStringLiteral("antiquewhite"));
    EXPECT_EQ(posts.last(), QStringLiteral("4px .5rem 2.5rem antiquewhite,inset 0 1px 0 rgba(255,255,255,.15)"));
}

TEST(DropShadowView, AddDeleteUndoAndRedoEachAnnounceTheValue)
{
    UndoHarness h;
    Posts posts;
    auto editor = opened<DropShadowView>(QStringLiteral("box-shadow"), QStringLiteral("none"));
    EXPECT_TRUE(editor->props().isEmpty());
    editor->addProp();
    EXPECT_EQ(posts.last(), QStringLiteral("2px 2px 2px 1px #000000"));
    h.undo.loopEnd();
    editor->insetCheckBox()->click();
    EXPECT_EQ(posts.last(), QStringLiteral("2px 2px 2px 1px #000000 inset"));

    h.undo.undo();
    EXPECT_TRUE(editor->props().isEmpty());
    EXPECT_EQ(posts.last(), QStringLiteral("none"));
    h.undo.redo();
    EXPECT_EQ(posts.last(), QStringLiteral("2px 2px 2px 1px #000000 inset"));
    EXPECT_EQ(rows(*editor), QStringList{QStringLiteral("2px 2px 2px 1px #000000 inset")});

    // Deleting the last layer drops the shadow; undo puts it back.
    h.undo.loopEnd();
    editor->deleteProp();
    EXPECT_EQ(posts.last(), QStringLiteral("none"));
    h.undo.loopEnd();
    h.undo.undo();
    EXPECT_EQ(posts.last(), QStringLiteral("2px 2px 2px 1px #000000 inset"));
}

TEST(DropShadowView, UndoAfterThePopoverIsReplacedLeavesTheOldEditorAlone)
{
    UndoHarness h;
    Posts posts;
    StyleEditorViewController controller;
    EXPECT_EQ(controller.typeByProp(QStringLiteral("box-shadow")), QStringLiteral("dropShadow"));
    EXPECT_EQ(controller.typeByProp(QStringLiteral("text-shadow")), QStringLiteral("textShadow"));
    controller.initializeEditorView(QStringLiteral("box-shadow"), QStringLiteral("1px 1px red"));
    auto *editor = qobject_cast<ShadowListView *>(controller.editorView());
    ASSERT_TRUE(editor);
    editor->addProp();
    h.undo.loopEnd();
    ASSERT_TRUE(h.undo.canUndo());
    controller.initializeEditorView(QStringLiteral("color"), QStringLiteral("red"));
    const qsizetype sent = posts.values.size();
    h.undo.undo();
    EXPECT_EQ(posts.values.size(), sent);
}

} // namespace ShadowListViewTest
