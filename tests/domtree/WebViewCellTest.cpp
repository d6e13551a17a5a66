#include "TestUtil.h"
#include "WebTestFixture.h"

#include "domtree/WebViewCell.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(WebViewCell, TheContentHeightAddsTheBodysSpacingAndCentresItInTheRow)
{
    const QVariantMap computed{{"margin-top", "8px"}, {"margin-bottom", "8px"}, {"padding-top", "0px"},
                               {"padding-bottom", "0px"}, {"border-top-width", "0px"}, {"border-bottom-width", "0px"},
                               {"height", "100px"}};
    EXPECT_EQ(WebViewCell::contentHeightOf(computed), 116);
    EXPECT_EQ(WebViewCell::offsetFor(200, 116), 42);
    EXPECT_EQ(WebViewCell::contentHeightOf({}), 0);
}

TEST(WebViewCell, EachFragmentIsRenderedOnceWithItsOwnHeight)
{
    // The browser is running, as the preview runs it.
    WebTestFixture fixture(WebTestFixture::sharedView());
    QTemporaryDir folder;
    const QString tall = QDir(folder.path()).filePath("tall.html");
    const QString low = QDir(folder.path()).filePath("low.html");
    ASSERT_TRUE(TestUtil::writeFile(tall, "<div style='height:100px;background:#00f'></div>"));
    ASSERT_TRUE(TestUtil::writeFile(low, "<div style='height:30px;background:#f00'></div>"));

    WebViewCell cell;
    cell.setCellWidth(200);
    QStringList rendered;
    QObject::connect(&cell, &WebViewCell::pictureRendered, &cell, [&rendered](const QString &file) { rendered << file; });
    EXPECT_FALSE(cell.pictureOf(tall).isValid());
    EXPECT_FALSE(cell.pictureOf(low).isValid());
    EXPECT_FALSE(cell.pictureOf(tall).isValid());
    ASSERT_TRUE(TestUtil::waitUntil([&cell] { return !cell.isRendering(); }, 20000));
    EXPECT_EQ(rendered, (QStringList{tall, low}));
    // The default body margins of 8 pixels count, each picture its own.
    const WebViewCell::Picture first = cell.pictureOf(tall);
    const WebViewCell::Picture second = cell.pictureOf(low);
    ASSERT_TRUE(first.isValid());
    ASSERT_TRUE(second.isValid());
    EXPECT_EQ(first.contentHeight, 116);
    EXPECT_EQ(second.contentHeight, 46);
    EXPECT_EQ(first.image.height(), 116);
    EXPECT_EQ(first.image.width(), 200);
    // The fragment's box is drawn: blue inside the body's margin.
    EXPECT_EQ(first.image.pixelColor(100, 50), QColor(0, 0, 255));
}
