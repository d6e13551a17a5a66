#pragma once

#include "platform/kit/RowView.h"

// The row view of a file or folder row in the file tree: the desktop's own.
class FinderViewFileHeaderCell : public RowView
{
public:
    FinderViewFileHeaderCell();
    ~FinderViewFileHeaderCell() override;
};
