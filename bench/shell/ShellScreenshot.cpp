// Starts Quillmark offscreen on a 1280 by 800 screen with fresh user folders
// and writes a picture of the screen (every shown window at its place) to
// the path given, "shell.png" by default.

#include "app/QMApplication.h"

#include "../ScreenPicture.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <cstdio>

int main(int argc, char *argv[])
{
    const QString output = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("shell.png");
    QTemporaryDir home;
    if (!useOffscreenHome(home, QSize(1280, 800)))
        return 1;

    QMApplication application(argc, argv);
    writePictureOfScreenLater(application, 1000, output);
    return application.exec();
}
