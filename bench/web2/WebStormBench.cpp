// Figures of the live preview while the page's own script never stops
// changing its document: the longest time the window's event loop went
// unturned, how long a program DOM edit takes until the page's answer shows
// it, the program's memory growth, and whether the mirror equals the page
// once the script stops. Three storms: some 80,000 changes a second in small
// steps, as many as the page can make, and 100,000 changes in one step every
// second. The page says how many it made and its longest task (no edit of
// ours can reach it while one runs). It has no linked style sheet: nothing
// waits to be mirrored. Run by hand:
//   QT_QPA_PLATFORM=offscreen ./bench/web2/web2_storm_bench

#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMElement.h"
#include "platform/web/engine/ChromiumProcess.h"
#include "platform/web/engine/WebBridge.h"
#include "platform/web/engine/WebFrameMirror.h"
#include "platform/web/engine/WebPage.h"
#include "platform/web/engine/WebView.h"

#include "../BenchFigures.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

namespace {

// 2,000 rows to change; startStorm(changes, everyMs) makes that many changes
// each time: rows' texts and attributes, items added and dropped.
QByteArray stormPage()
{
    QByteArray html = "<!DOCTYPE html><html><head><title>Storm</title></head><body>"
                      "<p id='target' style='width: 10px'>edit me</p><ul id='list'></ul>\n";
    for (int i = 0; i < 2000; ++i)
        html += "<div class='row' id='r" + QByteArray::number(i) + "'><span>row " + QByteArray::number(i) + "</span></div>\n";
    html += R"(<script>
var count = 0;
var longestTask = 0;
var started = 0;
function startStorm(changes, everyMs) {
    count = 0;
    longestTask = 0;
    started = performance.now();
    window.storm = setInterval(function () {
        var begin = performance.now();
        var list = document.getElementById('list');
        for (var i = 0; i < changes; i += 32) {
            // 32 changes: 15 texts, 15 attributes, an item added and one dropped.
            for (var j = 0; j < 15; ++j) {
                var row = rows[(count + j * 131) % 2000];
                row.firstChild.firstChild.data = 'row ' + count;
                row.setAttribute('data-count', String(count + j));
            }
            list.appendChild(document.createElement('li'));
            if (list.childNodes.length > 50)
                list.firstChild.remove();
            count += 32;
        }
        longestTask = Math.max(longestTask, performance.now() - begin);
    }, everyMs);
}
function stopStorm() {
    clearInterval(window.storm);
    return count + ' changes, ' + Math.round(count / ((performance.now() - started) / 1000)) + ' a second; '
        + 'the page\'s longest task ' + longestTask.toFixed(1) + ' ms';
}
var rows = Array.from(document.querySelectorAll('.row'));
</script></body></html>)";
    return html;
}

qint64 residentKilobytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return 0;
}

QString evaluate(WebPage &page, const QString &script)
{
    QVariant result;
    bool done = false;
    page.runJavaScript(script, WebPage::World::Page, [&](const QVariant &value) {
        result = value;
        done = true;
    });
    waitUntil([&] { return done; }, 30000);
    return result.toString();
}

void runStorm(WebView &view, const char *label, int changes, int everyMs)
{
    WebFrameMirror &frame = view.mainFrame();
    DOMDocument *document = frame.document();
    DOMElement *target = document->getElementById(QStringLiteral("target"));
    const qint64 memoryBefore = residentKilobytes();
    evaluate(*view.webPage(), QStringLiteral("startStorm(%1, %2)").arg(changes).arg(everyMs));
    StallMeter meter;
    meter.start();
    // Edits of the program spread over the storm, each until the page's
    // answer shows it.
    Figures edits;
    qint64 memoryPeak = memoryBefore;
    for (int run = 1; run <= 12; ++run) {
        waitMs(300);
        const QString width = QStringLiteral("%1px").arg(10 + run);
        QElapsedTimer timer;
        timer.start();
        target->setAttribute(QStringLiteral("style"), QStringLiteral("width: ") + width);
        // Sent now rather than at the end of the turn, before the question below.
        view.bridge().flushCommands();
        // The page's answer comes after the edit, in order: it shows whether the edit is there.
        const QString seen = evaluate(*view.webPage(), QStringLiteral("document.getElementById('target').style.width"));
        edits.add(timer.nsecsElapsed() / 1e6);
        if (seen != width)
            std::fprintf(stderr, "the page's width %s, expected %s\n", qPrintable(seen), qPrintable(width));
        memoryPeak = std::max(memoryPeak, residentKilobytes());
    }
    const double stall = meter.stop();
    const QString changed = evaluate(*view.webPage(), QStringLiteral("stopStorm()"));
    // The mirror catches up with the page.
    QElapsedTimer settle;
    settle.start();
    const bool equal = waitUntil([&] {
        return document->documentElement()->outerHTML()
            == evaluate(*view.webPage(), QStringLiteral("document.documentElement.outerHTML"));
    }, 30000);
    std::printf("%s: %s\n", label, qPrintable(changed));
    std::printf("  longest time the event loop went unturned: %.1f ms\n", stall);
    std::printf("  program DOM edit until the page's answer shows it: %s\n", qPrintable(edits.text()));
    std::printf("  memory: %+.1f MB at most during the storm, %+.1f MB after\n",
                double(memoryPeak - memoryBefore) / 1024.0, double(residentKilobytes() - memoryBefore) / 1024.0);
    std::printf("  mirror equals the page after the storm: %s (%.0f ms after it stopped)\n", equal ? "yes" : "NO",
                settle.nsecsElapsed() / 1e6);
}

} // namespace

int main(int argc, char **argv)
{
    preferOffscreen();
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString html = writeBenchFile(dir, QStringLiteral("storm.html"), stormPage());

    ChromiumProcess::instance().start();
    auto *view = new WebView();
    view->resize(1200, 900);
    view->show();
    view->webPage()->load(QUrl::fromLocalFile(html));
    if (!waitUntil([&] { return view->framesShown() > 0 && view->mainFrameDocument(); })) {
        std::fprintf(stderr, "the page was not shown\n");
        return 1;
    }
    // The page's timers fire about once a frame: 1,280 a time is some 80,000 a second.
    runStorm(*view, "some 80,000 changes a second (1,280 every 4 ms asked)", 1280, 4);
    runStorm(*view, "as many as the page can make (5,120 every 4 ms asked)", 5120, 4);
    runStorm(*view, "100,000 changes at once every second", 100000, 1000);
    delete view;
    return 0;
}
