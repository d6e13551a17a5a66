#pragma once

#include "app/FileArrayController.h"

#include <QPointer>
#include <QWidget>

class File;
class ImageBrowserView;
class QMimeData;

// The centre pane's view of a folder, or of a resource group of the preview:
// its items as thumbnails in an ImageBrowserView, taken from the array
// controller it is given (the project controller's selectedDirectoryArray).
// A double-click on a folder posts "changeDirectory"; items are dragged out
// as files; files dropped on it are copied into the folder shown
// (`directory`), each followed by "refreshDirectory", and the copies that
// failed are told in one alert.
class DirectoryViewer : public QWidget
{
    Q_OBJECT

public:
    explicit DirectoryViewer(QWidget *parent = nullptr);
    ~DirectoryViewer() override;

    FileArrayController *directoryArrayController() const { return m_directoryArrayController; }
    // Not owned; the browser shows its items.
    void setDirectoryArrayController(FileArrayController *controller);
    ImageBrowserView *imageBrowserView() const { return m_imageBrowserView; }

    // The folder shown; files dropped go there. None for a resource group.
    File *directory() const { return m_directory; }
    void setDirectory(File *directory) { m_directory = directory; }

    // The browser's questions.
    void imageBrowserCellWasDoubleClickedAtIndex(int index);
    int imageBrowserWriteItemsAtIndexes(const QList<int> &indexes, QMimeData *pasteboard);
    Qt::DropAction draggingEntered(const QMimeData *pasteboard, Qt::KeyboardModifiers modifiers);
    Qt::DropAction draggingUpdated(const QMimeData *pasteboard, Qt::KeyboardModifiers modifiers);
    bool performDragOperation(const QMimeData *pasteboard);

private:
    bool acceptsDrag(const QMimeData *pasteboard) const;

    ImageBrowserView *m_imageBrowserView; // Owned (child).
    QPointer<FileArrayController> m_directoryArrayController;
    QPointer<File> m_directory;
};
