#include "StyleSheetCell.h"

#include <QPainter>

void StyleSheetCell::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    painter->save();
    const bool selected = option.state & QStyle::State_Selected;
    painter->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    painter->setFont(option.font);
    const QRect mark(option.rect.left() + 4, option.rect.top(), 14, option.rect.height());
    if (index.data(Qt::CheckStateRole).toInt() == Qt::Checked)
        painter->drawText(mark, Qt::AlignCenter, QString(QChar(0x2713)));
    const QRect text = option.rect.adjusted(mark.width() + 8, 0, -4, 0);
    painter->drawText(text, Qt::AlignVCenter | Qt::AlignLeft,
                      option.fontMetrics.elidedText(index.data(Qt::DisplayRole).toString(), Qt::ElideMiddle, text.width()));
    painter->restore();
}
