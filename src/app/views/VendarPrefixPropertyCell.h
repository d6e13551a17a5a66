#pragma once

#include <QStyleOptionButton>
#include <QStyledItemDelegate>

#include <functional>

// The row of the project settings' property list: a check box titled with
// the property name, ticked while the property gets vendor-prefixed copies.
// A click on the row, or Space on it, toggles the box; the box's action gets
// the title (the project settings panel's checkChanged()).
class VendarPrefixPropertyCell : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit VendarPrefixPropertyCell(QObject *parent = nullptr);
    ~VendarPrefixPropertyCell() override;

    void setAction(std::function<void(const QString &title)> action) { m_action = std::move(action); }

    // The check box of a row: its title is the row's text, its state the
    // row's check state.
    QStyleOptionButton checkBox(const QStyleOptionViewItem &option, const QModelIndex &index) const;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    bool editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                     const QModelIndex &index) override;

private:
    std::function<void(const QString &)> m_action;
};
