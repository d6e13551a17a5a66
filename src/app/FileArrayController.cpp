#include "FileArrayController.h"

#include "workspace/File.h"

FileArrayController::FileArrayController(QObject *parent)
    : QAbstractListModel(parent)
{
}

FileArrayController::~FileArrayController()
{
    for (const QMetaObject::Connection &watch : std::as_const(m_watches))
        disconnect(watch);
}

File *FileArrayController::objectAtIndex(int row) const
{
    return row >= 0 && row < m_items.size() ? m_items[row] : nullptr;
}

void FileArrayController::setContent(const QList<File *> &items)
{
    beginResetModel();
    for (const QMetaObject::Connection &watch : std::as_const(m_watches))
        disconnect(watch);
    m_watches.clear();
    m_items.clear();
    for (File *file : items) {
        if (!file || m_items.contains(file))
            continue;
        m_items.append(file);
        m_watches.append(connect(file, &QObject::destroyed, this, [this, file] { forget(file); }));
    }
    endResetModel();
}

void FileArrayController::forget(File *file)
{
    const int row = int(m_items.indexOf(file));
    if (row < 0)
        return;
    beginRemoveRows({}, row, row);
    m_items.removeAt(row);
    disconnect(m_watches.takeAt(row));
    endRemoveRows();
}

int FileArrayController::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_items.size());
}

QVariant FileArrayController::data(const QModelIndex &index, int role) const
{
    File *file = objectAtIndex(index.row());
    if (!file || index.column() != 0)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return file->imageTitle();
    case Qt::DecorationRole:
        return file->icon();
    case Qt::ToolTipRole:
    case ImageUIDRole:
        return file->imageUID();
    case FileRole:
        return QVariant::fromValue(file);
    default:
        return {};
    }
}

Qt::ItemFlags FileArrayController::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled;
}
