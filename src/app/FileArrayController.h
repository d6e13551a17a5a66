#pragma once

#include "views/ImageBrowserView.h"

#include <QAbstractListModel>
#include <QList>
#include <QMetaObject>

class File;

// A list of Files shown by a view, in the order given: the folder-thumbnail
// list of the centre pane (the project controller's selectedDirectoryArray,
// which the thumbnail browser shows). A File that is destroyed leaves the
// list at once. The rows answer the item's name, icon and path (its image
// identifier), and the File itself under FileRole.
class FileArrayController : public QAbstractListModel
{
    Q_OBJECT

public:
    enum Role { FileRole = Qt::UserRole + 1, ImageUIDRole = ImageBrowserView::imageUIDRole };

    explicit FileArrayController(QObject *parent = nullptr);
    ~FileArrayController() override;

    QList<File *> content() const { return m_items; }
    // The items in the order shown.
    QList<File *> arrangedObjects() const { return m_items; }
    File *objectAtIndex(int row) const;
    int count() const { return int(m_items.size()); }
    // Replaces the items; the views' selections go with the old ones.
    void setContent(const QList<File *> &items);
    void removeAllObjects() { setContent({}); }

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    void forget(File *file);

    QList<File *> m_items; // Not owned; each leaves when destroyed.
    QList<QMetaObject::Connection> m_watches;
};
