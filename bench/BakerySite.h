#pragma once

// The projects the screenshot tools show: a small site ("Lighthouse Bakery")
// and an empty one, remembered as a previous run would have: the site's css
// folder open and its style sheet the file last shown.

#include "ScreenPicture.h"

#include "platform/foundation/UserDefaults.h"

#include <QColor>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <QUrl>

// Writes them into the home and answers the site's folder.
inline QString rememberBakeryProjects(const QTemporaryDir &home)
{
    const QString site = home.filePath(QStringLiteral("projects/Lighthouse Bakery"));
    writeProjectFile(site + QStringLiteral("/index.html"),
          "<!DOCTYPE html>\n<html>\n<head>\n  <meta charset=\"utf-8\">\n  <title>Lighthouse Bakery</title>\n"
          "  <link rel=\"stylesheet\" href=\"css/site.css\">\n</head>\n<body>\n  <header class=\"top\">\n"
          "    <h1>Lighthouse Bakery</h1>\n    <nav><a href=\"menu.html\">Menu</a> <a href=\"about.html\">About</a></nav>\n"
          "  </header>\n  <main>\n    <p class=\"lead\">Bread baked before dawn, every day.</p>\n  </main>\n"
          "  <script src=\"js/app.js\"></script>\n</body>\n</html>\n");
    writeProjectFile(site + QStringLiteral("/about.html"), "<!DOCTYPE html>\n<title>About</title>\n<p>Since 1921.</p>\n");
    writeProjectFile(site + QStringLiteral("/menu.html"), "<!DOCTYPE html>\n<title>Menu</title>\n<ul><li>Rye</li></ul>\n");
    writeProjectFile(site + QStringLiteral("/css/site.css"),
          "/* Lighthouse Bakery */\n\nbody {\n    margin: 0;\n    font-family: Georgia, serif;\n    color: #2b2b2b;\n}\n\n"
          ".top {\n    display: flex;\n    justify-content: space-between;\n    padding: 1.5em 2em;\n"
          "    background: #f4efe6;\n}\n\n.top h1 {\n    font-size: 1.6em;\n    letter-spacing: 0.02em;\n}\n\n"
          ".lead {\n    font-size: 1.25em;\n    line-height: 1.5;\n}\n\n@media (max-width: 600px) {\n"
          "    .top {\n        flex-direction: column;\n    }\n}\n");
    writeProjectFile(site + QStringLiteral("/css/print.css"), "@media print {\n    nav { display: none; }\n}\n");
    writeProjectFile(site + QStringLiteral("/js/app.js"), "document.querySelector('.lead').title = 'Fresh';\n");
    QImage logo(64, 64, QImage::Format_ARGB32);
    logo.fill(QColor(200, 120, 40));
    QDir().mkpath(site + QStringLiteral("/images"));
    logo.save(site + QStringLiteral("/images/logo.png"));
    writeProjectFile(site + QStringLiteral("/.git/HEAD"), "ref: refs/heads/main\n");
    writeProjectFile(home.filePath(QStringLiteral("projects/Portfolio/index.html")), "<!DOCTYPE html>\n<title>Portfolio</title>\n");

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

// The bakery projects, with the site's page the one shown last: the preview
// loads it at launch.
inline QString rememberBakeryPageShown(const QTemporaryDir &home)
{
    const QString site = rememberBakeryProjects(home);
    UserDefaults &defaults = UserDefaults::standardUserDefaults();
    defaults.setObject(QUrl::fromLocalFile(site + QStringLiteral("/index.html")).toString(QUrl::FullyEncoded),
                       QStringLiteral("lastURL"));
    defaults.synchronize();
    return site;
}
