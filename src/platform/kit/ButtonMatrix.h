#pragma once

#include <QWidget>

class QAbstractButton;
class QButtonGroup;
class QGridLayout;

// The kit's matrix of radio cells: checkable buttons in a grid, one of them
// selected, each with a tag of its own (which need not be its position).
// A click on a cell selects it and sends the action (cellClicked(tag)).
// Arrow keys move between the cells as radio buttons do.
class ButtonMatrix : public QWidget
{
    Q_OBJECT

public:
    explicit ButtonMatrix(QWidget *parent = nullptr);

    // Adds the cell at the row and column; the matrix takes it as a child.
    void addCell(QAbstractButton *cell, int tag, int row, int column);
    // The cells in the order they were added.
    QList<QAbstractButton *> cells() const { return m_cells; }
    QAbstractButton *cellWithTag(int tag) const;

    // The tag of the selected cell, -1 when none is.
    int selectedTag() const;
    // Selects without sending the action; false when no cell has the tag.
    bool selectCellWithTag(int tag);
    // Selects the cell added at the position (0 first) without sending the action.
    bool selectCellAtPosition(int position);
    void setSpacing(int spacing);

Q_SIGNALS:
    void cellClicked(int tag);

private:
    QButtonGroup *m_group = nullptr; // Owned (child object).
    QGridLayout *m_layout = nullptr; // Owned (by the widget).
    QList<QAbstractButton *> m_cells; // Not owned (children).
};
