#pragma once

#include "platform/kit/NameDetailCell.h"

#include <QIcon>

// The cell of the resource list's rows: the resource's icon and name in the
// desktop's colours, its folder after it (the name stays where the folder
// does not fit), and a mark at the row's end while the resource has edits
// that were not saved (the row's ModifiedRole).
class LoadedResouceViewCell : public NameDetailCell
{
    Q_OBJECT

public:
    // The role under which a row answers whether its resource is modified.
    static constexpr int ModifiedRole = Qt::UserRole + 40;

    explicit LoadedResouceViewCell(QObject *parent = nullptr);
    ~LoadedResouceViewCell() override;

    QIcon modifiedIcon() const { return m_modifiedIcon; }

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;

protected:
    QRect textRect(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    static constexpr int s_markSize = 12;
    QIcon m_modifiedIcon;
};
