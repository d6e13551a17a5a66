// LoadedResourceDelegate: the outline, choosing and opening a resource, and
// keeping remote Files in step with their edits.

#include "LoadedResourceDelegate.h"

#include "ExWebView.h"
#include "LoadedResouceViewCell.h"
#include "PreviewDelegate.h"
#include "WebContentMap.h"
#include "WebFrameEx.h"

#include "interfaces/CSSOutlineDelegateInterface.h"
#include "interfaces/FileViewControllerInterface.h"
#include "interfaces/PreviewDomTreeInterface.h"
#include "interfaces/ProjectDelegateInterface.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/PathCell.h"
#include "platform/kit/PathControl.h"
#include "toolkit/OutlineViewEx.h"
#include "toolkit/RBLPopover.h"
#include "workspace/File.h"
#include "workspace/PathComponentCell.h"

#include <QFileInfo>
#include <QMenu>
#include <QVBoxLayout>

namespace {

using ResourceNode = LoadedResourceDelegate::ResourceNode;

ResourceNode *asNode(void *item)
{
    return static_cast<ResourceNode *>(item);
}

File *fileOfNotification(const Notification &notification)
{
    return notification.userInfo.value(QStringLiteral("file")).value<File *>();
}

// Depth-first over the nodes: the first the test accepts.
template<typename Test>
ResourceNode *findNode(const std::vector<std::unique_ptr<ResourceNode>> &nodes, const Test &test)
{
    for (const std::unique_ptr<ResourceNode> &node : nodes) {
        if (test(*node))
            return node.get();
        if (ResourceNode *found = findNode(node->children, test))
            return found;
    }
    return nullptr;
}

// Groups and frames nest this deep at most in the list.
constexpr int kMaxGroupDepth = 32;

} // namespace

LoadedResourceDelegate::LoadedResourceDelegate(QObject *parent) : QObject(parent), m_view(new QWidget)
{
    m_view->setObjectName(QStringLiteral("loadedResourceView"));
    auto *layout = new QVBoxLayout(m_view);
    layout->setContentsMargins(0, 0, 0, 0);
    m_resouceView = new OutlineViewEx(m_view);
    m_resouceView->setObjectName(QStringLiteral("resouceView"));
    m_resouceView->setFrameShape(QFrame::NoFrame);
    m_resouceView->setIndentationPerLevel(14);
    m_resouceView->setAllowsEmptySelection(true);
    m_resouceView->registerCell(QStringLiteral("LoadedResouceViewCell"), new LoadedResouceViewCell(m_resouceView));
    m_resouceView->setDataSource(this);
    layout->addWidget(m_resouceView);

    OutlineDelegate delegate;
    delegate.cellIdentifierForTableColumn = [](OutlineView *, int, void *) {
        return QStringLiteral("LoadedResouceViewCell");
    };
    delegate.selectionDidChange = [this](OutlineView *) { outlineViewSelectionDidChange(); };
    // The list takes the arrows as any outline does; Return opens the row.
    delegate.keyDown = [](QKeyEvent *) {};
    delegate.tableDidRecieveEnterKey = [this](OutlineView *) { doubleClick(); };
    delegate.saveOutlineview = [this](QObject *) { saveOutlineview(); };
    m_resouceView->setDelegate(std::move(delegate));
    connect(m_resouceView, &TableViewBase::rowDoubleClicked, this, &LoadedResourceDelegate::doubleClick);
    makeMenu();

    NotificationCenter &center = NotificationCenter::defaultCenter();
    for (const char *name : {"shownDomTreeView", "pageReloaded"})
        center.addObserver(this, QString::fromLatin1(name), nullptr, [this](const Notification &) { shownDomTreeView(); });
    center.addObserver(this, QStringLiteral("finderViewDidChanged"), nullptr,
                       [this](const Notification &n) { finderViewDidChanged(n); });
    center.addObserver(this, QStringLiteral("refreshFileContent"), nullptr,
                       [this](const Notification &n) { refreshFileContent(n); });
    center.addObserver(this, QStringLiteral("fileSavedByCommandS"), nullptr,
                       [this](const Notification &n) { fileSavedByCommandS(n); });
}

LoadedResourceDelegate::~LoadedResourceDelegate()
{
    NotificationCenter::defaultCenter().removeObserver(this);
    // The window may keep the outline a little longer: it calls back no more.
    if (m_resouceView) {
        m_resouceView->setDelegate({});
        m_resouceView->setDataSource(nullptr);
    }
    // The panel goes with the controller unless the window took it.
    if (m_view && !m_view->parent())
        delete m_view.data();
}

ExWebView *LoadedResourceDelegate::webview() const
{
    return m_webview.data();
}

void LoadedResourceDelegate::setWebview(ExWebView *webview)
{
    m_webview = webview;
}

PreviewDomTreeInterface *LoadedResourceDelegate::domTreeDelegate() const
{
    if (m_domTreeDelegate)
        return m_domTreeDelegate;
    return m_preview ? m_preview->domTreeDelegate() : nullptr;
}

CSSOutlineDelegateInterface *LoadedResourceDelegate::cssOutlineDelegate() const
{
    if (m_cssOutlineDelegate)
        return m_cssOutlineDelegate;
    return m_preview ? m_preview->cssOutlineDelegate() : nullptr;
}

void LoadedResourceDelegate::setBreadcramb(PathControl *control)
{
    m_breadcramb = control;
}

// --- The outline -------------------------------------------------------------------------------

void LoadedResourceDelegate::setResources(const QList<File *> &roots)
{
    m_resources.clear();
    for (const QMetaObject::Connection &watch : std::as_const(m_modifiedWatches))
        disconnect(watch);
    m_modifiedWatches.clear();
    std::vector<std::unique_ptr<ResourceNode>> nodes;
    for (File *root : roots) {
        m_resources.append(root);
        auto node = std::make_unique<ResourceNode>();
        node->file = root;
        buildNodes(*node, 0);
        nodes.push_back(std::move(node));
    }
    // The view forgets the old rows before they go.
    std::swap(m_roots, nodes);
    m_resouceView->reloadData();
}

void LoadedResourceDelegate::buildNodes(ResourceNode &node, int depth)
{
    // A save or an edit shows in the row's modified mark at once, the
    // project's File of a local resource included.
    if (File *file = node.file.data()) {
        for (File *watched : {file, projectFileOf(file)}) {
            if (watched)
                m_modifiedWatches.append(connect(watched, &File::modifiedChanged, this, [this, file] { redrawFile(file); }));
        }
    }
    if (!node.file || !node.file->isResourceGroup() || depth >= kMaxGroupDepth)
        return;
    for (File *child : node.file->tempChildren()) {
        auto item = std::make_unique<ResourceNode>();
        item->file = child;
        item->parent = &node;
        buildNodes(*item, depth + 1);
        node.children.push_back(std::move(item));
    }
}

QList<File *> LoadedResourceDelegate::resources() const
{
    QList<File *> files;
    for (const QPointer<File> &file : m_resources) {
        if (file)
            files.append(file.data());
    }
    return files;
}

int LoadedResourceDelegate::numberOfChildrenOfItem(OutlineView *, void *item)
{
    return item ? int(asNode(item)->children.size()) : int(m_roots.size());
}

void *LoadedResourceDelegate::childOfItem(OutlineView *, int index, void *item)
{
    const auto &children = item ? asNode(item)->children : m_roots;
    return index >= 0 && index < int(children.size()) ? children[size_t(index)].get() : nullptr;
}

bool LoadedResourceDelegate::isItemExpandable(OutlineView *, void *item)
{
    return !item || !asNode(item)->children.empty();
}

QVariant LoadedResourceDelegate::objectValueForTableColumn(OutlineView *, int, void *item, int role)
{
    File *file = item ? asNode(item)->file.data() : nullptr;
    if (!file)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return file->displayName();
    case Qt::DecorationRole:
        return file->icon();
    case Qt::ToolTipRole:
        return file->isLocalFile() ? file->path() : file->absolutePath();
    case NameDetailCell::DetailRole:
        return folderOf(file);
    case LoadedResouceViewCell::ModifiedRole: {
        if (file->isResourceGroup())
            return false;
        File *project = projectFileOf(file);
        return file->isModified() || (project && project->isModified());
    }
    default:
        return {};
    }
}

QString LoadedResourceDelegate::folderOf(File *file) const
{
    if (file->isResourceGroup() || file->path().isEmpty())
        return {};
    // A project's file by its folders in the project, another by its whole
    // folder; a web address by its host and folders.
    if (!file->isLocalFile()) {
        const QUrl address(file->absolutePath());
        const QString folder = QFileInfo(address.path()).path();
        return address.host() + (folder == QLatin1String("/") || folder == QLatin1String(".") ? QString() : folder);
    }
    const File *project = m_projectDelegate ? m_projectDelegate->searchFileInProjects(file->path()) : nullptr;
    QString folder = QFileInfo(project ? project->relativePathFromRoot() : file->path()).path();
    if (project && folder.startsWith(QLatin1Char('/')))
        folder.remove(0, 1);
    return folder == QLatin1String(".") ? QString() : folder;
}

File *LoadedResourceDelegate::projectFileOf(File *file) const
{
    if (!file || !file->isLocalFile() || file->isResourceGroup() || !m_projectDelegate)
        return nullptr;
    File *project = m_projectDelegate->searchFileInProjects(file->path());
    return project != file ? project : nullptr;
}

File *LoadedResourceDelegate::fileAtRow(int row) const
{
    auto *node = asNode(m_resouceView->itemAtRow(row));
    return node ? node->file.data() : nullptr;
}

int LoadedResourceDelegate::rowOfFile(File *file) const
{
    ResourceNode *node = searchNode(file);
    return node ? m_resouceView->rowForItem(node) : -1;
}

File *LoadedResourceDelegate::selectedTreeToFile() const
{
    return fileAtRow(m_resouceView->selectedRow());
}

File *LoadedResourceDelegate::firstTreeToFile() const
{
    return fileAtRow(0);
}

File *LoadedResourceDelegate::getSelectedFile() const
{
    const int clicked = m_resouceView->clickedRow();
    return fileAtRow(clicked >= 0 ? clicked : m_resouceView->selectedRow());
}

LoadedResourceDelegate::ResourceNode *LoadedResourceDelegate::searchNode(File *file) const
{
    if (!file)
        return nullptr;
    const QString path = file->path();
    return findNode(m_roots, [file, &path](const ResourceNode &node) {
        return node.file && (node.file == file || node.file->path() == path);
    });
}

LoadedResourceDelegate::ResourceNode *LoadedResourceDelegate::searchNodeByName(File *file) const
{
    if (!file)
        return nullptr;
    Remembered wanted{file->path(), file->originalDisplayName(), file->displayName(), file->isLocalFile()};
    const auto matches = [](const Remembered &wanted, const ResourceNode &node, bool byOriginal) {
        if (!node.file)
            return false;
        if (wanted.isLocal)
            return node.file->isLocalFile() && node.file->path() == wanted.path;
        return byOriginal ? !wanted.originalDisplayName.isEmpty()
                                && node.file->originalDisplayName() == wanted.originalDisplayName
                          : node.file->displayName() == wanted.displayName;
    };
    if (ResourceNode *found = findNode(m_roots, [&](const ResourceNode &node) { return matches(wanted, node, true); }))
        return found;
    return findNode(m_roots, [&](const ResourceNode &node) { return matches(wanted, node, false); });
}

void LoadedResourceDelegate::expandItem()
{
    if (m_roots.empty())
        return;
    m_breadcrumbBaseFile = m_roots.front()->file;
    m_resouceView->layoutRowsLater();
    for (const std::unique_ptr<ResourceNode> &root : m_roots)
        m_resouceView->expandItem(root.get(), true);
    m_restoringSelection = true;
    m_resouceView->selectRowIndexes({0}, false);
    // The resource opened last, by its name: the page loaded again has new Files.
    ResourceNode *found = nullptr;
    if (m_selection) {
        found = searchNodeByName(m_selection);
    } else if (m_remembered) {
        const Remembered wanted = *m_remembered;
        found = findNode(m_roots, [&wanted](const ResourceNode &node) {
            if (!node.file)
                return false;
            if (wanted.isLocal)
                return node.file->isLocalFile() && node.file->path() == wanted.path;
            return node.file->path() == wanted.path || node.file->displayName() == wanted.displayName;
        });
    }
    if (found) {
        const int row = m_resouceView->rowForItem(found);
        if (row >= 0) {
            m_resouceView->selectRowIndexes({row}, false);
            m_resouceView->scrollRowToVisible(row);
        }
    }
    m_restoringSelection = false;
    // The page was loaded again: the resource is open in its new File, as
    // the old one goes with the page before.
    if (found && found->file && found->file != m_selection)
        contentChange(found->file, false);
}

// --- Choosing and opening ----------------------------------------------------------------------------

void LoadedResourceDelegate::outlineViewSelectionDidChange()
{
    File *file = selectedTreeToFile();
    if (!file)
        return;
    const QString address = m_webview ? m_webview->mainFrameURL() : QString();
    const bool remotePage = address.contains(QLatin1String("http://")) || address.contains(QLatin1String("https://"))
        || address.contains(QLatin1String("ftp://"));
    if (PreviewDomTreeInterface *tree = domTreeDelegate()) {
        if (remotePage)
            tree->setSelectedResourceFile(nullptr);
        const QString extension = QFileInfo(QUrl(file->absolutePath()).path()).suffix();
        if (extension == u"html" || extension == u"htm" || file->fileType() == File::HTML)
            tree->setSelectedResourceFile(file);
    }
    if (CSSOutlineDelegateInterface *rules = cssOutlineDelegate())
        rules->setSelectedResourceFile(file);
    if (m_restoringSelection) {
        setBreadCrambWithFile(m_fileViewController ? m_fileViewController->mainFile() : nullptr);
        return;
    }
    contentChange(file, true);
}

void LoadedResourceDelegate::doubleClick()
{
    contentChange(selectedTreeToFile(), true);
}

void LoadedResourceDelegate::contentChange(File *file, bool open)
{
    if (!file)
        return;
    QPointer<File> guard(file);
    setBreadCrambWithFile(file);
    if (file->isWebframeFile()) {
        // A local page is edited in its project's file; one whose file is
        // not there (a load that failed) has only its own empty text.
        if ((!file->isLocalFile() || !file->exists()) && m_fileViewController) {
            if (open)
                m_fileViewController->viewFile(file);
            else
                m_fileViewController->viewFileWithNoOpen(file);
        }
        if (!guard)
            return;
        // The inspectors show the frame's document when the user chose it; a
        // choice found again after a load leaves them on the page's own.
        const auto frame = std::dynamic_pointer_cast<WebFrameEx>(file->webframe());
        if (open && frame && m_preview)
            m_preview->showFrameDocument(frame.get());
    } else if (!file->isLocalFile() && m_fileViewController) {
        m_fileViewController->viewFile(file);
    }
    if (!guard)
        return;
    m_selection = file;
    m_remembered = Remembered{file->path(), file->originalDisplayName(), file->displayName(), file->isLocalFile()};
    NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("resouceViewDidChanged"), this,
                                                             {{QStringLiteral("file"), QVariant::fromValue(file)}});
}

void LoadedResourceDelegate::setBreadCrambWithFile(File *file)
{
    if (!m_breadcramb || !file)
        return;
    QList<std::shared_ptr<PathComponentCell>> components = file->pathComponentArray();
    if (components.isEmpty() && m_breadcrumbBaseFile && m_breadcrumbBaseFile->rootFile()) {
        if (File *project = m_breadcrumbBaseFile->rootFile()->pathForFile(file->path()))
            components = project->pathComponentArray();
    }
    std::vector<std::shared_ptr<PathCell>> cells;
    for (auto it = components.crbegin(); it != components.crend(); ++it)
        cells.push_back(*it);
    m_breadcramb->setPathComponentCells(std::move(cells));
}

void LoadedResourceDelegate::saveOutlineview()
{
    NotificationCenter &center = NotificationCenter::defaultCenter();
    center.postNotificationName(QStringLiteral("cssHasSavedByCommand"), this);
    center.postNotificationName(QStringLiteral("htmlHasSavedByCommand"), this);
}

// --- Keeping remote Files in step -----------------------------------------------------------------------

void LoadedResourceDelegate::redrawFile(File *file)
{
    if (ResourceNode *node = searchNode(file))
        m_resouceView->reloadItem(node);
}

void LoadedResourceDelegate::refreshFileContent(const Notification &notification)
{
    File *file = fileOfNotification(notification);
    if (!file || file->isLocalFile())
        return;
    // The list's File of that resource takes the text (an open code view
    // follows it through the File's own "reloadContent").
    ResourceNode *node = searchNode(file);
    if (!node)
        return;
    if (node->file && node->file != file && node->file->content() != file->content())
        node->file->setContent(file->content());
    m_resouceView->reloadItem(node);
}

void LoadedResourceDelegate::fileSavedByCommandS(const Notification &notification)
{
    // The code view that saved is the one of the file shown.
    File *file = m_fileViewController ? m_fileViewController->mainFile() : nullptr;
    if (!file || file->isLocalFile() || (notification.object && notification.object != file->textView()))
        return;
    ResourceNode *node = searchNode(file);
    if (!node || !node->file)
        return;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    node->file->setOpenDate(now);
    node->file->setModDate(now);
    m_resouceView->reloadItem(node);
}

void LoadedResourceDelegate::finderViewDidChanged(const Notification &notification)
{
    ResourceNode *node = searchNode(fileOfNotification(notification));
    const int row = node ? m_resouceView->rowForItem(node) : -1;
    if (row >= 0 && !m_resouceView->isRowSelected(row))
        m_resouceView->selectRowIndexes({row}, false);
}

void LoadedResourceDelegate::shownDomTreeView()
{
    if (m_resouceView->numberOfRows() > 0 && !m_resouceView->isRowSelected(0))
        m_resouceView->selectRowIndexes({0}, true);
}
