// Costs of the CSS value parsers: the selector validator's warm-up (building
// its tables in the background) and the cost of one selector check, and the
// shadow parsers' first and later parses.
//
//   valueparsers_bench             all timings
//   valueparsers_bench --repeat N  parses per selector (default 20000)

#include "cssvalues/BoxShadowParser.h"
#include "cssvalues/CSSSelectorValidator.h"
#include "cssvalues/TextShadowParser.h"
#include "platform/foundation/NotificationCenter.h"

#include "../BenchUtil.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <cstring>
#include <vector>

namespace {

// Microseconds of processor time used by this thread: unlike the wall clock,
// it does not count the time other processes on a busy machine take.
double threadMicros()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e6 + now.tv_nsec / 1e3;
}

// Milliseconds from creation until ready, and until the announcement reached
// the main thread.
struct WarmUp
{
    double ready = 0;
    double announced = 0;
};

WarmUp measureWarmUp(const std::function<CSSSelectorValidator *()> &create)
{
    bool announced = false;
    int owner = 0;
    NotificationCenter::defaultCenter().addObserver(&owner, CSSSelectorValidator::initializedNotificationName(),
                                                    nullptr, [&announced](const Notification &) { announced = true; });
    QElapsedTimer timer;
    timer.start();
    CSSSelectorValidator *validator = create();
    WarmUp result;
    while (!validator->isReady())
        QThread::usleep(50);
    result.ready = timer.nsecsElapsed() / 1e6;
    waitUntil([&] { return announced; });
    result.announced = timer.nsecsElapsed() / 1e6;
    NotificationCenter::defaultCenter().removeObserver(&owner);
    return result;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    // The engine logs every rejected text; the timings want none of that.
    QLoggingCategory::setFilterRules(QStringLiteral("quillmark.grammar.debug=false\nquillmark.grammar.warning=false"));
    int repeat = 20000;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--repeat") == 0 && i + 1 < argc)
            repeat = std::max(1, std::atoi(argv[++i]));
    }

    const WarmUp first = measureWarmUp([] { return CSSSelectorValidator::getInstance(); });
    std::printf("selector validator warm-up, first in the process: ready after %.2f ms, announced after %.2f ms\n",
                first.ready, first.announced);
    std::vector<double> readies;
    for (int i = 0; i < 11; ++i) {
        std::unique_ptr<CSSSelectorValidator> validator;
        readies.push_back(measureWarmUp([&validator] {
                              validator = std::make_unique<CSSSelectorValidator>();
                              return validator.get();
                          }).ready);
    }
    std::printf("selector validator warm-up, later instances (median of 11): %.2f ms\n", median(readies));

    CSSSelectorValidator *validator = CSSSelectorValidator::getInstance();
    const char *const selectors[] = {
        "div",
        "#main-nav > ul li.active a:hover",
        "article.post:nth-child(2n+1) .title::before",
        "input[type=\"checkbox\"]:checked + label",
        "a[href^='http']:not(.internal), .button ~ span",
        "table tbody tr:nth-of-type(odd) td:first-child",
    };
    double totalWall = 0;
    double totalProcessor = 0;
    std::printf("%-50s %12s %12s\n", "parse", "wall", "processor");
    for (const char *selector : selectors) {
        const QString text = QString::fromLatin1(selector);
        validator->parse(text);
        if (!validator->errors().isEmpty())
            std::printf("  unexpected errors in %s\n", selector);
        QElapsedTimer timer;
        timer.start();
        const double processorStart = threadMicros();
        for (int i = 0; i < repeat; ++i)
            validator->parse(text);
        const double processor = (threadMicros() - processorStart) / repeat;
        const double wall = timer.nsecsElapsed() / 1e3 / repeat;
        totalWall += wall;
        totalProcessor += processor;
        std::printf("%-50s %9.2f us %9.2f us\n", selector, wall, processor);
    }
    std::printf("%-50s %9.2f us %9.2f us\n", "mean over these selectors", totalWall / std::size(selectors),
                totalProcessor / std::size(selectors));

    QElapsedTimer timer;
    timer.start();
    TextShadowParser textShadow;
    textShadow.parse(QStringLiteral("1px 1px 2px black"));
    std::printf("text-shadow first parse (builds its tables): %.2f ms\n", timer.nsecsElapsed() / 1e6);
    timer.restart();
    BoxShadowParser boxShadow;
    boxShadow.parse(QStringLiteral("inset 2px 3px 4px 1px #ff0000"));
    std::printf("box-shadow first parse (builds its tables): %.2f ms\n", timer.nsecsElapsed() / 1e6);
    const QString textValue = QStringLiteral("1px 1px 2px black, 0 0 1em rgba(0, 0, 255, 0.5)");
    const QString boxValue = QStringLiteral("inset 2px 3px 4px 1px #ff0000, rgb(0, 0, 0) 0 1px 2px");
    timer.restart();
    for (int i = 0; i < repeat; ++i)
        textShadow.parse(textValue);
    std::printf("text-shadow parse of two layers: %.2f us\n", timer.nsecsElapsed() / 1e3 / repeat);
    timer.restart();
    for (int i = 0; i < repeat; ++i)
        boxShadow.parse(boxValue);
    std::printf("box-shadow parse of two layers: %.2f us\n", timer.nsecsElapsed() / 1e3 / repeat);
    return 0;
}
