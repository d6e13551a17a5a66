#pragma once

#include <QStyledItemDelegate>

class DOMNodeEx;
class DomTreeDelegate;

// The cell of a DOM tree row: the row's text in the tree's fixed font,
// wrapped when it is longer than the outline is wide. A closing row starts
// one level to the left, under its opening row; a comment reads
// "<!--text-->". Rows left out of the saved page, and reference rows, are
// drawn in grey; a selected row that is left out is struck through.
class DOMRowCell : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit DOMRowCell(DomTreeDelegate *domTreeDelegate, QObject *parent = nullptr);
    ~DOMRowCell() override;

    // The text a row shows.
    static QString textOf(const DOMNodeEx &row);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    DomTreeDelegate *m_domTreeDelegate; // Not owned; the tree's controller.
};
