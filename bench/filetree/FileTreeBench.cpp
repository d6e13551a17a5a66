// The file tree's commands, offscreen, in a temporary home:
//
//   1. menu validation: every item of the File menu and of the tree's
//      context menu asked once, with 1,000 rows selected;
//   2. New Project from a 20 MB archive of 2,000 entries served by a
//      loopback HTTP server on a thread of its own: from the command to the
//      project's page opened, and the longest main-thread stall meanwhile
//      (the gaps of a 2 ms timer, as wall time and as the main thread's own
//      processor time, which a loaded machine's scheduling leaves out);
//      beside it, how long unpacking the same archive takes, the stall of a
//      download unpacked on the main thread.
//
//   filetree_bench [RUNS]

#include "../../tests/app/LoopbackArchiveServer.h"

#include "app/AppDelegate.h"
#include "app/MainMenu.h"
#include "app/ProjectDelegate.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/kit/FilePanel.h"
#include "toolkit/OutlineViewEx.h"
#include "workspace/File.h"
#include "workspace/SSZipArchive.h"

#include "../BenchUtil.h"
#include "../OffscreenHome.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMenu>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <vector>

namespace {

constexpr int kSelectedRows = 1000;
constexpr int kEntries = 2000;
constexpr int kEntryBytes = 10 * 1024; // 2,000 entries of 10 KB: 20 MB

bool writeFile(const QString &path, const QByteArray &data)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

// 2,000 entries of bytes that do not compress, in 40 folders, and a page.
bool makeArchive(const QString &path)
{
    QDir().mkpath(QFileInfo(path).path());
    SSZipArchive archive(path);
    if (!archive.open())
        return false;
    QByteArray bytes(kEntryBytes, Qt::Uninitialized);
    for (int i = 0; i < kEntries - 1; ++i) {
        QRandomGenerator::global()->fillRange(reinterpret_cast<quint32 *>(bytes.data()), kEntryBytes / 4);
        if (!archive.writeData(bytes, QStringLiteral("assets-%1/file-%2.bin").arg(i % 40, 2, 10, QLatin1Char('0')).arg(i)))
            return false;
    }
    if (!archive.writeData("<!DOCTYPE html>\n<p>big</p>\n", QStringLiteral("index.html")))
        return false;
    return archive.close();
}

// The processor time of the calling thread, in milliseconds.
double threadMilliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

} // namespace

int main(int argc, char *argv[])
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    QTemporaryDir home;
    useOffscreenHome(home);
    qputenv("QT_LOGGING_RULES", "*.debug=false");

    // A project with a folder of 1,000 files.
    const QString project = home.filePath(QStringLiteral("project"));
    for (int i = 0; i < kSelectedRows; ++i)
        writeFile(project + QStringLiteral("/pages/page-%1.html").arg(i, 4, 10, QLatin1Char('0')), "<p>page</p>\n");
    const QString served = home.filePath(QStringLiteral("served"));
    QElapsedTimer making;
    making.start();
    if (!makeArchive(served + QStringLiteral("/sample.zip"))) {
        std::fprintf(stderr, "cannot make the archive\n");
        return 1;
    }
    std::fprintf(stderr, "archive made in %.1f s (%.1f MB)\n", making.elapsed() / 1000.0,
                 QFileInfo(served + QStringLiteral("/sample.zip")).size() / 1048576.0);

    QApplication::setOrganizationName(QStringLiteral("Quillmark"));
    QApplication::setApplicationName(QStringLiteral("Quillmark"));
    QApplication application(argc, argv);
    UserDefaults &defaults = UserDefaults::standardUserDefaults();
    defaults.setObject(QVariantMap{{project, project}}, QStringLiteral("rootPathes"));
    defaults.setObject(QStringList{project, project + QStringLiteral("/pages")}, QStringLiteral("expandedFilePaths"));
    defaults.setInteger(0, QStringLiteral("firstLaunch"));
    defaults.setInteger(0, QStringLiteral("inspectorVisible"));
    defaults.synchronize();
    AppDelegate::initialize();
    AppDelegate delegate;
    delegate.loadInterface();
    delegate.applicationDidFinishLaunching();
    ProjectDelegate *controller = delegate.ui().projectController;
    waitUntil([controller] { return !controller->isLoading() && !controller->projects().isEmpty(); }, 60000);
    OutlineViewEx *tree = controller->finderOutlineView();

    // 1. Menu validation with 1,000 rows selected.
    {
        File *pages = nullptr;
        for (File *child : controller->projects().first()->children()) {
            if (child->displayName() == QLatin1String("pages"))
                pages = child;
        }
        tree->expandItem(pages);
        QList<int> rows;
        for (File *page : pages->children())
            rows.append(tree->rowForItem(page));
        tree->selectRowIndexes(rows, false);
        MainMenu &menu = *delegate.ui().mainMenu;
        QMenu *file = menu.menuTitled(QStringLiteral("File"));
        QMenu *context = delegate.ui().fileMenu;
        std::vector<double> times;
        for (int run = 0; run < std::max(runs, 20); ++run) {
            QElapsedTimer clock;
            clock.start();
            menu.validateMenu(file);
            menu.validateMenu(context);
            times.push_back(clock.nsecsElapsed() / 1e6);
        }
        std::printf("menu validation, %lld rows selected, %lld items: median %.3f ms\n",
                    static_cast<long long>(tree->numberOfSelectedRows()),
                    static_cast<long long>(file->actions().size() + context->actions().size()), median(times));
        tree->deselectAll();
    }

    // 2. New Project from the loopback server.
    QThread serverThread;
    auto *server = new LoopbackArchiveServer(served);
    server->moveToThread(&serverThread);
    QObject::connect(&serverThread, &QThread::finished, server, &QObject::deleteLater);
    serverThread.start();
    bool listening = false;
    QMetaObject::invokeMethod(server, "start", Qt::BlockingQueuedConnection, Q_RETURN_ARG(bool, listening));
    if (!listening) {
        std::fprintf(stderr, "the server does not listen\n");
        return 1;
    }
    ProjectDelegate::setDownloadEndpoint(server->url(QString()));

    std::vector<double> totals;
    std::vector<double> stalls;
    std::vector<double> busy;
    for (int run = 0; run < runs; ++run) {
        const QString destination = home.filePath(QStringLiteral("made-%1").arg(run));
        FilePanel::setResponder([destination](const FilePanel &) { return std::optional<QStringList>(QStringList{destination}); });
        QElapsedTimer gap;
        double longest = 0;
        double lastCpu = threadMilliseconds();
        double longestCpu = 0;
        QTimer ticker;
        ticker.setTimerType(Qt::PreciseTimer);
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            longest = std::max(longest, gap.nsecsElapsed() / 1e6);
            gap.restart();
            const double cpu = threadMilliseconds();
            longestCpu = std::max(longestCpu, cpu - lastCpu);
            lastCpu = cpu;
        });
        QElapsedTimer clock;
        clock.start();
        gap.start();
        ticker.start(2);
        delegate.ui().mainMenu->itemForAction(QStringLiteral("createProjectSelected:"))->trigger();
        const bool opened = waitUntil(
            [&] {
                File *page = controller->selectedFile();
                return page && page->path() == destination + QStringLiteral("/index.html");
            },
            120000);
        const double total = clock.nsecsElapsed() / 1e6;
        // The stall counts what ran between two ticks, less the tick itself.
        longest = std::max(longest, gap.nsecsElapsed() / 1e6);
        ticker.stop();
        if (!opened) {
            std::fprintf(stderr, "run %d: the project did not open\n", run);
            return 1;
        }
        totals.push_back(total);
        stalls.push_back(longest - 2.0);
        busy.push_back(std::max(longestCpu, threadMilliseconds() - lastCpu));
        std::fprintf(stderr, "run %d: %.0f ms, longest stall %.1f ms wall, %.1f ms of the main thread's time\n", run,
                     total, longest - 2.0, busy.back());
        waitUntil([controller] { return controller->currentDownload() == nullptr; }, 10000);
    }
    FilePanel::setResponder({});
    std::printf("new project, 20 MB / %d entries over loopback HTTP: median %.0f ms to the page opened, "
                "longest main-thread stall median %.1f ms wall, %.1f ms of the main thread's time\n",
                kEntries, median(totals), median(stalls), median(busy));

    // The stall a download unpacked on the main thread would cause.
    std::vector<double> unpacking;
    for (int run = 0; run < runs; ++run) {
        QTemporaryDir into;
        QElapsedTimer clock;
        clock.start();
        SSZipArchive::unzipFileAtPath(served + QStringLiteral("/sample.zip"), into.path());
        unpacking.push_back(clock.nsecsElapsed() / 1e6);
    }
    std::printf("unpacking the archive on the main thread: median %.0f ms\n", median(unpacking));

    serverThread.quit();
    serverThread.wait();
    return 0;
}
