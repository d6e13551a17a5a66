// Figures of the live preview on a 10,000-element page with bootstrap.css,
// each beside its reference in the same run (alternating rounds): the
// snapshot and mirror build from DOMContentLoaded beside the page serialising
// its own tree (and reading its sheets) in script, each on a page its world
// has not read yet; a style change until a frame with it is on screen
// beside the arrival of the browser's own frame with it; the browser's start,
// the batched questions for one selected element and a program setProperty()
// until the page's computed style shows it. Every figure says whether the
// page's style sheets were mirrored before it was timed. Run by hand, offscreen:
//   QT_QPA_PLATFORM=offscreen ./bench/web2/web2_bench [bootstrap.css]

#include "platform/web/cssom/DOMCSSRule.h"
#include "platform/web/cssom/DOMCSSStyleDeclaration.h"
#include "platform/web/cssom/DOMCSSStyleSheet.h"
#include "platform/web/cssom/DOMStyleSheetList.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMElement.h"
#include "platform/web/dom/DOMNodeList.h"
#include "platform/web/engine/ChromiumProcess.h"
#include "platform/web/engine/DevToolsConnection.h"
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
#include <QJsonObject>
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

// The page's own count of top-level rules in its style sheets.
int pageRuleCount(WebPage &page)
{
    int count = -1;
    page.runJavaScript(QStringLiteral("Array.from(document.styleSheets).reduce((n, s) => n + s.cssRules.length, 0)"),
                       WebPage::World::Page, [&](const QVariant &value) { count = value.toInt(); });
    waitUntil([&] { return count >= 0; });
    return count;
}

int mirrorRuleCount(DOMDocument &document)
{
    int rules = 0;
    for (int i = 0; i < document.styleSheets().length(); ++i)
        rules += document.styleSheets().item(i)->cssRules().length();
    return rules;
}

// Waits until the mirror has every rule of the page's sheets (the linked
// sheet is mirrored after the document); answers whether it came.
bool waitForSheets(WebView &view)
{
    const int wanted = pageRuleCount(*view.webPage());
    return waitUntil([&] { return view.mainFrameDocument() && mirrorRuleCount(*view.mainFrameDocument()) == wanted; });
}

// The references of the snapshot: the page writes the JSON text of every
// node of its tree (the fields the bridge sends) and answers the text itself
// (Text::Whole) or only its length; Text::WithSheetsLength also writes what
// the bridge reads of the style sheets (each rule's selector or head, its
// declarations' text, and the longhands where the text folds them) and answers
// the length. Answers the round trip in milliseconds.
enum class Text { Whole, LengthOnly, WithSheetsLength };
double serialiseInPage(WebPage &page, Text answer)
{
    static const QString tree = QStringLiteral(R"((() => {
    let next = 1;
    const ids = new Map();
    const idOf = (node) => { let id = ids.get(node); if (!id) { id = next++; ids.set(node, id); } return id; };
    const parts = [];
    const stack = [document];
    while (stack.length) {
        const node = stack.pop();
        let text = '{"id":' + idOf(node) + ',"type":' + node.nodeType;
        if (node.nodeType === 1) {
            text += ',"name":' + JSON.stringify(node.localName);
            if (node.hasAttributes())
                text += ',"attrs":' + JSON.stringify(node.getAttributeNames().map((n) => [n, node.getAttribute(n)]));
        } else if (node.nodeType === 3 || node.nodeType === 8) {
            text += ',"text":' + JSON.stringify(node.data);
        }
        if (node.firstChild) {
            const children = [];
            for (let child = node.firstChild; child; child = child.nextSibling) {
                children.push(idOf(child));
                stack.push(child);
            }
            text += ',"children":[' + children.join(',') + ']';
        }
        parts.push(text + '}');
    }
    return '[' + parts.join(',') + ']';
})())");
    static const QString sheets = QStringLiteral(R"((() => {
    const parts = [];
    const styleText = (style) => {
        const css = style.cssText;
        let text = JSON.stringify(css);
        if (css.split(';').length - 1 !== style.length) {
            const items = [];
            for (let i = 0; i < style.length; ++i)
                items.push(style[i], style.getPropertyValue(style[i]));
            text += ',' + JSON.stringify(items);
        }
        return text;
    };
    const walk = (rules) => {
        for (let i = 0; i < rules.length; ++i) {
            const rule = rules[i];
            const head = rule.selectorText ?? rule.keyText ?? rule.conditionText ?? rule.name ?? '';
            parts.push('[' + rule.type + ',' + JSON.stringify(head) + (rule.style ? ',' + styleText(rule.style) : '') + ']');
            if (rule.cssRules)
                walk(rule.cssRules);
        }
    };
    for (const sheet of document.styleSheets)
        walk(sheet.cssRules);
    return '[' + parts.join(',') + ']';
})())");
    QString script = tree;
    if (answer == Text::WithSheetsLength)
        script = QStringLiteral("(%1).length + (%2).length").arg(tree, sheets);
    else if (answer == Text::LengthOnly)
        script += QStringLiteral(".length");
    bool done = false;
    QElapsedTimer timer;
    timer.start();
    page.runJavaScript(script, WebPage::World::Page, [&](const QVariant &) { done = true; });
    waitUntil([&] { return done; });
    return timer.nsecsElapsed() / 1e6;
}

// A screencast frame as it arrived, kept to be looked at after the timing.
struct ArrivedFrame
{
    double at = 0;
    QByteArray base64;
};

bool frameShows(const QByteArray &base64, QPoint spot, const QColor &colour)
{
    const QImage image = QImage::fromData(QByteArray::fromBase64(base64));
    return image.valid(spot) && image.pixelColor(spot) == colour;
}

} // namespace

int main(int argc, char **argv)
{
    preferOffscreen();
    QApplication app(argc, argv);
    const QString bootstrapPath = argc > 1 ? QString::fromLocal8Bit(argv[1])
                                           : QStringLiteral("/usr/share/javascript/bootstrap5/css/bootstrap.css");
    QFile bootstrap(bootstrapPath);
    if (!bootstrap.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s (Debian's libjs-bootstrap5 has it)\n", qPrintable(bootstrapPath));
        return 1;
    }
    QTemporaryDir dir;
    writeBenchFile(dir, QStringLiteral("bootstrap.css"), bootstrap.readAll());
    const QString html = writeBenchFile(dir, QStringLiteral("index.html"), page());

    QElapsedTimer launch;
    launch.start();
    ChromiumProcess::instance().start();
    const double started = launch.nsecsElapsed() / 1e6;
    auto *view = new WebView();
    view->resize(1200, 900);
    view->show();
    WebBridge &bridge = view->bridge();
    {
        view->webPage()->load(QUrl::fromLocalFile(html));
        if (!waitUntil([&] { return view->framesShown() > 0 && view->mainFrameDocument(); })) {
            std::fprintf(stderr, "the page was not shown\n");
            return 1;
        }
        std::printf("browser started in the background in %.1f ms; first frame of the page %.0f ms after the start\n",
                    started, launch.nsecsElapsed() / 1e6);
    }

    // Ours is timed in every round, from the page's DOMContentLoaded until the
    // mirror has the document and the style sheets the page had then (the
    // rules panel needs both). Each round then times one reference, the three
    // in turn, so that each runs on a page its own world has not read yet. A
    // round whose linked sheet reached the page only after DOMContentLoaded
    // has less to mirror: it is counted apart.
    Figures load;
    Figures references[3];
    const Text kinds[3] = {Text::Whole, Text::LengthOnly, Text::WithSheetsLength};
    int elements = 0;
    int rulesAtLoad = 0;
    int withoutLinkedSheet = 0;
    for (int run = 0; run < 25; ++run) {
        bool loaded = false;
        double fromContentLoaded = 0;
        int mirroredRules = 0;
        const auto connection = QObject::connect(&bridge, &WebBridge::documentLoaded, &bridge, [&](WebFrameMirror *frame) {
            fromContentLoaded = double(QDateTime::currentMSecsSinceEpoch()) - frame->snapshotStartedAt();
            mirroredRules = mirrorRuleCount(*frame->document());
            loaded = true;
        });
        view->webPage()->load(QUrl::fromLocalFile(html));
        if (!waitUntil([&] { return loaded; })) {
            std::fprintf(stderr, "the page did not load\n");
            return 1;
        }
        QObject::disconnect(connection);
        const int rulesOfPage = pageRuleCount(*view->webPage());
        waitForSheets(*view);
        const double reference = serialiseInPage(*view->webPage(), kinds[run % 3]);
        if (run == 0)
            continue; // warm-up
        references[run % 3].add(reference);
        if (mirroredRules < rulesOfPage) {
            ++withoutLinkedSheet;
            continue;
        }
        load.add(fromContentLoaded);
        rulesAtLoad = mirroredRules;
        elements = view->mainFrameDocument()->getElementsByTagName(QStringLiteral("*")).length();
    }
    if (load.values.isEmpty()) {
        std::fprintf(stderr, "the linked sheet never reached the page by DOMContentLoaded\n");
        return 1;
    }
    const bool sheetsCame = waitForSheets(*view);
    std::printf("page: %d elements, %d top-level rules in its style sheets (counted once the mirror has all %d of "
                "the page's%s)\n",
                elements, mirrorRuleCount(*view->mainFrameDocument()), pageRuleCount(*view->webPage()),
                sheetsCame ? "" : "; NOT all came");
    std::printf("snapshot and mirror from DOMContentLoaded until the mirror has the document and the sheets the page "
                "had then, %d top-level rules (the rules panel needs both): %s\n",
                rulesAtLoad, qPrintable(load.text()));
    if (withoutLinkedSheet > 0)
        std::printf("  (%d more rounds left out: the linked sheet reached the page after DOMContentLoaded)\n",
                    withoutLinkedSheet);
    const char *names[3] = {"the page serialising its tree in script and answering the text",
                            "the same serialisation answering only its length",
                            "the same serialisation and the sheets' rules as the bridge reads them, answering the "
                            "length"};
    for (int i = 0; i < 3; ++i) {
        std::printf("reference, %s (each on an unread page): %s; ratio ours / reference (medians) %.2f\n", names[i],
                    qPrintable(references[i].text()), load.median() / references[i].median());
    }
    std::printf("(every figure below: timed after the page's sheets were mirrored)\n");

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
    // The browser's own frames, noted as they arrive; which one first shows
    // the colour is looked at after the timing.
    QList<ArrivedFrame> arrived;
    QElapsedTimer clock;
    clock.start();
    QObject::connect(ChromiumProcess::instance().connection(), &DevToolsConnection::eventReceived, view,
                     [&](const QString &, const QString &method, const QJsonObject &params, const QByteArray &bulk) {
        if (method == QLatin1String("Page.screencastFrame"))
            arrived.append({clock.nsecsElapsed() / 1e6,
                            bulk.isEmpty() ? params.value(QStringLiteral("data")).toString().toLatin1() : bulk});
    });
    Figures painted;
    Figures browserFrame;
    for (int run = 1; run <= 21; ++run) {
        const QColor colour(run * 10, 255 - run * 10, 100);
        arrived.clear();
        const double start = clock.nsecsElapsed() / 1e6;
        paintRule->style()->setProperty(QStringLiteral("background-color"), colour.name());
        const bool shown = waitUntil([&] {
            const QImage &image = view->currentFrame();
            const QPoint pixel = spot * image.devicePixelRatio();
            return image.valid(pixel) && image.pixelColor(pixel) == colour;
        }, 5000);
        const double onScreen = clock.nsecsElapsed() / 1e6 - start;
        if (!shown) {
            std::fprintf(stderr, "the colour %s was not shown\n", qPrintable(colour.name()));
            continue;
        }
        painted.add(onScreen);
        for (const ArrivedFrame &candidate : std::as_const(arrived)) {
            if (frameShows(candidate.base64, spot, colour)) {
                browserFrame.add(candidate.at - start);
                break;
            }
        }
        // The next change starts from a still page.
        waitMs(50);
    }
    std::printf("style change until a frame with it is on screen: %s\n", qPrintable(painted.text()));
    std::printf("reference, style change until the browser's frame with it arrives (same changes): %s\n",
                qPrintable(browserFrame.text()));
    std::printf("ratio ours / reference (medians): %.2f\n", painted.median() / browserFrame.median());
    std::printf("round trips %d, blocking calls %d\n", bridge.roundTrips(), bridge.blockingCalls());
    delete view;
    return 0;
}
