// Starts Quillmark offscreen on a 1280 by 800 screen with one remembered
// project, shows its page with an element selected in the DOM tree, and
// writes pictures of the style-attribute panel: the screen with the panel
// in its pane (OUTPUT.png), the panel alone ("OUTPUT-pane.png", and its
// other pages "OUTPUT-pane-border.png" and "OUTPUT-pane-effects.png"), the DOM
// tree's "Format Style Attribution" popover ("OUTPUT-popover.png") and the
// colour palette opened from it ("OUTPUT-palette.png"). "dark" as the second argument gives the
// desktop a dark palette.
//
//   editors_screenshot [OUTPUT.png] [dark|light]

#include "app/AppDelegate.h"
#include "app/ProjectDelegate.h"
#include "domtree/DomTreeDelegate.h"
#include "domtree/DomTreeOutlineView.h"
#include "editors/AttributeStyleEditorViewController.h"
#include "editors/ColorEditor.h"
#include "editors/QuickColorPicker.h"
#include "interfaces/AttributeStyleEditorInterface.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMElement.h"
#include "interfaces/PreviewHalfInterface.h"
#include "toolkit/RBLPopover.h"
#include "toolkit/RBLPopoverWindow.h"
#include "workspace/File.h"

#include "../BakerySite.h"
#include "../LaunchedShell.h"
#include "../OffscreenHome.h"
#include "../ScreenPicture.h"

#include <QApplication>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include <cstdio>

int main(int argc, char *argv[])
{
    const QString output = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("editors.png");
    const bool dark = argc > 2 && qstrcmp(argv[2], "dark") == 0;
    QTemporaryDir home;
    if (!useOffscreenHome(home, QSize(1280, 800)))
        return 1;

    const QString site = rememberBakeryProjects(home);
    const QByteArray page =
        "<!DOCTYPE html>\n<html lang='en'>\n<head>\n  <meta charset='utf-8'>\n  <title>Lighthouse Bakery</title>\n"
        "  <link rel='stylesheet' href='css/site.css'>\n</head>\n<body class='home'>\n"
        "  <header class='top'>\n    <h1>Lighthouse Bakery</h1>\n  </header>\n  <main>\n"
        "    <p class='lead' id='lead' style='display: block; margin: 12px 0; padding: 8px; width: 33.5%;"
        " font-family: Georgia, serif; font-size: 1.25em; line-height: 1.5; text-align: center;"
        " color: #8a4b08; background-color: #fff3e0; border-radius: 6px; opacity: 0.95; cursor: pointer;"
        " border: 2px solid #d7a86e; box-shadow: 0 2px 4px rgba(0, 0, 0, 0.2), inset 0 0 2px #fff;"
        " filter: saturate(120%) contrast(1.1); transform: rotate(1deg) scale(1.02)'>"
        "Bread baked before dawn, every day.</p>\n  </main>\n</body>\n</html>\n";
    writeProjectFile(site + QStringLiteral("/index.html"), page);
    UserDefaults &defaults = UserDefaults::standardUserDefaults();
    defaults.setObject(site + QStringLiteral("/index.html"), QStringLiteral("lastSelectedMainFilePath"));
    defaults.synchronize();

    LaunchedShell shell(argc, argv, dark);
    QApplication &application = shell.application;
    AppDelegate &delegate = shell.delegate();
    ProjectDelegate *projects = delegate.ui().projectController;
    auto *tree = dynamic_cast<DomTreeDelegate *>(delegate.domTreeController());
    if (!tree)
        return 1;
    QObject::connect(projects, &ProjectDelegate::projectsLoaded, &application, [&] {
        File *file = projects->searchFileInProjects(site + QStringLiteral("/index.html"));
        if (file && projects->previewHalf())
            projects->previewHalf()->setURL(file);
    });
    QObject::connect(tree, &DomTreeDelegate::treeRebuilt, &application, [tree] {
        if (tree->document())
            tree->selectNode(tree->document()->getElementById(QStringLiteral("lead")));
    });

    const QString base = QFileInfo(output).path() + QLatin1Char('/') + QFileInfo(output).completeBaseName();
    const auto write = [](const QImage &image, const QString &name) {
        const bool written = image.save(name);
        std::fprintf(stderr, "%s %s\n", written ? "wrote" : "could not write", qPrintable(name));
        return written;
    };
    AttributeStyleEditorViewController *popoverPanel = nullptr;
    QTimer::singleShot(5000, &application, [&] {
        bool written = write(pictureOfScreen(QSize(1280, 800)), output);
        AttributeStyleEditorViewController *pane = nullptr;
        for (QWidget *window : QApplication::topLevelWidgets()) {
            if (!pane)
                pane = window->findChild<AttributeStyleEditorViewController *>(QStringLiteral("styleAttributePanel"));
            if (!popoverPanel)
                popoverPanel = window->findChild<AttributeStyleEditorViewController *>(
                    QStringLiteral("styleAttributePopoverPanel"));
        }
        if (pane) {
            // The pane is short in the default layout: the panel at the
            // popover's width and a taller height.
            pane->view()->resize(240, 560);
            QCoreApplication::processEvents();
            written = write(pane->view()->grab().toImage(), base + QStringLiteral("-pane.png")) && written;
            // Its other three pages.
            pane->changeTab(1);
            pane->view()->resize(240, 560);
            QCoreApplication::processEvents();
            written = write(pane->view()->grab().toImage(), base + QStringLiteral("-pane-border.png")) && written;
            pane->changeTab(2);
            pane->focusWithProperty(QStringLiteral("box-shadow"));
            pane->view()->resize(240, 560);
            QCoreApplication::processEvents();
            written = write(pane->view()->grab().toImage(), base + QStringLiteral("-pane-background.png")) && written;
            // The effects page is long: the compound editors in full.
            pane->changeTab(3);
            pane->view()->resize(240, 900);
            QCoreApplication::processEvents();
            written = write(pane->view()->grab().toImage(), base + QStringLiteral("-pane-effects.png")) && written;
            pane->changeTab(0);
        }
        // The popover of the tree's context command.
        tree->setContextTargetNode(tree->selectedDomNodeEx());
        tree->showAttributeStyleEditor();
        if (!written || !popoverPanel)
            application.exit(1);
    });
    QTimer::singleShot(5600, &application, [&] {
        RBLPopover *popover = tree->attributeStyleEditorPopover();
        if (!popover || !popover->popoverWindow()) {
            application.exit(1);
            return;
        }
        bool written = write(popover->popoverWindow()->grab().toImage(), base + QStringLiteral("-popover.png"));
        // The palette of the text colour, opened from the popover.
        auto *colour = qobject_cast<ColorEditor *>(popoverPanel->editorForProperty(QStringLiteral("color")));
        if (colour)
            colour->colorPicker()->colorPalletButton()->click();
        QCoreApplication::processEvents();
        RBLPopover *palette = colour ? colour->colorPicker()->popover() : nullptr;
        written = palette && palette->popoverWindow()
                  && write(palette->popoverWindow()->grab().toImage(), base + QStringLiteral("-palette.png"))
                  && written;
        application.exit(written ? 0 : 1);
    });
    return application.exec();
}
