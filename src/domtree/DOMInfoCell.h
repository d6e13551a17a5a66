#pragma once

#include <QStyledItemDelegate>

class DomInfoDelegate;

// A row of the attribute inspector: the name, and the value edited in place.
// While the value is edited each change reaches the page at once; when the
// editing ends with other text than it began with, the inspector is told.
class DOMInfoCell : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit DOMInfoCell(DomInfoDelegate *dominfoDelegate, QObject *parent = nullptr);
    ~DOMInfoCell() override;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;

private:
    DomInfoDelegate *m_dominfoDelegate; // Not owned; the inspector.
    // The value when the editing began.
    mutable QString m_oldText;
};
