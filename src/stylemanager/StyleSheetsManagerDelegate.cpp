#include "StyleSheetsManagerDelegate.h"
#include "StyleSheetsManagerDelegate_p.h"

#include "PatchingButton.h"
#include "StyleSheetsManagerListCell.h"
#include "StyleSheetsManagerListRowView.h"

#include "cssrules/CSSOutlineDelegate.h"
#include "foundation/InspectUndoManager.h"
#include "platform/kit/OutlineView.h"
#include "platform/kit/TableColumn.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMSelectorEngine.h"
#include "stylesheet/StringKeyframes.h"
#include "stylesheet/StyleDeclaration.h"
#include "toolkit/DragPayload.h"
#include "toolkit/OutlineViewEx.h"
#include "toolkit/RBLPopover.h"
#include "toolkit/SearchFieldEx.h"
#include "workspace/File.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QMenu>
#include <QScrollBar>
#include <QSplitter>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

using Row = StyleSheetsManagerDelegate::Row;

using StyleSheetsManagerDelegatePrivate::rowOfItem;

bool isKeyframesBlock(const StyleDeclaration &declaration)
{
    return declaration.type() == RuleType::Keyframes;
}

// The file lists a keyframes block once: its "-webkit-" form, or the plain
// form when the file has no "-webkit-" block of that name. Other prefixes are
// left out.
bool isListedKeyframes(const StyleDeclaration &declaration, const QList<StyleDeclarationPtr> &topLevel)
{
    const QString &selector = declaration.selector();
    if (selector.startsWith(QLatin1String("@-webkit-")))
        return true;
    if (selector.startsWith(QLatin1String("@-")))
        return false;
    const std::optional<QString> name = StringKeyframes::animationName(selector);
    for (const StyleDeclarationPtr &other : topLevel) {
        if (!other->isRemoved() && isKeyframesBlock(*other) && other->selector().startsWith(QLatin1String("@-webkit-"))
            && StringKeyframes::animationName(other->selector()) == name)
            return false;
    }
    return true;
}

} // namespace

StyleSheetsManagerDelegate::StyleSheetsManagerDelegate(QObject *parent) : QObject(parent)
{
    m_declarationListTimer.setSingleShot(true);
    m_insertModeTimer.setSingleShot(true);
    m_insertModeTimer.setInterval(150);
    m_lazyRefreshTimer.setSingleShot(true);
    connect(&m_declarationListTimer, &QTimer::timeout, this, [this] { updateCSSDeclarationList(); });
    connect(&m_insertModeTimer, &QTimer::timeout, this, [this] { updateSelectorInsertMode(); });
    connect(&m_lazyRefreshTimer, &QTimer::timeout, this, [this] {
        const QList<Row *> selected = selectorListSelection();
        const StyleDeclarationPtr remembered = selected.isEmpty() ? nullptr : selected.first()->declaration;
        refreshSelectorList();
        const StyleDeclarationPtr next = m_nextSelection ? m_nextSelection : remembered;
        m_nextSelection = nullptr;
        QTimer::singleShot(100, this, [this, next] {
            if (next)
                selectItem(rowOf(next));
        });
    });
    buildView();
}

StyleSheetsManagerDelegate::~StyleSheetsManagerDelegate()
{
    delete m_filterPopover;
    if (m_listViewport)
        m_listViewport->removeEventFilter(this);
    // The lists go first: they must not ask for rows that are going.
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
    m_filterLabel->setObjectName(QStringLiteral("styleSheetsFilterDropdownLabel"));
    m_filterLabel->setTextFormat(Qt::PlainText);
    m_filterButton = new QToolButton(m_view);
    m_filterButton->setObjectName(QStringLiteral("styleSheetsFilterDropdownButton"));
    m_filterButton->setText(QStringLiteral("Filter"));
    m_filterButton->setToolTip(QStringLiteral("Lists the rules of some style sheets only"));
    m_filterButton->setPopupMode(QToolButton::MenuButtonPopup);
    m_filterMenu = new QMenu(m_filterButton);
    m_filterMenu->setObjectName(QStringLiteral("styleSheetsFilterDropdownMenu"));
    m_filterButton->setMenu(m_filterMenu);
    connect(m_filterMenu, &QMenu::aboutToShow, this, [this] { rebuildFilterMenu(); });
    connect(m_filterButton, &QToolButton::clicked, this, [this] { showFilterDropdown(); });
    bar->addWidget(m_filterLabel, 1);
    bar->addWidget(m_filterButton);
    layout->addLayout(bar);

    m_searchField = new SearchFieldEx(m_view);
    m_searchField->setObjectName(QStringLiteral("seachField"));
    m_searchField->setPlaceholderText(QStringLiteral("Search"));
    // Typing finds from the first hit; Return steps to the next.
    connect(m_searchField, &QLineEdit::textEdited, this, [this](const QString &text) { searchIncrement(text); });
    connect(m_searchField, &QLineEdit::returnPressed, this, [this] { searchIncrement(m_searchField->text()); });
    SearchFieldDelegate search;
    search.searchFieldSelectItem = [this](SearchFieldEx *, QAction *item) {
        searchIncrement(item->data().toString().isEmpty() ? item->text() : item->data().toString());
    };
    m_searchField->setSearchFieldDelegate(search);
    layout->addWidget(m_searchField);

    auto *split = new QSplitter(Qt::Vertical, m_view);
    split->setChildrenCollapsible(false);
    m_selectorListView = new OutlineViewEx(split);
    m_selectorListView->setObjectName(QStringLiteral("selectorListView"));
    m_selectorListView->setHeaderHidden(true);
    m_selectorListView->setAllowsMultipleSelection(true);
    m_selectorListView->setMouseTracking(true);
    m_listCell = new StyleSheetsManagerListCell(this);
    m_selectorListView->registerCell(QStringLiteral("SelectorCell"), m_listCell);
    m_selectorListView->setDataSource(this);
    m_selectorListView->registerForDraggedTypes({QStringLiteral("StyleDeclarationDrag"),
                                                 QString::fromLatin1(DragPayload::kDomNodeDragCopy),
                                                 QStringLiteral("text/plain")});
    m_selectorListView->setDraggingSourceOperationMask(Qt::MoveAction);
    m_selectorListView->setDelegate(listDelegate());
    m_selectorListView->setAbortsEditingOnMouseDown(true);
    connect(m_selectorListView, &TableViewBase::rowClicked, this, [this] { singleClick(); });
    connect(m_selectorListView, &TableViewBase::rowDoubleClicked, this, [this] { doubleClick(); });
    connect(m_selectorListView, &TableViewBase::draggingSessionEnded, this, [this] { m_isDragging = false; });
    m_patchingButton = new PatchingButton(m_selectorListView->viewport());
    m_patchingButton->setObjectName(QStringLiteral("patchingButton"));
    m_patchingButton->setToolTip(QStringLiteral("Drag onto an element to give it this class"));
    m_patchingButton->hide();
    m_listViewport = m_selectorListView->viewport();
    m_listViewport->installEventFilter(this);
    connect(m_selectorListView->verticalScrollBar(), &QScrollBar::valueChanged, m_patchingButton, &QWidget::hide);
    buildContextMenu();

    // The declarations of the one chosen rule.
    m_declarationListView = new OutlineViewEx(split);
    m_declarationListView->setObjectName(QStringLiteral("declarationListView"));
    m_declarationListView->setTableColumns({TableColumn{QStringLiteral("property"), QStringLiteral("Property")},
                                            TableColumn{QStringLiteral("value"), QStringLiteral("Value")}});
    m_declarationListView->setHeaderVisible(false);
    m_declarationListView->setIndentationPerLevel(0);
    m_declarationListView->setRootIsDecorated(false);
    m_declarationListView->setDataSource(this);
    split->addWidget(m_selectorListView);
    split->addWidget(m_declarationListView);
    split->setStretchFactor(0, 4);
    split->setStretchFactor(1, 1);
    m_declarationListView->setMinimumHeight(36);
    m_split = split;
    m_view->installEventFilter(this);
    layout->addWidget(split, 1);

    // The new rule goes where the list's selection is.
    m_selectorInputView = new QWidget(m_view);
    m_selectorInputView->setObjectName(QStringLiteral("selectorInputView"));
    auto *input = new QHBoxLayout(m_selectorInputView);
    input->setContentsMargins(4, 0, 4, 2);
    auto *add = new QToolButton(m_selectorInputView);
    add->setObjectName(QStringLiteral("addSelectorButton"));
    add->setText(QStringLiteral("+"));
    add->setToolTip(QStringLiteral("Add Rule... (Shift+Ctrl+Return in the list)"));
    connect(add, &QToolButton::clicked, this, [this] { showAddSelector(); });
    m_insertTargetLabel = new QLabel(m_selectorInputView);
    m_insertTargetLabel->setObjectName(QStringLiteral("insertTargetLabel"));
    m_insertTargetLabel->setTextFormat(Qt::PlainText);
    input->addWidget(add);
    input->addWidget(m_insertTargetLabel, 1);
    layout->addWidget(m_selectorInputView);
    m_selectorInputView->setEnabled(false);
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
    connect(rules, &CSSOutlineDelegate::styleSheetsMenuRebuilt, this, [this] {
        clearSearchFilds();
        refreshSelectorList();
    });
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

QList<StyleDeclarationPtr> StyleSheetsManagerDelegate::listedTopLevel(File *file)
{
    QList<StyleDeclarationPtr> listed;
    if (!file)
        return listed;
    const QList<StyleDeclarationPtr> topLevel = file->topLevelDeclarations();
    for (const StyleDeclarationPtr &declaration : topLevel) {
        if (declaration->isRemoved())
            continue;
        if (isKeyframesBlock(*declaration) && !isListedKeyframes(*declaration, topLevel))
            continue;
        listed.append(declaration);
    }
    return listed;
}

QList<CSSPropertyPtr> StyleSheetsManagerDelegate::listedProperties(const StyleDeclaration &declaration)
{
    // An undone addition and a removal stay in the model, marked: the file
    // and the rules panel no longer have them, and neither does the list.
    QList<CSSPropertyPtr> listed;
    for (const CSSPropertyPtr &property : declaration.properties()) {
        if (property->isVisible() && !property->isRemoved())
            listed.append(property);
    }
    return listed;
}

void StyleSheetsManagerDelegate::rebuildRows()
{
    m_rows.clear();
    if (!m_rules)
        return;
    const QList<File *> filter = filterFiles();
    for (File *file : m_rules->getSortedStyleFiles()) {
        if (!filter.isEmpty() && !filter.contains(file))
            continue;
        auto sheet = std::make_unique<Row>();
        sheet->file = file;
        // The panel's model, read again when the text changed outside it.
        m_rules->styleDeclarationsOf(file);
        for (const StyleDeclarationPtr &declaration : listedTopLevel(file)) {
            auto row = std::make_unique<Row>();
            row->declaration = declaration;
            row->parent = sheet.get();
            row->level = 1;
            const int type = declaration->type();
            if (type == RuleType::Media || type == RuleType::Keyframes) {
                for (const StyleDeclarationPtr &inner : file->getMediaChildren(*declaration)) {
                    if (inner->isRemoved() || (isKeyframesBlock(*inner) && !inner->selector().startsWith(QLatin1String("@-webkit"))))
                        continue;
                    auto child = std::make_unique<Row>();
                    child->declaration = inner;
                    child->parent = row.get();
                    child->level = 2;
                    row->children.push_back(std::move(child));
                }
            }
            sheet->children.push_back(std::move(row));
        }
        m_rows.push_back(std::move(sheet));
    }
}

Row *StyleSheetsManagerDelegate::rowOf(const StyleDeclarationPtr &declaration) const
{
    if (!declaration)
        return nullptr;
    for (const auto &sheet : m_rows) {
        if (sheet->file != declaration->parentFile())
            continue;
        for (const auto &row : sheet->children) {
            if (row->declaration == declaration)
                return row.get();
            for (const auto &child : row->children) {
                if (child->declaration == declaration)
                    return child.get();
            }
        }
    }
    return nullptr;
}

Row *StyleSheetsManagerDelegate::rowOfFile(const File *file) const
{
    for (const auto &sheet : m_rows) {
        if (sheet->file == file)
            return sheet.get();
    }
    return nullptr;
}

Row *StyleSheetsManagerDelegate::rowAt(int index) const
{
    return m_view && index >= 0 ? rowOfItem(m_selectorListView->itemAtRow(index)) : nullptr;
}

void StyleSheetsManagerDelegate::expandAll(Row *row)
{
    // Style sheets open unless the user closed them; @media blocks always.
    for (const auto &sheet : m_rows) {
        if (row && row != sheet.get())
            continue;
        if (!sheet->file || m_collapsedFiles.contains(sheet->file->path()))
            continue;
        m_selectorListView->expandItem(sheet.get());
        for (const auto &rule : sheet->children) {
            if (rule->declaration->type() == RuleType::Media && !rule->children.empty())
                m_selectorListView->expandItem(rule.get());
        }
    }
}

void StyleSheetsManagerDelegate::refreshSelectorList()
{
    if (!m_view)
        return;
    // The same rules stay selected and the list keeps its place.
    QList<StyleDeclarationPtr> selected;
    QList<File *> selectedFiles;
    for (Row *row : selectorListSelection()) {
        if (row->declaration)
            selected.append(row->declaration);
        else if (row->file)
            selectedFiles.append(row->file);
    }
    QList<StyleDeclarationPtr> expandedKeyframes;
    for (const auto &sheet : m_rows) {
        for (const auto &rule : sheet->children) {
            if (rule->declaration->type() == RuleType::Keyframes && m_selectorListView->isItemExpanded(rule.get()))
                expandedKeyframes.append(rule->declaration);
        }
    }
    const int scroll = m_selectorListView->verticalScrollBar()->value();
    m_selecting = true;
    m_patchingButton->hide();
    m_patchingButton->setStyleDeclaration(nullptr);
    m_selectorListView->selectRowIndexes({}, false);
    // The old rows live until the list has let go of them.
    const std::vector<std::unique_ptr<Row>> old = std::move(m_rows);
    rebuildRows();
    m_selectorListView->reloadData();
    expandAll(nullptr);
    // A rule of a sheet read again (typed into elsewhere) is found where it
    // stands in the model read (#78).
    const auto rowNow = [this](const StyleDeclarationPtr &declaration) {
        Row *row = rowOf(declaration);
        return row || !m_rules ? row : rowOf(m_rules->declarationReadAgain(declaration));
    };
    for (const StyleDeclarationPtr &declaration : expandedKeyframes) {
        if (Row *row = rowNow(declaration))
            m_selectorListView->expandItem(row);
    }
    QList<int> rows;
    for (const StyleDeclarationPtr &declaration : selected) {
        if (Row *row = rowNow(declaration); row && m_selectorListView->rowForItem(row) >= 0)
            rows.append(m_selectorListView->rowForItem(row));
    }
    for (File *file : selectedFiles) {
        if (Row *row = rowOfFile(file))
            rows.append(m_selectorListView->rowForItem(row));
    }
    std::sort(rows.begin(), rows.end());
    m_selectorListView->selectRowIndexes(rows, false);
    m_selecting = false;
    m_selectorListView->verticalScrollBar()->setValue(scroll);
    m_declarationListView->reloadData();
    m_lastSearchWord.clear();
    updateFilterLabel();
    // A new list drops the selection without a word: the footer follows here.
    updateSelectorInputView();
}

void StyleSheetsManagerDelegate::refreshListWithCurrentItem()
{
    if (!m_view)
        return;
    const QList<int> selected = m_selectorListView->selectedRowIndexes();
    refreshSelectorList();
    QList<int> rows;
    for (int row : selected) {
        if (row < m_selectorListView->numberOfRows())
            rows.append(row);
    }
    m_selecting = true;
    m_selectorListView->selectRowIndexes(rows, false);
    m_selecting = false;
    if (m_rules)
        m_rules->clearAllCSSRuleCache();
}

void StyleSheetsManagerDelegate::refreshListWithItem()
{
    m_lazyRefreshTimer.start(0);
    if (m_rules)
        m_rules->clearAllCSSRuleCache();
}

QString StyleSheetsManagerDelegate::strippedSelector(const QString &selector)
{
    return CSSOutlineDelegate::pseudoStrippedSelector(selector);
}

int StyleSheetsManagerDelegate::matchCount(const StyleDeclaration &declaration)
{
    if (declaration.type() != RuleType::Style && declaration.type() != RuleType::MediaStyle)
        return 0;
    const DOMDocument *doc = document();
    if (!doc)
        return 0;
    if (doc != m_countDocument || doc->treeVersion() != m_countVersion) {
        m_countCache.clear();
        m_countDocument = doc;
        m_countVersion = doc->treeVersion();
    }
    const QString stripped = strippedSelector(declaration.selector()).trimmed();
    const auto cached = m_countCache.constFind(stripped);
    if (cached != m_countCache.constEnd())
        return *cached;
    // -1: the engine refuses the selector.
    const int count = DOMSelectorEngine::parse(stripped) ? int(doc->numberOfNodesFromSelector(stripped)) : -1;
    m_countCache.insert(stripped, count);
    return count;
}

QString StyleSheetsManagerDelegate::countText(const StyleDeclaration &declaration)
{
    if ((declaration.type() != RuleType::Style && declaration.type() != RuleType::MediaStyle) || !document())
        return {};
    const int count = matchCount(declaration);
    return count < 0 ? QStringLiteral("(?)") : QStringLiteral("(%1)").arg(count);
}

void StyleSheetsManagerDelegate::placePatchingButton(const QPoint &viewportPoint)
{
    const QModelIndex index = m_selectorListView->indexAt(viewportPoint);
    const Row *row = rowOfItem(OutlineView::itemForIndex(index));
    const StyleDeclarationPtr rule = row ? row->declaration : nullptr;
    const bool lone = rule && (rule->type() == RuleType::Style || rule->type() == RuleType::MediaStyle)
                      && StyleSheetsManagerListCell::isLoneClass(rule->selector());
    if (!lone) {
        m_patchingButton->hide();
        return;
    }
    const bool selected = m_selectorListView->isRowSelected(m_selectorListView->rowForItem(const_cast<Row *>(row)));
    QPalette palette = m_selectorListView->palette();
    palette.setColor(QPalette::Text, palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    m_patchingButton->setPalette(palette);
    m_patchingButton->setStyleDeclaration(rule);
    m_patchingButton->setShowButton(matchCount(*rule) > 0);
    m_patchingButton->setGeometry(StyleSheetsManagerListCell::patchingButtonRect(m_selectorListView->visualRect(index)));
    if (!m_patchingButton->underMouse())
        m_patchingButton->resetUpImage();
    m_patchingButton->show();
    m_patchingButton->raise();
}

bool StyleSheetsManagerDelegate::eventFilter(QObject *watched, QEvent *event)
{
    // The rules take most of the height the first time the panel shows.
    if (watched == m_view && event->type() == QEvent::Show && m_split) {
        const int height = m_split->height();
        m_split->setSizes({height - height / 5, height / 5});
        m_view->removeEventFilter(this);
    }
    // Compared, not asked: the viewport also reports while the list is going.
    if (watched == m_listViewport && m_patchingButton) {
        if (event->type() == QEvent::MouseMove)
            placePatchingButton(static_cast<QMouseEvent *>(event)->position().toPoint());
        else if (event->type() == QEvent::Leave)
            m_patchingButton->hide();
    }
    return QObject::eventFilter(watched, event);
}

// --- OutlineDataSource -----------------------------------------------------------------------------

int StyleSheetsManagerDelegate::numberOfChildrenOfItem(OutlineView *outlineView, void *item)
{
    if (outlineView == m_declarationListView) {
        const QList<StyleDeclarationPtr> selected = selectedDeclarations();
        return !item && selected.size() == 1 && m_selectorListView->numberOfSelectedRows() == 1
                   ? int(listedProperties(*selected.first()).size())
                   : 0;
    }
    return item ? int(rowOfItem(item)->children.size()) : int(m_rows.size());
}

void *StyleSheetsManagerDelegate::childOfItem(OutlineView *outlineView, int index, void *item)
{
    if (outlineView == m_declarationListView) {
        const QList<StyleDeclarationPtr> selected = selectedDeclarations();
        const QList<CSSPropertyPtr> properties =
            selected.size() == 1 ? listedProperties(*selected.first()) : QList<CSSPropertyPtr>();
        if (item || index < 0 || index >= properties.size())
            return nullptr;
        return properties.at(index).get();
    }
    const auto &list = item ? rowOfItem(item)->children : m_rows;
    return index >= 0 && index < int(list.size()) ? list[size_t(index)].get() : nullptr;
}

bool StyleSheetsManagerDelegate::isItemExpandable(OutlineView *outlineView, void *item)
{
    if (outlineView == m_declarationListView || !item)
        return false;
    const Row *row = rowOfItem(item);
    if (row->file)
        return true;
    const int type = row->declaration->type();
    return (type == RuleType::Media || type == RuleType::Keyframes) && !row->children.empty();
}

QVariant StyleSheetsManagerDelegate::objectValueForTableColumn(OutlineView *outlineView, int column, void *item, int role)
{
    if (outlineView == m_declarationListView) {
        const auto *property = static_cast<const CSSProperty *>(item);
        if (!property)
            return {};
        if (role == Qt::DisplayRole || role == Qt::EditRole)
            return column == 0 ? property->property() : property->value();
        if (role == Qt::ToolTipRole)
            return property->description();
        return {};
    }
    const Row *row = rowOfItem(item);
    if (!row)
        return {};
    if (row->file) {
        switch (role) {
        case Qt::DisplayRole:
            return QStringLiteral("%1 [%2]").arg(row->file->displayName()).arg(row->children.size());
        case Qt::ToolTipRole:
            return row->file->displayName();
        case Qt::DecorationRole:
            return row->file->icon();
        default:
            return {};
        }
    }
    const StyleDeclaration &declaration = *row->declaration;
    switch (role) {
    case Qt::DisplayRole: {
        QString text = declaration.type() == RuleType::Comment ? declaration.getSelector() : declaration.selector();
        if (declaration.type() == RuleType::Keyframes)
            text.remove(QStringLiteral("-webkit-"));
        return text.simplified();
    }
    case Qt::EditRole:
        return declaration.type() == RuleType::Keyframes ? QString(declaration.selector()).remove(QStringLiteral("-webkit-"))
                                                          : declaration.selector();
    case Qt::ToolTipRole:
        return declaration.type() == RuleType::Comment ? declaration.getSelector() : declaration.selector();
    default:
        return {};
    }
}

bool StyleSheetsManagerDelegate::setObjectValue(OutlineView *outlineView, const QVariant &value, int, void *item)
{
    if (outlineView != m_selectorListView)
        return false;
    const Row *row = rowOfItem(item);
    return row && row->declaration && renameRule(row->declaration, value.toString());
}
