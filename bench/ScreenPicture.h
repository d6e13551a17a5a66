#pragma once

// What the offscreen screen shows: every visible window at its place, main
// windows first and tool windows above them, each framed by a line where the
// desktop would draw its frame. For the screenshot tools of the benchmarks.

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QWidget>

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
