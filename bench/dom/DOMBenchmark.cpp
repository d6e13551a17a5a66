// Speed of the page mirror: ingesting a 10,000-element snapshot, 1,000 mixed
// querySelectorAll() calls over that document, and writing it as HTML.
// Run: build/bench/dom/dom_bench

#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMElement.h"
#include "platform/web/dom/DOMNodeList.h"
#include "platform/web/dom/DOMSnapshot.h"
#include "platform/web/html/HTMLParser.h"

#include "BenchPage.h"

#include <QJsonDocument>
#include <QStringList>

#include <benchmark/benchmark.h>

namespace {

QStringList mixedSelectors()
{
    const QStringList patterns = {
        QStringLiteral("p"), QStringLiteral(".card"), QStringLiteral("#s%1"), QStringLiteral("section#s%1 p"),
        QStringLiteral("article.wide > p a"), QStringLiteral("ul.items li:nth-child(2)"),
        QStringLiteral("li:first-child"), QStringLiteral("li:last-child"), QStringLiteral("a[href^=\"/p/%1/\"]"),
        QStringLiteral("a[title$=\"3\"]"), QStringLiteral("[data-index=\"%2\"]"), QStringLiteral("span.note"),
        QStringLiteral(".tone-%2 h2"), QStringLiteral("td:nth-of-type(2)"), QStringLiteral("tr + tr td"),
        QStringLiteral("h2 ~ article"), QStringLiteral("input:checked"), QStringLiteral("button:disabled"),
        QStringLiteral(":is(em, span).note"), QStringLiteral("article:not(.wide) li.on"),
        QStringLiteral("p > em"), QStringLiteral("section:nth-child(%1) article"), QStringLiteral("a:hover"),
        QStringLiteral("*"), QStringLiteral("li:only-child"), QStringLiteral("article:has(> table)"),
        QStringLiteral("[class~=\"wide\"]"), QStringLiteral("input[type=TEXT i]"),
        QStringLiteral("body section > h2.title"), QStringLiteral("ul li:nth-last-child(odd)"),
    };
    QStringList selectors;
    for (int i = 0; selectors.size() < 1000; ++i) {
        QString pattern = patterns.at(i % patterns.size());
        if (pattern.contains(QLatin1String("%1")))
            pattern.replace(QLatin1String("%1"), QString::number(i % 97));
        if (pattern.contains(QLatin1String("%2")))
            pattern.replace(QLatin1String("%2"), QString::number(i % 4));
        selectors.append(pattern);
    }
    return selectors;
}

int elementCount(const DOMDocument &document)
{
    return document.querySelectorAll(QStringLiteral("*")).length();
}

void snapshotIngest(benchmark::State &state)
{
    const std::shared_ptr<DOMDocument> source = HTMLParser::parseDocument(pageHtml());
    const QByteArray json = QJsonDocument(DOMSnapshot::write(*source)).toJson(QJsonDocument::Compact);
    state.counters["elements"] = elementCount(*source);
    state.counters["json_bytes"] = double(json.size());
    for (auto _ : state) {
        Result<std::shared_ptr<DOMDocument>> document = DOMSnapshot::readDocument(json);
        benchmark::DoNotOptimize(document);
        // Freeing the document is not part of the ingest.
        state.PauseTiming();
        document = Result<std::shared_ptr<DOMDocument>>::failure(QString());
        state.ResumeTiming();
    }
}
BENCHMARK(snapshotIngest)->Unit(benchmark::kMillisecond);

void querySelectorAllMixed(benchmark::State &state)
{
    const std::shared_ptr<DOMDocument> document = HTMLParser::parseDocument(pageHtml());
    const QStringList selectors = mixedSelectors();
    state.counters["elements"] = elementCount(*document);
    qint64 found = 0;
    for (auto _ : state) {
        // A fresh selector cache and index each round: nothing carries over.
        document->documentElement()->setAttribute(QStringLiteral("data-round"), QString::number(found));
        found = 0;
        for (const QString &selector : selectors)
            found += document->querySelectorAll(selector).length();
        benchmark::DoNotOptimize(found);
    }
    state.counters["matches"] = double(found);
}
BENCHMARK(querySelectorAllMixed)->Unit(benchmark::kMillisecond);

void serializeHtml(benchmark::State &state)
{
    const std::shared_ptr<DOMDocument> document = HTMLParser::parseDocument(pageHtml());
    state.counters["elements"] = elementCount(*document);
    for (auto _ : state) {
        QString html = document->documentElement()->outerHTML();
        benchmark::DoNotOptimize(html);
    }
}
BENCHMARK(serializeHtml)->Unit(benchmark::kMillisecond);

void parseHtml(benchmark::State &state)
{
    const QString html = pageHtml();
    for (auto _ : state) {
        std::shared_ptr<DOMDocument> document = HTMLParser::parseDocument(html);
        benchmark::DoNotOptimize(document);
    }
}
BENCHMARK(parseHtml)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
