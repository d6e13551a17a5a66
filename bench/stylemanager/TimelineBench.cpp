// Figures of the keyframe timeline over a style sheet of 200 animations of
// 10 keyframes each: refresh() until every row's track shows its keyframes,
// and one drag step of a keyframe (the thumb moved, the track laid out, the
// playhead moved and the list drawn). Run by hand, offscreen:
//   ./bench/stylemanager/stylemanager_bench

#include "stylemanager/AnimationManager.h"
#include "stylemanager/MultiThumbSlider.h"
#include "stylemanager/TimelineCell.h"
#include "stylemanager/TimelineListView.h"

#include "cssrules/CSSOutlineDelegate.h"
#include "foundation/InspectUndoManager.h"
#include "workspace/File.h"

#include "../BenchFigures.h"
#include "../OffscreenHome.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMouseEvent>
#include <QTemporaryDir>

#include <cstdio>

namespace {

QByteArray sheet()
{
    QByteArray css;
    for (int i = 0; i < 200; ++i) {
        css += "@keyframes move" + QByteArray::number(i) + " {\n";
        for (int k = 0; k < 10; ++k)
            css += "    " + QByteArray::number(k * 10) + "% { left: " + QByteArray::number(k) + "px; }\n";
        css += "}\n";
    }
    return css;
}

void send(MultiThumbSlider *slider, QEvent::Type type, const QPointF &point, Qt::MouseButtons buttons)
{
    QMouseEvent event(type, point, slider->mapToGlobal(point), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(slider, &event);
}

} // namespace

int main(int argc, char *argv[])
{
    QTemporaryDir home;
    if (!useOffscreenHome(home, QSize(1280, 800)))
        return 1;
    QApplication application(argc, argv);
    QTemporaryDir folder;
    QFile file(folder.filePath(QStringLiteral("animations.css")));
    if (!file.open(QIODevice::WriteOnly) || file.write(sheet()) < 0)
        return 1;
    file.close();

    InspectUndoManager undo;
    File::setUndoManagerProvider([&undo] { return &undo; });
    File root(folder.path(), true, nullptr);
    File *css = root.children().value(0);
    if (!css)
        return 1;
    CSSOutlineDelegate panel;
    panel.awakeFromNib();
    panel.setStyleFiles({css});
    AnimationManager manager;
    manager.setCssOutlineDelegate(&panel);
    manager.awakeFromNib();
    manager.view()->resize(640, 400);
    manager.view()->show();
    manager.reset();
    waitUntil([&] { return !manager.isSettingUpTracks(); });
    std::fprintf(stdout, "%lld rows\n", qlonglong(manager.rows().size()));

    Figures refresh;
    for (int run = 0; run < 30; ++run) {
        QElapsedTimer timer;
        timer.start();
        manager.refresh();
        waitUntil([&] { return !manager.isSettingUpTracks(); });
        refresh.add(timer.nsecsElapsed() / 1e6);
    }
    std::fprintf(stdout, "refresh, 200 animations of 10 keyframes: %s\n", qPrintable(refresh.text()));

    // The first listing of a page: every track made.
    Figures first;
    for (int run = 0; run < 10; ++run) {
        AnimationManager fresh;
        fresh.setCssOutlineDelegate(&panel);
        fresh.awakeFromNib();
        fresh.view()->resize(640, 400);
        fresh.view()->show();
        QCoreApplication::processEvents();
        QElapsedTimer timer;
        timer.start();
        fresh.reset();
        waitUntil([&] { return !fresh.isSettingUpTracks(); });
        first.add(timer.nsecsElapsed() / 1e6);
    }
    std::fprintf(stdout, "first listing, every track made: %s\n", qPrintable(first.text()));

    // A drag of the 40% keyframe of the first row between 41% and 49%,
    // free places only (no edit is made until the release).
    MultiThumbSlider *slider = manager.cellOfRow(0)->timelineSlider();
    const double track = slider->width() - 16;
    const auto at = [&](double ratio) { return QPointF(8 + ratio * track, slider->height() / 2.0); };
    send(slider, QEvent::MouseButtonPress, at(0.4), Qt::LeftButton);
    QCoreApplication::processEvents();
    Figures drag;
    drag.decimals = 3;
    for (int step = 0; step < 400; ++step) {
        const double ratio = 0.41 + (step % 9) * 0.01;
        QElapsedTimer timer;
        timer.start();
        send(slider, QEvent::MouseMove, at(ratio), Qt::LeftButton);
        QCoreApplication::processEvents();
        drag.add(timer.nsecsElapsed() / 1e6);
    }
    std::fprintf(stdout, "one drag step (thumb, layout, playhead, drawing): %s\n", qPrintable(drag.text()));
    File::setUndoManagerProvider({});
    return 0;
}
