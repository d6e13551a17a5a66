// DomNodeListDelegate: the palette's view, its modes and categories, the
// search, the rows and the drags out of the list.

#include "DomNodeListDelegate.h"

#include "BootStrapComponent.h"
#include "DOMNodeLists.h"
#include "DOMRowMetrics.h"
#include "DomTreeDelegate.h"
#include "NodeComponent.h"
#include "SnippetDropView.h"
#include "WebViewCell.h"

#include "platform/foundation/DelayedPerform.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/SegmentedControl.h"
#include "preview/ExWebView.h"
#include "toolkit/DragPayload.h"
#include "toolkit/OutlineViewEx.h"
#include "toolkit/SearchFieldEx.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QMenu>
#include <QMimeData>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// Shared by every palette of the process.
int s_paletteListMode = DomNodeListDelegate::Templates;
QString s_paletteCategoryTitle;
bool s_templatesShown = false;

constexpr double kRowHeight = 28.0;

} // namespace

DomNodeListDelegate::DomNodeListDelegate(QObject *parent)
    : QObject(parent)
{
}

DomNodeListDelegate::~DomNodeListDelegate()
{
    DelayedPerform::cancelAll(this);
    if (m_domNodeList)
        m_domNodeList->setDataSource(nullptr);
    delete m_view;
}

int DomNodeListDelegate::paletteListMode()
{
    return s_paletteListMode;
}

void DomNodeListDelegate::setPaletteListMode(int mode)
{
    s_paletteListMode = mode;
}

QString DomNodeListDelegate::paletteCategoryTitle()
{
    return s_paletteCategoryTitle;
}

void DomNodeListDelegate::resetForTesting()
{
    s_paletteListMode = Templates;
    s_paletteCategoryTitle.clear();
    s_templatesShown = false;
}

void DomNodeListDelegate::setDomTreeDelegate(DomTreeDelegate *tree)
{
    m_domTreeDelegate = tree;
    if (m_snippetDropView)
        m_snippetDropView->setDomTreeDelegate(tree);
}

void DomNodeListDelegate::setWebview(ExWebView *webview)
{
    m_webview = webview;
}

QWidget *DomNodeListDelegate::view() const
{
    return m_view;
}

void DomNodeListDelegate::awakeFromNib()
{
    if (m_view)
        return;
    buildView();
    // Only the first palette of the process starts with the templates.
    if (!s_templatesShown) {
        s_templatesShown = true;
        s_paletteListMode = Templates;
        showW3CElements();
    }
}

void DomNodeListDelegate::buildView()
{
    m_view = new QWidget;
    m_view->setObjectName(QStringLiteral("elementPalette"));
    auto *layout = new QVBoxLayout(m_view);
    layout->setContentsMargins(4, 4, 4, 0);
    layout->setSpacing(4);

    auto *bar = new QHBoxLayout;
    bar->setSpacing(4);
    m_segmentedControl = new SegmentedControl(m_view);
    m_segmentedControl->setObjectName(QStringLiteral("paletteMode"));
    m_segmentedControl->setSegmentCount(3);
    const char *icons[] = {"code-context", "bookmarks", "view-preview"};
    const QString labels[] = {QStringLiteral("Elements"), QStringLiteral("Snippets"), QStringLiteral("Components")};
    for (int segment = 0; segment < 3; ++segment) {
        m_segmentedControl->setLabel(labels[segment], segment);
        m_segmentedControl->setToolTip(labels[segment], segment);
        m_segmentedControl->setImage(QIcon::fromTheme(QString::fromLatin1(icons[segment])), segment);
    }
    connect(m_segmentedControl, &SegmentedControl::activated, this, [this] { changeSnippetSet(); });
    bar->addWidget(m_segmentedControl);
    bar->addStretch(1);
    m_menuButton = new QToolButton(m_view);
    m_menuButton->setObjectName(QStringLiteral("paletteMenuButton"));
    m_menuButton->setIcon(QIcon::fromTheme(QStringLiteral("open-menu"), QIcon::fromTheme(QStringLiteral("application-menu"))));
    m_menuButton->setAutoRaise(true);
    m_menuButton->setToolTip(QStringLiteral("Palette"));
    connect(m_menuButton, &QToolButton::clicked, this, [this] { showMenu(); });
    bar->addWidget(m_menuButton);
    layout->addLayout(bar);

    m_categorySelector = new QComboBox(m_view);
    m_categorySelector->setObjectName(QStringLiteral("categorySelector"));
    connect(m_categorySelector, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!m_fillingCategories)
            changeCategory(index);
    });
    layout->addWidget(m_categorySelector);

    m_searchField = new SearchFieldEx(m_view);
    m_searchField->setObjectName(QStringLiteral("paletteSearchField"));
    m_searchField->setPlaceholderText(QStringLiteral("Search"));
    m_searchField->setClearButtonEnabled(true);
    TextFieldDelegate fieldDelegate;
    fieldDelegate.controlTextDidChange = [this](TextField *) { search(); };
    m_searchField->setDelegate(fieldDelegate);
    layout->addWidget(m_searchField);

    m_domNodeList = new OutlineViewEx(m_view);
    m_domNodeList->setObjectName(QStringLiteral("domNodeList"));
    m_domNodeList->setHeaderVisible(false);
    m_domNodeList->setRootIsDecorated(false);
    m_domNodeList->setFont(DOMRowMetrics::desktop().font);
    m_domNodeList->setRowHeight(int(kRowHeight));
    m_domNodeList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_domNodeList->setDataSource(this);
    // Component rows show their fragment as the browser renders it.
    m_webViewCell = new WebViewCell(this);
    m_domNodeList->registerCell(QStringLiteral("WebViewCell"), m_webViewCell);
    connect(m_webViewCell, &WebViewCell::pictureRendered, this, [this] {
        if (!m_domNodeList)
            return;
        QList<int> rows;
        for (int row = 0; row < int(m_elements.size()); ++row)
            rows.append(row);
        m_domNodeList->noteHeightOfRowsWithIndexesChanged(rows);
        m_domNodeList->viewport()->update();
    });
    OutlineDelegate delegate;
    delegate.cellIdentifierForTableColumn = [](OutlineView *, int, void *item) {
        const auto *element = static_cast<const Element *>(item);
        return element && element->component ? QStringLiteral("WebViewCell") : QString();
    };
    delegate.heightOfRowByItem = [this](OutlineView *, void *item) {
        const auto *element = static_cast<const Element *>(item);
        if (!element || !element->component)
            return kRowHeight;
        QStyleOptionViewItem option;
        option.rect = QRect(0, 0, m_domNodeList->viewport()->width(), int(kRowHeight));
        return double(m_webViewCell->sizeHint(option, m_domNodeList->indexForItem(const_cast<Element *>(element))).height());
    };
    delegate.saveOutlineview = [this](QObject *) { saveOutlineview(); };
    m_domNodeList->setDelegate(delegate);
    m_domNodeList->setDraggingSourceOperationMask(Qt::CopyAction);
    connect(m_domNodeList, &TableViewBase::rowDoubleClicked, this, [this] { doubleClick(); });
    layout->addWidget(m_domNodeList, 1);

    m_snippetDropView = new SnippetDropView(m_view);
    m_snippetDropView->setDomNodeListDelegate(this);
    m_snippetDropView->setDomTreeDelegate(m_domTreeDelegate);
    layout->addWidget(m_snippetDropView);

    m_mainMenu = new QMenu(m_view);
    m_mainMenu->setObjectName(QStringLiteral("paletteMenu"));
    for (int mode = Templates; mode <= Components; ++mode) {
        QAction *item = m_mainMenu->addAction(QStringLiteral("Show %1").arg(labels[mode]));
        connect(item, &QAction::triggered, this, [this, mode] { mainCategoryChange(mode); });
    }
}

// --- Modes and categories ------------------------------------------------------------------------------

void DomNodeListDelegate::setCategoryTitles(const QStringList &titles, const QStringList &categories, int selected)
{
    m_fillingCategories = true;
    m_categorySelector->clear();
    for (qsizetype i = 0; i < titles.size(); ++i)
        m_categorySelector->addItem(titles.at(i), categories.value(i, titles.at(i)));
    m_categorySelector->setCurrentIndex(titles.isEmpty() ? -1 : qBound(0, selected, int(titles.size()) - 1));
    m_fillingCategories = false;
}

void DomNodeListDelegate::showW3CElements()
{
    if (!m_view)
        return;
    const QStringList keys = DOMNodeLists::categoriesByNumber();
    setCategoryTitles(keys, keys, 0);
    s_paletteCategoryTitle = keys.value(0);
    m_segmentedControl->setSelectedSegment(Templates);
    setTemplates(DOMNodeLists::nodeByCategory(s_paletteCategoryTitle));
}

void DomNodeListDelegate::showUserSnippetElements(const QString &category)
{
    if (!m_view)
        return;
    s_paletteCategoryTitle.clear();
    s_paletteListMode = Snippets;
    QStringList titles;
    int selected = 0;
    const QStringList &categories = SnippetUtil::categories();
    for (qsizetype i = 0; i < categories.size(); ++i) {
        titles.append(QStringLiteral("%1 (%2)").arg(categories.at(i)).arg(SnippetUtil::snippetsInCategory(categories.at(i)).size()));
        if (categories.at(i) == category)
            selected = int(i);
    }
    // No category named: the first one is shown.
    const QString shown = category.isEmpty() ? categories.value(0) : category;
    setCategoryTitles(titles, categories, selected);
    s_paletteCategoryTitle = titles.value(selected);
    m_segmentedControl->setSelectedSegment(Snippets);
    setSnippets(SnippetUtil::snippetsInCategory(shown));
}

void DomNodeListDelegate::showBootstrapElements()
{
    if (!m_view)
        return;
    const QMap<QString, QList<QVariantMap>> catalogue = BootStrapComponent::nodeMap();
    const QStringList keys = BootStrapComponent::categoriesByNumber(catalogue);
    setCategoryTitles(keys, keys, 0);
    s_paletteCategoryTitle = keys.value(0);
    m_segmentedControl->setSelectedSegment(Components);
    setComponents(catalogue.value(s_paletteCategoryTitle));
}

void DomNodeListDelegate::changeCategory(int index)
{
    if (index < 0 || !m_categorySelector)
        return;
    s_paletteCategoryTitle = m_categorySelector->itemText(index);
    switch (s_paletteListMode) {
    case Templates:
        setTemplates(DOMNodeLists::nodeByCategory(s_paletteCategoryTitle));
        break;
    case Snippets:
        setSnippets(SnippetUtil::snippetsInCategory(m_categorySelector->itemData(index).toString()));
        break;
    default:
        setComponents(BootStrapComponent::nodeByCategory(s_paletteCategoryTitle));
        break;
    }
}

void DomNodeListDelegate::changeSnippetSet()
{
    mainCategoryChange(m_segmentedControl->selectedSegment());
}

void DomNodeListDelegate::mainCategoryChange(int tag)
{
    s_paletteListMode = tag;
    if (m_searchField)
        m_searchField->clear();
    if (tag == Templates)
        showW3CElements();
    else if (tag == Snippets)
        showUserSnippetElements();
    else if (tag == Components)
        showBootstrapElements();
}

void DomNodeListDelegate::search()
{
    if (!m_searchField)
        return;
    const QString text = m_searchField->text();
    if (s_paletteListMode == Snippets) {
        const QString category = m_categorySelector->currentData().toString();
        QList<SnippetPtr> found;
        for (const SnippetPtr &snippet : SnippetUtil::snippetsInCategory(category)) {
            if (text.isEmpty() || snippet->value(QStringLiteral("title")).toString().contains(text)
                || snippet->value(QStringLiteral("summary")).toString().contains(text)
                || snippet->value(QStringLiteral("content")).toString().contains(text))
                found.append(snippet);
        }
        setSnippets(found);
        return;
    }
    if (s_paletteListMode == Templates) {
        if (text.isEmpty()) {
            setTemplates(DOMNodeLists::nodeByCategory(s_paletteCategoryTitle));
            return;
        }
        // Every category but the spotlight, whose templates stand elsewhere
        // too; duplicates within the others stay.
        const QString lower = text.toLower();
        QStringList found;
        for (const QString &key : DOMNodeLists::getNodeByCategory()) {
            if (key.startsWith(QLatin1String("1.")))
                continue;
            for (const QString &entry : DOMNodeLists::nodeByCategory(key)) {
                if (entry.toLower().startsWith(lower))
                    found.append(entry);
            }
        }
        setTemplates(found);
        return;
    }
    m_elements.clear();
    reloadList();
}

void DomNodeListDelegate::showMenu()
{
    if (!m_mainMenu || !m_menuButton)
        return;
    m_mainMenu->popup(m_menuButton->mapToGlobal(QPoint(-12, m_menuButton->height())));
    DelayedPerform::perform(this, "checkMenu", {}, 0.25, [this] {
        for (const QAction *item : m_mainMenu->actions())
            QM_DEBUG(item->text());
    });
}

void DomNodeListDelegate::saveOutlineview()
{
    NotificationCenter &center = NotificationCenter::defaultCenter();
    center.postNotificationName(QStringLiteral("cssHasSavedByCommand"), this);
    center.postNotificationName(QStringLiteral("htmlHasSavedByCommand"), this);
}

// --- Rows ------------------------------------------------------------------------------------------------

void DomNodeListDelegate::setTemplates(const QStringList &templates)
{
    m_elements.clear();
    for (const QString &entry : templates) {
        auto element = std::make_unique<Element>();
        element->templateText = entry;
        m_elements.push_back(std::move(element));
    }
    reloadList();
}

void DomNodeListDelegate::setSnippets(const QList<SnippetPtr> &snippets)
{
    m_elements.clear();
    for (const SnippetPtr &snippet : snippets) {
        auto element = std::make_unique<Element>();
        element->snippet = snippet;
        m_elements.push_back(std::move(element));
    }
    reloadList();
}

void DomNodeListDelegate::setComponents(const QList<QVariantMap> &records)
{
    if (m_domNodeList)
        m_webViewCell->setCellWidth(m_domNodeList->viewport()->width() - 8);
    m_elements.clear();
    for (const QVariantMap &record : records) {
        auto element = std::make_unique<Element>();
        element->component = std::make_shared<NodeComponent>(record.value(QStringLiteral("file")).toString(),
                                                             record.value(QStringLiteral("title")).toString());
        m_elements.push_back(std::move(element));
    }
    reloadList();
}

void DomNodeListDelegate::reloadList()
{
    if (m_domNodeList)
        m_domNodeList->reloadData();
}

QString DomNodeListDelegate::titleOf(const Element &element)
{
    if (element.snippet)
        return element.snippet->value(QStringLiteral("title")).toString();
    if (element.component)
        return element.component->title();
    return QStringLiteral("< %1 >").arg(element.templateText);
}

QStringList DomNodeListDelegate::elementTitles() const
{
    QStringList titles;
    for (const auto &element : m_elements)
        titles.append(titleOf(*element));
    return titles;
}

DomNodeListDelegate::Element *DomNodeListDelegate::selectedElement() const
{
    const int row = m_domNodeList ? m_domNodeList->selectedRow() : -1;
    if (row < 0 || row >= int(m_elements.size()))
        return nullptr;
    return m_elements.at(size_t(row)).get();
}

int DomNodeListDelegate::numberOfChildrenOfItem(OutlineView *, void *item)
{
    return item ? 0 : int(m_elements.size());
}

void *DomNodeListDelegate::childOfItem(OutlineView *, int index, void *item)
{
    if (item || index < 0 || index >= int(m_elements.size()))
        return nullptr;
    return m_elements.at(size_t(index)).get();
}

bool DomNodeListDelegate::isItemExpandable(OutlineView *, void *)
{
    return false;
}

QVariant DomNodeListDelegate::objectValueForTableColumn(OutlineView *, int, void *item, int role)
{
    const auto *element = static_cast<const Element *>(item);
    if (!element)
        return {};
    if (role == Qt::DisplayRole)
        return titleOf(*element);
    if (role == Qt::ToolTipRole && element->snippet)
        return element->snippet->value(QStringLiteral("content")).toString();
    if (role == Qt::UserRole && element->component)
        return element->component->file();
    return {};
}

bool DomNodeListDelegate::writeItems(OutlineView *, const QList<void *> &items, QMimeData *pasteboard)
{
    const auto *element = items.isEmpty() ? nullptr : static_cast<const Element *>(items.constLast());
    if (!element)
        return false;
    if (element->snippet) {
        DragPayload::setDomNodeDragCopy(pasteboard, *element->snippet);
    } else if (element->component) {
        // A component goes as a snippet does: its HTML under "content".
        const QString content = element->component->content();
        if (content.isEmpty())
            return false;
        DragPayload::setDomNodeDragCopy(pasteboard, QVariantMap{{QStringLiteral("title"), element->component->title()},
                                                                {QStringLiteral("content"), content}});
    } else {
        DragPayload::setDomNodeDragCopy(pasteboard, element->templateText);
    }
    return true;
}
