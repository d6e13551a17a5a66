// CSSOutlineDelegate: the menus of a rule row, the context menus of the
// outline ("PropertyMenu" on a declaration), "!important", the rule in the
// code view, the panel's small commands, and the combo box of style
// combinations or property names below the rules.

#include "CSSOutlineDelegate.h"

#include "CSSRuleEditButton.h"
#include "StyleCombination.h"
#include "StyleSheetWriter.h"

#include "foundation/InspectUndoManager.h"
#include "interfaces/DomNodeListDelegateInterface.h"
#include "interfaces/FileViewControllerInterface.h"
#include "interfaces/StyleInspectorInterface.h"
#include "platform/foundation/Log.h"
#include "platform/kit/ButtonMatrix.h"
#include "platform/web/cssom/DOMCSSRule.h"
#include "stylesheet/WebCoreObjects.h"
#include "toolkit/OutlineViewEx.h"
#include "workspace/File.h"

#include <QComboBox>
#include <QContextMenuEvent>
#include <QHBoxLayout>
#include <QMenu>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// A combo box that reads its items from the panel as its list opens.
class StyleKindComboBox : public QComboBox
{
public:
    StyleKindComboBox(std::function<void()> willPopUp, QWidget *parent)
        : QComboBox(parent)
        , m_willPopUp(std::move(willPopUp))
    {
    }

    void showPopup() override
    {
        m_willPopUp();
        QComboBox::showPopup();
    }

private:
    std::function<void()> m_willPopUp;
};

// A declaration row of a file rule: its owner row holds the file's rule.
bool isDeclarationOf(const CSSRulePtr &row, const CSSRulePtr &rule)
{
    return row && rule && rule->children().contains(row);
}

} // namespace

void CSSOutlineDelegate::buildRuleMenus()
{
    const auto add = [this](QMenu *menu, const QString &title, const char *icon, std::function<void()> run, int tag = 0) {
        QAction *item = menu->addAction(QIcon::fromTheme(QString::fromLatin1(icon)), title);
        item->setData(tag);
        connect(item, &QAction::triggered, this, [run = std::move(run)] { run(); });
        return item;
    };
    const auto owner = [this] { return menuOwnerRule(); };
    const auto removeOwner = [this, owner] {
        if (const CSSRulePtr row = owner())
            removeStyles({row});
    };

    // An ordinary rule.
    auto *rule = new QMenu(m_view);
    rule->setObjectName(QStringLiteral("RuleMenu"));
    add(rule, QStringLiteral("Add Declaration..."), "list-add", [this, owner] { showAddDeclarationPopover(owner()); });
    add(rule, QStringLiteral("Paste Declarations"), "edit-paste", [this, owner] { pasteInto(owner()); });
    add(rule, QStringLiteral("Copy Selected Declarations"), "edit-copy", [this] { copy(this); }, kSelectedDeclarationTag);
    add(rule, QStringLiteral("Remove Selected Declarations"), "list-remove",
        [this] { removeStyles(getSelectedCSSRules()); }, kSelectedDeclarationTag);
    rule->addSeparator();
    QMenu *media = rule->addMenu(QIcon::fromTheme(QStringLiteral("view-fullscreen")), QStringLiteral("Add To Responsive"));
    media->setObjectName(QStringLiteral("MediaMenu"));
    connect(media, &QMenu::aboutToShow, this, [this, media] { fillMediaMenu(media, menuOwnerRule()); });
    add(rule, QStringLiteral("Show Related Elements"), "edit-find", [this] { highlightMenuOwnerRelation(); });
    add(rule, QStringLiteral("Open in Code View"), "text-x-generic", [this] { openCode(); });
    // The rule's text becomes a "CSS" snippet of the element palette.
    QAction *snippet = add(rule, QStringLiteral("Make Snippet"), "bookmark-new", [this] {
        const QString text = snippetText(menuOwnerRule());
        if (m_domNodeListDelegate && !text.isEmpty())
            m_domNodeListDelegate->addSnippetWithCSSText(text);
    });
    snippet->setObjectName(QStringLiteral("makeSnippet"));
    rule->addSeparator();
    add(rule, QStringLiteral("Remove All Declarations"), "edit-clear", [this] { removeAllStyles(); });
    add(rule, QStringLiteral("Remove Rule"), "edit-delete", removeOwner);
    m_ruleMenus.insert(RuleMenu, rule);

    // An @media block.
    auto *block = new QMenu(m_view);
    block->setObjectName(QStringLiteral("MediaRuleMenu"));
    add(block, QStringLiteral("Paste Rule"), "edit-paste", [this, owner] { pasteInto(owner()); });
    add(block, QStringLiteral("Open in Code View"), "text-x-generic", [this] { openCode(); });
    block->addSeparator();
    add(block, QStringLiteral("Remove Media Rule"), "edit-delete", removeOwner);
    m_ruleMenus.insert(MediaRuleMenu, block);

    // A keyframes rule.
    auto *keyframes = new QMenu(m_view);
    keyframes->setObjectName(QStringLiteral("KeyframesRuleMenu"));
    add(keyframes, QStringLiteral("Replay Animation"), "media-playback-start", [this] { replayAnimationWithRule(); });
    add(keyframes, QStringLiteral("Open in Code View"), "text-x-generic", [this] { openCode(); });
    keyframes->addSeparator();
    add(keyframes, QStringLiteral("Remove Keyframes"), "edit-delete", removeOwner);
    m_ruleMenus.insert(KeyframesRuleMenu, keyframes);

    // A keyframe.
    auto *keyframe = new QMenu(m_view);
    keyframe->setObjectName(QStringLiteral("KeyframeMenu"));
    add(keyframe, QStringLiteral("Add Declaration..."), "list-add", [this, owner] { showAddDeclarationPopover(owner()); });
    add(keyframe, QStringLiteral("Paste Declarations"), "edit-paste", [this, owner] { pasteInto(owner()); });
    keyframe->addSeparator();
    add(keyframe, QStringLiteral("Remove All Declarations"), "edit-clear", [this] { removeAllStyles(); });
    add(keyframe, QStringLiteral("Remove Keyframe"), "edit-delete", removeOwner);
    m_ruleMenus.insert(KeyframeMenu, keyframe);

    m_propertyMenu = new QMenu(m_view);
    m_propertyMenu->setObjectName(QStringLiteral("PropertyMenu"));
    m_propertyMenu->setTitle(QStringLiteral("PropertyMenu"));

    // The style-sheet pop-up, before the add button.
    m_styleSheetsButton = new QToolButton(m_addRuleButton->parentWidget());
    m_styleSheetsButton->setObjectName(QStringLiteral("styleSheetsButton"));
    m_styleSheetsButton->setIcon(QIcon::fromTheme(QStringLiteral("view-filter")));
    m_styleSheetsButton->setAutoRaise(true);
    m_styleSheetsButton->setPopupMode(QToolButton::InstantPopup);
    m_styleSheetsButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_styleSheetsButton->setAccessibleName(QStringLiteral("Style Sheets"));
    auto *sheets = new QMenu(m_styleSheetsButton);
    m_styleSheetsButton->setMenu(sheets);
    // The check marks follow the filter.
    connect(sheets, &QMenu::aboutToShow, this, [this, sheets] {
        const QList<QAction *> items = sheets->actions();
        for (QAction *item : items) {
            auto *file = item->data().value<File *>();
            item->setCheckable(true);
            item->setChecked(file ? m_lastFilterFileNames.contains(file->displayName())
                                  : !item->isSeparator() && m_lastFilterFileNames.isEmpty());
        }
    });
    if (auto *bar = qobject_cast<QHBoxLayout *>(m_addRuleButton->parentWidget()->layout()))
        bar->insertWidget(bar->indexOf(m_addRuleButton), m_styleSheetsButton);
    rebuildStyleSheetsMenu();
    updateStyleSheetsLabel();

    // Declarations are dragged within a rule or into another.
    m_outlineView->setDraggingSourceOperationMask(Qt::CopyAction | Qt::MoveAction);

    // Right-click and the Menu key.
    m_outlineView->installEventFilter(this);
    m_outlineView->viewport()->installEventFilter(this);
}

void CSSOutlineDelegate::buildStyleKindBar()
{
    auto *bar = new QWidget(m_view);
    bar->setObjectName(QStringLiteral("styleKindBar"));
    // The kinds above the box, which takes the panel's width.
    auto *barLayout = new QVBoxLayout(bar);
    barLayout->setContentsMargins(6, 3, 6, 3);
    barLayout->setSpacing(3);
    m_styleKindSelector = new ButtonMatrix(bar);
    m_styleKindSelector->setObjectName(QStringLiteral("styleKindSelector"));
    m_styleKindSelector->setSpacing(6);
    auto *combinations = new QRadioButton(QStringLiteral("Combination"), m_styleKindSelector);
    combinations->setToolTip(QStringLiteral("Groups of properties used together"));
    m_styleKindSelector->addCell(combinations, 0, 0, 0);
    auto *properties = new QRadioButton(QStringLiteral("Property"), m_styleKindSelector);
    properties->setToolTip(QStringLiteral("Property names"));
    m_styleKindSelector->addCell(properties, 1, 0, 1);
    m_styleKindSelector->selectCellWithTag(0);
    connect(m_styleKindSelector, &ButtonMatrix::cellClicked, this, [this] { styleKindChange(); });
    barLayout->addWidget(m_styleKindSelector, 0, Qt::AlignLeft);
    m_comboBox = new StyleKindComboBox([this] { reloadComboBoxItems(); }, bar);
    m_comboBox->setObjectName(QStringLiteral("comboBox"));
    m_comboBox->setEditable(true);
    m_comboBox->setInsertPolicy(QComboBox::NoInsert);
    m_comboBox->setMaxVisibleItems(16);
    // The names it lists are long: its width is the panel's, not theirs.
    m_comboBox->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_comboBox->setMinimumContentsLength(12);
    barLayout->addWidget(m_comboBox);
    if (auto *panel = qobject_cast<QVBoxLayout *>(m_view->layout()))
        panel->addWidget(bar);
    reloadComboBoxItems();
}

QStringList CSSOutlineDelegate::getComboBoxItems() const
{
    return getComboBoxItems(m_styleKindSelector->selectedTag(), m_comboBox->currentText());
}

int CSSOutlineDelegate::numberOfItemsInComboBox() const
{
    return int(getComboBoxItems().size());
}

QString CSSOutlineDelegate::comboBoxObjectValueForItemAtIndex(int index) const
{
    return getComboBoxItems().value(index);
}

void CSSOutlineDelegate::styleKindChange()
{
    m_comboBox->setEditText(QString());
    reloadComboBoxItems();
}

void CSSOutlineDelegate::reloadComboBoxItems()
{
    // The text stays as typed: it is what the items are read for.
    const QString text = m_comboBox->currentText();
    const QStringList items = getComboBoxItems();
    const QSignalBlocker blocker(m_comboBox);
    m_comboBox->clear();
    m_comboBox->addItems(items);
    m_comboBox->setCurrentIndex(-1);
    m_comboBox->setEditText(text);
}

bool CSSOutlineDelegate::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ContextMenu && (watched == m_outlineView || watched == m_outlineView->viewport())) {
        auto *menuEvent = static_cast<QContextMenuEvent *>(event);
        QPoint point = menuEvent->pos();
        if (watched == m_outlineView)
            point = m_outlineView->viewport()->mapFrom(m_outlineView, point);
        showContextMenu(point, menuEvent->reason() == QContextMenuEvent::Keyboard);
        return true;
    }
    return QObject::eventFilter(watched, event);
}

// --- The rule menus ------------------------------------------------------------------------------

CSSOutlineDelegate::RuleMenuKind CSSOutlineDelegate::ruleMenuKind(const CSSRulePtr &rule, int tag) const
{
    if (tag != 0)
        return KeyframeMenu;
    const CSSRulePtr owner = rule ? rule->ownerRule() : nullptr;
    if (owner && owner->rule() && owner->rule()->type() == DOMCSSRule::KEYFRAMES_RULE)
        return KeyframesRuleMenu;
    if (rule && rule->type() == RuleType::Media)
        return MediaRuleMenu;
    return RuleMenu;
}

QMenu *CSSOutlineDelegate::prepareRuleMenu(const CSSRulePtr &rule, int tag)
{
    m_menuOwnerRule = rule;
    m_outlineView->clearFocus();
    doCloseStyleEditor();
    const RuleMenuKind kind = ruleMenuKind(rule, tag);
    QMenu *menu = m_ruleMenus.value(kind);
    if (kind == RuleMenu) {
        // The items on the selected declarations, for this rule's own.
        const bool own = isDeclarationOf(getSelectedCSSRule(), rule);
        const QList<QAction *> items = menu->actions();
        for (QAction *item : items) {
            if (item->data().toInt() == kSelectedDeclarationTag)
                item->setEnabled(own);
        }
        if (QAction *snippet = menu->findChild<QAction *>(QStringLiteral("makeSnippet")))
            snippet->setEnabled(m_domNodeListDelegate && !snippetText(rule).isEmpty());
        // Only a file's style rule copies into a media query.
        for (QMenu *sub : menu->findChildren<QMenu *>(QStringLiteral("MediaMenu")))
            sub->menuAction()->setEnabled(isSheetStyleRule(rule));
    }
    return menu;
}

void CSSOutlineDelegate::poptMenu(QWidget *widget, const QRect &anchor, const CSSRulePtr &rule, int tag)
{
    QMenu *menu = prepareRuleMenu(rule, tag);
    if (!menu || !widget)
        return;
    // Below the anchor's left, the menu's right end over it.
    const QPoint at(anchor.left() - menu->sizeHint().width() + 20, anchor.bottom() - 20);
    menu->popup(widget->mapToGlobal(at));
}

void CSSOutlineDelegate::poptMenu(const CSSRuleEditButton &button)
{
    poptMenu(m_outlineView->viewport(), button.frame(), button.rule(), button.tag());
}

void CSSOutlineDelegate::showContextMenu(const QPoint &point, bool fromKeyboard)
{
    int index = fromKeyboard ? m_outlineView->selectedRow() : m_outlineView->rowAtPoint(point);
    const CSSRulePtr row = rowOf(m_outlineView->itemAtRow(index));
    if (!row)
        return;
    if (!fromKeyboard && !m_outlineView->selectedRowIndexes().contains(index))
        m_outlineView->selectRowIndexes({index}, false);
    const QRect rect = m_outlineView->rectOfRow(index);
    const QPoint at = fromKeyboard ? QPoint(rect.right(), rect.bottom()) : point;
    const bool isRuleRow = row->styleDeclaration() || row->type() == RuleType::Keyframe;
    if (!isRuleRow) {
        fillPropertyMenu(m_propertyMenu, row);
        if (!m_propertyMenu->isEmpty())
            m_propertyMenu->popup(m_outlineView->viewport()->mapToGlobal(at));
        return;
    }
    if (!CSSRuleEditButton::isShownOn(*row))
        return;
    const int tag = CSSRuleEditButton::tagOf(*row);
    if (fromKeyboard) {
        // As the row's button opens it.
        poptMenu(CSSRuleEditButton(row, tag, CSSRuleEditButton::frameInCell(rect)));
        return;
    }
    prepareRuleMenu(row, tag)->popup(m_outlineView->viewport()->mapToGlobal(at));
}

// --- "PropertyMenu" and "!important" ------------------------------------------------------------------

bool CSSOutlineDelegate::isImportantable(const CSSRulePtr &row)
{
    if (!row || row->isRule() || row->isShortHandChild() || row->computedStyleDec() || row->isWebKitStyle())
        return false;
    const CSSRulePtr owner = row->ownerRule();
    return !owner || (!owner->computedStyleDec() && !owner->isWebKitStyle());
}

void CSSOutlineDelegate::fillPropertyMenu(QMenu *menu, const CSSRulePtr &row)
{
    menu->clear();
    if (!row)
        return;
    QM_DEBUG(QStringLiteral("PropertyMenu: %1").arg(row->debugDescription()));
    if (!isImportantable(row))
        return;
    const std::weak_ptr<CSSRule> weak = row;
    if (hasImportantPriority(row->valueName())) {
        connect(menu->addAction(QStringLiteral("Remove Important")), &QAction::triggered, this, [this, weak] {
            if (const CSSRulePtr target = weak.lock())
                removeImportant(target);
        });
    } else {
        connect(menu->addAction(QStringLiteral("Add Important")), &QAction::triggered, this, [this, weak] {
            if (const CSSRulePtr target = weak.lock())
                addImportant(target);
        });
    }
}

void CSSOutlineDelegate::addImportant(const CSSRulePtr &row)
{
    // A minified sheet takes it without the blank.
    if (isImportantable(row))
        commitCSSValueChange(row, valueForSheetOf(row, row->valueName(), row->valueName() + QStringLiteral(" !important")), false);
}

void CSSOutlineDelegate::removeImportant(const CSSRulePtr &row)
{
    if (isImportantable(row))
        commitCSSValueChange(row, noPriorityValueName(row->valueName()), false);
}

// --- Commands of the rule menu -----------------------------------------------------------------------

void CSSOutlineDelegate::highlightMenuOwnerRelation()
{
    const CSSRulePtr row = menuOwnerRule();
    if (row)
        highlightSelectorNodes(row->selectorName());
}

void CSSOutlineDelegate::openCode()
{
    doOpenCode(menuOwnerRule());
}

void CSSOutlineDelegate::doOpenCode(const CSSRulePtr &row)
{
    if (row && row->styleDeclaration())
        selectCSS(row->styleDeclaration());
}

QPlainTextEdit *CSSOutlineDelegate::selectCSS(const StyleDeclarationPtr &declaration)
{
    File *file = declaration ? declaration->parentFile() : nullptr;
    if (!file || !m_fileViewController)
        return nullptr;
    m_fileViewController->viewFile(file);
    QPlainTextEdit *text = m_fileViewController->mainTextView();
    const Range range = declaration->range();
    if (!text || range.location == NotFound)
        return nullptr;
    const qsizetype length = text->document()->characterCount() - 1;
    QTextCursor cursor(text->document());
    cursor.setPosition(int(qMin(range.location, length)));
    // A rule that ends the text is shown, not selected.
    if (range.location + range.length < length)
        cursor.setPosition(int(range.location + range.length), QTextCursor::KeepAnchor);
    text->setTextCursor(cursor);
    // The rule's first line a little below the top.
    const QTextBlock first = text->document()->findBlock(int(qMin(range.location, length)));
    QScrollBar *vertical = text->verticalScrollBar();
    vertical->setValue(qMax(0, first.firstLineNumber() - 2));
    return text;
}

void CSSOutlineDelegate::replayAnimationWithRule()
{
    const CSSRulePtr row = menuOwnerRule();
    if (row && row->styleDeclaration())
        replayAnimation(animationName(row->styleDeclaration()->selector()));
}

QString CSSOutlineDelegate::snippetText(const CSSRulePtr &row) const
{
    const StyleDeclarationPtr declaration = row ? row->styleDeclaration() : nullptr;
    if (!declaration)
        return {};
    const StyleSheetWriter writer(StyleSheetWriterSettings::fromConfig(settingsOf(declaration->parentFile())));
    const QString text = writer.generateSelector(*declaration);
    if (!text.trimmed().isEmpty())
        return text;
    return declaration->selector() + QStringLiteral(" {") + writer.generatePropertyText(*declaration, QStringLiteral("\t"))
           + QStringLiteral("\n}");
}

// --- The panel's small commands -----------------------------------------------------------------------

void CSSOutlineDelegate::showStyleSheetsManager()
{
    if (m_styleInspector)
        m_styleInspector->showStyleSheetsManager();
}

void CSSOutlineDelegate::focusToInput()
{
    if (m_propertyCanAdd)
        showAddDeclarationPopover(getSelectedCSSRule());
}

void CSSOutlineDelegate::closeMenu()
{
    closeAddDeclarationPopover();
}

QStringList CSSOutlineDelegate::getComboBoxItems(int kind, const QString &text)
{
    QStringList items;
    if (kind == 0)
        items = StyleCombination::getStyleCombinations();
    else if (kind == 1)
        items = WebCoreObjects::getStyleNames();
    else
        return {};
    if (text.isEmpty())
        return items;
    QStringList matching;
    for (const QString &item : std::as_const(items)) {
        if (item.startsWith(text, Qt::CaseInsensitive))
            matching.append(item);
    }
    return matching;
}
