#include "TestPrinters.h"
#include "TestUtil.h"
#include "WebTestFixture.h"

#include "StyleLivePanel.h"
#include "PanelTestSupport.h"
#include "domtree/DomTreeTestSupport.h"

#include "editors/BorderEditor.h"
#include "editors/ColorEditor.h"
#include "editors/ColorPalletTip.h"
#include "editors/ColorPalletViewController.h"
#include "editors/FourLengthsEditor.h"
#include "editors/LengthEditor.h"
#include "editors/NumberField.h"
#include "editors/QuickColorPicker.h"
#include "platform/kit/ColorPanel.h"
#include "platform/kit/PopUpButton.h"
#include "platform/web/cssom/DOMCSSStyleSheet.h"
#include "platform/web/cssom/DOMStyleSheetList.h"
#include "platform/web/engine/WebFrameMirror.h"
#include "toolkit/RBLPopover.h"

#include <QColorDialog>
#include <QListWidget>
#include <QRegularExpression>
#include <QTest>
#include <QToolButton>
#include <QUrl>

#include <gtest/gtest.h>

namespace StylePanelLiveTest {

namespace {

const QByteArray s_page =
    "<!DOCTYPE html>\n"
    "<html>\n"
    "  <head>\n"
    "    <style>.card { background: url(\"http://example.com/a;b.png\") no-repeat; color: red }</style>\n"
    "  </head>\n"
    "  <body>\n"
    "    <div id='box' class='card' style='color: red'>Box</div>\n"
    "    <p id='other'>Other</p>\n"
    "  </body>\n"
    "</html>\n";

const QString s_original = QString::fromUtf8(s_page);

} // namespace

TEST(StylePanelLive, PaddingTypedInThePaneReachesPageAndFileAndOneUndoRestoresBoth)
{
    StyleLivePanel page(s_page);
    ASSERT_TRUE(page.loaded);
    page.select(page.byId("box"));
    ASSERT_TRUE(TestUtil::waitUntil([&] { return page.pane.styledElement() == page.byId("box"); }));
    EXPECT_TRUE(page.pane.view()->isEnabled());

    auto *padding = qobject_cast<FourLengthsEditor *>(page.pane.editorForProperty(QStringLiteral("padding")));
    page.type(padding->valueInput(0), QStringLiteral("12"));
    EXPECT_EQ(page.inPage("document.getElementById('box').style.padding"), QStringLiteral("12px"));
    const QString edited = page.text();
    EXPECT_EQ(edited, QString(s_original).replace(QStringLiteral("<div id='box' class='card' style='color: red'>"),
                                                  QStringLiteral("<div id='box' class='card' style='color: red; padding: 12px'>")));
    EXPECT_EQ(page.undo.undoActionName(), QStringLiteral("Edit Attributes"));

    page.undo.loopEnd();
    page.undo.undo();
    page.settle();
    EXPECT_EQ(page.text(), s_original);
    EXPECT_EQ(page.inPage("document.getElementById('box').style.padding"), QString());
    // The pane shows the text as it is again...
    EXPECT_TRUE(padding->valueInput(0)->text().isEmpty());
    // ...so a later edit does not bring the padding back.
    auto *width = qobject_cast<LengthEditor *>(page.pane.editorForProperty(QStringLiteral("width")));
    page.type(width->valueInput(), QStringLiteral("50"));
    EXPECT_EQ(page.inPage("document.getElementById('box').getAttribute('style')"),
              QStringLiteral("width:50px; color:red;"));
    EXPECT_FALSE(page.text().contains(QStringLiteral("padding")));

    // Nothing selected: the pane is empty and disabled.
    page.tree->selectNode(nullptr);
    EXPECT_TRUE(TestUtil::waitUntil([&] { return !page.pane.hasStyledObject(); }));
    EXPECT_FALSE(page.pane.view()->isEnabled());
}

TEST(StylePanelLive, TheTreesPopoverEditsTheClickedElementAndASwatchKeepsItOpen)
{
    StyleLivePanel page(s_page);
    ASSERT_TRUE(page.loaded);
    page.window.resize(420, 600);
    page.select(page.byId("other"));
    page.tree->setContextTargetNode(page.rowOf(page.byId("other")));
    page.tree->showAttributeStyleEditor();
    RBLPopover *popover = page.tree->attributeStyleEditorPopover();
    ASSERT_NE(popover, nullptr);
    ASSERT_TRUE(popover->isShown());
    EXPECT_EQ(page.popoverPanel.styledElement(), page.byId("other"));
    EXPECT_EQ(page.popoverPanel.view()->size(), QSize(240, 385));

    auto *colour = qobject_cast<ColorEditor *>(page.popoverPanel.editorForProperty(QStringLiteral("color")));
    colour->colorPicker()->colorPalletButton()->click();
    QTest::mouseClick(colour->colorPicker()->colorPalletViewController()->tips()[14], Qt::LeftButton);
    page.settle();
    EXPECT_TRUE(popover->isShown());
    EXPECT_EQ(page.inPage("document.getElementById('other').getAttribute('style')"), QStringLiteral("color:#fb0007;"));
    EXPECT_TRUE(page.text().contains(QStringLiteral("<p id='other' style='color:#fb0007;'>")));
    popover->close();
}

TEST(StylePanelLive, ARuleWithAUrlBackgroundKeepsItThroughAnEditAndTheRuleListOffersIt)
{
    StyleLivePanel page(s_page);
    ASSERT_TRUE(page.loaded);
    DOMStyleSheetList &sheets = page.document->styleSheets();
    ASSERT_GE(sheets.length(), 1);
    const DOMCSSRulePtr rule = sheets.item(0)->cssRules().item(0);
    ASSERT_TRUE(rule);
    QList<QVariantMap> ends;
    QObject observer;
    NotificationCenter::defaultCenter().addObserver(&observer, QStringLiteral("StyleEditEnd"), nullptr,
                                                    [&ends](const Notification &n) { ends.append(n.userInfo); });
    page.popoverPanel.setStyledObject(rule);
    const QString before = page.popoverPanel.originalCSSText();
    EXPECT_TRUE(before.contains(QStringLiteral("http://example.com/a;b.png"))) << before.toStdString();
    auto *width = qobject_cast<LengthEditor *>(page.popoverPanel.editorForProperty(QStringLiteral("width")));
    page.type(width->valueInput(), QStringLiteral("5"));
    ASSERT_EQ(ends.size(), 1);
    EXPECT_EQ(ends[0].value(QStringLiteral("rule")).value<DOMCSSRulePtr>(), rule);
    EXPECT_EQ(ends[0].value(QStringLiteral("oldValue")).toString(), before);
    const QString after = ends[0].value(QStringLiteral("styleValue")).toString();
    // The url() as the rule has it, whole, ";" and quotes included.
    const QRegularExpression url(QStringLiteral("url\\([^)]*\\)"));
    const QString written = url.match(before).captured();
    ASSERT_FALSE(written.isEmpty());
    EXPECT_TRUE(after.contains(written)) << after.toStdString();
    EXPECT_TRUE(after.contains(QStringLiteral(" width:5px; color:red;"))) << after.toStdString();

    // The optional rule list: the element's style attribute, then its rules.
    page.popoverPanel.setRules({rule}, page.byId("box"));
    auto *list = page.popoverPanel.view()->findChild<QListWidget *>(QStringLiteral("ruleListView"));
    ASSERT_TRUE(list);
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(0)->text(), QStringLiteral("Style Attribute"));
    EXPECT_EQ(list->item(1)->text(), QStringLiteral(".card"));
    EXPECT_FALSE(page.popoverPanel.hasStyledObject());
    list->setCurrentRow(0);
    EXPECT_EQ(page.popoverPanel.styledElement(), page.byId("box"));
    list->setCurrentRow(1);
    EXPECT_EQ(page.popoverPanel.styledRule(), rule);
    NotificationCenter::defaultCenter().removeObserver(&observer);
}

TEST(StylePanelLive, OneSideOfAnElementsBorderWithAVarColourIsWrittenBesideTheAuthorsDeclarations)
{
    const QByteArray html = "<!DOCTYPE html>\n<html>\n  <body>\n"
                            "    <div id='box' style='border: 1px solid var(--edge, #ced4da); border-top: 0'>Box</div>\n"
                            "  </body>\n</html>\n";
    StyleLivePanel page(html);
    ASSERT_TRUE(page.loaded);
    page.select(page.byId("box"));
    ASSERT_TRUE(TestUtil::waitUntil([&] { return page.pane.styledElement() == page.byId("box"); }));
    auto *border = qobject_cast<BorderEditor *>(page.pane.editorForProperty(QStringLiteral("border")));
    ASSERT_FALSE(border->isLocked());
    PopUpButton *style = border->controls(BorderEditor::Right).styleSelector;
    style->setCurrentIndex(style->findText(QStringLiteral("dotted")));
    Q_EMIT style->activated(style->currentIndex());
    page.settle();

    EXPECT_EQ(page.text(), QString::fromUtf8(html).replace(
                               QStringLiteral("border-top: 0'"),
                               QStringLiteral("border-top: 0; border-right: 1px dotted var(--edge, #ced4da)'")));
    const QString box = QStringLiteral("getComputedStyle(document.getElementById('box')).");
    EXPECT_EQ(page.inPage(box + QStringLiteral("borderRightStyle")), QStringLiteral("dotted"));
    EXPECT_EQ(page.inPage(box + QStringLiteral("borderLeftStyle")), QStringLiteral("solid"));
    EXPECT_EQ(page.inPage(box + QStringLiteral("borderTopStyle")), QStringLiteral("none"));
    EXPECT_EQ(page.inPage(box + QStringLiteral("borderRightColor")), QStringLiteral("rgb(206, 212, 218)"));
}

} // namespace StylePanelLiveTest
