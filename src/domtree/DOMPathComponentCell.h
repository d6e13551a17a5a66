#pragma once

#include "workspace/PathComponentCell.h"

#include <memory>

class DOMNodeEx;

// A cell of the DOM breadcrumb: it keeps the row it stands for alive, so that
// node() stays valid as long as the breadcrumb shows the cell, however the
// tree is rebuilt meanwhile.
class DOMPathComponentCell : public PathComponentCell
{
public:
    explicit DOMPathComponentCell(std::shared_ptr<DOMNodeEx> row);
    ~DOMPathComponentCell() override;

    const std::shared_ptr<DOMNodeEx> &row() const { return m_row; }

private:
    std::shared_ptr<DOMNodeEx> m_row;
};
