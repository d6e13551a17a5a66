#pragma once

#include "ResourceInfo.h"

#include "platform/kit/OutlineDataSource.h"
#include "toolkit/OutlineViewEx.h"
#include "workspace/File.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class CSSOutlineDelegateInterface;
class ExWebView;
class File;
class FileViewControllerInterface;
class PathControl;
class PreviewDelegate;
class PreviewDomTreeInterface;
class ProjectDelegateInterface;
class QAction;
class QMenu;
class QWidget;
class RBLPopover;
class ViewController;
struct Notification;

// The resource list: everything the page shown loaded, as the outline of
// its main frame's index File, the groups under it (Script(2), Style(3),
// Frame(1)...) and the resources under them. Choosing a resource opens it
// (a remote one in the code pane, a local one in the file tree; a page in
// the DOM tree); its context menu downloads it, shows the headers the server
// sent in a popover, reveals its file, or makes a local file stand in for a
// remote resource (its save destination), which the preview then loads in
// its place.
//
// The outline's rows are nodes of the panel's own (rebuilt with each new set
// of roots), each standing for a File; the Files are the preview's and the
// projects' (watched, never owned). The controls it is given are not owned.
//
// The topics live in LoadedResourceDelegate.cpp (the outline, choosing and
// opening, keeping remote files in step) and LoadedResourceDelegateActions.cpp
// (the context menu, the header popover, downloads and save destinations).
class LoadedResourceDelegate : public QObject, public OutlineDataSource
{
    Q_OBJECT

public:
    // The commands of the context menu.
    enum class Action { DownloadFile, ShowHttpInfo, ShowInFinder, SetSaveDestination, RemoveSaveDestination };

    explicit LoadedResourceDelegate(QObject *parent = nullptr);
    ~LoadedResourceDelegate() override;

    // --- Wiring --------------------------------------------------------------------------------
    // The panel to place in the window (made with the controller; whoever
    // places it owns it).
    QWidget *view() const { return m_view.data(); }
    OutlineViewEx *resouceView() const { return m_resouceView.data(); }
    void setPreviewDelegate(PreviewDelegate *preview) { m_preview = preview; }
    ExWebView *webview() const;
    void setWebview(ExWebView *webview);
    void setFileViewController(FileViewControllerInterface *controller) { m_fileViewController = controller; }
    // The DOM tree and the rules panel; without their own, those of the preview.
    void setDomTreeDelegate(PreviewDomTreeInterface *delegate) { m_domTreeDelegate = delegate; }
    void setCssOutlineDelegate(CSSOutlineDelegateInterface *delegate) { m_cssOutlineDelegate = delegate; }
    PreviewDomTreeInterface *domTreeDelegate() const;
    CSSOutlineDelegateInterface *cssOutlineDelegate() const;
    void setProjectDelegate(ProjectDelegateInterface *delegate) { m_projectDelegate = delegate; }
    // The breadcrumb over the code pane, which shows the chosen resource's path.
    void setBreadcramb(PathControl *control);
    // The window the panels run as sheets of.
    void setWindow(QWidget *window) { m_window = window; }

    // --- The outline (LoadedResourceDelegate.cpp) -------------------------------------------
    // The roots (the main frame's index File); the outline is built anew.
    void setResources(const QList<File *> &roots);
    QList<File *> resources() const;
    // The resource last opened from the list (it may be gone with its page).
    File *lastSelection() const { return m_selection.data(); }
    // The path of the resource last opened, also once its File is gone with
    // its page; empty before any was opened.
    QString lastSelectionPath() const { return m_remembered ? m_remembered->path : QString(); }
    File *selectedTreeToFile() const;
    File *firstTreeToFile() const;
    // The File of the clicked row (during a click or the context menu),
    // else of the selected row.
    File *getSelectedFile() const;
    // After a rebuild: every row expanded, and the resource opened last
    // chosen again by its name (a page loaded again has new Files).
    void expandItem();
    // Opens a resource: a remote one in the code pane (only shown, without
    // opening the project's settings, when open is false), a page in the
    // DOM tree and the other inspectors (only when open: the user chose
    // it); then "resouceViewDidChanged" tells the rest of the program.
    void contentChange(File *file, bool open);
    void setBreadCrambWithFile(File *file);
    // The rows of a node of the outline, depth-first: the first whose File
    // is the File (or has its path); by name: a local File by path, a
    // remote one by original name or else by name.
    struct ResourceNode;
    ResourceNode *searchNode(File *file) const;
    ResourceNode *searchNodeByName(File *file) const;
    // The row of a File (its first), or -1.
    int rowOfFile(File *file) const;
    File *fileAtRow(int row) const;
    // The project's File of a local resource (the one the panels edit and
    // save), when it is another File than the list's.
    File *projectFileOf(File *file) const;
    // The folder a row shows after a resource's name: in its project, on
    // the disk, or its address's host and folders; none for a group.
    QString folderOf(File *file) const;
    void doubleClick();
    void outlineViewSelectionDidChange();
    // Ctrl+S in the list: the page and its style sheets are saved.
    void saveOutlineview();

    // Keeping remote Files in step with their edits and saves.
    void refreshFileContent(const Notification &notification);
    void fileSavedByCommandS(const Notification &notification);
    void finderViewDidChanged(const Notification &notification);
    void shownDomTreeView();

    // --- Commands (LoadedResourceDelegateActions.cpp) ----------------------------------------
    QMenu *menu() const { return m_menu; }
    QAction *actionFor(Action action) const;
    // Whether the command applies to the clicked (else selected) File.
    bool validateUserInterfaceItem(Action action) const;
    static bool validateUserInterfaceItem(Action action, File *file);
    void downloadFile();
    void showHttpInfo();
    void showInFinder();
    void setSaveDestination();
    void removeSaveDestination();
    // Writes the File's bytes to the path as they came (a text that was
    // edited here as its edited text, in UTF-8); the write is whole or not
    // at all. nullopt on success, else why it failed.
    static std::optional<QString> download(const QString &path, File *file);
    // The header rows of the File's response (of its frame's document for
    // a page), "Content-Length" with its readable size beside it.
    void setResourceDetailListToFile(File *file);
    QList<std::shared_ptr<ResourceInfo>> resouceDetailList() const { return m_resouceDetailList; }
    RBLPopover *httpInfo() const { return m_httpInfo.get(); }
    // The name a save destination is proposed under.
    static QString saveDestinationName(File *file);

    // --- OutlineDataSource -------------------------------------------------------------------
    int numberOfChildrenOfItem(OutlineView *outlineView, void *item) override;
    void *childOfItem(OutlineView *outlineView, int index, void *item) override;
    bool isItemExpandable(OutlineView *outlineView, void *item) override;
    QVariant objectValueForTableColumn(OutlineView *outlineView, int column, void *item, int role) override;

    // A node of the outline, standing for a File.
    struct ResourceNode
    {
        QPointer<File> file;
        ResourceNode *parent = nullptr;
        std::vector<std::unique_ptr<ResourceNode>> children;
    };

private:
    void buildNodes(ResourceNode &node, int depth);
    void makeMenu();
    // Asks where to save the File (a sheet of the window, the name proposed)
    // and hands the chosen path on, unless the panel was cancelled or the
    // File went meanwhile.
    void chooseSavePath(File *file, const QString &name, const QString &prompt,
                        std::function<void(File *, const QString &)> chosen);
    // Writes the bytes whole or not at all; nullopt on success, else why not.
    static std::optional<QString> writeWhole(const QString &path, const QByteArray &bytes);
    void alertFailure(const QString &message, const QString &reason) const;
    void redrawFile(File *file);

    // The window owns the panel once it was placed, and may delete it first.
    QPointer<QWidget> m_view;
    QPointer<OutlineViewEx> m_resouceView; // a child of m_view
    QMenu *m_menu = nullptr;         // Owned by m_view.
    QList<QAction *> m_actions;      // Owned by the menu, in the order of Action.
    PreviewDelegate *m_preview = nullptr; // Not owned.
    QPointer<ExWebView> m_webview;
    FileViewControllerInterface *m_fileViewController = nullptr;   // Not owned.
    PreviewDomTreeInterface *m_domTreeDelegate = nullptr;          // Not owned.
    CSSOutlineDelegateInterface *m_cssOutlineDelegate = nullptr;   // Not owned.
    ProjectDelegateInterface *m_projectDelegate = nullptr;         // Not owned.
    QPointer<PathControl> m_breadcramb;
    QPointer<QWidget> m_window;

    QList<QPointer<File>> m_resources;
    std::vector<std::unique_ptr<ResourceNode>> m_roots;
    // The listed Files' modified states, redrawn as they change.
    QList<QMetaObject::Connection> m_modifiedWatches;
    QPointer<File> m_selection;
    // What the last opened resource was, to choose it again after a reload.
    struct Remembered
    {
        QString path;
        QString originalDisplayName;
        QString displayName;
        bool isLocal = false;
    };
    std::optional<Remembered> m_remembered;
    bool m_restoringSelection = false;
    QPointer<File> m_breadcrumbBaseFile;

    QList<std::shared_ptr<ResourceInfo>> m_resouceDetailList;
    std::unique_ptr<ViewController> m_httpInfoContent;
    std::unique_ptr<RBLPopover> m_httpInfo;
};
