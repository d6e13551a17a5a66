#include "TestPrinters.h"
#include "PanelTestSupport.h"

#include "editors/BorderEditor.h"
#include "editors/ColorEditor.h"
#include "editors/FourLengthsEditor.h"
#include "editors/LengthEditor.h"
#include "editors/NumberField.h"
#include "editors/QuickColorPicker.h"
#include "platform/kit/ColorPanel.h"
#include "platform/kit/SegmentedControl.h"
#include "platform/kit/PopUpButton.h"
#include "platform/kit/Stepper.h"
#include "stylesheet/ColorUtil.h"

#include <QColorDialog>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

void type(QLineEdit *field, const QString &text)
{
    field->setFocus();
    field->setText(text);
    QTest::keyClick(field, Qt::Key_Return);
}

// The hue and saturation square of the colour dialog.
QWidget *colourSquare(QColorDialog *dialog)
{
    for (QWidget *child : dialog->findChildren<QWidget *>()) {
        if (QByteArray(child->metaObject()->className()).endsWith("QColorPicker"))
            return child;
    }
    return nullptr;
}

// Shows the style in the panel and opens the colour panel from its colour editor.
ColorPanel &openColourPanel(PanelHarness &harness, const QString &style)
{
    harness.show(style);
    harness.editor<ColorEditor>(QStringLiteral("color"))->colorPicker()->colorPickerButton()->click();
    return ColorPanel::sharedColorPanel();
}

} // namespace

TEST(StylePanelAnnouncements, EachEditAnnouncesFromThePreviousTextAndAnUnchangedTextIsSilent)
{
    PanelHarness harness;
    harness.show(QString());
    auto *width = harness.editor<LengthEditor>(QStringLiteral("width"));
    type(width->valueInput(), QStringLiteral("10"));
    ASSERT_EQ(harness.posts.size(), 1);
    EXPECT_EQ(harness.posts[0].second.value(QStringLiteral("styleValue")).toString(), QStringLiteral("width:10px;"));
    EXPECT_EQ(harness.posts[0].second.value(QStringLiteral("oldValue")).toString(), QString());
    EXPECT_EQ(harness.posts[0].second.value(QStringLiteral("element")).value<DOMNode *>(), harness.element.get());

    type(width->valueInput(), QStringLiteral("20"));
    ASSERT_EQ(harness.posts.size(), 2);
    EXPECT_EQ(harness.posts[1].second.value(QStringLiteral("oldValue")).toString(), QStringLiteral("width:10px;"));
    EXPECT_EQ(harness.posts[1].second.value(QStringLiteral("styleValue")).toString(), QStringLiteral("width:20px;"));

    // The same value again, and a text that reads as the same number.
    type(width->valueInput(), QStringLiteral("20"));
    type(width->valueInput(), QStringLiteral("20.0"));
    EXPECT_EQ(harness.posts.size(), 2);
    // Nothing shown: nothing announced.
    harness.panel.clearStyledObject();
    EXPECT_FALSE(harness.panel.view()->isEnabled());
    width->valueChange();
    EXPECT_EQ(harness.posts.size(), 2);
}

TEST(StylePanelAnnouncements, AColourPanelDragAnnouncesLiveChangesAndOneEndFromTheTextBeforeIt)
{
    PanelHarness harness;
    ColorPanel &panel = openColourPanel(harness, QStringLiteral("color: red"));
    ASSERT_TRUE(panel.isVisible());
    QWidget *square = colourSquare(panel.dialog());
    ASSERT_NE(square, nullptr);
    QTest::mousePress(square, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseMove(square, QPoint(30, 20));
    QTest::mouseMove(square, QPoint(50, 40));
    const qsizetype live = harness.posts.size();
    EXPECT_GE(live, 2);
    for (const auto &post : harness.posts)
        EXPECT_EQ(post.first, QStringLiteral("StyleAttributeEditChange"));
    QTest::mouseRelease(square, Qt::LeftButton, {}, QPoint(50, 40));
    TestUtil::waitUntil([&] { return harness.names().contains(QStringLiteral("StyleAttributeEditEnd")); });
    TestUtil::spin(20);
    ASSERT_EQ(harness.names().count(QStringLiteral("StyleAttributeEditEnd")), 1);
    const auto end = harness.posts.last();
    EXPECT_EQ(end.first, QStringLiteral("StyleAttributeEditEnd"));
    EXPECT_EQ(end.second.value(QStringLiteral("oldValue")).toString(), QStringLiteral("color: red"));
    EXPECT_TRUE(end.second.value(QStringLiteral("styleValue")).toString().startsWith(QStringLiteral("color:#")));
    // Just before it, the text goes back to the one before the drag, so
    // that the receiver records one step from there.
    const auto back = harness.posts[harness.posts.size() - 2];
    EXPECT_EQ(back.first, QStringLiteral("StyleAttributeEditChange"));
    EXPECT_EQ(back.second.value(QStringLiteral("styleValue")).toString(), QStringLiteral("color: red"));
    panel.close();
}

// A colour typed into the colour panel passes through others on its way
// ("#336" before "#336699"): one End for the colour chosen, from the text
// before, once Return makes the choice (#78).
TEST(StylePanelAnnouncements, AColourTypedKeyByKeyIntoTheColourPanelIsOneEnd)
{
    PanelHarness harness;
    ColorPanel &panel = openColourPanel(harness, QStringLiteral("color: red"));
    QLineEdit *html = nullptr;
    for (QLineEdit *field : panel.dialog()->findChildren<QLineEdit *>()) {
        if (field->text().startsWith(u'#'))
            html = field;
    }
    ASSERT_NE(html, nullptr);
    html->setFocus();
    html->selectAll();
    QTest::keyClicks(html, QStringLiteral("#336699"));
    TestUtil::spin(20);
    EXPECT_FALSE(harness.names().contains(QStringLiteral("StyleAttributeEditEnd"))) << harness.names().join(u' ').toStdString();
    EXPECT_GE(harness.names().count(QStringLiteral("StyleAttributeEditChange")), 2);
    QTest::keyClick(html, Qt::Key_Return);
    TestUtil::waitUntil([&] { return harness.names().contains(QStringLiteral("StyleAttributeEditEnd")); });
    TestUtil::spin(20);
    ASSERT_EQ(harness.names().count(QStringLiteral("StyleAttributeEditEnd")), 1);
    EXPECT_EQ(harness.posts.last().second.value(QStringLiteral("oldValue")).toString(), QStringLiteral("color: red"));
    EXPECT_EQ(harness.posts.last().second.value(QStringLiteral("styleValue")).toString(), QStringLiteral("color:#336699;"));
    panel.close();
}

TEST(StylePanelAnnouncements, ANewElementStartsFromPixelsWhateverTheLastOneUsed)
{
    PanelHarness harness;
    harness.show(QStringLiteral("width: 2em"));
    harness.show(QString());
    auto *width = harness.editor<LengthEditor>(QStringLiteral("width"));
    EXPECT_EQ(width->unitButton()->titleOfSelectedItem(), QStringLiteral("px"));
    type(width->valueInput(), QStringLiteral("10"));
    EXPECT_EQ(harness.lastEnd(), QStringLiteral("width:10px;"));
}

TEST(StylePanelAnnouncements, HoldingAStepperIsOneGesture)
{
    PanelHarness harness;
    harness.show(QStringLiteral("width: 10px"));
    auto *width = harness.editor<LengthEditor>(QStringLiteral("width"));
    QToolButton *up = width->stepper()->upButton();
    QTest::mousePress(up, Qt::LeftButton);
    TestUtil::waitUntil([&] { return harness.posts.size() >= 2; });
    QTest::mouseRelease(up, Qt::LeftButton);
    TestUtil::waitUntil([&] { return harness.names().contains(QStringLiteral("StyleAttributeEditEnd")); });
    TestUtil::spin(20);
    EXPECT_EQ(harness.names().count(QStringLiteral("StyleAttributeEditEnd")), 1);
    EXPECT_EQ(harness.posts.last().second.value(QStringLiteral("oldValue")).toString(), QStringLiteral("width: 10px"));
    EXPECT_EQ(harness.posts.last().second.value(QStringLiteral("styleValue")).toString(),
              QStringLiteral("width:%1px;").arg(width->stepper()->intValue()));
}

TEST(StylePanelAnnouncements, AButtonHeldOutsideThePanelIsNoGestureOfIt)
{
    PanelHarness harness;
    harness.show(QStringLiteral("width: 10px"));
    // A drag elsewhere whose release the panel never sees.
    QWidget elsewhere;
    elsewhere.resize(50, 50);
    elsewhere.show();
    QTest::mousePress(&elsewhere, Qt::LeftButton);
    type(harness.editor<LengthEditor>(QStringLiteral("width"))->valueInput(), QStringLiteral("11"));
    EXPECT_EQ(harness.names(), QStringList{"StyleAttributeEditEnd"});
    QTest::mouseRelease(&elsewhere, Qt::LeftButton);
}

TEST(StylePanelAnnouncements, TheStyleChangedElsewhereIsReadAgainAndAnEditGoesOnFromIt)
{
    PanelHarness harness;
    harness.show(QStringLiteral("width: 10px"));
    // As the receiver does it: the attribute takes the announced text.
    NotificationCenter::defaultCenter().addObserver(&harness, QStringLiteral("StyleAttributeEditEnd"), nullptr,
                                                    [&harness](const Notification &n) {
                                                        harness.element->setAttribute(
                                                            QStringLiteral("style"),
                                                            n.userInfo.value(QStringLiteral("styleValue")).toString());
                                                    });
    auto *width = harness.editor<LengthEditor>(QStringLiteral("width"));
    type(width->valueInput(), QStringLiteral("20"));
    EXPECT_EQ(width->valueInput()->text(), QStringLiteral("20"));
    // An undo elsewhere puts the old text back: the panel shows it.
    harness.element->setAttribute(QStringLiteral("style"), QStringLiteral("width: 10px; cursor: move"));
    EXPECT_EQ(width->valueInput()->text(), QStringLiteral("10"));
    EXPECT_EQ(harness.panel.preCSSText(), QStringLiteral("width: 10px; cursor: move"));
    type(harness.editor<LengthEditor>(QStringLiteral("height"))->valueInput(), QStringLiteral("4"));
    EXPECT_EQ(harness.lastEnd(), QStringLiteral("cursor:move; width:10px; height:4px;"));
    EXPECT_EQ(harness.posts.last().second.value(QStringLiteral("oldValue")).toString(),
              QStringLiteral("width: 10px; cursor: move"));
    NotificationCenter::defaultCenter().removeObserver(&harness);
}

TEST(StylePanelAnnouncements, FocusingAPropertyShowsItsPageAndPutsTheKeyboardOnIt)
{
    PanelHarness harness;
    harness.panel.view()->show();
    harness.show(QStringLiteral("margin: 1px"));
    harness.panel.focusWithProperty(QStringLiteral("border"));
    EXPECT_EQ(harness.panel.currentPage(), 1);
    EXPECT_TRUE(harness.panel.tabController()->isSelectedForSegment(1));
    harness.panel.focusWithProperty(QStringLiteral("opacity"));
    EXPECT_EQ(harness.panel.currentPage(), 3);
    harness.panel.focusWithProperty(QStringLiteral("margin-top"));
    EXPECT_EQ(harness.panel.currentPage(), 0);
    EXPECT_TRUE(TestUtil::waitUntil([&] {
        return QApplication::focusWidget()
               == harness.editor<FourLengthsEditor>(QStringLiteral("margin"))->valueInput(0);
    }));
}

TEST(StylePanelAnnouncements, ABorderSideShowsTheBorderPageOnThatSide)
{
    PanelHarness harness;
    harness.panel.view()->show();
    // A framework's card header: its bottom side alone.
    harness.show(QStringLiteral("border-bottom: var(--bs-card-border-width) solid var(--bs-card-border-color)"));
    auto *border = harness.editor<BorderEditor>(QStringLiteral("border"));
    ASSERT_FALSE(border->isLocked());
    for (const char *property : {"border-bottom", "border", "border-bottom-color"}) {
        SCOPED_TRACE(property);
        harness.panel.changeTab(0);
        border->tabController()->setSelectedSegment(0);
        harness.panel.focusWithProperty(QString::fromLatin1(property));
        EXPECT_EQ(harness.panel.currentPage(), 1);
        EXPECT_EQ(border->tabController()->selectedSegment(), 2);
        EXPECT_TRUE(TestUtil::waitUntil([&] {
            return QApplication::focusWidget() == border->controls(BorderEditor::Bottom).styleSelector;
        }));
    }
}

TEST(StylePanelAnnouncements, TheBorderAndBackgroundPagesChooseTheirInnerPageAndAPropertyShowsItsOwn)
{
    PanelHarness harness;
    harness.panel.view()->show();
    harness.show(QStringLiteral("border: 1px solid red; border-radius: 2px; background-color: blue"));
    SegmentedControl *border = harness.panel.borderController();
    SegmentedControl *background = harness.panel.backgroundController();
    ASSERT_NE(border, nullptr);
    ASSERT_NE(background, nullptr);
    EXPECT_EQ(border->segmentCount(), 2);
    EXPECT_EQ(background->segmentCount(), 2);
    QWidget *sides = harness.panel.editorForProperty(QStringLiteral("border"));
    QWidget *radius = harness.panel.editorForProperty(QStringLiteral("border-radius"));
    QWidget *colour = harness.panel.editorForProperty(QStringLiteral("background-color"));
    QWidget *boxShadow = harness.panel.editorForProperty(QStringLiteral("box-shadow"));

    harness.panel.focusWithProperty(QStringLiteral("border-radius"));
    EXPECT_EQ(harness.panel.currentPage(), 1);
    EXPECT_TRUE(border->isSelectedForSegment(1));
    EXPECT_TRUE(radius->isVisible());
    EXPECT_FALSE(sides->isVisible());
    // A click on the chooser's first segment shows the sides again.
    QTest::mouseClick(border, Qt::LeftButton, {}, border->rectForSegment(0).center());
    EXPECT_EQ(harness.panel.subPage(border), 0);
    EXPECT_TRUE(sides->isVisible());
    EXPECT_FALSE(radius->isVisible());

    harness.panel.focusWithProperty(QStringLiteral("box-shadow"));
    EXPECT_EQ(harness.panel.currentPage(), 2);
    EXPECT_EQ(harness.panel.subPage(background), 1);
    EXPECT_TRUE(boxShadow->isVisible());
    harness.panel.focusWithProperty(QStringLiteral("background-color"));
    EXPECT_EQ(harness.panel.subPage(background), 0);
    EXPECT_TRUE(colour->isVisible());
    EXPECT_TRUE(background->isSelectedForSegment(0));
    EXPECT_FALSE(background->isSelectedForSegment(1));
    // The inner pages change no text.
    EXPECT_TRUE(harness.posts.isEmpty());
}

TEST(StylePanelAnnouncements, FourSidesFollowTheLockAndWriteTheirSidesInShorthandOrder)
{
    PanelHarness harness;
    harness.show(QStringLiteral("padding: 10px 20px 10px 20px"));
    auto *padding = harness.editor<FourLengthsEditor>(QStringLiteral("padding"));
    EXPECT_FALSE(padding->isLocked());
    EXPECT_EQ(padding->value(), QStringLiteral("10px 20px 10px 20px"));
    harness.show(QStringLiteral("padding: 4px"));
    EXPECT_TRUE(padding->isLocked());
    EXPECT_FALSE(padding->valueInput(1)->isEnabled());
    padding->lockButton()->click();
    type(padding->valueInput(3), QString());
    type(padding->valueInput(2), QString());
    EXPECT_EQ(harness.lastEnd(), QStringLiteral("padding:4px 4px;"));
    type(padding->valueInput(1), QString());
    type(padding->valueInput(2), QStringLiteral("3"));
    EXPECT_EQ(harness.lastEnd(), QStringLiteral("padding:4px inherit 3px;"));
}

// #77: a rule with "margin-bottom: 2rem" showed four empty margin boxes.
TEST(StylePanelAnnouncements, ASideSetAloneFillsItsOwnBoxAndStaysALonghand)
{
    PanelHarness harness;
    harness.show(QStringLiteral("color: red; margin-bottom: 2rem; padding-left: 1px !important; padding-top: 0 !important"));
    auto *margin = harness.editor<FourLengthsEditor>(QStringLiteral("margin"));
    EXPECT_FALSE(margin->isLocked());
    EXPECT_EQ(margin->valueInput(0)->text(), QString());
    EXPECT_EQ(margin->valueInput(2)->text(), QStringLiteral("2"));
    EXPECT_EQ(margin->unit(), QStringLiteral("rem"));
    auto *padding = harness.editor<FourLengthsEditor>(QStringLiteral("padding"));
    EXPECT_EQ(padding->valueInput(0)->text(), QStringLiteral("0"));
    EXPECT_EQ(padding->valueInput(3)->text(), QStringLiteral("1"));
    type(margin->valueInput(2), QStringLiteral("3"));
    EXPECT_EQ(harness.lastEnd(), QStringLiteral("margin-bottom:3rem; padding-left:1px !important; padding-top:0 !important; color:red;"));
    // With all four sides set the shorthand is written.
    type(margin->valueInput(0), QStringLiteral("1"));
    type(margin->valueInput(1), QStringLiteral("1"));
    type(margin->valueInput(3), QStringLiteral("1"));
    EXPECT_EQ(harness.lastEnd(), QStringLiteral("margin:1rem 1rem 3rem 1rem; padding-left:1px !important; padding-top:0 !important; color:red;"));
    // A side of a value that does not split is left to the panel as written.
    harness.show(QStringLiteral("margin: var(--gap); margin-bottom: 2rem"));
    EXPECT_EQ(margin->valueInput(2)->text(), QString());
}

TEST(StylePanelAnnouncements, TabReachesEveryControlOfAPage)
{
    PanelHarness harness;
    harness.panel.view()->show();
    harness.show(QStringLiteral("width: 1px"));
    // The widgets Tab visits, from the page chooser on.
    QSet<QWidget *> reached;
    QWidget *start = harness.panel.tabController();
    for (QWidget *w = start->nextInFocusChain(); w && w != start; w = w->nextInFocusChain()) {
        if ((w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(harness.panel.view()))
            reached.insert(w);
    }
    auto *width = harness.editor<LengthEditor>(QStringLiteral("width"));
    auto *margin = harness.editor<FourLengthsEditor>(QStringLiteral("margin"));
    auto *colour = harness.editor<ColorEditor>(QStringLiteral("color"));
    const QList<QWidget *> controls = {
        width->valueInput(), width->stepper(), width->unitButton(), margin->valueInput(3), margin->lockButton(),
        margin->unitButton(), colour->colorPicker()->colorPalletButton(), colour->colorPicker()->colorPickerButton(),
        harness.panel.editorForProperty(QStringLiteral("text-align"))->firstControl(),
        harness.panel.editorForProperty(QStringLiteral("display"))->firstControl()};
    for (QWidget *control : controls)
        EXPECT_TRUE(reached.contains(control)) << control->metaObject()->className();
}

namespace StylePanelNamedColours {

TEST(StylePanelAnnouncements, TheColourEditorHoldsEveryNamedColourAndCurrentcolorAsNoColour)
{
    PanelHarness harness;
    harness.show(QStringLiteral("color: antiquewhite"));
    auto *colour = harness.editor<ColorEditor>(QStringLiteral("color"));
    ASSERT_TRUE(colour->color());
    EXPECT_EQ(ColorUtil::hexadecimalValue(*colour->color()), QStringLiteral("faebd7"));
    harness.show(QStringLiteral("color: currentcolor"));
    colour = harness.editor<ColorEditor>(QStringLiteral("color"));
    EXPECT_FALSE(colour->color());
    EXPECT_TRUE(harness.posts.isEmpty());
}

} // namespace StylePanelNamedColours
