// Starts Quillmark offscreen on a 1280 by 800 screen with fresh user folders
// and one remembered project whose page was the last one shown: the page
// loads into the preview, element detection is turned on, the pointer goes
// over the page's heading and a click locks it. Then a picture of the screen
// goes to the path given, "preview.png" by default. "dark" as the second
// argument gives the desktop a dark palette.
//
//   preview_screenshot [OUTPUT.png] [dark]

#include "app/AppDelegate.h"
#include "app/FileViewController.h"
#include "app/ProjectDelegate.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMElement.h"
#include "platform/web/engine/WebEngineCache.h"
#include "platform/web/engine/WebFrameMirror.h"
#include "preview/BackgroundView.h"
#include "preview/ExWebView.h"
#include "preview/PreviewDelegate.h"
#include "platform/foundation/UserDefaults.h"
#include "workspace/File.h"

#include "../ScreenPicture.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMouseEvent>
#include <QPalette>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <cstdio>

namespace {

bool write(const QString &path, const QByteArray &text)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

QPalette darkPalette()
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

} // namespace

int main(int argc, char *argv[])
{
    const QString output = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("preview.png");
    const bool dark = argc > 2 && qstrcmp(argv[2], "dark") == 0;
    QTemporaryDir home;
    const QString screens = home.filePath(QStringLiteral("screens.json"));
    if (!write(screens, R"({"screens": [{"name": "screen", "x": 0, "y": 0, "width": 1280, "height": 800,
                     "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})"))
        return 1;
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toLocal8Bit());
    qputenv("XDG_STATE_HOME", home.filePath(QStringLiteral("state")).toLocal8Bit());
    qputenv("XDG_CACHE_HOME", home.filePath(QStringLiteral("cache")).toLocal8Bit());
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + screens.toLocal8Bit());

    // The project: a small site.
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
    defaults.setObject(QUrl::fromLocalFile(canonicalSite + QStringLiteral("/index.html")).toString(QUrl::FullyEncoded),
                       QStringLiteral("lastURL"));
    defaults.setInteger(0, QStringLiteral("firstLaunch"));
    defaults.synchronize();

    QApplication::setOrganizationName(QStringLiteral("Quillmark"));
    QApplication::setApplicationName(QStringLiteral("Quillmark"));
    QApplication application(argc, argv);
    if (dark) {
        application.setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        application.setPalette(darkPalette());
    }
    AppDelegate::initialize();
    AppDelegate delegate;
    delegate.loadInterface();
    QTimer::singleShot(0, &application, [&] { delegate.applicationDidFinishLaunching(); });

    ProjectDelegate *projects = delegate.ui().projectController;
    auto *preview = dynamic_cast<PreviewDelegate *>(projects->previewHalf());
    if (!preview)
        return 1;
    const auto shoot = [&] {
        QTimer::singleShot(1500, &application, [&] {
            const QImage screen = pictureOfScreen(QSize(1280, 800));
            const bool written = screen.save(output);
            std::fprintf(stderr, "%s %s\n", written ? "wrote" : "could not write", qPrintable(output));
            application.exit(written ? 0 : 1);
        });
    };
    const auto pick = [&] {
        ExWebView *view = preview->webview();
        DOMElement *heading = view->mainFrameDocument() ? view->mainFrameDocument()->querySelector(QStringLiteral("h1")) : nullptr;
        const std::optional<DOMElementBox> box = heading ? view->mainFrame().engine()->elementBox(*heading) : std::nullopt;
        if (!box) {
            shoot();
            return;
        }
        preview->doDetectPreview(true);
        const QPointF point = box->viewRect.center();
        QMouseEvent move(QEvent::MouseMove, point, view->mapToGlobal(point), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(view, &move);
        QTimer::singleShot(500, &application, [view, point, shoot] {
            QMouseEvent press(QEvent::MouseButtonPress, point, view->mapToGlobal(point), Qt::LeftButton, Qt::LeftButton,
                              Qt::NoModifier);
            QApplication::sendEvent(view, &press);
            QMouseEvent release(QEvent::MouseButtonRelease, point, view->mapToGlobal(point), Qt::LeftButton,
                                Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(view, &release);
            shoot();
        });
    };
    // Once the page is complete: detection on, the pointer over the heading, a click.
    QObject::connect(preview, &PreviewDelegate::loadCompleted, &application, [&] {
        QTimer::singleShot(300, &application, pick);
    });
    // Without a page after a while, the picture shows why.
    QTimer::singleShot(15000, &application, shoot);
    return application.exec();
}
