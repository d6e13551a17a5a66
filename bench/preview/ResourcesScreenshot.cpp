// Starts Quillmark offscreen on a 1280 by 800 screen with fresh user folders
// and the projects of the workspace picture, the site's page the last one
// shown: once the page is complete, its style sheet is chosen in the
// Resources tab, which shows the page's index with its groups. Then a
// picture of the screen goes to the path given, "resources.png" by default.
// "dark" as the second argument gives the desktop a dark palette.
//
//   resources_screenshot [OUTPUT.png] [dark]

#include "app/AppDelegate.h"
#include "app/ProjectDelegate.h"
#include "preview/LoadedResourceDelegate.h"
#include "preview/PreviewDelegate.h"
#include "toolkit/OutlineViewEx.h"
#include "workspace/File.h"

#include "../BakerySite.h"
#include "../OffscreenHome.h"
#include "../LaunchedShell.h"
#include "../ScreenPicture.h"

#include <QApplication>
#include <QImage>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

int main(int argc, char *argv[])
{
    const QString output = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("resources.png");
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
    LoadedResourceDelegate *list = preview ? preview->loadedResourceDelegate() : nullptr;
    if (!list)
        return 1;
    const auto shoot = [&] {
        const QImage screen = pictureOfScreen(QSize(1280, 800));
        const bool written = screen.save(output);
        std::fprintf(stderr, "%s %s\n", written ? "wrote" : "could not write", qPrintable(output));
        application.exit(written ? 0 : 1);
    };
    // The list follows the page 0.4 s after its last resource: then the
    // style sheet is chosen, as a click on its row chooses it.
    QObject::connect(preview, &PreviewDelegate::loadCompleted, &application, [&] {
        QTimer::singleShot(1200, &application, [&] {
            OutlineViewEx *outline = list->resouceView();
            for (int row = 0; row < outline->numberOfRows(); ++row) {
                if (File *file = list->fileAtRow(row); file && file->displayName() == QLatin1String("site.css"))
                    outline->selectRowIndexes({row}, false);
            }
            outline->setFocus();
            QTimer::singleShot(800, &application, shoot);
        });
    });
    // Without a page after a while, the picture shows why.
    QTimer::singleShot(15000, &application, shoot);
    return application.exec();
}
