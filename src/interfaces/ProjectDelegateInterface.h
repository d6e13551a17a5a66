#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class ExWebViewInterface;
class File;
class QMouseEvent;
class QWidget;

// What the shell and the panels ask of the project controller (projects,
// file tree and preview). Implemented by ProjectDelegate (src/app); called by
// the shell (AppDelegate, EXWindow) and the interface subsystems, which
// Controllers::install() hands it with AppDelegate::setProjectController().
class ProjectDelegateInterface
{
public:
    virtual ~ProjectDelegateInterface() = default;

    // The preview, or null while there is none.
    virtual ExWebViewInterface *webview() = 0;
    // The file tree view.
    virtual QWidget *finderView() = 0;
    // The page last loaded into the preview, or null; the preview sets it.
    virtual File *lastPreviewedFile() = 0;
    virtual void setLastPreviewedFile(File *file) = 0;
    // While set, selecting a row of the file tree does not open its file
    // (the preview selects the row of the page it shows).
    virtual void setIgnoreOpenFile(bool ignore) = 0;
    // The file of the file tree's clicked row, and of its selected row.
    virtual File *clickedFile() = 0;
    virtual File *selectedFile() = 0;

    // The project roots, sorted by name.
    virtual QList<File *> projects() const = 0;
    // The node of a file-system path in the first project that holds it, or null.
    virtual File *searchFileInProjects(const QString &path) const = 0;
    // The node of that path in the trees of the nodes (folders on the way are
    // read when they were not yet), or null.
    virtual File *searchDirectory(const QString &path, const QList<File *> &nodes) const = 0;

    // Whether any file of the open projects has unsaved changes.
    virtual bool hasModified() = 0;
    // How many files of the open projects hold unsaved changes: those that
    // saveOnQuit() would write.
    virtual int modifiedFileCount() = 0;
    // Saves every modified file of every project. Answers a line for each
    // file that could not be saved, naming it and the reason ("a.css: No
    // space left on device"); empty when every file was saved.
    virtual QStringList saveOnQuit() = 0;
    // Offers to download the tutorial project.
    virtual void confirmDownloadTurtorialProject() = 0;
    // Reloads the project settings view.
    virtual void reloadProjectConfigView() = 0;
    // Whether the name field of the file tree's selected row may take the
    // focus; true keeps a single click from starting a rename.
    virtual void fileNameTextFieldDisable(bool disable) = 0;

    // Queues the check whether the page shown is behind the text being
    // edited (the preview asks once its page has loaded).
    virtual void checkOutOfSynchronization() {}
    // Set while a panel of the preview runs as a sheet of the main window.
    virtual void setSheetShown(bool) {}

    // The preview's overlay and size.
    virtual void updateDetectLayer() = 0;
    virtual void clearDetectLayer() = 0;
    virtual void doSetPreviewWithLastIndex() = 0;
    // A click in the preview locked (mouse-down) or released (mouse-up) the
    // element under the pointer.
    virtual void detectLockDownHandler(QMouseEvent *event) = 0;
    virtual void detectLockCommitHandler(QMouseEvent *event) = 0;
};
