#pragma once

// Runs the program of a benchmark or screenshot tool offscreen with its user
// folders (settings, state, caches, the Trash) in a temporary home, so that
// nothing of the user's is read or written. With a screen size, the
// offscreen platform has one screen of that size at 96 dpi. Call it before
// the application object is made.

#include <QByteArray>
#include <QFile>
#include <QSize>
#include <QTemporaryDir>

inline bool useOffscreenHome(const QTemporaryDir &home, const QSize &screen = {})
{
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toLocal8Bit());
    qputenv("XDG_STATE_HOME", home.filePath(QStringLiteral("state")).toLocal8Bit());
    qputenv("XDG_CACHE_HOME", home.filePath(QStringLiteral("cache")).toLocal8Bit());
    if (screen.isEmpty()) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return true;
    }
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
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + screens.toLocal8Bit());
    return true;
}
