#pragma once

#include <QTreeView>

// An outline whose selection marks a gap between rows: above the selected
// row (selectionState() 0) or below it (1). A click gives the gap above the
// clicked row; the arrow keys walk every gap one at a time, the gap below a
// group's last child and below the last row included.
class InsertIndicatorOutlineView : public QTreeView
{
    Q_OBJECT

public:
    explicit InsertIndicatorOutlineView(QWidget *parent = nullptr);

    int selectionState() const { return m_selectionState; }
    // 0 a mouse click, 1 a key press.
    int selectionChangeReason() const { return m_selectionChangeReason; }
    // 1 down, -1 up, 0 before any arrow key.
    int keyDirection() const { return m_keyDirection; }
    // The visible row of the gap; -1 for none.
    int selectedRow() const;
    int numberOfRows() const;
    QModelIndex indexOfRow(int row) const;
    int rowOfIndex(const QModelIndex &index) const;

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void drawRow(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    // Moves the gap one step in keyDirection().
    void selectRowByKey();
    void selectRow(int row);

    int m_selectionState = 0;
    int m_selectionChangeReason = 0;
    int m_keyDirection = 0;
};
