// Starts Quillmark offscreen on a 1280 by 800 screen with fresh user folders
// and the projects of the workspace picture, the site's page the last one
// shown: the style-sheet manager is opened over the style inspector and one of
// its rules chosen, which the rules panel shows. Then a picture of the screen
// goes to the path given ("stylesheets-app.png" by default). "dark" as the
// second argument gives the desktop a dark palette.
//
//   stylemanager_sheets_screenshot [OUTPUT.png] [dark]

#include "app/AppDelegate.h"
#include "app/ProjectDelegate.h"
#include "cssrules/CSSOutlineDelegate.h"
#include "preview/PreviewDelegate.h"
#include "stylemanager/StyleSheetsManagerDelegate.h"
#include "toolkit/OutlineViewEx.h"

#include "../BakerySite.h"
#include "../OffscreenHome.h"
#include "../LaunchedShell.h"
#include "../ScreenTimers.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTimer>

int main(int argc, char *argv[])
{
    const QString output = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("stylesheets-app.png");
    const bool dark = argc > 2 && qstrcmp(argv[2], "dark") == 0;
    QTemporaryDir home;
    if (!useOffscreenHome(home, QSize(1280, 800)))
        return 1;
    rememberBakeryPageShown(home);

    LaunchedShell shell(argc, argv, dark);
    QApplication &application = shell.application;
    AppDelegate &delegate = shell.delegate();

    ProjectDelegate *projects = delegate.ui().projectController;
    auto *preview = dynamic_cast<PreviewDelegate *>(projects->previewHalf());
    auto *rules = dynamic_cast<CSSOutlineDelegate *>(delegate.cssOutlineDelegate());
    auto *manager = dynamic_cast<StyleSheetsManagerDelegate *>(delegate.styleSheetsManager());
    if (!preview || !rules || !manager)
        return 1;
    QObject::connect(preview, &PreviewDelegate::loadCompleted, &application, [&] {
        QTimer::singleShot(800, &application, [&] {
            rules->showStyleSheetsManager();
            manager->refreshSelectorList();
            OutlineViewEx *list = manager->outline();
            if (list->numberOfRows() > 2)
                list->selectRowIndexes({2}, false);
            shootScreenLater(application, output, 1200);
        });
    });
    // Without a page after a while, the picture shows why.
    shootScreenLater(application, output, 20000);
    return application.exec();
}
