#pragma once

#include <QStyleOptionButton>
#include <QStyledItemDelegate>

#include <functional>

// The row of the page-saving sheet's resource tree: a check box, then the
// item's icon and name. A click on the box, or Space on the row, toggles
// it; the action gets the row's index and the new state (the sheet's
// checkChange()).
class ResourceListItemCell : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit ResourceListItemCell(QObject *parent = nullptr);
    ~ResourceListItemCell() override;

    void setAction(std::function<void(const QModelIndex &index, bool checked)> action) { m_action = std::move(action); }

    // The check box of a row, at its left end; its state is the row's check state.
    QStyleOptionButton checkBox(const QStyleOptionViewItem &option, const QModelIndex &index) const;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    bool editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                     const QModelIndex &index) override;

private:
    static QStyle *styleOf(const QStyleOptionViewItem &option);

    std::function<void(const QModelIndex &, bool)> m_action;
};
