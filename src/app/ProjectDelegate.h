#pragma once

#include "FileViewController.h"
#include "ProjectDownload.h"
#include "RollbackDelegate.h"

#include "interfaces/ProjectDelegateInterface.h"
#include "platform/kit/OutlineDataSource.h"
#include "toolkit/OutlineViewEx.h"
#include "workspace/File.h"

#include <QFutureWatcher>
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
class FilePanel;
class FileArrayController;
class FileRowCell;
class MainInterface;
class MenuItemEx;
class OperationQueue;
class OutlineView;
class PathControl;
class PreviewHalfInterface;
class QAction;
class QKeyEvent;
class QMenu;
class QTimer;
class QUrl;
class SCEvent;
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
// (content changes, saving, the out-of-sync check), ProjectDelegateChores.cpp
// (bookmarks, folders, the substitution jobs, images), ProjectDelegateFiles.cpp
// (the file tree's commands on files), ProjectDelegateProjects.cpp (new,
// added, downloaded projects and user templates), ProjectDelegateMenus.cpp
// (menu validation, the breadcrumb's menus and the DOM tree toggles),
// ProjectDelegateDrag.cpp (dragging in the file tree) and
// ProjectDelegateOutside.cpp (files other programs change or delete).
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
    // Why a project's folder cannot be shown (it is missing, or cannot be
    // read), empty when it can. Such a project stays in the list, greyed,
    // until the user removes it, and comes back by itself once its folder
    // can be read (#85).
    QString unavailableReason(const File *root) const { return m_unavailableProjects.value(root); }
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
    int modifiedFileCount() override;
    // Saves every modified file of every project and marks it as having no
    // change pending. The walk goes on past a file that cannot be written;
    // answers "<name>: <reason>" for each of those.
    QStringList saveOnQuit() override;
    void confirmDownloadTurtorialProject() override;
    // Loads the project settings panel again.
    void reloadProjectConfigView() override;
    void fileNameTextFieldDisable(bool disable) override;
    void updateDetectLayer() override;
    void clearDetectLayer() override;
    void doSetPreviewWithLastIndex() override;
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
    FileArrayController *selectedDirectoryArrayController() const { return m_selectedDirectoryArray; }
    // Expands every ancestor of the node and the node itself.
    void openAllParent(File *node);
    // Reloads the node's rows (nil: all), keeping the scroll position and,
    // when asked, the selected node.
    void refreshFinderView(File *node, bool keepSelection);
    // After the node's children were read again: reloads its rows, keeping
    // the selected node (the same row when the node is gone) and the scroll.
    void updateDirectoryOfFile(File *node);
    void directoryUpdated(const Notification &notification);
    // Reads the folder of the event again, and its row with it.
    void refreshFolderOf(const SCEvent &event);
    void refreshDirectory(const Notification &notification);
    void didLoadedFromWeb(const Notification &notification);
    void openProjectConfig();
    bool isChangedByDirecotryUpdated() const { return m_isChangedByDirecotryUpdated; }
    bool ignoreOpenFile() const { return m_ignoreOpenFile; }
    void setIgnoreOpenFile(bool ignore) override { m_ignoreOpenFile = ignore; }
    // The folder paths the tree shows expanded, as last written.
    QStringList expandedFilePaths() const { return m_expandedFilePaths; }

    // --- Dragging in the file tree (ProjectDelegateDrag.cpp) --------------------------------
    bool writeItems(OutlineView *outlineView, const QList<void *> &items, QMimeData *pasteboard) override;
    Qt::DropAction validateDrop(OutlineView *outlineView, const DraggingInfo &info, void *proposedItem,
                                int proposedChildIndex) override;
    bool acceptDrop(OutlineView *outlineView, const DraggingInfo &info, void *item, int childIndex) override;
    // The dragged paths: the desktop's file list when there is one, else the
    // package items', else the tree rows'.
    QStringList fileListInDraggingInfo(const DraggingInfo &info) const;
    // Whether the target is the node or lies below it.
    static bool validateMyTreeFile(File *target, File *node);
    // Selects the node's row and makes it the workspace selection.
    void setFocusDropedFile(File *node);

    // --- Content in step, saving (ProjectDelegateSync.cpp) ----------------------------------
    void refreshFileContent(const Notification &notification);
    void fileContentChanged(const Notification &notification);
    void saveFileContent(const Notification &notification);
    // After a save: a page behind the file's code-view typing takes the text saved.
    void showSavedText(File *node);
    void remodFile(File *node);
    void reloadTextViewContent();
    // Queues the check whether the page shown is behind the text being
    // edited; the latest check decides the blocking sheets.
    void checkOutOfSynchronization() override;
    void needSaveAndRefresh(const Notification &notification);
    void saveFile();
    void saveOutlineview(QObject *sender);

    // --- Outside changes (ProjectDelegateOutside.cpp) ----------------------------------------
    // The question about a file another program changed while it had unsaved
    // edits: "Keep My Changes" or "Use the Version on Disk".
    std::optional<File::OutsideChangeChoice> askAboutChangedFile(File *file);
    // The question about a file another program deleted while it had unsaved
    // edits: "Keep My Changes" (it stays marked missing), "Save Again" or
    // "Discard" (the node and its view go).
    void askAboutDeletedFile(File *file);

    // --- Chores (ProjectDelegateChores.cpp) -------------------------------------------------
    static void addProjectBookmark(const QString &path);
    static void removeProjectBookmark(const QString &path);
    // The program's cache folder (empty when the desktop names none), its
    // "templates" folder (made, with the cache folder, when missing), and
    // the temporary folder.
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

    // The image files of the project of the page shown.
    QList<File *> getImages();

    static QString loadURLFromUserDefaultsForKey(const QString &key);
    static void saveURLToUserDefaults(const QString &url, const QString &key);

    // True while one of the project panels runs as a sheet of the main window.
    static bool panelSheetShown();
    static void setPanelSheetShown(bool shown);
    void setSheetShown(bool shown) override { setPanelSheetShown(shown); }

    // --- File commands (ProjectDelegateFiles.cpp) ---------------------------------------------
    // Each acts on the clicked row's node from the tree's context menu, on
    // the selected row's node otherwise (actedOnFile()). The disk changes
    // first; then the folder is read again and its rows refreshed.
    void createDirectory() { readyToCreateFile(QStringLiteral("directory")); }
    void createHtml() { readyToCreateFile(QStringLiteral("html")); }
    void createCss() { readyToCreateFile(QStringLiteral("css")); }
    void createJs() { readyToCreateFile(QStringLiteral("js")); }
    // A new "untitled" folder or file of the kind ("directory", "html",
    // "css", "js") in the acted-on folder, or beside the acted-on file.
    void readyToCreateFile(const QString &kind);
    // Writes the item (a file starts as the kind's sample), selects it and
    // starts editing its name; answers its node.
    File *generateFile(const QString &kind, const QString &path, File *parent);
    // The first free path of "<folder>/<baseName><n>[.<kind>]" from n on.
    static QString createFilePath(const QString &folder, int number, const QString &kind, const QString &baseName);
    // The tree's Delete keys: asks, then moves the selected items to the Trash.
    void delete_();
    // As delete_(), while the file tree has the keyboard.
    void showDeleteFileAlertFromMainMenu();
    // The context menu's delete: the selection when the clicked row is in
    // it, else the clicked row alone.
    void showDeleteFileAlert();
    QString generateDeleteAlertMessage() const;
    // Beeps and asks; "OK" deletes the node (single) or the selection.
    void readyToDeleteFiles(const QString &message, bool single, File *node);
    // Moves the selected items to the Trash; projects among them leave the list.
    void deleteSelectedFiles();
    // A project leaves the list (its folder stays); anything else goes to the Trash.
    void deleteClickedSingleFile(File *node);
    // Moves the node's item to the Trash; answers whether it went.
    bool deleteSeletedFile(bool single, File *node);
    // The end of renaming a row: {"stringValue": the new name}.
    void finderViewTextFieldTextDidEndEditing(const Notification &notification);
    // Renames the node's item, as the end of editing its row's name does;
    // a name that is taken or cannot be used alerts and renames nothing.
    void renameNode(File *node, const QString &name);
    // A copy named "<name>_copy" beside the node, its name in editing.
    void duplicateFile();
    // Unpacks the archive into its folder, asking before replacing files;
    // the archive goes only once it was unpacked whole.
    void unzipFile();
    // Shows the node in the desktop's file manager.
    void showInFinder();
    // Shows the node in the centre pane.
    void openFile();
    // Copies the node's project into the user templates.
    void saveProjectAsTemplate();
    // After a page was saved: refreshes the tree when its folder is in a project.
    void doRefreshProject(const Notification &notification);
    // The node of a path that just appeared in the parent's folder.
    File *importFile(File *parent, const QString &path);
    // The leaves under the node (a leaf counts 1).
    static int getAllChildrenCount(File *node);
    // The children of the node and its ancestors whose path is the path get
    // the icon of the item at iconPath and new breadcrumb cells.
    void updateParentFileChildren(const QString &path, const QString &iconPath, File *node);
    // After a rename: the node's path and those below it have oldText
    // replaced by newText, each keeping its node and its place in the
    // project's map.
    void updateChildFilePathCompornent(const QString &oldText, const QString &newText, File *node);

    // --- Projects: added, new, downloaded, templates (ProjectDelegateProjects.cpp) -------
    // Asks for folders and adds each one that is no project yet.
    void addProject();
    // Makes the folder a project: its settings, a place in the list and the
    // tree, its bookmark; with open, its first "index.html" is opened.
    File *importProjectWithPath(const QString &path, bool importConfig, bool open);
    // The same, with the page to open already found (a path in the folder).
    File *importProjectWithPath(const QString &path, bool importConfig, bool open, const QString &page);
    // Asks for the new project's folder, and makes it from the sample.
    void createProjectSelected();
    void createNewProject(const QString &path);
    void downloadTurtrialProject() { confirmDownloadTurtorialProject(); }
    void doDownloadTurtorialProject(const QString &path);
    // The names of the user templates, in listing order.
    static QStringList getUserTemplates();
    void createProjectWithUserTemplate(QAction *item);
    // Asks for the new project's folder, and copies the template there.
    void newProjectFromTemplate(const QString &templatePath);
    void createProjectFromPath(const QString &source, const QString &destination);
    // Downloads and unpacks the archive into the destination, then opens the project.
    void createProjectFromURL(const QUrl &url, const QString &destination);
    // The download under way, or null.
    ProjectDownload *currentDownload() const { return m_download; }
    // Where the sample and tutorial archives come from: the program's own
    // "download" resources unless set otherwise.
    static QUrl downloadEndpoint();
    static void setDownloadEndpoint(const QUrl &url);
    // A download that sends nothing for this long is given up (ms).
    static int downloadTransferTimeout();
    static void setDownloadTransferTimeout(int milliseconds);

    // --- Menus, breadcrumbs and toggles (ProjectDelegateMenus.cpp) ---------------------------
    // Whether an item of the tree's context menu ("fileMenu") or of the File
    // menu is enabled, by its menu's title and its tag; any other item is.
    bool validateMenuItem(QAction *item);
    // Refills the "New Project From User Template" submenu.
    void menuWillOpen(QMenu *menu);
    // The file breadcrumb's action: pops up a menu of the clicked
    // component's file and its siblings.
    void breadcrambAction(PathControl *control);
    // A menu of the node's children; a folder's submenu is filled when it opens.
    QMenu *createMenu(File *node, QWidget *parent = nullptr);
    // Shows the item's file in the centre pane.
    void menuSelected(MenuItemEx *item);
    // Shows the DOM tree when it is hidden, hides it when shown.
    void showDOMNodeTree();
    void doShowDOMNodeTree();
    void doHideDOMNodeTree();
    // Shows (true) or hides the pane of the DOM tree beside the code.
    void doShowSourceCode(bool show);
    // Selecting an element in the page: detection off when it is on,
    // otherwise the DOM tree shown; then "selectNodeMode".
    void selectNode();
    void checkAndEnableNextURL();
    void invalidateElementInformation();
    static QString readableValueWithBytes(double bytes);

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
    class TreeDrop;

    // The node holding the path, searched project by project, and the
    // path's own node.
    File *holderOfPath(const QString &path, File **node) const;
    bool dropFilesIntoFolder(TreeDrop &drop, const QStringList &fileNames);
    bool dropFoldersAsProjects(TreeDrop &drop, const QStringList &fileNames);
    bool moveRows(TreeDrop &drop, const QStringList &paths);
    void finishDrop(TreeDrop &drop);

    void registerNotifications();
    void connectMenus();
    void connectFileMenu();
    // Shows the project panel as a sheet: the style inspector is hidden and
    // panelSheetShown() set meanwhile; the action runs on OK only.
    void runProjectPanel(FilePanel &panel, std::function<void(const QStringList &paths)> action);
    // Takes the project out of the list and forgets it (bookmark, settings,
    // watcher); its folder stays. Answers false when the user kept it to
    // save its unsaved edits.
    bool forgetProject(File *root, bool askToSave);
    void alertTrashFailures(const QStringList &names);
    void startRenaming(File *node);
    // The code header's switch and the View menu's item follow whether the
    // DOM tree's pane is shown.
    void showDOMNodeTreeState();
    void setDOMNodeTreeToggles(bool shown);
    bool hasSeveralSelectedRows() const;
    void setUpFinderView();
    void startLoading(const QVariantMap &rootPathes);
    void takeLoadedProject(quint64 generation, std::shared_ptr<LoadedProject> loaded);
    void finishLoading(quint64 generation);
    void restoreLastPage();
    bool showRememberedMainFile();
    // Selects the node's row, scrolls to it and shows the node in the centre pane.
    void revealAndShow(File *node);
    std::unique_ptr<File> takeProject(File *root);
    // Why the project folder at the path cannot be loaded; empty when it can.
    static QString whyProjectUnavailable(const QString &path);
    // Keeps the project in the list as unavailable, and looks at its folder
    // again every few seconds.
    void markUnavailable(File *root, const QString &reason);
    // Looks again at the folders of the unavailable projects, off the main
    // thread; takeUnavailableReasons() loads each that can be read now.
    void checkUnavailableProjects();
    void takeUnavailableReasons(const QHash<QString, QString> &reasons);
    bool askToSaveProject(File *root);
    bool saveModifiedFiles(const QList<File *> &files, QList<File *> *failed);
    // One alert for the files whose save failed, each with its reason.
    void alertSaveFailures(const QList<File *> &files);
    // "<name>: <why its last save failed>".
    static QString saveFailureLine(const File *file);
    // "<name> <what>." for one file, "<n> files <what>: <names>." for more.
    void alertFailures(const QStringList &names, const QString &what, const QString &informative);
    // A failure of copying, unpacking or writing: the message and "OK".
    static void alertFailure(const QString &message);
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
    // File's question is answered here; the folder refresh's findings are
    // asked about at the next turn, and a page that shows a file whose
    // version on disk was taken is reloaded.
    void installOutsideChangeQuestion();
    void fileChangedOutside(File *file);
    void fileDeletedOutside(File *file);
    void fileTookDiskVersion(File *file);
    // The page shown is loaded again at the next turn, from the files as they are now.
    void reloadChangedPageLater();
    bool isShownInPage(File *file);
    // Whether the page loaded now is made of the file: it, or one of its
    // resources, is read from it.
    bool isResourceOfPage(File *file);
    // The program itself moved the item at the path, or put it in the Trash:
    // the unsaved edits of the nodes there are dropped (a move carries them
    // to the new nodes), so that the refresh takes no deletion for another
    // program's.
    void forgetEditsAt(const QString &path);
    // What a question about the file is shown over: the window of its code
    // view when one is shown, else the main window.
    QWidget *questionParent(File *file) const;
    // A question about a file, over the file's views.
    int askAboutFile(File *file, const QString &message, const QString &informative, const QStringList &buttons);

    MainInterface *m_ui = nullptr;                           // Not owned.
    QPointer<FileViewController> m_fileViewController;
    QPointer<RollbackDelegate> m_rollbackDelegate;
    PreviewHalfInterface *m_previewHalf = nullptr;           // Not owned.
    QPointer<OutlineViewEx> m_finderView; // Owned by its pane.
    bool m_setUpDone = false;

    std::vector<std::unique_ptr<File>> m_projects;
    // The projects whose folders could not be read, with why.
    QHash<const File *, QString> m_unavailableProjects;
    QTimer *m_unavailableCheck; // Owned (child).
    QPointer<QFutureWatcher<QHash<QString, QString>>> m_unavailableLook; // The look under way; a child.
    QPointer<File> m_selectedFile;
    QPointer<File> m_lastPreviewedFile;
    FileArrayController *m_selectedDirectoryArray; // Owned (child).
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

    QPointer<ProjectDownload> m_download;
};
