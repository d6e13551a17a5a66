#include "AddDeclarationViewController.h"

#include "AddDeclarationCell.h"
#include "CSSPropertyDataSource.h"
#include "CSSSnippetDataSource.h"

#include "foundation/ArrayUtils.h"
#include "platform/kit/SegmentedControl.h"
#include "toolkit/FocusTextField.h"
#include "toolkit/SearchFieldEx.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QListView>
#include <QPushButton>
#include <QVBoxLayout>

AddDeclarationViewController::AddDeclarationViewController(QObject *parent) : ViewController(parent)
{
    m_propertyDataSource = new CSSPropertyDataSource(this);
    m_snippetDataSource = new CSSSnippetDataSource(this);
    m_cell = new AddDeclarationCell([this](const QString &name) { return isDeclared(name); }, this);
}

AddDeclarationViewController::~AddDeclarationViewController() = default;

void AddDeclarationViewController::loadView()
{
    auto *view = new QWidget;
    view->setObjectName(QStringLiteral("addDeclarationView"));
    view->resize(280, 320);
    auto *layout = new QVBoxLayout(view);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(6);

    m_seg = new SegmentedControl(view);
    m_seg->setObjectName(QStringLiteral("addDeclarationKind"));
    m_seg->setSegmentCount(2);
    m_seg->setLabel(QStringLiteral("Properties"), Properties);
    m_seg->setToolTip(QStringLiteral("One property, with its first keyword as value"), Properties);
    m_seg->setLabel(QStringLiteral("Snippets"), Snippets);
    m_seg->setToolTip(QStringLiteral("A group of declarations from the snippet library"), Snippets);
    m_seg->setSelectedSegment(Properties);
    connect(m_seg, &SegmentedControl::activated, this, [this] { changeSegment(m_seg->selectedSegment()); });
    layout->addWidget(m_seg, 0, Qt::AlignHCenter);

    m_searchTextField = new SearchFieldEx(view);
    m_searchTextField->setObjectName(QStringLiteral("addDeclarationInput"));
    m_searchTextField->setPlaceholderText(QStringLiteral("Property Name"));
    m_searchTextField->installEventFilter(this);
    // Only the user's edits search: a completion put into the field is no edit.
    connect(m_searchTextField, &QLineEdit::textEdited, this, [this](const QString &text) { updateSearchField(text); });
    m_searchTextField->setSearchFieldDelegate({[this](SearchFieldEx *, QAction *item) {
        if (item)
            updateSearchField(item->data().toString());
    }});
    layout->addWidget(m_searchTextField);

    m_outlineView = new QListView(view);
    m_outlineView->setObjectName(QStringLiteral("addDeclarationList"));
    m_outlineView->setModel(m_propertyDataSource);
    m_outlineView->setItemDelegate(m_cell);
    m_outlineView->setUniformItemSizes(false);
    m_outlineView->setFocusPolicy(Qt::NoFocus);
    m_outlineView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(m_outlineView, &QListView::doubleClicked, this, [this] { Q_EMIT confirmed(); });
    layout->addWidget(m_outlineView, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_okButton = new QPushButton(QIcon::fromTheme(QStringLiteral("list-add")), QStringLiteral("Add"), view);
    m_okButton->setObjectName(QStringLiteral("addDeclarationOK"));
    m_okButton->setDefault(true);
    m_okButton->setToolTip(QStringLiteral("Adds the selected property or snippet to the rule (Return)"));
    connect(m_okButton, &QPushButton::clicked, this, [this] { Q_EMIT confirmed(); });
    buttons->addWidget(m_okButton);
    layout->addLayout(buttons);

    setView(view);
    changeSegment(Properties);
}

LinearOutlineDataSource *AddDeclarationViewController::currentDataSource() const
{
    return segment() == Snippets ? static_cast<LinearOutlineDataSource *>(m_snippetDataSource) : m_propertyDataSource;
}

int AddDeclarationViewController::segment() const
{
    return m_seg ? m_seg->selectedSegment() : Properties;
}

void AddDeclarationViewController::changeSegment(int segment)
{
    view();
    m_seg->setSelectedSegment(segment);
    LinearOutlineDataSource *source = currentDataSource();
    if (m_outlineView->model() != source) {
        m_outlineView->setModel(source);
        connect(m_outlineView->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { selectionDidChange(); });
    }
    m_searchTextField->setPlaceholderText(segment == Snippets ? QStringLiteral("Snippet Text") : QStringLiteral("Property Name"));
    m_searchTextField->setText(QString());
    m_propertyDataSource->setPredicate(nullptr);
    m_snippetDataSource->setPredicate(nullptr);
    refreshList(false);
}

bool AddDeclarationViewController::isDeclared(const QString &name) const
{
    const StyleDeclarationPtr rule = m_targetSelector ? m_targetSelector->styleDeclaration() : nullptr;
    if (!rule)
        return false;
    const QList<CSSPropertyPtr> &properties = rule->properties();
    return std::any_of(properties.cbegin(), properties.cend(),
                       [&name](const CSSPropertyPtr &property) { return !property->isRemoved() && property->property() == name; });
}

void AddDeclarationViewController::refreshList(bool keepSelection)
{
    view();
    const int selected = m_outlineView->currentIndex().row();
    currentDataSource()->refresh();
    if (keepSelection) {
        selectRow(selected);
        return;
    }
    if (currentDataSource()->hasPredicate() && currentDataSource()->rowCount() > 0)
        selectRow(0);
    else
        selectionDidChange();
}

void AddDeclarationViewController::updateSearchField(const QString &text)
{
    view();
    const QString typed = text.trimmed();
    if (typed.isEmpty()) {
        m_propertyDataSource->setPredicate(nullptr);
        m_snippetDataSource->setPredicate(nullptr);
    } else {
        m_propertyDataSource->setPredicate(LinearOutlineDataSource::beginsWith(text));
        m_snippetDataSource->setPredicate(LinearOutlineDataSource::valueContains(QStringLiteral("content"), text));
    }
    refreshList(false);
    const bool deleted = std::exchange(m_deletedBackward, false);
    if (deleted || segment() != Properties || typed.isEmpty() || m_propertyDataSource->rowCount() == 0)
        return;
    // The names' common beginning, the part not typed selected.
    const QString common = ArrayUtils::maxSameString(m_propertyDataSource->filteredList());
    if (common.size() > text.size() && common.startsWith(text)) {
        m_searchTextField->setText(common);
        m_searchTextField->setSelection(int(text.size()), int(common.size() - text.size()));
    }
}

void AddDeclarationViewController::selectRow(int row)
{
    const int count = currentDataSource()->rowCount();
    if (row < 0 || row >= count) {
        m_outlineView->clearSelection();
        selectionDidChange();
        return;
    }
    const QModelIndex index = currentDataSource()->index(row);
    m_outlineView->setCurrentIndex(index);
    m_outlineView->scrollTo(index);
    selectionDidChange();
}

void AddDeclarationViewController::selectionDidChange()
{
    m_selectedElements.clear();
    const QModelIndexList selected = m_outlineView->selectionModel() ? m_outlineView->selectionModel()->selectedIndexes()
                                                                     : QModelIndexList();
    if (selected.isEmpty())
        return;
    const QVariant item = selected.first().data(Qt::UserRole);
    if (item.typeId() == QMetaType::QVariantMap) {
        for (const CSSPropertyPtr &property : CSSSnippetDataSource::propertiesFromSnippet(item.toMap()))
            m_selectedElements.append(QVariant::fromValue(property));
    } else {
        m_selectedElements.append(item.toString());
    }
}

bool AddDeclarationViewController::eventFilter(QObject *watched, QEvent *event)
{
    // The panel scrolls to the rule the declaration goes into.
    if (watched == m_searchTextField && event->type() == QEvent::FocusIn)
        FocusTextField::announceFocus(m_searchTextField, QStringLiteral("ControlDidBecomeFirstResponder"));
    if (watched != m_searchTextField || event->type() != QEvent::KeyPress)
        return ViewController::eventFilter(watched, event);
    auto *key = static_cast<QKeyEvent *>(event);
    const int count = currentDataSource()->rowCount();
    const int row = m_outlineView->currentIndex().isValid() && !m_selectedElements.isEmpty() ? m_outlineView->currentIndex().row() : -1;
    switch (key->key()) {
    case Qt::Key_Up:
        if (count == 0)
            return false;
        if (row > 0)
            selectRow(row - 1);
        return true;
    case Qt::Key_Down:
        if (count == 0)
            return false;
        if (row < count - 1)
            selectRow(row + 1);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        Q_EMIT confirmed();
        return true;
    case Qt::Key_Escape:
        Q_EMIT cancelled();
        return true;
    case Qt::Key_Backspace:
        m_deletedBackward = true;
        return false;
    default:
        return false;
    }
}

void AddDeclarationViewController::popoverWillShow()
{
    view();
    m_okButton->setEnabled(false);
    m_searchTextField->setFocus();
}

void AddDeclarationViewController::popoverDidShow()
{
    refreshList(false);
    m_searchTextField->setFocus();
    m_searchTextField->selectAll();
    m_okButton->setEnabled(true);
}

void AddDeclarationViewController::popoverWillClose()
{
    refreshList(false);
}
