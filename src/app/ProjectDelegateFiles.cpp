// ProjectDelegate: the file tree's commands on files: new files and folders
// from the samples, moving to the Trash, renaming in place, duplicating,
// unpacking an archive, revealing in the file manager, and the small
// recursive helpers over a node's tree.

#include "ProjectDelegate.h"

#include "FileOperations.h"
#include "StagedFolder.h"

#include "platform/foundation/AtomicFileWriter.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/kit/Alert.h"
#include "platform/kit/FileManager.h"
#include "toolkit/FinderViewTextField.h"
#include "toolkit/OutlineViewEx.h"
#include "workspace/File.h"
#include "workspace/ProjectUtil.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <QUrl>

#include <algorithm>

namespace {

const QString kDirectory = QStringLiteral("directory");

bool isFolder(const File *node)
{
    return QFileInfo(node->path()).isDir();
}

QString quoted(const QString &name)
{
    return QLatin1Char('"') + name + QLatin1Char('"');
}

} // namespace

// --- New files and folders ---------------------------------------------------------------------

void ProjectDelegate::readyToCreateFile(const QString &kind)
{
    File *node = actedOnFile();
    if (!node)
        return;
    // An empty folder is a folder still: the disk decides, not the children.
    File *folder = isFolder(node) ? node : node->parentFile();
    if (!folder)
        return;
    QString path = folder->path() + (kind == kDirectory ? QStringLiteral("/untitled") : QStringLiteral("/untitled.") + kind);
    if (FileOperations::itemExists(path))
        path = createFilePath(folder->path(), 1, kind, QStringLiteral("untitled"));
    generateFile(kind, path, folder);
}

QString ProjectDelegate::createFilePath(const QString &folder, int number, const QString &kind, const QString &baseName)
{
    const bool withExtension = !kind.isEmpty() && kind != kDirectory;
    for (int n = number;; ++n) {
        QString path = folder + QLatin1Char('/') + baseName + QString::number(n);
        if (withExtension)
            path += QLatin1Char('.') + kind;
        if (!FileOperations::itemExists(path))
            return path;
    }
}

File *ProjectDelegate::generateFile(const QString &kind, const QString &path, File *parent)
{
    if (!parent || !m_finderView)
        return nullptr;
    if (kind == kDirectory) {
        if (!QDir().mkpath(path))
            QM_ERROR(QStringLiteral("cannot make the folder %1").arg(path));
    } else {
        QByteArray sample;
        const QString samplePath = Bundle::pathForResource(QStringLiteral("sample"), kind, QStringLiteral("templates"));
        QFile source(samplePath);
        if (samplePath.isEmpty() || !source.open(QIODevice::ReadOnly))
            QM_ERROR(QStringLiteral("no sample for a new %1 file; it starts empty").arg(kind));
        else
            sample = source.readAll();
        // Replace::No: a file that appeared meanwhile is never overwritten.
        AtomicFileWriter file(path, AtomicFileWriter::Replace::No);
        if (!file.open() || !file.write(sample) || !file.commit()) {
            QM_ERROR(QStringLiteral("cannot write the new file %1: %2").arg(path, file.errorString()));
            alertFailures({QFileInfo(path).fileName()}, QStringLiteral("could not be made"), file.errorString());
            return nullptr;
        }
    }
    // A name being edited elsewhere in the tree is committed first.
    if (isTextFieldInFocus())
        m_finderView->setFocus(Qt::OtherFocusReason);

    QPointer<File> folder = parent;
    const TreeSelection kept = rememberSelection();
    folder->setUpChildren();
    refreshFinderView(folder, true, kept);
    m_finderView->expandItem(folder);
    File *made = getReloadedFile(path, folder->children());
    if (!made)
        return nullptr;
    startRenaming(made);
    if (folder)
        contentChange(folder);
    return made;
}

void ProjectDelegate::startRenaming(File *node)
{
    selectNode(node);
    // Renaming is allowed for the row just made, whatever the last click said.
    fileNameTextFieldDisable(false);
    const int row = m_finderView->rowForItem(node);
    if (row < 0)
        return;
    m_finderView->scrollRowToVisible(row);
    m_finderView->editColumn(0, row, true);
}

// --- Moving to the Trash ------------------------------------------------------------------------

QString ProjectDelegate::generateDeleteAlertMessage() const
{
    const QList<int> rows = m_finderView ? m_finderView->selectedRowIndexes() : QList<int>();
    if (rows.size() >= 2)
        return QStringLiteral("Do you want to move") + QStringLiteral(" the %1 selected files to the Trash?").arg(rows.size());
    const File *node = rows.isEmpty() ? nullptr : static_cast<File *>(m_finderView->itemAtRow(rows.first()));
    if (!node)
        return {};
    QString kind = QStringLiteral(" the file ");
    if (node->isRoot())
        kind = QStringLiteral(" the project ");
    else if (isFolder(node))
        kind = QStringLiteral(" the directory ");
    return QStringLiteral("Do you want to move") + kind + quoted(node->displayName()) + QStringLiteral(" to the Trash?");
}

void ProjectDelegate::delete_()
{
    if (!m_finderView || m_finderView->selectedRowIndexes().isEmpty())
        return;
    readyToDeleteFiles(generateDeleteAlertMessage(), false, nullptr);
}

void ProjectDelegate::showDeleteFileAlertFromMainMenu()
{
    if (m_finderView && QApplication::focusWidget() == m_finderView)
        delete_();
}

void ProjectDelegate::showDeleteFileAlert()
{
    if (!m_finderView)
        return;
    const QList<int> selected = m_finderView->selectedRowIndexes();
    if (selected.isEmpty())
        return;
    const int clicked = m_finderView->clickedRow();
    File *node = clicked >= 0 ? static_cast<File *>(m_finderView->itemAtRow(clicked)) : nullptr;
    if (!node || selected.contains(clicked)) {
        readyToDeleteFiles(generateDeleteAlertMessage(), false, nullptr);
        return;
    }
    QString kind = QStringLiteral(" the file ");
    if (node->isRoot())
        kind = QStringLiteral(" the Project ");
    else if (!node->children().isEmpty())
        kind = QStringLiteral(" the Directory ");
    readyToDeleteFiles(QStringLiteral("Delete this file?") + kind + quoted(node->displayName()), true, node);
}

void ProjectDelegate::readyToDeleteFiles(const QString &message, bool single, File *node)
{
    QPointer<File> guarded = node;
    Alert::beep();
    Alert alert;
    alert.setMessageText(message);
    alert.setInformativeText(QString());
    alert.addButtonWithTitle(QStringLiteral("OK"));
    alert.addButtonWithTitle(QStringLiteral("Cancel"));
    if (alert.runModal(window()) != Alert::FirstButtonReturn)
        return;
    if (!single)
        deleteSelectedFiles();
    else if (guarded)
        deleteClickedSingleFile(guarded);
}

void ProjectDelegate::deleteSelectedFiles()
{
    if (!m_finderView)
        return;
    QList<int> rows = m_finderView->selectedRowIndexes();
    std::sort(rows.begin(), rows.end());
    // Trashing a folder drops the nodes below it: each is held guarded.
    QList<QPointer<File>> nodes;
    for (int row : std::as_const(rows))
        nodes.append(static_cast<File *>(m_finderView->itemAtRow(row)));
    // The rows of trashed files go with their nodes: a selection left on
    // them would be read back after the nodes are deleted.
    m_finderView->deselectAll();

    QList<QPointer<File>> projectsAside;
    QStringList failed;
    for (const QPointer<File> &node : std::as_const(nodes)) {
        if (!node)
            continue;
        const QString name = node->displayName();
        if (node->isRoot()) {
            // A project whose folder stays where it was stays in the list.
            if (deleteSeletedFile(false, node))
                projectsAside.append(node);
            else
                failed.append(name);
            continue;
        }
        QPointer<File> parent = node->parentFile();
        if (!deleteSeletedFile(false, node))
            failed.append(name);
        if (parent) {
            // Read the tree's selection before its rows' nodes are rebuilt.
            const TreeSelection kept = rememberSelection();
            parent->setUpChildren();
            refreshFinderView(parent, false, kept);
        }
    }
    for (const QPointer<File> &project : std::as_const(projectsAside)) {
        if (project)
            forgetProject(project, false);
    }
    alertTrashFailures(failed);
}

bool ProjectDelegate::deleteSeletedFile(bool, File *node)
{
    if (!node)
        return false;
    const QString path = node->path();
    if (path.isEmpty() || !FileOperations::itemExists(path))
        return true;
    const Result<QString> trashed = FileOperations::trashItem(path);
    if (!trashed) {
        QM_ERROR(trashed.error());
        if (File *parent = node->parentFile())
            refreshFinderView(parent, false);
        return false;
    }
    QM_DEBUG(QStringLiteral("%1 moved to %2").arg(path, *trashed));
    forgetEditsAt(path);
    if (node->isRoot())
        removeProjectBookmark(path);
    else if (File *root = node->rootFile())
        root->removeFileFromMap(node);
    return true;
}

void ProjectDelegate::deleteClickedSingleFile(File *node)
{
    if (!node)
        return;
    if (node->isRoot()) {
        // A project only leaves the list; its folder stays.
        forgetProject(node, true);
        return;
    }
    QPointer<File> parent = node->parentFile();
    const QString name = node->displayName();
    // Like every other delete of the tree, into the Trash rather than gone.
    if (!deleteSeletedFile(true, node))
        alertTrashFailures({name});
    if (parent) {
        const TreeSelection kept = rememberSelection();
        parent->setUpChildren();
        refreshFinderView(parent, true, kept);
    }
}

void ProjectDelegate::alertTrashFailures(const QStringList &names)
{
    alertFailures(names, QStringLiteral("could not be moved to the Trash"), QString());
}

bool ProjectDelegate::forgetProject(File *root, bool askToSave)
{
    if (!root || (askToSave && !askToSaveProject(root)))
        return false;
    const QString path = root->path();
    root->removeWatcher();
    std::unique_ptr<File> taken = takeProject(root);
    if (m_finderView)
        m_finderView->reloadData();
    UserDefaults &defaults = UserDefaults::standardUserDefaults();
    if (defaults.stringForKey(QStringLiteral("lastSelectedProjectPath")) == path)
        defaults.removeObjectForKey(QStringLiteral("lastSelectedProjectPath"));
    removeProjectBookmark(path);
    ProjectUtil::removeProjectConfig(path);
    return true;
}

// --- Renaming ----------------------------------------------------------------------------------

void ProjectDelegate::finderViewTextFieldTextDidEndEditing(const Notification &notification)
{
    auto *field = notification.objectAs<FinderViewTextField>();
    if (!m_finderView || !field || !m_finderView->isAncestorOf(field))
        return;
    const QString name = notification.userInfo.value(QStringLiteral("stringValue")).toString();
    fileNameTextFieldDisable(true);
    QPointer<File> node = selectedItem();
    // The field is still handling the key that ended the editing; its row
    // is reloaded at the next turn.
    QTimer::singleShot(0, this, [this, node, name] {
        if (node)
            renameNode(node, name);
    });
}

void ProjectDelegate::renameNode(File *node, const QString &name)
{
    if (node->displayName().isEmpty() || name == node->displayName())
        return;
    File *parent = node->parentFile();
    if (node->path().isEmpty() || !parent) {
        refreshFinderView(nullptr, false);
        if (QWidget *focus = QApplication::focusWidget())
            focus->clearFocus();
        return;
    }
    if (!FileOperations::isValidName(name)) {
        Alert::beep();
        Alert alert;
        alert.setMessageText(QStringLiteral("%1 cannot be used as a name.").arg(quoted(name)));
        alert.setInformativeText(QStringLiteral("A name may not be empty, \".\" or \"..\", or hold \"/\"."));
        alert.addButtonWithTitle(QStringLiteral("OK"));
        alert.runModal(window());
        refreshFinderView(nullptr, false);
        return;
    }
    const QString oldPath = node->path();
    const QString newPath = QFileInfo(oldPath).path() + QLatin1Char('/') + name;
    FileOperations::RenameError why = FileOperations::RenameError::None;
    const Result<void> renamed = FileOperations::renameItem(oldPath, newPath, &why);
    if (why == FileOperations::RenameError::Exists) {
        Alert::beep();
        Alert alert;
        alert.setMessageText(name + QStringLiteral(" already exists."));
        alert.setInformativeText(QString());
        alert.addButtonWithTitle(QStringLiteral("OK"));
        alert.runModal(window());
        refreshFinderView(nullptr, false);
        return;
    }
    if (!renamed) {
        QM_ERROR(QStringLiteral("cannot rename %1 to %2: %3").arg(oldPath, name, renamed.error()));
    } else if (!name.startsWith(QLatin1Char('.'))) {
        // The node follows its file, with its unsaved edits and open views.
        node->setDisplayName(name);
        updateChildFilePathCompornent(oldPath, newPath, node);
    }
    const TreeSelection kept = rememberSelection();
    parent->setUpChildren();
    refreshFinderView(parent, true, kept);
    if (File *again = getReloadedFile(renamed ? newPath : oldPath, parent->children())) {
        if (m_finderView->selectedRowIndexes() != QList<int>{m_finderView->rowForItem(again)})
            selectNode(again);
        else
            contentChange(again);
        scrollLater();
    }
}

// --- Duplicating, unpacking, revealing ----------------------------------------------------------------

void ProjectDelegate::duplicateFile()
{
    File *node = actedOnFile();
    File *parent = node ? node->parentFile() : nullptr;
    if (!parent || !m_finderView)
        return;
    const auto [stem, extension] = FileOperations::splitExtension(node->displayName());
    const QString name = stem + QStringLiteral("_copy");
    QString path = parent->path() + QLatin1Char('/') + FileOperations::joinExtension(name, extension);
    if (FileOperations::itemExists(path))
        path = createFilePath(parent->path(), 1, extension, name);
    const Result<void> copied = FileOperations::copyItem(node->path(), path);
    if (!copied) {
        QM_ERROR(QStringLiteral("cannot duplicate %1: %2").arg(node->path(), copied.error()));
        alertFailure(copied.error());
    }
    QPointer<File> folder = parent;
    const TreeSelection kept = rememberSelection();
    folder->setUpChildren();
    refreshFinderView(folder, true, kept);
    if (File *copy = copied ? getReloadedFile(path, folder->children()) : nullptr)
        startRenaming(copy);
}

void ProjectDelegate::unzipFile()
{
    File *node = actedOnFile();
    File *parent = node ? node->parentFile() : nullptr;
    if (!parent || QFileInfo(node->displayName()).suffix().compare(QLatin1String("zip"), Qt::CaseInsensitive) != 0)
        return;
    const QString archive = node->path();
    const QString folder = parent->path();
    QPointer<File> guardedParent = parent;

    // Unpacked whole beside the files first: a damaged archive changes nothing.
    StagedFolder staging(folder, QFileInfo(archive).completeBaseName() + QStringLiteral("-unzip"));
    Result<void> unpacked = staging.isValid() ? staging.unpack(archive) : Result<void>::failure(staging.errorString());
    if (!unpacked) {
        QM_ERROR(unpacked.error());
        alertFailure(unpacked.error());
        return;
    }
    const QStringList clashes = staging.clashesIn(folder);
    if (!clashes.isEmpty()) {
        Alert alert;
        if (clashes.size() == 1)
            alert.setMessageText(QStringLiteral("%1 already exists in %2.").arg(quoted(clashes.first()), quoted(QFileInfo(folder).fileName())));
        else
            alert.setMessageText(QStringLiteral("%1 files of %2 already exist in %3.")
                                     .arg(clashes.size())
                                     .arg(quoted(QFileInfo(archive).fileName()), quoted(QFileInfo(folder).fileName())));
        alert.setInformativeText(QStringLiteral("Do you want to replace them with the files of the archive?"));
        alert.addButtonWithTitle(QStringLiteral("Replace"));
        alert.addButtonWithTitle(QStringLiteral("Cancel"));
        if (alert.runModal(window()) != Alert::FirstButtonReturn)
            return;
    }
    const Result<void> merged = staging.mergeInto(folder);
    if (!merged) {
        QM_ERROR(merged.error());
        alertFailure(merged.error());
    } else if (!clashes.contains(QFileInfo(archive).fileName())) {
        // An archive holding a file of its own name was replaced by it.
        QFile::remove(archive);
    }
    if (guardedParent) {
        const TreeSelection kept = rememberSelection();
        guardedParent->setUpChildren();
        refreshFinderView(guardedParent, true, kept);
    }
}

void ProjectDelegate::showInFinder()
{
    File *node = actedOnFile();
    if (!node || node->path().isEmpty())
        return;
    FileManager::activateFileViewerSelectingURLs({QUrl::fromLocalFile(node->path())});
}

void ProjectDelegate::openFile()
{
    File *node = actedOnFile();
    if (node && m_fileViewController)
        m_fileViewController->viewFile(node);
}

// --- Refreshes and helpers ------------------------------------------------------------------------

void ProjectDelegate::doRefreshProject(const Notification &notification)
{
    const QString path = notification.userInfo.value(QStringLiteral("path")).toString();
    if (path.isEmpty())
        return;
    if (searchDirectory(QFileInfo(path).path(), projects()))
        refreshFinderView(nullptr, true);
}

File *ProjectDelegate::importFile(File *parent, const QString &path)
{
    if (!parent)
        return nullptr;
    if (File *present = getReloadedFile(path, parent->children()))
        return present;
    parent->setUpChildren();
    return getReloadedFile(path, parent->children());
}

int ProjectDelegate::getAllChildrenCount(File *node)
{
    if (!node)
        return 0;
    if (node->isLeaf())
        return 1;
    int count = 0;
    for (File *child : node->children())
        count += getAllChildrenCount(child);
    return count;
}

void ProjectDelegate::updateParentFileChildren(const QString &path, const QString &iconPath, File *node)
{
    Q_UNUSED(iconPath);
    for (File *up = node; up; up = up->parentFile()) {
        for (File *child : up->children()) {
            if (child->path() != path)
                continue;
            // A node's icon is the one of its own file: it is drawn again.
            child->updateBypassIcon();
            child->resetMyPathCompornent();
        }
    }
}

void ProjectDelegate::updateChildFilePathCompornent(const QString &oldText, const QString &newText, File *node)
{
    if (!node || !node->path().startsWith(oldText))
        return;
    File *root = node->rootFile();
    if (root)
        root->removeFileFromMap(node);
    node->setPath(newText + node->path().mid(oldText.size()));
    if (root)
        root->addFileToMap(node);
    node->resetMyPathCompornent();
    // Children built before the rename still hold old paths; those built
    // now are read from the new one.
    if (!isFolder(node))
        return;
    for (File *child : node->children())
        updateChildFilePathCompornent(oldText, newText, child);
}
