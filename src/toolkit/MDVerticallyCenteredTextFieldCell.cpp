#include "MDVerticallyCenteredTextFieldCell.h"

#include <QFontMetricsF>

#include <cmath>

MDVerticallyCenteredTextFieldCell::~MDVerticallyCenteredTextFieldCell() = default;

QRect MDVerticallyCenteredTextFieldCell::adjustedFrameToVerticallyCenterText(const QRect &frame,
                                                                             double ascent, double descent)
{
    const int d = int(std::floor((frame.height() - (ascent + descent)) * 0.5)) - 3;
    return QRect(frame.x(), frame.y() + d, frame.width(), frame.height() - 2 * d);
}

QRect MDVerticallyCenteredTextFieldCell::adjustedFrameToVerticallyCenterText(const QRect &frame,
                                                                             const QFont &font)
{
    const QFontMetricsF metrics(font);
    return adjustedFrameToVerticallyCenterText(frame, metrics.ascent(), metrics.descent());
}

void MDVerticallyCenteredTextFieldCell::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                              const QModelIndex &index) const
{
    QStyleOptionViewItem adjusted = option;
    adjusted.rect = adjustedFrameToVerticallyCenterText(option.rect, option.font);
    QStyledItemDelegate::paint(painter, adjusted, index);
}

void MDVerticallyCenteredTextFieldCell::updateEditorGeometry(QWidget *editor,
                                                             const QStyleOptionViewItem &option,
                                                             const QModelIndex &index) const
{
    QStyleOptionViewItem adjusted = option;
    adjusted.rect = adjustedFrameToVerticallyCenterText(option.rect, option.font);
    QStyledItemDelegate::updateEditorGeometry(editor, adjusted, index);
}
