#include "TestUtil.h"
#include "WebTestFixture.h"
#include "WebTestUtil.h"

#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMElement.h"
#include "platform/web/engine/DevToolsConnection.h"
#include "platform/web/engine/WebFrameMirror.h"
#include "platform/web/engine/WebView.h"

#include <QJsonArray>

#include <memory>
#include <thread>

#include <unistd.h>

#include <gtest/gtest.h>

namespace WebLivePacingTest {

namespace {

// A page whose script, once started, changes its document without pause:
// items added and dropped, a counter's text and an attribute, 400 changes
// every 4 ms.
const QByteArray s_stormPage = R"(<!DOCTYPE html>
<html><head><title>Storm</title></head>
<body><p id="target">edit me</p><span id="counter">0</span><ul id="list"></ul>
<script>
var count = 0;
function startStorm() {
    window.storm = setInterval(function () {
        var list = document.getElementById('list');
        for (var i = 0; i < 100; ++i) {
            var item = document.createElement('li');
            item.textContent = 'item ' + (count++);
            item.className = count % 2 ? 'odd' : 'even';
            list.appendChild(item);
            if (list.children.length > 40)
                list.firstElementChild.remove();
            document.getElementById('counter').textContent = String(count);
            list.setAttribute('data-count', String(count));
        }
    }, 4);
}
function stopStorm() { clearInterval(window.storm); }
</script></body></html>)";

QString pageHtml(WebTestFixture &fixture)
{
    return fixture.evaluate(QStringLiteral("document.documentElement.outerHTML")).toString();
}

QString mirrorHtml(WebTestFixture &fixture)
{
    return fixture.mainFrame().document()->documentElement()->outerHTML();
}

// The number of changes the page's script has made.
int changesMade(WebTestFixture &fixture)
{
    return fixture.evaluate(QStringLiteral("count"), WebTestFixture::World::Page).toInt();
}

// Starts the storm and waits until the page has made that many changes, at
// whatever pace the machine allows.
bool startStormUntil(WebTestFixture &fixture, int changes)
{
    fixture.evaluate(QStringLiteral("startStorm()"), WebTestFixture::World::Page);
    return TestUtil::waitUntil([&] { return changesMade(fixture) >= changes; }, 60000);
}

} // namespace

TEST(WebLivePacing, MirrorEqualsThePageAfterABurstOfMergedMutations)
{
    WebTestFixture fixture(WebTestFixture::sharedView());
    fixture.writeFile(QStringLiteral("index.html"), s_stormPage);
    ASSERT_TRUE(fixture.loadPage(QStringLiteral("index.html")));
    // More than ten of the script's turns, each merged into few posts.
    const bool stormed = startStormUntil(fixture, 1500);
    fixture.evaluate(QStringLiteral("stopStorm()"), WebTestFixture::World::Page);
    ASSERT_TRUE(stormed);
    ASSERT_TRUE(fixture.settle());
    EXPECT_TRUE(TestUtil::waitUntil([&] { return mirrorHtml(fixture) == pageHtml(fixture); }));
    EXPECT_EQ(mirrorHtml(fixture), pageHtml(fixture));
}

TEST(WebLivePacing, ProgramEditDuringAMutationStormReachesThePage)
{
    WebTestFixture fixture(WebTestFixture::sharedView());
    fixture.writeFile(QStringLiteral("index.html"), s_stormPage);
    ASSERT_TRUE(fixture.loadPage(QStringLiteral("index.html")));
    ASSERT_TRUE(startStormUntil(fixture, 100));
    DOMElement *target = fixture.mainFrame().document()->getElementById(QStringLiteral("target"));
    ASSERT_TRUE(target);
    ASSERT_TRUE(target->setAttribute(QStringLiteral("data-edit"), QStringLiteral("from the program")));
    const bool arrived = TestUtil::waitUntil([&] {
        return fixture.evaluate(QStringLiteral("document.getElementById('target').getAttribute('data-edit')"),
                                WebTestFixture::World::Page)
                   .toString()
            == QLatin1String("from the program");
    });
    fixture.evaluate(QStringLiteral("stopStorm()"), WebTestFixture::World::Page);
    EXPECT_TRUE(arrived);
    ASSERT_TRUE(fixture.settle());
    EXPECT_TRUE(TestUtil::waitUntil([&] { return mirrorHtml(fixture) == pageHtml(fixture); }));
}

// A large document crosses the pipe in one message with escapes of every
// kind in it: the mirror reads it as the page has it.
TEST(WebLivePacing, LargeSnapshotWithEscapedTextEqualsThePage)
{
    QByteArray page = "<!DOCTYPE html><html><head><title>\"Big\" \\ page</title></head><body>\n";
    for (int i = 0; i < 1500; ++i) {
        page += "<div class='row r" + QByteArray::number(i) + "' title='a \"quoted\" \\ value\ttab'>"
                "<span>caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80 line\\n " + QByteArray::number(i) + "</span>"
                "<!-- note </> --></div>\n";
    }
    page += "</body></html>";
    WebTestFixture fixture(WebTestFixture::sharedView());
    fixture.writeFile(QStringLiteral("index.html"), page);
    ASSERT_TRUE(fixture.loadPage(QStringLiteral("index.html")));
    EXPECT_EQ(mirrorHtml(fixture), pageHtml(fixture));
}

// A page with fine detail everywhere makes large frames; they still reach the view.
TEST(WebLivePacing, DetailedPageFramesReachTheView)
{
    WebTestFixture fixture(WebTestFixture::sharedView());
    fixture.writeFile(QStringLiteral("index.html"), R"(<!DOCTYPE html><html><head>
<style>body { margin: 0 } #spot { width: 100px; height: 100px; background: rgb(255, 0, 0) }</style></head>
<body><div id="spot"></div><canvas id="noise" width="800" height="400"></canvas>
<script>
var context = document.getElementById('noise').getContext('2d');
var image = context.createImageData(800, 400);
var seed = 7;
for (var i = 0; i < image.data.length; ++i) {
    seed = (seed * 1103515245 + 12345) % 2147483648;
    image.data[i] = i % 4 == 3 ? 255 : seed % 256;
}
context.putImageData(image, 0, 0);
</script></body></html>)");
    ASSERT_TRUE(fixture.loadPage(QStringLiteral("index.html")));
    WebView &view = fixture.view();
    const auto shown = [&view](const QColor &colour) {
        const QImage &frame = view.currentFrame();
        const QPoint pixel = QPoint(50, 50) * frame.devicePixelRatio();
        return frame.valid(pixel) && frame.pixelColor(pixel) == colour;
    };
    ASSERT_TRUE(TestUtil::waitUntil([&] { return shown(QColor(255, 0, 0)); }));
    fixture.mainFrame().document()->getElementById(QStringLiteral("spot"))->setAttribute(
        QStringLiteral("style"), QStringLiteral("background: rgb(0, 0, 255)"));
    EXPECT_TRUE(TestUtil::waitUntil([&] { return shown(QColor(0, 0, 255)); }));
}

TEST(DevToolsConnection, EscapedStringTextIsReadAsUtf8)
{
    const auto unescaped = [](const char *text) { return DevToolsConnection::unescapedString(QByteArrayView(text)); };
    EXPECT_EQ(unescaped(R"(plain)"), QByteArray("plain"));
    EXPECT_EQ(unescaped(R"(a\"b\\c\/d\ne\tf\r\b\f)"), QByteArray("a\"b\\c/d\ne\tf\r\b\f"));
    EXPECT_EQ(unescaped(R"(\u00e9\u20ac)"), QByteArray("\xc3\xa9\xe2\x82\xac"));
    EXPECT_EQ(unescaped(R"(\ud83d\ude00!)"), QByteArray("\xf0\x9f\x98\x80!"));
    EXPECT_EQ(unescaped("caf\xc3\xa9"), QByteArray("caf\xc3\xa9"));
    // A lone surrogate is no character.
    EXPECT_EQ(unescaped(R"(\ud83dx)"), QByteArray("\xef\xbf\xbdx"));
}

// The browser's answer behind an event longer than the pipe's backlog limit
// (the siblings of a node asked for in a list of 100,000 items) arrives: the
// long event is read to its end, not left half read for ever, and its list of
// nodes, an array as the browser sends it, is set aside unparsed (#88).
TEST(DevToolsConnection, AnswerBehindAnEventLongerThanTheBacklogLimitArrives)
{
    int toBrowser[2];
    int fromBrowser[2];
    ASSERT_EQ(::pipe(toBrowser), 0);
    ASSERT_EQ(::pipe(fromBrowser), 0);
    auto connection = std::make_unique<DevToolsConnection>(toBrowser[1], fromBrowser[0]);
    connection->setBulkField(QStringLiteral("DOM.setChildNodes"), QStringLiteral("nodes"));
    qsizetype eventLength = 0;
    QJsonObject eventParams;
    QObject::connect(connection.get(), &DevToolsConnection::eventReceived, connection.get(),
                     [&](const QString &, const QString &, const QJsonObject &params, const QByteArray &bulk) {
                         eventLength = bulk.size();
                         eventParams = params;
                     });
    std::optional<DevToolsReply> reply;
    connection->send(QStringLiteral("DOM.requestNode"), {}, {}, [&](const DevToolsReply &answer) { reply = answer; });
    // The items of a list, each with its text and a bracket in an attribute.
    QByteArray nodes;
    for (int i = 0; nodes.size() < 40 * 1024 * 1024; ++i) {
        const QByteArray id = QByteArray::number(i + 10);
        nodes += QByteArray(i ? "," : "") + R"({"nodeId":)" + id + R"(,"nodeName":"LI","attributes":["title","a]}"],)"
            + R"("children":[{"nodeId":)" + id + R"(0,"nodeType":3,"nodeValue":"Item ]"}]})";
    }
    std::thread browser([fd = fromBrowser[1], &nodes] {
        const QByteArray text = R"({"method":"DOM.setChildNodes","params":{"parentId":8,"nodes":[)" + nodes
            + QByteArray(R"(]}})") + '\0' + QByteArray(R"({"id":1,"result":{"nodeId":9}})") + '\0';
        // The program's end closed unread stops the write.
        for (qsizetype written = 0; written < text.size();) {
            const ssize_t count = ::write(fd, text.constData() + written, size_t(text.size() - written));
            if (count <= 0)
                break;
            written += count;
        }
    });
    EXPECT_TRUE(TestUtil::waitUntil([&] { return reply.has_value(); }, 20000));
    EXPECT_EQ(eventLength, nodes.size());
    EXPECT_EQ(eventParams.value(QStringLiteral("parentId")).toInt(), 8);
    EXPECT_EQ(eventParams.value(QStringLiteral("nodes")), QJsonArray());
    if (reply) {
        EXPECT_TRUE(reply->isOk());
        EXPECT_EQ(reply->result.value(QStringLiteral("nodeId")).toInt(), 9);
    }
    connection.reset();
    browser.join();
    ::close(fromBrowser[1]);
    ::close(toBrowser[0]);
}

TEST(DevToolsConnection, AClosedConnectionAnswersAWaitAtOnceAndLeavesOtherCommandsTheirAnswers)
{
    int toBrowser[2];
    int fromBrowser[2];
    ASSERT_EQ(::pipe(toBrowser), 0);
    ASSERT_EQ(::pipe(fromBrowser), 0);
    DevToolsConnection connection(toBrowser[1], fromBrowser[0]);
    std::optional<DevToolsReply> earlier;
    connection.send(QStringLiteral("Browser.getVersion"), {}, {}, [&](const DevToolsReply &answer) { earlier = answer; });
    // The browser ends.
    ::close(fromBrowser[1]);
    EXPECT_TRUE(TestUtil::waitUntil([&] { return earlier.has_value(); }));
    // Waited for on a connection closed: no answer, and none comes later.
    EXPECT_FALSE(connection.sendAndWait(QStringLiteral("Target.getTargets"), {}, {}, 1000));
    std::optional<DevToolsReply> later;
    connection.send(QStringLiteral("Browser.getVersion"), {}, {}, [&](const DevToolsReply &answer) { later = answer; });
    EXPECT_TRUE(TestUtil::waitUntil([&] { return later.has_value(); }));
    EXPECT_FALSE(later->isOk());
    ::close(toBrowser[0]);
}

} // namespace WebLivePacingTest
