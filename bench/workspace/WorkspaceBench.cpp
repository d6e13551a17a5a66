// The project workspace with a remembered project of 20,000 files in 2,000
// folders, offscreen, in a temporary home:
//
//   1. launch: from building the interface to the project's rows and
//      expansion shown, and the longest main-thread stall from the window's
//      first event-loop turn to half a second after the rows are shown;
//   2. a keystroke in a 300 KB style sheet, until the File holds the text and
//      the file tree has been repainted;
//   3. an outside change of a file and the creation of a file, from the
//      folder watcher's report to the row refreshed.
//
//   workspace_bench [RUNS] [all]
//
// "all" remembers every folder as expanded (22,000 rows shown) instead of
// the top folders and five sub-folders of each.

#include "app/AppDelegate.h"
#include "app/FileViewController.h"
#include "app/ProjectDelegate.h"
#include "code/CodeView.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UserDefaults.h"
#include "toolkit/OutlineViewEx.h"
#include "workspace/File.h"

#include "../BenchUtil.h"
#include "../OffscreenHome.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int kTopFolders = 40;
constexpr int kSubFolders = 49; // per top folder: 40 + 40 * 49 = 2,000 folders
constexpr int kFilesPerFolder = 10; // 20,000 files
constexpr int kExpandedSubFolders = 5;

const char *const kNames[kFilesPerFolder] = {"index.html", "about.html", "site.css",  "theme.css", "app.js",
                                             "vendor.js",  "logo.png",   "photo.jpg", "notes.txt", "font.woff"};

bool writeFile(const QString &path, const QByteArray &data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

bool makeProject(const QString &root, bool expandAll, QStringList &expanded)
{
    QDir dir(root);
    expanded << root;
    for (int top = 0; top < kTopFolders; ++top) {
        const QString topPath = root + QStringLiteral("/section-%1").arg(top, 2, 10, QLatin1Char('0'));
        if (!dir.mkpath(topPath))
            return false;
        expanded << topPath;
        for (const char *name : kNames) {
            if (!writeFile(topPath + u'/' + QLatin1String(name), "body { color: red; }\n"))
                return false;
        }
        for (int sub = 0; sub < kSubFolders; ++sub) {
            const QString subPath = topPath + QStringLiteral("/part-%1").arg(sub, 2, 10, QLatin1Char('0'));
            if (!dir.mkpath(subPath))
                return false;
            if (expandAll || sub < kExpandedSubFolders)
                expanded << subPath;
            for (const char *name : kNames) {
                if (!writeFile(subPath + u'/' + QLatin1String(name), "body { color: red; }\n"))
                    return false;
            }
        }
    }
    // The big style sheet: about 300 KB of rules.
    QByteArray sheet;
    for (int i = 0; sheet.size() < 300 * 1024; ++i)
        sheet += QStringLiteral(".rule-%1 { color: #%2; margin: %3px 0; }\n").arg(i).arg(i % 0xffffff, 6, 16, QLatin1Char('0')).arg(i % 40).toUtf8();
    return writeFile(root + QStringLiteral("/big.css"), sheet) && dir.mkpath(root + QStringLiteral("/.git/objects"));
}

} // namespace

int main(int argc, char *argv[])
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const bool expandAll = argc > 2 && qstrcmp(argv[2], "all") == 0;

    QTemporaryDir home;
    useOffscreenHome(home);
    // The program's log lines of every project load would drown the figures.
    qputenv("QT_LOGGING_RULES", "*.debug=false");

    const QString project = home.filePath(QStringLiteral("project"));
    QStringList expanded;
    QElapsedTimer making;
    making.start();
    if (!makeProject(project, expandAll, expanded)) {
        std::fprintf(stderr, "cannot make the project folder\n");
        return 1;
    }
    std::fprintf(stderr, "project made in %.1f s\n", making.elapsed() / 1000.0);

    QApplication::setOrganizationName(QStringLiteral("Quillmark"));
    QApplication::setApplicationName(QStringLiteral("Quillmark"));
    QApplication application(argc, argv);
    UserDefaults &defaults = UserDefaults::standardUserDefaults();
    defaults.setObject(QVariantMap{{project, project}}, QStringLiteral("rootPathes"));
    defaults.setObject(expanded, QStringLiteral("expandedFilePaths"));
    defaults.setInteger(0, QStringLiteral("firstLaunch"));
    defaults.setInteger(0, QStringLiteral("inspectorVisible"));
    defaults.synchronize();
    AppDelegate::initialize();

    // Starts as a folder change is reported, before the program hears of it.
    QElapsedTimer reportClock;
    NotificationCenter::defaultCenter().addObserver(&application, QStringLiteral("directoryUpdated"), nullptr,
                                                    [&](const Notification &) { reportClock.start(); });

    // 1. Launch.
    std::vector<double> launches;
    std::vector<double> stalls;
    int rows = 0;
    std::unique_ptr<AppDelegate> delegate;
    for (int run = 0; run < runs; ++run) {
        delegate.reset();
        // The remembered expansion is what the previous run left.
        defaults.setObject(expanded, QStringLiteral("expandedFilePaths"));
        QElapsedTimer clock;
        clock.start();
        delegate = std::make_unique<AppDelegate>();
        delegate->loadInterface();
        StallMeter meter;
        bool shown = false;
        ProjectDelegate *controller = delegate->ui().projectController;
        QObject::connect(controller, &ProjectDelegate::projectsLoaded, controller, [&] {
            // Laid out and drawn now: the rows are shown.
            controller->finderOutlineView()->doItemsLayout();
            controller->finderOutlineView()->viewport()->repaint();
            launches.push_back(double(clock.nsecsElapsed()) / 1e6);
            shown = true;
        });
        meter.start();
        QTimer::singleShot(0, delegate.get(), [&] { delegate->applicationDidFinishLaunching(); });
        waitUntil([&] { return shown; });
        QTest::qWait(500);
        stalls.push_back(meter.stop());
        rows = controller->finderOutlineView()->numberOfRows();
    }

    ProjectDelegate *controller = delegate->ui().projectController;
    OutlineViewEx *tree = controller->finderOutlineView();
    File *root = controller->projects().value(0);
    if (!root) {
        std::fprintf(stderr, "the project did not load\n");
        return 1;
    }

    // 2. Keystrokes in the big style sheet.
    File *sheet = controller->searchDirectory(project + QStringLiteral("/big.css"), controller->projects());
    controller->contentChange(sheet);
    tree->selectRowIndexes({tree->rowForItem(sheet)}, false);
    CodeView *code = delegate->ui().fileViewController->mainCodeView();
    if (!sheet || !code) {
        std::fprintf(stderr, "the style sheet is not shown\n");
        return 1;
    }
    // The project's row and its top folders are in sight, as after a launch.
    tree->scrollToTop();
    delegate->window()->activateWindow();
    code->setFocus();
    code->moveCursor(QTextCursor::End);
    sheet->setOpenDate(sheet->openDate().addSecs(-10));
    QTest::qWait(50);
    std::vector<double> keystrokes;
    for (int i = 0; i < 200; ++i) {
        QElapsedTimer clock;
        clock.start();
        QTest::keyClick(code, char('a' + i % 26));
        QCoreApplication::processEvents();
        tree->viewport()->repaint();
        keystrokes.push_back(double(clock.nsecsElapsed()) / 1e6);
        if (!sheet->content() || !sheet->content()->endsWith(QChar(u'a' + i % 26))) {
            std::fprintf(stderr, "the keystroke did not reach the file\n");
            return 1;
        }
        // A key a turn, as typed.
        QTest::qWait(1);
    }

    // 3. Outside changes: from the watcher's report (the notification's first
    // observer, registered before the program's) to the rows refreshed and
    // repainted (its last observer).
    std::vector<double> changed;
    std::vector<double> created;
    bool handled = false;
    NotificationCenter::defaultCenter().addObserver(&application, QStringLiteral("directoryUpdated"), nullptr,
                                                    [&](const Notification &) {
                                                        tree->viewport()->repaint();
                                                        handled = true;
                                                    });
    const QString folder = project + QStringLiteral("/section-03/part-02");
    for (int i = 0; i < 10; ++i) {
        for (bool create : {false, true}) {
            handled = false;
            const QString target =
                create ? folder + QStringLiteral("/new-%1.css").arg(i) : folder + QStringLiteral("/site.css");
            writeFile(target, QStringLiteral("body { color: #%1; }\n").arg(i).toUtf8());
            waitUntil([&] { return handled; }, 5000);
            (create ? created : changed).push_back(double(reportClock.nsecsElapsed()) / 1e6);
            QTest::qWait(20);
        }
    }

    std::printf("project: %d folders, %d files; %d rows shown (%s)\n", kTopFolders + kTopFolders * kSubFolders,
                kTopFolders * (kSubFolders + 1) * kFilesPerFolder + 1, rows,
                expandAll ? "every folder expanded" : "top folders and 5 sub-folders each expanded");
    std::printf("launch to rows and expansion shown, median of %d: %8.1f ms (goal 1000)\n", runs, median(launches));
    std::printf("longest main-thread stall, median of %d:        %8.1f ms (goal 50)\n", runs, median(stalls));
    std::printf("keystroke in a 300 KB style sheet to repainted tree, median of 200: %6.2f ms (goal 16)\n",
                median(keystrokes));
    std::printf("outside change to refreshed rows, median of %zu:  %6.2f ms (goal 20)\n", changed.size(), median(changed));
    std::printf("outside new file to refreshed rows, median of %zu: %6.2f ms (goal 20)\n", created.size(), median(created));
    delegate.reset();
    return 0;
}
