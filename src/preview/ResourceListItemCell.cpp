#include "ResourceListItemCell.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>

namespace {

constexpr int kGap = 4;

} // namespace

ResourceListItemCell::ResourceListItemCell(QObject *parent) : QStyledItemDelegate(parent)
{
}

ResourceListItemCell::~ResourceListItemCell() = default;

QStyle *ResourceListItemCell::styleOf(const QStyleOptionViewItem &option)
{
    return option.widget ? option.widget->style() : QApplication::style();
}

QStyleOptionButton ResourceListItemCell::checkBox(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionButton box;
    QStyle *style = styleOf(option);
    const int width = style->pixelMetric(QStyle::PM_IndicatorWidth, &option, option.widget);
    const int height = style->pixelMetric(QStyle::PM_IndicatorHeight, &option, option.widget);
    box.rect = QRect(option.rect.left() + 2, option.rect.center().y() - height / 2 + 1, width, height);
    box.palette = option.palette;
    box.direction = option.direction;
    box.state = QStyle::State_None;
    if (option.state & QStyle::State_Enabled)
        box.state |= QStyle::State_Enabled;
    box.state |= index.data(Qt::CheckStateRole).toInt() == Qt::Checked ? QStyle::State_On : QStyle::State_Off;
    return box;
}

void ResourceListItemCell::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const QStyleOptionButton box = checkBox(option, index);
    QStyle *style = styleOf(option);
    style->drawPrimitive(QStyle::PE_IndicatorCheckBox, &box, painter, option.widget);
    // The icon and the name follow the box, drawn the usual way without a check mark.
    QStyleOptionViewItem rest = option;
    initStyleOption(&rest, index);
    rest.features &= ~QStyleOptionViewItem::HasCheckIndicator;
    rest.rect.setLeft(box.rect.right() + kGap);
    style->drawControl(QStyle::CE_ItemViewItem, &rest, painter, option.widget);
}

QSize ResourceListItemCell::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem rest = option;
    initStyleOption(&rest, index);
    rest.features &= ~QStyleOptionViewItem::HasCheckIndicator;
    const QSize item = styleOf(option)->sizeFromContents(QStyle::CT_ItemViewItem, &rest, QSize(), option.widget);
    const QRect box = checkBox(option, index).rect;
    return {item.width() + box.width() + kGap + 2, qMax(item.height(), box.height() + 2)};
}

bool ResourceListItemCell::editorEvent(QEvent *event, QAbstractItemModel *, const QStyleOptionViewItem &option,
                                       const QModelIndex &index)
{
    if (!(option.state & QStyle::State_Enabled) || !m_action)
        return false;
    bool toggle = false;
    if (event->type() == QEvent::MouseButtonRelease) {
        auto *mouse = static_cast<QMouseEvent *>(event);
        toggle = mouse->button() == Qt::LeftButton
            && checkBox(option, index).rect.adjusted(-2, -2, 2, 2).contains(mouse->position().toPoint());
    } else if (event->type() == QEvent::KeyPress) {
        toggle = static_cast<QKeyEvent *>(event)->key() == Qt::Key_Space;
    }
    if (!toggle)
        return false;
    m_action(index, index.data(Qt::CheckStateRole).toInt() != Qt::Checked);
    return true;
}
