#pragma once

#include "PackItem.h"

#include "platform/kit/OutlineDataSource.h"
#include "toolkit/ExOutlineView.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>

#include <optional>
#include <variant>

class CodeView;
class ProjectSetting;

// The package tree of the Script Packages pane: targets with their script
// and style groups, packages, and the JavaScript files of each package,
// dropped in from the desktop or the project's file tree. It is the
// outline's data source and delegate and shows an item's text in the pane's
// text view.
//
// A drag of package items ("InnerPackDragMove") carries the items' file
// paths first, as the file tree reads them, then where each item stands:
// its real parent and index. A drop checks those places against the tree
// and refuses one it cannot do (an item gone, a move into itself).
class PackageController : public QObject, public OutlineDataSource
{
    Q_OBJECT

public:
    explicit PackageController(QObject *parent = nullptr);
    ~PackageController() override;

    // Sets up the outline's cells, drag types and keys; neither is owned.
    void awakeFromNib(ExOutlineView *outlineView, CodeView *textView);
    ExOutlineView *outlineView() const { return m_outlineView; }

    // Not owned: the pane owns the open settings.
    ProjectSetting *projectSetting() const { return m_projectSetting; }
    void setProjectSetting(ProjectSetting *setting);

    // Data source.
    int numberOfChildrenOfItem(OutlineView *outlineView, void *item) override;
    void *childOfItem(OutlineView *outlineView, int index, void *item) override;
    bool isItemExpandable(OutlineView *outlineView, void *item) override;
    QVariant objectValueForTableColumn(OutlineView *outlineView, int column, void *item, int role) override;
    bool writeItems(OutlineView *outlineView, const QList<void *> &items, QMimeData *pasteboard) override;
    Qt::DropAction validateDrop(OutlineView *outlineView, const DraggingInfo &info, void *proposedItem,
                                int proposedChildIndex) override;
    bool acceptDrop(OutlineView *outlineView, const DraggingInfo &info, void *item, int childIndex) override;

    void outlineViewSelectionDidChange();
    // The selected row's item, or null.
    PackItem *selectedItem() const;

    // What a drag carries: desktop or tree paths, or package items at their places.
    struct DraggedItem
    {
        PackItemPtr item;
        PackItemPtr parent; // Null for a root item.
        int index = -1;
    };
    using Dragged = std::variant<QString, DraggedItem>;
    QList<Dragged> fileListInDraggingInfo(const DraggingInfo &info) const;

    // The "InnerPackDragMove" data of the items: their paths, then their places.
    QByteArray archiveItems(const QList<PackItem *> &items) const;

    void importFile(PackItem *package, const QString &filePath);
    void addTarget();
    static PackItemPtr createTarget();
    void addPackage();
    static PackItemPtr createPackDir();
    void tableDidRecieveEnterKey();
    void tableDidRecieveSpaceKey();
    void tableViewDidRecieveDeleteKey();
    // The text view's text into the selected item.
    void changeText();
    // Shows the selected package's content, when it has some.
    void reloadText();
    void storeContents() {}

Q_SIGNALS:
    // The tree changed in a way the settings file keeps.
    void settingsChanged();
    void selectionDidChange();

private:
    // Where an item stands: its parent's list (the roots for null) and index.
    QList<PackItemPtr> *listOf(PackItem *parent) const;
    std::optional<DraggedItem> placeOf(PackItem *item) const;
    bool isInside(PackItem *item, PackItem *ancestor) const;
    void save();
    void showText(const QString &text);

    QPointer<ExOutlineView> m_outlineView;
    QPointer<CodeView> m_textView;
    ProjectSetting *m_projectSetting = nullptr; // Not owned.
    bool m_showingText = false;
};
