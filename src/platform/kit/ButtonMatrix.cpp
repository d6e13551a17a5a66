#include "ButtonMatrix.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QGridLayout>

ButtonMatrix::ButtonMatrix(QWidget *parent) : QWidget(parent)
{
    m_group = new QButtonGroup(this);
    m_group->setExclusive(true);
    m_layout = new QGridLayout(this);
    m_layout->setContentsMargins(0, 0, 0, 0);
    connect(m_group, &QButtonGroup::idClicked, this, &ButtonMatrix::cellClicked);
}

void ButtonMatrix::addCell(QAbstractButton *cell, int tag, int row, int column)
{
    cell->setCheckable(true);
    // A cell never gets narrower than its title.
    cell->setSizePolicy(QSizePolicy::Minimum, cell->sizePolicy().verticalPolicy());
    m_group->addButton(cell, tag);
    m_layout->addWidget(cell, row, column);
    m_cells.append(cell);
}

QAbstractButton *ButtonMatrix::cellWithTag(int tag) const
{
    return m_group->button(tag);
}

int ButtonMatrix::selectedTag() const
{
    return m_group->checkedId();
}

bool ButtonMatrix::selectCellWithTag(int tag)
{
    QAbstractButton *cell = cellWithTag(tag);
    if (!cell)
        return false;
    cell->setChecked(true);
    return true;
}

bool ButtonMatrix::selectCellAtPosition(int position)
{
    if (position < 0 || position >= m_cells.size())
        return false;
    m_cells.at(position)->setChecked(true);
    return true;
}

void ButtonMatrix::setSpacing(int spacing)
{
    m_layout->setSpacing(spacing);
}
