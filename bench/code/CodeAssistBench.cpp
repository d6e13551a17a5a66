// Code assist, offscreen, in a generated 1 MB page opened by the file viewer
// as the program opens it, with the shared popup installed:
//
//   1. each key while the tag list follows the typing (classification, list
//      filter, popover placement, edit road and repaint): 400 keys typing and
//      deleting tag names mid-page; median and 99th percentile;
//   2. the class list of a 300 KB style sheet (Debian's bootstrap.css
//      repeated), built from the sheet's text: median of 30 runs.
//
//   code_assist_bench [BOOTSTRAP.css]

#include "CodeAssistSetup.h"

#include "code/CodeAssistContext.h"
#include "code/CodeView.h"
#include "code/LineNumberScrollView.h"
#include "foundation/InspectUndoManager.h"
#include "workspace/File.h"

#include "CodeBenchData.h"
#include "CodePane.h"
#include "../OffscreenHome.h"

#include "../BenchUtil.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

namespace {

QByteArray generatedPage()
{
    QByteArray page = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n  <meta charset=\"utf-8\">\n</head>\n<body>\n";
    for (int i = 0; page.size() < 1024 * 1024; ++i) {
        page += QStringLiteral("  <section id=\"s%1\" class=\"card card-%2\">\n"
                               "    <h2 title=\"/sections/%1\">Section %1</h2>\n"
                               "    <p>Text of section %1 with <a href=\"https://example.com/%1\">a link</a>.</p>\n"
                               "    \n"
                               "  </section>\n")
                    .arg(i)
                    .arg(i % 7)
                    .toUtf8();
    }
    return page + "</body>\n</html>\n";
}

} // namespace

int main(int argc, char *argv[])
{
    const QString bootstrap = argc > 1 ? QString::fromLocal8Bit(argv[1])
                                       : QStringLiteral("/usr/share/javascript/bootstrap5/css/bootstrap.css");
    QTemporaryDir home;
    useOffscreenHome(home);
    qputenv("QT_LOGGING_RULES", "*.debug=false");
    const QString site = home.filePath(QStringLiteral("site"));
    if (!writeBenchSite(site, generatedPage(), bootstrap))
        return 1;

    QApplication application(argc, argv);
    CodePane code(site);
    QWidget &pane = code.pane;
    FileViewController &viewer = code.viewer;
    ReferenceView *popup = installCodeAssist(viewer);
    FakeRulesPanel sheets;
    popup->setCssOutlineDelegate(&sheets);
    pane.show();
    File *page = code.file(QStringLiteral("page.html"));
    File *styles = code.file(QStringLiteral("bootstrap.css"));
    if (!page || !styles)
        return 1;
    sheets.files = {styles};

    viewer.viewFile(page);
    CodeView *view = viewer.mainCodeView();
    view->setFocus();
    // The blank line of a section half-way down the page.
    QTextCursor cursor(view->document()->findBlockByNumber(view->document()->blockCount() / 2));
    while (!cursor.block().text().trimmed().isEmpty())
        cursor.movePosition(QTextCursor::NextBlock);
    cursor.movePosition(QTextCursor::EndOfBlock);
    view->setTextCursor(cursor);
    view->centerCursor();
    QTest::qWait(1500);

    QTest::keyClick(view, Qt::Key_Less, Qt::NoModifier);
    if (!CodeAssistContext::shared().popupShown) {
        std::fprintf(stderr, "the tag list did not open\n");
        return 1;
    }
    auto *frame = qobject_cast<LineNumberScrollView *>(page->view());
    const QList<Qt::Key> cycle = {Qt::Key_D, Qt::Key_I, Qt::Key_V, Qt::Key_Backspace, Qt::Key_Backspace,
                                  Qt::Key_Backspace, Qt::Key_S, Qt::Key_P, Qt::Key_Backspace, Qt::Key_Backspace};
    std::vector<double> keys;
    for (int i = 0; i < 400; ++i) {
        QElapsedTimer clock;
        clock.start();
        QTest::keyClick(view, cycle.at(i % cycle.size()));
        view->viewport()->repaint();
        frame->lineNumberView()->repaint();
        QCoreApplication::processEvents();
        keys.push_back(double(clock.nsecsElapsed()) / 1e6);
    }
    const bool stillShown = CodeAssistContext::shared().popupShown;

    std::vector<double> classes;
    qsizetype count = 0;
    for (int i = 0; i < 30; ++i) {
        QElapsedTimer clock;
        clock.start();
        count = popup->loadedStyleRules().size();
        classes.push_back(double(clock.nsecsElapsed()) / 1e6);
    }

    std::printf("                                            median      99th    limit\n");
    std::printf("key with assist active, 1 MB page        %7.2f ms %7.2f ms   16 ms (99th)%s\n", median(keys),
                percentile(keys, 0.99), stillShown ? "" : "  (the list closed on the way)");
    std::printf("class list of a 300 KB sheet (%lld names)  %7.2f ms              30 ms\n", qlonglong(count),
                median(classes));
    return 0;
}
