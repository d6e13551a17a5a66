#include "DOMPathComponentCell.h"

#include "DOMNodeEx.h"

DOMPathComponentCell::DOMPathComponentCell(std::shared_ptr<DOMNodeEx> row)
    : m_row(std::move(row))
{
    setNode(m_row.get());
}

DOMPathComponentCell::~DOMPathComponentCell() = default;
