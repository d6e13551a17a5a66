#include "TableViewBase.h"

#include "OutlineItemModel.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>

#include <algorithm>

static const char *const kFilledProperty = "quillmarkEditorFilled";

// Up to this many rows whose height changed are measured one by one.
constexpr int kRowsMeasuredInPlace = 64;

// Draws and edits each cell with the item delegate registered under the cell's
// identifier, and gives every row the height the subclass answers.
class TableViewBase::CellDispatcher : public QStyledItemDelegate
{
public:
    explicit CellDispatcher(TableViewBase *view)
        : QStyledItemDelegate(view)
        , m_view(view)
    {
    }

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override
    {
        if (QAbstractItemDelegate *cell = m_view->cellForIndex(index))
            cell->paint(painter, option, index);
        else
            QStyledItemDelegate::paint(painter, option, index);
    }

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        // A row of a given height is laid out without measuring its cell:
        // the view asks this for every row it lays out, and the columns
        // have their own widths.
        if (const std::optional<double> height = m_view->heightOfRow(index))
            return QSize(option.rect.width(), qMax(1, qRound(*height)));
        QAbstractItemDelegate *cell = m_view->cellForIndex(index);
        QSize size = cell ? cell->sizeHint(option, index) : QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(m_view->m_rowHeight);
        return size;
    }

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override
    {
        QAbstractItemDelegate *cell = m_view->cellForIndex(index);
        QWidget *editor = cell ? cell->createEditor(parent, option, index)
                               : QStyledItemDelegate::createEditor(parent, option, index);
        if (editor) {
            // Editors gone since are forgotten as new ones come.
            m_view->m_editorIndexes.removeIf([](const auto &entry) { return entry.value().first.isNull(); });
            m_view->m_editorIndexes.insert(editor, {editor, index});
        }
        return editor;
    }

    void setEditorData(QWidget *editor, const QModelIndex &index) const override
    {
        // The view fills an open editor again whenever its row changes: the
        // text typed so far and its cursor stay, only the first fill selects.
        auto *lineEdit = qobject_cast<QLineEdit *>(editor);
        if (lineEdit && lineEdit->property(kFilledProperty).toBool()) {
            const QString typed = lineEdit->text();
            const int cursor = lineEdit->cursorPosition();
            const int selectionStart = lineEdit->selectionStart();
            const int selectionLength = lineEdit->selectionLength();
            if (QAbstractItemDelegate *cell = m_view->cellForIndex(index))
                cell->setEditorData(editor, index);
            else
                QStyledItemDelegate::setEditorData(editor, index);
            if (lineEdit->text() != typed)
                lineEdit->setText(typed);
            if (selectionLength > 0 && selectionStart == cursor)
                lineEdit->setSelection(selectionStart + selectionLength, -selectionLength);
            else if (selectionLength > 0)
                lineEdit->setSelection(selectionStart, selectionLength);
            else
                lineEdit->setCursorPosition(cursor);
            return;
        }
        if (QAbstractItemDelegate *cell = m_view->cellForIndex(index))
            cell->setEditorData(editor, index);
        else
            QStyledItemDelegate::setEditorData(editor, index);
        // The editor gets the focus after this; a cell that narrows the
        // selection when focused does so over this default.
        if (lineEdit) {
            lineEdit->setProperty(kFilledProperty, true);
            if (m_selectAllOnEdit)
                lineEdit->selectAll();
            else
                lineEdit->end(false);
        }
    }

    void setModelData(QWidget *editor, QAbstractItemModel *model,
                      const QModelIndex &index) const override
    {
        if (QAbstractItemDelegate *cell = m_view->cellForIndex(index))
            cell->setModelData(editor, model, index);
        else
            QStyledItemDelegate::setModelData(editor, model, index);
    }

    void destroyEditor(QWidget *editor, const QModelIndex &index) const override
    {
        if (QAbstractItemDelegate *cell = m_view->cellForIndex(index))
            cell->destroyEditor(editor, index);
        else
            QStyledItemDelegate::destroyEditor(editor, index);
    }

    void updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                              const QModelIndex &index) const override
    {
        if (QAbstractItemDelegate *cell = m_view->cellForIndex(index))
            cell->updateEditorGeometry(editor, option, index);
        else
            QStyledItemDelegate::updateEditorGeometry(editor, option, index);
    }

    bool editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                     const QModelIndex &index) override
    {
        if (QAbstractItemDelegate *cell = m_view->cellForIndex(index))
            return cell->editorEvent(event, model, option, index);
        return QStyledItemDelegate::editorEvent(event, model, option, index);
    }

    bool helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                   const QModelIndex &index) override
    {
        if (QAbstractItemDelegate *cell = m_view->cellForIndex(index))
            return cell->helpEvent(event, view, option, index);
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    }

    bool eventFilter(QObject *object, QEvent *event) override
    {
        // The editor loses the focus to the view before the view hears of
        // the mouse-down: a view that drops edits then closes it untaken.
        auto *editor = qobject_cast<QWidget *>(object);
        if (editor && event->type() == QEvent::FocusOut && m_view->m_abortsEditingOnMouseDown
            && (QGuiApplication::mouseButtons() & Qt::LeftButton)) {
            const QWidget *focus = QApplication::focusWidget();
            if (focus == m_view || focus == m_view->viewport()) {
                Q_EMIT closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
                return false;
            }
        }
        return QStyledItemDelegate::eventFilter(object, event);
    }

    bool m_selectAllOnEdit = true;

private:
    TableViewBase *m_view;
};

namespace {

// QList's own comparison hands memcmp a null pointer for an empty list.
bool sameRows(const QList<int> &a, const QList<int> &b)
{
    return std::equal(a.cbegin(), a.cend(), b.cbegin(), b.cend());
}

} // namespace

// Lets the subclass cut down a proposed selection, and keeps the selection
// when it may not become empty. Either way the subclass hears of the change
// once, with the final rows.
class TableViewBase::ProposalSelectionModel : public QItemSelectionModel
{
public:
    ProposalSelectionModel(OutlineItemModel *model, TableViewBase *view)
        : QItemSelectionModel(model, view)
        , m_view(view)
    {
        connect(this, &QItemSelectionModel::selectionChanged, view, [this] {
            if (m_depth == 0)
                m_view->selectionDidChange();
        });
    }

    using QItemSelectionModel::select;

    void select(const QItemSelection &selection, SelectionFlags command) override
    {
        if (m_depth > 0 || (!m_view->filtersSelection() && m_view->allowsEmptySelection())) {
            QItemSelectionModel::select(selection, command);
            return;
        }
        const QList<int> before = rows();
        ++m_depth;
        QItemSelectionModel::select(selection, command);
        const QList<int> proposed = rows();
        QList<int> answer = proposed;
        if (m_view->filtersSelection() && !sameRows(proposed, before))
            answer = m_view->selectionForProposal(proposed);
        if (answer.isEmpty() && !before.isEmpty() && !m_view->allowsEmptySelection())
            answer = before;
        if (!sameRows(answer, proposed))
            QItemSelectionModel::select(m_view->selectionForRows(answer), ClearAndSelect | Rows);
        --m_depth;
        if (!sameRows(rows(), before))
            m_view->selectionDidChange();
    }

    QList<int> rows() const
    {
        QList<int> result;
        const QModelIndexList indexes = selectedRows(0);
        result.reserve(indexes.size());
        for (const QModelIndex &index : indexes) {
            const int row = m_view->rowForIndex(index);
            if (row >= 0)
                result.append(row);
        }
        std::sort(result.begin(), result.end());
        return result;
    }

private:
    TableViewBase *m_view;
    int m_depth = 0;
};

TableViewBase::TableViewBase(QWidget *parent)
    : QTreeView(parent)
    , m_model(new OutlineItemModel(this))
    , m_dispatcher(new CellDispatcher(this))
{
    setModel(m_model);
    setSelectionModel(new ProposalSelectionModel(m_model, this));
    setItemDelegate(m_dispatcher);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformRowHeights(true);
    setExpandsOnDoubleClick(false);
    setAutoExpandDelay(-1);
    setDropIndicatorShown(false);
    setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
    setAllColumnsShowFocus(true);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    header()->setStretchLastSection(true);
    header()->setVisible(false);

    connect(m_model, &QAbstractItemModel::rowsInserted, this, [this] { invalidateRows(); });
    connect(m_model, &QAbstractItemModel::rowsRemoved, this, [this] { invalidateRows(); });
    connect(m_model, &QAbstractItemModel::rowsMoved, this, [this] { invalidateRows(); });
    connect(m_model, &QAbstractItemModel::layoutChanged, this, [this] { invalidateRows(); });
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] {
        invalidateRows();
        forgetAllRowViews();
    });
    connect(m_model, &OutlineItemModel::itemsRemoved, this,
            [this](const QList<void *> &items) { forgetRowViews(items); });
    connect(m_model, &OutlineItemModel::expandabilityChanged, this,
            [this] { scheduleDelayedItemsLayout(); });
    connect(this, &QTreeView::expanded, this, [this](const QModelIndex &index) {
        // The children of an expanded item are known at once, as the kit's
        // outline views load them when they expand, not when they are drawn.
        m_model->rowCount(index);
        invalidateRows();
        didExpand(index);
    });
    connect(this, &QTreeView::collapsed, this, [this](const QModelIndex &index) {
        invalidateRows();
        deselectHiddenDescendants(index);
        didCollapse(index);
    });

    m_springTimer.setSingleShot(true);
    m_springTimer.setInterval(700);
    connect(&m_springTimer, &QTimer::timeout, this, [this] {
        if (m_springIndex.isValid())
            requestExpand(m_springIndex);
    });
}

TableViewBase::~TableViewBase() = default;

// Columns

void TableViewBase::addTableColumn(const TableColumn &column)
{
    QList<TableColumn> columns = m_columns;
    columns.append(column);
    setTableColumns(columns);
}

void TableViewBase::setTableColumns(const QList<TableColumn> &columns)
{
    m_columns = columns;
    m_model->columnsChanged();
    for (int i = 0; i < m_columns.size(); ++i) {
        header()->setMinimumSectionSize(qMin(header()->minimumSectionSize(), int(m_columns[i].minWidth)));
        setColumnWidth(i, int(m_columns[i].width));
    }
}

int TableViewBase::columnWithIdentifier(const QString &identifier) const
{
    for (int i = 0; i < m_columns.size(); ++i) {
        if (m_columns[i].identifier == identifier)
            return i;
    }
    return -1;
}

void TableViewBase::setHeaderVisible(bool visible)
{
    header()->setVisible(visible);
}

// Rows

void TableViewBase::rebuildRows() const
{
    if (!m_rowsDirty)
        return;
    m_rowsDirty = false;
    m_rows.clear();
    m_rowOfItem.clear();
    std::vector<QModelIndex> stack;
    auto pushChildren = [&](const QModelIndex &parent) {
        const int count = m_model->rowCount(parent);
        for (int r = count - 1; r >= 0; --r)
            stack.push_back(m_model->index(r, 0, parent));
    };
    pushChildren(QModelIndex());
    while (!stack.empty()) {
        const QModelIndex index = stack.back();
        stack.pop_back();
        m_rowOfItem.insert(OutlineItemModel::itemForIndex(index), int(m_rows.size()));
        m_rows.push_back(index);
        if (isExpanded(index))
            pushChildren(index);
    }
}

int TableViewBase::numberOfRows() const
{
    rebuildRows();
    return int(m_rows.size());
}

QModelIndex TableViewBase::indexForRow(int row, int column) const
{
    rebuildRows();
    if (row < 0 || row >= int(m_rows.size()))
        return {};
    const QModelIndex index = m_rows[size_t(row)];
    return column == 0 ? index : index.siblingAtColumn(column);
}

int TableViewBase::rowForIndex(const QModelIndex &index) const
{
    if (!index.isValid() || index.model() != m_model)
        return -1;
    rebuildRows();
    return m_rowOfItem.value(OutlineItemModel::itemForIndex(index), -1);
}

int TableViewBase::rowAtPoint(const QPoint &viewportPoint) const
{
    return rowForIndex(indexAt(viewportPoint));
}

int TableViewBase::columnAtPoint(const QPoint &viewportPoint) const
{
    if (!indexAt(viewportPoint).isValid())
        return -1;
    return columnAt(viewportPoint.x());
}

QRect TableViewBase::rectOfRow(int row) const
{
    const QModelIndex index = indexForRow(row);
    if (!index.isValid())
        return {};
    const QRect cell = visualRect(index);
    return QRect(0, cell.top(), qMax(viewport()->width(), header()->length()), cell.height());
}

QRect TableViewBase::frameOfCellAtColumn(int column, int row) const
{
    return visualRect(indexForRow(row, column));
}

void TableViewBase::scrollRowToVisible(int row)
{
    const QModelIndex index = indexForRow(row);
    if (index.isValid())
        scrollTo(index, QAbstractItemView::EnsureVisible);
}

void TableViewBase::noteHeightOfRowsWithIndexesChanged(const QList<int> &rows)
{
    // A few rows are measured again where they stand. Many rows are laid out
    // once, at the next turn of the event loop: a size hint change would lay
    // out and measure every row shown, once per row.
    if (rows.size() > kRowsMeasuredInPlace) {
        scheduleDelayedItemsLayout();
        viewport()->update();
        return;
    }
    for (int row : rows) {
        const QModelIndex index = indexForRow(row);
        if (index.isValid())
            QTreeView::dataChanged(index, index);
    }
}

void TableViewBase::setRowHeight(int height)
{
    m_rowHeight = qMax(1, height);
    scheduleDelayedItemsLayout();
    updateGeometry();
}

void TableViewBase::setPreferredRowCount(int rows)
{
    m_preferredRowCount = qMax(0, rows);
    updateGeometry();
}

QSize TableViewBase::sizeHint() const
{
    QSize hint = QTreeView::sizeHint();
    if (m_preferredRowCount > 0)
        hint.setHeight(heightShowingRows(m_preferredRowCount));
    return hint;
}

int TableViewBase::heightShowingRows(int rows) const
{
    int height = 2 * frameWidth() + qMax(0, rows) * m_rowHeight;
    if (!header()->isHidden())
        height += header()->sizeHint().height();
    if (horizontalScrollBarPolicy() == Qt::ScrollBarAlwaysOn)
        height += horizontalScrollBar()->sizeHint().height();
    return height;
}

// Selection

int TableViewBase::selectedRow() const
{
    const QModelIndex current = currentIndex();
    if (current.isValid() && selectionModel()->isRowSelected(current.row(), current.parent()))
        return rowForIndex(current);
    const QList<int> rows = selectedRowIndexes();
    return rows.isEmpty() ? -1 : rows.last();
}

QList<int> TableViewBase::selectedRowIndexes() const
{
    return static_cast<ProposalSelectionModel *>(selectionModel())->rows();
}

bool TableViewBase::isRowSelected(int row) const
{
    const QModelIndex index = indexForRow(row);
    return index.isValid() && selectionModel()->isRowSelected(index.row(), index.parent());
}

QItemSelection TableViewBase::selectionForRows(const QList<int> &rows) const
{
    QItemSelection selection;
    const int lastColumn = m_model->columnCount() - 1;
    for (int row : rows) {
        const QModelIndex index = indexForRow(row);
        if (index.isValid())
            selection.select(index, index.siblingAtColumn(lastColumn));
    }
    return selection;
}

void TableViewBase::selectRowIndexes(const QList<int> &rows, bool byExtendingSelection)
{
    QList<int> wanted = rows;
    if (!allowsMultipleSelection() && wanted.size() > 1)
        wanted = {wanted.last()};
    const QItemSelection selection = selectionForRows(wanted);
    const QItemSelectionModel::SelectionFlags command =
        (byExtendingSelection && allowsMultipleSelection() ? QItemSelectionModel::Select
                                                            : QItemSelectionModel::ClearAndSelect)
        | QItemSelectionModel::Rows;
    if (selection.isEmpty() && command.testFlag(QItemSelectionModel::Select)
        && !command.testFlag(QItemSelectionModel::Clear))
        return;
    selectionModel()->select(selection, command);
    if (!wanted.isEmpty())
        selectionModel()->setCurrentIndex(indexForRow(wanted.last()), QItemSelectionModel::NoUpdate);
}

void TableViewBase::deselectRow(int row)
{
    const QModelIndex index = indexForRow(row);
    if (!index.isValid())
        return;
    selectionModel()->select(selectionForRows({row}),
                             QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
}

void TableViewBase::deselectAll()
{
    if (!m_allowsEmptySelection)
        return;
    selectionModel()->select(QItemSelection(), QItemSelectionModel::Clear);
}

bool TableViewBase::allowsMultipleSelection() const
{
    return selectionMode() == QAbstractItemView::ExtendedSelection;
}

void TableViewBase::setAllowsMultipleSelection(bool allows)
{
    setSelectionMode(allows ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
}

void TableViewBase::setSelectionHighlightStyle(RowView::SelectionHighlightStyle style)
{
    m_highlightStyle = style;
    viewport()->update();
}

void TableViewBase::deselectHiddenDescendants(const QModelIndex &index)
{
    QItemSelection hidden;
    const QModelIndexList selected = selectionModel()->selectedRows(0);
    for (const QModelIndex &row : selected) {
        for (QModelIndex p = row.parent(); p.isValid(); p = p.parent()) {
            if (p == index) {
                hidden.select(row, row.siblingAtColumn(m_model->columnCount() - 1));
                break;
            }
        }
    }
    if (!hidden.isEmpty())
        selectionModel()->select(hidden, QItemSelectionModel::Deselect);
}

// Cells

bool TableViewBase::isOpenEditor(QWidget *editor) const
{
    const auto opened = m_editorIndexes.constFind(editor);
    // An editor the cells did not make is left to the view to judge.
    if (opened == m_editorIndexes.cend() || opened->first != editor)
        return true;
    return opened->second.isValid() && indexWidget(opened->second) == editor;
}

void TableViewBase::commitData(QWidget *editor)
{
    if (isOpenEditor(editor))
        QTreeView::commitData(editor);
}

void TableViewBase::closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint)
{
    if (!isOpenEditor(editor))
        return;
    // Known as closed until it is gone: a close queued meanwhile does nothing.
    if (const auto opened = m_editorIndexes.find(editor); opened != m_editorIndexes.end())
        opened->second = QPersistentModelIndex();
    QTreeView::closeEditor(editor, hint);
}

void TableViewBase::registerCell(const QString &identifier, QAbstractItemDelegate *cell)
{
    if (!cell)
        return;
    cell->setParent(this);
    if (QAbstractItemDelegate *old = m_cells.value(identifier); old && old != cell)
        old->deleteLater();
    m_cells.insert(identifier, cell);
    connect(cell, &QAbstractItemDelegate::commitData, m_dispatcher, &QAbstractItemDelegate::commitData);
    connect(cell, &QAbstractItemDelegate::closeEditor, m_dispatcher, &QAbstractItemDelegate::closeEditor);
    connect(cell, &QAbstractItemDelegate::sizeHintChanged, m_dispatcher,
            &QAbstractItemDelegate::sizeHintChanged);
    viewport()->update();
}

QAbstractItemDelegate *TableViewBase::cellWithIdentifier(const QString &identifier) const
{
    return m_cells.value(identifier);
}

QAbstractItemDelegate *TableViewBase::cellForIndex(const QModelIndex &index) const
{
    if (m_cells.isEmpty() || !index.isValid())
        return nullptr;
    const QString identifier = cellIdentifier(index);
    return identifier.isEmpty() ? nullptr : m_cells.value(identifier);
}

QString TableViewBase::shownText(const QModelIndex &index) const
{
    const auto *cell = dynamic_cast<const ShownTextCell *>(cellForIndex(index));
    if (!cell)
        return index.data(Qt::DisplayRole).toString();
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = visualRect(index);
    return cell->shownText(option, index);
}

bool TableViewBase::isCellEditable(const QModelIndex &index) const
{
    return index.isValid() && shouldEditCell(index);
}

bool TableViewBase::abortEditing()
{
    if (!isEditing())
        return false;
    // The editor of the current row, in whichever column it is open.
    const QModelIndex current = currentIndex();
    for (int column = 0; current.isValid() && column < m_model->columnCount(current.parent()); ++column) {
        if (QWidget *editor = indexWidget(current.siblingAtColumn(column))) {
            closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
            return true;
        }
    }
    return false;
}

bool TableViewBase::editColumn(int column, int row, bool select)
{
    const QModelIndex index = indexForRow(row, column);
    if (!isCellEditable(index))
        return false;
    scrollTo(index);
    m_dispatcher->m_selectAllOnEdit = select;
    const bool started = edit(index, QAbstractItemView::AllEditTriggers, nullptr);
    m_dispatcher->m_selectAllOnEdit = true;
    return started;
}

// Row views

RowView *TableViewBase::rowViewAtRow(int row, bool makeIfNecessary)
{
    const QModelIndex index = indexForRow(row);
    if (!index.isValid())
        return nullptr;
    void *item = OutlineItemModel::itemForIndex(index);
    if (auto it = m_rowViews.find(item); it != m_rowViews.end())
        return it->second.get();
    if (!makeIfNecessary)
        return nullptr;
    RowView *rowView = makeRowView(index);
    if (!rowView)
        rowView = new RowView;
    rowView->m_view = this;
    rowView->m_row = row;
    m_rowViews.emplace(item, std::unique_ptr<RowView>(rowView));
    return rowView;
}

QList<RowView *> TableViewBase::availableRowViews() const
{
    std::vector<std::pair<int, RowView *>> rows;
    for (const auto &[item, rowView] : m_rowViews) {
        const int row = rowForIndex(m_model->indexForItem(item));
        if (row >= 0)
            rows.emplace_back(row, rowView.get());
    }
    std::sort(rows.begin(), rows.end(),
              [](const auto &a, const auto &b) { return a.first < b.first; });
    QList<RowView *> views;
    for (const auto &entry : rows)
        views.append(entry.second);
    return views;
}

void TableViewBase::forgetRowViews(const QList<void *> &items)
{
    for (void *item : items)
        m_rowViews.erase(item);
}

void TableViewBase::forgetAllRowViews()
{
    m_rowViews.clear();
}

void TableViewBase::delegateChanged()
{
    setUniformRowHeights(!hasVariableRowHeights());
    forgetAllRowViews();
    scheduleDelayedItemsLayout();
    viewport()->update();
}

void TableViewBase::drawRow(QPainter *painter, const QStyleOptionViewItem &option,
                            const QModelIndex &index) const
{
    const int row = rowForIndex(index);
    auto *self = const_cast<TableViewBase *>(this);
    RowView *rowView = self->rowViewAtRow(row, true);
    const QRect bounds(option.rect.x(), option.rect.y(),
                       qMax(option.rect.width(), viewport()->width()), option.rect.height());
    const bool selected = selectionModel()->isRowSelected(index.row(), index.parent());
    if (rowView) {
        rowView->m_row = row;
        rowView->m_bounds = bounds;
        rowView->m_selected = selected;
        rowView->m_emphasized = hasFocus() && isActiveWindow();
        m_rowViewsDrawn.insert(OutlineItemModel::itemForIndex(index));
        painter->save();
        rowView->drawBackgroundInRect(*painter, bounds);
        if (selected)
            rowView->drawSelectionInRect(*painter, bounds);
        painter->restore();
    }

    // The row view drew the selection; the cells keep the selected text colour.
    QStyleOptionViewItem cellOption = option;
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        cellOption.palette.setColor(group, QPalette::Highlight, Qt::transparent);
    // On a light interior (no highlight, or a pale one) selected cells keep
    // the plain text colour; the view marks them selected all the same.
    const bool lightInterior = rowView && rowView->interiorBackgroundStyle() == RowView::BackgroundStyle::Light;
    if (selected && (m_highlightStyle == RowView::SelectionHighlightStyle::None || lightInterior)) {
        for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
            cellOption.palette.setColor(group, QPalette::HighlightedText, cellOption.palette.color(group, QPalette::Text));
    }
    QTreeView::drawRow(painter, cellOption, index);

    if (m_menuShown && row == m_clickedRow) {
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(QPen(palette().color(QPalette::Highlight), 2));
        painter->setBrush(Qt::NoBrush);
        painter->drawRoundedRect(QRectF(bounds).adjusted(1, 1, -1, -1), 3, 3);
        painter->restore();
    }
}

void TableViewBase::drawBranches(QPainter *painter, const QRect &rect, const QModelIndex &index) const
{
    const auto found = m_rowViews.find(OutlineItemModel::itemForIndex(index));
    if (found != m_rowViews.end() && !found->second->showsDisclosureButton())
        return;
    QTreeView::drawBranches(painter, rect, index);
}

void TableViewBase::paintEvent(QPaintEvent *event)
{
    const bool whole = event->rect().contains(viewport()->rect());
    if (whole)
        m_rowViewsDrawn.clear();
    QTreeView::paintEvent(event);
    // Row views of rows no longer shown are let go once the whole view has
    // been drawn; a delegate makes them again when the rows come back.
    if (whole) {
        for (auto it = m_rowViews.begin(); it != m_rowViews.end();) {
            if (m_rowViewsDrawn.contains(it->first))
                ++it;
            else
                it = m_rowViews.erase(it);
        }
    }
    if (m_dropIndicatorShown) {
        QPainter painter(viewport());
        painter.setRenderHint(QPainter::Antialiasing);
        const QColor color = palette().color(QPalette::Highlight);
        if (m_dropIndicatorIsLine) {
            painter.setPen(QPen(color, 2));
            painter.drawLine(m_dropIndicatorRect.left(), m_dropIndicatorRect.top(),
                             m_dropIndicatorRect.right(), m_dropIndicatorRect.top());
            painter.setBrush(palette().color(QPalette::Base));
            painter.drawEllipse(QPointF(m_dropIndicatorRect.left(), m_dropIndicatorRect.top()), 3, 3);
        } else {
            painter.setPen(QPen(color, 2));
            painter.setBrush(Qt::NoBrush);
            painter.drawRoundedRect(QRectF(m_dropIndicatorRect).adjusted(1, 1, -1, -1), 4, 4);
        }
    }
    if (!m_emptyMessage.isEmpty() && numberOfRows() == 0) {
        QPainter painter(viewport());
        painter.setPen(palette().color(QPalette::PlaceholderText));
        const QRect line = viewport()->rect().adjusted(8, 8, -8, 0);
        painter.drawText(line, Qt::AlignHCenter | Qt::AlignTop,
                         fontMetrics().elidedText(m_emptyMessage, Qt::ElideRight, line.width()));
    }
}

void TableViewBase::setEmptyMessage(const QString &message)
{
    if (m_emptyMessage == message)
        return;
    m_emptyMessage = message;
    viewport()->update();
}

void TableViewBase::setMenu(QMenu *menu)
{
    m_menu = menu;
}

QMenu *TableViewBase::menu() const
{
    return m_menu;
}

// Mouse and keys

bool TableViewBase::isOnDisclosure(const QModelIndex &index, const QPoint &viewportPoint) const
{
    if (!index.isValid() || !m_model->hasChildren(index.siblingAtColumn(0)))
        return false;
    const QRect cell = visualRect(index.siblingAtColumn(0));
    return viewportPoint.y() >= cell.top() && viewportPoint.y() <= cell.bottom()
        && viewportPoint.x() < cell.left() && viewportPoint.x() >= cell.left() - indentation();
}

void TableViewBase::mousePressEvent(QMouseEvent *event)
{
    const QPoint point = event->position().toPoint();
    const QModelIndex index = indexAt(point);
    m_clickedRow = rowForIndex(index);
    m_clickedColumn = index.isValid() ? index.column() : -1;
    m_pressedIndex = index;

    if (event->button() == Qt::LeftButton && isOnDisclosure(index, point)) {
        const QModelIndex item = index.siblingAtColumn(0);
        const bool all = event->modifiers() & Qt::AltModifier;
        if (isExpanded(item))
            requestCollapse(item, all);
        else
            requestExpand(item, all);
        event->accept();
    } else if (event->button() == Qt::RightButton) {
        // A right click marks the clicked row for the context menu and leaves
        // the selection alone.
        event->accept();
    } else {
        QTreeView::mousePressEvent(event);
    }
    if (m_clickedColumn >= 0)
        columnClicked(m_clickedColumn);
}

void TableViewBase::mouseReleaseEvent(QMouseEvent *event)
{
    QTreeView::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton) {
        const QPoint point = event->position().toPoint();
        if (viewport()->rect().contains(point))
            Q_EMIT rowClicked();
    }
    if (!m_menuShown) {
        m_clickedRow = -1;
        m_clickedColumn = -1;
    }
}

void TableViewBase::mouseDoubleClickEvent(QMouseEvent *event)
{
    const QPoint point = event->position().toPoint();
    const QModelIndex index = indexAt(point);
    if (event->button() != Qt::LeftButton || isOnDisclosure(index, point)) {
        event->accept();
        return;
    }
    m_clickedRow = rowForIndex(index);
    m_clickedColumn = index.isValid() ? index.column() : -1;
    QTreeView::mouseDoubleClickEvent(event);
    Q_EMIT rowDoubleClicked();
}

void TableViewBase::contextMenuEvent(QContextMenuEvent *event)
{
    const QModelIndex index = event->reason() == QContextMenuEvent::Mouse
        ? indexAt(event->pos())
        : currentIndex();
    m_clickedRow = rowForIndex(index);
    m_clickedColumn = index.isValid() ? index.column() : -1;
    if (!m_menu) {
        event->ignore();
        m_clickedRow = m_clickedColumn = -1;
        return;
    }
    const QPoint where = event->reason() == QContextMenuEvent::Mouse
        ? event->globalPos()
        : viewport()->mapToGlobal(visualRect(index).bottomLeft());
    m_menuShown = true;
    viewport()->update();
    m_menu->exec(where);
    m_menuShown = false;
    m_clickedRow = m_clickedColumn = -1;
    viewport()->update();
    event->accept();
}

void TableViewBase::keyPressEvent(QKeyEvent *event)
{
    // The edit key edits the current row: its current cell, else the first
    // of its cells that can be edited (a list whose names are read-only
    // edits the value).
    if (event->key() == Qt::Key_F2 && event->modifiers() == Qt::NoModifier && state() != QAbstractItemView::EditingState
        && currentIndex().isValid() && !isCellEditable(currentIndex())) {
        const QModelIndex current = currentIndex();
        for (int column = 0; column < m_model->columnCount(current.parent()); ++column) {
            if (isCellEditable(current.siblingAtColumn(column))) {
                editColumn(column, rowForIndex(current), true);
                event->accept();
                return;
            }
        }
    }
    const QModelIndex current = currentIndex().siblingAtColumn(0);
    const bool plain = !(event->modifiers() & ~(Qt::KeypadModifier | Qt::AltModifier));
    const bool all = event->modifiers() & Qt::AltModifier;
    if (current.isValid() && plain && state() != QAbstractItemView::EditingState) {
        switch (event->key()) {
        case Qt::Key_Right:
        case Qt::Key_Plus:
            if (m_model->hasChildren(current) && (!isExpanded(current) || all)) {
                requestExpand(current, all);
                event->accept();
                return;
            }
            break;
        case Qt::Key_Left:
        case Qt::Key_Minus:
            if (isExpanded(current)) {
                requestCollapse(current, all);
                event->accept();
                return;
            }
            break;
        case Qt::Key_Asterisk:
            requestExpand(current, true);
            event->accept();
            return;
        default:
            break;
        }
    }
    QTreeView::keyPressEvent(event);
}

void TableViewBase::rowsAboutToBeRemoved(const QModelIndex &parent, int start, int end)
{
    // Qt would make the next row current, and in single selection select it;
    // the kit's views leave a removed selection empty.
    const QModelIndex current = currentIndex();
    for (QModelIndex p = current; p.isValid(); p = p.parent()) {
        if (p.parent() == parent && p.row() >= start && p.row() <= end) {
            selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
            break;
        }
    }
    QTreeView::rowsAboutToBeRemoved(parent, start, end);
}

// Expansion

bool TableViewBase::requestExpand(const QModelIndex &index, bool expandChildren)
{
    const QModelIndex item = index.siblingAtColumn(0);
    if (!item.isValid() || !m_model->hasChildren(item))
        return false;
    if (!isExpanded(item)) {
        if (!shouldExpand(item))
            return false;
        willExpand(item);
        expand(item);
    }
    if (expandChildren) {
        const int count = m_model->rowCount(item);
        for (int r = 0; r < count; ++r)
            requestExpand(m_model->index(r, 0, item), true);
    }
    return isExpanded(item);
}

bool TableViewBase::requestCollapse(const QModelIndex &index, bool collapseChildren)
{
    const QModelIndex item = index.siblingAtColumn(0);
    if (!item.isValid())
        return false;
    if (collapseChildren) {
        const int count = m_model->rowCount(item);
        for (int r = 0; r < count; ++r)
            requestCollapse(m_model->index(r, 0, item), true);
    }
    if (isExpanded(item)) {
        if (!shouldCollapse(item))
            return false;
        willCollapse(item);
        collapse(item);
    }
    return !isExpanded(item);
}

// Default answers: no delegate.

QString TableViewBase::cellIdentifier(const QModelIndex &) const { return {}; }
RowView *TableViewBase::makeRowView(const QModelIndex &) { return nullptr; }
bool TableViewBase::hasVariableRowHeights() const { return false; }
std::optional<double> TableViewBase::heightOfRow(const QModelIndex &) const { return std::nullopt; }

bool TableViewBase::shouldEditCell(const QModelIndex &index) const
{
    return index.column() < m_columns.size() && m_columns[index.column()].editable;
}

bool TableViewBase::filtersSelection() const { return false; }
QList<int> TableViewBase::selectionForProposal(const QList<int> &proposed) { return proposed; }
void TableViewBase::selectionDidChange() {}
void TableViewBase::columnClicked(int) {}
bool TableViewBase::shouldExpand(const QModelIndex &) { return true; }
bool TableViewBase::shouldCollapse(const QModelIndex &) { return true; }
void TableViewBase::willExpand(const QModelIndex &) {}
void TableViewBase::didExpand(const QModelIndex &) {}
void TableViewBase::willCollapse(const QModelIndex &) {}
void TableViewBase::didCollapse(const QModelIndex &) {}
