#include "LoadedResouceViewCell.h"

#include "platform/kit/NamedImage.h"

#include <QPainter>

LoadedResouceViewCell::LoadedResouceViewCell(QObject *parent)
    : QStyledItemDelegate(parent), m_modifiedIcon(NamedImage::templateImage(QString(), QStringLiteral("modified")))
{
}

LoadedResouceViewCell::~LoadedResouceViewCell() = default;

void LoadedResouceViewCell::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const bool modified = index.data(ModifiedRole).toBool();
    QStyleOptionViewItem text = option;
    if (modified)
        text.rect.setRight(option.rect.right() - s_markSize - 4);
    QStyledItemDelegate::paint(painter, text, index);
    if (!modified)
        return;
    const QRect mark(option.rect.right() - s_markSize - 2, option.rect.center().y() - s_markSize / 2 + 1, s_markSize,
                     s_markSize);
    m_modifiedIcon.paint(painter, mark, Qt::AlignCenter,
                         (option.state & QStyle::State_Selected) ? QIcon::Selected : QIcon::Normal);
}
