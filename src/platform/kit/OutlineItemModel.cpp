#include "OutlineItemModel.h"

#include "OutlineDataSource.h"
#include "TableViewBase.h"

#include <QLoggingCategory>
#include <QSet>

Q_LOGGING_CATEGORY(lcOutlineModel, "quillmark.kit.outline")

OutlineItemModel::OutlineItemModel(TableViewBase *view)
    : QAbstractItemModel(view)
    , m_view(view)
{
    m_root.loaded = false;
}

OutlineItemModel::~OutlineItemModel() = default;

void OutlineItemModel::setDataSource(OutlineDataSource *dataSource, OutlineView *outlineView)
{
    beginResetModel();
    m_dataSource = dataSource;
    m_outlineView = outlineView;
    QList<void *> removed;
    for (auto &child : m_root.children)
        forgetSubtree(child.get(), removed);
    m_root.children.clear();
    m_root.loaded = false;
    endResetModel();
    if (!removed.isEmpty())
        Q_EMIT itemsRemoved(removed);
}

OutlineItemModel::Node *OutlineItemModel::nodeForIndex(const QModelIndex &index) const
{
    if (!index.isValid())
        return &m_root;
    return static_cast<Node *>(index.internalPointer());
}

QModelIndex OutlineItemModel::indexForNode(const Node *node, int column) const
{
    if (!node || node == &m_root)
        return {};
    return createIndex(node->row, column, const_cast<Node *>(node));
}

QModelIndex OutlineItemModel::indexForItem(void *item, int column) const
{
    // Top-level items are known once the root has been asked; deeper ones
    // once their parent has been shown expanded.
    ensureLoaded(&m_root);
    return indexForNode(m_nodes.value(item), column);
}

void *OutlineItemModel::itemForIndex(const QModelIndex &index)
{
    if (!index.isValid() || !qobject_cast<const OutlineItemModel *>(index.model()))
        return nullptr;
    return static_cast<Node *>(index.internalPointer())->item;
}

void *OutlineItemModel::parentForItem(void *item) const
{
    ensureLoaded(&m_root);
    const Node *node = m_nodes.value(item);
    return node && node->parent ? node->parent->item : nullptr;
}

int OutlineItemModel::levelForItem(void *item) const
{
    ensureLoaded(&m_root);
    const Node *node = m_nodes.value(item);
    if (!node)
        return -1;
    int level = -1;
    for (; node && node != &m_root; node = node->parent)
        ++level;
    return level;
}

QList<void *> OutlineItemModel::childrenOfItem(void *item) const
{
    Node *node = item ? m_nodes.value(item) : &m_root;
    QList<void *> items;
    if (!node)
        return items;
    ensureLoaded(node);
    items.reserve(int(node->children.size()));
    for (const auto &child : node->children)
        items.append(child->item);
    return items;
}

QList<void *> OutlineItemModel::askChildren(Node *node) const
{
    QList<void *> items;
    if (!m_dataSource)
        return items;
    const int count = m_dataSource->numberOfChildrenOfItem(m_outlineView, node->item);
    items.reserve(qMax(0, count));
    QSet<void *> seen;
    for (int i = 0; i < count; ++i) {
        void *child = m_dataSource->childOfItem(m_outlineView, i, node->item);
        if (!child) {
            qCWarning(lcOutlineModel) << "data source answered no item for child" << i;
            continue;
        }
        if (seen.contains(child)) {
            qCWarning(lcOutlineModel) << "data source answered the same item twice; the second is skipped";
            continue;
        }
        seen.insert(child);
        items.append(child);
    }
    return items;
}

void OutlineItemModel::ensureLoaded(Node *node) const
{
    if (node->loaded)
        return;
    node->loaded = true;
    const QList<void *> items = askChildren(node);
    node->children.reserve(items.size());
    for (void *item : items) {
        // An item shown elsewhere in the tree already cannot be shown twice.
        if (m_nodes.contains(item)) {
            qCWarning(lcOutlineModel) << "item already shown under another parent; skipped";
            continue;
        }
        auto child = std::make_unique<Node>();
        child->item = item;
        child->parent = node;
        child->row = int(node->children.size());
        m_nodes.insert(item, child.get());
        node->children.push_back(std::move(child));
    }
}

bool OutlineItemModel::askExpandable(Node *node) const
{
    if (node == &m_root)
        return true;
    node->expandable = m_dataSource && m_dataSource->isItemExpandable(m_outlineView, node->item);
    node->expandableAsked = true;
    return node->expandable;
}

void OutlineItemModel::renumber(Node *parent, int from) const
{
    for (int i = qMax(0, from); i < int(parent->children.size()); ++i)
        parent->children[i]->row = i;
}

void OutlineItemModel::forgetSubtree(Node *node, QList<void *> &removed)
{
    for (auto &child : node->children)
        forgetSubtree(child.get(), removed);
    m_nodes.remove(node->item);
    removed.append(node->item);
}

bool OutlineItemModel::isAncestorOrSelf(const Node *ancestor, const Node *node) const
{
    for (; node; node = node->parent) {
        if (node == ancestor)
            return true;
    }
    return false;
}

void OutlineItemModel::reloadItem(void *item, bool reloadChildren)
{
    ensureLoaded(&m_root);
    Node *node = item ? m_nodes.value(item) : &m_root;
    if (!node)
        return;
    QList<void *> removed;
    m_layoutDirty = false;
    if (node != &m_root) {
        const int last = columnCount() - 1;
        Q_EMIT dataChanged(indexForNode(node, 0), indexForNode(node, last));
        checkExpandability(node);
    }
    if (reloadChildren || node == &m_root)
        reloadSubtree(node, removed);
    if (!removed.isEmpty())
        Q_EMIT itemsRemoved(removed);
    if (m_layoutDirty) {
        m_layoutDirty = false;
        Q_EMIT expandabilityChanged();
    }
}

void OutlineItemModel::checkExpandability(Node *node)
{
    if (!node->expandableAsked)
        return;
    const bool was = node->expandable;
    if (askExpandable(node) != was)
        m_layoutDirty = true;
}

void OutlineItemModel::reloadSubtree(Node *top, QList<void *> &removed)
{
    // 1. Ask the data source for the children of every item whose children
    // are shown, top-down, before changing anything: an item that moved to
    // another parent is then moved with its subtree (and keeps its expansion
    // and selection) whichever of the two parents comes first. Only items the
    // data source answers now are asked in turn: an item that left the tree
    // may be gone already, and its pointer is never followed.
    std::vector<std::pair<void *, QList<void *>>> answers;
    QSet<void *> wantedAnywhere;
    QSet<const Node *> asked;
    std::vector<Node *> pending{top};
    while (!pending.empty()) {
        Node *node = pending.back();
        pending.pop_back();
        if (!node->loaded || asked.contains(node))
            continue;
        asked.insert(node);
        QList<void *> wanted = askChildren(node);
        for (void *child : wanted)
            wantedAnywhere.insert(child);
        for (auto it = wanted.crbegin(); it != wanted.crend(); ++it) {
            Node *known = m_nodes.value(*it);
            if (known && known->loaded && isAncestorOrSelf(top, known))
                pending.push_back(known);
        }
        answers.emplace_back(node->item, std::move(wanted));
    }

    // 2. Bring each parent's rows to its answer.
    for (auto &[item, wanted] : answers) {
        Node *node = item ? m_nodes.value(item) : &m_root;
        if (node && (node == top || isAncestorOrSelf(top, node)))
            applyChildren(node, wanted, wantedAnywhere, removed);
    }

    // 3. Rows left behind by items whose new parent went away, then the
    // values of every row.
    for (auto &[item, wanted] : answers) {
        Node *node = item ? m_nodes.value(item) : &m_root;
        if (!node || !(node == top || isAncestorOrSelf(top, node)))
            continue;
        const QModelIndex parentIndex = indexForNode(node);
        if (int(node->children.size()) > wanted.size()) {
            const int first = int(wanted.size());
            const int last = int(node->children.size()) - 1;
            beginRemoveRows(parentIndex, first, last);
            for (int k = first; k <= last; ++k)
                forgetSubtree(node->children[k].get(), removed);
            node->children.erase(node->children.begin() + first, node->children.end());
            endRemoveRows();
        }
        if (!node->children.empty()) {
            Q_EMIT dataChanged(index(0, 0, parentIndex),
                               index(int(node->children.size()) - 1, columnCount() - 1, parentIndex));
        }
        for (auto &child : node->children)
            checkExpandability(child.get());
    }
}

void OutlineItemModel::applyChildren(Node *node, QList<void *> &wanted,
                                     const QSet<void *> &wantedAnywhere, QList<void *> &removed)
{
    const QModelIndex parentIndex = indexForNode(node);

    // Rows whose items are wanted nowhere go, in runs from the end. Items
    // wanted under another parent stay until that parent takes them.
    const QSet<void *> wantedHere(wanted.cbegin(), wanted.cend());
    for (int i = int(node->children.size()) - 1; i >= 0; --i) {
        void *child = node->children[i]->item;
        if (wantedHere.contains(child) || wantedAnywhere.contains(child))
            continue;
        int first = i;
        while (first > 0) {
            void *previous = node->children[first - 1]->item;
            if (wantedHere.contains(previous) || wantedAnywhere.contains(previous))
                break;
            --first;
        }
        beginRemoveRows(parentIndex, first, i);
        for (int k = first; k <= i; ++k)
            forgetSubtree(node->children[k].get(), removed);
        node->children.erase(node->children.begin() + first, node->children.begin() + i + 1);
        renumber(node, first);
        endRemoveRows();
        i = first;
    }

    // The wanted items in order: rows already in place stay, rows further
    // down or under another parent move here, new items are inserted in
    // runs. Rows wanted elsewhere end up after the wanted ones.
    for (int i = 0; i < wanted.size(); ++i) {
        void *item = wanted[i];
        if (i < int(node->children.size()) && node->children[i]->item == item)
            continue;
        Node *existing = m_nodes.value(item);
        if (existing && existing->parent == node) {
            const int from = existing->row;
            beginMoveRows(parentIndex, from, from, parentIndex, i);
            std::unique_ptr<Node> moving = std::move(node->children[from]);
            node->children.erase(node->children.begin() + from);
            node->children.insert(node->children.begin() + i, std::move(moving));
            renumber(node, i);
            endMoveRows();
        } else if (existing) {
            if (isAncestorOrSelf(existing, node)) {
                qCWarning(lcOutlineModel) << "item answered as a child of its own descendant; skipped";
                wanted.removeAt(i--);
                continue;
            }
            Node *oldParent = existing->parent;
            const int from = existing->row;
            beginMoveRows(indexForNode(oldParent), from, from, parentIndex, i);
            std::unique_ptr<Node> moving = std::move(oldParent->children[from]);
            oldParent->children.erase(oldParent->children.begin() + from);
            renumber(oldParent, from);
            moving->parent = node;
            node->children.insert(node->children.begin() + i, std::move(moving));
            renumber(node, i);
            endMoveRows();
        } else {
            int last = i;
            while (last + 1 < wanted.size() && !m_nodes.contains(wanted[last + 1]))
                ++last;
            beginInsertRows(parentIndex, i, last);
            for (int k = i; k <= last; ++k) {
                auto child = std::make_unique<Node>();
                child->item = wanted[k];
                child->parent = node;
                m_nodes.insert(wanted[k], child.get());
                node->children.insert(node->children.begin() + k, std::move(child));
            }
            renumber(node, i);
            endInsertRows();
            i = last;
        }
    }
}

void OutlineItemModel::columnsChanged()
{
    beginResetModel();
    endResetModel();
}

QModelIndex OutlineItemModel::index(int row, int column, const QModelIndex &parent) const
{
    if (row < 0 || column < 0 || column >= columnCount())
        return {};
    Node *node = nodeForIndex(parent);
    ensureLoaded(node);
    if (row >= int(node->children.size()))
        return {};
    return createIndex(row, column, node->children[row].get());
}

QModelIndex OutlineItemModel::parent(const QModelIndex &child) const
{
    if (!child.isValid())
        return {};
    const Node *node = static_cast<Node *>(child.internalPointer());
    return indexForNode(node->parent);
}

int OutlineItemModel::rowCount(const QModelIndex &parent) const
{
    if (parent.column() > 0)
        return 0;
    Node *node = nodeForIndex(parent);
    ensureLoaded(node);
    return int(node->children.size());
}

int OutlineItemModel::columnCount(const QModelIndex &) const
{
    return qMax(1, m_view ? m_view->numberOfColumns() : 1);
}

bool OutlineItemModel::hasChildren(const QModelIndex &parent) const
{
    if (parent.column() > 0)
        return false;
    Node *node = nodeForIndex(parent);
    if (node == &m_root)
        return rowCount(parent) > 0;
    return askExpandable(node);
}

QVariant OutlineItemModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    void *item = static_cast<Node *>(index.internalPointer())->item;
    if (role == ItemRole)
        return QVariant::fromValue(quintptr(item));
    if (!m_dataSource)
        return {};
    const QVariant value =
        m_dataSource->objectValueForTableColumn(m_outlineView, index.column(), item, role);
    // An editor starts from the shown text unless the data source says otherwise.
    if (role == Qt::EditRole && !value.isValid())
        return m_dataSource->objectValueForTableColumn(m_outlineView, index.column(), item, Qt::DisplayRole);
    return value;
}

bool OutlineItemModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || !m_dataSource || role != Qt::EditRole)
        return false;
    void *item = static_cast<Node *>(index.internalPointer())->item;
    // The data source may reload the rows it is told of: the row is asked
    // for again afterwards, and only when it is still there.
    const QPersistentModelIndex edited(index);
    if (!m_dataSource->setObjectValue(m_outlineView, value, index.column(), item))
        return false;
    if (edited.isValid())
        Q_EMIT dataChanged(edited, edited);
    return true;
}

Qt::ItemFlags OutlineItemModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return m_view && m_view->acceptDrops() ? Qt::ItemIsDropEnabled : Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (m_view && m_view->isCellEditable(index))
        flags |= Qt::ItemIsEditable;
    if (m_view && m_view->isDragSource())
        flags |= Qt::ItemIsDragEnabled;
    if (m_view && m_view->acceptDrops())
        flags |= Qt::ItemIsDropEnabled;
    return flags;
}

QVariant OutlineItemModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || !m_view)
        return {};
    const QList<TableColumn> columns = m_view->tableColumns();
    if (section < 0 || section >= columns.size())
        return {};
    return columns[section].title;
}
