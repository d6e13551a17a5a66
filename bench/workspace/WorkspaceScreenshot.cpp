// Starts Quillmark offscreen on a 1280 by 800 screen with fresh user folders
// and one remembered project (a small site, two folders expanded, a style
// sheet open with an unsaved edit), and writes a picture of the screen to
// the path given, "workspace.png" by default. "dark" as the second argument
// gives the desktop a dark palette.
//
//   workspace_screenshot [OUTPUT.png] [dark]

#include "app/AppDelegate.h"
#include "app/FileViewController.h"
#include "app/ProjectDelegate.h"
#include "workspace/File.h"

#include "../BakerySite.h"
#include "../OffscreenHome.h"
#include "../LaunchedShell.h"
#include "../ScreenPicture.h"

#include <QApplication>
#include <QImage>
#include <QPalette>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <cstdio>


int main(int argc, char *argv[])
{
    const QString output = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("workspace.png");
    const bool dark = argc > 2 && qstrcmp(argv[2], "dark") == 0;
    QTemporaryDir home;
    if (!useOffscreenHome(home, QSize(1280, 800)))
        return 1;

    rememberBakeryProjects(home);

    LaunchedShell shell(argc, argv, dark);
    QApplication &application = shell.application;
    AppDelegate &delegate = shell.delegate();

    ProjectDelegate *projects = delegate.ui().projectController;
    QObject::connect(projects, &ProjectDelegate::projectsLoaded, &application, [&] {
        // An unsaved edit, for the modified mark.
        if (File *file = delegate.ui().fileViewController->mainFile()) {
            file->setOpenDate(file->openDate().addSecs(-5));
            file->setContent(file->currentContent().value_or(QString()) + QStringLiteral("\n.note {\n    color: #8a6d3b;\n}\n"));
        }
    });

    QTimer::singleShot(1500, &application, [&] {
        const QImage screen = pictureOfScreen(QSize(1280, 800));
        const bool written = screen.save(output);
        std::fprintf(stderr, "%s %s\n", written ? "wrote" : "could not write", qPrintable(output));
        application.exit(written ? 0 : 1);
    });
    return application.exec();
}
