#pragma once

#include "platform/kit/OutlineDataSource.h"

#include <QDialog>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <map>
#include <memory>
#include <optional>

class File;
class OutlineViewEx;
class PreviewDelegate;
class ProjectDelegateInterface;
class QAbstractButton;
class QAction;
class QCheckBox;

class QLabel;
class QProgressBar;
class QPushButton;
class QWidget;
class ResourceBodyFetcher;
class ResourceListItemCell;

// Saves the page shown, with every resource it loaded, into a folder the
// user chooses: a window-modal sheet lists the resources as a tree by site
// and folder (a project page by its project's folders), each with a check
// box; the ticked ones are written from the bytes the preview kept below the
// chosen folder, and the page's absolute links to them can be made relative
// so that the copy works offline. Before the folder is chosen, the sheet
// brings (with its progress bar) the bytes of every ticked resource the
// preview does not hold: the body the browser kept, else the address again.
//
// Outline items are texts: file-system paths for a project page, for a
// network page "scheme://host" per site and "scheme://host/path" below it
// (a page at a folder address shows as that folder's "index.html"). Every
// saved path stays inside the chosen folder: a resource whose address would
// lead out of it is left out of the list.
//
// The topics live in PageDownloadManager.cpp (the sheet, the tree and its
// check boxes) and PageDownloadManagerSave.cpp (paths, writing, links).
class PageDownloadManager : public QObject, public OutlineDataSource
{
    Q_OBJECT

public:
    explicit PageDownloadManager(QWidget *mainWindow, QObject *parent = nullptr);
    ~PageDownloadManager() override;

    // --- Wiring ---------------------------------------------------------------------------
    // The preview whose resource tree is saved and whose download buttons
    // say whether a page is complete; not owned.
    void setPreviewDelegate(PreviewDelegate *preview) { m_preview = preview; }
    // Told while the folder chooser runs as a sheet; not owned.
    void setProjectDelegate(ProjectDelegateInterface *delegate) { m_projectDelegate = delegate; }
    // Hides (false) and shows again (true) the floating style inspector
    // around the sheets.
    void setInspectorVisibility(std::function<void(bool visible)> action) { m_inspectorVisibility = std::move(action); }

    QDialog *pageDownloadWindow() const { return m_pageDownloadWindow.data(); }
    OutlineViewEx *resourceListView() const { return m_resourceListView; }
    QPushButton *okButton() const { return m_okButton; }
    QCheckBox *convertAbsoluteToRelative() const { return m_convertAbsoluteToRelative; }

    // "Download..." is enabled while the page is complete.
    bool validateMenuItem(QAction *item) const;

    // --- The sheet (PageDownloadManager.cpp) ---------------------------------------------
    // Lists every resource of the page, ticked, and opens the sheet.
    void displayWindow();
    void closeWindow();
    // OK: the bytes still missing are brought, then the sheet closes and the
    // folder chooser opens.
    void closeWithSelectLocation();
    // Whether the sheet is bringing missing bytes.
    bool isFetching() const;
    QProgressBar *fetchProgress() const { return m_fetchProgress; }
    void displayLocationSelectWindow();
    void selectAll();
    void deselectAll();
    // Ticks or unticks an item; a folder's items below it follow.
    void checkChange(const QString &item, bool checked);
    void checkDownloadValidate();

    QList<File *> resourceList() const;
    File *indexFile() const { return m_indexFile.data(); }
    // The children of an item ("" for the top level).
    QStringList childrenOfItem(const QString &item) const { return m_childrenMap.value(item); }
    bool itemIsDirectory(const QString &item) const { return !m_childrenMap.value(item).isEmpty(); }
    QStringList selection() const { return m_selectionMap; }
    QStringList allItems() const { return m_allItems; }
    bool isSelected(const QString &item) const { return m_selectionMap.contains(item); }
    File *fileWithItem(const QString &item) const;
    // The number of the page's links to ticked resources.
    int indexLinkCount() const { return m_indexLinkCount; }

    // --- Saving (PageDownloadManagerSave.cpp) ---------------------------------------------
    // The outcome of one download.
    struct DownloadResult
    {
        int written = 0;
        // The files that could not be written, each with why.
        QStringList failures;
    };
    // Writes the ticked items below the folder, then shows the count and
    // posts "resourceDownloadComplete" when anything was written.
    DownloadResult downloadFilesTo(const QString &folder);
    // The path below the chosen folder where the file is saved; nullopt when
    // its address would lead out of that folder.
    std::optional<QString> relativePathOf(File *file) const;
    // The page's text with its absolute links to the ticked resources made
    // relative to indexPath (the page's own path below the chosen folder).
    QString convertAbsoluteURLToRelative(const QString &html, const QString &indexPath) const;
    void checkResourceLinkOfIndex();

    // The path below the chosen folder of a network resource (its host, then
    // its decoded path; a folder address of a page gets "index.html"), or
    // nullopt when a part of it is "." or "..", is empty where a name must
    // be, or holds a character no file name may hold.
    static std::optional<QString> relativePathOfURL(const QUrl &url, bool isPage);
    // The path of the folder and the relative path inside it, when the result
    // stays inside the folder; nullopt otherwise.
    static std::optional<QString> destinationIn(const QString &folder, const QString &relativePath);

    // --- OutlineDataSource -----------------------------------------------------------------
    int numberOfChildrenOfItem(OutlineView *outlineView, void *item) override;
    void *childOfItem(OutlineView *outlineView, int index, void *item) override;
    bool isItemExpandable(OutlineView *outlineView, void *item) override;
    QVariant objectValueForTableColumn(OutlineView *outlineView, int column, void *item, int role) override;

private:
    // What one resource stands as in the tree: its item, the items of the
    // folders above it (the site first) and where it is saved.
    struct Placement
    {
        QStringList folders;
        QString item;
        QString relativePath;
    };

    void makeWindow(QWidget *mainWindow);
    void initResources();
    std::optional<Placement> placementOf(File *file) const;
    void addToTree(const Placement &placement, File *file);
    const QString *itemPointer(const QString &item);
    bool isLocalPage() const;
    QString projectRoot() const;
    void reloadList();
    void afterSelectionChange();
    // The ticked network files whose bytes the preview does not hold.
    QList<File *> selectedFilesWithoutBytes() const;
    void setFetching(bool fetching);

    // PageDownloadManagerSave.cpp
    enum class SaveResult { Written, Skipped, Failed };
    SaveResult saveFile(File *file, const QString &folder, QString *failure);
    bool confirmOverwrite(const QString &path);
    QByteArray bytesToSave(File *file, const QString &relativePath, QString *failure) const;
    // The addresses of the ticked network resources as a page may write
    // them, each with the path that replaces it in the page saved at
    // indexPath. Links are looked up in it as they stand, so no address is
    // ever read as a pattern.
    QHash<QString, QString> relativeLinks(const QString &indexPath) const;

    QPointer<QWidget> m_mainWindow;
    // Owned: deleted with the manager, unless the main window took it down first.
    QPointer<QDialog> m_pageDownloadWindow;
    OutlineViewEx *m_resourceListView = nullptr;             // Owned by the sheet.
    ResourceListItemCell *m_cell = nullptr;                  // Owned by the list.
    QPushButton *m_okButton = nullptr;                       // Owned by the sheet.
    QCheckBox *m_convertAbsoluteToRelative = nullptr;        // Owned by the sheet.
    QProgressBar *m_fetchProgress = nullptr;                 // Owned by the sheet.
    QLabel *m_fetchLabel = nullptr;                          // Owned by the sheet.
    QList<QPushButton *> m_selectionButtons;                 // Owned by the sheet.
    ResourceBodyFetcher *m_bodyFetcher = nullptr;            // Owned (QObject child).
    PreviewDelegate *m_preview = nullptr;                    // Not owned.
    ProjectDelegateInterface *m_projectDelegate = nullptr;   // Not owned.
    std::function<void(bool)> m_inspectorVisibility;

    QList<QPointer<File>> m_resourceList;
    QPointer<File> m_indexFile;
    QString m_projectRoot;
    QHash<QString, QStringList> m_childrenMap;
    QHash<QString, QPointer<File>> m_fileOfItem;
    QHash<QString, QString> m_relativePathOfItem;
    QStringList m_selectionMap;
    QStringList m_allItems;
    // The texts the outline's items point to, one per item.
    std::map<QString, std::unique_ptr<QString>> m_items;
    int m_indexLinkCount = 0;
    // The apply-to-all answer of the overwrite question during one download.
    bool m_overrideConfirmed = false;
    bool m_isOverride = false;
};
