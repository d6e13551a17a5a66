#pragma once

#include <QStyledItemDelegate>

// The cell of the style-sheet filter's table: a check mark when the row's
// sheet is in the filter, and its name. It draws no background of its own.
class StyleSheetCell : public QStyledItemDelegate
{
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};
