#include "PreviewTestSupport.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMElement.h"
#include "platform/web/engine/WebPage.h"
#include "preview/GridView.h"
#include "preview/RespponsiveRuler.h"
#include "preview/RulerSlider.h"
#include "toolkit/SlidecCellEx.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QMouseEvent>
#include <QToolButton>

#include <gtest/gtest.h>

#include <cmath>

namespace {

using Marker = PreviewDelegate::Marker;

// A preview 1200 by 700 with every size control.
class SizesHarness
{
public:
    SizesHarness()
    {
        container.resize(1200, 700);
        auto *layout = new QVBoxLayout(&container);
        layout->setContentsMargins(0, 0, 0, 0);
        container.show();
        preview.setPreviewSizePopUpButton(&popUp);
        preview.setOrientationButton(&orientation);
        preview.setChromedPreview(&chrome);
        preview.setResponsiveSlider(&slider);
        preview.setResponsiveRuler(&ruler);
        preview.setResponsiveRulerMenuItem(&rulerItem);
        preview.initWebView(&container);
        QApplication::processEvents();
    }
    ~SizesHarness() { UserDefaults::standardUserDefaults().removeObjectForKey(QStringLiteral("rulerActive")); }

    QSize previewSize() { return preview.webview()->geometry().size(); }
    // The markers lit (alpha 1).
    QList<int> lit() const
    {
        QList<int> markers;
        for (int i = 0; i < PreviewDelegate::MarkerCount; ++i) {
            if (preview.markerAlpha(Marker(i)) == 1.0)
                markers.append(i);
        }
        return markers;
    }
    void slideTo(int value) { slider.setValue(value); }

    QWidget container;
    QComboBox popUp;
    QToolButton orientation;
    QAction chrome{QStringLiteral("Browser Chrome")};
    RulerSlider slider;
    RespponsiveRuler ruler;
    QAction rulerItem{QStringLiteral("Hide Responsive Ruler")};
    PreviewDelegate preview;
};

} // namespace

TEST(PreviewSizes, SliderSnapsInsideEachBreakpointWindowAndNearTheMaximum)
{
    struct Row
    {
        const char *name;
        int value;
        int snapped;
        Marker marker;
    };
    const Row rows[] = {
        {"below the first window", 310, 310, PreviewDelegate::MarkerCount},
        {"first window, low edge", 311, 320, PreviewDelegate::BreakIPhoneV},
        {"first window, high edge", 329, 320, PreviewDelegate::BreakIPhoneV},
        {"above the first window", 330, 330, PreviewDelegate::MarkerCount},
        {"old landscape, low edge", 471, 480, PreviewDelegate::BreakIPhoneOldH},
        {"old landscape, high edge", 489, 480, PreviewDelegate::BreakIPhoneOldH},
        {"landscape, low edge", 559, 568, PreviewDelegate::BreakIPhoneH},
        {"landscape, high edge", 577, 568, PreviewDelegate::BreakIPhoneH},
        {"tablet, below", 760, 760, PreviewDelegate::MarkerCount},
        {"tablet, low edge", 761, 768, PreviewDelegate::BreakIPadV},
        {"tablet, inside", 765, 768, PreviewDelegate::BreakIPadV},
        {"tablet, high edge", 777, 768, PreviewDelegate::BreakIPadV},
        {"tablet, above", 778, 778, PreviewDelegate::MarkerCount},
        {"tablet landscape, low edge", 1015, 1024, PreviewDelegate::BreakIPadH},
        {"tablet landscape, high edge", 1033, 1024, PreviewDelegate::BreakIPadH},
        {"20 below the maximum", 1180, 1180, PreviewDelegate::MarkerCount},
        {"19 below the maximum", 1181, 1200, PreviewDelegate::BreakDesktop},
        {"the maximum", 1200, 1200, PreviewDelegate::BreakDesktop},
    };
    for (const Row &row : rows) {
        const PreviewDelegate::SliderSnap snap = PreviewDelegate::snapResponsiveWidth(row.value, 1200);
        EXPECT_EQ(snap.value, row.snapped) << row.name;
        EXPECT_EQ(snap.marker, row.marker) << row.name;
    }
    // Near a small maximum the maximum wins over a breakpoint.
    EXPECT_EQ(PreviewDelegate::snapResponsiveWidth(1020, 1030).value, 1030);
}

TEST(PreviewSizes, DraggingTheSliderSetsThePreviewsWidthLightsTheMarkerAndLabelsTheSize)
{
    SizesHarness harness;
    EXPECT_EQ(harness.previewSize(), QSize(1200, 700));
    EXPECT_EQ(harness.slider.maximum(), 1200);
    EXPECT_EQ(harness.lit(), QList<int>{PreviewDelegate::BreakDesktop});

    harness.slideTo(765);
    EXPECT_EQ(harness.slider.value(), 768);
    EXPECT_EQ(harness.previewSize(), QSize(768, 700));
    EXPECT_EQ(harness.lit(), QList<int>{PreviewDelegate::BreakIPadV});
    EXPECT_EQ(harness.preview.wLabel()->text(), QStringLiteral("Width : 768px"));
    EXPECT_EQ(harness.preview.hLabel()->text(), QStringLiteral("Height : 700px"));
    EXPECT_EQ(harness.preview.sizeBox()->x(), 778);
    EXPECT_EQ(harness.popUp.currentIndex(), 0);
    EXPECT_EQ(harness.popUp.currentText(), QStringLiteral("768×700 Actual Size"));
    EXPECT_EQ(harness.preview.webviewBorderShadow()->geometry(), QRect(-10, 0, 788, 710));

    harness.slideTo(640);
    EXPECT_EQ(harness.previewSize().width(), 640);
    EXPECT_TRUE(harness.lit().isEmpty());

    // Resizing the window keeps a width the user chose.
    harness.container.resize(1300, 700);
    QApplication::processEvents();
    EXPECT_EQ(harness.slider.maximum(), 1300);
    EXPECT_EQ(harness.previewSize(), QSize(640, 700));
}

TEST(PreviewSizes, EachPresetInBothOrientationsWithAndWithoutChromeIsCappedByThePreviewsHeight)
{
    SizesHarness harness;
    struct Row
    {
        int tag;
        bool landscape;
        bool chrome;
        QSize size;
        Marker marker;
    };
    const Row rows[] = {
        {1, false, false, {320, 480}, PreviewDelegate::BreakIPhoneV},
        {1, false, true, {320, 358}, PreviewDelegate::BreakIPhoneV},
        {1, true, false, {480, 320}, PreviewDelegate::BreakIPhoneOldH},
        {1, true, true, {480, 198}, PreviewDelegate::BreakIPhoneOldH},
        {2, false, false, {320, 568}, PreviewDelegate::BreakIPhoneV},
        {2, false, true, {320, 446}, PreviewDelegate::BreakIPhoneV},
        {2, true, false, {568, 320}, PreviewDelegate::BreakIPhoneH},
        {2, true, true, {568, 198}, PreviewDelegate::BreakIPhoneH},
        {3, false, false, {768, 700}, PreviewDelegate::BreakIPadV}, // 1034 capped
        {3, false, true, {768, 700}, PreviewDelegate::BreakIPadV},  // 938 capped
        {3, true, false, {1024, 700}, PreviewDelegate::BreakIPadH}, // 768 capped
        {3, true, true, {1024, 672}, PreviewDelegate::BreakIPadH},
        {4, false, false, {720, 700}, PreviewDelegate::MarkerCount},
        {4, true, true, {1184, 598}, PreviewDelegate::MarkerCount},
    };
    for (const Row &row : rows) {
        if (harness.preview.isLandscapePreview() != row.landscape)
            harness.preview.previewRotation();
        if (harness.preview.isChromedPreviewOn() != row.chrome)
            harness.preview.previewChrome();
        harness.preview.changePreviewSize(row.tag);
        const QString name = QStringLiteral("tag %1 %2 %3")
                                 .arg(row.tag)
                                 .arg(row.landscape ? "landscape" : "portrait", row.chrome ? "chrome" : "plain");
        EXPECT_EQ(harness.previewSize(), row.size) << qPrintable(name);
        EXPECT_EQ(harness.preview.webview()->pos(), QPoint(0, 0)) << qPrintable(name);
        EXPECT_EQ(harness.slider.value(), row.size.width()) << qPrintable(name);
        EXPECT_EQ(harness.popUp.currentIndex(), row.tag) << qPrintable(name);
        EXPECT_TRUE(harness.orientation.isEnabled()) << qPrintable(name);
        EXPECT_EQ(harness.chrome.isChecked(), row.chrome) << qPrintable(name);
        EXPECT_EQ(harness.lit(), row.marker == PreviewDelegate::MarkerCount ? QList<int>() : QList<int>{row.marker})
            << qPrintable(name);
    }
    EXPECT_EQ(harness.popUp.itemText(4), QStringLiteral("[1184×720 GalaxyNexsas]"));

    // Fit fills the preview and takes the orientation button away.
    harness.preview.changePreviewSize(0);
    EXPECT_EQ(harness.previewSize(), QSize(1200, 700));
    EXPECT_FALSE(harness.orientation.isEnabled());
}

TEST(PreviewSizes, BiggerAndSmallerSizesWrapAround)
{
    SizesHarness harness;
    harness.preview.changePreviewSize(4);
    harness.preview.goBiggerSize();
    EXPECT_EQ(harness.preview.lastPresetTag(), 0);
    harness.preview.goSmallerrSize();
    EXPECT_EQ(harness.preview.lastPresetTag(), 4);
    harness.preview.goSmallerrSize();
    EXPECT_EQ(harness.preview.lastPresetTag(), 3);
    EXPECT_EQ(harness.previewSize().width(), 768);
}

TEST(PreviewSizes, ZoomStopsAtItsFloorAResetKeepsTheLevelAndHighLevelsStillEnlarge)
{
    SizesHarness harness;
    WebPage *page = harness.preview.webview()->webPage();
    const QSize view = harness.previewSize();
    harness.preview.zoomOut();
    EXPECT_EQ(harness.preview.zoomLevel(), 1);
    EXPECT_DOUBLE_EQ(page->zoomFactor(), 1.0);

    harness.preview.zoomIn();
    harness.preview.zoomIn();
    harness.preview.zoomIn();
    EXPECT_EQ(harness.preview.zoomLevel(), 4);
    EXPECT_DOUBLE_EQ(page->zoomFactor(), 2.0);
    // The viewport in CSS pixels shrinks as each is drawn larger.
    EXPECT_EQ(page->viewportSize(), QSize(view.width() / 2, view.height() / 2));

    harness.preview.resetScaling();
    EXPECT_DOUBLE_EQ(page->zoomFactor(), 1.0);
    EXPECT_EQ(harness.preview.zoomLevel(), 4);
    harness.preview.zoomIn();
    EXPECT_DOUBLE_EQ(page->zoomFactor(), std::sqrt(5.0));

    while (harness.preview.zoomLevel() < 36)
        harness.preview.zoomIn();
    EXPECT_DOUBLE_EQ(page->zoomFactor(), 6.0);
    harness.preview.zoomIn();
    EXPECT_GT(page->zoomFactor(), 6.0);
}

TEST(PreviewSizes, ZoomedPageIsDrawnLargerAndTheOverlayFollows)
{
    SizesHarness harness;
    WebTestFixture fixture(*harness.preview.webview());
    fixture.writeFile(QStringLiteral("index.html"),
                      "<!DOCTYPE html><body style='margin:0'><div id='box' style='width:100px;height:50px;"
                      "margin:10px'></div><script>document.title=innerWidth</script></body>");
    ASSERT_TRUE(fixture.loadPage(QStringLiteral("index.html")));
    harness.preview.zoomIn();
    harness.preview.zoomIn();
    harness.preview.zoomIn();
    // The page lays out in half as many CSS pixels, each drawn two points wide.
    ASSERT_TRUE(TestUtil::waitUntil([&] {
        return fixture.evaluate(QStringLiteral("innerWidth"), WebTestFixture::World::Page).toInt() == 600;
    }));
    DOMElement *box = harness.preview.webview()->mainFrameDocument()->getElementById(QStringLiteral("box"));
    ASSERT_TRUE(box);
    EXPECT_EQ(harness.preview.webview()->rectWithElement(box), QRectF(20, 20, 200, 100));
}

TEST(PreviewSizes, TheRulerIsShownOrHiddenAndTheChoiceRemembered)
{
    SizesHarness harness;
    UserDefaults &defaults = UserDefaults::standardUserDefaults();
    harness.preview.activateResponsiveRuler(false);
    EXPECT_TRUE(harness.ruler.isHidden());
    EXPECT_TRUE(harness.preview.sizeBox()->isHidden());
    EXPECT_EQ(harness.rulerItem.text(), QStringLiteral("Show Responsive Ruler"));
    EXPECT_FALSE(defaults.boolForKey(QStringLiteral("rulerActive")));

    harness.preview.toggleResponsiveRuler();
    EXPECT_FALSE(harness.ruler.isHidden());
    EXPECT_FALSE(harness.preview.sizeBox()->isHidden());
    EXPECT_EQ(harness.rulerItem.text(), QStringLiteral("Hide Responsive Ruler"));
    EXPECT_TRUE(defaults.boolForKey(QStringLiteral("rulerActive")));
    EXPECT_EQ(harness.ruler.height(), RespponsiveRuler::kHeight);
}

TEST(PreviewSizes, TheRulersPatternStaysAnchoredAtItsTopLeftWhenItMoves)
{
    QWidget window;
    window.resize(400, 100);
    RespponsiveRuler ruler(&window);
    ruler.setGeometry(0, 0, 300, RespponsiveRuler::kHeight);
    window.show();
    const QImage before = ruler.grab().toImage();
    ruler.setGeometry(37, 23, 300, RespponsiveRuler::kHeight);
    EXPECT_EQ(ruler.grab().toImage(), before);
    // A wider ruler draws the same ticks where they were.
    ruler.resize(350, 40);
    EXPECT_EQ(ruler.height(), RespponsiveRuler::kHeight);
    EXPECT_EQ(ruler.grab().toImage().copy(0, 0, 300, RespponsiveRuler::kHeight), before);
}

TEST(PreviewSizes, OneDragOfTheSliderPostsSliderEndTrackingOnceAtRelease)
{
    SizesHarness harness;
    int ends = 0;
    NotificationCenter::defaultCenter().addObserver(&harness.preview, QStringLiteral("SliderEndTracking"), nullptr,
                                                    [&ends](const Notification &) { ++ends; });
    RulerSlider &slider = harness.slider;
    slider.resize(1200, 16);
    slider.show();
    const QPointF start(slider.width() - 4, 8);
    QMouseEvent press(QEvent::MouseButtonPress, start, slider.mapToGlobal(start), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(&slider, &press);
    for (int x = int(start.x()); x > 500; x -= 50) {
        const QPointF at(x, 8);
        QMouseEvent move(QEvent::MouseMove, at, slider.mapToGlobal(at), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&slider, &move);
    }
    EXPECT_EQ(ends, 0);
    const QPointF end(480, 8);
    QMouseEvent release(QEvent::MouseButtonRelease, end, slider.mapToGlobal(end), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(&slider, &release);
    EXPECT_EQ(ends, 1);
    EXPECT_LT(harness.previewSize().width(), 600);
    NotificationCenter::defaultCenter().removeObserver(&harness.preview);
}

TEST(PreviewSizes, TheRulerSliderDrawsItsKnobWhereItsValueIs)
{
    QWidget window;
    window.resize(600, 16);
    RulerSlider slider(&window);
    slider.setGeometry(0, 0, 600, 16);
    slider.setRange(1, 1000);
    slider.setValue(100);
    window.show();
    const QImage left = slider.grab().toImage();
    slider.setValue(900);
    const QImage right = slider.grab().toImage();
    // The knob moved: the left part of the bar changed, and the bar alone
    // (no track) looks the same at both ends.
    EXPECT_NE(left.copy(0, 0, 300, 16), right.copy(0, 0, 300, 16));
    EXPECT_EQ(left.copy(250, 0, 100, 16), right.copy(250, 0, 100, 16));
}
