// ProjectDelegate: projects added from a folder, made new from the sample
// archive or a user template, or downloaded (the tutorial); the user
// templates; and the import that makes a folder a project.

#include "ProjectDelegate.h"

#include "AppDelegate.h"
#include "FileOperations.h"
#include "ProjectDownload.h"
#include "StagedFolder.h"

#include "platform/foundation/Bundle.h"
#include "platform/foundation/Log.h"
#include "platform/kit/Alert.h"
#include "platform/kit/FilePanel.h"
#include "toolkit/OutlineViewEx.h"
#include "workspace/File.h"
#include "workspace/ProjectUtil.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace {

QUrl s_downloadEndpoint;
int s_downloadTransferTimeout = ProjectDownload::kTransferTimeoutMs;

const QString kNewProjectMessage = QStringLiteral("Enter the project name and choose directory to save.");

// A folder path as projects are kept: symbolic links resolved, no trailing "/".
QString projectPath(const QString &path)
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(path) : canonical;
}

} // namespace

// --- Panels ---------------------------------------------------------------------------------

void ProjectDelegate::runProjectPanel(FilePanel &panel, std::function<void(const QStringList &paths)> action)
{
    if (AppDelegate *app = AppDelegate::instance())
        app->invisibleCSSInspector();
    setPanelSheetShown(true);
    QPointer<ProjectDelegate> self = this;
    panel.beginSheetModalForWindow(window(), [self, action = std::move(action)](int response, const QStringList &paths) {
        setPanelSheetShown(false);
        if (self && response == FilePanel::OKButton && !paths.isEmpty())
            action(paths);
        if (AppDelegate *shown = AppDelegate::instance())
            shown->visibleCSSInspector();
    });
}

// --- Adding a folder --------------------------------------------------------------------------

void ProjectDelegate::addProject()
{
    FilePanel panel(FilePanel::Kind::Open);
    panel.setMessage(QStringLiteral("Add Project"));
    panel.setCanChooseDirectories(true);
    panel.setCanChooseFiles(false);
    panel.setAllowsMultipleSelection(false);
    panel.setCanCreateDirectories(true);
    runProjectPanel(panel, [this](const QStringList &paths) {
        for (const QString &chosen : paths) {
            if (!isProjectPath(projectPath(chosen)))
                importProjectWithPath(chosen, true, false);
        }
    });
}

File *ProjectDelegate::importProjectWithPath(const QString &path, bool importConfig, bool open)
{
    const QString folder = projectPath(path);
    return importProjectWithPath(folder, importConfig, open,
                                 open ? FileOperations::firstItemNamed(folder, QStringLiteral("index.html")) : QString());
}

File *ProjectDelegate::importProjectWithPath(const QString &path, bool importConfig, bool open, const QString &page)
{
    const QString folder = projectPath(path);
    if (!QFileInfo(folder).isDir()) {
        QM_ERROR(QStringLiteral("cannot add %1 as a project: it is no folder").arg(path));
        return nullptr;
    }
    auto made = std::make_unique<File>(folder, true, nullptr);
    if (importConfig)
        ProjectUtil::initImportedProjectConfig(folder);
    else
        ProjectUtil::getProjectConfig(folder);
    File *root = appendProject(std::move(made));
    addProjectBookmark(folder);
    if (!m_finderView)
        return root;

    if (open) {
        // Only the folders on the way to the page are read into the tree.
        File *node = page.isEmpty() ? nullptr : searchDirectory(page, {root});
        if (node) {
            m_finderView->expandItem(root);
            openAllParent(node->parentFile());
            selectNode(node);
            doubleClick();
        }
        scrollLater();
        if (node)
            return root;
    }
    selectNode(root);
    m_finderView->expandItem(root);
    scrollLater();
    return root;
}

// --- New projects ------------------------------------------------------------------------------

void ProjectDelegate::createProjectSelected()
{
    FilePanel panel(FilePanel::Kind::Save);
    panel.setMessage(kNewProjectMessage);
    panel.setCanCreateDirectories(true);
    runProjectPanel(panel, [this](const QStringList &paths) { createNewProject(paths.first()); });
}

void ProjectDelegate::createNewProject(const QString &path)
{
    createProjectFromURL(downloadEndpoint().resolved(QUrl(QStringLiteral("sample.zip"))), path);
}

void ProjectDelegate::confirmDownloadTurtorialProject()
{
    FilePanel panel(FilePanel::Kind::Save);
    panel.setMessage(QStringLiteral("Download Tutorial Project. Please choose directory to download."));
    panel.setNameFieldStringValue(QStringLiteral("Tutorial"));
    panel.setCanCreateDirectories(true);
    runProjectPanel(panel, [this](const QStringList &paths) { doDownloadTurtorialProject(paths.first()); });
}

void ProjectDelegate::doDownloadTurtorialProject(const QString &path)
{
    createProjectFromURL(downloadEndpoint().resolved(QUrl(QStringLiteral("tutorial.zip"))), path);
}

QUrl ProjectDelegate::downloadEndpoint()
{
    if (s_downloadEndpoint.isValid())
        return s_downloadEndpoint;
    return QUrl::fromLocalFile(Bundle::resourcePath() + QStringLiteral("/download/"));
}

void ProjectDelegate::setDownloadEndpoint(const QUrl &url)
{
    s_downloadEndpoint = url;
}

int ProjectDelegate::downloadTransferTimeout()
{
    return s_downloadTransferTimeout;
}

void ProjectDelegate::setDownloadTransferTimeout(int milliseconds)
{
    s_downloadTransferTimeout = milliseconds;
}

void ProjectDelegate::createProjectFromURL(const QUrl &url, const QString &destination)
{
    // The progress sheet keeps a second download from starting meanwhile.
    if (m_download || !checkOnline(url.toString()))
        return;
    auto *download = new ProjectDownload(url, destination, window(), this);
    download->setTransferTimeout(downloadTransferTimeout());
    connect(download, &ProjectDownload::failed, this, [this] { m_download = nullptr; });
    connect(download, &ProjectDownload::succeeded, this, [this](const QString &folder, const QString &page) {
        m_download = nullptr;
        // A project whose folder was replaced leaves the list with it.
        for (File *root : projects()) {
            if (root->path() == projectPath(folder))
                forgetProject(root, false);
        }
        const QString root = projectPath(folder);
        importProjectWithPath(root, false, true, page.isEmpty() ? QString() : root + page.mid(folder.size()));
    });
    m_download = download;
    download->start();
}

void ProjectDelegate::createProjectFromPath(const QString &source, const QString &destination)
{
    const QFileInfo target(destination);
    StagedFolder staging(target.absolutePath(), target.fileName() + QStringLiteral("-copy"));
    Result<void> made = staging.isValid() ? staging.copyFrom(source) : Result<void>::failure(staging.errorString());
    if (made)
        made = staging.replace(target.absoluteFilePath());
    if (!made) {
        QM_ERROR(QStringLiteral("cannot make %1 from %2: %3").arg(destination, source, made.error()));
        alertFailure(made.error());
        return;
    }
    for (File *root : projects()) {
        if (root->path() == projectPath(destination))
            forgetProject(root, false);
    }
    importProjectWithPath(target.absoluteFilePath(), false, true);
}

// --- User templates ----------------------------------------------------------------------------

QStringList ProjectDelegate::getUserTemplates()
{
    const QString templates = templatesPath();
    if (templates.isEmpty())
        return {};
    return QDir(templates).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
}

void ProjectDelegate::createProjectWithUserTemplate(QAction *item)
{
    if (!item)
        return;
    const QString name = item->data().isValid() ? item->data().toString() : item->text();
    newProjectFromTemplate(templatesPath() + QLatin1Char('/') + name);
}

void ProjectDelegate::newProjectFromTemplate(const QString &templatePath)
{
    FilePanel panel(FilePanel::Kind::Save);
    panel.setMessage(kNewProjectMessage);
    panel.setCanCreateDirectories(true);
    runProjectPanel(panel, [this, templatePath](const QStringList &paths) {
        createProjectFromPath(templatePath, paths.first());
    });
}

void ProjectDelegate::saveProjectAsTemplate()
{
    File *node = actedOnFile();
    File *project = node ? (node->isRoot() ? node : node->rootFile()) : nullptr;
    if (!project)
        return;
    const QString templates = templatesPath();
    if (templates.isEmpty() || !QFileInfo(templates).isDir()) {
        alertFailure(QStringLiteral("There is no folder to keep templates in."));
        return;
    }
    const QString target = templates + QLatin1Char('/') + project->displayName();
    if (!FileOperations::itemExists(target)) {
        const Result<void> copied = FileOperations::copyItem(project->path(), target);
        if (!copied) {
            QM_ERROR(QStringLiteral("cannot save %1 as a template: %2").arg(project->path(), copied.error()));
            alertFailure(copied.error());
            return;
        }
    } else {
        Alert alert;
        alert.setMessageText(QStringLiteral("A template with the same name already exists."));
        alert.setInformativeText(QStringLiteral("Do you want to replace the existing template?"));
        alert.addButtonWithTitle(QStringLiteral("OK"));
        alert.addButtonWithTitle(QStringLiteral("Cancel"));
        if (alert.runModal(window()) != Alert::FirstButtonReturn)
            return;
        // The old template is put aside, and comes back when the copy fails;
        // it goes with the staging folder otherwise.
        StagedFolder aside(templates, QStringLiteral("replaced"));
        const QString old = aside.path() + QStringLiteral("/old");
        Result<void> copied = aside.isValid() ? FileOperations::renameItem(target, old)
                                              : Result<void>::failure(aside.errorString());
        if (copied)
            copied = FileOperations::copyItem(project->path(), target);
        if (!copied) {
            if (FileOperations::itemExists(old))
                FileOperations::renameItem(old, target);
            QM_ERROR(QStringLiteral("cannot replace the template %1: %2").arg(target, copied.error()));
            alertFailure(copied.error());
            return;
        }
    }
    QM_DEBUG(getUserTemplates().join(QStringLiteral(", ")));
}
