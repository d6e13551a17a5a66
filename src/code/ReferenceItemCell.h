#pragma once

#include "JumpButton.h"

#include <QStyledItemDelegate>

#include <functional>

class MarkUpElement;

// The row of the code assist list ("ItemCell"): the row's text in the editor
// font and, for a class name, the style sheet defining it with a jump button
// at the right end. A click on the button hands it to the action.
class ReferenceItemCell : public QStyledItemDelegate
{
    Q_OBJECT

public:
    // The height of a row of the list.
    static constexpr int kRowHeight = 18;

    // elementAt answers the row's element, or null.
    ReferenceItemCell(std::function<const MarkUpElement *(const QModelIndex &)> elementAt, QObject *parent);

    void setJumpAction(std::function<void(const JumpButton &)> action) { m_jumpAction = std::move(action); }

    // Where the row's jump button stands; empty for a row without one.
    QRect jumpButtonRect(const QStyleOptionViewItem &option, const QModelIndex &index) const;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    bool editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                     const QModelIndex &index) override;

private:
    std::function<const MarkUpElement *(const QModelIndex &)> m_elementAt;
    std::function<void(const JumpButton &)> m_jumpAction;
};
