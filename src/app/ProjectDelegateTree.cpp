// ProjectDelegate: the file tree (finderView): its rows, selection and
// double click, renaming allowed or not, the expansion state, and the
// refreshes after folders changed on disk.

#include "ProjectDelegate.h"
#include "Shell_p.h"

#include "AppDelegate.h"
#include "FileArrayController.h"
#include "FileViewController.h"
#include "MainInterface.h"
#include "MainMenu.h"
#include "PanePlaceholder.h"
#include "RollbackDelegate.h"

#include "app/views/FileRowCell.h"
#include "app/views/FinderViewFileHeaderCell.h"
#include "app/views/FinderViewProjectHeaderCell.h"
#include "interfaces/CSSOutlineDelegateInterface.h"
#include "interfaces/DomTreeDelegateInterface.h"
#include "interfaces/ExWebViewInterface.h"
#include "interfaces/PreviewHalfInterface.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/kit/KeyCodes.h"
#include "platform/kit/PathControl.h"
#include "platform/kit/SegmentedControl.h"
#include "toolkit/FinderViewTextField.h"
#include "toolkit/OutlineViewEx.h"
#include "workspace/File.h"
#include "workspace/PathComponentCell.h"
#include "workspace/SCEvent.h"

#include <QApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QScrollBar>
#include <QStackedWidget>

namespace {

constexpr double kProjectRowHeight = 21.0;
constexpr double kFileRowHeight = 17.0;

using ShellPrivate::fileOf;
using ShellPrivate::asFile;

} // namespace

void ProjectDelegate::setUpFinderView()
{
    auto *tree = new OutlineViewEx;
    tree->setObjectName(QStringLiteral("finderView"));
    tree->setFrameShape(QFrame::NoFrame);
    tree->setAllowsMultipleSelection(true);
    tree->setIndentationPerLevel(14);
    tree->setDataSource(this);
    for (const char *identifier : {"RootItemCell", "ItemCell"}) {
        auto *cell = new FileRowCell(tree);
        cell->setProjectDelegate(this);
        tree->registerCell(QString::fromLatin1(identifier), cell);
    }
    tree->registerForDraggedTypes({QStringLiteral("text/uri-list"), QStringLiteral("InnerPackDragMove"),
                                   QStringLiteral("InnerFileDragMove")});
    tree->setDraggingSourceOperationMask(Qt::MoveAction);

    OutlineDelegate delegate;
    delegate.cellIdentifierForTableColumn = [](OutlineView *, int, void *item) {
        return asFile(item)->isRoot() ? QStringLiteral("RootItemCell") : QStringLiteral("ItemCell");
    };
    delegate.rowViewForItem = [](OutlineView *, void *item) -> RowView * {
        if (asFile(item)->isRoot())
            return new FinderViewProjectHeaderCell;
        return new FinderViewFileHeaderCell;
    };
    delegate.heightOfRowByItem = [](OutlineView *, void *item) {
        return asFile(item)->isRoot() ? kProjectRowHeight : kFileRowHeight;
    };
    delegate.selectionDidChange = [this](OutlineView *) {
        if (!m_selectionSuppressed)
            outlineViewSelectionDidChange();
    };
    delegate.itemDidExpand = [this](OutlineView *, void *) {
        if (!m_restoringExpansion)
            saveExpansionState();
    };
    delegate.itemDidCollapse = [this](OutlineView *, void *) { saveExpansionState(); };
    delegate.keyDown = [this](QKeyEvent *event) { keyDown(event); };
    delegate.delete_ = [this](QObject *) { delete_(); };
    delegate.saveOutlineview = [this](QObject *sender) { saveOutlineview(sender); };
    // A name is edited in place unless renaming is refused for now; a
    // project's folder is renamed outside the program.
    delegate.shouldEditTableColumn = [this](OutlineView *, int, void *item) {
        File *file = asFile(item);
        return !m_renameRefused && !file->isRoot() && file->isLocalFile();
    };
    tree->setDelegate(std::move(delegate));
    if (m_ui && m_ui->fileMenu)
        tree->setMenu(m_ui->fileMenu);

    connect(tree, &TableViewBase::rowClicked, this, [this] { singleClick(); });
    connect(tree, &TableViewBase::rowDoubleClicked, this, [this] { doubleClick(); });
    m_finderView = tree;
    if (m_ui && m_ui->fileTreePane)
        m_ui->fileTreePane->setContentView(tree);
}

// --- Data source ------------------------------------------------------------------------------

int ProjectDelegate::numberOfChildrenOfItem(OutlineView *, void *item)
{
    if (!item)
        return int(m_projects.size());
    return asFile(item)->numberOfChildren();
}

void *ProjectDelegate::childOfItem(OutlineView *, int index, void *item)
{
    if (!item)
        return index >= 0 && index < int(m_projects.size()) ? m_projects[size_t(index)].get() : nullptr;
    const QList<File *> children = asFile(item)->children();
    return index >= 0 && index < children.size() ? children[index] : nullptr;
}

bool ProjectDelegate::isItemExpandable(OutlineView *, void *item)
{
    if (!item)
        return true;
    return !asFile(item)->children().isEmpty();
}

QVariant ProjectDelegate::objectValueForTableColumn(OutlineView *, int, void *item, int role)
{
    if (!item)
        return {};
    File *file = asFile(item);
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return file->displayName();
    case Qt::DecorationRole:
        return file->icon();
    case Qt::ToolTipRole:
        if (const QString reason = unavailableReason(file); !reason.isEmpty())
            return reason + QStringLiteral("\nThe project comes back by itself once its folder can be read; Remove "
                                           "Project takes it off the list.");
        if (!file->folderProblem().isEmpty())
            return QStringLiteral("%1 (the folder cannot be read: %2)").arg(file->path(), file->folderProblem());
        if (file->isMissingOnDisk()) {
            if (const std::optional<QString> why = File::whyUnreadable(file->path()))
                return QStringLiteral("%1 (%2)").arg(file->path(), *why);
            return QStringLiteral("%1 (deleted by another program; save it to write it again)").arg(file->path());
        }
        return file->path();
    case Qt::ForegroundRole:
        // A project without its folder, and a folder that cannot be read,
        // are greyed (#85).
        if (m_finderView && (!file->folderProblem().isEmpty() || !unavailableReason(file).isEmpty()))
            return m_finderView->palette().brush(QPalette::Disabled, QPalette::Text);
        return {};
    case Qt::FontRole:
        if (file->isRoot() || file->isMissingOnDisk()) {
            QFont font = m_finderView ? m_finderView->font() : QFont();
            font.setBold(file->isRoot());
            // Kept for its unsaved edits, gone from disk.
            font.setStrikeOut(file->isMissingOnDisk());
            return font;
        }
        return {};
    default:
        return {};
    }
}

// --- Selection --------------------------------------------------------------------------------

void ProjectDelegate::selectNode(File *node)
{
    if (!node || !m_finderView)
        return;
    const int row = m_finderView->rowForItem(node);
    if (row >= 0)
        m_finderView->selectRowIndexes({row}, false);
}

void ProjectDelegate::outlineViewSelectionDidChange()
{
    // Showing the node may drop it (a file gone from disk): hold it guarded.
    QPointer<File> item = selectedItem();
    // A selection a folder refresh put back does not open its file again.
    if (!m_isChangedByDirecotryUpdated || (item && item->isRoot()))
        contentChange(item);
    fileNameTextFieldDisable(false);
    if (m_rollbackDelegate)
        m_rollbackDelegate->intputFile(item);
    m_isChangedByDirecotryUpdated = false;
    // The keys of the File menu's commands follow the new selection.
    if (m_ui && m_ui->mainMenu)
        m_ui->mainMenu->validateAll();
}

void ProjectDelegate::setBreadcrumbs(File *node)
{
    if (m_fileViewController && m_fileViewController->breadcramb()) {
        std::vector<std::shared_ptr<PathCell>> cells;
        if (node) {
            const auto components = node->pathComponentArray();
            for (auto it = components.crbegin(); it != components.crend(); ++it)
                cells.push_back(*it);
        }
        m_fileViewController->breadcramb()->setPathComponentCells(std::move(cells));
    }
    AppDelegate *app = AppDelegate::instance();
    if (DomTreeDelegateInterface *domTree = app ? app->domTreeController() : nullptr) {
        if (PathControl *crumbs = domTree->dombreadcramb())
            crumbs->setPathComponentCells({});
    }
}

void ProjectDelegate::contentChange(File *node)
{
    if (!node) {
        m_selectedFile = nullptr;
        return;
    }
    m_selectedFile = node;
    setDirectoryArray(node);
    setBreadcrumbs(node);
    if (ExWebViewInterface *preview = webview())
        preview->hideDetectLayer();
    // A project without its folder has nothing to show (and is never
    // offered for removal as a file gone).
    if (m_fileViewController && !m_unavailableProjects.contains(node)) {
        if (m_ignoreOpenFile)
            m_fileViewController->viewFileWithNoOpen(node);
        else
            m_fileViewController->viewFile(node);
    }
    // Showing the file may have dropped it (a file gone from disk).
    if (!m_selectedFile)
        return;
    if (File *root = node->rootFile())
        UserDefaults::standardUserDefaults().setObject(root->path(), QStringLiteral("lastSelectedProjectPath"));
    AppDelegate *app = AppDelegate::instance();
    CSSOutlineDelegateInterface *rules = app ? app->cssOutlineDelegate() : nullptr;
    if (rules && m_lastPreviewedFile && m_lastPreviewedFile->rootFile() == node->rootFile())
        rules->setProjectImages(getImages());
    NotificationCenter::defaultCenter().postNotificationName(
        QStringLiteral("finderViewDidChanged"), this, {{QStringLiteral("file"), QVariant::fromValue(node)}});
}

void ProjectDelegate::contentChangeForNil()
{
    m_selectedFile = nullptr;
    m_selectedDirectoryArray->removeAllObjects();
    setBreadcrumbs(nullptr);
    UserDefaults::standardUserDefaults().removeObjectForKey(QStringLiteral("lastSelectedProjectPath"));
    if (m_previewHalf)
        m_previewHalf->setURL(nullptr);
    if (ExWebViewInterface *preview = webview())
        preview->hideDetectLayer();
}

void ProjectDelegate::doubleClick()
{
    QPointer<File> item = selectedItem();
    if (!item)
        return;
    if (item->exists() && QFileInfo(item->path()).isFile())
        saveURLToUserDefaults(item->absolutePath(), QStringLiteral("lastURL"));
    contentChange(item);
    // Showing the file may have dropped it (a file gone from disk).
    if (!item)
        return;
    const QString extension = QFileInfo(item->displayName()).suffix();
    if (extension == QLatin1String("html") || extension == QLatin1String("htm")) {
        if (m_previewHalf) {
            m_previewHalf->refreshWebview();
            if (!m_previewHalf->isReloadOnly())
                clearDetectLayer();
        }
    } else if (extension == QLatin1String("zip")) {
        unzipFile();
        return;
    }
    fileNameTextFieldDisable(false);
}

void ProjectDelegate::singleClick()
{
    fileNameTextFieldDisable(true);
}

void ProjectDelegate::keyDown(QKeyEvent *event)
{
    const int key = KeyCodes::keyCode(event);
    if (key == KeyCodes::Return)
        fileNameTextFieldDisable(false);
    // Backspace reaches delete_() through the tree; the Delete key of a
    // desktop keyboard does the same.
    else if (key == KeyCodes::ForwardDelete && !(event->modifiers() & ~Qt::KeypadModifier))
        delete_();
}

void ProjectDelegate::fileNameTextFieldDisable(bool disable)
{
    if (m_finderView && m_finderView->selectedRow() >= 0)
        m_renameRefused = disable;
}

bool ProjectDelegate::isTextFieldInFocus() const
{
    if (!m_finderView || m_finderView->selectedRow() < 0)
        return false;
    // The name field of a row has the keyboard: a name is being edited.
    QWidget *focus = QApplication::focusWidget();
    return qobject_cast<FinderViewTextField *>(focus) && m_finderView->isAncestorOf(focus);
}

// --- Thumbnails of the centre pane -------------------------------------------------------------

void ProjectDelegate::setDirectoryArray(File *folder)
{
    // A new content leaves the browser's selection behind.
    if (!folder || folder->isLeaf())
        m_selectedDirectoryArray->removeAllObjects();
    else
        m_selectedDirectoryArray->setContent(folder->children());
}

QList<File *> ProjectDelegate::selectedDirectoryArray() const
{
    return m_selectedDirectoryArray->arrangedObjects();
}

// --- Expansion ------------------------------------------------------------------------------------

void ProjectDelegate::writeExpandedFilePath(const QList<File *> &nodes)
{
    if (m_restoringExpansion || !m_finderView)
        return;
    for (File *node : nodes) {
        if (!m_finderView->isItemExpanded(node))
            continue;
        m_expandedFilePaths.append(node->path());
        writeExpandedFilePath(node->children());
    }
}

void ProjectDelegate::saveExpansionState()
{
    m_expandedFilePaths.clear();
    writeExpandedFilePath(projects());
    UserDefaults &defaults = UserDefaults::standardUserDefaults();
    defaults.setObject(m_expandedFilePaths, QStringLiteral("expandedFilePaths"));
    defaults.synchronize();
}

void ProjectDelegate::openAllParent(File *node)
{
    if (!m_finderView || !node)
        return;
    QList<File *> chain;
    for (File *up = node; up; up = up->parentFile())
        chain.prepend(up);
    for (File *each : std::as_const(chain))
        m_finderView->expandItem(each);
}

// --- Refreshes ------------------------------------------------------------------------------------

void ProjectDelegate::redrawTree()
{
    if (m_finderView)
        m_finderView->viewport()->update();
}

void ProjectDelegate::refreshFinderView(File *node, bool keepSelection)
{
    refreshFinderView(node, keepSelection, rememberSelection());
}

void ProjectDelegate::refreshFinderView(File *node, bool keepSelection, const TreeSelection &kept)
{
    if (!m_finderView)
        return;
    m_selectionSuppressed = true;
    m_finderView->reloadItem(node, true);
    m_selectionSuppressed = false;
    if (keepSelection) {
        const int again = kept.node ? m_finderView->rowForItem(kept.node) : -1;
        const int target = again >= 0 ? again : kept.row;
        if (target >= 0 && m_finderView->selectedRowIndexes() != QList<int>{target})
            m_finderView->selectRowIndexes({target}, false);
    }
    m_finderView->verticalScrollBar()->setValue(kept.scroll);
    AppDelegate *app = AppDelegate::instance();
    if (CSSOutlineDelegateInterface *rules = app ? app->cssOutlineDelegate() : nullptr)
        rules->setProjectImages(getImages());
}

ProjectDelegate::TreeSelection ProjectDelegate::rememberSelection() const
{
    TreeSelection kept;
    if (!m_finderView)
        return kept;
    kept.row = m_finderView->selectedRow();
    kept.node = asFile(m_finderView->itemAtRow(kept.row));
    kept.scroll = m_finderView->verticalScrollBar()->value();
    return kept;
}

void ProjectDelegate::updateDirectoryOfFile(File *node)
{
    updateDirectoryOfFile(node, rememberSelection());
}

void ProjectDelegate::updateDirectoryOfFile(File *node, const TreeSelection &kept)
{
    if (!m_finderView || !node)
        return;
    // The rows change under the selection: its handling waits for the end.
    m_selectionSuppressed = true;
    m_finderView->reloadItem(node, true);
    m_selectionSuppressed = false;
    m_finderView->verticalScrollBar()->setValue(kept.scroll);

    // The same node stays selected, wherever its row went; its row index
    // only when the node is gone.
    m_isChangedByDirecotryUpdated = true;
    const int again = kept.node ? m_finderView->rowForItem(kept.node) : -1;
    const int target = again >= 0 ? again : kept.row;
    if (target >= 0 && target < m_finderView->numberOfRows()) {
        if (m_finderView->selectedRowIndexes() != QList<int>{target})
            m_finderView->selectRowIndexes({target}, false);
        else
            outlineViewSelectionDidChange();
    }
    m_isChangedByDirecotryUpdated = false;
}

void ProjectDelegate::refreshDirectory(const Notification &notification)
{
    File *node = fileOf(notification);
    if (!node)
        return;
    const TreeSelection kept = rememberSelection();
    node->setUpChildren();
    refreshFinderView(node, true, kept);
    openAllParent(node);
    setDirectoryArray(node);
}

void ProjectDelegate::didLoadedFromWeb(const Notification &notification)
{
    if (File *node = fileOf(notification))
        refreshFinderView(node, true);
}

void ProjectDelegate::directoryUpdated(const Notification &notification)
{
    const SCEvent event = notification.userInfo.value(QStringLiteral("event")).value<SCEvent>();
    const qint32 flags = event.eventFlags();
    const qint32 metadataOnly = SCEvent::ItemInodeMetaMod | SCEvent::ItemIsDir | SCEvent::MustScanSubDirs;
    if ((flags & metadataOnly) == metadataOnly)
        return;
    refreshFolderOf(event);
    // A file of the page shown that another program deleted, brought back
    // or made is shown as it is now, as one it changed is.
    if (m_previewHalf && m_previewHalf->pageFileCameOrWent(event.eventPath()))
        reloadChangedPageLater();
}

void ProjectDelegate::refreshFolderOf(const SCEvent &event)
{
    const qint32 flags = event.eventFlags();
    // Only a folder the tree holds a node of can show the change; one whose
    // parent was never opened has nothing to refresh.
    File *node = nullptr;
    for (File *root : projects()) {
        File *found = root->path() == event.eventPath() ? root : root->pathForFile(event.eventPath());
        if (found && found->path() == event.eventPath()) {
            node = found;
            break;
        }
    }
    if (!node)
        return;
    // Hidden folders (".git") are no rows: their changes show nowhere.
    for (File *up = node; up && !up->isRoot(); up = up->parentFile()) {
        if (up->displayName().startsWith(u'.'))
            return;
    }
    // A rename in progress is not disturbed.
    if (isTextFieldInFocus())
        return;
    // The selection is taken first: reading the folder again may destroy
    // the selected node.
    const TreeSelection kept = rememberSelection();
    node->setUpChildren();
    updateDirectoryOfFile(node, kept);
    if (flags & SCEvent::ItemCreated)
        QM_DEBUG(QStringLiteral("item created"));
    else if (flags & SCEvent::ItemRemoved)
        QM_DEBUG(QStringLiteral("item removed"));
    else if (flags & SCEvent::ItemRenamed)
        QM_DEBUG(QStringLiteral("item renamed"));
    else if (flags & SCEvent::ItemModified)
        QM_DEBUG(QStringLiteral("item modified"));
    removeBypass(node);
    autoBypass(node);
}

void ProjectDelegate::openProjectConfig()
{
    AppDelegate *app = AppDelegate::instance();
    if (!m_ui || !app)
        return;
    m_ui->nodeSegmentControl->setSelectedSegment(0);
    app->changeBottomContent(m_ui->nodeSegmentControl);
    m_ui->projectMainSettingSegmentControl->setSelectedSegment(0);
    app->changeProjectSettingContent(m_ui->projectMainSettingSegmentControl);
}

void ProjectDelegate::reloadProjectConfigView()
{
    if (m_fileViewController)
        m_fileViewController->reloadProjectConfigView();
}
