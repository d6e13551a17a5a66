#pragma once

#include <QColor>
#include <QRect>

class QPainter;
class TableViewBase;

// The background and selection of one row of a table or outline view. A
// delegate makes one for a row when the row is first drawn; the view owns it,
// keeps it while the row is shown and tells it, before each drawing, where the
// row is and whether it is selected. The cells are drawn over it.
class RowView
{
public:
    enum class SelectionHighlightStyle { None = -1, Regular = 0, SourceList = 1 };
    // How the cells over the row draw: dark means on a strong selection, in
    // the selected text colour.
    enum class BackgroundStyle { Light = 0, Dark = 1 };

    RowView();
    virtual ~RowView();
    RowView(const RowView &) = delete;
    RowView &operator=(const RowView &) = delete;

    // The row's background; the default fills backgroundColor() when it is set.
    virtual void drawBackgroundInRect(QPainter &painter, const QRect &dirtyRect);
    // Drawn only for a selected row; the default fills the desktop's selection
    // colour (the inactive one when the row is not emphasized).
    virtual void drawSelectionInRect(QPainter &painter, const QRect &dirtyRect);

    TableViewBase *tableView() const { return m_view; }
    int row() const { return m_row; }
    // The row's rectangle in the view's viewport, across all columns.
    QRect bounds() const { return m_bounds; }
    bool isSelected() const { return m_selected; }
    // Selected rows are emphasized while their view has the keyboard focus.
    bool isEmphasized() const { return m_emphasized; }
    SelectionHighlightStyle selectionHighlightStyle() const;

    QColor backgroundColor() const { return m_backgroundColor; }
    void setBackgroundColor(const QColor &color);

    // The default is dark for a selected row.
    virtual BackgroundStyle interiorBackgroundStyle() const;
    // Whether an expandable row shows its disclosure mark.
    virtual bool showsDisclosureButton() const { return true; }

    // Draws the row again.
    void setNeedsDisplay();

private:
    friend class TableViewBase;

    TableViewBase *m_view = nullptr; // Not owned.
    int m_row = -1;
    QRect m_bounds;
    bool m_selected = false;
    bool m_emphasized = false;
    QColor m_backgroundColor;
};
