// Starts Quillmark offscreen on a 1280 by 800 screen with the projects of the
// workspace picture, picks the page's heading, selects its font size in the CSS
// rules panel and opens the declaration's popover editor. Writes the screen
// (OUTPUT.png), the popover's window ("OUTPUT-popover.png") and each popover
// editor alone ("OUTPUT-color.png", "OUTPUT-singleSize.png", ...). "dark" as
// the second argument gives the desktop a dark palette.
//
//   popover_editors_screenshot [OUTPUT.png] [dark]

#include "app/AppDelegate.h"
#include "app/ProjectDelegate.h"
#include "cssrules/CSSOutlineDelegate.h"
#include "editors/popover/StyleEditorView.h"
#include "editors/popover/StyleEditorViewController.h"
#include "preview/PreviewDelegate.h"
#include "toolkit/OutlineViewEx.h"
#include "toolkit/RBLPopover.h"
#include "toolkit/RBLPopoverWindow.h"

#include "PopoverSamples.h"

#include "../BakerySite.h"
#include "../LaunchedShell.h"
#include "../OffscreenHome.h"
#include "../ScreenTimers.h"

#include <QApplication>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

namespace {

bool write(const QImage &image, const QString &name)
{
    const bool written = !image.isNull() && image.save(name);
    std::fprintf(stderr, "%s %s\n", written ? "wrote" : "could not write", qPrintable(name));
    return written;
}

} // namespace

int main(int argc, char *argv[])
{
    const QString output = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("popover-editors.png");
    const bool dark = argc > 2 && qstrcmp(argv[2], "dark") == 0;
    QTemporaryDir home;
    if (!useOffscreenHome(home, QSize(1280, 800)))
        return 1;
    rememberBakeryPageShown(home);

    LaunchedShell shell(argc, argv, dark);
    QApplication &application = shell.application;
    AppDelegate &delegate = shell.delegate();
    ProjectDelegate *projects = delegate.ui().projectController;
    auto *preview = dynamic_cast<PreviewDelegate *>(projects->previewHalf());
    auto *rules = dynamic_cast<CSSOutlineDelegate *>(delegate.cssOutlineDelegate());
    if (!preview || !rules)
        return 1;
    const QString base = QFileInfo(output).path() + QLatin1Char('/') + QFileInfo(output).completeBaseName();

    const auto shoot = [&] {
        bool written = write(pictureOfScreen(QSize(1280, 800)), output);
        RBLPopover *popover = rules->editStyle();
        written = popover && popover->popoverWindow()
                  && write(popover->popoverWindow()->grab().toImage(), base + QStringLiteral("-popover.png")) && written;
        // Every editor alone, as a fresh opening shows it.
        StyleEditorViewController editors;
        const QList<std::pair<QString, QString>> samples = popoverEditorSamples();
        for (const auto &[property, value] : samples) {
            editors.initializeEditorView(property, value);
            QWidget *view = editors.view();
            view->ensurePolished();
            written = editors.editorView()
                      && write(view->grab().toImage(), base + QLatin1Char('-') + editors.editorView()->type() + QStringLiteral(".png"))
                      && written;
        }
        application.exit(written ? 0 : 1);
    };
    // Selects the heading's font size in the panel; false while it is not listed.
    const auto selectFontSize = [rules] {
        OutlineViewEx *outline = rules->outline();
        for (const CSSRulePtr &row : rules->rules()) {
            for (const CSSRulePtr &child : row->children()) {
                if (child->propName() != QLatin1String("font-size") || !child->relatedFile())
                    continue;
                outline->window()->activateWindow();
                outline->setFocus();
                outline->selectRowIndexes({outline->rowForItem(child.get())}, false);
                return true;
            }
        }
        return false;
    };
    // The panel lists the heading's rules: its font size opens in the popover
    // once the panel has settled.
    QObject::connect(rules, &CSSOutlineDelegate::rebuilt, &application, [&] {
        static bool opened = false;
        if (opened || !selectFontSize())
            return;
        opened = true;
        QTimer::singleShot(1000, &application, [&] {
            selectFontSize();
            rules->showStyleEditor();
            QTimer::singleShot(800, &application, shoot);
        });
    });
    const auto pick = [&] { clickInPreview(*preview, QStringLiteral("h1"), [] {}); };
    QObject::connect(preview, &PreviewDelegate::loadCompleted, &application, [&] {
        QTimer::singleShot(300, &application, pick);
    });
    // Without a page after a while, the picture shows why.
    shootScreenLater(application, output, 20000);
    return application.exec();
}
