#include "PreviewTestSupport.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMElement.h"
#include "platform/web/engine/WebBridge.h"
#include "platform/web/engine/WebFrameMirror.h"
#include "preview/BackgroundView.h"
#include "toolkit/LabelButton.h"

#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// The bordered, padded element of the overlay tests: a border box of
// 120 x 66 at (20, 30).
const QByteArray s_boxPage = R"(<!DOCTYPE html><html><body style="margin:0">
<div id="main" class="a b" style="position:absolute; left:20px; top:30px; width:100px; height:50px;
 padding:5px 6px 7px 8px; border:2px solid black; border-left-width:4px">Some text</div>
<div id="far" style="position:absolute; top:2000px; left:10px; width:50px; height:20px">far</div>
<p id="plain" style="position:absolute; top:200px; left:300px; width:80px; height:20px; margin:0">plain</p>
<div style="height:3000px"></div>
</body></html>)";

// A move without a button, as the window system delivers it: to the window,
// which hands it to the widget under the pointer (the overlay, while shown).
// It comes from the point beside it: Qt drops a move to where the pointer is.
void moveMouse(QWidget &view, const QPointF &point)
{
    const QPoint inWindow = view.mapTo(view.window(), point.toPoint());
    QTest::mouseMove(view.window()->windowHandle(), inWindow - QPoint(1, 1));
    QTest::mouseMove(view.window()->windowHandle(), inWindow);
}

// Draws the overlay over the node and waits for the box to come.
bool drawn(ExWebView &view, DOMNode *node)
{
    view.drawDetectLayer(node);
    return TestUtil::waitUntil([&] { return !view.isDrawingPending(); });
}

// A preview of its own; most tests show the page of s_boxPage in it.
class PreviewDetect : public ::testing::Test
{
protected:
    PreviewDetect() : fixture(harness.view()) {}

    void loadBoxPage()
    {
        fixture.writeFile(QStringLiteral("box.html"), s_boxPage);
        ASSERT_TRUE(harness.load(fixture.urlOf(QStringLiteral("box.html"))));
    }
    ExWebView &view() { return harness.view(); }
    DOMElement *element(const char *id)
    {
        return harness.preview.webview()->mainFrameDocument()->getElementById(QString::fromLatin1(id));
    }

    PreviewHarness harness;
    WebTestFixture fixture;
};

} // namespace

TEST_F(PreviewDetect, TheOverlayOfABorderedPaddedElementShowsItsBoxModelAndLabels)
{
    loadBoxPage();
    ExWebView &view = this->view();
    DOMElement *main = element("main");
    ASSERT_TRUE(main);
    view.showDetectLayer();
    ASSERT_TRUE(drawn(view, main));
    BackgroundView &overlay = *view.detectView();
    EXPECT_TRUE(overlay.isVisible());
    EXPECT_EQ(overlay.rect(), QRectF(20, 30, 120, 66));
    const QVariantMap dimension = overlay.dimension();
    EXPECT_EQ(dimension.value(QStringLiteral("padding-top")).toDouble(), 5);
    EXPECT_EQ(dimension.value(QStringLiteral("padding-right")).toDouble(), 6);
    EXPECT_EQ(dimension.value(QStringLiteral("padding-bottom")).toDouble(), 7);
    EXPECT_EQ(dimension.value(QStringLiteral("padding-left")).toDouble(), 8);
    EXPECT_EQ(dimension.value(QStringLiteral("border-left-width")).toDouble(), 4);
    EXPECT_EQ(dimension.value(QStringLiteral("border-top-width")).toDouble(), 2);

    // The boxes, in the overlay's upward numbers.
    const qreal H = overlay.height();
    EXPECT_EQ(overlay.drawingRect(), QRectF(19.5, H - 96, 121, 66.5));
    EXPECT_EQ(BackgroundView::paddingBox(overlay.rect(), dimension, H), QRectF(23.5, H - 94, 115, 62.5));
    EXPECT_EQ(BackgroundView::contentBox(overlay.rect(), dimension, H), QRectF(31.5, H - 87, 101, 50.5));

    // The element label stands on the element's top edge; the size label
    // under its bottom-right corner.
    EXPECT_EQ(overlay.elementText()->text(), QStringLiteral("\u25BC div#main.a b"));
    EXPECT_EQ(overlay.elementText()->geometry().bottom() + 1, 30);
    EXPECT_EQ(overlay.elementText()->x(), 20);
    EXPECT_EQ(overlay.sizeText()->text(), QStringLiteral("w:120px h:66px"));
    EXPECT_EQ(overlay.sizeText()->y(), 96);
    EXPECT_NEAR(overlay.sizeText()->geometry().right() + 1, 140.5, 1.0);
    EXPECT_TRUE(overlay.elementText()->isVisible());
    EXPECT_TRUE(overlay.toOuterButton()->isVisible());

    // A click on the label asks for the enclosing element.
    DOMNode *asked = nullptr;
    NotificationCenter::defaultCenter().addObserver(&harness, QStringLiteral("detectToOuter"), nullptr,
                                                    [&asked](const Notification &notification) {
                                                        asked = notification.userInfo.value(QStringLiteral("node")).value<DOMNode *>();
                                                    });
    overlay.elementText()->sendAction();
    NotificationCenter::defaultCenter().removeObserver(&harness);
    EXPECT_EQ(asked, main);

    // A related element is outlined once its box is in.
    DOMElement *plain = element("plain");
    view.showRelatedElementsBounds({plain->shared_from_this(), main->shared_from_this()});
    ASSERT_TRUE(TestUtil::waitUntil([&] { return view.knownRectWithElement(plain).has_value(); }));
    EXPECT_EQ(*view.knownRectWithElement(plain), QRectF(300, 200, 80, 20));
}

TEST_F(PreviewDetect, TheOverlayOfATextNodeHasTheBoxOfItsText)
{
    loadBoxPage();
    ExWebView &view = this->view();
    DOMNode *text = element("main")->firstChild();
    ASSERT_TRUE(text && text->isText());
    view.showDetectLayer();
    ASSERT_TRUE(drawn(view, text));
    const QVariantList range = fixture.evaluate(QStringLiteral(
        "(function () { const r = document.createRange(); r.selectNodeContents(document.getElementById('main').firstChild);"
        " const b = r.getBoundingClientRect(); return [b.left, b.top, b.width, b.height]; })()")).toList();
    ASSERT_EQ(range.size(), 4);
    const QRectF expected(range[0].toDouble(), range[1].toDouble(), range[2].toDouble(), range[3].toDouble());
    BackgroundView &overlay = *view.detectView();
    EXPECT_EQ(overlay.rect(), expected);
    EXPECT_GT(expected.width(), 0);
    EXPECT_EQ(overlay.elementText()->text(), QStringLiteral("\u25BC #text"));
    EXPECT_EQ(overlay.dimension().value(QStringLiteral("padding-left")).toDouble(), 0);
}

TEST_F(PreviewDetect, HoverThenClickLocksAnElement)
{
    loadBoxPage();
    ExWebView &view = this->view();
    DOMElement *plain = element("plain");
    harness.preview.doDetectPreview(true);
    EXPECT_EQ(view.detectState(), ExWebViewInterface::HoverDetect);
    EXPECT_TRUE(view.isDetectViewShown());

    moveMouse(view, QPointF(320, 210));
    ASSERT_TRUE(TestUtil::waitUntil([&] { return harness.preview.selectedElement() == plain; }));
    ASSERT_TRUE(TestUtil::waitUntil([&] { return !view.isDrawingPending(); }));
    EXPECT_EQ(view.detectView()->element(), plain);
    EXPECT_EQ(view.detectView()->rect(), QRectF(300, 200, 80, 20));
    EXPECT_EQ(view.cursor().shape(), Qt::PointingHandCursor);

    // The click, as the main window routes it.
    view.setDetectState(ExWebViewInterface::ElementLocked);
    harness.preview.detectLockDownHandler(nullptr);
    ASSERT_FALSE(harness.tree.selected.isEmpty());
    EXPECT_EQ(harness.tree.selected.last(), plain);
    EXPECT_EQ(harness.tree.reloadedRows, 1);
    EXPECT_FALSE(harness.preview.isDetectButtonOn());

    // Locked, the element stays picked whatever the pointer does.
    moveMouse(view, QPointF(5, 5));
    TestUtil::spin(200);
    EXPECT_EQ(harness.preview.selectedElement(), plain);
}

TEST_F(PreviewDetect, EscapeLeavesHoverDetectionAndNeverReachesThePage)
{
    loadBoxPage();
    ExWebView &view = this->view();
    fixture.evaluate(QStringLiteral("document.addEventListener('keydown', e => window.keys = (window.keys || '') + e.key); 1"));
    harness.container.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&harness.container));
    harness.preview.doDetectPreview(true);
    ASSERT_TRUE(view.hasFocus());

    QWindow *window = harness.container.windowHandle();
    QTest::keyClick(window, Qt::Key_Escape);
    EXPECT_EQ(view.detectState(), ExWebViewInterface::DetectOff);
    EXPECT_FALSE(harness.preview.isDetectButtonOn());
    // Keys reach the page in order: the next one arrives alone.
    QTest::keyClick(window, Qt::Key_A);
    ASSERT_TRUE(TestUtil::waitUntil([&] { return fixture.evaluate(QStringLiteral("window.keys || ''")).toString() == QLatin1String("a"); }));
}

TEST_F(PreviewDetect, HoverThenClickLocksAnElementInAFrameOfAnotherSite)
{
    QTemporaryDir dir;
    LoopbackHttpServer server(dir.path());
    ASSERT_TRUE(server.start());
    const QUrl inner = server.urlOnHost(QStringLiteral("localhost"), QStringLiteral("inner.html"));
    TestUtil::writeFile(dir.filePath(QStringLiteral("index.html")),
                        "<!DOCTYPE html><body style='margin:0'><iframe src='" + inner.toString().toUtf8()
                            + "' style='position:absolute; left:100px; top:50px; width:400px; height:300px; border:0'>"
                              "</iframe></body>");
    TestUtil::writeFile(dir.filePath(QStringLiteral("inner.html")),
                        "<!DOCTYPE html><body style='margin:0'><p id=inner style='position:absolute; left:40px;"
                        " top:60px; width:100px; height:30px; margin:0'>inside</p></body>");
    ASSERT_TRUE(harness.load(server.url(QStringLiteral("index.html"))));
    ExWebView &view = this->view();
    // The frame's document is mirrored too.
    WebFrameMirror *frame = nullptr;
    ASSERT_TRUE(TestUtil::waitUntil([&] {
        for (WebFrameMirror *candidate : view.bridge().frames()) {
            if (!candidate->isMainFrame() && candidate->document()
                && candidate->document()->getElementById(QStringLiteral("inner")))
                frame = candidate;
        }
        return frame != nullptr;
    }));
    DOMElement *element = frame->document()->getElementById(QStringLiteral("inner"));

    harness.preview.doDetectPreview(true);
    moveMouse(view, QPointF(100 + 40 + 10, 50 + 60 + 10));
    ASSERT_TRUE(TestUtil::waitUntil([&] { return harness.preview.selectedElement() == element; }));
    ASSERT_TRUE(TestUtil::waitUntil([&] { return !view.isDrawingPending(); }));
    EXPECT_EQ(view.detectView()->rect(), QRectF(140, 110, 100, 30));

    view.setDetectState(ExWebViewInterface::ElementLocked);
    harness.preview.detectLockDownHandler(nullptr);
    ASSERT_FALSE(harness.tree.selected.isEmpty());
    EXPECT_EQ(harness.tree.selected.last(), element);
}

TEST_F(PreviewDetect, ScrollIntoViewPutsAnElementAThirdIntoTheViewOnce)
{
    loadBoxPage();
    ExWebView &view = this->view();
    DOMElement *far = element("far");
    const auto scrollY = [&] { return fixture.evaluate(QStringLiteral("window.scrollY")).toDouble(); };

    view.scrollIntoView(far);
    EXPECT_EQ(view.selectedElement(), far);
    ASSERT_TRUE(TestUtil::waitUntil([&] { return scrollY() > 0; }));
    EXPECT_NEAR(scrollY(), 2000 - view.height() / 3.0, 1.0);

    // The same element again scrolls no more, even after the user scrolled away.
    fixture.evaluate(QStringLiteral("window.scrollTo(0, 0)"));
    view.scrollIntoView(far);
    TestUtil::spin(300);
    EXPECT_EQ(scrollY(), 0);

    // An element already in view is not scrolled to.
    view.scrollIntoView(element("main"));
    TestUtil::spin(300);
    EXPECT_EQ(scrollY(), 0);
}

TEST_F(PreviewDetect, CaptureOfAPageTallerThanTheViewKeepsItsSizeAndScroll)
{
    fixture.writeFile(QStringLiteral("tall.html"),
                      "<!DOCTYPE html><body style='margin:0'><div style='height:100vh; background:red'></div>"
                      "<div style='height:1500px; background:blue'></div></body>");
    ASSERT_TRUE(harness.load(fixture.urlOf(QStringLiteral("tall.html"))));
    ExWebView &view = this->view();
    fixture.evaluate(QStringLiteral("window.scrollTo(0, 250)"));
    const QString before = fixture.evaluate(QStringLiteral("[innerWidth, innerHeight, scrollY].join(' ')")).toString();

    const QImage image = view.captureImage();
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.width(), view.width());
    EXPECT_EQ(image.height(), view.height() + 1500);
    // The view's own height of red first (100vh stays the view's height), then blue.
    EXPECT_EQ(image.pixelColor(10, view.height() - 5), QColor(Qt::red));
    EXPECT_EQ(image.pixelColor(10, view.height() + 5), QColor(Qt::blue));
    EXPECT_EQ(fixture.evaluate(QStringLiteral("[innerWidth, innerHeight, scrollY].join(' ')")).toString(), before);
    EXPECT_EQ(view.size(), QSize(800, 600));
}

TEST_F(PreviewDetect, ANewPageForgetsTheSelectedElement)
{
    loadBoxPage();
    ExWebView &view = this->view();
    DOMElement *main = element("main");
    view.setSelectedElement(main->shared_from_this());
    ASSERT_TRUE(drawn(view, main));
    ASSERT_TRUE(harness.load(fixture.urlOf(QStringLiteral("box.html"))));
    EXPECT_EQ(view.selectedElement(), nullptr);
    EXPECT_EQ(view.detectView()->element(), nullptr);
}
