// Starts Quillmark offscreen on a 1280 by 800 screen with fresh user folders
// and one remembered project whose "images" folder is shown in the centre
// pane as thumbnails (pictures of several sizes, a sub-folder, a page and a
// file that only claims to be a picture), with the project settings panel
// beside it, and writes a picture of the screen to the path given,
// "thumbnails.png" by default. "dark" gives the desktop a dark palette;
// "settings" gives the settings panel the whole left column, the vendor
// prefixes set and the property list filtered; "ignore" shows the ignore
// rules there instead; "image" shows one picture in the centre pane.
//
//   thumbnails_screenshot [OUTPUT.png] [dark] [settings|ignore|image]

#include "app/AppDelegate.h"
#include "app/FileViewController.h"
#include "app/MainInterface.h"
#include "app/ProjectDelegate.h"
#include "app/views/ProjectConfigView.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/kit/SegmentedControl.h"
#include "platform/kit/SplitView.h"
#include "platform/kit/TextField.h"
#include "workspace/File.h"

#include "../OffscreenHome.h"
#include "../LaunchedShell.h"
#include "../ScreenPicture.h"
#include "GeneratedPictures.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

int main(int argc, char *argv[])
{
    QString output = QStringLiteral("thumbnails.png");
    bool dark = false;
    bool settings = false;
    bool ignore = false;
    bool image = false;
    for (int i = 1; i < argc; ++i) {
        if (qstrcmp(argv[i], "dark") == 0)
            dark = true;
        else if (qstrcmp(argv[i], "settings") == 0)
            settings = true;
        else if (qstrcmp(argv[i], "ignore") == 0)
            settings = ignore = true;
        else if (qstrcmp(argv[i], "image") == 0)
            image = true;
        else
            output = QString::fromLocal8Bit(argv[i]);
    }
    QTemporaryDir home;
    if (!useOffscreenHome(home, QSize(1280, 800)))
        return 1;

    const QString site = home.filePath(QStringLiteral("projects/Lighthouse Bakery"));
    writeProjectFile(site + QStringLiteral("/index.html"), "<!DOCTYPE html>\n<title>Lighthouse Bakery</title>\n");
    writeProjectFile(site + QStringLiteral("/css/site.css"), "body { margin: 0; }\n");
    const QString images = site + QStringLiteral("/images");
    QDir().mkpath(images + QStringLiteral("/icons"));
    const struct
    {
        const char *name;
        QSize size;
    } pictures[] = {{"harbour-at-dawn.jpg", {1600, 1067}}, {"rye-loaf.jpg", {1200, 1200}},
                    {"the-bakery-front-window-in-winter.jpg", {1024, 768}}, {"logo.png", {256, 256}},
                    {"banner-wide.png", {1800, 400}}, {"portrait.jpg", {800, 1200}},
                    {"croissants.jpg", {1400, 933}}, {"map.png", {900, 700}}};
    quint32 seed = 7;
    for (const auto &picture : pictures)
        generatedPicture(picture.size, seed++).save(images + u'/' + QLatin1String(picture.name));
    writeProjectFile(images + QStringLiteral("/broken.png"), "this is no picture");
    writeProjectFile(images + QStringLiteral("/credits.html"), "<!DOCTYPE html>\n<title>Credits</title>\n");

    const QString canonicalSite = QFileInfo(site).canonicalFilePath();
    UserDefaults &defaults = UserDefaults::standardUserDefaults();
    defaults.setObject(QVariantMap{{canonicalSite, canonicalSite}}, QStringLiteral("rootPathes"));
    defaults.setObject(QStringList{canonicalSite, canonicalSite + QStringLiteral("/images")},
                       QStringLiteral("expandedFilePaths"));
    defaults.setObject(canonicalSite + (image ? QStringLiteral("/images/harbour-at-dawn.jpg") : QStringLiteral("/images")),
                       QStringLiteral("lastSelectedMainFilePath"));
    defaults.setInteger(0, QStringLiteral("firstLaunch"));
    // The style inspector would stand over the settings.
    defaults.setInteger(0, QStringLiteral("inspectorVisible"));
    defaults.synchronize();

    LaunchedShell shell(argc, argv, dark);
    QApplication &application = shell.application;
    AppDelegate &delegate = shell.delegate();

    MainInterface &ui = delegate.ui();
    QObject::connect(ui.projectController, &ProjectDelegate::projectsLoaded, &application, [&] {
        if (settings) {
            ui.leftPaneSplitView->setSizes({140, 600});
            delegate.splitViewDidResizeSubviews(ui.leftPaneSplitView);
            ProjectConfigView *panel = ui.fileViewController->saveOption();
            panel->prefixMoz()->click();
            panel->minifyCSS()->click();
            panel->searchTextField()->setText(QStringLiteral("tra"));
            if (ignore) {
                ui.projectMainSettingSegmentControl->setSelectedSegment(1);
                delegate.changeProjectSettingContent(ui.projectMainSettingSegmentControl);
            }
        } else {
            ui.centerPaneSplitView->setSizes({120, 610});
        }
    });

    QTimer::singleShot(2000, &application, [&] {
        const bool written = pictureOfScreen(QSize(1280, 800)).save(output);
        std::fprintf(stderr, "%s %s\n", written ? "wrote" : "could not write", qPrintable(output));
        application.exit(written ? 0 : 1);
    });
    return application.exec();
}
