// The code editor, offscreen, on a generated 1 MB page, a 300 KB style
// sheet (Debian's bootstrap.css repeated) and the minified bootstrap.min.css,
// whose rules stand on one line of some 190,000 characters, each opened by
// the file viewer as the program opens them (ruler, colourer, find bar):
//
//   1. a key press, from the event to the edit road done (the File holds the
//      text, one undo step per turn) and the viewport and ruler repainted,
//      over 500 keys near the top of the text, in the minified sheet in the
//      middle of its long line (every 20th a Return, which adds a line):
//      median and 99th percentile;
//   2. 1,000 keys, one per turn of the event loop: how much the process grew;
//   3. a colouring run, from its start to its colours laid on, and the
//      longest the main thread went without turning its event loop meanwhile;
//   and, for information, how long opening the file into the pane took.
//
//   code_bench [BOOTSTRAP.css [BOOTSTRAP.min.css]]

#include "app/FileViewController.h"
#include "code/CodeView.h"
#include "code/LineNumberScrollView.h"
#include "code/SyntaxColoring.h"
#include "foundation/InspectUndoManager.h"
#include "workspace/File.h"

#include "CodeBenchData.h"
#include "CodePane.h"
#include "../OffscreenHome.h"

#include "../BenchUtil.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

namespace {

// About 1 MB of markup: sections of headings, paragraphs with links and
// attributes, lists, comments and inline scripts and styles.
QByteArray generatedPage()
{
    QByteArray page = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n  <meta charset=\"utf-8\">\n"
                      "  <link rel=\"stylesheet\" href=\"css/site.css\">\n</head>\n<body class=\"home\">\n";
    for (int i = 0; page.size() < 1024 * 1024; ++i) {
        page += QStringLiteral(
                    "  <!-- section %1 -->\n"
                    "  <section id=\"s%1\" class=\"card card-%2\" data-index=\"%1\">\n"
                    "    <h2 title=\"/sections/%1/title\">Section %1</h2>\n"
                    "    <p>Text of section %1 with <a href=\"https://example.com/%1\">a link</a> and "
                    "<img src=\"img/p%1.png\" alt=\"picture %1\" width=\"320\" height=\"200\">.</p>\n"
                    "    <ul><li>one</li><li>two</li><li class=\"last\">three</li></ul>\n"
                    "    <script>var n%1 = %1; if (n%1 > 2) { console.log('section ' + n%1); }</script>\n"
                    "  </section>\n")
                    .arg(i)
                    .arg(i % 7)
                    .toUtf8();
    }
    return page + "</body>\n</html>\n";
}

struct Figures
{
    double open = 0;
    double keyMedian = 0;
    double keyP99 = 0;
    double growthMb = 0;
    double coloring = 0;
    double stall = 0;
};

// The caret goes to the line, or with a column to that place of the text.
Figures measure(FileViewController &viewer, File *file, int caretLine, int caretColumn = 0)
{
    Figures figures;
    QElapsedTimer opening;
    opening.start();
    viewer.viewFile(file);
    figures.open = double(opening.nsecsElapsed()) / 1e6;
    CodeView *view = viewer.mainCodeView();
    auto *frame = qobject_cast<LineNumberScrollView *>(file->view());
    view->setFocus();
    QTextCursor cursor(view->document());
    const QString &text = view->string();
    qsizetype lineStart = 0;
    for (int line = 0; line < caretLine && lineStart >= 0; ++line)
        lineStart = text.indexOf(u'\n', lineStart) + 1;
    cursor.setPosition(view->documentPositionOf(int(std::max<qsizetype>(0, lineStart)) + caretColumn));
    view->setTextCursor(cursor);
    view->centerCursor();
    // The first colouring and the ruler's first count are done.
    QTest::qWait(1500);

    std::vector<double> keys;
    for (int i = 0; i < 500; ++i) {
        QElapsedTimer clock;
        clock.start();
        QTest::keyClick(view, i % 20 == 19 ? Qt::Key_Return : Qt::Key(Qt::Key_A + i % 26));
        view->viewport()->repaint();
        frame->lineNumberView()->repaint();
        // The turn ends: the undo group closes.
        QCoreApplication::processEvents();
        keys.push_back(double(clock.nsecsElapsed()) / 1e6);
        if (i == 0 && file->content() != view->string())
            std::fprintf(stderr, "the key did not reach the file\n");
    }
    figures.keyMedian = median(keys);
    figures.keyP99 = percentile(keys, 0.99);

    QTest::qWait(1000);
    const qint64 before = residentKilobytes();
    for (int i = 0; i < 1000; ++i) {
        QTest::keyClick(view, Qt::Key(Qt::Key_A + i % 26));
        QCoreApplication::processEvents();
    }
    QTest::qWait(1000);
    figures.growthMb = double(residentKilobytes() - before) / 1024.0;

    SyntaxColoring *colorer = view->textStorageDelegate();
    bool colored = false;
    const auto connection = QObject::connect(colorer, &SyntaxColoring::colored, view, [&] { colored = true; });
    StallMeter meter;
    meter.start();
    QElapsedTimer clock;
    clock.start();
    colorer->doColor(view);
    waitUntil([&] { return colored; });
    figures.coloring = double(clock.nsecsElapsed()) / 1e6;
    figures.stall = meter.stop();
    QObject::disconnect(connection);
    return figures;
}

} // namespace

int main(int argc, char *argv[])
{
    const QString bootstrap = argc > 1 ? QString::fromLocal8Bit(argv[1])
                                       : QStringLiteral("/usr/share/javascript/bootstrap5/css/bootstrap.css");
    const QString minified = argc > 2 ? QString::fromLocal8Bit(argv[2])
                                      : QStringLiteral("/usr/share/javascript/bootstrap5/css/bootstrap.min.css");
    QTemporaryDir home;
    useOffscreenHome(home);
    qputenv("QT_LOGGING_RULES", "*.debug=false");
    const QString site = home.filePath(QStringLiteral("site"));
    if (!writeBenchSite(site, generatedPage(), bootstrap))
        return 1;
    QFile minifiedFile(minified);
    if (!minifiedFile.open(QIODevice::ReadOnly)
        || !writeBenchFile(site + QStringLiteral("/bootstrap.min.css"), minifiedFile.readAll())) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(minified));
        return 1;
    }
    // The minified sheet's longest line, and its middle.
    int longLine = 0;
    int longest = 0;
    minifiedFile.seek(0);
    const QList<QByteArray> lines = minifiedFile.readAll().split('\n');
    for (int i = 0; i < lines.size(); ++i) {
        if (lines.at(i).size() > longest) {
            longest = int(lines.at(i).size());
            longLine = i;
        }
    }

    QApplication application(argc, argv);
    CodePane code(site);
    FileViewController &viewer = code.viewer;
    code.pane.show();
    File *page = code.file(QStringLiteral("page.html"));
    File *styles = code.file(QStringLiteral("bootstrap.css"));
    File *oneLine = code.file(QStringLiteral("bootstrap.min.css"));
    if (!page || !styles || !oneLine)
        return 1;

    const Figures pageFigures = measure(viewer, page, 40);
    const Figures sheetFigures = measure(viewer, styles, 40);
    const Figures oneLineFigures = measure(viewer, oneLine, longLine, longest / 2);
    QFile load(QStringLiteral("/proc/loadavg"));
    std::printf("(load average %s; the minified sheet's line %d holds %d characters)\n",
                load.open(QIODevice::ReadOnly) ? load.readAll().split(' ').mid(0, 3).join(' ').constData() : "unknown",
                longLine + 1, longest);
    std::printf("                                   1 MB page   300 KB sheet  minified sheet  goal\n");
    std::printf("opened into the code pane (no goal)   %7.1f ms  %7.1f ms  %7.1f ms\n", pageFigures.open,
                sheetFigures.open, oneLineFigures.open);
    std::printf("key to edit road and repaint, median  %7.2f ms  %7.2f ms  %7.2f ms   8 ms\n", pageFigures.keyMedian,
                sheetFigures.keyMedian, oneLineFigures.keyMedian);
    std::printf("key to edit road and repaint, 99th    %7.2f ms  %7.2f ms  %7.2f ms  16 ms\n", pageFigures.keyP99,
                sheetFigures.keyP99, oneLineFigures.keyP99);
    std::printf("growth over 1,000 keys                %7.1f MB  %7.1f MB  %7.1f MB  50 MB\n", pageFigures.growthMb,
                sheetFigures.growthMb, oneLineFigures.growthMb);
    std::printf("colouring run                         %7.1f ms  %7.1f ms  %7.1f ms  250 / 80 ms\n",
                pageFigures.coloring, sheetFigures.coloring, oneLineFigures.coloring);
    std::printf("longest main-thread stall in the run  %7.1f ms  %7.1f ms  %7.1f ms  50 ms\n", pageFigures.stall,
                sheetFigures.stall, oneLineFigures.stall);
    return 0;
}
