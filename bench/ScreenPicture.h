#pragma once

// What the offscreen screen shows: every visible window at its place, main
// windows first, tool windows above them and popup menus above all, each
// framed by a line where the desktop would draw its frame; and the dark
// palette the tools give a desktop in dark mode. For the screenshot tools of
// the benchmarks.

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPalette>
#include <QStyleFactory>
#include <QWidget>

// Writes a file of the pictured project, its folder made first.
inline bool writeProjectFile(const QString &path, const QByteArray &text)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

inline QImage pictureOfScreen(const QSize &size)
{
    QImage screen(size, QImage::Format_ARGB32);
    screen.fill(QColor(90, 98, 110));
    QPainter painter(&screen);
    auto layer = [](const QWidget *window) {
        if (window->windowType() == Qt::Popup)
            return 2;
        return window->windowType() == Qt::Tool ? 1 : 0;
    };
    for (int level : {0, 1, 2}) {
        for (QWidget *window : QApplication::topLevelWidgets()) {
            if (!window->isVisible() || layer(window) != level)
                continue;
            painter.setOpacity(window->windowOpacity());
            painter.drawPixmap(window->geometry().topLeft(), window->grab());
            painter.setPen(QColor(60, 66, 74));
            painter.drawRect(window->geometry().adjusted(0, 0, -1, -1));
        }
    }
    return screen;
}

inline QPalette darkPalette()
{
    QPalette palette;
    palette.setColor(QPalette::Window, QColor(45, 47, 51));
    palette.setColor(QPalette::WindowText, QColor(220, 222, 226));
    palette.setColor(QPalette::Base, QColor(32, 34, 37));
    palette.setColor(QPalette::AlternateBase, QColor(40, 42, 46));
    palette.setColor(QPalette::Text, QColor(220, 222, 226));
    palette.setColor(QPalette::Button, QColor(53, 55, 60));
    // The shades a dark desktop derives from its button colour: styles draw
    // bevels and the etched text of disabled items with them.
    palette.setColor(QPalette::Light, QColor(72, 75, 80));
    palette.setColor(QPalette::Midlight, QColor(62, 65, 70));
    palette.setColor(QPalette::Mid, QColor(40, 42, 46));
    palette.setColor(QPalette::Dark, QColor(30, 31, 34));
    palette.setColor(QPalette::Shadow, QColor(15, 16, 18));
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

// A desktop in dark mode: the Fusion style over the dark palette.
inline void useDarkDesktop(QApplication &application)
{
    application.setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    application.setPalette(darkPalette());
}
