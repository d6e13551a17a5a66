#include "PackageController.h"

#include "CodeView.h"
#include "ProjectSetting.h"
#include "SyntaxColoring.h"

#include "foundation/InspectUndoManager.h"
#include "platform/foundation/Log.h"
#include "platform/kit/Alert.h"
#include "toolkit/ExOutlineView.h"
#include "toolkit/FileDragPasteboard.h"
#include "workspace/File.h"

#include <QDataStream>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QMimeData>
#include <QStyledItemDelegate>

namespace {

// The block after the paths in "InnerPackDragMove": each item's place as
// the child indices from the roots down.
const QString kItemsMark = QStringLiteral("PackItems");

// Rows with children read bold, as headers.
class HeaderCell : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        option->font.setBold(true);
    }
};

PackItem *itemOf(void *item)
{
    return static_cast<PackItem *>(item);
}

bool isScript(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix();
    return suffix == QLatin1String("js") || suffix == QLatin1String("JS");
}

} // namespace

PackageController::PackageController(QObject *parent)
    : QObject(parent)
{
}

PackageController::~PackageController()
{
    if (m_outlineView)
        m_outlineView->setDataSource(nullptr);
}

void PackageController::awakeFromNib(ExOutlineView *outlineView, CodeView *textView)
{
    m_outlineView = outlineView;
    m_textView = textView;
    outlineView->setDataSource(this);
    outlineView->setHeaderVisible(false);
    outlineView->registerCell(QStringLiteral("HeaderCell"), new HeaderCell(outlineView));
    outlineView->registerCell(QStringLiteral("DataCell"), new QStyledItemDelegate(outlineView));
    outlineView->registerForDraggedTypes({FileDragPasteboard::kFileNames, FileDragPasteboard::kInnerPackDragMove,
                                          FileDragPasteboard::kInnerFileDragMove});
    outlineView->setDraggingSourceOperationMask(Qt::MoveAction);

    OutlineDelegate delegate;
    delegate.cellIdentifierForTableColumn = [](OutlineView *, int, void *item) {
        // Targets, groups and packages head their rows; files read plain.
        return item && !itemOf(item)->isLeaf() && !itemOf(item)->filePath() ? QStringLiteral("HeaderCell")
                                                                             : QStringLiteral("DataCell");
    };
    delegate.shouldEditTableColumn = [](OutlineView *, int column, void *item) {
        return column == 0 && item && itemOf(item)->type() == PackItem::Package && itemOf(item)->isPack();
    };
    delegate.selectionDidChange = [this](OutlineView *) { outlineViewSelectionDidChange(); };
    delegate.tableDidRecieveEnterKey = [this](OutlineView *) { tableDidRecieveEnterKey(); };
    delegate.tableDidRecieveSpaceKey = [this](OutlineView *) { tableDidRecieveSpaceKey(); };
    delegate.tableViewDidRecieveDeleteKey = [this](OutlineView *) { tableViewDidRecieveDeleteKey(); };
    outlineView->setDelegate(std::move(delegate));
    if (textView)
        connect(textView, &CodeView::textEdited, this, &PackageController::changeText);
}

void PackageController::setProjectSetting(ProjectSetting *setting)
{
    m_projectSetting = setting;
    if (m_outlineView)
        m_outlineView->reloadData();
}

// --- Data source ---------------------------------------------------------------------------------

int PackageController::numberOfChildrenOfItem(OutlineView *, void *item)
{
    if (!item)
        return m_projectSetting ? int(m_projectSetting->packages().size()) : 0;
    return std::max(0, itemOf(item)->numberOfChildren());
}

void *PackageController::childOfItem(OutlineView *, int index, void *item)
{
    if (!item) {
        if (!m_projectSetting || index < 0 || index >= m_projectSetting->packages().size())
            return nullptr;
        return m_projectSetting->packages().at(index).get();
    }
    return itemOf(item)->childAtIndex(index).get();
}

bool PackageController::isItemExpandable(OutlineView *, void *item)
{
    return !item || !itemOf(item)->isLeaf();
}

QVariant PackageController::objectValueForTableColumn(OutlineView *, int, void *item, int role)
{
    if (!item)
        return {};
    PackItem *pack = itemOf(item);
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return pack->displayName().value_or(QString());
    case Qt::ToolTipRole:
        return pack->filePath().value_or(QString());
    case Qt::DecorationRole:
        switch (pack->type()) {
        case PackItem::Target:
            return QIcon::fromTheme(QStringLiteral("package-x-generic"));
        case PackItem::ScriptGroup:
        case PackItem::StyleGroup:
            return QIcon::fromTheme(QStringLiteral("folder"));
        default:
            return QIcon::fromTheme(pack->filePath() ? QStringLiteral("text-x-script")
                                                     : QStringLiteral("package-x-generic"));
        }
    default:
        return {};
    }
}

// --- Places in the tree ------------------------------------------------------------------------------

QList<PackItemPtr> *PackageController::listOf(PackItem *parent) const
{
    if (!parent)
        return m_projectSetting ? &m_projectSetting->packages() : nullptr;
    return parent->mutableChildren();
}

std::optional<PackageController::DraggedItem> PackageController::placeOf(PackItem *item) const
{
    if (!m_projectSetting || !item)
        return std::nullopt;
    // Depth first through the tree: the list that really holds the item.
    QList<std::pair<PackItemPtr, QList<PackItemPtr> *>> pending{{nullptr, &m_projectSetting->packages()}};
    while (!pending.isEmpty()) {
        auto [parent, list] = pending.takeLast();
        for (int i = 0; i < list->size(); ++i) {
            const PackItemPtr &child = list->at(i);
            if (child.get() == item)
                return DraggedItem{child, parent, i};
            if (QList<PackItemPtr> *children = child->mutableChildren())
                pending.append({child, children});
        }
    }
    return std::nullopt;
}

bool PackageController::isInside(PackItem *item, PackItem *ancestor) const
{
    for (std::optional<DraggedItem> place = placeOf(item); place; place = placeOf(place->parent.get())) {
        if (place->item.get() == ancestor)
            return true;
        if (!place->parent)
            break;
    }
    return false;
}

// --- Dragging ----------------------------------------------------------------------------------------------

QByteArray PackageController::archiveItems(const QList<PackItem *> &items) const
{
    QStringList paths;
    QList<QList<qint32>> places;
    for (PackItem *item : items) {
        if (item->filePath())
            paths.append(*item->filePath());
        QList<qint32> indices;
        for (std::optional<DraggedItem> place = placeOf(item); place; place = placeOf(place->parent.get())) {
            indices.prepend(place->index);
            if (!place->parent)
                break;
        }
        places.append(indices);
    }
    QByteArray data;
    QDataStream stream(&data, QIODevice::WriteOnly);
    FileDragPasteboard::writePaths(stream, paths);
    stream << kItemsMark << (m_projectSetting ? m_projectSetting->path() : QString()) << places;
    return data;
}

bool PackageController::writeItems(OutlineView *, const QList<void *> &items, QMimeData *pasteboard)
{
    QM_DEBUG(QStringLiteral("[writeItems]"));
    QList<PackItem *> dragged;
    for (void *item : items)
        dragged.append(itemOf(item));
    if (dragged.isEmpty())
        return false;
    pasteboard->setData(FileDragPasteboard::kInnerPackDragMove, archiveItems(dragged));
    return true;
}

QList<PackageController::Dragged> PackageController::fileListInDraggingInfo(const DraggingInfo &info) const
{
    QList<Dragged> list;
    const QMimeData *pasteboard = info.pasteboard;
    if (!pasteboard)
        return list;
    if (FileDragPasteboard::hasFileNames(pasteboard)) {
        for (const QString &path : FileDragPasteboard::fileNames(pasteboard))
            list.append(path);
        return list;
    }
    if (pasteboard->hasFormat(FileDragPasteboard::kInnerPackDragMove)) {
        QDataStream stream(pasteboard->data(FileDragPasteboard::kInnerPackDragMove));
        QString mark;
        QString settingsPath;
        QList<QList<qint32>> places;
        if (!FileDragPasteboard::readPaths(stream))
            return list;
        stream >> mark >> settingsPath >> places;
        // Items of another project's tree, or a tree that changed since the
        // drag began, cannot be found: the drop is refused.
        if (stream.status() != QDataStream::Ok || mark != kItemsMark || !m_projectSetting
            || settingsPath != m_projectSetting->path())
            return list;
        QList<Dragged> items;
        for (const QList<qint32> &indices : places) {
            PackItemPtr parent;
            PackItemPtr item;
            for (qint32 index : indices) {
                QList<PackItemPtr> *children = item ? item->mutableChildren() : &m_projectSetting->packages();
                if (!children || index < 0 || index >= children->size())
                    return list;
                parent = item;
                item = children->at(index);
            }
            if (!item)
                return list;
            items.append(DraggedItem{item, parent, int(indices.last())});
        }
        return items;
    }
    if (pasteboard->hasFormat(FileDragPasteboard::kInnerFileDragMove)) {
        for (const QString &path :
             FileDragPasteboard::unarchivePaths(pasteboard->data(FileDragPasteboard::kInnerFileDragMove))
                 .value_or(QStringList()))
            list.append(path);
    }
    return list;
}

Qt::DropAction PackageController::validateDrop(OutlineView *, const DraggingInfo &info, void *proposedItem,
                                               int proposedChildIndex)
{
    const QList<Dragged> list = fileListInDraggingInfo(info);
    if (!proposedItem) {
        if (proposedChildIndex < 0)
            return Qt::IgnoreAction;
        for (const Dragged &entry : list) {
            if (const auto *dragged = std::get_if<DraggedItem>(&entry); dragged && dragged->item->isPack())
                return Qt::MoveAction;
        }
        return Qt::IgnoreAction;
    }
    PackItem *target = itemOf(proposedItem);
    if (!target->isPack() || list.isEmpty())
        return Qt::IgnoreAction;
    if (const auto *dragged = std::get_if<DraggedItem>(&list.first())) {
        if (dragged->item->isPack() || dragged->item.get() == target || isInside(target, dragged->item.get()))
            return Qt::IgnoreAction;
        return Qt::MoveAction;
    }
    return Qt::CopyAction;
}

bool PackageController::acceptDrop(OutlineView *, const DraggingInfo &info, void *item, int childIndex)
{
    QM_DEBUG(QStringLiteral("[acceptDrop]"));
    if (!m_projectSetting)
        return false;
    const QList<Dragged> list = fileListInDraggingInfo(info);
    if (!item) {
        // Only packages go to the root, and only between rows.
        const DraggedItem *package = nullptr;
        for (const Dragged &entry : list) {
            if (const auto *dragged = std::get_if<DraggedItem>(&entry); dragged && dragged->item->isPack()) {
                package = dragged;
                break;
            }
        }
        if (!package || childIndex < 0)
            return false;
        QList<PackItemPtr> &roots = m_projectSetting->packages();
        QList<PackItemPtr> *from = listOf(package->parent.get());
        const int index = from ? int(from->indexOf(package->item)) : -1;
        if (index < 0)
            return false;
        from->removeAt(index);
        const int at = std::clamp(from == &roots && index < childIndex ? childIndex - 1 : childIndex, 0,
                                  int(roots.size()));
        roots.insert(at, package->item);
        package->item->setParent(nullptr);
    } else {
        PackItem *target = itemOf(item);
        if (!target->isPack())
            return false;
        // All or nothing: a package, the target itself or one of its
        // containers among the dragged items refuses the whole drop.
        for (const Dragged &entry : list) {
            if (const auto *dragged = std::get_if<DraggedItem>(&entry);
                dragged && (dragged->item->isPack() || dragged->item.get() == target
                            || isInside(target, dragged->item.get())))
                return false;
        }
        std::optional<DraggedItem> targetPlace = placeOf(target);
        if (!targetPlace)
            return false;
        const PackItemPtr targetItem = targetPlace->item;
        for (const Dragged &entry : list) {
            if (const auto *path = std::get_if<QString>(&entry)) {
                QM_DEBUG(QStringLiteral("%1 %2").arg(*path, QFileInfo(*path).suffix()));
                bool present = false;
                for (const PackItemPtr &child : targetItem->ensureChildren())
                    present = present || child->filePath() == *path;
                if (isScript(*path) && !present)
                    importFile(target, *path);
                continue;
            }
            const DraggedItem &dragged = std::get<DraggedItem>(entry);
            QList<PackItemPtr> *from = listOf(dragged.parent.get());
            const int index = from ? int(from->indexOf(dragged.item)) : -1;
            if (index < 0)
                continue;
            from->removeAt(index);
            QList<PackItemPtr> &into = targetItem->ensureChildren();
            int at = childIndex < 0 ? 0 : (from == &into && index < childIndex ? childIndex - 1 : childIndex);
            into.insert(std::clamp(at, 0, int(into.size())), dragged.item);
            dragged.item->setParent(targetItem);
        }
    }
    if (m_outlineView) {
        m_outlineView->reloadData();
        if (item)
            m_outlineView->expandItem(item);
    }
    save();
    return true;
}

// --- Editing the tree ----------------------------------------------------------------------------------

void PackageController::importFile(PackItem *package, const QString &filePath)
{
    std::optional<DraggedItem> place = placeOf(package);
    auto file = PackItem::create(PackItem::Package);
    file->setFilePath(filePath);
    file->setParent(place ? place->item : nullptr);
    package->ensureChildren().append(file);
    storeContents();
}

PackItemPtr PackageController::createTarget()
{
    PackItemPtr target = PackItem::create();
    target->ensureChildren() << PackItem::create(PackItem::ScriptGroup) << PackItem::create(PackItem::StyleGroup);
    return target;
}

PackItemPtr PackageController::createPackDir()
{
    return PackItem::create(PackItem::Package);
}

void PackageController::addTarget()
{
    if (!m_projectSetting)
        return;
    PackItemPtr target = createTarget();
    m_projectSetting->packages().append(target);
    if (m_outlineView) {
        m_outlineView->reloadData();
        m_outlineView->expandItem(target.get());
    }
    save();
}

void PackageController::addPackage()
{
    PackItem *selected = selectedItem();
    if (!selected
        || !(selected->isPack() || selected->type() == PackItem::ScriptGroup || selected->type() == PackItem::StyleGroup))
        return;
    std::optional<DraggedItem> place = placeOf(selected);
    if (!place)
        return;
    PackItemPtr package = createPackDir();
    package->setParent(place->item);
    selected->ensureChildren().append(package);
    if (m_outlineView) {
        m_outlineView->reloadData();
        m_outlineView->expandItem(selected);
    }
    save();
}

void PackageController::tableDidRecieveEnterKey()
{
    PackItem *selected = selectedItem();
    if (m_outlineView && selected && selected->type() == PackItem::Package && selected->isPack())
        m_outlineView->editColumn(0, m_outlineView->selectedRow(), true);
}

void PackageController::tableDidRecieveSpaceKey()
{
    if (PackItem *selected = selectedItem(); selected && m_outlineView)
        m_outlineView->expandItem(selected);
}

void PackageController::tableViewDidRecieveDeleteKey()
{
    PackItem *selected = selectedItem();
    if (!selected)
        return;
    const int type = selected->type();
    if (type != PackItem::Target && type != PackItem::Package && type != PackItem::DiskFile)
        return;
    std::optional<DraggedItem> place = placeOf(selected);
    QList<PackItemPtr> *list = place ? listOf(place->parent.get()) : nullptr;
    if (!list)
        return;
    // The item stays alive until the view has let go of it.
    const PackItemPtr removed = list->takeAt(place->index);
    if (m_outlineView)
        m_outlineView->reloadData();
    save();
}

// --- Selection and text ---------------------------------------------------------------------------------

PackItem *PackageController::selectedItem() const
{
    return m_outlineView ? itemOf(m_outlineView->selectedItem()) : nullptr;
}

void PackageController::outlineViewSelectionDidChange()
{
    Q_EMIT selectionDidChange();
    PackItem *item = selectedItem();
    if (!item)
        return;
    if (item->type() == PackItem::DiskFile) {
        QFile file(item->filePath().value_or(QString()));
        if (!file.open(QIODevice::ReadOnly)) {
            QM_DEBUG(QStringLiteral("error: %1").arg(file.errorString()));
            Alert alert;
            alert.setMessageText(QStringLiteral("File Open Error"));
            alert.addButtonWithTitle(QStringLiteral("OK"));
            alert.setInformativeText(QStringLiteral("%1: %2").arg(file.fileName(), file.errorString()));
            alert.runModal(m_outlineView ? m_outlineView->window() : nullptr);
            return;
        }
        item->setContent(QString::fromUtf8(file.readAll()));
        showText(*item->content());
        if (InspectUndoManager *undo = File::sharedUndoManager())
            undo->removeAllActions();
    } else if (item->type() == PackItem::Package && item->content()) {
        showText(*item->content());
    }
}

void PackageController::showText(const QString &text)
{
    if (!m_textView)
        return;
    m_textView->setString(text);
    if (SyntaxColoring *colorer = m_textView->textStorageDelegate())
        colorer->applySyntaxColor(m_textView);
}

void PackageController::reloadText()
{
    PackItem *item = selectedItem();
    if (item && item->isPack() && item->content())
        showText(*item->content());
}

void PackageController::changeText()
{
    PackItem *item = selectedItem();
    if (!item || !m_textView)
        return;
    item->setContent(m_textView->string());
    item->setContentUpdateDate(QDateTime::currentDateTimeUtc());
    storeContents();
}

void PackageController::save()
{
    if (m_projectSetting)
        m_projectSetting->saveOrAlert();
    Q_EMIT settingsChanged();
}
