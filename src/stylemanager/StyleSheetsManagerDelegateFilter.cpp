// StyleSheetsManagerDelegate: the style-sheet filter (label, drop-down table
// and menu) and the selector search.

#include "StyleSheetsManagerDelegate.h"

#include "StyleSheetCell.h"

#include "cssrules/CSSOutlineDelegate.h"
#include "platform/kit/TableView.h"
#include "platform/kit/ViewController.h"
#include "toolkit/OutlineViewEx.h"
#include "toolkit/RBLPopover.h"
#include "toolkit/SearchFieldEx.h"
#include "workspace/File.h"

#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int kSeparatorRow = 1;

// The filter table's separator row.
class SeparatorCell : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &) const override
    {
        painter->save();
        painter->setPen(option.palette.color(QPalette::Mid));
        const int y = option.rect.center().y();
        painter->drawLine(option.rect.left() + 4, y, option.rect.right() - 4, y);
        painter->restore();
    }
};

} // namespace

// --- The filter ---------------------------------------------------------------------------------

QList<File *> StyleSheetsManagerDelegate::filterFiles()
{
    QList<File *> files;
    for (const QPointer<File> &file : std::as_const(m_filterFiles)) {
        if (file)
            files.append(file.data());
    }
    return files;
}

void StyleSheetsManagerDelegate::clearFileFilter()
{
    setFileFilter(nullptr);
}

void StyleSheetsManagerDelegate::setFileFilter(File *file)
{
    if (!file && !m_filterFile) {
        // Emptied already: only the label may be behind.
        m_filterFiles.clear();
        updateFilterLabel();
        return;
    }
    if (!file)
        m_filterFiles.clear();
    else if (m_filterFiles.contains(file))
        m_filterFiles.removeAll(file);
    else
        m_filterFiles.append(file);
    m_filterFile = file;
    refreshSelectorList();
    if (Row *sheet = file ? rowOfFile(file) : nullptr; sheet && m_view)
        m_selectorListView->expandItem(sheet);
    updateFilterLabel();
}

void StyleSheetsManagerDelegate::updateFilterLabel()
{
    const QList<File *> filter = filterFiles();
    QStringList names;
    if (m_rules) {
        for (File *file : m_rules->getSortedStyleFiles()) {
            if (filter.contains(file))
                names.append(file->displayName());
        }
    }
    m_filterLabel->setText(filter.isEmpty() ? QStringLiteral("All Style Sheets") : names.join(QStringLiteral(", ")));
}

void StyleSheetsManagerDelegate::rebuildFilterMenu()
{
    m_filterMenu->clear();
    QFont font = m_filterMenu->font();
    font.setPointSizeF(QFont().pointSizeF() * 0.85);
    m_filterMenu->setFont(font);
    const QList<File *> filter = filterFiles();
    QAction *all = m_filterMenu->addAction(QStringLiteral("All Style Sheets"));
    all->setCheckable(true);
    all->setChecked(filter.isEmpty());
    // Through the rules panel, which filters its own list by the same sheets.
    connect(all, &QAction::triggered, this, [this] {
        if (m_rules)
            m_rules->filterByCSSFile(nullptr);
    });
    m_filterMenu->addSeparator();
    if (!m_rules)
        return;
    for (File *file : m_rules->getSortedStyleFiles()) {
        QAction *item = m_filterMenu->addAction(file->displayName());
        item->setCheckable(true);
        item->setChecked(filter.contains(file));
        connect(item, &QAction::triggered, this, [this, guard = QPointer<File>(file)] {
            if (guard && m_rules)
                m_rules->filterByCSSFile(guard.data());
        });
    }
}

QSize StyleSheetsManagerDelegate::filterDropdownSize(int buttonWidth, int files)
{
    return QSize(buttonWidth - 12, files < 20 ? files * 19 + 42 : 422);
}

void StyleSheetsManagerDelegate::buildFilterDropdown()
{
    auto *controller = new ViewController(this);
    auto *content = new QWidget;
    auto *layout = new QVBoxLayout(content);
    layout->setContentsMargins(4, 4, 4, 4);
    m_filterTable = new TableView(content);
    m_filterTable->setObjectName(QStringLiteral("styleSheetsFilterTable"));
    m_filterTable->setHeaderVisible(false);
    m_filterTable->registerCell(QStringLiteral("StyleSheetCell"), new StyleSheetCell(m_filterTable));
    m_filterTable->registerCell(QStringLiteral("SeparatorCell"), new SeparatorCell(m_filterTable));
    m_filterTable->setDataSource(this);
    TableDelegate delegate;
    delegate.cellIdentifierForTableColumn = [](TableView *, int, int row) {
        return row == kSeparatorRow ? QStringLiteral("SeparatorCell") : QStringLiteral("StyleSheetCell");
    };
    delegate.heightOfRow = [](TableView *, int row) { return row == kSeparatorRow ? 10.0 : 17.0; };
    delegate.selectionIndexesForProposedSelection = [](TableView *, const QList<int> &proposed) {
        QList<int> kept = proposed;
        kept.removeAll(kSeparatorRow);
        return kept;
    };
    delegate.selectionDidChange = [this](TableView *) { filterTableSelectionDidChange(); };
    m_filterTable->setDelegate(delegate);
    layout->addWidget(m_filterTable);
    controller->setView(content);

    m_filterPopover = new RBLPopover(controller);
    m_filterPopover->setBehavior(RBLPopover::Transient);
    m_filterPopover->setAnimates(false);
    m_filterPopover->setWillShowBlock([this](RBLPopover *) { m_filterTable->reloadData(); });
}

void StyleSheetsManagerDelegate::showFilterDropdown()
{
    if (!m_filterPopover)
        buildFilterDropdown();
    if (m_filterPopover->isShown()) {
        m_filterPopover->close();
        return;
    }
    const int files = m_rules ? int(m_rules->getSortedStyleFiles().size()) : 0;
    m_filterPopover->setContentSize(filterDropdownSize(std::max(m_filterButton->width(), 200), files));
    m_filterPopover->showRelativeToRect(QRectF(m_filterButton->rect()), m_filterButton, RectEdge::Below);
}

int StyleSheetsManagerDelegate::numberOfRowsInTableView(TableView *)
{
    return m_rules ? int(m_rules->getSortedStyleFiles().size()) + 2 : 2;
}

QVariant StyleSheetsManagerDelegate::objectValueForTableColumn(TableView *, int, int row, int role)
{
    if (row == kSeparatorRow)
        return {};
    const QList<File *> filter = filterFiles();
    if (row == 0) {
        if (role == Qt::DisplayRole)
            return QStringLiteral("All Style Sheets");
        if (role == Qt::CheckStateRole)
            return filter.isEmpty() ? Qt::Checked : Qt::Unchecked;
        return {};
    }
    const QList<File *> files = m_rules ? m_rules->getSortedStyleFiles() : QList<File *>();
    File *file = files.value(row - 2);
    if (!file)
        return {};
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return file->displayName();
    if (role == Qt::CheckStateRole) {
        // Sheets of one name are marked together.
        for (File *filtered : filter) {
            if (filtered->displayName() == file->displayName())
                return Qt::Checked;
        }
        return Qt::Unchecked;
    }
    return {};
}

void StyleSheetsManagerDelegate::filterTableSelectionDidChange()
{
    const int row = m_filterTable->selectedRow();
    if (row < 0 || row == kSeparatorRow || !m_rules)
        return;
    File *file = row == 0 ? nullptr : m_rules->getSortedStyleFiles().value(row - 2);
    if (row != 0 && !file)
        return;
    m_rules->filterByCSSFile(file);
    m_filterTable->deselectAll();
    m_filterTable->reloadData();
}

// --- The search ----------------------------------------------------------------------------------

QList<StyleDeclarationPtr> StyleSheetsManagerDelegate::searchSelector(const QString &text) const
{
    QList<StyleDeclarationPtr> hits;
    if (!m_rules || text.isEmpty())
        return hits;
    // Every sheet of the page, filtered or not.
    for (File *file : m_rules->getSortedStyleFiles()) {
        const auto &declarations = file->styleDeclarations();
        if (!declarations)
            continue;
        for (const StyleDeclarationPtr &declaration : *declarations) {
            if (declaration->isRemoved())
                continue;
            const QString name = declaration->type() == RuleType::Comment ? declaration->getSelector() : declaration->selector();
            if (name.contains(text))
                hits.append(declaration);
        }
    }
    return hits;
}

bool StyleSheetsManagerDelegate::searchIncrement(const QString &text)
{
    if (!m_view)
        return false;
    m_searchResults = searchSelector(text);
    if (text == m_lastSearchWord) {
        ++m_incrementIndex;
        if (m_incrementIndex >= m_searchResults.size())
            m_incrementIndex = 0;
    } else {
        m_incrementIndex = 0;
        m_lastSearchWord = text;
    }
    if (m_searchResults.isEmpty()) {
        m_incrementIndex = 0;
        return false;
    }
    const StyleDeclarationPtr hit = m_searchResults.at(m_incrementIndex);
    if (Row *sheet = rowOfFile(hit->parentFile()))
        m_selectorListView->expandItem(sheet);
    // A hit the list does not show (a sheet outside the filter) leaves the selection.
    Row *row = rowOf(hit);
    const int index = row ? m_selectorListView->rowForItem(row) : -1;
    if (index < 0)
        return true;
    m_selectorListView->selectRowIndexes({index}, false);
    m_selectorListView->scrollRowToVisible(index);
    return true;
}

void StyleSheetsManagerDelegate::clearSearchFilds()
{
    m_searchField->setText(QString());
    m_lastSearchWord.clear();
    m_searchResults.clear();
    m_incrementIndex = 0;
}
