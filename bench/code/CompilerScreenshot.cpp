// The Script Packages pane offscreen over a small site: a target whose script
// group holds a package of two scripts, compressed by the installed Closure
// compressor when it is there, written to the path given ("packages.png" by
// default). "dark" as the second argument gives the desktop a dark palette.
//
//   compiler_screenshot [OUTPUT.png] [light|dark]

#include "code/CompilerViewController.h"
#include "code/PackageController.h"
#include "code/ProjectSetting.h"
#include "toolkit/ExOutlineView.h"
#include "workspace/File.h"

#include "../ScreenPicture.h"

#include <QApplication>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

int main(int argc, char *argv[])
{
    const QString output = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("packages.png");
    const bool dark = argc > 2 && qstrcmp(argv[2], "dark") == 0;
    QTemporaryDir home;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const QString site = home.filePath(QStringLiteral("site"));
    writeProjectFile(site + QStringLiteral("/js/menu.js"),
                     "// Opens and closes the menu.\nfunction toggleMenu(menu) {\n"
                     "    menu.classList.toggle('open');\n    return menu;\n}\n");
    writeProjectFile(site + QStringLiteral("/js/app.js"),
                     "var header = document.querySelector('.top');\ntoggleMenu(header);\n");

    QApplication application(argc, argv);
    if (dark) {
        application.setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        application.setPalette(darkPalette());
    }
    File root(site, true, nullptr);
    CompilerViewController controller;
    controller.awakeFromNib();
    controller.setup(&root);
    PackageController *packages = controller.packageController();
    packages->addTarget();
    PackItemPtr scripts = controller.projectSetting()->packages().first()->childAtIndex(0);
    PackItemPtr package = PackItem::create(PackItem::Package);
    package->setParent(scripts);
    scripts->ensureChildren() << package;
    packages->importFile(package.get(), site + QStringLiteral("/js/menu.js"));
    packages->importFile(package.get(), site + QStringLiteral("/js/app.js"));
    packages->setProjectSetting(controller.projectSetting());
    controller.outlineView()->expandItem(controller.projectSetting()->packages().first().get(), true);

    QWidget *pane = controller.view();
    pane->resize(420, 640);
    pane->show();
    QObject::connect(&controller, &CompilerViewController::runFinished, &application, [&] {
        controller.outlineView()->selectRowIndexes({controller.outlineView()->rowForItem(package.get())}, false);
        QTimer::singleShot(800, &application, [&] {
            const bool written = pictureOfScreen(QSize(460, 680)).save(output);
            std::fprintf(stderr, "%s %s\n", written ? "wrote" : "could not write", qPrintable(output));
            application.exit(written ? 0 : 1);
        });
    });
    pane->move(20, 20);
    controller.execute();
    if (!controller.isRunning())
        Q_EMIT controller.runFinished();
    return application.exec();
}
