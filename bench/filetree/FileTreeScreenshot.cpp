// Starts Quillmark offscreen on a 1280 by 800 screen with fresh user folders
// and one remembered project, opens one of the file tree's menus and writes a
// picture of the screen to the path given. The menu is the File menu
// ("file", the default), the context menu of a row ("context"), or the
// breadcrumb's menu of the project with its first folder open
// ("breadcrumb"). "dark" gives the desktop a dark palette.
//
//   filetree_screenshot OUTPUT.png [file|context|breadcrumb] [dark]

#include "app/AppDelegate.h"
#include "app/EXWindow.h"
#include "app/ProjectDelegate.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/kit/PathControl.h"
#include "toolkit/OutlineViewEx.h"
#include "workspace/File.h"

#include "../OffscreenHome.h"
#include "../LaunchedShell.h"
#include "../ScreenPicture.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

namespace {

bool write(const QString &path, const QByteArray &text)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

File *child(File *folder, const char *name)
{
    for (File *each : folder->children()) {
        if (each->displayName() == QLatin1String(name))
            return each;
    }
    return nullptr;
}

} // namespace

int main(int argc, char *argv[])
{
    const QString output = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("filetree.png");
    QString mode = QStringLiteral("file");
    bool dark = false;
    for (int i = 2; i < argc; ++i) {
        if (qstrcmp(argv[i], "dark") == 0)
            dark = true;
        else
            mode = QString::fromLatin1(argv[i]);
    }
    QTemporaryDir home;
    if (!useOffscreenHome(home, QSize(1280, 800)))
        return 1;

    const QString site = home.filePath(QStringLiteral("projects/Lighthouse Bakery"));
    write(site + QStringLiteral("/index.html"), "<!DOCTYPE html>\n<title>Lighthouse Bakery</title>\n<h1>Bread</h1>\n");
    write(site + QStringLiteral("/about.html"), "<!DOCTYPE html>\n<title>About</title>\n");
    write(site + QStringLiteral("/css/site.css"), "body {\n    margin: 0;\n}\n");
    write(site + QStringLiteral("/css/print.css"), "@media print {\n}\n");
    write(site + QStringLiteral("/js/app.js"), "\"use strict\";\n");
    write(site + QStringLiteral("/downloads/photos.zip"), "PK");
    const QString canonicalSite = QFileInfo(site).canonicalFilePath();
    // A template, for the File menu's submenu.
    QDir().mkpath(home.filePath(QStringLiteral("cache/Quillmark/Quillmark/templates/Landing Page")));

    UserDefaults &defaults = UserDefaults::standardUserDefaults();
    defaults.setObject(QVariantMap{{canonicalSite, canonicalSite}}, QStringLiteral("rootPathes"));
    defaults.setObject(QStringList{canonicalSite, canonicalSite + QStringLiteral("/css")}, QStringLiteral("expandedFilePaths"));
    defaults.setObject(canonicalSite + QStringLiteral("/css/site.css"), QStringLiteral("lastSelectedMainFilePath"));
    defaults.setInteger(0, QStringLiteral("firstLaunch"));
    defaults.setInteger(0, QStringLiteral("inspectorVisible"));
    defaults.synchronize();

    LaunchedShell shell(argc, argv, dark);
    QApplication &application = shell.application;
    AppDelegate &delegate = shell.delegate();

    auto shoot = [&] {
        const QImage screen = pictureOfScreen(QSize(1280, 800));
        const bool written = screen.save(output);
        std::fprintf(stderr, "%s %s\n", written ? "wrote" : "could not write", qPrintable(output));
        application.exit(written ? 0 : 1);
    };
    ProjectDelegate *projects = delegate.ui().projectController;
    QObject::connect(projects, &ProjectDelegate::projectsLoaded, &application, [&] {
        QTimer::singleShot(300, &application, [&] {
            OutlineViewEx *tree = projects->finderOutlineView();
            File *root = projects->projects().value(0);
            if (!root)
                return;
            tree->setFocus();
            if (mode == QLatin1String("context")) {
                // The menu of a row other than the selected one.
                File *row = child(root, "downloads");
                tree->expandItem(row);
                File *archive = child(row, "photos.zip");
                const QRect rect = tree->visualRect(tree->indexForItem(archive));
                QTimer::singleShot(400, &application, [&] {
                    shoot();
                    delegate.ui().fileMenu->hide();
                });
                QContextMenuEvent event(QContextMenuEvent::Mouse, rect.center(),
                                        tree->viewport()->mapToGlobal(rect.center()));
                QApplication::sendEvent(tree->viewport(), &event);
            } else if (mode == QLatin1String("breadcrumb")) {
                PathControl *crumbs = delegate.ui().breadcramb;
                QMouseEvent press(QEvent::MouseButtonPress, crumbs->rectForCell(0).center(), crumbs->mapToGlobal(crumbs->rectForCell(0).center()),
                                  Qt::LeftButton, Qt::LeftButton, {});
                QMouseEvent release(QEvent::MouseButtonRelease, crumbs->rectForCell(0).center(),
                                    crumbs->mapToGlobal(crumbs->rectForCell(0).center()), Qt::LeftButton, {}, {});
                QApplication::sendEvent(crumbs, &press);
                QApplication::sendEvent(crumbs, &release);
                QTimer::singleShot(200, &application, [&] {
                    auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
                    if (menu && !menu->actions().isEmpty())
                        menu->setActiveAction(menu->actions().first());
                    QTimer::singleShot(600, &application, [&] {
                        if (auto *open = qobject_cast<QMenu *>(QApplication::activePopupWidget())) {
                            if (!open->actions().isEmpty())
                                open->setActiveAction(open->actions().first());
                        }
                        QTimer::singleShot(600, &application, shoot);
                    });
                });
            } else {
                QMenuBar *bar = delegate.ui().window->menuBar();
                QMenu *file = bar->actions().first()->menu();
                bar->setActiveAction(file->menuAction());
                QTimer::singleShot(300, &application, [&, file] {
                    if (!file->actions().isEmpty())
                        file->setActiveAction(file->actions().at(1));
                    QTimer::singleShot(600, &application, shoot);
                });
            }
        });
    });
    return application.exec();
}
