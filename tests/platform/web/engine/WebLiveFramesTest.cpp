#include "TestUtil.h"
#include "WebTestFixture.h"
#include "WebTestUtil.h"

#include "platform/web/cssom/DOMStyleSheetList.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMElement.h"
#include "platform/web/engine/WebBridge.h"
#include "platform/web/engine/WebEngineCache.h"
#include "platform/web/engine/WebFrameMirror.h"
#include "platform/web/engine/WebView.h"

#include <QJsonArray>


#include <gtest/gtest.h>

namespace {

WebFrameMirror *subframe(WebBridge &bridge, const QUrl &url = {})
{
    for (WebFrameMirror *frame : bridge.frames()) {
        if (!frame->isMainFrame() && (url.isEmpty() || frame->url() == url))
            return frame;
    }
    return nullptr;
}

// Whether the page's element matches the selector, asked of its own frame's bridge.
bool pageMatches(WebBridge &bridge, WebFrameMirror &frame, const DOMNode &element, const QString &selector)
{
    // One question, [id, selector]; built in two steps, as clang reads
    // QJsonArray{QJsonArray{...}} as a copy of the inner array.
    QJsonArray questions;
    questions.append(QJsonArray{double(element.nodeId()), selector});
    const std::optional<QJsonObject> reply = bridge.askAndWait(frame, {{QStringLiteral("matches"), questions}}, 5000);
    return reply && reply->value(QStringLiteral("matches")).toArray().at(0).toBool();
}

} // namespace

// Over http from the loopback server: a frame of the same origin and one of
// another origin (a target of its own in the browser) are both mirrored with
// their own ids and owner elements, follow the page and take the program's edits.
TEST(WebLiveFrames, FramesOfTheSameAndOfAnotherOriginAreMirrored)
{
    WebTestFixture fixture(WebTestFixture::sharedView());
    fixture.writeFile(QStringLiteral("site/inner.html"),
                      "<!DOCTYPE html><html><head><style>p { color: red; margin: 0 }</style></head><body style='margin: 0'><p id='in'>inner</p></body></html>");
    fixture.writeFile(QStringLiteral("other/away.html"),
                      "<!DOCTYPE html><html><head><style>p { color: blue; margin: 0 }</style></head><body style='margin: 0'><p id='far'>away</p>"
                      "<script>window.addEventListener('message', function (e) {"
                      " document.getElementById('far').textContent = e.data; });</script></body></html>");
    LoopbackHttpServer site(fixture.folder() + QStringLiteral("/site"));
    LoopbackHttpServer other(fixture.folder() + QStringLiteral("/other"));
    ASSERT_TRUE(site.start());
    ASSERT_TRUE(other.start());
    const QUrl awayUrl = other.url(QStringLiteral("away.html"));
    fixture.writeFile(QStringLiteral("site/index.html"),
                      QStringLiteral("<!DOCTYPE html><body><iframe id='same' src='inner.html'"
                                     " style='position: absolute; left: 50px; top: 60px; border: 2px solid'></iframe>"
                                     "<iframe id='away' src='%1' style='position: absolute; left: 400px; top: 10px; border: 0'></iframe></body>")
                          .arg(awayUrl.toString())
                          .toUtf8());
    WebBridge &bridge = fixture.view().bridge();
    ASSERT_TRUE(fixture.loadUrl(site.url(QStringLiteral("index.html"))));
    const QUrl innerUrl = site.url(QStringLiteral("inner.html"));
    ASSERT_TRUE(TestUtil::waitUntil([&] { return subframe(bridge, innerUrl) && subframe(bridge, awayUrl); }));
    EXPECT_EQ(bridge.frames().size(), 3);
    EXPECT_TRUE(site.requestedPaths().contains(QStringLiteral("inner.html")));

    DOMDocument *top = bridge.mainFrame()->document();
    WebFrameMirror *frame = subframe(bridge, innerUrl);
    EXPECT_EQ(frame->parentFrameId(), bridge.mainFrame()->frameId());
    EXPECT_EQ(frame->ownerNodeId(), top->getElementById(QStringLiteral("same"))->nodeId());
    DOMElement *inner = frame->document()->getElementById(QStringLiteral("in"));
    ASSERT_TRUE(inner);
    EXPECT_EQ(frame->document()->styleSheets().length(), 1);

    // The frame's changes reach its mirror, and the program's edits its document.
    fixture.evaluate(QStringLiteral("document.getElementById('same').contentDocument.getElementById('in').textContent = 'changed'"),
                     WebTestFixture::World::Page);
    ASSERT_TRUE(TestUtil::waitUntil([&] { return inner->textContent() == QLatin1String("changed"); }));
    inner->setAttribute(QStringLiteral("class"), QStringLiteral("edited"));
    ASSERT_TRUE(fixture.settle());
    EXPECT_EQ(fixture.evaluate(QStringLiteral("document.getElementById('same').contentDocument.getElementById('in').className"),
                               WebTestFixture::World::Page).toString(),
              QStringLiteral("edited"));
    // Questions about the frame go to the frame; its boxes are placed in the top-level view.
    EXPECT_FALSE(frame->document()->getComputedStyle(inner, QString()).isEmpty());
    const std::optional<DOMElementBox> innerBox = frame->engine()->elementBox(*inner);
    ASSERT_TRUE(innerBox);
    EXPECT_EQ(innerBox->viewRect.topLeft(), QPointF(52, 62));
    EXPECT_EQ(innerBox->boundingBox.topLeft(), QPointF(0, 0));

    // The frame of the other origin, which the top page's scripts cannot reach.
    WebFrameMirror *away = subframe(bridge, awayUrl);
    EXPECT_EQ(away->parentFrameId(), bridge.mainFrame()->frameId());
    EXPECT_EQ(away->ownerNodeId(), top->getElementById(QStringLiteral("away"))->nodeId());
    EXPECT_EQ(away->document()->styleSheets().length(), 1);
    DOMElement *far = away->document()->getElementById(QStringLiteral("far"));
    ASSERT_TRUE(far);
    fixture.evaluate(QStringLiteral("document.getElementById('away').contentWindow.postMessage('posted', '*')"),
                     WebTestFixture::World::Page);
    ASSERT_TRUE(TestUtil::waitUntil([&] { return far->textContent() == QLatin1String("posted"); }));
    far->setAttribute(QStringLiteral("class"), QStringLiteral("remote-edit"));
    ASSERT_TRUE(fixture.settle());
    EXPECT_TRUE(pageMatches(bridge, *away, *far, QStringLiteral("p.remote-edit")));
    bool boxed = false;
    WebEngineQuestions question;
    question.boxes.append(far);
    away->engine()->prefetch(question, [&] { boxed = true; });
    ASSERT_TRUE(TestUtil::waitUntil([&] { return boxed; }));
    EXPECT_EQ(away->engine()->elementBox(*far)->viewRect.topLeft(), QPointF(400, 10));
    const DOMComputedStyle style = away->document()->getComputedStyle(far, QString());
    EXPECT_TRUE(std::find(style.begin(), style.end(), std::pair(QStringLiteral("color"), QStringLiteral("rgb(0, 0, 255)")))
                != style.end());
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
