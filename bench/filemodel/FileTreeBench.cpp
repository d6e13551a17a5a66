// Times the building of a project's File tree: a root over a generated
// project of 2,000 folders holding 20,000 files, every folder's children
// built, as opening a project and expanding its whole tree does.
//
//   filemodel_bench [ITERATIONS]

#include "workspace/File.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kTopFolders = 40;
constexpr int kSubFolders = 49; // per top folder: 40 + 40 * 49 = 2,000 folders
constexpr int kFilesPerFolder = 10; // 20,000 files

const char *const kNames[kFilesPerFolder] = {"index.html", "about.html", "site.css",  "theme.css", "app.js",
                                             "vendor.js",  "logo.png",   "photo.jpg", "notes.txt", "font.woff"};

bool writeFiles(const QString &folder)
{
    for (const char *name : kNames) {
        QFile file(folder + u'/' + QLatin1String(name));
        if (!file.open(QIODevice::WriteOnly) || file.write("body { color: red; }\n") < 0)
            return false;
    }
    return true;
}

bool makeProject(const QString &root)
{
    QDir dir(root);
    for (int top = 0; top < kTopFolders; ++top) {
        const QString topPath = root + QStringLiteral("/section-%1").arg(top);
        if (!dir.mkpath(topPath) || !writeFiles(topPath))
            return false;
        for (int sub = 0; sub < kSubFolders; ++sub) {
            const QString subPath = topPath + QStringLiteral("/part-%1").arg(sub);
            if (!dir.mkpath(subPath) || !writeFiles(subPath))
                return false;
        }
    }
    return dir.mkpath(root + QStringLiteral("/.git/objects"));
}

int countNodes(File *node, int &folders)
{
    int count = 0;
    for (File *child : node->children()) {
        ++count;
        if (!child->isLeaf()) {
            ++folders;
            count += countNodes(child, folders);
        }
    }
    return count;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int iterations = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;

    QTemporaryDir temp;
    if (!temp.isValid() || !makeProject(temp.path())) {
        std::fprintf(stderr, "cannot make the project folder\n");
        return 1;
    }

    std::vector<double> times;
    int nodes = 0;
    int folders = 0;
    for (int i = 0; i < iterations; ++i) {
        QElapsedTimer timer;
        timer.start();
        auto root = std::make_unique<File>(temp.path(), true, nullptr);
        folders = 0;
        nodes = countNodes(root.get(), folders);
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
        root.reset();
    }
    std::sort(times.begin(), times.end());
    std::printf("File tree of %d nodes (%d folders, %d files): min %.1f ms, median %.1f ms over %d runs\n",
                nodes, folders, nodes - folders, times.front(), times[times.size() / 2], iterations);
    return 0;
}
