// Starts Quillmark offscreen on a 1280 by 800 screen with fresh user folders
// and one remembered project, shows the project's page and switches the
// right pane to the element palette: its templates are pictured in the
// window ("OUTPUT.png"), then its snippets with the snippet popover open on
// the first one ("OUTPUT-popover.png"), then the components with their
// pictures ("OUTPUT-components.png"). "dark" as the second argument gives
// the desktop a dark palette.
//
//   palette_screenshot [OUTPUT.png] [dark|light]

#include "app/AppDelegate.h"
#include "domtree/DomNodeListDelegate.h"
#include "platform/kit/SegmentedControl.h"
#include "toolkit/OutlineViewEx.h"
#include "workspace/SnippetUtil.h"

#include "../BakerySite.h"
#include "../LaunchedShell.h"
#include "../OffscreenHome.h"
#include "../ScreenPicture.h"

#include <QApplication>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

int main(int argc, char *argv[])
{
    const QString output = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("palette.png");
    const bool dark = argc > 2 && qstrcmp(argv[2], "dark") == 0;
    QTemporaryDir home;
    if (!useOffscreenHome(home, QSize(1280, 800)))
        return 1;
    rememberBakeryPageShown(home);

    LaunchedShell shell(argc, argv, dark);
    QApplication &application = shell.application;
    AppDelegate &delegate = shell.delegate();
    auto *palette = delegate.findChild<DomNodeListDelegate *>(QString(), Qt::FindDirectChildrenOnly);
    if (!palette) {
        std::fprintf(stderr, "no element palette\n");
        return 1;
    }
    const QString base = QFileInfo(output).path() + QLatin1Char('/') + QFileInfo(output).completeBaseName();
    const auto picture = [](const QString &name) {
        const bool written = pictureOfScreen(QSize(1280, 800)).save(name);
        std::fprintf(stderr, "%s %s\n", written ? "wrote" : "could not write", qPrintable(name));
        return written;
    };
    QTimer::singleShot(4000, &application, [&] {
        if (SegmentedControl *segments = delegate.ui().rightSegmentControl) {
            segments->setSelectedSegment(1);
            Q_EMIT segments->activated();
        }
    });
    QTimer::singleShot(4600, &application, [&] {
        if (!picture(output))
            application.exit(1);
        SnippetUtil::createAndAddSnippetTitle(QStringLiteral("Card"), QStringLiteral("A card with a title"),
                                              QStringLiteral("HTML"),
                                              QStringLiteral("<div class=\"card\">\n\t<h2>Title</h2>\n</div>"));
        palette->showUserSnippetElements(QStringLiteral("HTML"));
        palette->domNodeList()->selectRowIndexes({0}, false);
        palette->doubleClick();
    });
    QTimer::singleShot(5600, &application, [&] {
        if (!picture(base + QStringLiteral("-popover.png")))
            application.exit(1);
        palette->snipetDoneEdit();
        palette->mainCategoryChange(DomNodeListDelegate::Components);
    });
    // The components once their pictures are there.
    QTimer::singleShot(9000, &application,
                       [&] { application.exit(picture(base + QStringLiteral("-components.png")) ? 0 : 1); });
    return application.exec();
}
