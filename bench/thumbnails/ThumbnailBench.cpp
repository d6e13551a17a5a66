// The thumbnail browser, the file tree's drag validation and the settings
// panel's property filter, offscreen, in a temporary home:
//
//   1. a folder of 2,000 generated pictures (every tenth a 4000 by 3000
//      JPEG, the others 800 by 600 PNGs and JPEGs) chosen in the browser:
//      the time until the first screen of thumbnails is shown, the longest
//      main-thread stall meanwhile, and then, screen by screen down the
//      whole folder, the time per screen and the longest stall;
//   2. a drag of 10 rows held over the rows of a 20,000-file project: the
//      time the tree takes to answer one move;
//   3. typing into the settings panel's property filter: the time from a
//      key to the list shown again.
//
//   thumbnails_bench [RUNS] [PICTURE-FOLDER] [thumbnails|drag|filter]
//
// The last argument runs one part only.
// The pictures take a minute to make; they are kept in the folder given
// (by default "quillmark-thumbnail-bench" in the temporary folder) for the
// next run.

#include "app/AppDelegate.h"
#include "app/FileArrayController.h"
#include "app/ProjectDelegate.h"
#include "app/views/DirectoryViewer.h"
#include "app/views/ImageBrowserView.h"
#include "app/views/ProjectConfigView.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/kit/TextField.h"
#include "toolkit/FileDragPasteboard.h"
#include "toolkit/OutlineViewEx.h"
#include "toolkit/ThumbnailCache.h"
#include "workspace/File.h"

#include "../BenchUtil.h"
#include "../OffscreenHome.h"
#include "GeneratedPictures.h"

#include <QApplication>
#include <QDir>
#include <QDragMoveEvent>
#include <QFile>
#include <QMimeData>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QtConcurrent/QtConcurrentMap>

#include <cstdio>

namespace {

constexpr int kPictures = 2000;
constexpr int kBigEvery = 10;

QString pictureName(int i)
{
    const bool big = i % kBigEvery == 0;
    const char *suffix = big || i % 2 ? "jpg" : "png";
    return QStringLiteral("picture-%1.%2").arg(i, 4, 10, QLatin1Char('0')).arg(QLatin1String(suffix));
}

bool makePictures(const QString &folder)
{
    QDir().mkpath(folder);
    QList<int> missing;
    for (int i = 0; i < kPictures; ++i) {
        if (!QFileInfo::exists(folder + u'/' + pictureName(i)))
            missing.append(i);
    }
    if (missing.isEmpty())
        return true;
    std::fprintf(stderr, "making %lld pictures in %s\n", qlonglong(missing.size()), qPrintable(folder));
    QtConcurrent::blockingMap(missing, [&folder](int i) {
        const QSize size = i % kBigEvery == 0 ? QSize(4000, 3000) : QSize(800, 600);
        generatedPicture(size, quint32(i)).save(folder + u'/' + pictureName(i), nullptr, 85);
    });
    return true;
}

// Whether every picture in view of the browser has its thumbnail.
bool screenShown(ImageBrowserView *browser)
{
    QAbstractItemModel *items = browser->model();
    const QRect shown = browser->viewport()->rect();
    for (int row = 0; row < items->rowCount(); ++row) {
        const QModelIndex index = items->index(row, 0);
        if (!browser->visualRect(index).intersects(shown))
            continue;
        const QString path = index.data(ImageBrowserView::imageUIDRole).toString();
        if (browser->thumbnails()->thumbnail(path).isNull() && !browser->thumbnails()->isUnreadable(path))
            return false;
    }
    return true;
}

void benchThumbnails(const QString &folder, int runs)
{
    std::vector<double> firstScreens;
    std::vector<double> firstStalls;
    std::vector<double> perScreen;
    std::vector<double> scrollStalls;
    for (int run = 0; run < runs; ++run) {
        FileArrayController items;
        DirectoryViewer viewer;
        viewer.setDirectoryArrayController(&items);
        viewer.resize(1000, 700);
        viewer.show();
        QCoreApplication::processEvents();
        ImageBrowserView *browser = viewer.imageBrowserView();

        StallMeter meter;
        QElapsedTimer clock;
        meter.start();
        clock.start();
        // As the project controller does when the folder is chosen.
        File root(folder, true, nullptr);
        items.setContent(root.children());
        viewer.setDirectory(&root);
        waitUntil([browser] { return screenShown(browser); });
        browser->viewport()->repaint();
        firstScreens.push_back(double(clock.nsecsElapsed()) / 1e6);
        firstStalls.push_back(meter.stop());

        // Down the folder, a screen at a time.
        meter.start();
        int screens = 0;
        QElapsedTimer scrolling;
        scrolling.start();
        QScrollBar *bar = browser->verticalScrollBar();
        while (bar->value() < bar->maximum()) {
            bar->setValue(bar->value() + browser->viewport()->height());
            waitUntil([browser] { return screenShown(browser); });
            browser->viewport()->repaint();
            ++screens;
        }
        perScreen.push_back(double(scrolling.nsecsElapsed()) / 1e6 / std::max(1, screens));
        scrollStalls.push_back(meter.stop());
    }
    std::printf("thumbnails, 2,000 pictures (200 of 4000x3000):\n");
    std::printf("  first screen shown:          median %7.1f ms (goal 300 ms)\n", median(firstScreens));
    std::printf("  longest stall until then:    median %7.1f ms (goal 50 ms)\n", median(firstStalls));
    std::printf("  each further screen shown:   median %7.1f ms\n", median(perScreen));
    std::printf("  longest stall down the rest: median %7.1f ms (goal 50 ms)\n", median(scrollStalls));
}

// A project of 20,000 files: 25 folders of 40 sub-folders of 20 files.
bool makeProject(const QString &root, QStringList &folders)
{
    for (int a = 0; a < 25; ++a) {
        for (int b = 0; b < 40; ++b) {
            const QString folder = QStringLiteral("%1/area-%2/block-%3").arg(root).arg(a).arg(b);
            if (!QDir().mkpath(folder))
                return false;
            folders << folder;
            for (int c = 0; c < 20; ++c) {
                QFile file(QStringLiteral("%1/item-%2.css").arg(folder).arg(c));
                if (!file.open(QIODevice::WriteOnly))
                    return false;
            }
        }
    }
    return true;
}

void benchDragValidation(const QString &home, int runs)
{
    const QString project = home + QStringLiteral("/project");
    QStringList folders;
    if (!makeProject(project, folders)) {
        std::fprintf(stderr, "cannot make the project\n");
        return;
    }
    UserDefaults &defaults = UserDefaults::standardUserDefaults();
    defaults.setObject(QVariantMap{{project, project}}, QStringLiteral("rootPathes"));
    // Every folder of the first five areas open: 5,000 rows to hover over.
    QStringList expanded{project};
    for (const QString &folder : std::as_const(folders)) {
        if (folder.contains(QLatin1String("/area-0/")) || folder.contains(QLatin1String("/area-1/"))
            || folder.contains(QLatin1String("/area-2/")) || folder.contains(QLatin1String("/area-3/"))
            || folder.contains(QLatin1String("/area-4/")))
            expanded << QFileInfo(folder).path() << folder;
    }
    defaults.setObject(expanded, QStringLiteral("expandedFilePaths"));
    defaults.setInteger(0, QStringLiteral("firstLaunch"));
    defaults.setInteger(0, QStringLiteral("inspectorVisible"));
    defaults.synchronize();

    AppDelegate delegate;
    delegate.loadInterface();
    delegate.applicationDidFinishLaunching();
    ProjectDelegate *controller = delegate.ui().projectController;
    waitUntil([controller] { return !controller->isLoading(); }, 60000);
    OutlineViewEx *tree = controller->finderOutlineView();
    tree->doItemsLayout();

    // Ten rows from all over the project.
    QStringList dragged;
    for (int i = 0; i < 10; ++i)
        dragged << QStringLiteral("%1/item-%2.css").arg(folders[i * 97 % folders.size()]).arg(i);
    QMimeData data;
    data.setData(FileDragPasteboard::kInnerFileDragMove, FileDragPasteboard::archivePaths(dragged));

    std::vector<double> moves;
    int accepted = 0;
    const int rows = tree->numberOfRows();
    // The moves go over folder rows, where every dragged path is looked up.
    QList<int> folderRows;
    for (int row = 0; row < rows; ++row) {
        if (QFileInfo(static_cast<File *>(tree->itemAtRow(row))->path()).isDir())
            folderRows.append(row);
    }
    QDragEnterEvent enter(tree->rectOfRow(0).center(), Qt::MoveAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(tree->viewport(), &enter);
    for (int run = 0; run < runs; ++run) {
        for (int step = 0; step < 200; ++step) {
            const int row = folderRows[(step * 131 + run * 17) % folderRows.size()];
            tree->scrollTo(tree->indexForRow(row), QAbstractItemView::PositionAtCenter);
            const QPoint point = tree->rectOfRow(row).center();
            QDragMoveEvent move(point, Qt::MoveAction, &data, Qt::LeftButton, {});
            QElapsedTimer clock;
            clock.start();
            QCoreApplication::sendEvent(tree->viewport(), &move);
            moves.push_back(double(clock.nsecsElapsed()) / 1e6);
            accepted += move.isAccepted() ? 1 : 0;
        }
    }
    std::printf("drag validation, 10 rows over a 20,000-file project (%d rows shown, %d of %d moves over folders taken):\n", rows,
                accepted, int(moves.size()));
    std::printf("  one move answered:           median %7.3f ms (goal 5 ms), slowest %.3f ms\n", median(moves),
                *std::max_element(moves.begin(), moves.end()));
}

void benchPropertyFilter(const QString &home, int runs)
{
    const QString project = home + QStringLiteral("/settings");
    QDir().mkpath(project);
    File root(project, true, nullptr);
    ProjectConfigView panel;
    panel.resize(240, 720);
    panel.setProject(&root);
    panel.reload();
    panel.show();
    QCoreApplication::processEvents();
    OutlineView *list = panel.vendarPrefixSettingOutline();
    TextField *field = panel.searchTextField();
    std::vector<double> keys;
    for (int run = 0; run < runs; ++run) {
        for (const char *typed : {"transition", "border-image", "margin", "animation-play"}) {
            field->clear();
            list->viewport()->repaint();
            for (const char *c = typed; *c; ++c) {
                QElapsedTimer clock;
                clock.start();
                QTest::keyClick(field, *c);
                list->doItemsLayout();
                list->viewport()->repaint();
                keys.push_back(double(clock.nsecsElapsed()) / 1e6);
            }
        }
    }
    std::printf("property filter of the settings panel:\n");
    std::printf("  one keystroke shown:         median %7.3f ms (goal 5 ms), slowest %.3f ms\n", median(keys),
                *std::max_element(keys.begin(), keys.end()));
}

} // namespace

int main(int argc, char *argv[])
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    QTemporaryDir home;
    const QString pictures = argc > 2 ? QString::fromLocal8Bit(argv[2])
                                      : QDir::temp().filePath(QStringLiteral("quillmark-thumbnail-bench"));
    useOffscreenHome(home);
    qputenv("QT_LOGGING_RULES", "*.debug=false");

    QApplication::setOrganizationName(QStringLiteral("Quillmark"));
    QApplication::setApplicationName(QStringLiteral("Quillmark"));
    QApplication application(argc, argv);
    if (!makePictures(pictures))
        return 1;
    AppDelegate::initialize();

    const QString only = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QString();
    if (only.isEmpty() || only == u"thumbnails")
        benchThumbnails(pictures, runs);
    if (only.isEmpty() || only == u"drag")
        benchDragValidation(home.path(), runs);
    if (only.isEmpty() || only == u"filter")
        benchPropertyFilter(home.path(), runs);
    return 0;
}
