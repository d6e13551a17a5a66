#pragma once

#include <QAbstractItemModel>
#include <QHash>
#include <QList>
#include <QSet>

#include <memory>
#include <vector>

class OutlineDataSource;
class OutlineView;
class TableViewBase;

// The one item model behind every outline and table view of the kit: it mirrors
// the tree an OutlineDataSource answers, keyed by the data source's opaque item
// pointers, with lookups both ways between item and index. Children are asked
// for when the view first needs them. reloadItem() compares the children the
// data source answers now with the ones shown and reports the difference as
// precise row removals, insertions and moves, so the view keeps the expansion
// and selection of every item that stays.
class OutlineItemModel : public QAbstractItemModel
{
    Q_OBJECT

public:
    // Roles beyond Qt's own.
    enum Role {
        // The item pointer of an index, as a quintptr.
        ItemRole = Qt::UserRole + 0x5100,
    };

    explicit OutlineItemModel(TableViewBase *view);
    ~OutlineItemModel() override;

    // The data source is not owned. outlineView is what the data source is
    // given as its view (null for a table).
    void setDataSource(OutlineDataSource *dataSource, OutlineView *outlineView);
    OutlineDataSource *dataSource() const { return m_dataSource; }

    // Index of a known item (column 0 unless given); invalid for the root and
    // for items the view has not been shown.
    QModelIndex indexForItem(void *item, int column = 0) const;
    static void *itemForIndex(const QModelIndex &index);
    bool containsItem(void *item) const { return indexForItem(item).isValid(); }
    // The parent item (null for a top-level item or an unknown one).
    void *parentForItem(void *item) const;
    // Depth below the root: 0 for top-level items, -1 for unknown ones.
    int levelForItem(void *item) const;
    // The children known for an item (loading them when not asked for yet).
    QList<void *> childrenOfItem(void *item) const;

    // Asks the data source again: the item's cells, and with reloadChildren its
    // whole subtree of children already shown. The null item is the root and
    // always reloads its children.
    void reloadItem(void *item, bool reloadChildren);
    void reloadData() { reloadItem(nullptr, true); }

    // Tells the view that the columns changed (count or titles).
    void columnsChanged();

    // QAbstractItemModel
    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    bool hasChildren(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

Q_SIGNALS:
    // Items that left the tree (with their descendants), after their rows
    // were removed. Their pointers may be stale: compare, never dereference.
    void itemsRemoved(const QList<void *> &items);
    // An item shown collapsed became expandable or stopped being so; the view
    // lays its rows out again to show or hide the disclosure mark.
    void expandabilityChanged();

private:
    struct Node
    {
        void *item = nullptr;
        Node *parent = nullptr;
        std::vector<std::unique_ptr<Node>> children;
        int row = 0;
        bool loaded = false;
        bool expandable = false;
        bool expandableAsked = false;
    };

    Node *nodeForIndex(const QModelIndex &index) const;
    QModelIndex indexForNode(const Node *node, int column = 0) const;
    void ensureLoaded(Node *node) const;
    bool askExpandable(Node *node) const;
    QList<void *> askChildren(Node *node) const;
    void renumber(Node *parent, int from) const;
    void forgetSubtree(Node *node, QList<void *> &removed);
    void reloadSubtree(Node *top, QList<void *> &removed);
    void applyChildren(Node *node, QList<void *> &wanted, const QSet<void *> &wantedAnywhere,
                       QList<void *> &removed);
    void checkExpandability(Node *node);
    bool isAncestorOrSelf(const Node *ancestor, const Node *node) const;

    TableViewBase *m_view;                      // Not owned: the view owns the model.
    OutlineDataSource *m_dataSource = nullptr;  // Not owned.
    OutlineView *m_outlineView = nullptr;       // Not owned.
    mutable Node m_root;
    mutable QHash<void *, Node *> m_nodes;
    bool m_layoutDirty = false;
};
