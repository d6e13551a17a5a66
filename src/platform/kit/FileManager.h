#pragma once

#include <QList>
#include <QUrl>

// The desktop's file manager, as the kit's workspace reveals files in it.
// The freedesktop file-manager service (org.freedesktop.FileManager1,
// "ShowItems" on the session bus) opens a window with the items selected;
// where no such service answers, the folder holding the first item is opened
// with the desktop's handler of folders instead. Nothing waits for the file
// manager: the fallback runs when the service's refusal arrives.
class FileManager
{
public:
    // Reveals the items (local file URLs); nothing for an empty list.
    static void activateFileViewerSelectingURLs(const QList<QUrl> &urls);
    // The folder opened when the service does not answer: the parent folder
    // of the first item.
    static QUrl fallbackFolder(const QList<QUrl> &urls);
};
