#pragma once

#include <QStyledItemDelegate>

// A text cell that centres its text vertically in tall rows, when drawn and
// when edited.
class MDVerticallyCenteredTextFieldCell : public QStyledItemDelegate
{
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;
    ~MDVerticallyCenteredTextFieldCell() override;

    // The frame inset vertically by d = floor((height - (ascent + descent))
    // / 2) - 3 on each side.
    static QRect adjustedFrameToVerticallyCenterText(const QRect &frame, double ascent, double descent);
    static QRect adjustedFrameToVerticallyCenterText(const QRect &frame, const QFont &font);

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    void updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                              const QModelIndex &index) const override;
};
