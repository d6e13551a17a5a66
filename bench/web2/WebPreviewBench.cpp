// Figures of the live preview on a 10,000-element page with bootstrap.css:
// the browser's start and the first frame of the page, snapshot and mirror
// build from DOMContentLoaded, the batched questions for one selected
// element, a program setProperty() until the page's computed style shows it
// and until a frame with it is on screen. Run by hand, offscreen:
//   QT_QPA_PLATFORM=offscreen ./bench/web2/web2_bench [bootstrap.css]

#include "platform/web/cssom/DOMCSSRule.h"
#include "platform/web/cssom/DOMCSSStyleDeclaration.h"
#include "platform/web/cssom/DOMCSSStyleSheet.h"
#include "platform/web/cssom/DOMStyleSheetList.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMElement.h"
#include "platform/web/dom/DOMNodeList.h"
#include "platform/web/engine/ChromiumProcess.h"
#include "platform/web/engine/WebBridge.h"
#include "platform/web/engine/WebEngineCache.h"
#include "platform/web/engine/WebFrameMirror.h"
#include "platform/web/engine/WebPage.h"
#include "platform/web/engine/WebView.h"

#include "../BenchFigures.h"

#include <QApplication>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

// Nine elements a card, 1,111 cards.
QByteArray page()
{
    QByteArray html = "<!DOCTYPE html><html><head><meta charset='utf-8'><link rel='stylesheet' href='bootstrap.css'>"
                      "<style>.bench-target { outline-style: solid; }\n.bench-paint { background-color: rgb(0, 0, 0); }</style>"
                      "</head><body><div class='bench-paint' id='paint' style='height: 20px'></div><div class='container'>\n";
    for (int i = 0; i < 1111; ++i) {
        html += "<div class='row'><div class='col-md-4 card'><div class='card-body'><h5 class='card-title'>Card "
                + QByteArray::number(i) + "</h5><p class='card-text text-muted'>Some <em>quick</em> text.</p>"
                "<a href='#' class='btn btn-primary" + QByteArray(i == 555 ? " bench-target' id='target" : "")
                + "'>Go</a><ul class='list-group'><li class='list-group-item'>A</li></ul></div></div></div>\n";
    }
    return html + "</div></body></html>";
}

DOMCSSRulePtr ruleWithSelector(DOMDocument &document, const QString &selector)
{
    for (int i = 0; i < document.styleSheets().length(); ++i) {
        const DOMCSSRuleList list = document.styleSheets().item(i)->cssRules();
        for (int j = 0; j < list.length(); ++j) {
            if (list.item(j)->selectorText() == selector)
                return list.item(j);
        }
    }
    return nullptr;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    const QString bootstrapPath = argc > 1 ? QString::fromLocal8Bit(argv[1])
                                           : QStringLiteral("/usr/share/javascript/bootstrap5/css/bootstrap.css");
    QFile bootstrap(bootstrapPath);
    if (!bootstrap.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s (Debian's libjs-bootstrap5 has it)\n", qPrintable(bootstrapPath));
        return 1;
    }
    QTemporaryDir dir;
    QFile css(dir.filePath(QStringLiteral("bootstrap.css")));
    css.open(QIODevice::WriteOnly);
    css.write(bootstrap.readAll());
    css.close();
    QFile html(dir.filePath(QStringLiteral("index.html")));
    html.open(QIODevice::WriteOnly);
    html.write(page());
    html.close();

    QElapsedTimer launch;
    launch.start();
    ChromiumProcess::instance().start();
    const double started = launch.nsecsElapsed() / 1e6;
    auto *view = new WebView();
    view->resize(1200, 900);
    view->show();
    WebBridge &bridge = view->bridge();
    {
        view->webPage()->load(QUrl::fromLocalFile(html.fileName()));
        if (!waitUntil([&] { return view->framesShown() > 0 && view->mainFrameDocument(); })) {
            std::fprintf(stderr, "the page was not shown\n");
            return 1;
        }
        std::printf("browser started in the background in %.1f ms; first frame of the page %.0f ms after the start\n",
                    started, launch.nsecsElapsed() / 1e6);
    }

    Figures load;
    Figures build;
    int elements = 0;
    int rules = 0;
    for (int run = 0; run < 6; ++run) {
        bool loaded = false;
        double fromContentLoaded = 0;
        const auto connection = QObject::connect(&bridge, &WebBridge::documentLoaded, &bridge, [&](WebFrameMirror *frame) {
            fromContentLoaded = double(QDateTime::currentMSecsSinceEpoch()) - frame->snapshotStartedAt();
            loaded = true;
        });
        view->webPage()->load(QUrl::fromLocalFile(html.fileName()));
        if (!waitUntil([&] { return loaded; })) {
            std::fprintf(stderr, "the page did not load\n");
            return 1;
        }
        QObject::disconnect(connection);
        if (run == 0)
            continue; // warm-up
        load.add(fromContentLoaded);
        DOMDocument *document = view->mainFrameDocument();
        elements = document->getElementsByTagName(QStringLiteral("*")).length();
        rules = 0;
        for (int i = 0; i < document->styleSheets().length(); ++i)
            rules += document->styleSheets().item(i)->cssRules().length();
    }
    std::printf("page: %d elements, %d top-level rules in its style sheets\n", elements, rules);
    std::printf("snapshot and mirror from DOMContentLoaded: %s\n", qPrintable(load.text()));

    WebFrameMirror &frame = view->mainFrame();
    DOMDocument *document = frame.document();
    DOMElement *target = document->getElementById(QStringLiteral("target"));
    const QStringList media = {QStringLiteral("(min-width: 576px)"),  QStringLiteral("(min-width: 768px)"),
                               QStringLiteral("(min-width: 992px)"),  QStringLiteral("(min-width: 1200px)"),
                               QStringLiteral("(min-width: 1400px)"), QStringLiteral("(prefers-reduced-motion: reduce)"),
                               QStringLiteral("print")};
    {
        // The first question after a load waits for the page's first layout.
        bool done = false;
        QElapsedTimer timer;
        timer.start();
        frame.engine()->prefetchElement(*target, media, {}, [&] { done = true; });
        waitUntil([&] { return done; });
        std::printf("first question after the load (behind the page's first layout): %.1f ms\n", timer.nsecsElapsed() / 1e6);
    }
    Figures batch;
    int matched = 0;
    for (int run = 0; run < 10; ++run) {
        frame.engine()->invalidateLayout();
        QList<std::pair<QString, QString>> values;
        for (int i = 0; i < 40; ++i)
            values.append({QStringLiteral("width"), QStringLiteral("%1px").arg(run * 100 + i)});
        bool done = false;
        QElapsedTimer timer;
        timer.start();
        frame.engine()->prefetchElement(*target, media, values, [&] { done = true; });
        waitUntil([&] { return done; });
        batch.add(timer.nsecsElapsed() / 1e6);
        matched = int(document->getMatchedCSSRules(target, QString(), true).size());
    }
    std::printf("batched questions for one element (computed style, box, %d matching rules, %d media queries, "
                "40 values), one round trip: %s\n",
                matched, int(media.size()), qPrintable(batch.text()));

    const DOMCSSRulePtr rule = ruleWithSelector(*document, QStringLiteral(".bench-target"));
    Figures visible;
    for (int run = 1; run <= 10; ++run) {
        const QString width = QStringLiteral("%1px").arg(run);
        QElapsedTimer timer;
        timer.start();
        rule->style()->setProperty(QStringLiteral("outline-width"), width);
        // The question goes after the edit, in order: its answer shows the page's style after it.
        bool done = false;
        WebEngineQuestions questions;
        questions.computedStyles.append({target, QString()});
        frame.engine()->prefetch(questions, [&] { done = true; });
        waitUntil([&] { return done; });
        const double elapsed = timer.nsecsElapsed() / 1e6;
        QString seen;
        for (const auto &[name, value] : document->getComputedStyle(target, QString())) {
            if (name == QLatin1String("outline-width"))
                seen = value;
        }
        if (seen != width)
            std::fprintf(stderr, "computed outline-width %s, expected %s\n", qPrintable(seen), qPrintable(width));
        visible.add(elapsed);
    }
    std::printf("setProperty until the page's computed style shows it (edit, question and answer): %s\n",
                qPrintable(visible.text()));

    const DOMCSSRulePtr paintRule = ruleWithSelector(*document, QStringLiteral(".bench-paint"));
    const std::optional<DOMElementBox> paintBox = frame.engine()->elementBox(*document->getElementById(QStringLiteral("paint")));
    const QPoint spot(int(paintBox->viewRect.left()) + 2, int(paintBox->viewRect.top()) + 2);
    Figures painted;
    for (int run = 1; run <= 15; ++run) {
        const QColor colour(run * 10, 255 - run * 10, 100);
        QElapsedTimer timer;
        timer.start();
        paintRule->style()->setProperty(QStringLiteral("background-color"), colour.name());
        const bool shown = waitUntil([&] {
            const QImage &image = view->currentFrame();
            const QPoint pixel = spot * image.devicePixelRatio();
            return image.valid(pixel) && image.pixelColor(pixel) == colour;
        }, 5000);
        if (!shown)
            std::fprintf(stderr, "the colour %s was not shown\n", qPrintable(colour.name()));
        painted.add(timer.nsecsElapsed() / 1e6);
    }
    std::printf("style change until a frame with it is on screen: %s\n", qPrintable(painted.text()));
    std::printf("round trips %d, blocking calls %d\n", bridge.roundTrips(), bridge.blockingCalls());
    delete view;
    return 0;
}
