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
#include "platform/foundation/UserDefaults.h"
#include "workspace/File.h"

#include "../OffscreenHome.h"
#include "../ScreenPicture.h"

#include <QApplication>
#include <QDir>
#include <QFile>
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

    // The project: a small site.
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

    QApplication::setOrganizationName(QStringLiteral("Quillmark"));
    QApplication::setApplicationName(QStringLiteral("Quillmark"));
    QApplication application(argc, argv);
    if (dark)
        useDarkDesktop(application);
    AppDelegate::initialize();
    AppDelegate delegate;
    delegate.loadInterface();
    QTimer::singleShot(0, &application, [&] { delegate.applicationDidFinishLaunching(); });

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
