#include "VendarPrefixPropertyCell.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>

VendarPrefixPropertyCell::VendarPrefixPropertyCell(QObject *parent)
    : QStyledItemDelegate(parent)
{
}

VendarPrefixPropertyCell::~VendarPrefixPropertyCell() = default;

QStyleOptionButton VendarPrefixPropertyCell::checkBox(const QStyleOptionViewItem &option,
                                                      const QModelIndex &index) const
{
    QStyleOptionButton box;
    box.rect = option.rect.adjusted(4, 0, -2, 0);
    box.text = index.data(Qt::DisplayRole).toString();
    box.fontMetrics = option.fontMetrics;
    box.palette = option.palette;
    box.direction = option.direction;
    box.state = QStyle::State_None;
    if (option.state & QStyle::State_Enabled)
        box.state |= QStyle::State_Enabled;
    if (option.state & QStyle::State_MouseOver)
        box.state |= QStyle::State_MouseOver;
    box.state |= index.data(Qt::CheckStateRole).toInt() == Qt::Checked ? QStyle::State_On : QStyle::State_Off;
    return box;
}

void VendarPrefixPropertyCell::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                     const QModelIndex &index) const
{
    QStyleOptionButton box = checkBox(option, index);
    // A selected row keeps the text legible on the highlight.
    if (option.state & QStyle::State_Selected)
        box.palette.setColor(QPalette::WindowText, option.palette.color(QPalette::HighlightedText));
    const QWidget *widget = option.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_CheckBox, &box, painter, widget);
}

QSize VendarPrefixPropertyCell::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const QStyleOptionButton box = checkBox(option, index);
    const QWidget *widget = option.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    const QSize text = option.fontMetrics.size(Qt::TextSingleLine, box.text);
    return style->sizeFromContents(QStyle::CT_CheckBox, &box, text, widget) + QSize(6, 2);
}

bool VendarPrefixPropertyCell::editorEvent(QEvent *event, QAbstractItemModel *, const QStyleOptionViewItem &option,
                                           const QModelIndex &index)
{
    if (!(option.state & QStyle::State_Enabled) || !m_action)
        return false;
    bool toggle = false;
    if (event->type() == QEvent::MouseButtonRelease) {
        auto *mouse = static_cast<QMouseEvent *>(event);
        toggle = mouse->button() == Qt::LeftButton && option.rect.contains(mouse->position().toPoint());
    } else if (event->type() == QEvent::KeyPress) {
        toggle = static_cast<QKeyEvent *>(event)->key() == Qt::Key_Space;
    }
    if (!toggle)
        return false;
    m_action(index.data(Qt::DisplayRole).toString());
    return true;
}
