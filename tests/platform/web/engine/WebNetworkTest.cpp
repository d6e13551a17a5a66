#include "TestUtil.h"
#include "WebTestFixture.h"
#include "WebTestUtil.h"

#include "platform/web/cssom/DOMStyleSheetList.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMElement.h"
#include "platform/web/engine/WebFrameMirror.h"
#include "platform/web/engine/WebView.h"

#include <gtest/gtest.h>

// Every request of the page and of its frames is reported with its response,
// and the body of a loaded resource is the browser's own copy: the server is
// not asked twice. Once they have ended, none is followed any more.
TEST(WebNetwork, RequestsResponsesAndBodiesOfEveryFrameAreReported)
{
    WebTestFixture fixture(WebTestFixture::sharedView());
    fixture.writeFile(QStringLiteral("site/style.css"), "p { color: green; }\n");
    fixture.writeFile(QStringLiteral("site/inner.html"), "<!DOCTYPE html><p>inner</p>");
    fixture.writeFile(QStringLiteral("site/index.html"),
                      "<!DOCTYPE html><html><head><link rel='stylesheet' href='style.css'></head>"
                      "<body><img src='missing.png'><iframe src='inner.html'></iframe></body></html>");
    LoopbackHttpServer site(fixture.folder() + QStringLiteral("/site"));
    ASSERT_TRUE(site.start());
    WebPage *page = fixture.view().webPage();
    QList<WebRequestInfo> requests;
    QList<WebResponseInfo> responses;
    QStringList finished;
    const auto sent = QObject::connect(page, &WebPage::requestSent, page, [&](const WebRequestInfo &info) { requests.append(info); });
    const auto received = QObject::connect(page, &WebPage::responseReceived, page,
                                           [&](const WebResponseInfo &info) { responses.append(info); });
    const auto done = QObject::connect(page, &WebPage::requestFinished, page,
                                       [&](const QString &requestId, qint64, double) { finished.append(requestId); });
    ASSERT_TRUE(fixture.loadUrl(site.url(QStringLiteral("index.html"))));
    const auto responseFor = [&](const QString &path) -> std::optional<WebResponseInfo> {
        for (const WebResponseInfo &response : responses) {
            if (response.url == site.url(path))
                return response;
        }
        return std::nullopt;
    };
    ASSERT_TRUE(TestUtil::waitUntil([&] {
        return responseFor(QStringLiteral("style.css")) && responseFor(QStringLiteral("inner.html"))
            && responseFor(QStringLiteral("missing.png"));
    }));
    QObject::disconnect(sent);
    QObject::disconnect(received);
    const WebResponseInfo css = *responseFor(QStringLiteral("style.css"));
    EXPECT_EQ(css.status, 200);
    EXPECT_EQ(css.resourceType, QStringLiteral("Stylesheet"));
    EXPECT_TRUE(std::any_of(css.headers.begin(), css.headers.end(), [](const auto &header) {
        return header.first.compare(QLatin1String("Content-Type"), Qt::CaseInsensitive) == 0 && header.second == QLatin1String("text/css");
    }));
    EXPECT_EQ(responseFor(QStringLiteral("missing.png"))->status, 404);
    // The frame's document is reported under the frame's own id.
    EXPECT_NE(responseFor(QStringLiteral("inner.html"))->frameId, responseFor(QStringLiteral("index.html"))->frameId);
    EXPECT_TRUE(std::any_of(requests.begin(), requests.end(),
                            [&](const WebRequestInfo &request) { return request.url == site.url(QStringLiteral("style.css")) && request.method == QLatin1String("GET"); }));

    ASSERT_TRUE(TestUtil::waitUntil([&] { return finished.contains(css.requestId); }));
    QObject::disconnect(done);
    // The body comes from the browser, without asking the server again (the
    // browser may still ask for other things of its own, its icon).
    const auto cssRequests = [&] { return site.requestedPaths().count(QStringLiteral("style.css")); };
    const qsizetype served = cssRequests();
    std::optional<QByteArray> body;
    bool answered = false;
    page->responseBody(css.requestId, [&](std::optional<QByteArray> bytes) {
        body = std::move(bytes);
        answered = true;
    });
    ASSERT_TRUE(TestUtil::waitUntil([&] { return answered; }));
    ASSERT_TRUE(body);
    EXPECT_EQ(*body, QByteArray("p { color: green; }\n"));
    EXPECT_EQ(cssRequests(), served);
    // Every request has ended: the page keeps nothing of them.
    EXPECT_TRUE(TestUtil::waitUntil([&] { return page->requestsFollowed() == 0; }));
}

// A remote resource is served from a local file's bytes in its place.
TEST(WebNetwork, LocalBytesAreServedInPlaceOfARemoteResource)
{
    WebTestFixture fixture(WebTestFixture::sharedView());
    fixture.writeFile(QStringLiteral("site/style.css"), "p { color: red; }\n");
    fixture.writeFile(QStringLiteral("site/index.html"),
                      "<!DOCTYPE html><html><head><link rel='stylesheet' href='style.css'></head><body><p id='p'>p</p></body></html>");
    LoopbackHttpServer site(fixture.folder() + QStringLiteral("/site"));
    ASSERT_TRUE(site.start());
    WebPage *page = fixture.view().webPage();
    page->interceptRequests({QStringLiteral("*/style.css")});
    QStringList intercepted;
    const auto connection = QObject::connect(page, &WebPage::resourceIntercepted, page, [&](const WebInterceptedRequest &request) {
        intercepted.append(request.url.path());
        page->fulfillRequest(request.interceptId, "p { color: rgb(1, 2, 3); }", QStringLiteral("text/css"));
    });
    ASSERT_TRUE(fixture.loadUrl(site.url(QStringLiteral("index.html"))));
    DOMDocument *document = fixture.mainFrame().document();
    ASSERT_TRUE(TestUtil::waitUntil([&] { return document->styleSheets().length() == 1; }));
    EXPECT_EQ(intercepted, QStringList{QStringLiteral("/style.css")});
    EXPECT_FALSE(site.requestedPaths().contains(QStringLiteral("style.css")));
    const DOMComputedStyle style = document->getComputedStyle(document->getElementById(QStringLiteral("p")), QString());
    EXPECT_TRUE(std::find(style.begin(), style.end(), std::pair(QStringLiteral("color"), QStringLiteral("rgb(1, 2, 3)"))) != style.end());
    QObject::disconnect(connection);
    page->interceptRequests({});
}
