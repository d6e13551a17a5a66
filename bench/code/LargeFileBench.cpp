// A large style sheet opened in the code pane, offscreen, as the file viewer
// opens it (ruler, colourer, find bar; a large text's view above its size
// threshold): a generated sheet of 50 MB by default.
//
//   1. the longest the main thread went without turning its event loop, from
//      the click that opens the file until its text is all in the view and
//      coloured (goal: 100 ms), and how long each took; the same from when
//      the file viewer returned, and how long the File alone takes to read
//      the text (a stall of its own, before the view has any of it);
//   2. how much the process grew by then, and at its peak, against the
//      file's size (goal: a few times the size);
//   3. the stall of a jump to the middle and to the end of the text, whose
//      lines take their colours as they come into view;
//   4. 100 keys typed at the top of the text (every 20th a Return, every
//      10th a Backspace), each from the event until the view is repainted
//      (goal: under 16 ms), and the process's growth after them against the
//      file's size (goal: under 2x); then a save of the edited text.
//
//   large_file_bench [MEGABYTES]

#include "code/CodeView.h"
#include "code/LargeTextView.h"
#include "code/SyntaxColoring.h"

#include "CodeBenchData.h"
#include "CodePane.h"
#include "../BenchUtil.h"
#include "../OffscreenHome.h"

#include <QApplication>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>

#include <algorithm>
#include <cstdio>

namespace {

// Rules of every kind the colourer knows, numbered so that no two are alike,
// up to the size.
QByteArray generatedSheet(qint64 bytes)
{
    QByteArray sheet;
    sheet.reserve(bytes + 1024);
    for (int i = 0; sheet.size() < bytes; ++i) {
        sheet += QStringLiteral(
                     "/* block %1 */\n"
                     ".card-%1 > a:hover, #nav-%1 li:first-child {\n"
                     "  margin: %1px 0 0 2em;\n"
                     "  color: #3a%2;\n"
                     "  background: url(\"img/bg-%1.png\") no-repeat;\n"
                     "  font-family: \"Helvetica Neue\", Arial, sans-serif;\n"
                     "}\n"
                     "@media (max-width: %1px) { .col-%1 { width: 50%; } }\n")
                     .arg(i)
                     .arg(i % 10000, 4, 10, QLatin1Char('0'))
                     .toUtf8();
    }
    return sheet;
}

double megabytes(qint64 kilobytes)
{
    return double(kilobytes) / 1024.0;
}

// What is asked of the view the pane made for the sheet, either kind.
struct ShownText
{
    CodeView *code = nullptr;
    LargeTextView *large = nullptr;

    bool isValid() const { return code || large; }
    bool isLoading() const { return code ? code->isLoadingText() : large->isLoadingText(); }
    QScrollBar *bar() const { return code ? code->verticalScrollBar() : large->verticalScrollBar(); }
    int lines() const { return code ? code->document()->blockCount() : large->lineCount(); }
    void onColored(bool &colored) const
    {
        if (code)
            QObject::connect(code->textStorageDelegate(), &SyntaxColoring::colored, code, [&colored] { colored = true; });
        else
            QObject::connect(large, &LargeTextView::colored, large, [&colored] { colored = true; });
    }
    bool firstShownColoured() const
    {
        if (large)
            return !large->rowColors(large->visibleRows().first).isEmpty();
        const QTextBlock shown = code->firstVisibleTextBlock();
        return shown.isValid() && shown.layout() && !shown.layout()->formats().isEmpty();
    }
};

} // namespace

int main(int argc, char *argv[])
{
    const int sizeMb = argc > 1 ? std::max(1, atoi(argv[1])) : 50;
    QTemporaryDir home;
    useOffscreenHome(home);
    qputenv("QT_LOGGING_RULES", "*.debug=false");
    const QString site = home.filePath(QStringLiteral("site"));
    QDir().mkpath(site);
    {
        const QByteArray sheet = generatedSheet(qint64(sizeMb) * 1024 * 1024);
        if (!writeBenchFile(site + QStringLiteral("/large.css"), sheet)) {
            std::fprintf(stderr, "cannot write the style sheet\n");
            return 1;
        }
    }

    QApplication application(argc, argv);
    CodePane code(site);
    FileViewController &viewer = code.viewer;
    code.pane.show();
    File *sheet = code.file(QStringLiteral("large.css"));
    if (!sheet)
        return 1;
    QTest::qWait(200);

    const qint64 before = residentKilobytes();
    StallMeter meter;
    meter.start();
    QElapsedTimer clock;
    clock.start();
    viewer.viewFile(sheet);
    const double opened = double(clock.nsecsElapsed()) / 1e6;
    // From here on only the view's slices and colours hold the thread.
    StallMeter sliceMeter;
    sliceMeter.start();
    const ShownText view{qobject_cast<CodeView *>(sheet->textView()), qobject_cast<LargeTextView *>(sheet->textView())};
    if (!view.isValid())
        return 1;
    bool colored = false;
    view.onColored(colored);
    double loaded = -1;
    qint64 loadedKb = 0;
    const bool done = QTest::qWaitFor(
        [&] {
            if (loaded < 0 && !view.isLoading()) {
                loaded = double(clock.nsecsElapsed()) / 1e6;
                loadedKb = residentKilobytes();
            }
            return colored;
        },
        600000);
    const double coloredMs = double(clock.nsecsElapsed()) / 1e6;
    const double openStall = meter.stop();
    const double sliceStall = sliceMeter.stop();
    const qint64 settled = residentKilobytes();
    const qint64 peak = statusKilobytes("VmHWM");

    // Jumps through the text: each brings lines not coloured yet into view.
    meter.start();
    QScrollBar *bar = view.bar();
    for (const double share : {0.5, 1.0}) {
        bar->setValue(int(bar->maximum() * share));
        QTest::qWait(100);
    }
    const double jumpStall = meter.stop();
    const bool shownColoured = view.firstShownColoured();

    // Keys typed at the top of the text, each an edit of the File with its
    // undo step, timed until the view is repainted.
    QWidget *keys = view.code ? static_cast<QWidget *>(view.code) : view.large;
    keys->setFocus();
    QTest::keyClick(keys, Qt::Key_Home, Qt::ControlModifier);
    QTest::qWait(100);
    std::vector<double> keyTimes;
    for (int i = 0; i < 100; ++i) {
        const Qt::Key key = i % 20 == 19 ? Qt::Key_Return : i % 10 == 9 ? Qt::Key_Backspace : Qt::Key(Qt::Key_A + i % 26);
        QElapsedTimer keyClock;
        keyClock.start();
        QTest::keyClick(keys, key);
        (view.code ? view.code->viewport() : view.large->viewport())->repaint();
        QCoreApplication::processEvents();
        keyTimes.push_back(double(keyClock.nsecsElapsed()) / 1e6);
    }
    QTest::qWait(200);
    const qint64 typed = residentKilobytes();
    // The edited text saved: made whole, encoded and written.
    QElapsedTimer saving;
    saving.start();
    const bool saved = sheet->save();
    const double saveMs = double(saving.nsecsElapsed()) / 1e6;

    const double fileMb = double(sheet->content().value_or(QString()).size()) / (1024.0 * 1024.0);
    // The File's own read and decode of the text, on a File of its own.
    File again(site, true, nullptr);
    File *copy = FileViewController::searchDirectory(QStringLiteral("large.css"), again.children());
    const double read = copy ? timedMs([copy] { copy->currentContent(); }) : -1;
    std::printf("large style sheet: %d MB on disk, %d lines%s, in %s\n", sizeMb, view.lines(),
                done ? "" : " (NOT coloured within 10 minutes)", view.large ? "a large text's view" : "a code view");
    std::printf("opened into the pane (viewFile returned)      %8.1f ms\n", opened);
    std::printf("  of which the File reading its text (alone)  %8.1f ms\n", read);
    std::printf("all of the text in the view                   %8.1f ms\n", loaded);
    std::printf("coloured (the lines in view)                  %8.1f ms\n", coloredMs);
    std::printf("longest main-thread stall until coloured      %8.1f ms   goal 100 ms\n", openStall);
    std::printf("  the same after viewFile returned            %8.1f ms\n", sliceStall);
    std::printf("longest stall over two jumps through the text %8.1f ms   the last view coloured: %s\n", jumpStall,
                shownColoured ? "yes" : "no");
    std::printf("a key at the top until repainted, median      %8.2f ms   goal 16 ms\n", median(keyTimes));
    const auto slowest = std::max_element(keyTimes.cbegin(), keyTimes.cend());
    const int slowestKey = int(slowest - keyTimes.cbegin());
    std::printf("  the same, slowest of 100 keys               %8.2f ms   (key %d, %s)\n", *slowest, slowestKey + 1,
                slowestKey % 20 == 19 ? "a Return" : slowestKey % 10 == 9 ? "a Backspace" : "a letter");
    std::printf("process growth with all of the text in view   %8.1f MB\n", megabytes(loadedKb - before));
    std::printf("process growth once coloured                  %8.1f MB   (%.1fx the file's %d MB)\n",
                megabytes(settled - before), megabytes(settled - before) / sizeMb, sizeMb);
    std::printf("peak resident size minus the size before      %8.1f MB   (%.1fx)\n", megabytes(peak - before),
                megabytes(peak - before) / sizeMb);
    std::printf("process growth after 100 keys                 %8.1f MB   (%.1fx the file's size; goal under 2x)\n",
                megabytes(typed - before), megabytes(typed - before) / sizeMb);
    std::printf("saving the edited text                        %8.1f ms%s\n", saveMs, saved ? "" : " (NOT saved)");
    std::printf("(the text held as UTF-16: %.1f MB)\n", fileMb * 2);
    return 0;
}
