#pragma once

#include "TestUtil.h"
#include "WebTestFixture.h"

#include "interfaces/PreviewDomTreeInterface.h"
#include "interfaces/ProjectDelegateInterface.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/web/dom/DOMMutationEvent.h"
#include "preview/ExWebView.h"
#include "preview/PreviewDelegate.h"
#include "toolkit/ProgressiveBox.h"
#include "toolkit/SearchFieldEx.h"
#include "workspace/File.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

// A site on the loopback server: files written into a folder of its own.
class Site
{
public:
    Site() : server(dir.path()) { EXPECT_TRUE(server.start()); }

    QString write(const QString &name, const QByteArray &content)
    {
        const QString path = dir.filePath(name);
        QDir().mkpath(QFileInfo(path).path());
        TestUtil::writeFile(path, content);
        return path;
    }
    QUrl fileUrl(const QString &name) const { return QUrl::fromLocalFile(dir.filePath(name)); }

    QTemporaryDir dir;
    LoopbackHttpServer server;
};

// Records what the preview hands to the DOM tree, and maps every node to itself.
class RecordingDomTree : public PreviewDomTreeInterface
{
public:
    void domNodeLists(DOMDocument *document) override { documents.append(document); }
    void domModified(const DOMMutationEvent &event) override { modified.append(event.type); }
    void domAttributeModified(DOMNode *node) override { attributes.append(node); }
    void clearDomNodeMap() override { ++cleared; }
    void dropDocument(const QString &reason) override { dropped.append(reason); }
    DOMNode *getPaticulerElement(DOMNode *node) override { return node; }
    void selectNode(DOMNode *node) override { selected.append(node); }
    void reloadSelectedRow() override { ++reloadedRows; }
    void setIndexFile(File *file) override { indexFile = file; }

    QList<DOMDocument *> documents;
    QStringList modified;
    QList<DOMNode *> attributes;
    QList<DOMNode *> selected;
    QStringList dropped;
    int cleared = 0;
    int reloadedRows = 0;
    QPointer<File> indexFile;
};

// The project controller as the preview sees it: one project (a folder) and
// a selected file, or none.
class FakeProjects : public ProjectDelegateInterface
{
public:
    std::unique_ptr<File> project;
    File *selected = nullptr;
    File *lastPreviewed = nullptr;
    bool modified = false;

    // Makes the folder the project.
    void open(const QString &folder) { project = std::make_unique<File>(folder, true, nullptr); }
    File *fileAt(const QString &path) const { return searchDirectory(path, projects()); }

    ExWebViewInterface *webview() override { return nullptr; }
    QWidget *finderView() override { return nullptr; }
    File *lastPreviewedFile() override { return lastPreviewed; }
    void setLastPreviewedFile(File *file) override { lastPreviewed = file; }
    void setIgnoreOpenFile(bool) override {}
    File *clickedFile() override { return nullptr; }
    File *selectedFile() override { return selected; }
    QList<File *> projects() const override { return project ? QList<File *>{project.get()} : QList<File *>(); }
    File *searchFileInProjects(const QString &path) const override { return project ? project->pathForFile(path) : nullptr; }
    // Down the path one folder at a time, reading the folders on the way.
    File *searchDirectory(const QString &path, const QList<File *> &nodes) const override
    {
        for (File *node : nodes) {
            if (node->path() == path)
                return node;
            if (path.startsWith(node->path() + QLatin1Char('/')) && !node->isLeaf()) {
                if (File *found = searchDirectory(path, node->children()))
                    return found;
            }
        }
        return nullptr;
    }
    bool hasModified() override { return modified; }
    int modifiedFileCount() override { return modified ? 1 : 0; }
    QStringList saveOnQuit() override { return {}; }
    void confirmDownloadTurtorialProject() override {}
    void reloadProjectConfigView() override {}
    void fileNameTextFieldDisable(bool) override {}
    void updateDetectLayer() override {}
    void clearDetectLayer() override {}
    void doSetPreviewWithLastIndex() override {}
    void detectLockDownHandler(QMouseEvent *) override {}
    void detectLockCommitHandler(QMouseEvent *) override {}
};

// A preview of its own, 800 by 600, with the address field, the progress
// box along it and the status label, a fake project controller and a
// recording DOM tree. The user defaults the preview keeps are cleared
// before and after.
class PreviewHarness
{
public:
    PreviewHarness()
    {
        clearDefaults();
        container.resize(800, 600);
        auto *layout = new QVBoxLayout(&container);
        layout->setContentsMargins(0, 0, 0, 0);
        container.show();
        preview.initWebView(&container);
        field.resize(300, 26);
        box = new ProgressiveBox(&field);
        box->setTextField(&field);
        preview.setSelectedURLPath(&field);
        preview.setProgressiveBox(box);
        preview.setLoadStatusTextField(&status);
        preview.setProjectDelegate(&projects);
        preview.setDomTreeDelegate(&tree);
        QObject::connect(&preview, &PreviewDelegate::loadCompleted, &preview, [this] { ++completions; });
        QObject::connect(&preview, &PreviewDelegate::loadFailed, &preview,
                         [this](const QString &message) { failures.append(message); });
    }
    ~PreviewHarness() { clearDefaults(); }

    static void clearDefaults()
    {
        UserDefaults &defaults = UserDefaults::standardUserDefaults();
        defaults.removeObjectForKey(QStringLiteral("lastURL"));
        defaults.removeObjectForKey(QStringLiteral("clearUndoAlert"));
        defaults.synchronize();
    }

    ExWebView &view() { return *preview.webview(); }

    // Loads the address and waits until the page is complete.
    bool load(const QUrl &url, int timeoutMs = 60000)
    {
        const int before = completions;
        preview.urlEnter(url.toString());
        return waitForCompletion(before, timeoutMs);
    }
    bool waitForCompletion(int before, int timeoutMs = 60000)
    {
        return TestUtil::waitUntil([&] { return completions > before; }, timeoutMs);
    }

    QWidget container;
    SearchFieldEx field;
    ProgressiveBox *box = nullptr; // Owned by the field.
    QLabel status;
    FakeProjects projects;
    RecordingDomTree tree;
    PreviewDelegate preview;
    int completions = 0;
    QStringList failures;
};
