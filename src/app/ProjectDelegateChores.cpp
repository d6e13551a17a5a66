// ProjectDelegate: the smaller chores: the projects' bookmarks, the
// program's folders, the online check, the queue of substitution jobs,
// revealing a loaded resource's file, and the images of the project shown.

#include "ProjectDelegate.h"

#include "AppDelegate.h"
#include "FileViewController.h"
#include "MainInterface.h"

#include "interfaces/ExWebViewInterface.h"
#include "interfaces/PreviewHalfInterface.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/OperationQueue.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/kit/Alert.h"
#include "toolkit/OutlineViewEx.h"
#include "workspace/File.h"
#include "workspace/PathComponentCell.h"
#include "workspace/ProjectUtil.h"

#include <QDir>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>

namespace {

bool s_panelSheetShown = false;

const QString kRootPathes = QStringLiteral("rootPathes");

} // namespace

// --- Bookmarks --------------------------------------------------------------------------------

void ProjectDelegate::addProjectBookmark(const QString &path)
{
    UserDefaults &defaults = UserDefaults::standardUserDefaults();
    QVariantMap rootPathes = defaults.dictionaryForKey(kRootPathes);
    if (rootPathes.contains(path))
        return;
    // The folder's own path stands for its bookmark; a folder that is not
    // there cannot be remembered.
    if (path.isEmpty() || !QFileInfo(path).isDir())
        QM_DEBUG(QStringLiteral("no bookmark for %1: it is no folder").arg(path));
    else
        rootPathes.insert(path, path);
    defaults.setObject(rootPathes, kRootPathes);
    defaults.synchronize();
}

void ProjectDelegate::removeProjectBookmark(const QString &path)
{
    UserDefaults &defaults = UserDefaults::standardUserDefaults();
    QVariantMap rootPathes = defaults.dictionaryForKey(kRootPathes);
    if (!rootPathes.contains(path))
        return;
    rootPathes.remove(path);
    defaults.setObject(rootPathes, kRootPathes);
    defaults.synchronize();
}

// --- Folders ------------------------------------------------------------------------------------

QString ProjectDelegate::cachePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
}

QString ProjectDelegate::templatesPath()
{
    const QString cache = cachePath();
    const QString templates = cache.isEmpty() ? QString() : cache + QStringLiteral("/templates");
    if (!templates.isEmpty() && !QFileInfo::exists(templates)) {
        // The desktop makes no cache folder for a program: a first template
        // makes it too.
        if (!QDir().mkpath(templates))
            QM_INFO(QStringLiteral("cannot make the templates folder %1").arg(templates));
    }
    return templates;
}

QString ProjectDelegate::tempPath()
{
    return QDir::tempPath();
}

void ProjectDelegate::alertFailure(const QString &message)
{
    Alert::runAlertPanel(message, QString(), QStringLiteral("OK"));
}

bool ProjectDelegate::checkOnline(const QString &url)
{
    const QString scheme = QUrl(url).scheme();
    if (!scheme.startsWith(QLatin1String("http")) && !scheme.startsWith(QLatin1String("ftp")))
        return true;
    AppDelegate *app = AppDelegate::instance();
    if (!app || app->isInternetAvail())
        return true;
    QM_INFO(QStringLiteral("Network disconnected."));
    Alert::runAlertPanel(QStringLiteral("Network disconnected"), QString(), QStringLiteral("OK"));
    return false;
}

// --- Substitution jobs ---------------------------------------------------------------------------

void ProjectDelegate::queueBypass(File *file, bool remove)
{
    if (!file || !m_bypassOperationQueue)
        return;
    // A newer request for the same project replaces the queued one.
    for (const std::shared_ptr<Operation> &operation : m_bypassOperationQueue->operations()) {
        if (operation->subject() == file->path())
            operation->cancel();
    }
    if (!m_previewHalf)
        return;
    std::shared_ptr<Operation> job =
        remove ? m_previewHalf->removeBypassOperation(file) : m_previewHalf->autoBypassOperation(file);
    if (!job)
        return;
    job->setSubject(file->path());
    m_bypassOperationQueue->addOperation(std::move(job));
}

void ProjectDelegate::removeBypass(File *file)
{
    queueBypass(file, true);
}

void ProjectDelegate::autoBypass(File *file)
{
    queueBypass(file, false);
}

// --- Revealing a resource's file -------------------------------------------------------------------

void ProjectDelegate::resouceViewDidChanged(const Notification &notification)
{
    File *file = notification.userInfo.value(QStringLiteral("file")).value<File *>();
    if (!file || !m_finderView)
        return;
    File *found = nullptr;
    bool remote = false;
    if (file->isLocalFile()) {
        File *root = file->rootFile();
        found = searchDirectory(file->path(), root ? root->children() : projects());
    } else if (file->hasBypass()) {
        found = searchFileInProjects(file->bypassPath().toLocalFile());
        remote = true;
    }
    if (!found)
        return;
    const auto components = found->pathComponentArray();
    for (auto it = components.crbegin(); it != components.crend(); ++it) {
        if (File *step = (*it)->file())
            m_finderView->expandItem(step);
    }
    if (remote)
        m_isChangedByDirecotryUpdated = true;
    const int row = m_finderView->rowForItem(found);
    if (m_finderView->selectedRow() != row)
        selectNode(found);
    else
        contentChange(found);
    if (remote) {
        m_isChangedByDirecotryUpdated = false;
        scrollLater();
    }
}

void ProjectDelegate::scrollLater()
{
    QPointer<OutlineViewEx> tree = m_finderView;
    QTimer::singleShot(0, this, [tree] {
        if (tree && tree->selectedRow() >= 0)
            tree->scrollRowToVisible(tree->selectedRow());
    });
}

void ProjectDelegate::runAsWebApp()
{
    File *file = actedOnFile();
    if (!file)
        return;
    const QString address = file->webURLOfFile();
    if (!address.isEmpty() && m_previewHalf)
        m_previewHalf->urlEnter(address);
}

// --- Adding projects ------------------------------------------------------------------------------

bool ProjectDelegate::panelSheetShown()
{
    return s_panelSheetShown;
}

void ProjectDelegate::setPanelSheetShown(bool shown)
{
    s_panelSheetShown = shown;
}

// --- Images of the project shown ---------------------------------------------------------------------

void ProjectDelegate::getImage(const QList<File *> &nodes, QList<File *> &images)
{
    static const QMimeDatabase database;
    for (File *node : nodes) {
        const QString extension = QFileInfo(node->displayName()).suffix();
        if (!extension.isEmpty()) {
            const QList<QMimeType> types = database.mimeTypesForFileName(QStringLiteral("a.") + extension);
            if (!types.isEmpty() && types.first().name().startsWith(QLatin1String("image/")))
                images.append(node);
        }
        if (!node->isLeaf())
            getImage(node->children(), images);
    }
}

QList<File *> ProjectDelegate::getImages()
{
    QList<File *> images;
    ExWebViewInterface *preview = webview();
    const QString address = preview ? preview->mainFrameURL() : QString();
    File *root = nullptr;
    if (address.startsWith(QLatin1String("file"))) {
        root = m_lastPreviewedFile;
    } else {
        const QString path = ProjectUtil::projectPathWithURL(address);
        for (File *project : projects()) {
            if (!path.isEmpty() && project->path() == path)
                root = project;
        }
        if (!root)
            root = m_lastPreviewedFile;
    }
    if (root && root->rootFile())
        getImage(root->rootFile()->children(), images);
    return images;
}

// --- The last page --------------------------------------------------------------------------------------

QString ProjectDelegate::loadURLFromUserDefaultsForKey(const QString &key)
{
    return UserDefaults::standardUserDefaults().stringForKey(key);
}

void ProjectDelegate::saveURLToUserDefaults(const QString &url, const QString &key)
{
    UserDefaults &defaults = UserDefaults::standardUserDefaults();
    defaults.setObject(url, key);
    defaults.synchronize();
}
