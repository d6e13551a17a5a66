// Starts Quillmark offscreen on a 1280 by 800 screen with fresh user folders
// and the projects of the workspace picture, the site's page the last one
// shown: once the page is complete, the tool bar's download button opens the
// sheet that saves the page with its files, one folder unticked. Then a
// picture of the screen goes to the path given, "pagedownload.png" by
// default. "dark" as the second argument gives the desktop a dark palette.
//
//   pagedownload_screenshot [OUTPUT.png] [dark]

#include "app/AppDelegate.h"
#include "app/MainInterface.h"
#include "app/ProjectDelegate.h"
#include "preview/PageDownloadManager.h"
#include "preview/PreviewDelegate.h"

#include "../BakerySite.h"
#include "../OffscreenHome.h"
#include "../LaunchedShell.h"
#include "../ScreenPicture.h"

#include <QApplication>
#include <QImage>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include <cstdio>

int main(int argc, char *argv[])
{
    const QString output = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("pagedownload.png");
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
    auto *manager = preview ? preview->findChild<PageDownloadManager *>() : nullptr;
    if (!manager)
        return 1;
    const auto shoot = [&] {
        const QImage screen = pictureOfScreen(QSize(1280, 800));
        const bool written = screen.save(output);
        std::fprintf(stderr, "%s %s\n", written ? "wrote" : "could not write", qPrintable(output));
        application.exit(written ? 0 : 1);
    };
    QObject::connect(preview, &PreviewDelegate::loadCompleted, &application, [&] {
        QTimer::singleShot(1200, &application, [&] {
            delegate.ui().downloadToolbarButton->click();
            // The first folder below the top is unticked, as a click on its box does.
            const QStringList top = manager->childrenOfItem(QString());
            for (const QString &item : manager->childrenOfItem(top.value(0))) {
                if (manager->itemIsDirectory(item)) {
                    manager->checkChange(item, false);
                    break;
                }
            }
            QTimer::singleShot(800, &application, shoot);
        });
    });
    // Without a page after a while, the picture shows why.
    QTimer::singleShot(15000, &application, shoot);
    return application.exec();
}
