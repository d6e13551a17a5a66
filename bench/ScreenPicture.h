#pragma once

// What the offscreen screen shows: every visible window at its place, main
// windows first and tool windows above them, each framed by a line where the
// desktop would draw its frame. For the screenshot tools of the benchmarks.

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPalette>
#include <QTemporaryDir>
#include <QWidget>

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
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toLocal8Bit());
    qputenv("XDG_STATE_HOME", home.filePath(QStringLiteral("state")).toLocal8Bit());
    qputenv("XDG_CACHE_HOME", home.filePath(QStringLiteral("cache")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", home.filePath(QStringLiteral("data")).toLocal8Bit());
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + screens.toLocal8Bit());
    return true;
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
