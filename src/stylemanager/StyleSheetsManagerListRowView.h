#pragma once

#include "platform/kit/RowView.h"

// The row of the style-sheet manager's list. An @media block's row shows no
// disclosure mark: the block always stays open.
class StyleSheetsManagerListRowView : public RowView
{
public:
    explicit StyleSheetsManagerListRowView(bool mediaRow) : m_mediaRow(mediaRow) {}

    bool showsDisclosureButton() const override { return !m_mediaRow; }

private:
    bool m_mediaRow;
};
