#pragma once

// What the DOM tree benchmarks share: a project folder holding one page as
// the tree writes it (the page's File, the shared undo manager, the project
// made current, the page parsed into a mirror as the preview would show it),
// and how a figure is timed and printed.

#include "foundation/InspectUndoManager.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/html/HTMLParser.h"
#include "workspace/File.h"
#include "workspace/ProjectUtil.h"

#include "../BenchUtil.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

// Prints "RESULT <label> <median> <min>", in milliseconds.
inline void reportTimes(const char *label, const std::vector<double> &times)
{
    const double least = *std::min_element(times.begin(), times.end());
    std::printf("RESULT %s %.3f %.3f\n", label, median(times), least);
    std::fflush(stdout);
}

struct BenchSite
{
    BenchSite(const QString &folder, const QString &html)
    {
        QDir().mkpath(folder);
        QFile page(folder + QStringLiteral("/index.html"));
        if (!page.open(QIODevice::WriteOnly) || page.write(html.toUtf8()) < 0)
            return;
        page.close();
        File::setUndoManagerProvider([this] { return &undo; });
        root = std::make_unique<File>(folder, true, nullptr);
        file = root->children().value(0);
        ProjectUtil::setCurrentProjectPath(folder);
        document = HTMLParser::parseDocument(html);
    }
    ~BenchSite() { File::setUndoManagerProvider({}); }
    BenchSite(const BenchSite &) = delete;
    BenchSite &operator=(const BenchSite &) = delete;

    InspectUndoManager undo;
    std::unique_ptr<File> root;
    File *file = nullptr; // Not owned; a child of root.
    std::shared_ptr<DOMDocument> document;
};
