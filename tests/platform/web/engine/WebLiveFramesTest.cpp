#include "TestUtil.h"
#include "WebTestFixture.h"
#include "WebTestUtil.h"

#include "platform/web/cssom/DOMStyleSheetList.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMElement.h"
#include "platform/web/engine/WebBridge.h"
#include "platform/web/engine/WebFrameMirror.h"
#include "platform/web/engine/WebView.h"

#include <QWebEngineScript>

#include <gtest/gtest.h>

namespace {

WebFrameMirror *subframe(WebBridge &bridge)
{
    for (WebFrameMirror *frame : bridge.frames()) {
        if (!frame->isMainFrame())
            return frame;
    }
    return nullptr;
}

} // namespace

// Over http from the loopback server: a frame of the same origin is mirrored
// with its own id and owner element and follows the page; one of another
// origin stays out and is logged.
TEST(WebLiveFrames, SameOriginFrameIsMirroredAndAnotherOriginIsLeftOut)
{
    WebTestFixture fixture(WebTestFixture::sharedView());
    fixture.writeFile(QStringLiteral("site/inner.html"),
                      "<!DOCTYPE html><html><head><style>p { color: red; }</style></head><body><p id='in'>inner</p></body></html>");
    fixture.writeFile(QStringLiteral("other/away.html"), "<!DOCTYPE html><p>away</p>");
    LoopbackHttpServer site(fixture.folder() + QStringLiteral("/site"));
    LoopbackHttpServer other(fixture.folder() + QStringLiteral("/other"));
    ASSERT_TRUE(site.start());
    ASSERT_TRUE(other.start());
    fixture.writeFile(QStringLiteral("site/index.html"),
                      QStringLiteral("<!DOCTYPE html><body><iframe id='same' src='inner.html'></iframe>"
                                     "<iframe id='away' src='%1'></iframe></body>")
                          .arg(other.url(QStringLiteral("away.html")).toString())
                          .toUtf8());
    StandardErrorCapture log;
    WebBridge &bridge = fixture.view().bridge();
    ASSERT_TRUE(fixture.loadUrl(site.url(QStringLiteral("index.html"))));
    ASSERT_TRUE(TestUtil::waitUntil([&] { return subframe(bridge) != nullptr; }));
    ASSERT_TRUE(TestUtil::waitUntil([&] { return log.text().contains(QLatin1String("another origin")); }));
    TestUtil::spin(50);
    EXPECT_EQ(bridge.frames().size(), 2);
    EXPECT_TRUE(site.requestedPaths().contains(QStringLiteral("inner.html")));

    WebFrameMirror *frame = subframe(bridge);
    EXPECT_EQ(frame->parentFrameId(), bridge.mainFrame()->frameId());
    EXPECT_EQ(frame->ownerNodeId(), bridge.mainFrame()->document()->getElementById(QStringLiteral("same"))->nodeId());
    EXPECT_EQ(frame->url(), site.url(QStringLiteral("inner.html")));
    DOMElement *inner = frame->document()->getElementById(QStringLiteral("in"));
    ASSERT_TRUE(inner);
    EXPECT_EQ(frame->document()->styleSheets().length(), 1);

    // The frame's changes reach its mirror, and the program's edits its document.
    fixture.evaluate(QStringLiteral("document.getElementById('same').contentDocument.getElementById('in').textContent = 'changed'"));
    ASSERT_TRUE(TestUtil::waitUntil([&] { return inner->textContent() == QLatin1String("changed"); }));
    inner->setAttribute(QStringLiteral("class"), QStringLiteral("edited"));
    ASSERT_TRUE(fixture.settle());
    EXPECT_EQ(fixture.evaluate(QStringLiteral("document.getElementById('same').contentDocument.getElementById('in').className")).toString(),
              QStringLiteral("edited"));
    // Questions about the frame go to the frame.
    EXPECT_EQ(frame->document()->getComputedStyle(inner, QString()).isEmpty(), false);
}

TEST(WebLiveFrames, LocalPageReachesItsLocalFrame)
{
    WebTestFixture fixture(WebTestFixture::sharedView());
    fixture.writeFile(QStringLiteral("inner.html"), "<!DOCTYPE html><p id='local'>local</p>");
    fixture.writeFile(QStringLiteral("index.html"), "<!DOCTYPE html><body><iframe src='inner.html'></iframe></body>");
    WebBridge &bridge = fixture.view().bridge();
    ASSERT_TRUE(fixture.loadPage(QStringLiteral("index.html")));
    ASSERT_TRUE(TestUtil::waitUntil([&] { return subframe(bridge) != nullptr; }));
    EXPECT_TRUE(subframe(bridge)->document()->getElementById(QStringLiteral("local")));
    // A new page drops the old page's frames.
    fixture.writeFile(QStringLiteral("plain.html"), "<!DOCTYPE html><p>plain</p>");
    ASSERT_TRUE(fixture.loadPage(QStringLiteral("plain.html")));
    EXPECT_EQ(subframe(bridge), nullptr);
}
