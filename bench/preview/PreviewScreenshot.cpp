// Starts Quillmark offscreen on a 1280 by 800 screen with fresh user folders
// and the projects of the workspace picture, the site's page the last one
// shown: the page
// loads into the preview, element detection is turned on, the pointer goes
// over the page's heading and a click locks it. Then a picture of the screen
// goes to the path given, "preview.png" by default. "dark" gives the desktop
// a dark palette; "responsive" drags the width slider to a tablet's width
// first, so the preview stands on the grid under the ruler.
//
//   preview_screenshot [OUTPUT.png] [dark] [responsive]

#include "app/AppDelegate.h"
#include "app/ProjectDelegate.h"
#include "preview/BackgroundView.h"
#include "preview/PreviewDelegate.h"
#include "preview/RulerSlider.h"

#include "../BakerySite.h"
#include "../OffscreenHome.h"
#include "../LaunchedShell.h"
#include "../ScreenTimers.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

int main(int argc, char *argv[])
{
    const QString output = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("preview.png");
    bool dark = false;
    bool responsive = false;
    for (int i = 2; i < argc; ++i) {
        dark = dark || qstrcmp(argv[i], "dark") == 0;
        responsive = responsive || qstrcmp(argv[i], "responsive") == 0;
    }
    QTemporaryDir home;
    if (!useOffscreenHome(home, QSize(1280, 800)))
        return 1;
    rememberBakeryPageShown(home);

    LaunchedShell shell(argc, argv, dark);
    QApplication &application = shell.application;
    AppDelegate &delegate = shell.delegate();

    ProjectDelegate *projects = delegate.ui().projectController;
    auto *preview = dynamic_cast<PreviewDelegate *>(projects->previewHalf());
    if (!preview)
        return 1;
    const auto shoot = [&] { shootScreenLater(application, output, 1500); };
    const auto pick = [&] {
        if (responsive) {
            delegate.ui().cssInspector->hide();
            delegate.ui().responsiveSlider->setValue(765);
            delegate.ui().centerTopPane->grab().save(output + QStringLiteral(".pane.png"));
        }
        clickInPreview(*preview, QStringLiteral("h1"), shoot);
    };
    // Once the page is complete: detection on, the pointer over the heading, a click.
    QObject::connect(preview, &PreviewDelegate::loadCompleted, &application, [&] {
        QTimer::singleShot(300, &application, pick);
    });
    // Without a page after a while, the picture shows why.
    QTimer::singleShot(15000, &application, shoot);
    return application.exec();
}
