#pragma once

#include <QPointer>
#include <QRect>

class InsertIndicatorOutlineView;
class QPainter;

// Draws a row of the insert position outline: no selection highlight; on
// the selected row a line with an arrow head at its top edge (insert before)
// or its bottom edge (insert after), as the owner's selectionState() says.
class InsertIndicatorRowView
{
public:
    explicit InsertIndicatorRowView(InsertIndicatorOutlineView *ownerListView = nullptr) : m_ownerListView(ownerListView) {}

    InsertIndicatorOutlineView *ownerListView() const { return m_ownerListView; }
    void setOwnerListView(InsertIndicatorOutlineView *owner) { m_ownerListView = owner; }
    void setSelected(bool selected) { m_selected = selected; }
    bool isSelected() const { return m_selected; }

    // The indicator when the row is selected, nothing otherwise.
    void drawSelectionInRect(QPainter *painter, const QRect &rowRect, int contentX) const;
    // The line and arrow head; contentX is where the row's text starts.
    void drawBelowIndicator(QPainter *painter, const QRect &rowRect, int contentX) const;

private:
    QPointer<InsertIndicatorOutlineView> m_ownerListView;
    bool m_selected = false;
};
