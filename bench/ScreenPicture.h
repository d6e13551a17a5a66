#pragma once

// What the offscreen screen shows: every visible window at its place, main
// windows first and tool windows above them, each framed by a line where the
// desktop would draw its frame. For the screenshot tools of the benchmarks.

#include "BenchTools.h"

#include "platform/foundation/UserDefaults.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPalette>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <cstdio>

// Makes the temporary folder the home of the run (user folders, settings,
// caches) and the offscreen screen the given size. Call before the
// application object is made.
inline bool useOffscreenHome(const QTemporaryDir &home, const QSize &screen)
{
    const QString screens = home.filePath(QStringLiteral("screens.json"));
    QFile config(screens);
    if (!config.open(QIODevice::WriteOnly))
        return false;
    config.write(QStringLiteral(R"({"screens": [{"name": "screen", "x": 0, "y": 0, "width": %1, "height": %2,
                     "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})")
                     .arg(screen.width())
                     .arg(screen.height())
                     .toUtf8());
    config.close();
    useTemporaryHome(home);
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + screens.toLocal8Bit());
    return true;
}

// Writes a file of the project a picture shows, making its folder.
inline bool writeProjectFile(const QString &path, const QByteArray &text)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

// A dark desktop's palette, for pictures of the dark look.
inline QPalette darkDesktopPalette()
{
    QPalette palette;
    palette.setColor(QPalette::Window, QColor(45, 47, 51));
    palette.setColor(QPalette::WindowText, QColor(220, 222, 226));
    palette.setColor(QPalette::Base, QColor(32, 34, 37));
    palette.setColor(QPalette::AlternateBase, QColor(40, 42, 46));
    palette.setColor(QPalette::Text, QColor(220, 222, 226));
    palette.setColor(QPalette::Button, QColor(53, 55, 60));
    palette.setColor(QPalette::ButtonText, QColor(220, 222, 226));
    palette.setColor(QPalette::Highlight, QColor(53, 132, 228));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::ToolTipBase, QColor(53, 55, 60));
    palette.setColor(QPalette::ToolTipText, QColor(220, 222, 226));
    palette.setColor(QPalette::PlaceholderText, QColor(140, 144, 150));
    palette.setColor(QPalette::Disabled, QPalette::WindowText, QColor(120, 124, 130));
    palette.setColor(QPalette::Disabled, QPalette::Text, QColor(120, 124, 130));
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(120, 124, 130));
    return palette;
}

// Gives the application the look of a dark desktop.
inline void useDarkDesktop(QApplication &application)
{
    application.setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    application.setPalette(darkDesktopPalette());
}

// Remembers the projects as a previous run would have, with the folders
// shown expanded and the file shown last; no first-launch offer.
inline void rememberProjects(const QStringList &roots, const QStringList &expanded, const QString &mainFile)
{
    UserDefaults &defaults = UserDefaults::standardUserDefaults();
    QVariantMap rootPathes;
    for (const QString &root : roots)
        rootPathes.insert(root, root);
    defaults.setObject(rootPathes, QStringLiteral("rootPathes"));
    defaults.setObject(expanded, QStringLiteral("expandedFilePaths"));
    defaults.setObject(mainFile, QStringLiteral("lastSelectedMainFilePath"));
    defaults.setInteger(0, QStringLiteral("firstLaunch"));
    defaults.synchronize();
}

inline QImage pictureOfScreen(const QSize &size)
{
    QImage screen(size, QImage::Format_ARGB32);
    screen.fill(QColor(90, 98, 110));
    QPainter painter(&screen);
    for (bool tools : {false, true}) {
        for (QWidget *window : QApplication::topLevelWidgets()) {
            if (!window->isVisible() || (window->windowType() == Qt::Tool) != tools)
                continue;
            painter.setOpacity(window->windowOpacity());
            painter.drawPixmap(window->geometry().topLeft(), window->grab());
            painter.setPen(QColor(60, 66, 74));
            painter.drawRect(window->geometry().adjusted(0, 0, -1, -1));
        }
    }
    return screen;
}

// After the delay, writes the picture of the screen to the path and ends the
// application (with 1 when the picture could not be written).
inline void writePictureOfScreenLater(QApplication &application, int delayMs, const QString &output,
                                      const QSize &size = QSize(1280, 800))
{
    QTimer::singleShot(delayMs, &application, [&application, output, size] {
        const bool written = pictureOfScreen(size).save(output);
        std::fprintf(stderr, "%s %s\n", written ? "wrote" : "could not write", qPrintable(output));
        application.exit(written ? 0 : 1);
    });
}
