#include "TestPrinters.h"
#include "TestUtil.h"
#include "WebTestFixture.h"

#include "StyleLivePanel.h"

#include "editors/AttributeStyleEditorViewController.h"
#include "editors/FilterEditor.h"
#include "editors/ShadowEditor.h"

#include <QListWidget>
#include <QSlider>
#include <QTest>
#include <QToolButton>
#include <QUrl>

#include <gtest/gtest.h>

namespace StylePanelCompoundLiveTest {

namespace {

const QByteArray s_page = "<!DOCTYPE html>\n"
                          "<html>\n"
                          "  <body>\n"
                          "    <div id='box' style='color: red'>Box</div>\n"
                          "  </body>\n"
                          "</html>\n";

// The panel showing the box.
struct CompoundLivePanel : StyleLivePanel
{
    CompoundLivePanel()
        : StyleLivePanel(s_page)
    {
        if (!loaded)
            return;
        select(byId("box"));
        shown = TestUtil::waitUntil([this] { return pane.styledElement() == byId("box"); });
    }

    bool shown = false;
};

} // namespace

TEST(StylePanelCompoundLive, AShadowLayerAddedReachesThePageAndOneUndoRemovesItFromPageFileAndList)
{
    CompoundLivePanel page;
    ASSERT_TRUE(page.loaded);
    ASSERT_TRUE(page.shown);
    const QString original = page.text();
    auto *shadow = qobject_cast<ShadowEditor *>(page.pane.editorForProperty(QStringLiteral("box-shadow")));
    ASSERT_NE(shadow, nullptr);
    EXPECT_TRUE(shadow->shadows().isEmpty());

    shadow->addButton()->click();
    page.settle();
    EXPECT_EQ(page.inPage("document.getElementById('box').style.boxShadow"), QStringLiteral("rgb(0, 0, 0) 1px 1px 0px 0px"));
    EXPECT_TRUE(page.text().contains(QStringLiteral("style='color: red; box-shadow: 1px 1px 0px 0px #000000'")));
    EXPECT_EQ(shadow->listView()->count(), 1);

    page.undo.loopEnd();
    page.undo.undo();
    page.settle();
    EXPECT_EQ(page.text(), original);
    EXPECT_EQ(page.inPage("document.getElementById('box').style.boxShadow"), QString());
    EXPECT_TRUE(shadow->shadows().isEmpty());
    EXPECT_EQ(shadow->listView()->count(), 0);
    EXPECT_FALSE(page.undo.canUndo());
}

TEST(StylePanelCompoundLive, ABlurDragShowsInThePageWhileItLastsAndIsOneUndoStep)
{
    CompoundLivePanel page;
    ASSERT_TRUE(page.loaded);
    ASSERT_TRUE(page.shown);
    const QString original = page.text();
    page.window.resize(420, 700);
    auto *filter = qobject_cast<FilterEditor *>(page.pane.editorForProperty(QStringLiteral("filter")));
    ASSERT_NE(filter, nullptr);
    page.pane.changeTab(3);
    page.pane.view()->resize(300, 700);
    page.pane.view()->show();
    QSlider *blur = filter->slider(FilterValue::Blur);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(blur->window()));

    const int y = blur->height() / 2;
    QTest::mousePress(blur, Qt::LeftButton, {}, QPoint(3, y));
    QTest::mouseMove(blur, QPoint(blur->width() / 4, y));
    QTest::mouseMove(blur, QPoint(blur->width() / 2, y));
    page.settle();
    const QString during = page.inPage("getComputedStyle(document.getElementById('box')).filter");
    EXPECT_TRUE(during.startsWith(QStringLiteral("blur("))) << during.toStdString();
    QTest::mouseRelease(blur, Qt::LeftButton, {}, QPoint(blur->width() / 2, y));
    ASSERT_TRUE(TestUtil::waitUntil([&] { return page.text().contains(QStringLiteral("style='color: red; filter: blur(")); }));
    EXPECT_GT(filter->filter().value(FilterValue::Blur), 0);

    page.undo.loopEnd();
    page.undo.undo();
    page.settle();
    EXPECT_EQ(page.text(), original);
    EXPECT_EQ(page.inPage("getComputedStyle(document.getElementById('box')).filter"), QStringLiteral("none"));
    EXPECT_FALSE(page.undo.canUndo());
}

} // namespace StylePanelCompoundLiveTest
