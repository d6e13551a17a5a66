// Starts Quillmark offscreen on a 1280 by 800 screen with the small site's
// page shown. Once the page is complete the rules panel's add-rule command
// opens the create rule dialog, and a faulty selector is typed into it. Then
// a picture of the screen goes to the path given ("rule-dialog.png" by
// default) and one of each of the dialog's tabs beside it
// ("rule-dialog-rule.png", "-media", "-keyframe", and the name field
// alone, "-field"). "dark" as the second
// argument gives the desktop a dark palette.
//
//   stylemanager_rule_dialog_screenshot [OUTPUT.png] [dark]

#include "app/AppDelegate.h"
#include "app/ProjectDelegate.h"
#include "cssrules/CSSOutlineDelegate.h"
#include "preview/PreviewDelegate.h"
#include "stylemanager/CreateSelectorDelegate.h"
#include "stylemanager/CreateSelectorManagerDelegate.h"

#include "../BakerySite.h"
#include "../LaunchedShell.h"
#include "../OffscreenHome.h"
#include "../ScreenTimers.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

int main(int argc, char *argv[])
{
    const QString output = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("rule-dialog.png");
    const bool dark = argc > 2 && qstrcmp(argv[2], "dark") == 0;
    QTemporaryDir home;
    if (!useOffscreenHome(home, QSize(1280, 800)))
        return 1;
    rememberBakeryPageShown(home);

    LaunchedShell shell(argc, argv, dark);
    QApplication &application = shell.application;
    AppDelegate &delegate = shell.delegate();
    auto *preview = dynamic_cast<PreviewDelegate *>(delegate.ui().projectController->previewHalf());
    auto *rules = dynamic_cast<CSSOutlineDelegate *>(delegate.cssOutlineDelegate());
    auto *dialog = delegate.findChild<CreateSelectorManagerDelegate *>(QStringLiteral("createSelectorManager"));
    if (!preview || !rules || !dialog)
        return 1;
    const auto shootTabs = [dialog, output] {
        // The name field with its marks, three times the size.
        QString field = output;
        field.insert(field.lastIndexOf(u'.'), QStringLiteral("-field"));
        const QImage marks = dialog->currentInput()->grab().toImage();
        marks.scaled(marks.size() * 3).save(field);
        const QStringList names{QStringLiteral("-rule"), QStringLiteral("-media"), QStringLiteral("-keyframe")};
        for (int type = 2; type >= 0; --type) {
            dialog->selectType(type);
            QString name = output;
            name.insert(name.lastIndexOf(u'.'), names.at(type));
            dialog->viewPanel()->grab().save(name);
        }
    };
    QObject::connect(preview, &PreviewDelegate::loadCompleted, &application, [&] {
        QTimer::singleShot(500, &application, [&] {
            rules->showAddSelector();
            QTest::keyClicks(dialog->currentInput(), QStringLiteral("ul>li..x"));
            QTimer::singleShot(800, &application, shootTabs);
            shootScreenLater(application, output, 1200);
        });
    });
    // Without a page after a while, the picture shows why.
    shootScreenLater(application, output, 20000);
    return application.exec();
}
