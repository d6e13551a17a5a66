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
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMElement.h"
#include "platform/web/engine/WebEngineCache.h"
#include "platform/web/engine/WebFrameMirror.h"
#include "preview/BackgroundView.h"
#include "preview/ExWebView.h"
#include "preview/PreviewDelegate.h"
#include "preview/RulerSlider.h"

#include "../BakerySite.h"
#include "../OffscreenHome.h"
#include "../LaunchedShell.h"
#include "../ScreenPicture.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <cstdio>

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
    const auto shoot = [&] {
        QTimer::singleShot(1500, &application, [&] {
            const QImage screen = pictureOfScreen(QSize(1280, 800));
            const bool written = screen.save(output);
            std::fprintf(stderr, "%s %s\n", written ? "wrote" : "could not write", qPrintable(output));
            application.exit(written ? 0 : 1);
        });
    };
    const auto pick = [&] {
        if (responsive) {
            delegate.ui().cssInspector->hide();
            delegate.ui().responsiveSlider->setValue(765);
            delegate.ui().centerTopPane->grab().save(output + QStringLiteral(".pane.png"));
        }
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
