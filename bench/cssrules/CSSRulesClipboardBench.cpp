// Figures of the rules panel's vendor-prefix check, paste and drop:
// - the check over the style sheets given: the longest time the main thread
//   goes without turning its event loop while the check runs;
// - twenty declarations pasted into a rule, and a declaration moved up its
//   rule by a drop, each from the command until the page, the model and the
//   rebuilt panel show it (the 0.1 s write batch runs afterwards, untimed).
// The sheets are the arguments (files or folders of .css files); without
// any, Debian's bootstrap.css when it is there. Run by hand, offscreen:
//   npm pack bulma (in /tmp, then tar xzf bulma-*.tgz)
//   ./bench/cssrules/cssrules_clipboard_bench /usr/share/javascript/bootstrap5/css/bootstrap.css /tmp/package/css/bulma.css

#include "cssrules/CSSCopyInfo.h"
#include "cssrules/CSSOutlineDelegate.h"
#include "foundation/BalkInvocationManager.h"
#include "foundation/InspectUndoManager.h"
#include "foundation/Invocation.h"
#include "platform/kit/Alert.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMElement.h"
#include "platform/web/engine/ChromiumProcess.h"
#include "platform/web/engine/WebPage.h"
#include "platform/web/engine/WebView.h"
#include "toolkit/OutlineViewEx.h"
#include "workspace/File.h"
#include "workspace/ProjectUtil.h"

#include "RulesBenchSupport.h"

#include "../BenchUtil.h"
#include "../OffscreenHome.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <cstdio>

namespace {

// The .css files of the arguments, folders read one level deep.
QStringList sheetsOf(const QStringList &arguments)
{
    QStringList sheets;
    for (const QString &argument : arguments) {
        const QFileInfo info(argument);
        if (info.isDir()) {
            for (const QFileInfo &entry : QDir(argument).entryInfoList({QStringLiteral("*.css")}, QDir::Files, QDir::Name))
                sheets.append(entry.filePath());
        } else if (info.isFile()) {
            sheets.append(argument);
        } else {
            std::fprintf(stderr, "no such sheet: %s\n", qPrintable(argument));
        }
    }
    return sheets;
}

File *child(File &root, const QString &name)
{
    for (File *file : root.children()) {
        if (file->displayName() == name)
            return file;
    }
    return nullptr;
}

CSSRulePtr rowOf(const CSSOutlineDelegate &panel, const QString &selector)
{
    for (const CSSRulePtr &row : panel.rules()) {
        if (row->displayName() == selector)
            return row;
    }
    return nullptr;
}

} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir home;
    useOffscreenHome(home);
    QApplication app(argc, argv);
    QStringList arguments = app.arguments().mid(1);
    if (arguments.isEmpty() && QFileInfo::exists(QStringLiteral("/usr/share/javascript/bootstrap5/css/bootstrap.css")))
        arguments.append(QStringLiteral("/usr/share/javascript/bootstrap5/css/bootstrap.css"));
    const QStringList sources = sheetsOf(arguments);
    if (sources.isEmpty()) {
        std::printf("no style sheets to measure; give their paths (bootstrap.css, bulma.css) or a folder\n");
        return 0;
    }

    // The sheets in a project folder with a page that links them all, and a
    // small sheet of its own for paste and drop.
    QTemporaryDir dir;
    QByteArray links;
    QStringList names;
    for (const QString &source : sources) {
        const QString name = QStringLiteral("%1-%2").arg(names.size()).arg(QFileInfo(source).fileName());
        QFile::copy(source, dir.filePath(name));
        names.append(name);
        links += "<link rel='stylesheet' href='" + name.toUtf8() + "'>";
    }
    QFile bench(dir.filePath(QStringLiteral("bench.css")));
    bench.open(QIODevice::WriteOnly);
    bench.write(".bench-source {\n  color: red;\n  top: 1px;\n  left: 2px;\n}\n\n.bench-target {\n  outline-style: solid;\n}\n");
    bench.close();
    QByteArray html = "<!DOCTYPE html><html><head><meta charset='utf-8'>" + links
                      + "<link rel='stylesheet' href='bench.css'></head><body>";
    for (int i = 0; i < 200; ++i)
        html += "<p class='bench-source'>Text <a class='btn button'>Go</a></p>";
    html += "<p id='target' class='bench-source bench-target'>target</p></body></html>";
    QFile page(dir.filePath(QStringLiteral("index.html")));
    page.open(QIODevice::WriteOnly);
    page.write(html);
    page.close();
    // Every prefix but -webkit off: the check finds what the sheets prefix.
    ProjectUtil::getProjectConfig(dir.path());
    ProjectUtil::setCurrentProjectPath(dir.path());
    File root(dir.path(), true, nullptr);
    QList<File *> files;
    for (const QString &name : std::as_const(names))
        files.append(child(root, name));
    File *benchSheet = child(root, QStringLiteral("bench.css"));
    files.append(benchSheet);

    InspectUndoManager undo;
    BalkInvocationManager batcher;
    CSSOutlineDelegate panel;
    wirePanel(panel, undo, batcher);
    panel.setStyleFiles(files);

    // The check, answered "Ignore" at once.
    {
        QString reported;
        Alert::setResponder([&reported](Alert &alert) {
            reported = alert.messageText();
            return int(Alert::SecondButtonReturn);
        });
        std::vector<double> stalls, totals;
        for (int run = 0; run < 15; ++run) {
            QSignalSpy checked(&panel, &CSSOutlineDelegate::vendorPrefixChecked);
            StallMeter meter;
            meter.start();
            QElapsedTimer clock;
            clock.start();
            // The command's own time counts as a stall too.
            panel.checkVendorPrefixSetting();
            const double command = clock.nsecsElapsed() / 1e6;
            waitUntil([&] { return !checked.isEmpty(); });
            totals.push_back(clock.nsecsElapsed() / 1e6);
            stalls.push_back(std::max(command, meter.stop()));
        }
        Alert::setResponder({});
        std::printf("vendor-prefix check over %lld sheets: longest main-thread stall %s\n  the whole check, for information: %s\n",
                    qlonglong(names.size()), qPrintable(figures(stalls)), qPrintable(figures(totals)));
        std::printf("  it reported: %s\n", reported.isEmpty() ? "nothing" : qPrintable(QString(reported).replace(u'\n', u' ')));
    }

    WebView *view = showPage(page.fileName());
    if (!view)
        return 1;
    DOMDocument *document = view->mainFrameDocument();
    DOMElement *target = document->getElementById(QStringLiteral("target"));
    const auto select = [&] {
        QSignalSpy built(&panel, &CSSOutlineDelegate::rebuilt);
        panel.updateRulesByElement(target);
        if (built.isEmpty())
            built.wait(10000);
    };
    // From the command until the rebuilt panel is drawn.
    std::vector<double> commandsAlone;
    const auto timed = [&](const std::function<void()> &command) {
        QSignalSpy built(&panel, &CSSOutlineDelegate::rebuilt);
        QElapsedTimer timer;
        timer.start();
        command();
        commandsAlone.push_back(timer.nsecsElapsed() / 1e6);
        waitUntil([&] { return !built.isEmpty(); }, 5000);
        panel.view()->repaint();
        return timer.nsecsElapsed() / 1e6;
    };
    const auto settle = [&] {
        batcher.execute();
        undo.loopEnd();
    };
    const QString before = *benchSheet->currentContent();

    // Twenty declarations on the clipboard.
    CSSOutlineDelegate::CopyInfos twenty;
    for (int i = 0; i < 20; ++i) {
        auto info = std::make_shared<CSSCopyInfo>();
        info->setType(RuleType::Declaration);
        info->setProperty(std::make_shared<CSSProperty>(QStringLiteral("--bench-%1").arg(i), QStringLiteral("%1px").arg(i)));
        twenty.append(info);
    }
    std::vector<double> pastes, pasteUndos, drops, dropUndos;
    for (int run = 0; run < 12; ++run) {
        select();
        panel.setCopyInfos(twenty);
        const CSSRulePtr rule = rowOf(panel, QStringLiteral(".bench-target"));
        pastes.push_back(timed([&] { panel.pasteInto(rule); }));
        settle();
        pasteUndos.push_back(timed([&] { undo.undo(); }));

        select();
        const CSSRulePtr source = rowOf(panel, QStringLiteral(".bench-source"));
        const CSSRulePtr left = source ? source->children().value(2) : nullptr;
        if (!left) {
            std::fprintf(stderr, "no rows of .bench-source\n");
            return 1;
        }
        QMimeData mime;
        OutlineViewEx *outline = panel.outline();
        drops.push_back(timed([&] {
            DraggingInfo info;
            info.pasteboard = &mime;
            info.source = outline;
            panel.writeItems(outline, {left.get()}, &mime);
            if (panel.validateDrop(outline, info, source.get(), 0) != Qt::IgnoreAction)
                panel.acceptDrop(outline, info, source.get(), 0);
        }));
        settle();
        dropUndos.push_back(timed([&] { undo.undo(); }));
        settle();
    }
    std::printf("paste 20 declarations into a rule: %s\n  its undo: %s\n", qPrintable(figures(pastes)), qPrintable(figures(pasteUndos)));
    std::printf("move a declaration up its rule by a drop: %s\n  its undo: %s\n", qPrintable(figures(drops)),
                qPrintable(figures(dropUndos)));
    std::printf("of these, the commands themselves until they return: %s\n", qPrintable(figures(commandsAlone)));
    std::printf("bench.css after the undos: %s\n", *benchSheet->currentContent() == before ? "its bytes as they were" : "CHANGED");
    File::setUndoManagerProvider({});
    delete view;
    return 0;
}
