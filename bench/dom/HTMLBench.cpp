// Times parsing a page into the mirror and writing the mirror back as HTML
// (and, for scale, the parser library alone), on the 10,000-element bench
// page or a given file, and prints
// "RESULT <what> <median ms> <min ms>" lines as bench/peers/peers.mjs does,
// so that bench/peers/compare.sh can set them side by side.
//
//   html_bench --write-page FILE           writes the bench page
//   html_bench FILE [ITERATIONS] [OUT]     times FILE; OUT gets the written HTML

#include "platform/web/dom/DOMDocument.h"
#include "platform/web/html/HTMLParser.h"
#include "platform/web/html/HTMLSerializer.h"

#include "BenchPage.h"

#include <gumbo.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

// Times work; afterwards runs untimed (freeing what work made is not part of it).
void time(const char *label, int iterations, const std::function<void()> &work,
          const std::function<void()> &afterwards = [] {})
{
    for (int i = 0; i < std::min(10, iterations); ++i) {
        work();
        afterwards();
    }
    std::vector<double> times;
    for (int i = 0; i < iterations; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
        afterwards();
    }
    std::sort(times.begin(), times.end());
    std::printf("RESULT %s %.3f %.3f\n", label, times[times.size() / 2], times.front());
}

bool writeFile(const QString &path, const QString &text)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    file.write(text.toUtf8());
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 3 && args.at(1) == QLatin1String("--write-page"))
        return writeFile(args.at(2), pageHtml()) ? 0 : 1;
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: html_bench FILE [ITERATIONS] [OUT] | --write-page FILE\n");
        return 2;
    }
    QFile file(args.at(1));
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(args.at(1)));
        return 1;
    }
    const QString html = QString::fromUtf8(file.readAll());
    const int iterations = args.size() > 2 ? std::max(1, args.at(2).toInt()) : 50;

    std::shared_ptr<DOMDocument> document;
    std::shared_ptr<DOMDocument> parsed;
    time("quillmark-parse", iterations, [&] { parsed = HTMLParser::parseDocument(html); },
         [&] { document = std::move(parsed); });
    QString written;
    time("quillmark-serialize", iterations, [&] { written = HTMLSerializer::serialize(*document); });
    // The parser library alone, as it comes: what the mirror is built on.
    const QByteArray utf8 = html.toUtf8();
    time("gumbo-alone-parse", iterations, [&] {
        GumboOutput *output = gumbo_parse_with_options(&kGumboDefaultOptions, utf8.constData(), size_t(utf8.size()));
        gumbo_destroy_output(&kGumboDefaultOptions, output);
    });
    std::printf("# %s: %lld chars in, %lld chars out\n", qPrintable(args.at(1)),
                static_cast<long long>(html.size()), static_cast<long long>(written.size()));
    if (args.size() > 3 && !writeFile(args.at(3), written))
        return 1;
    return 0;
}
