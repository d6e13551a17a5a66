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
    const QString screens = home.filePath(QStringLiteral("screens.json"));
    QFile config(screens);
    if (!config.open(QIODevice::WriteOnly))
        return 1;
    config.write(R"({"screens": [{"name": "screen", "x": 0, "y": 0, "width": 1280, "height": 800,
                     "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    config.close();
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toLocal8Bit());
    qputenv("XDG_STATE_HOME", home.filePath(QStringLiteral("state")).toLocal8Bit());
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + screens.toLocal8Bit());

    QMApplication application(argc, argv);
    QTimer::singleShot(1000, &application, [&] {
        const QImage screen = pictureOfScreen(QSize(1280, 800));
        const bool written = screen.save(output);
        std::fprintf(stderr, "%s %s\n", written ? "wrote" : "could not write", qPrintable(output));
        application.exit(written ? 0 : 1);
    });
    return application.exec();
}
