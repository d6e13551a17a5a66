// Times the style-sheet parser on one file: the first pass, the emission of
// the items, the splitting of every body into declarations and the folding of
// vendor-prefixed copies, as a page load does.
//
//   stylesheet_bench [FILE.css] [ITERATIONS]
//
// Without a file it parses a generated sheet of framework-like rules.

#include "stylesheet/StyleSheetParser.h"
#include "stylesheet/VendarPrefixSettings.h"
#include "workspace/ProjectUtil.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

QString generatedSheet()
{
    QString css = QStringLiteral("@charset \"UTF-8\";\n/* generated sample */\n");
    for (int i = 0; i < 400; ++i) {
        css += QStringLiteral(".btn-%1, .btn-%1:hover > span {\n"
                              "  color: #%2;\n  background-image: linear-gradient(to bottom, #fff "
                              "0, #e0e0e0 100%);\n"
                              "  -webkit-transition: all .15s ease-in-out;\n  transition: all .15s "
                              "ease-in-out;\n"
                              "  border: 1px solid rgba(0, 0, 0, 0.125);\n  content: \"a;b\";\n}\n")
                   .arg(i)
                   .arg(i * 4099 % 0xffffff, 6, 16, QLatin1Char('0'));
        if (i % 20 == 0)
            css += QStringLiteral(
                       "@media (min-width: 768px) {\n  .col-%1 { flex: 0 0 auto; width: 50%; }\n"
                       "  /* inner */\n  .row-%1 > * { margin: 0 auto !important; }\n}\n")
                       .arg(i);
    }
    return css;
}

// The settings of a new project: "-webkit" on and the default prefixed names.
VendarPrefixSettings benchSettings()
{
    return VendarPrefixSettings::fromConfig(ProjectUtil::createDefaultProjectConfig());
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    QString text;
    QString source = QStringLiteral("generated sheet");
    if (args.size() > 1) {
        QFile file(args.at(1));
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(args.at(1)));
            return 1;
        }
        text = QString::fromUtf8(file.readAll());
        source = args.at(1);
    } else {
        text = generatedSheet();
    }
    const int iterations = args.size() > 2 ? std::max(1, args.at(2).toInt()) : 200;
    const VendarPrefixSettings settings = benchSettings();

    for (int i = 0; i < 10; ++i)
        StyleSheetParser::parseStyleSheet(text, nullptr, settings);

    std::vector<double> times;
    qsizetype items = 0;
    qsizetype properties = 0;
    for (int i = 0; i < iterations; ++i) {
        QElapsedTimer timer;
        timer.start();
        const QList<StyleDeclarationPtr> list
            = StyleSheetParser::parseStyleSheet(text, nullptr, settings);
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
        items = list.size();
        properties = 0;
        for (const StyleDeclarationPtr &item : list)
            properties += item->properties().size();
    }
    std::sort(times.begin(), times.end());
    double total = 0;
    for (double t : times)
        total += t;
    std::printf("quillmark parse: %.3f ms per parse (mean), %.3f ms (median), %.3f ms (min) (%d "
                "parses, %lld chars, "
                "%lld items, %lld properties) of %s\n",
                total / iterations, times[times.size() / 2], times.front(), iterations,
                static_cast<long long>(text.size()), static_cast<long long>(items),
                static_cast<long long>(properties), qPrintable(source));
    // The line bench/peers/compare.sh reads.
    std::printf("RESULT quillmark-parse %.3f %.3f\n", times[times.size() / 2], times.front());
    return 0;
}
