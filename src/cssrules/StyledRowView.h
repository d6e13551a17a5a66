#pragma once

#include "platform/kit/RowView.h"

#include <functional>

// The row view of the rules outline: its background tints when its row
// belongs to the rule of the selected row (the group the panel tells it).
// updateStyle() draws it again; a selection change restyles it first.
class StyledRowView : public RowView
{
public:
    // Whether the row belongs to the selected rule; empty: never.
    using GroupTest = std::function<bool()>;

    explicit StyledRowView(GroupTest inSelectedGroup = {});
    ~StyledRowView() override;

    void updateStyle();

    void drawBackgroundInRect(QPainter &painter, const QRect &dirtyRect) override;

private:
    GroupTest m_inSelectedGroup;
};
