#include "cssrules/LivePanel.h"

#include "editors/ColorTextEditor.h"
#include "editors/HexColorTextInput.h"
#include "editors/popover/BackgrouImageEditor.h"
#include "editors/popover/ColorEditorView.h"
#include "editors/popover/DropShadowView.h"
#include "editors/popover/SingleSizeEditorView.h"
#include "editors/popover/StyleEditorViewController.h"
#include "platform/kit/ButtonMatrix.h"
#include "platform/kit/ColorPanel.h"
#include "platform/kit/ColorWell.h"
#include "platform/kit/Stepper.h"
#include "toolkit/RBLPopover.h"

#include <QColorDialog>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

namespace PopoverEditorsLiveTest {

namespace {

const QByteArray kSite = R"(#t {
    width: 100px;
    color: red;
    box-shadow: 1px 1px red;
}
)";

const QByteArray kPage = "<!DOCTYPE html><link rel=stylesheet href=site.css><p id=t>x</p>";

struct PopoverPanel
{
    explicit PopoverPanel(const QByteArray &site = kSite)
    {
        loaded = live.load({{QStringLiteral("site.css"), site}, {QStringLiteral("index.html"), kPage}})
            && live.select(live.element(QStringLiteral("t")));
        live.panel.view()->show();
        live.panel.setStyleEditor(&editors);
        original = loaded ? text() : QString();
    }
    ~PopoverPanel()
    {
        live.panel.closeStyleEditor();
        live.panel.setStyleEditor(nullptr);
    }
    QString text() { return *live.file(QStringLiteral("site.css"))->currentContent(); }
    QString computed(const QString &property) { return computedValue(*live.fixture, QStringLiteral("t"), property); }
    // Closing the popover writes the one declaration changed.
    void expectClosedAndWritten(const QString &was, const QString &now)
    {
        live.panel.closeStyleEditor();
        live.settleWrites();
        EXPECT_EQ(text(), QString(original).replace(was, now));
    }
    // One undo gives the text back as it was and leaves nothing to undo.
    void expectOneUndoRestoresTheText()
    {
        ASSERT_TRUE(live.undo.canUndo());
        live.undo.undo();
        live.settleWrites();
        EXPECT_FALSE(live.undo.canUndo());
        EXPECT_EQ(text(), original);
    }
    // Opens the popover editor of the declaration from its row.
    bool open(const QString &property)
    {
        const CSSRulePtr row = LivePanel::declaration(live.ruleRow(QStringLiteral("#t")), property);
        if (!row || !live.selectRow(row))
            return false;
        live.panel.showStyleEditor();
        return TestUtil::waitUntil([&] { return live.panel.isStyleEditorShown(); });
    }

    LivePanel live;
    StyleEditorViewController editors;
    bool loaded = false;
    QString original;
};

} // namespace

TEST(PopoverEditorsLive, EachStepOfTheSizeEditorReachesThePageAndClosingCommitsOneUndoStep)
{
    PopoverPanel panel;
    ASSERT_TRUE(panel.loaded);
    LivePanel &live = panel.live;

    // Opened and closed unchanged: nothing is committed.
    ASSERT_TRUE(panel.open(QStringLiteral("width")));
    live.panel.closeStyleEditor();
    live.settleWrites();
    EXPECT_FALSE(live.undo.canUndo());
    EXPECT_EQ(panel.text(), panel.original);

    ASSERT_TRUE(panel.open(QStringLiteral("width")));
    auto *size = qobject_cast<SingleSizeEditorView *>(panel.editors.editorView());
    ASSERT_TRUE(size);
    EXPECT_TRUE(size->isVisible());
    for (const QString &expected : {QStringLiteral("101px"), QStringLiteral("102px"), QStringLiteral("103px")}) {
        size->stepper()->upButton()->click();
        EXPECT_EQ(panel.computed(QStringLiteral("width")), expected);
    }
    EXPECT_FALSE(live.undo.canUndo());
    panel.expectClosedAndWritten(QStringLiteral("width: 100px;"), QStringLiteral("width: 103px;"));
    panel.expectOneUndoRestoresTheText();
    EXPECT_EQ(panel.computed(QStringLiteral("width")), QStringLiteral("100px"));
}

// A framework's minified sheet takes what the editors write in its own layout (#66).
TEST(PopoverEditorsLive, AMinifiedSheetTakesTheEditorsTextWithoutTheBlanksCSSDoesNotNeed)
{
    PopoverPanel panel("#t{width:100px;color:#fff;box-shadow:0 .5rem 1rem rgba(0,0,0,.15)}");
    ASSERT_TRUE(panel.loaded);
    ASSERT_TRUE(panel.open(QStringLiteral("color")));
    auto *color = qobject_cast<ColorEditorView *>(panel.editors.editorView());
    ASSERT_TRUE(color);
    color->unitChange(1);
    EXPECT_EQ(panel.computed(QStringLiteral("color")), QStringLiteral("rgb(255, 255, 255)"));
    panel.expectClosedAndWritten(QStringLiteral("color:#fff;"), QStringLiteral("color:rgb(255,255,255);"));

    panel.original = panel.text();
    ASSERT_TRUE(panel.open(QStringLiteral("box-shadow")));
    auto *shadow = qobject_cast<DropShadowView *>(panel.editors.editorView());
    ASSERT_TRUE(shadow);
    shadow->colorDidChange(RGBAColor{0, 0, 1, 0.5});
    panel.expectClosedAndWritten(QStringLiteral("rgba(0,0,0,.15)"), QStringLiteral("rgba(0,0,255,0.50)"));
}

TEST(PopoverEditorsLive, ABoxShadowLayerAddedInThePopoverReachesThePageAndIsOneUndoStep)
{
    PopoverPanel panel;
    ASSERT_TRUE(panel.loaded);
    ASSERT_TRUE(panel.open(QStringLiteral("box-shadow")));
    auto *shadow = qobject_cast<DropShadowView *>(panel.editors.editorView());
    ASSERT_TRUE(shadow);
    ASSERT_EQ(shadow->props().size(), 1);
    shadow->addProp();
    EXPECT_TRUE(panel.computed(QStringLiteral("box-shadow")).contains(QStringLiteral("2px 2px 2px 1px")));
    panel.expectClosedAndWritten(QStringLiteral("box-shadow: 1px 1px red;"),
                                 QStringLiteral("box-shadow: 1px 1px red,2px 2px 2px 1px #000000;"));
    panel.expectOneUndoRestoresTheText();
    EXPECT_FALSE(panel.computed(QStringLiteral("box-shadow")).contains(QStringLiteral("2px 2px 2px 1px")));
}

// Add Declaration "background-image", a swatch picked in its popover, a
// colour typed, Save: the declaration was written five times (#77).
TEST(PopoverEditorsLive, AGradientAddedAndEditedInItsPopoverIsWrittenOnceAsThePageShowsIt)
{
    PopoverPanel panel;
    ASSERT_TRUE(panel.loaded);
    LivePanel &live = panel.live;
    live.panel.doAddDeclaration(live.ruleRow(QStringLiteral("#t"))->styleDeclaration(), QStringLiteral("background-image"), QString());
    live.settleWrites();
    ASSERT_TRUE(live.select(live.element(QStringLiteral("t"))));
    for (int opening = 0; opening < 2; ++opening) {
        ASSERT_TRUE(panel.open(QStringLiteral("background-image")));
        auto *gradient = qobject_cast<BackgrouImageEditor *>(panel.editors.editorView());
        ASSERT_TRUE(gradient);
        gradient->swatch()->cellWithTag(20 + opening)->click();
        typeInto(gradient->colorTextEditor()->hexInput()->hexTextInput(), QStringLiteral("36b9cc"));
        live.panel.closeStyleEditor();
        live.settleWrites();
    }
    live.panel.saveDocument();
    live.settleWrites();
    const QString saved = live.disk(QStringLiteral("site.css"));
    EXPECT_EQ(saved.count(QStringLiteral("background-image")), 1) << saved.toStdString();
    EXPECT_TRUE(saved.contains(QStringLiteral("    background-image: linear-gradient(to bottom, #36b9cc, #042951);\n")))
        << saved.toStdString();
    EXPECT_EQ(panel.computed(QStringLiteral("background-image")),
              QStringLiteral("linear-gradient(rgb(54, 185, 204), rgb(4, 41, 81))"));
    while (live.undo.canUndo())
        live.undo.undo();
    live.settleWrites();
    EXPECT_EQ(panel.text(), panel.original);
}

TEST(PopoverEditorsLive, TheColourPopoverStaysOpenWhileTheColourPanelIsUsed)
{
    PopoverPanel panel;
    ASSERT_TRUE(panel.loaded);
    LivePanel &live = panel.live;
    ASSERT_TRUE(panel.open(QStringLiteral("color")));
    auto *color = qobject_cast<ColorEditorView *>(panel.editors.editorView());
    ASSERT_TRUE(color);
    color->colorWell()->activate();
    QColorDialog *dialog = ColorPanel::sharedColorPanel().dialog();
    ASSERT_TRUE(dialog->isVisible());
    // A drag in the panel: several colours one after the other.
    for (int blue : {10, 20, 30})
        dialog->setCurrentColor(QColor(0, 0, blue));
    EXPECT_EQ(panel.computed(QStringLiteral("color")), QStringLiteral("rgb(0, 0, 30)"));
    EXPECT_FALSE(live.panel.popoverShouldClose());
    EXPECT_TRUE(live.panel.isStyleEditorShown());
    live.panel.closeStyleEditor();
    EXPECT_FALSE(dialog->isVisible());
    live.settleWrites();
    QString expected = panel.original;
    expected.replace(QStringLiteral("color: red;"), QStringLiteral("color: #00001e;"));
    EXPECT_EQ(panel.text(), expected);
}

} // namespace PopoverEditorsLiveTest
