// How long the preview's browser takes to answer a question of its own
// (Browser.getVersion, what ChromiumProcess asks every second) while the
// program shows pages, and the longest it says nothing at all while such a
// question waits: the figure the browser's silence limit
// (ChromiumProcess::kSilenceMs) is chosen from. A question is asked every
// 20 ms through each scenario: the browser's start, a small page shown,
// a page of 100,000 list items loaded (its mirror's snapshot is some 40 MB),
// a page whose script keeps its renderer busy, the page's renderer crashed
// and reloaded, and the view resized again and again. Run by hand, also on
// two loaded cores:
//   QT_QPA_PLATFORM=offscreen ./bench/web2/web2_answer_bench
//   taskset -c 0,1 ./bench/web2/web2_answer_bench  (beside two busy loops on 0,1)

#include "platform/web/dom/DOMDocument.h"
#include "platform/web/engine/ChromiumProcess.h"
#include "platform/web/engine/DevToolsConnection.h"
#include "platform/web/engine/WebPage.h"
#include "platform/web/engine/WebView.h"

#include "../BenchUtil.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <vector>

namespace {

// Asks the browser a question whenever none waits, at most every 20 ms,
// and keeps the time each answer took and the longest silence while one waited.
class Questioner : public QObject
{
public:
    Questioner()
    {
        m_timer.setInterval(20);
        connect(&m_timer, &QTimer::timeout, this, [this] { tick(); });
    }

    void start()
    {
        m_answers.clear();
        m_longestSilence = 0;
        m_timer.start();
        tick();
    }
    void stop() { m_timer.stop(); }

    const std::vector<double> &answers() const { return m_answers; }
    double longestSilence() const { return m_longestSilence; }

private:
    void tick()
    {
        DevToolsConnection *browser = ChromiumProcess::instance().connection();
        if (!browser || !browser->isOpen())
            return;
        if (m_asked.isValid()) {
            // As the browser's watch judges it: what came is read first.
            browser->readWaiting();
            const double silence = double(std::min<qint64>(m_asked.elapsed(), browser->msSinceBrowserWrote()));
            m_longestSilence = std::max(m_longestSilence, silence);
            return;
        }
        const int question = ++m_questions;
        m_asked.start();
        browser->send(QStringLiteral("Browser.getVersion"), {}, {}, [this, question](const DevToolsReply &) {
            if (question != m_questions)
                return;
            m_answers.push_back(double(m_asked.nsecsElapsed()) / 1e6);
            m_asked.invalidate();
        }, this);
    }

    QTimer m_timer;
    QElapsedTimer m_asked;
    int m_questions = 0;
    std::vector<double> m_answers;
    double m_longestSilence = 0;
};

void report(const char *label, const Questioner &questioner)
{
    const std::vector<double> &answers = questioner.answers();
    std::printf("%-44s answers: median %7.1f ms, 99%% %7.1f ms, max %7.1f ms (%zu); longest silence %7.1f ms\n", label,
                median(answers), percentile(answers, 0.99), percentile(answers, 1.0), answers.size(),
                questioner.longestSilence());
    std::fflush(stdout);
}

QByteArray longPage()
{
    QByteArray html = "<!DOCTYPE html><html><head><title>Long</title></head><body><ul>\n";
    for (int i = 0; i < 100000; ++i)
        html += "<li class='item' id='i" + QByteArray::number(i) + "'>item " + QByteArray::number(i) + "</li>\n";
    return html + "</ul></body></html>";
}

bool loadAndWait(WebView &view, const QString &path)
{
    const int frames = view.framesShown();
    const DOMDocument *before = view.mainFrameDocument();
    view.webPage()->load(QUrl::fromLocalFile(path));
    const bool shown = waitUntil([&] {
        return view.mainFrameDocument() && view.mainFrameDocument() != before && view.framesShown() > frames;
    }, 60000);
    if (!shown)
        std::fprintf(stderr, "%s was not shown\n", qPrintable(path));
    waitMs(300);
    return shown;
}

} // namespace

int main(int argc, char **argv)
{
    preferOffscreen();
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString small = writeBenchFile(dir, QStringLiteral("small.html"),
                                         "<!DOCTYPE html><title>Small</title><p style='font: 20px serif'>a small page</p>");
    const QString longOne = writeBenchFile(dir, QStringLiteral("long.html"), longPage());
    const QString busy = writeBenchFile(dir, QStringLiteral("busy.html"),
                                        "<!DOCTYPE html><title>Busy</title><p>busy</p><script>"
                                        "function spin(ms) { const end = performance.now() + ms; while (performance.now() < end) {} }"
                                        "</script>");
    Questioner questioner;
    ChromiumProcess &browser = ChromiumProcess::instance();

    // The browser's start: its first answer comes once it is up.
    for (int run = 0; run < 5; ++run) {
        browser.stop();
        questioner.start();
        browser.start();
        waitUntil([&] { return !questioner.answers().empty(); }, 60000);
        questioner.stop();
        report("start, until the first answer", questioner);
    }

    auto *view = new WebView();
    view->resize(1200, 900);
    view->show();

    questioner.start();
    loadAndWait(*view, small);
    waitMs(5000);
    questioner.stop();
    report("a small page shown, 5 s", questioner);

    questioner.start();
    for (int run = 0; run < 3; ++run)
        loadAndWait(*view, longOne);
    questioner.stop();
    report("100,000 items loaded three times", questioner);

    loadAndWait(*view, busy);
    questioner.start();
    for (int run = 0; run < 3; ++run) {
        view->webPage()->runJavaScript(QStringLiteral("spin(3000)"));
        waitMs(3500);
    }
    questioner.stop();
    report("the page's script busy 3 s, three times", questioner);

    loadAndWait(*view, small);
    questioner.start();
    for (int run = 0; run < 3; ++run) {
        const DOMDocument *before = view->mainFrameDocument();
        view->webPage()->send(QStringLiteral("Page.crash"));
        if (!waitUntil([&] { return view->mainFrameDocument() && view->mainFrameDocument() != before; }, 20000))
            std::fprintf(stderr, "the crashed page was not shown again\n");
        waitMs(500);
    }
    questioner.stop();
    report("the renderer crashed and reloaded, three times", questioner);

    questioner.start();
    for (int run = 0; run < 60; ++run) {
        view->resize(600 + (run % 10) * 60, 400 + (run % 7) * 60);
        waitMs(50);
    }
    waitMs(500);
    questioner.stop();
    report("the view resized 60 times", questioner);

    delete view;
    return 0;
}
