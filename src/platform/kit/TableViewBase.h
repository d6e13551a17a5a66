#pragma once

#include "DraggingInfo.h"
#include "RowView.h"
#include "TableColumn.h"

#include <QHash>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QTimer>
#include <QTreeView>

#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

class OutlineItemModel;
class QMenu;
class QMimeData;
class QStyleOptionViewItem;

// A cell that may show less of its row than the row's text where the cell
// is narrow: it tells what it shows in a cell of the option's rectangle.
class ShownTextCell
{
public:
    virtual ~ShownTextCell() = default;
    virtual QString shownText(const QStyleOptionViewItem &option, const QModelIndex &index) const = 0;
};

// What outline and table views of the kit share, over QTreeView and the one
// OutlineItemModel: rows numbered as shown (a row of an outline is an item
// whose ancestors are all expanded), row selection with a proposal the
// subclass may cut down, the clicked row and column (valid during the click's
// action, the double action and the context menu), cells drawn by the item
// delegate registered under the identifier a subclass names, row views drawn
// beneath them, expansion that a subclass may refuse, and dragging with a drop
// target of (parent, child index).
//
// The file is split: TableViewBase.cpp (rows, selection, cells, mouse and keys)
// and TableViewBaseDrag.cpp (dragging).
class TableViewBase : public QTreeView
{
    Q_OBJECT

public:
    explicit TableViewBase(QWidget *parent = nullptr);
    ~TableViewBase() override;

    OutlineItemModel *itemModel() const { return m_model; }

    // Columns. Without any column the view shows one untitled column.
    void addTableColumn(const TableColumn &column);
    void setTableColumns(const QList<TableColumn> &columns);
    QList<TableColumn> tableColumns() const { return m_columns; }
    int numberOfColumns() const { return int(m_columns.size()); }
    int columnWithIdentifier(const QString &identifier) const;
    void setHeaderVisible(bool visible);

    // Rows, as shown.
    int numberOfRows() const;
    QModelIndex indexForRow(int row, int column = 0) const;
    int rowForIndex(const QModelIndex &index) const;
    int rowAtPoint(const QPoint &viewportPoint) const;
    int columnAtPoint(const QPoint &viewportPoint) const;
    QRect rectOfRow(int row) const;
    QRect frameOfCellAtColumn(int column, int row) const;
    void scrollRowToVisible(int row);
    void noteHeightOfRowsWithIndexesChanged(const QList<int> &rows);
    int rowHeight() const { return m_rowHeight; }
    void setRowHeight(int height);
    // The height the view asks for (its size hint) shows this many rows
    // under its header; none, the default, leaves the hint to the view.
    void setPreferredRowCount(int rows);
    QSize sizeHint() const override;
    // The height that shows that many rows under the header.
    int heightShowingRows(int rows) const;

    // Selection by row.
    int selectedRow() const;
    QList<int> selectedRowIndexes() const;
    int numberOfSelectedRows() const { return int(selectedRowIndexes().size()); }
    bool isRowSelected(int row) const;
    void selectRowIndexes(const QList<int> &rows, bool byExtendingSelection);
    void deselectRow(int row);
    void deselectAll();
    bool allowsMultipleSelection() const;
    void setAllowsMultipleSelection(bool allows);
    bool allowsEmptySelection() const { return m_allowsEmptySelection; }
    void setAllowsEmptySelection(bool allows) { m_allowsEmptySelection = allows; }
    RowView::SelectionHighlightStyle selectionHighlightStyle() const { return m_highlightStyle; }
    void setSelectionHighlightStyle(RowView::SelectionHighlightStyle style);

    // The row and column of the click (or context-menu request) being
    // handled; -1 otherwise.
    int clickedRow() const { return m_clickedRow; }
    int clickedColumn() const { return m_clickedColumn; }

    // Cells: item delegates by identifier. The view takes ownership.
    void registerCell(const QString &identifier, QAbstractItemDelegate *cell);
    QAbstractItemDelegate *cellWithIdentifier(const QString &identifier) const;
    QAbstractItemDelegate *cellForIndex(const QModelIndex &index) const;
    // The text a shown row's cell draws at its width now: what its cell
    // tells (a ShownTextCell), else the row's text.
    QString shownText(const QModelIndex &index) const;
    // Starts editing a cell in place when it may be edited; select chooses
    // the whole text.
    bool editColumn(int column, int row, bool select);
    bool isCellEditable(const QModelIndex &index) const;
    // Whether a cell is being edited in place.
    bool isEditing() const { return state() == QAbstractItemView::EditingState; }
    // Closes the cell being edited without taking its text; false when none was.
    bool abortEditing();
    // A mouse-down on the view while a cell is edited: drops the edit when
    // set (the text typed is not taken), ends it taking the text otherwise.
    bool abortsEditingOnMouseDown() const { return m_abortsEditingOnMouseDown; }
    void setAbortsEditingOnMouseDown(bool aborts) { m_abortsEditingOnMouseDown = aborts; }

    // Row views: the one of a row, made when asked; those that exist, in row
    // order, without making any.
    RowView *rowViewAtRow(int row, bool makeIfNecessary);
    QList<RowView *> availableRowViews() const;

    // One line shown at the top of the view while it has no rows (why it
    // has none); empty shows nothing.
    void setEmptyMessage(const QString &message);
    QString emptyMessage() const { return m_emptyMessage; }

    // The context menu; not owned.
    void setMenu(QMenu *menu);
    QMenu *menu() const;

    // Dragging.
    void registerForDraggedTypes(const QStringList &types);
    QStringList registeredDraggedTypes() const { return m_draggedTypes; }
    void setDraggingSourceOperationMask(Qt::DropActions mask);
    Qt::DropActions draggingSourceOperationMask() const { return m_dragSourceMask; }
    bool isDragSource() const { return m_dragSourceMask != Qt::IgnoreAction; }
    // How long a drag hovers over a collapsed row before the row is asked to
    // expand (0.7 s unless set); 0 asks once the drag comes to the row.
    void setSpringLoadingDelay(int milliseconds) { m_springTimer.setInterval(milliseconds); }

    // Lays the rows out once, at the next turn of the event loop, rather than
    // after each change: call it before expanding many items at once.
    void layoutRowsLater() { scheduleDelayedItemsLayout(); }

    // Expansion of an index, asking the subclass first; answers whether the
    // index ends expanded (or collapsed).
    bool requestExpand(const QModelIndex &index, bool expandChildren = false);
    bool requestCollapse(const QModelIndex &index, bool collapseChildren = false);

Q_SIGNALS:
    // The view's action: a click was released over it. clickedRow() tells where.
    void rowClicked();
    // The double action: a double click.
    void rowDoubleClicked();
    // A drag started in the view ended, dropped or not.
    void draggingSessionEnded();

protected:
    // A drop position: onto an index (childIndex -1) or between the children
    // of parent (invalid for the root) before childIndex.
    struct DropTarget
    {
        QPersistentModelIndex parent;
        int childIndex = -1;
    };

    // Questions the subclasses answer from their delegates.
    virtual QString cellIdentifier(const QModelIndex &index) const;
    virtual RowView *makeRowView(const QModelIndex &index);
    virtual bool hasVariableRowHeights() const;
    virtual std::optional<double> heightOfRow(const QModelIndex &index) const;
    virtual bool shouldEditCell(const QModelIndex &index) const;
    virtual bool filtersSelection() const;
    virtual QList<int> selectionForProposal(const QList<int> &proposed);
    virtual void selectionDidChange();
    virtual void columnClicked(int column);
    virtual bool shouldExpand(const QModelIndex &index);
    virtual bool shouldCollapse(const QModelIndex &index);
    virtual void willExpand(const QModelIndex &index);
    virtual void didExpand(const QModelIndex &index);
    virtual void willCollapse(const QModelIndex &index);
    virtual void didCollapse(const QModelIndex &index);
    virtual bool writeRows(const QModelIndexList &rows, QMimeData *pasteboard);
    virtual Qt::DropAction validateDrop(const DraggingInfo &info, const DropTarget &target);
    virtual bool acceptDrop(const DraggingInfo &info, const DropTarget &target);
    virtual void draggingExited(QDragLeaveEvent *event);

    // Retargets the drop being validated.
    void setDropTarget(const DropTarget &target);
    DropTarget dropTarget() const { return m_dropTarget; }
    // The drop position under a point of the viewport.
    DropTarget dropTargetAt(const QPoint &viewportPoint) const;

    // Called by the subclasses when the delegate changed.
    void delegateChanged();
    // Row views to forget: those of removed items, or all of them.
    void forgetRowViews(const QList<void *> &items);
    void forgetAllRowViews();

    // QTreeView
    void drawBranches(QPainter *painter, const QRect &rect, const QModelIndex &index) const override;
    void drawRow(QPainter *painter, const QStyleOptionViewItem &option,
                 const QModelIndex &index) const override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void rowsAboutToBeRemoved(const QModelIndex &parent, int start, int end) override;
    // An editor the view has let go already (its rows were reloaded while
    // it was open) is neither committed nor closed a second time.
    void commitData(QWidget *editor) override;
    void closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    class CellDispatcher;
    class ProposalSelectionModel;
    friend class CellDispatcher;
    friend class ProposalSelectionModel;

    void rebuildRows() const;
    void invalidateRows() { m_rowsDirty = true; }
    bool isOnDisclosure(const QModelIndex &index, const QPoint &viewportPoint) const;
    QItemSelection selectionForRows(const QList<int> &rows) const;
    void deselectHiddenDescendants(const QModelIndex &index);
    DraggingInfo draggingInfo(const QDropEvent *event) const;
    bool hasDraggedType(const QMimeData *mime) const;
    void updateDropIndicator();
    void clearDropIndicator();
    void autoScrollForDrag(const QPoint &viewportPoint);
    // Whether the editor is one the view has open now.
    bool isOpenEditor(QWidget *editor) const;

    OutlineItemModel *m_model; // Owned (QObject child).
    CellDispatcher *m_dispatcher; // Owned (QObject child).
    // The index each editor the cells made was opened on (none once closed).
    mutable QHash<const QWidget *, std::pair<QPointer<QWidget>, QPersistentModelIndex>> m_editorIndexes;
    QList<TableColumn> m_columns;
    QHash<QString, QAbstractItemDelegate *> m_cells; // Owned (QObject children).
    mutable std::unordered_map<void *, std::unique_ptr<RowView>> m_rowViews;
    mutable QSet<void *> m_rowViewsDrawn;
    mutable std::vector<QModelIndex> m_rows;
    mutable QHash<void *, int> m_rowOfItem;
    mutable bool m_rowsDirty = true;
    int m_rowHeight = 17;
    int m_preferredRowCount = 0;
    bool m_allowsEmptySelection = true;
    bool m_abortsEditingOnMouseDown = false;
    RowView::SelectionHighlightStyle m_highlightStyle = RowView::SelectionHighlightStyle::Regular;
    int m_clickedRow = -1;
    int m_clickedColumn = -1;
    bool m_menuShown = false;
    QPointer<QMenu> m_menu;
    QStringList m_draggedTypes;
    Qt::DropActions m_dragSourceMask = Qt::IgnoreAction;
    QPersistentModelIndex m_pressedIndex;
    DropTarget m_dropTarget;
    bool m_dropValidated = false;
    Qt::DropAction m_dropAction = Qt::IgnoreAction;
    bool m_dropIndicatorShown = false;
    QString m_emptyMessage;
    QRect m_dropIndicatorRect;
    bool m_dropIndicatorIsLine = false;
    QTimer m_springTimer;
    QPersistentModelIndex m_springIndex;
};
