#pragma once

#include "FileViewController.h"
#include "RollbackDelegate.h"

#include "interfaces/ProjectDelegateInterface.h"
#include "platform/kit/OutlineDataSource.h"
#include "toolkit/OutlineViewEx.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QStringList>
#include <QVariantMap>

#include <memory>
#include <optional>
#include <vector>

class File;
class FileRowCell;
class MainInterface;
class OperationQueue;
class OutlineView;
class PreviewHalfInterface;
class QKeyEvent;
struct Notification;

// The project controller: the user's projects, the file tree that shows them,
// keeping the editors, the files and the page in step, and saving. Its
// preview half (the live page) is another object behind PreviewHalfInterface;
// without one the calls to it are skipped.
//
// Projects are root Files, owned here and kept sorted by name; they are
// remembered in the user defaults ("rootPathes", folder path to the folder
// path that stands as its bookmark) and loaded again at launch on a worker
// thread, each handed to the main thread when it is ready. The list changes
// on the main thread only.
//
// The topics live in ProjectDelegate.cpp (set-up, loading, the project list
// and lookups), ProjectDelegateTree.cpp (the file tree), ProjectDelegateSync.cpp
// (content changes, saving, the out-of-sync check) and ProjectDelegateChores.cpp
// (bookmarks, folders, adding projects, the substitution jobs, images).
class ProjectDelegate : public QObject, public ProjectDelegateInterface, public OutlineDataSource
{
    Q_OBJECT

public:
    explicit ProjectDelegate(QObject *parent = nullptr);
    ~ProjectDelegate() override;

    // --- Wiring --------------------------------------------------------------------
    void setFileViewController(FileViewController *controller) { m_fileViewController = controller; }
    FileViewController *fileViewController() const { return m_fileViewController; }
    void setRollbackDelegate(RollbackDelegate *delegate) { m_rollbackDelegate = delegate; }
    PreviewHalfInterface *previewHalf() const { return m_previewHalf; }
    void setPreviewHalf(PreviewHalfInterface *preview) { m_previewHalf = preview; }

    // --- Set-up and loading (ProjectDelegate.cpp) -------------------------------------
    // Once the interface is loaded: the file tree in its place, the
    // notifications, the queues; then the projects load. A second call only
    // loads again when there are no projects.
    void awakeFromNib(MainInterface &ui);
    // Makes the preview and loads the remembered projects again in the
    // background. Projects already open whose folders are still there keep
    // their nodes, and with them their unsaved edits.
    void resetFindView();
    // Whether projects are being loaded.
    bool isLoading() const { return m_loading; }
    // Re-expands the nodes whose paths were expanded, at every depth.
    void restoredExpanding(const QList<File *> &nodes);
    // Selects and shows the remembered main file.
    void initContents();

    // --- Projects ----------------------------------------------------------------------
    QList<File *> projects() const override;
    // Adds a root and keeps the list sorted by name; answers the node.
    File *appendProject(std::unique_ptr<File> root);
    // Whether the path is the folder of a project.
    bool isProjectPath(const QString &path) const;
    // The name order of projectsSortDescriptors: case-insensitive, by the user's locale.
    static bool projectsSortDescriptors(const File *a, const File *b);

    // Removes the selected row's project; its unsaved edits are offered for
    // saving first.
    void removeProject();
    // Removes the clicked (else the selected) row's node from the project list.
    void removeFile();
    void deleteMissingFile(const Notification &notification);
    void resourceDownloadComplete(const Notification &notification);

    // --- Lookups -----------------------------------------------------------------------
    File *searchFileInProjects(const QString &path) const override;
    // The first node of that path in the trees of the nodes, pre-order.
    File *searchDirectory(const QString &path, const QList<File *> &nodes) const override;
    File *searchDirectoryByAbsolutePath(const QString &url, const QList<File *> &nodes) const;
    // The parent of the node of that path below the node.
    File *searchParentFile(const QString &path, File *node) const;
    File *getReloadedFile(const QString &path, const QList<File *> &nodes) const;
    // Appends the children of the node (at any depth below folders) whose
    // address is the URL.
    void searchFile(File *node, const QString &url, QList<File *> &found) const;

    // --- Answers to the shell ----------------------------------------------------------------
    ExWebViewInterface *webview() override;
    QWidget *finderView() override;
    OutlineViewEx *finderOutlineView() const { return m_finderView; }
    File *lastPreviewedFile() override { return m_lastPreviewedFile; }
    void setLastPreviewedFile(File *file) override { m_lastPreviewedFile = file; }
    File *clickedFile() override;
    File *selectedFile() override { return m_selectedFile; }
    // The item of the tree's selected row (the first one), or null.
    File *selectedItem() const;
    // What a command acts on: the clicked row's node from the tree's context
    // menu, the selected row's node otherwise.
    File *actedOnFile();
    bool hasModified() override;
    // Saves every modified file of every project and marks it as having no
    // change pending. The walk goes on past a file that cannot be written.
    void saveOnQuit() override;
    void confirmDownloadTurtorialProject() override {}
    void reloadProjectConfigView() override {}
    void fileNameTextFieldDisable(bool disable) override;
    void updateDetectLayer() override;
    void clearDetectLayer() override;
    void doSetPreviewWithLastIndex() override {}
    void detectLockDownHandler(QMouseEvent *event) override;
    void detectLockCommitHandler(QMouseEvent *event) override;

    // --- The file tree (ProjectDelegateTree.cpp) ------------------------------------------
    int numberOfChildrenOfItem(OutlineView *outlineView, void *item) override;
    void *childOfItem(OutlineView *outlineView, int index, void *item) override;
    bool isItemExpandable(OutlineView *outlineView, void *item) override;
    QVariant objectValueForTableColumn(OutlineView *outlineView, int column, void *item, int role) override;

    void outlineViewSelectionDidChange();
    // Makes the node the workspace's selection and shows it.
    void contentChange(File *node);
    void contentChangeForNil();
    void doubleClick();
    void singleClick();
    void keyDown(QKeyEvent *event);
    // Whether renaming the selected row is refused for now.
    bool isRenameRefused() const { return m_renameRefused; }
    // Whether the selected row's name is being edited.
    bool isTextFieldInFocus() const;
    // The thumbnails of the centre pane: the children of the folder chosen.
    void setDirectoryArray(File *folder);
    QList<File *> selectedDirectoryArray() const;
    // Expands every ancestor of the node and the node itself.
    void openAllParent(File *node);
    // Reloads the node's rows (nil: all), keeping the scroll position and,
    // when asked, the selected node.
    void refreshFinderView(File *node, bool keepSelection);
    // After the node's children were read again: reloads its rows, keeping
    // the selected node (the same row when the node is gone) and the scroll.
    void updateDirectoryOfFile(File *node);
    void directoryUpdated(const Notification &notification);
    void refreshDirectory(const Notification &notification);
    void didLoadedFromWeb(const Notification &notification);
    void openProjectConfig();
    bool isChangedByDirecotryUpdated() const { return m_isChangedByDirecotryUpdated; }
    bool ignoreOpenFile() const { return m_ignoreOpenFile; }
    void setIgnoreOpenFile(bool ignore) override { m_ignoreOpenFile = ignore; }
    // The folder paths the tree shows expanded, as last written.
    QStringList expandedFilePaths() const { return m_expandedFilePaths; }

    // --- Content in step, saving (ProjectDelegateSync.cpp) ----------------------------------
    void refreshFileContent(const Notification &notification);
    void fileContentChanged(const Notification &notification);
    void saveFileContent(const Notification &notification);
    void remodFile(File *node);
    void reloadTextViewContent();
    // Queues the check whether the page shown is behind the text being
    // edited; the latest check decides the blocking sheets.
    void checkOutOfSynchronization();
    void needSaveAndRefresh(const Notification &notification);
    void saveFile();
    void saveOutlineview(QObject *sender);

    // --- Chores (ProjectDelegateChores.cpp) -------------------------------------------------
    static void addProjectBookmark(const QString &path);
    static void removeProjectBookmark(const QString &path);
    // The program's cache folder (empty when the desktop names none), its
    // "templates" folder (made when missing), and the temporary folder.
    static QString cachePath();
    static QString templatesPath();
    static QString tempPath();
    // False, with an alert, for a network address while offline.
    static bool checkOnline(const QString &url);
    void removeBypass(File *file);
    void autoBypass(File *file);
    OperationQueue *bypassOperationQueue() const { return m_bypassOperationQueue.get(); }
    void resouceViewDidChanged(const Notification &notification);
    void scrollLater();
    void runAsWebApp();

    // Asks for folders and adds each one that is no project yet.
    void addProject();
    // Makes the folder a project: its settings, a place in the list and the
    // tree, its bookmark; with open, its first "index.html" is opened.
    File *importProjectWithPath(const QString &path, bool importConfig, bool open);
    // The image files of the project of the page shown.
    QList<File *> getImages();

    static QString loadURLFromUserDefaultsForKey(const QString &key);
    static void saveURLToUserDefaults(const QString &url, const QString &key);

    // True while one of the project panels runs as a sheet of the main window.
    static bool panelSheetShown();
    static void setPanelSheetShown(bool shown);

Q_SIGNALS:
    // The background load handed its last project over and the page was restored.
    void projectsLoaded();

private:
    struct LoadedProject;
    // The tree's selection and scroll position, kept across a refresh.
    struct TreeSelection
    {
        QPointer<File> node;
        int row = -1;
        int scroll = 0;
    };
    TreeSelection rememberSelection() const;
    void refreshFinderView(File *node, bool keepSelection, const TreeSelection &kept);
    void updateDirectoryOfFile(File *node, const TreeSelection &kept);
    class OutOfSyncCheck;

    void registerNotifications();
    void connectMenus();
    void setUpFinderView();
    void startLoading(const QVariantMap &rootPathes);
    void takeLoadedProject(quint64 generation, std::shared_ptr<LoadedProject> loaded);
    void finishLoading(quint64 generation);
    void restoreLastPage();
    bool showRememberedMainFile();
    // Selects the node's row, scrolls to it and shows the node in the centre pane.
    void revealAndShow(File *node);
    std::unique_ptr<File> takeProject(File *root);
    bool askToSaveProject(File *root);
    bool saveModifiedFiles(const QList<File *> &files, QStringList *failed);
    void alertSaveFailures(const QStringList &names);
    void selectNode(File *node);
    void writeExpandedFilePath(const QList<File *> &nodes);
    void saveExpansionState();
    void redrawTree();
    void setBreadcrumbs(File *node);
    void stampChangeReason(File *node, int reason, bool throttle);
    static void getImage(const QList<File *> &nodes, QList<File *> &images);
    void queueBypass(File *file, bool remove);
    File *nodeByComponents(File *top, const QString &path) const;
    QWidget *window() const;

    MainInterface *m_ui = nullptr;                           // Not owned.
    QPointer<FileViewController> m_fileViewController;
    QPointer<RollbackDelegate> m_rollbackDelegate;
    PreviewHalfInterface *m_previewHalf = nullptr;           // Not owned.
    QPointer<OutlineViewEx> m_finderView; // Owned by its pane.
    bool m_setUpDone = false;

    std::vector<std::unique_ptr<File>> m_projects;
    QPointer<File> m_selectedFile;
    QPointer<File> m_lastPreviewedFile;
    QList<QPointer<File>> m_selectedDirectoryArray;
    bool m_isChangedByDirecotryUpdated = false;
    bool m_ignoreOpenFile = false;
    bool m_renameRefused = true;
    bool m_selectionSuppressed = false;

    // Loading.
    std::unique_ptr<OperationQueue> m_loadQueue;
    quint64 m_loadGeneration = 0;
    bool m_loading = false;
    int m_loadedCount = 0;
    QString m_rememberedMainFilePath;
    QStringList m_expandedFilePaths;
    bool m_restoringExpansion = false;

    // When the change reason of each path was last stamped (ms since epoch).
    QHash<QString, qint64> m_changeStamps;
    std::unique_ptr<OperationQueue> m_queue;
    quint64 m_checkGeneration = 0;
    std::unique_ptr<OperationQueue> m_bypassOperationQueue;
};
