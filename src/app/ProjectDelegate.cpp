// ProjectDelegate: set-up, loading the remembered projects, the project list
// and the lookups by path.

#include "ProjectDelegate.h"
#include "Shell_p.h"

#include "AppDelegate.h"
#include "EXWindow.h"
#include "FileArrayController.h"
#include "FileViewController.h"
#include "MainInterface.h"
#include "MainMenu.h"
#include "PanePlaceholder.h"

#include "interfaces/ExWebViewInterface.h"
#include "interfaces/PreviewHalfInterface.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/OperationQueue.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/kit/Alert.h"
#include "platform/kit/PathControl.h"
#include "platform/kit/SegmentedControl.h"
#include "platform/kit/SplitView.h"
#include "toolkit/OutlineViewEx.h"
#include "workspace/File.h"
#include "workspace/ProjectUtil.h"
#include "foundation/StringUtils.h"

#include <QCollator>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QtConcurrent/QtConcurrentRun>
#include <QMenu>
#include <QTimer>

#include <algorithm>

namespace {

using ShellPrivate::fileOf;

// How often the folders of unavailable projects are looked at again.
constexpr int kUnavailableCheckMs = 2000;

// The path a "rootPathes" entry keeps for its folder (the folder's own path
// stands where a bookmark would be kept).
QString resolveBookmark(const QVariant &bookmark)
{
    if (bookmark.typeId() == QMetaType::QByteArray)
        return QString::fromUtf8(bookmark.toByteArray());
    return bookmark.toString();
}

// Builds, on the loading thread, the children the tree will ask for first:
// those of the node and of every folder shown expanded, and one level below
// them (whether a row shows a disclosure mark depends on its children).
void prebuildChildren(File *node, const QSet<QString> &expanded)
{
    for (File *child : node->children()) {
        if (child->isLeaf())
            continue;
        if (expanded.contains(child->path()))
            prebuildChildren(child, expanded);
    }
}

} // namespace

// A project made ready on the loading thread, waiting for the main thread.
struct ProjectDelegate::LoadedProject
{
    QString key;
    QString resolvedPath;
    std::unique_ptr<File> root;
    // Why its folder could not be loaded; empty when it was.
    QString unavailable;
};

ProjectDelegate::ProjectDelegate(QObject *parent)
    : QObject(parent)
    , m_selectedDirectoryArray(new FileArrayController(this))
    , m_unavailableCheck(new QTimer(this))
    , m_loadQueue(std::make_unique<OperationQueue>(1))
    , m_bypassOperationQueue(std::make_unique<OperationQueue>(1))
{
    m_unavailableCheck->setInterval(kUnavailableCheckMs);
    connect(m_unavailableCheck, &QTimer::timeout, this, &ProjectDelegate::checkUnavailableProjects);
}

ProjectDelegate::~ProjectDelegate()
{
    // The queues' threads post to this object: they end before it does.
    m_loadQueue.reset();
    m_queue.reset();
    m_bypassOperationQueue.reset();
    NotificationCenter::defaultCenter().removeObserver(this);
    if (m_finderView)
        m_finderView->setDataSource(nullptr);
}

QWidget *ProjectDelegate::window() const
{
    return m_ui ? m_ui->window : nullptr;
}

// --- Set-up ----------------------------------------------------------------------------

void ProjectDelegate::awakeFromNib(MainInterface &ui)
{
    m_ui = &ui;
    if (!m_setUpDone) {
        m_setUpDone = true;
        setUpFinderView();
        registerNotifications();
        connectMenus();
        if (m_previewHalf)
            m_previewHalf->startJavascript();
    }
    if (m_loadGeneration == 0)
        resetFindView();
}

void ProjectDelegate::registerNotifications()
{
    NotificationCenter &center = NotificationCenter::defaultCenter();
    auto on = [this, &center](const char *name, std::function<void(const Notification &)> handler) {
        center.addObserver(this, QString::fromLatin1(name), nullptr, std::move(handler));
    };
    on("saveAndRefresh", [this](const Notification &) {
        if (m_previewHalf)
            m_previewHalf->refreshWebview();
    });
    on("webResourceGroupSelected", [this](const Notification &n) { setDirectoryArray(fileOf(n)); });
    on("refreshFileContent", [this](const Notification &n) { refreshFileContent(n); });
    on("fileContentChanged", [this](const Notification &n) { fileContentChanged(n); });
    on("saveFileContent", [this](const Notification &n) { saveFileContent(n); });
    on("NeedSaveAndRefresh", [this](const Notification &n) { needSaveAndRefresh(n); });
    on("refreshDirectory", [this](const Notification &n) { refreshDirectory(n); });
    on("deleteMissingFile", [this](const Notification &n) { deleteMissingFile(n); });
    on("didLoadedFromWeb", [this](const Notification &n) { didLoadedFromWeb(n); });
    on("resouceViewDidChanged", [this](const Notification &n) { resouceViewDidChanged(n); });
    on("directoryUpdated", [this](const Notification &n) { directoryUpdated(n); });
    on("openProjectConfig", [this](const Notification &) { openProjectConfig(); });
    on("resourceDownloadComplete", [this](const Notification &n) { resourceDownloadComplete(n); });
    on("ProjectWebMainURLWillChange", [this](const Notification &n) { removeBypass(n.objectAs<File>()); });
    on("ProjectWebMainURLDidChanged", [this](const Notification &n) { autoBypass(n.objectAs<File>()); });
    on("finderViewTextFieldTextDidEndEditing", [this](const Notification &n) { finderViewTextFieldTextDidEndEditing(n); });
    on("doRefreshProject", [this](const Notification &n) { doRefreshProject(n); });
    installOutsideChangeQuestion();
}

void ProjectDelegate::connectMenus()
{
    MainMenu *menu = m_ui ? m_ui->mainMenu : nullptr;
    if (!menu)
        return;
    // Every command of the File menu and the tree's context menu is
    // validated by validateMenuItem(); those of the other menus answer
    // enabled there.
    auto validate = [this](QAction *item) { return validateMenuItem(item); };
    auto on = [menu, &validate](const char *action, std::function<void()> call) {
        menu->setTarget(QString::fromLatin1(action), [call = std::move(call)](QAction *) { call(); }, validate);
    };
    on("createProjectSelected:", [this] { createProjectSelected(); });
    on("addProject:", [this] { addProject(); });
    on("removeProject:", [this] { removeProject(); });
    on("downloadTurtrialProject:", [this] { downloadTurtrialProject(); });
    on("createHtml:", [this] { createHtml(); });
    on("createCss:", [this] { createCss(); });
    on("createJs:", [this] { createJs(); });
    on("createDirectory:", [this] { createDirectory(); });
    on("openFile:", [this] { openFile(); });
    on("duplicateFile:", [this] { duplicateFile(); });
    on("unzipFile:", [this] { unzipFile(); });
    on("showInFinder:", [this] { showInFinder(); });
    on("runAsWebApp:", [this] { runAsWebApp(); });
    on("saveProjectAsTemplate:", [this] { saveProjectAsTemplate(); });
    on("showDeleteFileAlertFromMainMenu:", [this] { showDeleteFileAlertFromMainMenu(); });
    on("showDeleteFileAlert:", [this] { showDeleteFileAlert(); });
    on("saveFile:", [this] { saveFile(); });
    on("removeFile:", [this] { removeFile(); });
    on("showDOMNodeTree:", [this] { showDOMNodeTree(); });
    on("selectNode:", [this] { selectNode(); });

    if (m_ui->userTemplateMenu) {
        QMenu *templates = m_ui->userTemplateMenu;
        // Filled when the File menu opens: an empty submenu would not open.
        connect(menu->menuTitled(QStringLiteral("File")), &QMenu::aboutToShow, this,
                [this, templates] { menuWillOpen(templates); });
        menuWillOpen(templates);
    }
    if (m_ui->breadcramb) {
        PathControl *crumbs = m_ui->breadcramb;
        connect(crumbs, &PathControl::activated, this, [this, crumbs] { breadcrambAction(crumbs); });
    }
    if (m_ui->showSourceCodebtn) {
        SegmentedControl *control = m_ui->showSourceCodebtn;
        connect(control, &SegmentedControl::activated, this, [this, control] {
            if (control->isSelectedForSegment(1))
                doShowDOMNodeTree();
            else
                doHideDOMNodeTree();
        });
    }
    if (m_ui->centerBottomPane) {
        connect(m_ui->centerBottomPane, &QSplitter::splitterMoved, this, [this] { showDOMNodeTreeState(); });
        showDOMNodeTreeState();
    }
}

// --- Loading ----------------------------------------------------------------------------

void ProjectDelegate::doSetPreviewWithLastIndex()
{
    if (m_previewHalf)
        m_previewHalf->doSetPreviewWithLastIndex();
}

void ProjectDelegate::resetFindView()
{
    if (m_previewHalf && m_ui) {
        m_previewHalf->initWebView(m_ui->previewPane);
        m_previewHalf->doSetPreviewSize(0, false);
        if (ExWebViewInterface *preview = m_previewHalf->webview())
            preview->hideDetectLayer();
        m_previewHalf->activateResponsiveRuler(
            UserDefaults::standardUserDefaults().boolForKey(QStringLiteral("rulerActive")));
    }

    // A project whose folder is gone leaves the list, to come back from the
    // remembered ones as unavailable; the others stay as they are, with
    // their unsaved edits.
    std::vector<std::unique_ptr<File>> gone;
    for (File *root : projects()) {
        if (!QFileInfo(root->path()).isDir()) {
            QM_INFO(QStringLiteral("the folder of the project %1 is gone").arg(root->path()));
            root->removeWatcher();
            gone.push_back(takeProject(root));
        }
    }
    if (!gone.empty() && m_finderView)
        m_finderView->reloadData();
    gone.clear();

    startLoading(UserDefaults::standardUserDefaults().dictionaryForKey(QStringLiteral("rootPathes")));
}

void ProjectDelegate::startLoading(const QVariantMap &rootPathes)
{
    const quint64 generation = ++m_loadGeneration;
    m_loading = true;
    m_loadedCount = 0;
    UserDefaults &defaults = UserDefaults::standardUserDefaults();
    m_rememberedMainFilePath = defaults.stringForKey(QStringLiteral("lastSelectedMainFilePath"));
    m_expandedFilePaths.clear();
    for (const QVariant &path : defaults.arrayForKey(QStringLiteral("expandedFilePaths")))
        m_expandedFilePaths.append(path.toString());

    QStringList keys = rootPathes.keys();
    std::sort(keys.begin(), keys.end(),
              [](const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    QSet<QString> open;
    for (File *root : projects())
        open.insert(root->path());
    const QSet<QString> expanded(m_expandedFilePaths.cbegin(), m_expandedFilePaths.cend());

    m_loadQueue->cancelAllOperations();
    m_loadQueue->addOperationWithBlock([this, generation, keys, rootPathes, open, expanded](const Operation &operation) {
        QM_DEBUG(QStringLiteral("Start Load Projects"));
        for (const QString &key : keys) {
            if (operation.isCancelled())
                return;
            QM_DEBUG(QStringLiteral("project:%1").arg(key));
            if (open.contains(key))
                continue;
            auto loaded = std::make_shared<LoadedProject>();
            loaded->key = key;
            QString stored = resolveBookmark(rootPathes.value(key));
            if (stored.isEmpty())
                stored = key;
            loaded->unavailable = whyProjectUnavailable(stored);
            if (loaded->unavailable.isEmpty()) {
                const QString resolved = QFileInfo(stored).canonicalFilePath();
                QM_DEBUG(QStringLiteral("Project Directory Resolved. %1").arg(resolved));
                loaded->resolvedPath = resolved;
                if (!open.contains(resolved)) {
                    loaded->root = std::make_unique<File>(resolved, true, nullptr);
                    ProjectUtil::migrateProjectConfigToFile(resolved);
                    ProjectUtil::getProjectConfig(resolved);
                    prebuildChildren(loaded->root.get(), expanded);
                }
            } else {
                // The user removes a project, not the program: an unmounted
                // disk or a renamed folder may come back (#85).
                QM_INFO(QStringLiteral("the project %1 stays in the list without its folder: %2").arg(key, loaded->unavailable));
                loaded->resolvedPath = key;
                loaded->root = File::fileWithDirectory(key, true, nullptr);
            }
            QMetaObject::invokeMethod(
                this, [this, generation, loaded] { takeLoadedProject(generation, loaded); }, Qt::QueuedConnection);
        }
        QMetaObject::invokeMethod(this, [this, generation] { finishLoading(generation); }, Qt::QueuedConnection);
    });
}

void ProjectDelegate::takeLoadedProject(quint64 generation, std::shared_ptr<LoadedProject> loaded)
{
    // A project of a load that a newer one replaced is dropped.
    if (generation != m_loadGeneration)
        return;
    UserDefaults &defaults = UserDefaults::standardUserDefaults();
    QVariantMap rootPathes = defaults.dictionaryForKey(QStringLiteral("rootPathes"));
    if (loaded->resolvedPath.isEmpty()) {
        rootPathes.remove(loaded->key);
    } else {
        if (loaded->resolvedPath != loaded->key) {
            // Kept under the folder's own path from now on.
            rootPathes.remove(loaded->key);
            rootPathes.insert(loaded->resolvedPath, loaded->resolvedPath);
        }
        if (loaded->root && !isProjectPath(loaded->resolvedPath)) {
            File *root = appendProject(std::move(loaded->root));
            if (loaded->unavailable.isEmpty())
                ++m_loadedCount;
            else
                markUnavailable(root, loaded->unavailable);
        }
    }
    defaults.setObject(rootPathes, QStringLiteral("rootPathes"));
    defaults.synchronize();
}

void ProjectDelegate::finishLoading(quint64 generation)
{
    if (generation != m_loadGeneration)
        return;
    const bool launch = generation == 1;
    m_loading = false;
    if (m_projects.empty())
        saveURLToUserDefaults(QString(), QStringLiteral("lastURL"));
    if (m_finderView)
        m_finderView->reloadData();
    m_restoringExpansion = true;
    restoredExpanding(projects());
    m_restoringExpansion = false;
    QM_DEBUG(QStringLiteral("End Load Projects"));
    // The page comes back at launch; a later reload keeps what is shown.
    if (launch)
        restoreLastPage();
    Q_EMIT projectsLoaded();
}

void ProjectDelegate::restoreLastPage()
{
    const QString url = loadURLFromUserDefaultsForKey(QStringLiteral("lastURL"));
    bool shown = false;
    if (!url.isEmpty()) {
        for (File *project : projects()) {
            if (!url.startsWith(project->absolutePath()))
                continue;
            if (File *node = searchDirectoryByAbsolutePath(url, project->children())) {
                m_lastPreviewedFile = node;
                revealAndShow(node);
                shown = true;
            }
        }
        if (m_previewHalf) {
            m_previewHalf->setDownloadButtonsEnabled(false);
            m_previewHalf->setMainFrameURL(url);
        }
    }
    ProjectUtil::setCurrentProjectPath(m_lastPreviewedFile ? m_lastPreviewedFile->rootProject() : QString());
    // Without a page to show, the file last shown in the centre pane comes back.
    if (!shown)
        showRememberedMainFile();
    if (m_previewHalf)
        m_previewHalf->refreshWebview();
}

void ProjectDelegate::revealAndShow(File *node)
{
    selectNode(node);
    scrollLater();
    if (m_fileViewController)
        m_fileViewController->viewFile(node);
}

bool ProjectDelegate::showRememberedMainFile()
{
    if (m_rememberedMainFilePath.isEmpty())
        return false;
    for (File *project : projects()) {
        if (File *node = searchDirectory(m_rememberedMainFilePath, project->children())) {
            revealAndShow(node);
            return true;
        }
    }
    return false;
}

void ProjectDelegate::initContents()
{
    showRememberedMainFile();
    if (m_previewHalf)
        m_previewHalf->refreshWebview();
}

void ProjectDelegate::restoredExpanding(const QList<File *> &nodes)
{
    if (!m_finderView)
        return;
    // Thousands of folders may open: the rows are laid out once, at the end.
    m_finderView->layoutRowsLater();
    const QSet<QString> expanded(m_expandedFilePaths.cbegin(), m_expandedFilePaths.cend());
    std::function<void(const QList<File *> &)> restore = [&](const QList<File *> &level) {
        for (File *node : level) {
            if (!expanded.contains(node->path()))
                continue;
            m_finderView->expandItem(node);
            restore(node->children());
        }
    };
    restore(nodes);
}

// --- The project list ----------------------------------------------------------------------

QList<File *> ProjectDelegate::projects() const
{
    QList<File *> roots;
    roots.reserve(qsizetype(m_projects.size()));
    for (const std::unique_ptr<File> &root : m_projects)
        roots.append(root.get());
    return roots;
}

bool ProjectDelegate::projectsSortDescriptors(const File *a, const File *b)
{
    static QCollator collator = [] {
        QCollator made;
        made.setCaseSensitivity(Qt::CaseInsensitive);
        return made;
    }();
    return collator.compare(a->displayName(), b->displayName()) < 0;
}

File *ProjectDelegate::appendProject(std::unique_ptr<File> root)
{
    if (!root)
        return nullptr;
    File *node = root.get();
    const auto place = std::upper_bound(
        m_projects.begin(), m_projects.end(), node,
        [](const File *value, const std::unique_ptr<File> &element) { return projectsSortDescriptors(value, element.get()); });
    m_projects.insert(place, std::move(root));
    if (m_finderView)
        m_finderView->reloadData();
    return node;
}

std::unique_ptr<File> ProjectDelegate::takeProject(File *root)
{
    m_unavailableProjects.remove(root);
    for (auto it = m_projects.begin(); it != m_projects.end(); ++it) {
        if (it->get() == root) {
            std::unique_ptr<File> taken = std::move(*it);
            m_projects.erase(it);
            return taken;
        }
    }
    return nullptr;
}

QString ProjectDelegate::whyProjectUnavailable(const QString &path)
{
    const QFileInfo folder(path);
    if (std::optional<QString> why = File::whyUnreadable(path)) {
        (*why)[0] = why->at(0).toUpper();
        return *why + QLatin1Char('.');
    }
    if (folder.isDir())
        return {};
    if (folder.exists())
        return QStringLiteral("%1 is no folder.").arg(path);
    return QStringLiteral("The folder %1 is missing (a disk that is not mounted, or a folder renamed or moved).").arg(path);
}

void ProjectDelegate::markUnavailable(File *root, const QString &reason)
{
    m_unavailableProjects.insert(root, reason);
    if (!m_unavailableCheck->isActive())
        m_unavailableCheck->start();
    redrawTree();
}

void ProjectDelegate::checkUnavailableProjects()
{
    if (m_unavailableProjects.isEmpty()) {
        m_unavailableCheck->stop();
        return;
    }
    if (m_unavailableLook)
        return;
    // Looked at on a worker thread, as at launch: a folder on a network
    // volume that does not answer must not hold the window.
    QStringList paths;
    for (auto it = m_unavailableProjects.cbegin(); it != m_unavailableProjects.cend(); ++it)
        paths.append(it.key()->path());
    m_unavailableLook = new QFutureWatcher<QHash<QString, QString>>(this);
    connect(m_unavailableLook, &QFutureWatcherBase::finished, this, [this] {
        const QHash<QString, QString> reasons = m_unavailableLook->result();
        m_unavailableLook->deleteLater();
        m_unavailableLook = nullptr;
        takeUnavailableReasons(reasons);
    });
    m_unavailableLook->setFuture(QtConcurrent::run([paths] {
        QHash<QString, QString> reasons;
        for (const QString &path : paths)
            reasons.insert(path, whyProjectUnavailable(path));
        return reasons;
    }));
}

void ProjectDelegate::takeUnavailableReasons(const QHash<QString, QString> &reasons)
{
    for (File *root : projects()) {
        if (!m_unavailableProjects.contains(root) || !reasons.contains(root->path()))
            continue;
        const QString reason = reasons.value(root->path());
        if (!reason.isEmpty()) {
            if (reason != m_unavailableProjects.value(root))
                markUnavailable(root, reason);
            continue;
        }
        // The folder is back: the project loads as at launch, in place of
        // the row that stood for it.
        const QString key = root->path();
        const QString resolved = QFileInfo(key).canonicalFilePath();
        QM_INFO(QStringLiteral("the folder of the project %1 can be read again").arg(key));
        const bool wasSelected = m_selectedFile == root;
        // Kept until the tree no longer shows it.
        const std::unique_ptr<File> gone = takeProject(root);
        File *node = isProjectPath(resolved) ? nullptr : appendProject(std::make_unique<File>(resolved, true, nullptr));
        if (!node) {
            if (m_finderView)
                m_finderView->reloadData();
            continue;
        }
        ProjectUtil::migrateProjectConfigToFile(resolved);
        ProjectUtil::getProjectConfig(resolved);
        if (resolved != key) {
            removeProjectBookmark(key);
            addProjectBookmark(resolved);
        }
        restoredExpanding({node});
        if (wasSelected)
            selectNode(node);
    }
}

bool ProjectDelegate::isProjectPath(const QString &path) const
{
    return std::any_of(m_projects.begin(), m_projects.end(),
                       [&path](const std::unique_ptr<File> &root) { return root->path() == path; });
}

bool ProjectDelegate::saveModifiedFiles(const QList<File *> &files, QList<File *> *failed)
{
    File::runPendingWrites();
    bool saved = true;
    for (File *file : files) {
        if (!file->isLeaf() || !file->isModified())
            continue;
        if (file->save()) {
            file->setLastContentChangeReason(File::NoPendingChange);
        } else {
            saved = false;
            if (failed)
                failed->append(file);
        }
    }
    return saved;
}

QString ProjectDelegate::saveFailureLine(const File *file)
{
    return QStringLiteral("%1: %2").arg(file->displayName(), file->lastSaveError());
}

void ProjectDelegate::alertSaveFailures(const QList<File *> &files)
{
    if (files.isEmpty())
        return;
    if (files.size() == 1) {
        Alert::runSaveFailure(files.first()->displayName(), files.first()->lastSaveError(),
                              QStringLiteral("The changes are kept; the file stays marked as modified."), window());
        return;
    }
    QStringList names;
    QStringList lines;
    for (const File *file : files) {
        names.append(file->displayName());
        lines.append(saveFailureLine(file));
    }
    alertFailures(names, QStringLiteral("could not be saved"),
                  lines.join(QLatin1Char('\n'))
                      + QStringLiteral("\n\nThe changes are kept; the files stay marked as modified."));
}

void ProjectDelegate::alertFailures(const QStringList &names, const QString &what, const QString &informative)
{
    if (names.isEmpty())
        return;
    Alert alert;
    alert.setAlertStyle(Alert::Style::Critical);
    if (names.size() == 1)
        alert.setMessageText(QStringLiteral("\"%1\" %2.").arg(names.first(), what));
    else
        alert.setMessageText(
            QStringLiteral("%1 files %2: %3.").arg(names.size()).arg(what, names.join(QStringLiteral(", "))));
    alert.setInformativeText(informative);
    alert.addButtonWithTitle(QStringLiteral("OK"));
    alert.runModal(window());
}

bool ProjectDelegate::askToSaveProject(File *root)
{
    File::runPendingWrites();
    if (!root->isModified())
        return true;
    Alert alert;
    alert.setMessageText(
        QStringLiteral("Do you want to save the changes made to the files of \"%1\"?").arg(root->displayName()));
    alert.setInformativeText(QStringLiteral("Your changes will be lost if you remove the project without saving them."));
    alert.addButtonWithTitle(QStringLiteral("Save"));
    alert.addButtonWithTitle(QStringLiteral("Don't Save"));
    alert.addButtonWithTitle(QStringLiteral("Cancel"));
    switch (alert.runModal(window())) {
    case Alert::FirstButtonReturn: {
        QList<File *> failed;
        if (saveModifiedFiles(root->editedFiles(), &failed))
            return true;
        alertSaveFailures(failed);
        return false;
    }
    case Alert::SecondButtonReturn:
        return true;
    default:
        return false;
    }
}

void ProjectDelegate::removeProject()
{
    File *node = selectedItem();
    File *root = node ? (node->rootFile() ? node->rootFile() : node) : nullptr;
    if (root && isProjectPath(root->path()))
        forgetProject(root, true);
}

void ProjectDelegate::removeFile()
{
    File *node = actedOnFile();
    if (!node)
        return;
    if (node->isRoot() && isProjectPath(node->path()))
        forgetProject(node, true);
    else
        refreshFinderView(nullptr, false);
}

void ProjectDelegate::deleteMissingFile(const Notification &notification)
{
    // Handled at the next turn: the file is still in use by whoever found
    // it missing, and re-reading its folder destroys its node.
    QPointer<File> file = fileOf(notification);
    QTimer::singleShot(0, this, [this, file] {
        if (!file)
            return;
        // A project whose folder is gone stays remembered: it is shown as
        // unavailable until the user removes it (#85).
        if (File *parent = file->isRoot() ? nullptr : file->parentFile(); parent && parent->exists()) {
            // Only the folder that lost the file is read again.
            const TreeSelection kept = rememberSelection();
            parent->setUpChildren();
            updateDirectoryOfFile(parent, kept);
        }
        resetFindView();
    });
}

void ProjectDelegate::resourceDownloadComplete(const Notification &notification)
{
    const QString path = notification.userInfo.value(QStringLiteral("path")).toString();
    if (path.isEmpty())
        return;
    for (File *project : projects()) {
        if (StringUtils::isIncludeInPathFrom(path, project->path()))
            return;
    }
    auto root = std::make_unique<File>(path, true, nullptr);
    ProjectUtil::initImportedProjectConfig(path);
    File *node = appendProject(std::move(root));
    selectNode(node);
    if (m_finderView)
        m_finderView->expandItem(node);
    addProjectBookmark(path);
    scrollLater();
}

// --- Lookups ---------------------------------------------------------------------------------

File *ProjectDelegate::searchFileInProjects(const QString &path) const
{
    for (const std::unique_ptr<File> &root : m_projects) {
        if (File *node = root->pathForFile(path))
            return node;
    }
    return nullptr;
}

File *ProjectDelegate::nodeByComponents(File *top, const QString &path) const
{
    if (top->path() == path)
        return top;
    QString prefix = top->path();
    if (!prefix.endsWith(u'/'))
        prefix += u'/';
    if (!path.startsWith(prefix))
        return nullptr;
    // Down the path one folder at a time: only the folders on the way are read.
    File *node = top;
    const QStringList components = path.mid(prefix.size()).split(u'/', Qt::SkipEmptyParts);
    for (const QString &component : components) {
        QString wanted = node->path();
        if (!wanted.endsWith(u'/'))
            wanted += u'/';
        wanted += component;
        File *next = nullptr;
        for (File *child : node->children()) {
            if (child->path() == wanted) {
                next = child;
                break;
            }
        }
        if (!next)
            return nullptr;
        node = next;
    }
    return node->path() == path ? node : nullptr;
}

File *ProjectDelegate::searchDirectory(const QString &path, const QList<File *> &nodes) const
{
    if (path.isEmpty())
        return nullptr;
    // Paths below a node extend its path, so the pre-order walk's first hit
    // lies on the way down from the first node whose path leads there.
    for (File *node : nodes) {
        if (!node)
            continue;
        if (node->path().isEmpty()) {
            if (File *found = searchDirectory(path, node->children()))
                return found;
            continue;
        }
        if (File *found = nodeByComponents(node, path))
            return found;
    }
    return nullptr;
}

File *ProjectDelegate::searchDirectoryByAbsolutePath(const QString &url, const QList<File *> &nodes) const
{
    for (File *node : nodes) {
        if (!node)
            continue;
        const QString address = node->absolutePath();
        if (address == url)
            return node;
        if (!address.isEmpty() && url.startsWith(address)) {
            if (File *found = searchDirectoryByAbsolutePath(url, node->children()))
                return found;
        }
    }
    return nullptr;
}

File *ProjectDelegate::searchParentFile(const QString &path, File *node) const
{
    if (!node)
        return nullptr;
    File *found = searchDirectory(path, node->children());
    return found ? found->parentFile() : nullptr;
}

File *ProjectDelegate::getReloadedFile(const QString &path, const QList<File *> &nodes) const
{
    return searchDirectory(path, nodes);
}

void ProjectDelegate::searchFile(File *node, const QString &url, QList<File *> &found) const
{
    QElapsedTimer timer;
    timer.start();
    std::function<void(File *)> walk = [&](File *folder) {
        const QList<File *> children = folder->children();
        for (File *child : children) {
            if (child->absolutePath() == url) {
                found.append(child);
                return;
            }
            if (QFileInfo(child->path()).isDir())
                walk(child);
        }
    };
    if (node)
        walk(node);
    QM_DEBUG(QStringLiteral("searchFile:%1").arg(double(timer.nsecsElapsed()) / 1e9, 0, 'f', 6));
}

// --- Answers to the shell ------------------------------------------------------------------------

ExWebViewInterface *ProjectDelegate::webview()
{
    return m_previewHalf ? m_previewHalf->webview() : nullptr;
}

QWidget *ProjectDelegate::finderView()
{
    return m_finderView;
}

File *ProjectDelegate::selectedItem() const
{
    return m_finderView ? static_cast<File *>(m_finderView->itemAtRow(m_finderView->selectedRow())) : nullptr;
}

File *ProjectDelegate::actedOnFile()
{
    File *clicked = clickedFile();
    return clicked ? clicked : selectedItem();
}

File *ProjectDelegate::clickedFile()
{
    if (!m_finderView || m_finderView->clickedRow() < 0)
        return nullptr;
    return static_cast<File *>(m_finderView->itemAtRow(m_finderView->clickedRow()));
}

void ProjectDelegate::clearDetectLayer()
{
    if (m_previewHalf)
        m_previewHalf->clearDetectLayer();
}

void ProjectDelegate::updateDetectLayer()
{
    if (m_previewHalf)
        m_previewHalf->updateDetectLayer();
}

void ProjectDelegate::detectLockDownHandler(QMouseEvent *event)
{
    if (m_previewHalf)
        m_previewHalf->detectLockDownHandler(event);
}

void ProjectDelegate::detectLockCommitHandler(QMouseEvent *event)
{
    if (m_previewHalf)
        m_previewHalf->detectLockCommitHandler(event);
}

bool ProjectDelegate::hasModified()
{
    // Edits whose write-back waits for its turn are unsaved edits too.
    File::runPendingWrites();
    // A project reads as modified when a file below it does.
    return std::any_of(m_projects.begin(), m_projects.end(),
                       [](const std::unique_ptr<File> &root) { return root->isModified(); });
}

int ProjectDelegate::modifiedFileCount()
{
    File::runPendingWrites();
    int count = 0;
    for (File *root : projects()) {
        const QList<File *> edited = root->editedFiles();
        count += int(std::count_if(edited.begin(), edited.end(),
                                   [](File *file) { return file->isLeaf() && file->isModified(); }));
    }
    return count;
}

QStringList ProjectDelegate::saveOnQuit()
{
    File::runPendingWrites();
    QStringList failures;
    for (File *root : projects()) {
        QList<File *> failed;
        if (!saveModifiedFiles(root->editedFiles(), &failed)) {
            for (const File *file : std::as_const(failed)) {
                QM_ERROR(QStringLiteral("could not save %1 on quitting: %2").arg(file->path(), file->lastSaveError()));
                failures.append(saveFailureLine(file));
            }
        }
    }
    return failures;
}
