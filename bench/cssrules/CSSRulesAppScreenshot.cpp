// Starts Quillmark offscreen on a 1280 by 800 screen with fresh user folders
// and the projects of the workspace picture, the site's page the last one
// shown: the page's heading is picked in the preview, its font size selected
// in the CSS rules panel and a new value typed there, which the page follows.
// Then a picture of the screen goes to the path given ("rules-app.png" by
// default). "dark" as the second argument gives the desktop a dark palette.
//
//   cssrules_app_screenshot [OUTPUT.png] [dark]

#include "app/AppDelegate.h"
#include "app/ProjectDelegate.h"
#include "cssrules/CSSOutlineDelegate.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMElement.h"
#include "platform/web/engine/WebEngineCache.h"
#include "platform/web/engine/WebFrameMirror.h"
#include "preview/ExWebView.h"
#include "preview/PreviewDelegate.h"
#include "toolkit/OutlineViewEx.h"

#include "../BakerySite.h"
#include "../OffscreenHome.h"
#include "../ScreenPicture.h"

#include <QApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstdio>

int main(int argc, char *argv[])
{
    const QString output = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("rules-app.png");
    const bool dark = argc > 2 && qstrcmp(argv[2], "dark") == 0;
    QTemporaryDir home;
    if (!useOffscreenHome(home, QSize(1280, 800)))
        return 1;
    const QString site = rememberBakeryProjects(home);
    UserDefaults &defaults = UserDefaults::standardUserDefaults();
    defaults.setObject(QUrl::fromLocalFile(site + QStringLiteral("/index.html")).toString(QUrl::FullyEncoded),
                       QStringLiteral("lastURL"));
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
    auto *preview = dynamic_cast<PreviewDelegate *>(projects->previewHalf());
    auto *rules = dynamic_cast<CSSOutlineDelegate *>(delegate.cssOutlineDelegate());
    if (!preview || !rules)
        return 1;
    const auto shoot = [&] {
        QTimer::singleShot(1200, &application, [&] {
            const QImage screen = pictureOfScreen(QSize(1280, 800));
            const bool written = screen.save(output);
            std::fprintf(stderr, "%s %s\n", written ? "wrote" : "could not write", qPrintable(output));
            application.exit(written ? 0 : 1);
        });
    };
    // The panel lists the heading's rules: its font size is typed anew.
    QObject::connect(rules, &CSSOutlineDelegate::rebuilt, &application, [&] {
        static bool typed = false;
        if (typed)
            return;
        OutlineViewEx *outline = rules->outline();
        for (const CSSRulePtr &row : rules->rules()) {
            for (const CSSRulePtr &child : row->children()) {
                if (child->propName() != QLatin1String("font-size") || !child->relatedFile())
                    continue;
                typed = true;
                const int index = outline->rowForItem(child.get());
                outline->window()->activateWindow();
                outline->setFocus();
                outline->selectRowIndexes({index}, false);
                QTimer::singleShot(200, &application, [&, outline, index] {
                    outline->editColumn(0, index, true);
                    if (auto *field = outline->findChild<QLineEdit *>(QStringLiteral("valueNameDisplay")))
                        QTest::keyClicks(field, QStringLiteral("2.4em"));
                    shoot();
                });
                return;
            }
        }
    });
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
        QTimer::singleShot(500, &application, [view, point] {
            QMouseEvent press(QEvent::MouseButtonPress, point, view->mapToGlobal(point), Qt::LeftButton, Qt::LeftButton,
                              Qt::NoModifier);
            QApplication::sendEvent(view, &press);
            QMouseEvent release(QEvent::MouseButtonRelease, point, view->mapToGlobal(point), Qt::LeftButton,
                                Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(view, &release);
        });
    };
    QObject::connect(preview, &PreviewDelegate::loadCompleted, &application, [&] {
        QTimer::singleShot(300, &application, pick);
    });
    // Without a page after a while, the picture shows why.
    QTimer::singleShot(20000, &application, shoot);
    return application.exec();
}
