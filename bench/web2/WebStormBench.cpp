// Figures of the live preview while the page's own script never stops
// changing its document: the longest time the window's event loop went
// unturned, how long a program DOM edit takes until the page's answer shows
// it, the program's memory growth, and whether the mirror equals the page
// once the script stops. Three storms: 80,000 changes a second asked, as many
// as the page can make, and 100,000 changes in one step every second. Each
// prints the rate the page reached beside the rate asked (the page's timers
// fire about once a frame, and its own work on the changes, the bridge's
// included, may hold it back), and its longest task (no edit of ours can
// reach it while one runs). It has no linked style sheet: nothing waits to
// be mirrored. Run by hand:
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
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <cstdio>

namespace {

// 2,000 rows to change; startStorm(batch, everyMs, perSecond) changes them
// every so often: rows' texts and attributes, items added and dropped.
QByteArray stormPage()
{
    QByteArray html = "<!DOCTYPE html><html><head><title>Storm</title></head><body>"
                      "<p id='target' style='width: 10px'>edit me</p><ul id='list'></ul>\n";
    for (int i = 0; i < 2000; ++i)
        html += "<div class='row' id='r" + QByteArray::number(i) + "'><span>row " + QByteArray::number(i) + "</span></div>\n";
    html += R"(<script>
var count = 0;
var ticks = 0;
var longestTask = 0;
var started = 0;
// Each tick of the timer makes `batch` changes or, with a rate asked, the
// changes due by then at that rate (at most a tenth of a second's worth, so
// a page that falls behind does not make up for it in one long task).
function startStorm(batch, everyMs, perSecond) {
    count = 0;
    ticks = 0;
    longestTask = 0;
    started = performance.now();
    window.storm = setInterval(function () {
        var begin = performance.now();
        var changes = batch;
        if (perSecond > 0)
            changes = Math.min(perSecond * (begin - started) / 1000 - count, perSecond / 10);
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
        ++ticks;
        longestTask = Math.max(longestTask, performance.now() - begin);
    }, everyMs);
}
function stopStorm() {
    clearInterval(window.storm);
    var seconds = (performance.now() - started) / 1000;
    return JSON.stringify({ changes: count, perSecond: count / seconds, ticksPerSecond: ticks / seconds,
                            longestTask: longestTask });
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

// A storm: `batch` changes every `everyMs`, or with `paced` above 0 that
// many a second, asked of the page's timer; `asked` says so in words, and
// the rate reached is set against `askedPerSecond` when there is one.
void runStorm(WebView &view, const char *label, const QString &asked, int batch, int everyMs, int paced,
              int askedPerSecond)
{
    WebFrameMirror &frame = view.mainFrame();
    DOMDocument *document = frame.document();
    DOMElement *target = document->getElementById(QStringLiteral("target"));
    const qint64 memoryBefore = residentKilobytes();
    evaluate(*view.webPage(), QStringLiteral("startStorm(%1, %2, %3)").arg(batch).arg(everyMs).arg(paced));
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
    const QJsonObject made = QJsonDocument::fromJson(evaluate(*view.webPage(), QStringLiteral("stopStorm()")).toUtf8()).object();
    // The mirror catches up with the page.
    QElapsedTimer settle;
    settle.start();
    const bool equal = waitUntil([&] {
        return document->documentElement()->outerHTML()
            == evaluate(*view.webPage(), QStringLiteral("document.documentElement.outerHTML"));
    }, 30000);
    const double reached = made.value(QStringLiteral("perSecond")).toDouble();
    std::printf("%s\n", label);
    std::printf("  asked: %s; reached: %.0f changes a second", qPrintable(asked), reached);
    if (askedPerSecond > 0)
        std::printf(" (%.0f%% of the rate asked)", 100.0 * reached / askedPerSecond);
    std::printf(", %.0f changes in all, %.1f timer ticks a second, the page's longest task %.1f ms\n",
                made.value(QStringLiteral("changes")).toDouble(), made.value(QStringLiteral("ticksPerSecond")).toDouble(),
                made.value(QStringLiteral("longestTask")).toDouble());
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
    runStorm(*view, "80,000 changes a second", QStringLiteral("80,000 changes a second, a tick every 4 ms"), 0, 4, 80000,
             80000);
    runStorm(*view, "as many changes as the page can make",
             QStringLiteral("5,120 changes a tick, a tick every 4 ms"), 5120, 4, 0, 0);
    runStorm(*view, "100,000 changes at once every second", QStringLiteral("100,000 changes a second, all in one tick"),
             100000, 1000, 0, 100000);
    delete view;
    return 0;
}
