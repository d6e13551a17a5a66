#include "DirectoryViewer.h"

#include "ImageBrowserView.h"

#include "app/FileArrayController.h"
#include "app/FileOperations.h"
#include "foundation/StringUtils.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/Alert.h"
#include "toolkit/FileDragPasteboard.h"
#include "workspace/File.h"

#include <QFileInfo>
#include <QMimeData>
#include <QVBoxLayout>

DirectoryViewer::DirectoryViewer(QWidget *parent)
    : QWidget(parent)
    , m_imageBrowserView(new ImageBrowserView(this))
{
    setObjectName(QStringLiteral("directoryViewer"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_imageBrowserView);

    ImageBrowserDelegate delegate;
    delegate.cellWasDoubleClickedAtIndex = [this](int index) { imageBrowserCellWasDoubleClickedAtIndex(index); };
    delegate.writeItemsAtIndexes = [this](const QList<int> &indexes, QMimeData *pasteboard) {
        return imageBrowserWriteItemsAtIndexes(indexes, pasteboard);
    };
    delegate.draggingEntered = [this](const QMimeData *pasteboard, Qt::KeyboardModifiers modifiers) {
        return draggingEntered(pasteboard, modifiers);
    };
    delegate.draggingUpdated = [this](const QMimeData *pasteboard, Qt::KeyboardModifiers modifiers) {
        return draggingUpdated(pasteboard, modifiers);
    };
    delegate.performDragOperation = [this](const QMimeData *pasteboard) { return performDragOperation(pasteboard); };
    m_imageBrowserView->setDelegate(std::move(delegate));
}

DirectoryViewer::~DirectoryViewer() = default;

void DirectoryViewer::setDirectoryArrayController(FileArrayController *controller)
{
    m_directoryArrayController = controller;
    m_imageBrowserView->setModel(controller);
}

void DirectoryViewer::imageBrowserCellWasDoubleClickedAtIndex(int index)
{
    File *item = m_directoryArrayController ? m_directoryArrayController->objectAtIndex(index) : nullptr;
    if (!item || !item->isLocalFile() || !QFileInfo(item->path()).isDir())
        return;
    NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("changeDirectory"), this,
                                                             {{QStringLiteral("file"), QVariant::fromValue(item)}});
}

int DirectoryViewer::imageBrowserWriteItemsAtIndexes(const QList<int> &indexes, QMimeData *pasteboard)
{
    if (!m_directoryArrayController)
        return 0;
    QList<int> order = indexes;
    std::sort(order.begin(), order.end(), std::greater<int>());
    QStringList paths;
    for (int index : std::as_const(order)) {
        // Only files on disk can be offered as files.
        File *item = m_directoryArrayController->objectAtIndex(index);
        if (item && item->isLocalFile() && !item->path().isEmpty())
            paths.append(item->path());
    }
    if (paths.isEmpty())
        return 0;
    FileDragPasteboard::setFileNames(pasteboard, paths);
    return int(paths.size());
}

bool DirectoryViewer::acceptsDrag(const QMimeData *pasteboard) const
{
    // Files go into a folder on disk only.
    return m_directory && m_directory->isLocalFile() && QFileInfo(m_directory->path()).isDir()
        && !FileDragPasteboard::fileNames(pasteboard).isEmpty();
}

Qt::DropAction DirectoryViewer::draggingEntered(const QMimeData *pasteboard, Qt::KeyboardModifiers modifiers)
{
    if (!acceptsDrag(pasteboard))
        return Qt::IgnoreAction;
    return modifiers & Qt::ControlModifier ? Qt::CopyAction : Qt::MoveAction;
}

Qt::DropAction DirectoryViewer::draggingUpdated(const QMimeData *pasteboard, Qt::KeyboardModifiers)
{
    return acceptsDrag(pasteboard) ? Qt::CopyAction : Qt::IgnoreAction;
}

bool DirectoryViewer::performDragOperation(const QMimeData *pasteboard)
{
    QPointer<File> shown = m_directory;
    if (!shown)
        return true;
    const QString folder = shown->path();
    QStringList failures;
    for (const QString &path : FileDragPasteboard::fileNames(pasteboard)) {
        if (QFileInfo(path).isDir() && StringUtils::isIncludeInPathFrom(folder, path)) {
            Alert alert;
            alert.setMessageText(QStringLiteral("Directory cannot place to its children."));
            alert.setInformativeText(QString());
            alert.addButtonWithTitle(QStringLiteral("OK"));
            alert.runModal(window());
            continue;
        }
        const QString destination = StringUtils::stringByAppendingPathComponent(folder, QFileInfo(path).fileName());
        // A file of the folder shown dropped back on it is there already.
        if (destination != path) {
            const Result<void> copied = FileOperations::copyItem(path, destination);
            if (!copied) {
                QM_ERROR(QStringLiteral("%1 was not copied into %2: %3").arg(path, folder, copied.error()));
                failures.append(QStringLiteral("\"%1\": %2").arg(QFileInfo(path).fileName(), copied.error()));
            }
        }
        NotificationCenter::defaultCenter().postNotificationName(
            QStringLiteral("refreshDirectory"), this, {{QStringLiteral("file"), QVariant::fromValue(shown.data())}});
        if (!shown)
            break;
    }
    if (!failures.isEmpty()) {
        Alert alert;
        alert.setAlertStyle(Alert::Style::Critical);
        alert.setMessageText(failures.size() == 1
                                 ? QStringLiteral("An item could not be copied into \"%1\".").arg(QFileInfo(folder).fileName())
                                 : QStringLiteral("%1 items could not be copied into \"%2\".")
                                       .arg(failures.size())
                                       .arg(QFileInfo(folder).fileName()));
        alert.setInformativeText(failures.join(u'\n'));
        alert.addButtonWithTitle(QStringLiteral("OK"));
        alert.runModal(window());
    }
    return true;
}
