#include "StyleSheetsManagerDelegate.h"

#include "toolkit/DragPayload.h"

#include "cssrules/CSSOutlineDelegate.h"
#include "foundation/InspectUndoManager.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMSelectorEngine.h"
#include "stylesheet/StyleDeclaration.h"
#include "toolkit/OutlineViewEx.h"
#include "toolkit/SearchFieldEx.h"
#include "workspace/File.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QScrollBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

using Row = StyleSheetsManagerDelegate::Row;

Row *rowOfItem(void *item)
{
    return static_cast<Row *>(item);
}

bool isListed(const StyleDeclaration &declaration)
{
    if (declaration.isRemoved())
        return false;
    const int type = declaration.type();
    // Every keyframes block is listed, prefixed or not.
    return type == RuleType::Style || type == RuleType::Media || type == RuleType::Keyframes
           || type == RuleType::FontFace || type == RuleType::Page;
}

QColor typeColor(int type)
{
    switch (type) {
    case RuleType::Media:
        return QColor(0x1e, 0x6f, 0xb8);
    case RuleType::Keyframes:
        return QColor(0x9b, 0x3c, 0xb0);
    case RuleType::FontFace:
    case RuleType::Page:
        return QColor(0x2f, 0x8a, 0x4f);
    default:
        return {};
    }
}

} // namespace

StyleSheetsManagerDelegate::StyleSheetsManagerDelegate(QObject *parent) : QObject(parent)
{
    buildView();
}

StyleSheetsManagerDelegate::~StyleSheetsManagerDelegate()
{
    // The list goes first: it must not ask for rows that are going.
    delete m_view.data();
}

void StyleSheetsManagerDelegate::buildView()
{
    m_view = new QWidget;
    m_view->setObjectName(QStringLiteral("styleSheetsManager"));
    auto *layout = new QVBoxLayout(m_view);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);

    auto *bar = new QHBoxLayout;
    bar->setContentsMargins(4, 2, 4, 0);
    m_filterLabel = new QLabel(m_view);
    m_filterLabel->setObjectName(QStringLiteral("styleSheetsFilterLabel"));
    m_filterButton = new QToolButton(m_view);
    m_filterButton->setObjectName(QStringLiteral("styleSheetsFilterButton"));
    m_filterButton->setText(QStringLiteral("Filter"));
    m_filterButton->setToolTip(QStringLiteral("Lists the rules of some style sheets only"));
    m_filterButton->setPopupMode(QToolButton::InstantPopup);
    m_filterButton->setMenu(new QMenu(m_filterButton));
    connect(m_filterButton->menu(), &QMenu::aboutToShow, this, [this] { rebuildFilterMenu(); });
    bar->addWidget(m_filterLabel, 1);
    bar->addWidget(m_filterButton);
    layout->addLayout(bar);

    m_searchField = new SearchFieldEx(m_view);
    m_searchField->setObjectName(QStringLiteral("styleSheetsSearchField"));
    m_searchField->setPlaceholderText(QStringLiteral("Search"));
    connect(m_searchField, &QLineEdit::textEdited, this, [this](const QString &text) {
        // Typing finds from the selected row on; Return steps to the next.
        findFrom(text, std::max(m_selectorListView->selectedRow(), 0) - 1);
    });
    connect(m_searchField, &QLineEdit::returnPressed, this, [this] { searchIncrement(m_searchField->text()); });
    layout->addWidget(m_searchField);

    m_selectorListView = new OutlineViewEx(m_view);
    m_selectorListView->setObjectName(QStringLiteral("selectorListView"));
    m_selectorListView->setHeaderHidden(true);
    m_selectorListView->setAllowsMultipleSelection(true);
    m_selectorListView->setDataSource(this);
    m_selectorListView->registerForDraggedTypes({QStringLiteral("StyleDeclarationDrag"),
                                                 QString::fromLatin1(DragPayload::kDomNodeDragCopy),
                                                 QStringLiteral("text/plain")});
    m_selectorListView->setDraggingSourceOperationMask(Qt::MoveAction);
    OutlineDelegate delegate;
    delegate.selectionIndexesForProposedSelection = [this](OutlineView *, const QList<int> &proposed) {
        // A selection holds rules of one file, one kind and one block.
        QList<int> kept;
        const Row *first = nullptr;
        for (int row : proposed) {
            const Row *item = rowOfItem(m_selectorListView->itemAtRow(row));
            if (!item)
                continue;
            if (!first) {
                first = item;
                kept.append(row);
                continue;
            }
            if (item->parent == first->parent && item->declaration->parentFile() == first->declaration->parentFile()
                && item->declaration->type() == first->declaration->type())
                kept.append(row);
        }
        return kept;
    };
    delegate.selectionDidChange = [this](OutlineView *) { selectionChanged(); };
    delegate.delete_ = [this](QObject *) { removeSelected(); };
    // Style rules are renamed in place.
    delegate.shouldEditTableColumn = [](OutlineView *, int, void *item) {
        return item && rowOfItem(item)->declaration->type() == RuleType::Style;
    };
    delegate.cut = [this](QObject *) { cut(); };
    delegate.copy = [this](QObject *) { copy(); };
    delegate.paste = [this](QObject *) { paste(); };
    m_selectorListView->setDelegate(delegate);
    buildContextMenu();
    layout->addWidget(m_selectorListView, 1);
    updateFilterLabel();
}

void StyleSheetsManagerDelegate::setRulesPanel(CSSOutlineDelegate *rules)
{
    if (m_rules)
        disconnect(m_rules, nullptr, this, nullptr);
    m_rules = rules;
    if (!rules)
        return;
    // A new page's sheets, and every write of a sheet, list the rules again.
    connect(rules, &CSSOutlineDelegate::styleSheetsMenuRebuilt, this, [this] { refreshSelectorList(); });
    connect(rules, &CSSOutlineDelegate::styleSheetWritten, this, [this] { refreshSelectorList(); });
    // Undo and redo give the sheets their rules back without a write.
    if (InspectUndoManager *undo = File::sharedUndoManager()) {
        connect(undo, &InspectUndoManager::didUndoChange, this, [this] { refreshSelectorList(); });
        connect(undo, &InspectUndoManager::didRedoChange, this, [this] { refreshSelectorList(); });
    }
    refreshSelectorList();
}

DOMDocument *StyleSheetsManagerDelegate::document() const
{
    return m_rules ? m_rules->pageDocument() : nullptr;
}

// --- Rows ------------------------------------------------------------------------------------------

void StyleSheetsManagerDelegate::rebuildRows()
{
    m_rows.clear();
    if (!m_rules)
        return;
    const QList<File *> filter = filterFiles();
    for (File *file : m_rules->getSortedStyleFiles()) {
        if (!filter.isEmpty() && !filter.contains(file))
            continue;
        QHash<const StyleDeclaration *, Row *> blocks;
        for (const StyleDeclarationPtr &declaration : m_rules->styleDeclarationsOf(file)) {
            if (!declaration || !isListed(*declaration))
                continue;
            if (!declaration->isInBraket()) {
                auto row = std::make_unique<Row>();
                row->declaration = declaration;
                blocks.insert(declaration.get(), row.get());
                m_rows.push_back(std::move(row));
                continue;
            }
            // A rule inside a media block is the block's child.
            const StyleDeclarationPtr owner = file->getMediaOwner(*declaration);
            Row *block = owner ? blocks.value(owner.get()) : nullptr;
            if (!block || owner->type() != RuleType::Media || declaration->type() != RuleType::Style)
                continue;
            auto row = std::make_unique<Row>();
            row->declaration = declaration;
            row->parent = block;
            block->children.push_back(std::move(row));
        }
    }
}

StyleSheetsManagerDelegate::Row *StyleSheetsManagerDelegate::rowOf(const StyleDeclarationPtr &declaration) const
{
    for (const auto &row : m_rows) {
        if (row->declaration == declaration)
            return row.get();
        for (const auto &child : row->children) {
            if (child->declaration == declaration)
                return child.get();
        }
    }
    return nullptr;
}

void StyleSheetsManagerDelegate::refreshSelectorList()
{
    if (!m_view)
        return;
    // The same rules stay selected and the list keeps its place.
    QList<StyleDeclarationPtr> selected;
    for (int row : m_selectorListView->selectedRowIndexes()) {
        if (const Row *item = rowOfItem(m_selectorListView->itemAtRow(row)))
            selected.append(item->declaration);
    }
    QList<StyleDeclarationPtr> expanded;
    for (const auto &row : m_rows) {
        if (m_selectorListView->isItemExpanded(row.get()))
            expanded.append(row->declaration);
    }
    const int scroll = m_selectorListView->verticalScrollBar()->value();
    m_selecting = true;
    m_selectorListView->selectRowIndexes({}, false);
    // The old rows live until the list has let go of them.
    const std::vector<std::unique_ptr<Row>> old = std::move(m_rows);
    rebuildRows();
    m_selectorListView->reloadData();
    for (const StyleDeclarationPtr &declaration : expanded) {
        if (Row *row = rowOf(declaration))
            m_selectorListView->expandItem(row);
    }
    QList<int> rows;
    for (const StyleDeclarationPtr &declaration : selected) {
        if (Row *row = rowOf(declaration); row && m_selectorListView->rowForItem(row) >= 0)
            rows.append(m_selectorListView->rowForItem(row));
    }
    m_selectorListView->selectRowIndexes(rows, false);
    m_selecting = false;
    m_selectorListView->verticalScrollBar()->setValue(scroll);
    updateFilterLabel();
}

QString StyleSheetsManagerDelegate::strippedSelector(const QString &selector)
{
    return CSSOutlineDelegate::pseudoStrippedSelector(selector);
}

QString StyleSheetsManagerDelegate::countText(const StyleDeclaration &declaration)
{
    if (declaration.type() != RuleType::Style)
        return {};
    const DOMDocument *doc = document();
    if (!doc)
        return {};
    if (doc != m_countDocument || doc->treeVersion() != m_countVersion) {
        m_countCache.clear();
        m_countDocument = doc;
        m_countVersion = doc->treeVersion();
    }
    const QString stripped = strippedSelector(declaration.selector()).trimmed();
    const auto cached = m_countCache.constFind(stripped);
    if (cached != m_countCache.constEnd())
        return *cached;
    const QString text = DOMSelectorEngine::parse(stripped)
                             ? QStringLiteral("(%1)").arg(doc->numberOfNodesFromSelector(stripped))
                             : QStringLiteral("(?)");
    m_countCache.insert(stripped, text);
    return text;
}

// --- OutlineDataSource -----------------------------------------------------------------------------

int StyleSheetsManagerDelegate::numberOfChildrenOfItem(OutlineView *, void *item)
{
    return item ? int(rowOfItem(item)->children.size()) : int(m_rows.size());
}

void *StyleSheetsManagerDelegate::childOfItem(OutlineView *, int index, void *item)
{
    const auto &list = item ? rowOfItem(item)->children : m_rows;
    return index >= 0 && index < int(list.size()) ? list[size_t(index)].get() : nullptr;
}

bool StyleSheetsManagerDelegate::isItemExpandable(OutlineView *, void *item)
{
    return item && !rowOfItem(item)->children.empty();
}

QVariant StyleSheetsManagerDelegate::objectValueForTableColumn(OutlineView *, int, void *item, int role)
{
    const Row *row = rowOfItem(item);
    if (!row)
        return {};
    const StyleDeclaration &declaration = *row->declaration;
    switch (role) {
    case Qt::DisplayRole: {
        const QString count = countText(declaration);
        const QString selector = declaration.selector().simplified();
        return count.isEmpty() ? selector : selector + QStringLiteral("  ") + count;
    }
    case Qt::EditRole:
        return declaration.selector();
    case Qt::ToolTipRole:
        return declaration.parentFile() ? QStringLiteral("%1, line %2")
                                              .arg(declaration.parentFile()->displayName())
                                              .arg(declaration.lineNumber())
                                        : QVariant();
    case Qt::ForegroundRole: {
        QColor color = typeColor(declaration.type());
        if (!color.isValid())
            return {};
        // Lighter on a dark palette.
        if (m_view->palette().color(QPalette::Base).lightness() < 128)
            color = color.lighter(170);
        return color;
    }
    default:
        return {};
    }
}

bool StyleSheetsManagerDelegate::setObjectValue(OutlineView *, const QVariant &value, int, void *item)
{
    const Row *row = rowOfItem(item);
    return row && renameRule(row->declaration, value.toString());
}

// --- Selection ---------------------------------------------------------------------------------------

void StyleSheetsManagerDelegate::selectionChanged()
{
    if (m_selecting || !m_rules || !m_view)
        return;
    const Row *row = rowOfItem(m_selectorListView->itemAtRow(m_selectorListView->selectedRow()));
    if (row)
        m_rules->updateRulesByStyleDeclaration(row->declaration);
}

QWidget *StyleSheetsManagerDelegate::selectorListView()
{
    return m_view ? m_selectorListView : nullptr;
}

void StyleSheetsManagerDelegate::reselectSelectorWithClickedSelector()
{
    if (!m_view)
        return;
    const int clicked = m_selectorListView->clickedRow();
    if (clicked < 0)
        return;
    m_selectorListView->selectRowIndexes({clicked}, false);
    selectionChanged();
}

void StyleSheetsManagerDelegate::selectItemFromRule(const std::shared_ptr<StyleDeclaration> &rule)
{
    if (!m_view)
        return;
    Row *row = rowOf(rule);
    if (!row)
        return;
    if (row->parent)
        m_selectorListView->expandItem(row->parent);
    const int index = m_selectorListView->rowForItem(row);
    if (index < 0)
        return;
    // The rules panel chose it: it is not shown again.
    m_selecting = true;
    m_selectorListView->selectRowIndexes({index}, false);
    m_selecting = false;
    m_selectorListView->scrollRowToVisible(index);
}

bool StyleSheetsManagerDelegate::searchIncrement(const QString &text)
{
    if (!m_view)
        return false;
    return findFrom(text, m_selectorListView->selectedRow());
}

bool StyleSheetsManagerDelegate::findFrom(const QString &text, int start)
{
    if (!m_view)
        return false;
    const QString needle = text.trimmed();
    if (needle.isEmpty() || m_rows.empty())
        return false;
    // Closed blocks are opened so that their rules are searched too.
    for (const auto &row : m_rows) {
        if (!row->children.empty())
            m_selectorListView->expandItem(row.get());
    }
    const int rows = m_selectorListView->numberOfRows();
    for (int step = 1; step <= rows; ++step) {
        const int index = ((start + step) % rows + rows) % rows;
        const Row *row = rowOfItem(m_selectorListView->itemAtRow(index));
        if (row && row->declaration->selector().contains(needle, Qt::CaseInsensitive)) {
            m_selectorListView->selectRowIndexes({index}, false);
            m_selectorListView->scrollRowToVisible(index);
            return true;
        }
    }
    return false;
}

// --- The file filter ------------------------------------------------------------------------------

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
    if (m_filterFiles.isEmpty())
        return;
    m_filterFiles.clear();
    refreshSelectorList();
}

void StyleSheetsManagerDelegate::setFileFilter(File *file)
{
    if (!file)
        m_filterFiles.clear();
    else if (m_filterFiles.contains(file))
        m_filterFiles.removeAll(file);
    else
        m_filterFiles.append(file);
    if (!m_inChange)
        refreshSelectorList();
}

void StyleSheetsManagerDelegate::updateFilterLabel()
{
    QStringList names;
    for (File *file : filterFiles())
        names.append(file->displayName());
    m_filterLabel->setText(names.isEmpty() ? QStringLiteral("All Style Sheets") : names.join(QStringLiteral(", ")));
}

void StyleSheetsManagerDelegate::rebuildFilterMenu()
{
    QMenu *menu = m_filterButton->menu();
    menu->clear();
    const QList<File *> filter = filterFiles();
    QAction *all = menu->addAction(QStringLiteral("All Style Sheets"));
    all->setCheckable(true);
    all->setChecked(filter.isEmpty());
    connect(all, &QAction::triggered, this, [this] { setFileFilter(nullptr); });
    menu->addSeparator();
    if (!m_rules)
        return;
    for (File *file : m_rules->getSortedStyleFiles()) {
        QAction *item = menu->addAction(file->displayName());
        item->setCheckable(true);
        item->setChecked(filter.contains(file));
        connect(item, &QAction::triggered, this, [this, guard = QPointer<File>(file)] {
            if (guard)
                setFileFilter(guard.data());
        });
    }
}
