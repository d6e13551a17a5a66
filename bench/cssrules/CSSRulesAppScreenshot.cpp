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
#include "preview/PreviewDelegate.h"
#include "toolkit/OutlineViewEx.h"

#include "../BakerySite.h"
#include "../OffscreenHome.h"
#include "../LaunchedShell.h"
#include "../ScreenTimers.h"

#include <QApplication>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

int main(int argc, char *argv[])
{
    const QString output = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("rules-app.png");
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
    const auto shoot = [&] { shootScreenLater(application, output, 1200); };
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
    const auto pick = [&] { clickInPreview(*preview, QStringLiteral("h1"), [] {}); };
    QObject::connect(preview, &PreviewDelegate::loadCompleted, &application, [&] {
        QTimer::singleShot(300, &application, pick);
    });
    // Without a page after a while, the picture shows why.
    shootScreenLater(application, output, 20000);
    return application.exec();
}
