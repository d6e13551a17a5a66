#include "LoadedResouceViewCell.h"

#include "platform/kit/NamedImage.h"

#include <QPainter>

#include <algorithm>

LoadedResouceViewCell::LoadedResouceViewCell(QObject *parent)
    : NameDetailCell(NameCut::ExtensionFirst, Qt::ElideLeft, parent), m_modifiedIcon(NamedImage::templateImage(QString(), QStringLiteral("modified")))
{
}

LoadedResouceViewCell::~LoadedResouceViewCell() = default;

QRect LoadedResouceViewCell::textRect(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QRect rect = NameDetailCell::textRect(option, index);
    if (index.data(ModifiedRole).toBool())
        rect.setRight(std::min(rect.right(), option.rect.right() - s_markSize - 4));
    return rect;
}

void LoadedResouceViewCell::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    NameDetailCell::paint(painter, option, index);
    if (!index.data(ModifiedRole).toBool())
        return;
    const QRect mark(option.rect.right() - s_markSize - 2, option.rect.center().y() - s_markSize / 2 + 1, s_markSize,
                     s_markSize);
    m_modifiedIcon.paint(painter, mark, Qt::AlignCenter,
                         (option.state & QStyle::State_Selected) ? QIcon::Selected : QIcon::Normal);
}
