// Starts Quillmark offscreen on a 1280 by 800 screen with fresh user folders
// and one remembered project, shows the project's page in the preview and
// its DOM tree with an element selected (the overlay over it in the page,
// its breadcrumb and attributes beside the tree), and writes
// a picture of the screen to the path given, "domtree.png" by default.
// "dark" as the second argument gives the desktop a dark palette. With
// "find" as the third, the tree is expanded whole, its find bar open on a
// word, and the tree's own picture is written beside the screen's
// ("OUTPUT-tree.png"); the page's list is marked not to be saved and an
// SVG "use" shows its reference row.
//
//   domtree_screenshot [OUTPUT.png] [dark|light] [find]

#include "app/AppDelegate.h"
#include "app/ProjectDelegate.h"
#include "domtree/DomTreeDelegate.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMElement.h"
#include "interfaces/PreviewHalfInterface.h"
#include "toolkit/SearchFieldEx.h"
#include "workspace/File.h"
#include "workspace/ProjectUtil.h"

#include "../BakerySite.h"
#include "../OffscreenHome.h"
#include "../LaunchedShell.h"
#include "../ScreenPicture.h"

#include <QApplication>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

int main(int argc, char *argv[])
{
    const QString output = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("domtree.png");
    const bool dark = argc > 2 && qstrcmp(argv[2], "dark") == 0;
    const bool find = argc > 3 && qstrcmp(argv[3], "find") == 0;
    QTemporaryDir home;
    if (!useOffscreenHome(home, QSize(1280, 800)))
        return 1;

    // The bakery site with a longer page, shown at launch.
    const QString site = rememberBakeryProjects(home);
    const QByteArray page =
        "<!DOCTYPE html>\n<html lang='en'>\n<head>\n  <meta charset='utf-8'>\n  <title>Lighthouse Bakery</title>\n"
        "  <link rel='stylesheet' href='css/site.css'>\n</head>\n<body class='home'>\n  <!-- the top of every page -->\n"
        "  <header class='top'>\n    <h1>Lighthouse Bakery</h1>\n    <nav><a href='menu.html'>Menu</a> "
        "<a href='about.html'>About</a></nav>\n  </header>\n  <main>\n    <p class='lead' id='lead'>Bread baked "
        "before dawn, every day, by people who would rather be asleep but love the smell of the first loaf.</p>\n"
        "    <ul class='daily'>\n      <li>Rye</li>\n      <li>Sourdough</li>\n    </ul>\n"
        "    <svg width='16' height='16'><defs><circle id='dot' cx='8' cy='8' r='4'/></defs><use href='#dot'/></svg>\n"
        "  </main>\n"
        "  <script src='js/app.js'></script>\n</body>\n</html>\n";
    writeProjectFile(site + QStringLiteral("/index.html"), page);
    writeProjectFile(site + QStringLiteral("/js/app.js"), "document.body.classList.add('js');\n");
    UserDefaults &defaults = UserDefaults::standardUserDefaults();
    defaults.setObject(site + QStringLiteral("/index.html"), QStringLiteral("lastSelectedMainFilePath"));
    defaults.synchronize();

    LaunchedShell shell(argc, argv, dark);
    QApplication &application = shell.application;
    AppDelegate &delegate = shell.delegate();

    ProjectDelegate *projects = delegate.ui().projectController;
    auto *tree = dynamic_cast<DomTreeDelegate *>(delegate.domTreeController());
    QObject::connect(projects, &ProjectDelegate::projectsLoaded, &application, [&] {
        // The page in the preview, as a double click in the project list shows it.
        if (find) {
            QVariantMap config = ProjectUtil::getProjectConfig(site);
            config.insert(ProjectUtil::kIgnoreOption,
                          ProjectUtil::defaultIgnoreOption() + QStringLiteral("\n.daily{ignore:true;}"));
            ProjectUtil::saveProjectConfig(config, site);
        }
        File *file = projects->searchFileInProjects(site + QStringLiteral("/index.html"));
        if (file && projects->previewHalf())
            projects->previewHalf()->setURL(file);
    });
    if (tree) {
        QObject::connect(tree, &DomTreeDelegate::treeRebuilt, &application, [tree, find] {
            if (!tree->document())
                return;
            tree->selectNode(tree->document()->getElementById(QStringLiteral("lead")));
            if (!find || tree->treeFullyExpanded())
                return;
            tree->expandAll();
            tree->showSearchBar();
            tree->domSearchField()->setText(QStringLiteral("class"));
            tree->controlTextDidChange();
            tree->searchDom(tree->domSearchField());
        });
    }

    QTimer::singleShot(5000, &application, [&] {
        const QImage screen = pictureOfScreen(QSize(1280, 800));
        bool written = screen.save(output);
        if (find && tree) {
            const QString treeOutput = QFileInfo(output).path() + QLatin1Char('/') + QFileInfo(output).completeBaseName()
                + QStringLiteral("-tree.png");
            // The tree taller than the window's pane gives it, to show more rows.
            tree->view()->resize(460, 620);
            QCoreApplication::processEvents();
            written = tree->view()->grab().save(treeOutput) && written;
        }
        std::fprintf(stderr, "%s %s\n", written ? "wrote" : "could not write", qPrintable(output));
        application.exit(written ? 0 : 1);
    });
    return application.exec();
}
