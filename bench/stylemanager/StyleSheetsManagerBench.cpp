// Speed of the style-sheet manager on bootstrap.css and a 10,000-element page:
// listing the rules to the first paint with the shown counts, opening every
// block and scrolling to the end, and one search step.
//
//   stylesheets_manager_bench [bootstrap.css]

#include "stylemanager/StyleSheetsManagerDelegate.h"

#include "platform/web/dom/DOMDocument.h"
#include "toolkit/OutlineViewEx.h"
#include "workspace/ProjectUtil.h"

#include "../cssrules/RulesBenchSupport.h"
#include "../OffscreenHome.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QScrollBar>
#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char **argv)
{
    QTemporaryDir home;
    useOffscreenHome(home);
    QApplication app(argc, argv);
    QTemporaryDir dir;
    if (!copyBootstrap(argc, argv, dir.path()))
        return 1;
    QFile html(dir.filePath(QStringLiteral("index.html")));
    html.open(QIODevice::WriteOnly);
    html.write(bootstrapCardsPage());
    html.close();
    ProjectUtil::getProjectConfig(dir.path());
    ProjectUtil::setCurrentProjectPath(dir.path());
    File root(dir.path(), true, nullptr);
    File *sheet = nullptr;
    for (File *child : root.children()) {
        if (child->displayName() == QLatin1String("bootstrap.css"))
            sheet = child;
    }

    InspectUndoManager undo;
    BalkInvocationManager batcher;
    CSSOutlineDelegate panel;
    wirePanel(panel, undo, batcher);
    WebView *view = showPage(html.fileName());
    if (!view || !sheet)
        return 1;
    panel.setStyleFiles({sheet});
    panel.setPageDocument(view->mainFrameDocument());

    std::vector<double> refreshes;
    std::vector<double> expands;
    std::vector<double> searches;
    int rows = 0;
    for (int run = 0; run < 10; ++run) {
        // A new manager each run: no count is cached yet.
        StyleSheetsManagerDelegate manager;
        manager.view()->resize(320, 700);
        manager.view()->show();
        panel.setStyleSheetsManagerDelegate(&manager);
        manager.setRulesPanel(&panel);
        OutlineViewEx *list = manager.outline();
        list->verticalScrollBar()->setValue(0);
        refreshes.push_back(timedMs([&] {
            manager.refreshSelectorList();
            list->viewport()->repaint();
        }));
        expands.push_back(timedMs([&] {
            for (const auto &row : manager.rows())
                list->expandItem(row.get(), true);
            list->verticalScrollBar()->setValue(list->verticalScrollBar()->maximum());
            list->viewport()->repaint();
        }));
        for (int step = 0; step < 5; ++step)
            searches.push_back(timedMs([&] { manager.searchIncrement(QStringLiteral("btn")); }));
        rows = list->numberOfRows();
        panel.setStyleSheetsManagerDelegate(nullptr);
    }
    std::printf("rules listed: %d rows\n", rows);
    std::printf("refreshSelectorList to first paint with the shown counts: %s\n", qPrintable(figures(refreshes)));
    std::printf("every block open and scrolled to the end: %s\n", qPrintable(figures(expands)));
    std::printf("one search step: %s\n", qPrintable(figures(searches)));
    return 0;
}
