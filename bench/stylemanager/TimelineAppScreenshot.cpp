// Starts Quillmark offscreen on a 1280 by 800 screen with the small site's
// page shown, its style sheet given three keyframe animations. Once the page
// is complete the keyframe button opens the timeline below the DOM tree, the
// "fade" animation is chosen there and its 50% keyframe clicked, which the
// rules panel shows and the playhead marks. Then a picture of the screen goes
// to the path given ("timeline-app.png" by default), and one of the pane
// alone at twice its size beside it ("timeline-app-pane.png"). "dark" as the second
// argument gives the desktop a dark palette.
//
//   stylemanager_app_screenshot [OUTPUT.png] [dark]

#include "app/AppDelegate.h"
#include "app/ProjectDelegate.h"
#include "platform/kit/SplitView.h"
#include "preview/PreviewDelegate.h"
#include "stylemanager/AnimationManager.h"
#include "stylemanager/MultiThumbSlider.h"
#include "stylemanager/TimelineCell.h"
#include "stylemanager/TimelineListView.h"

#include "../BakerySite.h"
#include "../LaunchedShell.h"
#include "../OffscreenHome.h"
#include "../ScreenTimers.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

namespace {

const QByteArray kAnimations = R"(
@-webkit-keyframes fade {
    from { opacity: 0; }
    50% { opacity: 0.5; }
    to { opacity: 1; }
}
@keyframes fade {
    from { opacity: 0; }
    50% { opacity: 0.5; }
    to { opacity: 1; }
}
@keyframes rise {
    0% { transform: translateY(8px); }
    30% { transform: translateY(0); }
    65% { transform: translateY(-2px); }
    100% { transform: translateY(0); }
}
@keyframes glow {
    from { color: #2b2b2b; }
    to { color: #b5651d; }
}
.top h1 { animation-name: fade; animation-duration: 4s; animation-iteration-count: infinite; }
.lead { animation-name: rise; animation-duration: 2s; }
nav a { animation-name: glow; animation-duration: 3s; }
)";

void click(QWidget *widget, const QPointF &point)
{
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent event(type, point, widget->mapToGlobal(point), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(widget, &event);
    }
}

} // namespace

int main(int argc, char *argv[])
{
    const QString output = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("timeline-app.png");
    const bool dark = argc > 2 && qstrcmp(argv[2], "dark") == 0;
    QTemporaryDir home;
    if (!useOffscreenHome(home, QSize(1280, 800)))
        return 1;
    const QString site = rememberBakeryPageShown(home);
    QFile sheet(site + QStringLiteral("/css/site.css"));
    if (!sheet.open(QIODevice::Append))
        return 1;
    sheet.write(kAnimations);
    sheet.close();

    LaunchedShell shell(argc, argv, dark);
    QApplication &application = shell.application;
    AppDelegate &delegate = shell.delegate();
    auto *preview = dynamic_cast<PreviewDelegate *>(delegate.ui().projectController->previewHalf());
    auto *timeline = delegate.findChild<AnimationManager *>(QStringLiteral("animationManager"));
    if (!preview || !timeline)
        return 1;
    const auto chooseKeyframe = [&] {
        TimelineListView *list = timeline->animationListView();
        for (int row = 0; row < list->numberOfRows(); ++row) {
            if (AnimationManager::nameOfRule(*static_cast<StyleDeclaration *>(list->itemAtRow(row))) != QLatin1String("fade"))
                continue;
            if (TimelineCell *cell = timeline->cellOfRow(row)) {
                MultiThumbSlider *slider = cell->timelineSlider();
                click(slider, QPointF(8 + 0.5 * (slider->width() - 16), slider->height() / 2.0));
            }
        }
        // The pane alone, twice the size, beside the screen's picture.
        QTimer::singleShot(1000, &application, [timeline, output] {
            const QImage pane = timeline->view()->grab().toImage();
            QString name = output;
            name.insert(name.lastIndexOf(u'.'), QStringLiteral("-pane"));
            pane.scaled(pane.size() * 2).save(name);
        });
        shootScreenLater(application, output, 1200);
    };
    QObject::connect(preview, &PreviewDelegate::loadCompleted, &application, [&] {
        QTimer::singleShot(300, &application, [&] {
            delegate.ui().keyframePaneExpandButton->click();
            // The pane a designer would drag taller, to see every animation.
            SplitView *split = delegate.ui().domTreePaneSplitView;
            split->setPositionOfDividerAtIndex(split->height() / 4, 0);
            QTimer::singleShot(500, &application, chooseKeyframe);
        });
    });
    // Without a page after a while, the picture shows why.
    shootScreenLater(application, output, 20000);
    return application.exec();
}
