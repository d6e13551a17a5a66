#pragma once

// A project folder holding one page, as the DOM tree benchmarks write it:
// the page's File, the shared undo manager, the project made current, and
// the page parsed into a mirror as the preview would show it.

#include "foundation/InspectUndoManager.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/html/HTMLParser.h"
#include "workspace/File.h"
#include "workspace/ProjectUtil.h"

#include <QDir>
#include <QFile>

#include <memory>

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
