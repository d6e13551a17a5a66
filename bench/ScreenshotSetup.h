#pragma once

// What the screenshot tools of the benchmarks start from: a fresh home on an
// offscreen screen of 1280 by 800, the dark palette, and two remembered
// projects, a small site ("Lighthouse Bakery") and an empty one.

#include "platform/foundation/UserDefaults.h"

#include <QApplication>
#include <QColor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPalette>
#include <QStyleFactory>
#include <QTemporaryDir>

namespace ScreenshotSetup {

inline bool write(const QString &path, const QByteArray &text)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
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

// Points the program's home and folders into the temporary folder, on an
// offscreen screen of 1280 by 800; false when that cannot be written.
inline bool useFreshHome(const QTemporaryDir &home)
{
    const QString screens = home.filePath(QStringLiteral("screens.json"));
    if (!write(screens, R"({"screens": [{"name": "screen", "x": 0, "y": 0, "width": 1280, "height": 800,
                     "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})"))
        return false;
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toLocal8Bit());
    qputenv("XDG_STATE_HOME", home.filePath(QStringLiteral("state")).toLocal8Bit());
    qputenv("XDG_CACHE_HOME", home.filePath(QStringLiteral("cache")).toLocal8Bit());
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + screens.toLocal8Bit());
    return true;
}

// The two projects, remembered as a previous run would have: the site's css
// folder open and its style sheet the file last shown. Answers the site's folder.
inline QString rememberBakeryProjects(const QTemporaryDir &home)
{
    const QString site = home.filePath(QStringLiteral("projects/Lighthouse Bakery"));
    write(site + QStringLiteral("/index.html"),
          "<!DOCTYPE html>\n<html>\n<head>\n  <meta charset=\"utf-8\">\n  <title>Lighthouse Bakery</title>\n"
          "  <link rel=\"stylesheet\" href=\"css/site.css\">\n</head>\n<body>\n  <header class=\"top\">\n"
          "    <h1>Lighthouse Bakery</h1>\n    <nav><a href=\"menu.html\">Menu</a> <a href=\"about.html\">About</a></nav>\n"
          "  </header>\n  <main>\n    <p class=\"lead\">Bread baked before dawn, every day.</p>\n  </main>\n"
          "  <script src=\"js/app.js\"></script>\n</body>\n</html>\n");
    write(site + QStringLiteral("/about.html"), "<!DOCTYPE html>\n<title>About</title>\n<p>Since 1921.</p>\n");
    write(site + QStringLiteral("/menu.html"), "<!DOCTYPE html>\n<title>Menu</title>\n<ul><li>Rye</li></ul>\n");
    write(site + QStringLiteral("/css/site.css"),
          "/* Lighthouse Bakery */\n\nbody {\n    margin: 0;\n    font-family: Georgia, serif;\n    color: #2b2b2b;\n}\n\n"
          ".top {\n    display: flex;\n    justify-content: space-between;\n    padding: 1.5em 2em;\n"
          "    background: #f4efe6;\n}\n\n.top h1 {\n    font-size: 1.6em;\n    letter-spacing: 0.02em;\n}\n\n"
          ".lead {\n    font-size: 1.25em;\n    line-height: 1.5;\n}\n\n@media (max-width: 600px) {\n"
          "    .top {\n        flex-direction: column;\n    }\n}\n");
    write(site + QStringLiteral("/css/print.css"), "@media print {\n    nav { display: none; }\n}\n");
    write(site + QStringLiteral("/js/app.js"), "document.querySelector('.lead').title = 'Fresh';\n");
    QImage logo(64, 64, QImage::Format_ARGB32);
    logo.fill(QColor(200, 120, 40));
    QDir().mkpath(site + QStringLiteral("/images"));
    logo.save(site + QStringLiteral("/images/logo.png"));
    write(site + QStringLiteral("/.git/HEAD"), "ref: refs/heads/main\n");
    write(home.filePath(QStringLiteral("projects/Portfolio/index.html")), "<!DOCTYPE html>\n<title>Portfolio</title>\n");

    UserDefaults &defaults = UserDefaults::standardUserDefaults();
    const QString canonicalSite = QFileInfo(site).canonicalFilePath();
    const QString portfolio = QFileInfo(home.filePath(QStringLiteral("projects/Portfolio"))).canonicalFilePath();
    defaults.setObject(QVariantMap{{canonicalSite, canonicalSite}, {portfolio, portfolio}}, QStringLiteral("rootPathes"));
    defaults.setObject(QStringList{canonicalSite, canonicalSite + QStringLiteral("/css")},
                       QStringLiteral("expandedFilePaths"));
    defaults.setObject(canonicalSite + QStringLiteral("/css/site.css"), QStringLiteral("lastSelectedMainFilePath"));
    defaults.setInteger(0, QStringLiteral("firstLaunch"));
    defaults.synchronize();

    return canonicalSite;
}

// The program's names, and the dark palette when asked.
inline void styleApplication(QApplication &application, bool dark)
{
    if (!dark)
        return;
    application.setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    application.setPalette(darkPalette());
}

} // namespace ScreenshotSetup
