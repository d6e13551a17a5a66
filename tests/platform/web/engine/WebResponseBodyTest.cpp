#include "TestUtil.h"
#include "WebTestFixture.h"
#include "WebTestUtil.h"

#include "platform/web/engine/WebPage.h"
#include "platform/web/engine/WebView.h"

#include <gtest/gtest.h>

namespace WebResponseBodyTest {

namespace {

// Every byte value, over and over.
QByteArray binaryBytes(qsizetype size)
{
    QByteArray bytes(size, 0);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char((i * 7 + i / 256) & 0xFF);
    return bytes;
}

// Text with what JSON escapes and what UTF-8 writes in several bytes.
QByteArray awkwardText(int repeats)
{
    const QByteArray piece = QStringLiteral("p::after { content: \"\\\\ \\\" / \t \u00e9 \u2028 \U0001F600 \U0001D11E\"; }\n").toUtf8();
    return piece.repeated(repeats);
}

} // namespace

TEST(WebResponseBody, BodiesArriveByteExactWhateverTheirSize)
{
    WebTestFixture fixture(WebTestFixture::sharedView());
    const QList<std::pair<QString, QByteArray>> files{
        {QStringLiteral("small.bin"), binaryBytes(300)},
        {QStringLiteral("large.bin"), binaryBytes(3 * 1024 * 1024 + 1)},
        {QStringLiteral("small.css"), awkwardText(1)},
        {QStringLiteral("large.css"), awkwardText(20000)},
    };
    // The sheets are read as the page's UTF-8; binary bytes are fetched by its script.
    QByteArray index = "<!DOCTYPE html><html><head><meta charset='utf-8'>";
    for (const auto &[name, bytes] : files) {
        fixture.writeFile(QStringLiteral("site/") + name, bytes);
        index += name.endsWith(QLatin1String(".css"))
            ? "<link rel=stylesheet href='" + name.toUtf8() + "'>"
            : "<script>fetch('" + name.toUtf8() + "').then((r) => r.arrayBuffer());</script>";
    }
    fixture.writeFile(QStringLiteral("site/index.html"), index + "</head><body></body></html>");
    LoopbackHttpServer site(fixture.folder() + QStringLiteral("/site"));
    ASSERT_TRUE(site.start());
    WebPage *page = fixture.view().webPage();
    QHash<QUrl, QString> finished;
    QHash<QString, QUrl> urls;
    const auto received = QObject::connect(page, &WebPage::responseReceived, page,
                                           [&](const WebResponseInfo &info) { urls.insert(info.requestId, info.url); });
    const auto done = QObject::connect(page, &WebPage::requestFinished, page, [&](const QString &requestId, qint64, double) {
        if (urls.contains(requestId))
            finished.insert(urls.value(requestId), requestId);
    });
    ASSERT_TRUE(fixture.loadUrl(site.url(QStringLiteral("index.html"))));
    ASSERT_TRUE(TestUtil::waitUntil([&] {
        return std::all_of(files.begin(), files.end(), [&](const auto &file) { return finished.contains(site.url(file.first)); });
    }, 20000));
    QObject::disconnect(received);
    QObject::disconnect(done);

    QHash<QString, std::optional<QByteArray>> bodies;
    for (const auto &entry : files) {
        const QString name = entry.first;
        page->responseBody(finished.value(site.url(name)),
                           [&bodies, name](std::optional<QByteArray> body) { bodies.insert(name, std::move(body)); });
    }
    ASSERT_TRUE(TestUtil::waitUntil([&] { return bodies.size() == files.size(); }, 20000));
    for (const auto &[name, bytes] : files) {
        ASSERT_TRUE(bodies.value(name)) << qPrintable(name);
        EXPECT_TRUE(*bodies.value(name) == bytes) << qPrintable(name) << " has " << bodies.value(name)->size()
                                                  << " bytes of " << bytes.size();
    }
}

} // namespace WebResponseBodyTest
