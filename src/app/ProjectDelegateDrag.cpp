// ProjectDelegate: dragging in the file tree. Rows dragged inside the tree
// move files and folders between folders; files and folders from other
// programs are copied into a folder (moved, when they lie in the target's
// project already); folders dropped between the projects become projects.
//
// A drop never replaces an item without asking, and never loses one: a
// name that is taken is put to the user first; "Replace" moves the old item
// to the Trash and brings it back when the new one cannot take its place.
// Failures are told in one alert at the end of the drop.

#include "ProjectDelegate.h"
#include "Shell_p.h"

#include "FileOperations.h"

#include "foundation/StringUtils.h"
#include "platform/foundation/Log.h"
#include "platform/kit/Alert.h"
#include "platform/kit/OutlineView.h"
#include "toolkit/FileDragPasteboard.h"
#include "toolkit/OutlineViewEx.h"
#include "workspace/File.h"

#include <QApplication>
#include <QFileInfo>
#include <QMimeData>
#include <QPointer>
#include <QTimer>

namespace {

using ShellPrivate::asFile;

bool isFolderOnDisk(const QString &path)
{
    return !path.isEmpty() && QFileInfo(path).isDir();
}

QString nameOfPath(const QString &path)
{
    return QFileInfo(path).fileName();
}

QString childPath(const QString &folder, const QString &name)
{
    return StringUtils::stringByAppendingPathComponent(folder, name);
}

// A folder path as projects are kept: symbolic links resolved.
QString canonicalFolder(const QString &path)
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? path : canonical;
}

enum class Placing { Copy, Move };
enum class Placed { Done, Cancelled, Failed };

// Moves an item; across volumes, as a copy whose original is then removed.
Result<void> moveItem(const QString &from, const QString &to)
{
    FileOperations::RenameError why = FileOperations::RenameError::None;
    Result<void> renamed = FileOperations::renameItem(from, to, &why);
    if (renamed || why == FileOperations::RenameError::Exists)
        return renamed;
    if (!FileOperations::itemExists(from) || FileOperations::itemExists(to))
        return renamed;
    Result<void> copied = FileOperations::copyItem(from, to);
    if (!copied)
        return Result<void>::failure(renamed.error());
    Result<void> removed = FileOperations::removeItem(from);
    if (!removed)
        return Result<void>::failure(QStringLiteral("it was copied, but the original could not be removed (%1)")
                                         .arg(removed.error()));
    return {};
}

Result<void> placeItem(const QString &from, const QString &to, Placing how)
{
    return how == Placing::Move ? moveItem(from, to) : FileOperations::copyItem(from, to);
}

// The unsaved texts of the files at or below a path, by their path below it.
QHash<QString, QString> unsavedEditsBelow(File *root, const QString &path)
{
    QHash<QString, QString> edits;
    if (!root)
        return edits;
    File::runPendingWrites();
    for (File *file : root->editedFiles()) {
        if (!file->isModified() || !StringUtils::isIncludeInPathFrom(file->path(), path))
            continue;
        if (const std::optional<QString> text = file->content())
            edits.insert(file->path().mid(path.size()), *text);
    }
    return edits;
}

} // namespace

// One drop: where it goes, what it met, and what it tells the user at the end.
class ProjectDelegate::TreeDrop
{
public:
    TreeDrop(ProjectDelegate &controller, File *target)
        : m_controller(controller)
        , m_target(target)
        , m_targetPath(target ? target->path() : QString())
    {
    }

    // Puts the item at the destination. A taken name is asked about first;
    // "Replace" moves the old item to the Trash, and brings it back when the
    // new one cannot take its place.
    Placed place(const QString &from, const QString &to, Placing how)
    {
        const QString name = nameOfPath(to);
        if (FileOperations::itemExists(to)) {
            Alert::beep();
            Alert alert;
            alert.setMessageText(QStringLiteral("\"%1\" already exists. Do you want to replace it?").arg(name));
            alert.setInformativeText(QString());
            alert.addButtonWithTitle(QStringLiteral("Replace"));
            alert.addButtonWithTitle(QStringLiteral("Cancel"));
            if (alert.runModal(m_controller.window()) != Alert::FirstButtonReturn)
                return Placed::Cancelled;
            const Result<QString> trashed = FileOperations::trashItem(to);
            if (!trashed) {
                fail(name, trashed.error());
                return Placed::Failed;
            }
            const Result<void> placed = placeItem(from, to, how);
            if (!placed) {
                const Result<void> restored = FileOperations::restoreFromTrash(*trashed, to);
                fail(name, restored ? QStringLiteral("%1; the old \"%2\" was put back").arg(placed.error(), name)
                                    : QStringLiteral("%1; the old \"%2\" is in the Trash").arg(placed.error(), name));
                return Placed::Failed;
            }
            // The replaced item's edits went to the Trash with it.
            m_controller.forgetEditsAt(to);
            return Placed::Done;
        }
        const Result<void> placed = placeItem(from, to, how);
        if (!placed) {
            fail(name, placed.error());
            return Placed::Failed;
        }
        return Placed::Done;
    }

    // Moves an item the tree shows, carrying the unsaved texts of the files
    // in it to their new places.
    Placed move(const QString &from, const QString &to, File *root)
    {
        const QHash<QString, QString> edits = unsavedEditsBelow(root, from);
        const Placed placed = place(from, to, Placing::Move);
        if (placed == Placed::Done) {
            for (auto it = edits.cbegin(); it != edits.cend(); ++it)
                m_carriedEdits.insert(to + it.key(), it.value());
            m_controller.forgetEditsAt(from);
        }
        return placed;
    }

    // The carried texts go to the files' new nodes, read by then.
    void restoreCarriedEdits()
    {
        for (auto it = m_carriedEdits.cbegin(); it != m_carriedEdits.cend(); ++it) {
            File *node = m_controller.searchFileInProjects(it.key());
            if (!node)
                node = m_controller.searchDirectory(it.key(), m_controller.projects());
            if (node)
                node->setContent(it.value());
            else
                QM_ERROR(QStringLiteral("the unsaved text of %1 has no file to go to after the move").arg(it.key()));
        }
        m_carriedEdits.clear();
    }

    void fail(const QString &name, const QString &why)
    {
        QM_ERROR(QStringLiteral("%1: %2").arg(name, why));
        m_failures.append(QStringLiteral("\"%1\": %2").arg(name, why));
    }

    // One alert for every item the drop could not place.
    void tellFailures()
    {
        if (m_failures.isEmpty())
            return;
        const QString folder = m_targetPath.isEmpty() ? QStringLiteral("the project list") : nameOfPath(m_targetPath);
        Alert alert;
        alert.setAlertStyle(Alert::Style::Critical);
        alert.setMessageText(m_failures.size() == 1
                                 ? QStringLiteral("An item could not be placed in \"%1\".").arg(folder)
                                 : QStringLiteral("%1 items could not be placed in \"%2\".").arg(m_failures.size()).arg(folder));
        alert.setInformativeText(m_failures.join(u'\n'));
        alert.addButtonWithTitle(QStringLiteral("OK"));
        alert.runModal(m_controller.window());
        m_failures.clear();
    }

    File *target() const { return m_target; }
    QString targetPath() const { return m_targetPath; }
    QString lastDestination;

private:
    ProjectDelegate &m_controller;
    QPointer<File> m_target;
    QString m_targetPath;
    QStringList m_failures;
    QHash<QString, QString> m_carriedEdits;
};

// --- Dragging out --------------------------------------------------------------------------------

bool ProjectDelegate::writeItems(OutlineView *, const QList<void *> &items, QMimeData *pasteboard)
{
    QStringList paths;
    paths.reserve(items.size());
    for (void *item : items)
        paths.append(asFile(item)->path());
    pasteboard->setData(FileDragPasteboard::kInnerFileDragMove, FileDragPasteboard::archivePaths(paths));
    return true;
}

QStringList ProjectDelegate::fileListInDraggingInfo(const DraggingInfo &info) const
{
    const QMimeData *pasteboard = info.pasteboard;
    if (FileDragPasteboard::hasFileNames(pasteboard))
        return FileDragPasteboard::fileNames(pasteboard);
    if (!pasteboard)
        return {};
    for (const QLatin1String type : {FileDragPasteboard::kInnerPackDragMove, FileDragPasteboard::kInnerFileDragMove}) {
        if (pasteboard->hasFormat(type))
            return FileDragPasteboard::unarchivePaths(pasteboard->data(type)).value_or(QStringList());
    }
    return {};
}

bool ProjectDelegate::validateMyTreeFile(File *target, File *node)
{
    // The tree shows the folders as they are on disk: below a node is below its path.
    if (!target || !node)
        return false;
    return target == node || StringUtils::isIncludeInPathFrom(target->path(), node->path());
}

File *ProjectDelegate::holderOfPath(const QString &path, File **node) const
{
    for (File *project : projects()) {
        if (File *parent = searchParentFile(path, project)) {
            if (node)
                *node = searchDirectory(path, parent->children());
            return parent;
        }
    }
    if (node)
        *node = nullptr;
    return nullptr;
}

// --- Validation ------------------------------------------------------------------------------------

Qt::DropAction ProjectDelegate::validateDrop(OutlineView *outlineView, const DraggingInfo &info, void *proposedItem,
                                             int proposedChildIndex)
{
    File *target = asFile(proposedItem);
    // Between the rows of a folder is into the folder: its row is the one lit.
    if (target && proposedChildIndex >= 0) {
        outlineView->setDropItem(target, -1);
        proposedChildIndex = -1;
    }
    if (proposedChildIndex == -1 && (!target || !isFolderOnDisk(target->path())))
        return Qt::IgnoreAction;

    if (!FileDragPasteboard::hasFileNames(info.pasteboard)) {
        // Rows of the tree, or items of the package list.
        if (!target) {
            if (proposedChildIndex == 0)
                return Qt::IgnoreAction;
            const QList<File *> roots = projects();
            File *above = proposedChildIndex - 1 < roots.size() ? roots[proposedChildIndex - 1] : nullptr;
            if (!above || above->children().isEmpty())
                return Qt::IgnoreAction;
        }
        bool movedElsewhere = false;
        bool notIntoItself = false;
        for (const QString &path : fileListInDraggingInfo(info)) {
            File *node = nullptr;
            File *parent = holderOfPath(path, &node);
            if (!parent)
                continue;
            if (!target || target->path() != parent->path())
                movedElsewhere = true;
            notIntoItself = !validateMyTreeFile(target, node);
            if (movedElsewhere && notIntoItself)
                return Qt::MoveAction;
        }
        return Qt::IgnoreAction;
    }

    // Files from another program; addresses that are no local files do not count.
    const QStringList fileNames = FileDragPasteboard::fileNames(info.pasteboard);
    if (fileNames.isEmpty())
        return Qt::IgnoreAction;
    if (target && isFolderOnDisk(target->path())) {
        for (const QString &path : fileNames) {
            if (isFolderOnDisk(path) && StringUtils::isIncludeInPathFrom(target->path(), path))
                return Qt::IgnoreAction;
        }
    }
    File *root = target ? target->rootFile() : nullptr;
    for (const QString &path : fileNames) {
        if (!root || !StringUtils::isIncludeInPathFrom(path, root->path()))
            return Qt::CopyAction;
    }
    return Qt::MoveAction;
}

// --- The drop --------------------------------------------------------------------------------------

bool ProjectDelegate::acceptDrop(OutlineView *, const DraggingInfo &info, void *item, int)
{
    QApplication::alert(window(), 0);
    TreeDrop drop(*this, asFile(item));
    bool accepted = true;
    if (FileDragPasteboard::hasFileNames(info.pasteboard)) {
        const QStringList fileNames = FileDragPasteboard::fileNames(info.pasteboard);
        accepted = drop.target() ? dropFilesIntoFolder(drop, fileNames) : dropFoldersAsProjects(drop, fileNames);
    } else if (drop.target()) {
        accepted = moveRows(drop, fileListInDraggingInfo(info));
    }
    if (accepted)
        finishDrop(drop);
    drop.tellFailures();
    return accepted;
}

bool ProjectDelegate::dropFilesIntoFolder(TreeDrop &drop, const QStringList &fileNames)
{
    File *target = drop.target();
    const QString rootPath = target->rootFile() ? target->rootFile()->path() : target->path();
    for (const QString &path : fileNames) {
        const QString destination = childPath(drop.targetPath(), nameOfPath(path));
        // Dropped into its own folder: nothing to do.
        if (destination == path)
            continue;
        // A folder never goes into itself.
        if (isFolderOnDisk(path) && StringUtils::isIncludeInPathFrom(drop.targetPath(), path))
            continue;
        Placed placed;
        if (StringUtils::isIncludeInPathFrom(path, rootPath)) {
            File *node = nullptr;
            holderOfPath(path, &node);
            placed = drop.move(path, destination, node ? node->rootFile() : nullptr);
        } else {
            placed = drop.place(path, destination, Placing::Copy);
        }
        if (placed == Placed::Done)
            drop.lastDestination = destination;
        // The folder the file came from shows it no more when it moved.
        if (File *source = searchDirectory(StringUtils::stringByDeletingLastPathComponent(path), projects())) {
            const TreeSelection kept = rememberSelection();
            source->setUpChildren();
            updateDirectoryOfFile(source, kept);
        }
    }
    return true;
}

bool ProjectDelegate::dropFoldersAsProjects(TreeDrop &drop, const QStringList &fileNames)
{
    QStringList folders;
    for (const QString &path : fileNames) {
        if (!path.isEmpty())
            folders.append(path);
    }
    // A project is a folder: a single file is refused.
    if (folders.size() == 1 && !isFolderOnDisk(folders.first()))
        return false;
    for (const QString &path : std::as_const(folders)) {
        if (!isFolderOnDisk(path)) {
            QM_INFO(QStringLiteral("%1 is no folder: it cannot be a project").arg(path));
            continue;
        }
        const QString folder = canonicalFolder(path);
        if (isProjectPath(folder))
            continue;
        if (File *root = importProjectWithPath(folder, true, false))
            drop.lastDestination = root->path();
    }
    return true;
}

bool ProjectDelegate::moveRows(TreeDrop &drop, const QStringList &paths)
{
    for (const QString &path : paths) {
        File *node = nullptr;
        File *parent = holderOfPath(path, &node);
        if (parent && parent->path() == drop.targetPath()) {
            // A single row dropped on its own folder is refused; among others it stays.
            if (paths.size() == 1)
                return false;
            continue;
        }
        if (node && validateMyTreeFile(drop.target(), node))
            continue;
        const QString destination = childPath(drop.targetPath(), node ? node->displayName() : nameOfPath(path));
        if (drop.move(path, destination, node ? node->rootFile() : nullptr) != Placed::Done)
            continue;
        drop.lastDestination = destination;
        if (parent) {
            const TreeSelection kept = rememberSelection();
            parent->setUpChildren();
            refreshFinderView(parent, true, kept);
        }
    }
    return true;
}

void ProjectDelegate::finishDrop(TreeDrop &drop)
{
    if (drop.targetPath().isEmpty()) {
        for (File *project : projects()) {
            if (project->path() == drop.lastDestination) {
                QPointer<File> node = project;
                QTimer::singleShot(5, this, [this, node] {
                    if (node)
                        setFocusDropedFile(node);
                });
            }
        }
        refreshFinderView(nullptr, true);
        return;
    }
    File *target = getReloadedFile(drop.targetPath(), projects());
    if (!target) {
        drop.restoreCarriedEdits();
        return;
    }
    const TreeSelection kept = rememberSelection();
    target->setUpChildren();
    refreshFinderView(target, true, kept);
    openAllParent(target);
    drop.restoreCarriedEdits();
    File *placed = drop.lastDestination.isEmpty() ? nullptr : searchDirectory(drop.lastDestination, target->children());
    if (placed)
        setFocusDropedFile(placed);
    else
        contentChange(nullptr);
    updateDirectoryOfFile(target);
}

void ProjectDelegate::setFocusDropedFile(File *node)
{
    if (!node)
        return;
    selectNode(node);
    contentChange(node);
}
