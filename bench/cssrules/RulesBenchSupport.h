#pragma once

// What the rules panel's benchmarks share: bootstrap.css copied into the
// bench's folder, the panel wired to an undo manager and a write batcher as
// the program wires it, the page shown in the engine's view, and how a series
// of timings is printed.

#include "../BenchUtil.h"

#include "cssrules/CSSOutlineDelegate.h"
#include "foundation/BalkInvocationManager.h"
#include "foundation/InspectUndoManager.h"
#include "foundation/Invocation.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/engine/ChromiumProcess.h"
#include "platform/web/engine/WebPage.h"
#include "platform/web/engine/WebView.h"
#include "workspace/File.h"
#include "workspace/ProjectUtil.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QUrl>

#include <cstdio>

#include <algorithm>
#include <memory>
#include <vector>

inline QString figures(const std::vector<double> &values)
{
    return QStringLiteral("median %1 ms, 95th percentile %2 ms, worst %3 ms (%4 runs)")
        .arg(median(values), 0, 'f', 1)
        .arg(percentile(values, 0.95), 0, 'f', 1)
        .arg(*std::max_element(values.begin(), values.end()), 0, 'f', 1)
        .arg(values.size());
}

// The 10,000-element page over bootstrap.css: nine elements a card, 1,111 cards.
inline QByteArray bootstrapCardsPage(int cards = 1111)
{
    QByteArray html = "<!DOCTYPE html><html><head><meta charset='utf-8'><link rel='stylesheet' href='bootstrap.css'>"
                      "</head><body><div class='container'>\n";
    for (int i = 0; i < cards; ++i) {
        html += "<div class='row'><div class='col-md-4 card'><div class='card-body'><h5 class='card-title'>Card "
                + QByteArray::number(i) + "</h5><p class='card-text text-muted'>Some <em>quick</em> text.</p>"
                "<a href='#' class='btn btn-primary'>Go</a><ul class='list-group'><li class='list-group-item'>A</li></ul>"
                "</div></div></div>\n";
    }
    return html + "</div></body></html>";
}

// The style sheet at the first argument (Debian's bootstrap.css without one)
// copied into the folder as bootstrap.css; false, after a line on stderr,
// when it cannot be read.
inline bool copyBootstrap(int argc, char **argv, const QString &folder)
{
    const QString path = argc > 1 ? QString::fromLocal8Bit(argv[1])
                                  : QStringLiteral("/usr/share/javascript/bootstrap5/css/bootstrap.css");
    QFile bootstrap(path);
    if (!bootstrap.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s (Debian's libjs-bootstrap5 has it)\n", qPrintable(path));
        return false;
    }
    QFile css(folder + QStringLiteral("/bootstrap.css"));
    return css.open(QIODevice::WriteOnly) && css.write(bootstrap.readAll()) >= 0;
}

// The folder made the current project; the file of that name in its tree
// (owned by root), or null.
inline File *sheetOfProject(const QString &folder, std::unique_ptr<File> &root, const QString &name)
{
    ProjectUtil::getProjectConfig(folder);
    ProjectUtil::setCurrentProjectPath(folder);
    root = std::make_unique<File>(folder, true, nullptr);
    for (File *child : root->children()) {
        if (child->displayName() == name)
            return child;
    }
    return nullptr;
}

// The 10,000-element page (or one of that many cards) written into the folder as index.html; its path.
inline QString writeCardsPage(const QString &folder, int cards = 1111)
{
    QFile html(folder + QStringLiteral("/index.html"));
    if (html.open(QIODevice::WriteOnly))
        html.write(bootstrapCardsPage(cards));
    return html.fileName();
}

// "RESULT <what> <median ms> <min ms>", as bench/peers/peers.mjs prints its figures.
inline void printResult(const char *what, const std::vector<double> &values)
{
    std::printf("RESULT %s %.3f %.3f\n", what, median(values), *std::min_element(values.begin(), values.end()));
}

// The panel's row of the declaration of that name in the rule of that selector; null for none.
inline CSSRulePtr declarationOf(const CSSOutlineDelegate &panel, const QString &selector, const QString &name)
{
    for (const CSSRulePtr &row : panel.rules()) {
        if (row->displayName() != selector)
            continue;
        for (const CSSRulePtr &child : row->children()) {
            if (child->propName() == name)
                return child;
        }
    }
    return nullptr;
}

// The panel shown, its edits written through the batcher and undone with the manager.
inline void wirePanel(CSSOutlineDelegate &panel, InspectUndoManager &undo, BalkInvocationManager &batcher)
{
    File::setUndoManagerProvider([&undo] { return &undo; });
    panel.setWriteReserver([&undo, &batcher](const TargetRef &target, const TargetRef &file, std::function<void()> write) {
        batcher.addOperation(Invocation::invocationWithSelector(target, QByteArrayLiteral("lazyWrite:"), {file}, std::move(write)),
                             true, [&undo] { undo.reserveCloseGroupingAtEndOfRunLoop(); });
    });
    panel.awakeFromNib();
    panel.view()->resize(420, 700);
    panel.view()->show();
}

// The page in a new view of the engine, once its document is mirrored; null
// (after a line on stderr) when it was not shown.
inline WebView *showPage(const QString &path)
{
    ChromiumProcess::instance().start();
    auto *view = new WebView();
    view->resize(1200, 900);
    view->show();
    view->webPage()->load(QUrl::fromLocalFile(path));
    waitUntil([&] { return view->framesShown() > 0 && view->mainFrameDocument(); });
    if (!view->mainFrameDocument()) {
        std::fprintf(stderr, "the page was not shown\n");
        delete view;
        return nullptr;
    }
    return view;
}
